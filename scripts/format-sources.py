#!/usr/bin/env python3
"""Formats the C++ sources with clang-format and the committed .clang-format.
  scripts/format-sources.py [--clang-format PROGRAM] [FILE...]
      rewrites the files;
  scripts/format-sources.py --check [--clang-format PROGRAM] [FILE...]
      lists the files that differ and exits 1 when there are any.
Without FILEs: every source of our own. The constant tables (the generated crypto/tables/ and
the test vectors in tests/data/) keep the layout of their sources and are left out."""
import argparse
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
FOLDERS = ["crypto", "platform", "engine", "batch", "cli", "ui", "tests", "tools", "bench",
           "scripts"]
LEFT_OUT = [ROOT / "crypto" / "tables", ROOT / "tests" / "data"]
SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}


def own_sources():
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix in SUFFIXES and not any(path.is_relative_to(d) for d in LEFT_OUT):
                yield path


def differs(clang_format, path):
    formatted = subprocess.run([clang_format, "--style=file", str(path)], check=True,
                               capture_output=True).stdout
    return formatted != path.read_bytes()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--clang-format", default="clang-format")
    parser.add_argument("files", nargs="*", type=pathlib.Path)
    args = parser.parse_args()
    # Only C++ sources, whatever else a file list (git diff --name-only) brings along.
    if args.files:
        files = [f.resolve() for f in args.files if f.suffix in SUFFIXES]
    else:
        files = list(own_sources())
    if not files:
        return 0
    if not args.check:
        subprocess.run([args.clang_format, "-i", "--style=file", *map(str, files)], check=True)
        return 0
    differing = [f for f in files if differs(args.clang_format, f)]
    for f in differing:
        print(f"{f.relative_to(ROOT)}: not formatted as .clang-format asks")
    if differing:
        print(f"{len(differing)} file(s) differ; the format target rewrites them")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
