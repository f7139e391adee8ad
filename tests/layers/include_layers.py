#!/usr/bin/env python3
"""Reads every #include "..." under src/ (and sim/) and fails on one that
goes against the table of layers below, printing each offending line.

Usage: include_layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

# Lowest first. A file may include files of its own layer and of the layers
# below it; the folders that share a layer do not include each other. The
# longest matching path decides a file's layer.
LAYERS = (
    ("platform", ("src/platform",)),
    ("client", ("src/client",)),
    ("session core", ("src/session",)),
    ("request", ("src/request",)),
    ("language", ("src/language",)),
    ("command families", ("src/objects", "src/capture")),
    ("grammar table", ("src/language/grammar.h", "src/language/grammar.cc")),
    ("main loop", ("src/shell",)),
)

# The arrows that may run back up, with the reason.
UPWARD = {
    ("src/language/grammar.cc", "src/shell"):
        "the grammar table names the shell's own commands",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(path):
    """(rank, unit) of the longest entry of LAYERS that `path` falls under."""
    best = None
    for rank, (_, units) in enumerate(LAYERS):
        for unit in units:
            if path == unit or path.startswith(unit + "/"):
                if best is None or len(unit) > len(best[1]):
                    best = (rank, unit)
    return best


def folder_of(path):
    return "/".join(path.split("/")[:2])


def problems(root):
    found = []
    for source in sorted(root.glob("src/**/*")):
        if source.suffix not in (".h", ".cc"):
            continue
        path = source.relative_to(root).as_posix()
        here = unit_of(path)
        if here is None:
            found.append(f"{path}: a folder of no layer (add it to the table)")
            continue
        for number, line in enumerate(source.read_text().splitlines(), 1):
            match = INCLUDE.match(line)
            if match is None:
                continue
            target = "src/" + match.group(1)
            where = f"{path}:{number}: {line.strip()}"
            there = unit_of(target)
            if there is None or not (root / target).is_file():
                found.append(f"{where}: not a file of a layer under src/")
                continue
            allowed = any(path == src or path.startswith(src + "/")
                          for src, dst in UPWARD
                          if target.startswith(dst + "/"))
            if there[0] > here[0] and not allowed:
                found.append(f"{where}: {LAYERS[here[0]][0]} includes "
                             f"{LAYERS[there[0]][0]}, a layer above it")
            elif (there[0] == here[0]
                  and folder_of(target) != folder_of(path)):
                found.append(f"{where}: {folder_of(path)} and "
                             f"{folder_of(target)} share a layer and do not "
                             f"include each other")
    # The simulator is an independent peer: it shares no code with src/.
    for source in sorted(root.glob("sim/**/*")):
        if source.suffix not in (".h", ".cc"):
            continue
        for number, line in enumerate(source.read_text().splitlines(), 1):
            match = INCLUDE.match(line)
            if match and (root / "src" / match.group(1)).is_file():
                found.append(f"{source.relative_to(root)}:{number}: "
                             f"{line.strip()}: the simulator shares no code "
                             f"with src/")
    return found


def main():
    root = pathlib.Path(sys.argv[1])
    found = problems(root)
    for problem in found:
        print(problem)
    if found:
        print(f"{len(found)} include(s) against the layers")
        return 1
    print("every include keeps to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
