#!/usr/bin/env python3
"""Writes the desktop program's captions as JSON for the browser edition.

The captions stand once, in the desktop's sources: the control table
(src/ui/main_window/main_window_controls.cpp, by object name) and the other
texts (src/ui/shared/language.h, by constant name, inner namespaces as a
prefix: "range.kFrom"). The page reads this JSON, so both show the same words.
Each entry is [bilingual, English]; a row of the control table also gives its
description, as "<name>.description".

    tools/web-captions.py OUT.json
"""
import json
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
STRING = r'"(?:[^"\\]|\\.)*"'
STRINGS = rf'(?:{STRING}\s*)+'  # adjacent literals join
CAPTION = rf'(?:\{{\s*({STRINGS}),\s*({STRINGS})\}}|sameInBoth\(\s*({STRINGS})\))'


def literal(text):
    """The value of adjacent C++ string literals (UTF-8 source, simple escapes)."""
    parts = re.findall(STRING, text)
    return ''.join(json.loads(p) for p in parts)


def pair(match, first):
    bilingual, english, same = match.group(first, first + 1, first + 2)
    return [literal(same), literal(same)] if same else [literal(bilingual), literal(english)]


def language_captions(source):
    captions = {}
    prefix = []
    for line_match in re.finditer(r'namespace (\w+) \{|\}\s*// namespace (\w+)|inline constexpr Caption (\w+)\s*(?:=\s*)?' + CAPTION,
                                  source):
        opened, closed, name = line_match.group(1, 2, 3)
        if opened:
            if opened not in ('quill', 'captions'):
                prefix.append(opened)
        elif closed:
            if prefix and prefix[-1] == closed:
                prefix.pop()
        else:
            captions['.'.join(prefix + [name])] = pair(line_match, 4)
    return captions


def control_captions(source, named):
    captions = {}
    row = re.compile(r'\{\w+, "(\w*)", \w+, \w+, \{[^}]*\},\s*(' + CAPTION + r'|(?:captions::)?k\w+),\s*\w+,\s*(' + CAPTION +
                     r'|k\w+),\s*\d+\}')
    for m in row.finditer(source):
        name = m.group(1)
        if not name:
            continue
        caption = pair(m, 3) if m.group(3) or m.group(5) else named[m.group(2).replace('captions::', '')]
        captions[name] = caption
        if m.group(7) or m.group(9):
            captions[name + '.description'] = pair(m, 7)
    return captions


def main():
    language = (ROOT / 'src/ui/shared/include/ui/shared/language.h').read_text(encoding='utf-8')
    controls = (ROOT / 'src/ui/main_window/main_window_controls.cpp').read_text(encoding='utf-8')
    captions = language_captions(language)
    shared = dict(captions)
    shared['kNone'] = ['', '']
    for m in re.finditer(r'constexpr Caption (k\w+)\s*' + CAPTION, controls):
        shared[m.group(1)] = pair(m, 2)
    captions.update(control_captions(controls, shared))
    if not {'BtnSolve', 'MemoAN.description', 'range.kFrom', 'analysis.kRootTip'} <= captions.keys():
        sys.exit('web-captions: the caption tables were not understood')
    Path(sys.argv[1]).write_text(json.dumps(captions, ensure_ascii=False, indent=1) + '\n', encoding='utf-8')


if __name__ == '__main__':
    main()
