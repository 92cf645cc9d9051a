#!/usr/bin/env python3
"""Checks that every .cpp of our own is named in a CMakeLists.txt: the build lists its sources
instead of globbing folders, so a file nobody added would silently never be compiled or run.
Reads the arguments of each CMake command (relative to the CMakeLists.txt's folder, or to the
DIR given to velt_add_test). Exits non-zero and lists every .cpp that no list names."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
FOLDERS = ["crypto", "platform", "engine", "batch", "cli", "ui", "tests", "tools", "bench"]
# Inputs of the tests rather than sources.
NOT_BUILT = [ROOT / "tests" / "data"]
COMMAND = re.compile(r"\b\w+\s*\(((?:[^()]|\([^()]*\))*)\)", re.S)


def listed_sources():
    listed = set()
    for lists in [p for f in FOLDERS for p in (ROOT / f).rglob("CMakeLists.txt")]:
        here = lists.parent
        text = re.sub(r"#.*", "", lists.read_text())
        for command in COMMAND.finditer(text):
            args = command.group(1).split()
            prefix = args[args.index("DIR") + 1] if "DIR" in args[:-1] else ""
            for arg in args:
                if not arg.endswith(".cpp"):
                    continue
                arg = arg.replace("${CMAKE_CURRENT_SOURCE_DIR}", str(here))
                arg = arg.replace("${PROJECT_SOURCE_DIR}", str(ROOT))
                path = pathlib.Path(arg)
                if not path.is_absolute():
                    path = here / prefix / path
                listed.add(path.resolve())
    return listed


def main():
    listed = listed_sources()
    missing = []
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).rglob("*.cpp")):
            if not any(path.is_relative_to(d) for d in NOT_BUILT) and path not in listed:
                missing.append(path.relative_to(ROOT))
    for path in missing:
        print(f"{path}: in no CMakeLists.txt")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
