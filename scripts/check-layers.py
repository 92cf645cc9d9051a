#!/usr/bin/env python3
"""Checks the layering of the sources: no Qt outside ui/, platform/qt/ and tools/, includes that
point only downwards (ui, cli -> batch -> engine -> crypto; platform below engine and batch), and
nothing of the tests or tools in the product. The build enforces the same arrows through each
layer's include path; this check also covers the files a build for one platform leaves out.
Exits non-zero and lists every offending include."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
# What each folder may include from the project.
ALLOWED = {
    "crypto": {"crypto"},
    "platform": {"platform"},
    "engine": {"engine", "crypto", "platform"},
    "batch": {"batch", "engine", "crypto", "platform"},
    "cli": {"cli", "batch", "engine", "crypto", "platform"},
    "ui": {"ui", "batch", "engine", "crypto", "platform"},
    # Developer tools drive the windows with the fakes of the tests.
    "tools": {"tools", "ui", "batch", "engine", "crypto", "platform", "tests"},
}
# Folders of our own that the product may never include.
NOT_SHIPPED = {"tests", "tools"}
QT = re.compile(r'#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)')
PROJECT = re.compile(r'#\s*include\s*"([a-z_]+)/')


def main():
    problems = []
    for folder, allowed in ALLOWED.items():
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix not in {".h", ".hpp", ".cpp", ".cc"}:
                continue
            rel = path.relative_to(ROOT)
            qt_ok = folder in {"ui", "tools"} or rel.parts[:2] == ("platform", "qt")
            for n, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                if not qt_ok and QT.search(line):
                    problems.append(f"{rel}:{n}: Qt outside ui/, platform/qt/ and tools/: "
                                    f"{line.strip()}")
                m = PROJECT.search(line)
                if m and m.group(1) in ALLOWED.keys() | NOT_SHIPPED and m.group(1) not in allowed:
                    problems.append(f"{rel}:{n}: {folder}/ may not include {m.group(1)}/: "
                                    f"{line.strip()}")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
