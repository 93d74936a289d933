#!/usr/bin/env python3
"""The layers of the code, checked from the includes: a folder includes only its own layer and
the layers below it, never one above, and the windows never an engine. app/ (the entry points,
which choose the engine), the tests, benchmarks and tools may include every layer.

    check_layers.py SOURCE_DIR     prints each include that breaks the order; exit 1 when any does
"""
import os
import re
import sys

# What each layer may include besides itself, lowest first.
ALLOWED = {
    "excel": set(),
    "engines/embedded": {"excel"},
    "engines/uno": {"excel"},
    "core": {"excel"},
    "ui": {"excel", "core"},
    # The install notice is a program of its own: nothing of the main program.
    "setupnote": set(),
}
LAYERS = sorted(ALLOWED, key=len, reverse=True)  # the longest folder first


def layer_of(path):
    for layer in LAYERS:
        if path == layer or path.startswith(layer + "/"):
            return layer
    return None


def main():
    root = sys.argv[1]
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
    broken = []
    for layer in LAYERS:
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in files:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(folder, name)
                relative = os.path.relpath(path, root)
                if layer_of(relative) != layer:
                    continue  # a deeper layer's own folder
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for target in include.findall(text):
                    to = layer_of(target)
                    if to is None and "/" in target:
                        broken.append(f"{relative}: includes {target}, which is no layer's")
                    elif to not in (None, layer) and to not in ALLOWED[layer]:
                        broken.append(f"{relative}: {layer} includes {target} ({to})")
    for line in broken:
        print(line)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
