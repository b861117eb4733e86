#!/usr/bin/env python3
"""Checks that every file under src/ includes only across the floors that
docs/architecture.md allows, and that the page names every folder.

Usage: check_layers.py <source root> <architecture page>
Prints each fault and exits 1 when there is any."""

import os
import re
import sys

# The folders whose code is plain C++: standard headers only.
CORE = {"platform/", "source/", "transfer/", "install/", "app/"}
# The window's folders never reach the network library.
WINDOWS = {"qt/", "win32/window/"}
NETWORK_HEADERS = re.compile(r"<(curl/|wininet\.h|winhttp\.h|QtNetwork|QNetwork)", re.I)
# The C++ library's own headers: <string>, <cstdint>, <string_view>...
STANDARD = re.compile(r"^<[a-z_]+>$")
QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ANGLED = re.compile(r"^\s*#\s*include\s+(<[^>]+>)", re.M)


def floors(page):
    """{folder: set of folders it may include} from the page's Floors table."""
    table = {}
    section = None
    with open(page, encoding="utf-8") as text:
        for line in text:
            if line.startswith("## "):
                section = line[3:].strip()
            if section != "Floors" or not line.startswith("| `"):
                continue
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            folder = cells[0].strip("`")
            table[folder] = {name.rstrip("/") + "/" for name in re.findall(r"`([^`]+)`", cells[-1])}
    return table


def folder_of(relative, table):
    """The longest folder of the table that holds `relative`."""
    best = None
    for folder in table:
        if relative.startswith(folder) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def main(root, page):
    table = floors(page)
    faults = []
    if not table:
        faults.append(f"{page}: no table of floors under '## Floors'")
    seen = set()
    for directory, _, files in os.walk(root):
        sources = [f for f in files if f.endswith((".h", ".cpp", ".in"))]
        if not sources:
            continue
        folder = os.path.relpath(directory, root).replace(os.sep, "/") + "/"
        if folder == "./":
            faults.append(f"src/{sources[0]}: a file outside every folder")
            continue
        seen.add(folder)
        if folder not in table:
            faults.append(f"src/{folder}: not in the table of floors of {page}")
            continue
        for name in sources:
            path = os.path.join(directory, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                text = source.read()
            where = f"src/{folder}{name}"
            for included in QUOTED.findall(text):
                target = folder_of(included, table)
                if target is None or target not in table[folder]:
                    faults.append(f"{where}: includes \"{included}\" across its floor")
            for header in ANGLED.findall(text):
                if folder in CORE and not STANDARD.match(header):
                    faults.append(f"{where}: includes {header}; the core uses the C++ library only")
                if folder in WINDOWS and NETWORK_HEADERS.match(header):
                    faults.append(f"{where}: the window includes the network library's {header}")
    for folder in sorted(set(table) - seen):
        faults.append(f"{page}: names src/{folder}, which holds no code")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
