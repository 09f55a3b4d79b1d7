#!/usr/bin/env python3
"""Every #include "folder/file" under src/ must point down the layer order or stay
in its own folder. The order is read from src/CMakeLists.txt (VOSTREL_LAYERS), the
one place it is written for the build; each offending line is named."""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
LAYERS = re.compile(r'set\(VOSTREL_LAYERS\s+([^)]*)\)')


def layer_order(src):
    text = (src / "CMakeLists.txt").read_text(encoding="utf-8")
    found = LAYERS.search(text)
    if not found:
        sys.exit("src/CMakeLists.txt: no set(VOSTREL_LAYERS ...)")
    return found.group(1).split()


def main():
    src = pathlib.Path(sys.argv[1]).resolve()
    order = layer_order(src)
    rank = {name: i for i, name in enumerate(order)}
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc") or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in rank:
            problems.append(f"{path.relative_to(src.parent)}: folder '{folder}' is in no layer")
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            parts = target.split("/")
            where = f"{path.relative_to(src.parent)}:{number}"
            if len(parts) == 1:
                if not (path.parent / target).exists():
                    problems.append(f'{where}: "{target}" names no folder and is not beside it')
                continue
            to = parts[0]
            if to not in rank:
                problems.append(f'{where}: "{target}" is in no layer')
            elif rank[to] > rank[folder]:
                problems.append(f'{where}: "{target}" points up from {folder} to {to}')
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layer order {' -> '.join(order)}")
        return 1
    print(f"all includes follow {' -> '.join(order)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
