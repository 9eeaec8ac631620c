#!/usr/bin/env python3
"""Checks the size and layering rules of src/: no file over 700 lines and no
function over 120 lines (window-building functions of src/ui, a name starting
with "build" or "create", or a constructor, may be longer); each folder
includes only from its own layer and the layers below it; Qt only in src/ui."""
import pathlib
import re
import sys

MAX_FILE, MAX_FUNCTION = 700, 120
root = pathlib.Path(__file__).resolve().parent.parent / "src"
problems = []
# Lowest first; cli and ui stand side by side at the top.
LAYERS = {"base": 0, "io": 1, "settings": 2, "curves": 3, "render": 4, "animation": 5, "cli": 6, "ui": 6}
local_include = re.compile(r'^\s*#\s*include\s+"(\w+)/')
qt_include = re.compile(r"^\s*#\s*include\s+<Q")
head = re.compile(r"^[A-Za-z_][\w:<>,\s\*&~]*?\b([\w~]+(?:::[\w~]+)*)\s*\([^;]*$")

for path in sorted(root.rglob("*")):
    if path.suffix not in (".cpp", ".h"):
        continue
    lines = path.read_text().splitlines()
    rel = path.relative_to(root.parent)
    layer = rel.parts[1]
    for number, line in enumerate(lines, 1):
        m = local_include.match(line)
        if m and (m.group(1) not in LAYERS or layer not in LAYERS or
                  (m.group(1) != layer and LAYERS[m.group(1)] >= LAYERS[layer])):
            problems.append(f"{rel}:{number}: {layer} may not include {m.group(1)}/")
        if layer != "ui" and qt_include.match(line):
            problems.append(f"{rel}:{number}: Qt outside src/ui")
    if len(lines) > MAX_FILE:
        problems.append(f"{rel}: {len(lines)} lines (at most {MAX_FILE})")
    depth, start, name = 0, None, None
    for number, line in enumerate(lines, 1):
        code = re.sub(r'"(\\.|[^"\\])*"', '""', line.split("//")[0])
        if re.match(r"\s*namespace\b[^{]*\{\s*$", code) or re.match(r"\s*}\s*//\s*namespace", line):
            continue  # namespaces do not nest functions
        if depth == 0 and start is None:
            m = head.match(code)
            if m:
                name, start = m.group(1), number
                ctor = re.search(r"\b(\w+)::\1\s*\(", code)
                if ctor:
                    name = ctor.group(1) + "::" + ctor.group(1)
        opened = code.count("{") - code.count("}")
        if start is not None and depth == 0 and "{" not in code and code.rstrip().endswith(";"):
            start = None
        depth += opened
        if start is not None and depth == 0 and "}" in code:
            length = number - start + 1
            short = name.split("::")[-1]
            gui = "src/ui/" in str(rel) and (short.startswith(("build", "create", "make")) or
                                           (len(name.split("::")) > 1 and short == name.split("::")[-2]))
            if length > MAX_FUNCTION and not gui:
                problems.append(f"{rel}:{start}: {name} is {length} lines (at most {MAX_FUNCTION})")
            start = None
        if depth < 0:
            depth = 0

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
