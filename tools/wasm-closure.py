#!/usr/bin/env python3
"""Finds the FLINT and Arb source files that a WebAssembly program needs, by
linking it again and again: each undefined symbol names the file that
defines it, which is compiled and added, until the link succeeds. The list
of files is written out, so that tools/build-wasm-deps.sh compiles only
those (a few hundred of FLINT's and Arb's few thousand).

    tools/wasm-closure.py FLINT_SRC ARB_SRC PREFIX WORK OUT_LIST -- LINK_INPUTS...

LINK_INPUTS: the program's own objects and libraries (its binding and the
analysis library); PREFIX holds GMP, MPFR and the headers.
"""
import os
import re
import subprocess
import sys
from pathlib import Path

flint_src, arb_src, prefix, work, out_list = map(Path, sys.argv[1:6])
inputs = sys.argv[7:]
work.mkdir(parents=True, exist_ok=True)

# A definition starts a line, its return type before it on that line or the
# one above, and no ';' follows on the line.
DEFINITION = re.compile(r'^(?:[A-Za-z_][\w \t\*]*[ \t\*])?(_*[A-Za-z][A-Za-z0-9_]*)[ \t]*\([^;\n]*$', re.M)
# A table or other global with an initial value.
DATA = re.compile(r'^(?!extern|typedef|return)[A-Za-z_][\w \t\*]*[ \t\*](_*[A-Za-z][A-Za-z0-9_]*)[ \t]*(?:\[[^\]]*\][ \t]*)*[=;]', re.M)
HEADER = ('# The FLINT and Arb sources the analysis reaches (tools/wasm-closure.py), for\n'
          '# tools/build-wasm-deps.sh: tree:path inside the tree.\n')
KEYWORDS = {'if', 'for', 'while', 'switch', 'return', 'main', 'sizeof', 'defined'}


def index():
    """Function name -> defining source file, over both trees."""
    found = {}
    for tree in (flint_src, arb_src):
        for path in sorted(tree.glob('*.c')) + sorted(tree.glob('*/*.c')):
            if '/test' in str(path) or path.parent.name in ('examples', 'profile', 'tune', 'doc', 'interfaces'):
                continue
            text = path.read_text(errors='replace')
            for name in DEFINITION.findall(text) + DATA.findall(text):
                if name not in KEYWORDS:
                    found.setdefault(name, []).append(path)
    return found


def home_of(symbol, names, chosen):
    """The file that defines symbol: the one named after it (module/rest.c
    for module_rest) first, then any other not yet tried."""
    candidates = names.get(symbol, [])
    bare = symbol.lstrip('_')
    named = [p for p in candidates if f'{p.parent.name}_{p.stem}' == bare]
    for path in named + candidates:
        if path not in chosen:
            return path
    return inline_home(symbol)


def inline_home(symbol):
    """An inline function of a header is emitted by its module's inlines.c."""
    name = symbol.lstrip('_')
    for tree in (arb_src, flint_src):
        parts = name.split('_')
        for n in range(len(parts) - 1, 0, -1):
            home = tree / '_'.join(parts[:n]) / 'inlines.c'
            if home.exists():
                return home
    return None


def flags(path):
    base = ['-O2', '-std=c99', '-funroll-loops', f'-I{prefix}/include', f'-I{prefix}/include/flint']
    if arb_src in path.parents:
        return base + [f'-I{arb_src}']
    return base + [f'-I{flint_src}', f'-I{flint_src}/build']


def object_of(path):
    tree = arb_src if arb_src in path.parents else flint_src
    rel = path.relative_to(tree)
    return work / tree.name / str(rel).replace('/', '__').replace('.c', '.o')


def main():
    names = index()
    trees = {'flint': flint_src, 'arb': arb_src}
    chosen = []
    if out_list.exists():  # lines tree:path, as tools/build-wasm-deps.sh reads them
        for line in out_list.read_text().splitlines():
            if ':' in line and not line.startswith('#'):
                tree, rel = line.split(':', 1)
                chosen.append(trees[tree] / rel)
    for round_ in range(60):
        objects = []
        for path in chosen:
            obj = object_of(path)
            if not obj.exists():
                obj.parent.mkdir(parents=True, exist_ok=True)
                subprocess.run(['emcc', *flags(path), '-c', str(path), '-o', str(obj)], check=True)
            objects.append(str(obj))
        link = subprocess.run(['emcc', '--bind', '-fexceptions', *inputs, *objects, f'{prefix}/lib/libmpfr.a',
                               f'{prefix}/lib/libgmp.a', '-o', str(work / 'probe.js')],
                              capture_output=True, text=True)
        missing = sorted(set(re.findall(r'undefined symbol: (\S+)', link.stderr)))
        if link.returncode == 0:
            print(f'wasm-closure: {len(chosen)} files', file=sys.stderr)
            return
        new = []
        for symbol in missing:
            path = home_of(symbol, names, chosen)
            if path is None:
                sys.exit(f'wasm-closure: no definition of {symbol}\n{link.stderr[-2000:]}')
            if path not in chosen and path not in new:
                new.append(path)
        if not new:
            sys.exit(f'wasm-closure: the link fails without a missing symbol:\n{link.stderr[-3000:]}')
        chosen += new
        lines = sorted(f"{'arb' if arb_src in p.parents else 'flint'}:"
                       f"{p.relative_to(arb_src if arb_src in p.parents else flint_src)}" for p in chosen)
        out_list.write_text(HEADER + ''.join(f'{line}\n' for line in lines))
        print(f'wasm-closure: round {round_}: {len(missing)} symbols, {len(chosen)} files', file=sys.stderr)
    sys.exit('wasm-closure: no end')


main()
