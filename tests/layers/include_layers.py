#!/usr/bin/env python3
"""Reads every #include under src/ (and sim/) and fails on one that goes
against the table of layers below, the order inside a layer, or the rule
that only the platform layer includes the operating system's headers,
printing each offending line.

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

# The order inside a layer, lowest first: a file of the folder includes
# files of its own tier and of the tiers below. A unit is a file's stem
# (its header and its source) or one file by name. The declaration of
# fatalStop stands at the bottom, so the allocator may end the process;
# the work of the stop (releasing, reporting, asking) is at the top.
INNER = {
    "src/session": (
        ("output", ("output", "shown_text", "version", "masked_line",
                    "fatal_stop.h")),
        ("tracked memory", ("block_index", "tracked_memory", "tracked_arena")),
        ("session state", ("session", "work_area")),
        ("results", ("result_recorder", "confirmation")),
        ("fatal stop", ("fatal_stop.cc",)),
    ),
}

# Headers of the operating system: only src/platform includes them (the
# simulator, a peer with a platform of its own, may too). <strings.h> is
# the C library's, not the system's.
OS_HEADER = re.compile(
    r"(sys|netinet|arpa|net|linux|asm|bits)/.*"
    r"|(unistd|poll|fcntl|signal|termios|netdb|dlfcn|pthread|spawn|dirent"
    r"|pwd|grp|ifaddrs|stdio_ext|syslog|sched|wait|utmp|pty)\.h"
    r"|csignal|thread|chrono")
# Headers that name a processor feature: only the byte scan.
CPU_HEADER = re.compile(r"\w*intrin\.h|arm_(neon|sve|acle)\.h|cpuid\.h")
CPU_FILE = "src/platform/byte_scan.h"

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>")


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


def tier_of(path):
    """(rank, name) of `path` in its folder's inner order; (None, None) when
    the folder has none, (None, "") when the file is missing from it."""
    tiers = INNER.get(folder_of(path))
    if tiers is None:
        return None, None
    name = path.rsplit("/", 1)[1]
    stem = name.rsplit(".", 1)[0]
    for rank, (tier, units) in enumerate(tiers):
        if name in units or stem in units:
            return rank, tier
    return None, ""


def system_problem(path, header):
    """Why `path` may not include <header>, or None."""
    if CPU_HEADER.fullmatch(header):
        if path != CPU_FILE:
            return f"a processor-feature header outside {CPU_FILE}"
    elif OS_HEADER.fullmatch(header) and not path.startswith("src/platform/"):
        return "an operating-system header outside src/platform"
    return None


def quoted_problem(root, path, target):
    """Why `path` may not include "target", or None."""
    here, there = unit_of(path), unit_of(target)
    if there is None or not (root / target).is_file():
        return "not a file of a layer under src/"
    allowed = any(path == src or path.startswith(src + "/")
                  for src, dst in UPWARD if target.startswith(dst + "/"))
    if there[0] > here[0] and not allowed:
        return (f"{LAYERS[here[0]][0]} includes {LAYERS[there[0]][0]}, "
                f"a layer above it")
    if there[0] == here[0] and folder_of(target) != folder_of(path):
        return (f"{folder_of(path)} and {folder_of(target)} share a layer "
                f"and do not include each other")
    if folder_of(target) == folder_of(path):
        (rank, tier), (target_rank, target_tier) = tier_of(path), tier_of(target)
        if rank is not None and target_rank is not None and target_rank > rank:
            return (f"in {folder_of(path)}, {tier} includes {target_tier}, "
                    f"a tier above it")
    return None


def problems(root):
    found = []
    for source in sorted(root.glob("src/**/*")):
        if source.suffix not in (".h", ".cc"):
            continue
        path = source.relative_to(root).as_posix()
        if unit_of(path) is None:
            found.append(f"{path}: a folder of no layer (add it to the table)")
            continue
        if tier_of(path)[1] == "":
            found.append(f"{path}: a file of no tier of {folder_of(path)} "
                         f"(add it to the order)")
        for number, line in enumerate(source.read_text().splitlines(), 1):
            system = SYSTEM_INCLUDE.match(line)
            quoted = INCLUDE.match(line)
            if system is not None:
                why = system_problem(path, system.group(1))
            elif quoted is not None:
                why = quoted_problem(root, path, "src/" + quoted.group(1))
            else:
                continue
            if why is not None:
                found.append(f"{path}:{number}: {line.strip()}: {why}")
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
