#!/usr/bin/env python3
"""Holds every include of src/ to the layer table in docs/layers.txt.

A file may include headers of its own folder and of the folders its line allows; the headers of
the platform's third-party libraries (SDL, OpenGL, FreeType, fontconfig, audio, libffi, ENet) only
from src/platform/. Prints each offending include as FILE:LINE: message and exits 1 when any.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PLATFORM_ONLY = re.compile(
    r'#include\s*<(SDL|epoxy/|GL/|ft2build|freetype|fontconfig/|sndfile|samplerate|fluidsynth|ffi\.h|enet/)')
PROJECT_INCLUDE = re.compile(r'#include\s*"([a-z_]+)/[^"]+"')


def read_table(path):
    allowed = {}
    for number, line in enumerate(path.read_text().splitlines(), 1):
        line = line.split('#', 1)[0].strip()
        if not line:
            continue
        folder, sep, rest = line.partition(':')
        if not sep:
            sys.exit(f'{path}:{number}: expected "folder: allowed folders"')
        allowed[folder.strip()] = set(rest.split())
    return allowed


def main():
    table_path = ROOT / 'docs' / 'layers.txt'
    allowed = read_table(table_path)
    src = ROOT / 'src'
    faults = []
    for file in sorted(src.rglob('*')):
        if file.suffix not in ('.h', '.cpp') or not file.is_file():
            continue
        folder = file.relative_to(src).parts[0]
        if folder not in allowed:
            faults.append(f'{file.relative_to(ROOT)}:1: folder "{folder}" has no line in {table_path.relative_to(ROOT)}')
            continue
        for number, line in enumerate(file.read_text(errors='replace').splitlines(), 1):
            where = f'{file.relative_to(ROOT)}:{number}'
            if folder != 'platform' and PLATFORM_ONLY.match(line.strip()):
                faults.append(f'{where}: only src/platform/ includes the platform libraries: {line.strip()}')
            m = PROJECT_INCLUDE.match(line.strip())
            if m and m.group(1) != folder and m.group(1) not in allowed[folder]:
                faults.append(f'{where}: {folder}/ may not include {m.group(1)}/ (a higher layer): {line.strip()}')
    for fault in faults:
        print(fault)
    if faults:
        print(f'{len(faults)} include(s) against the layer table', file=sys.stderr)
        return 1
    print('every include follows the layer table')
    return 0


if __name__ == '__main__':
    sys.exit(main())
