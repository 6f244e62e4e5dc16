#!/usr/bin/env python3
"""Checks a built help file, unpacked with extract_chmLib: every link and picture reachable from
default.htm is inside, every page declares its character set, and the key map is what
resources/art/make_keymap.py draws now. (Its title is seen in the help window's, end to end.)

    tests/e2e/check_help.py [qv.chm, default build/win64/qv.chm]
"""

import os
import re
import subprocess
import sys
import tempfile
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'resources', 'art'))
import make_keymap  # noqa: E402

results = []


def check(what, ok):
    results.append(bool(ok))
    print(('ok   ' if ok else 'FAIL ') + what)
    return ok


with tempfile.TemporaryDirectory() as out:
    chm = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build', 'win64', 'qv.chm')
    check('extract_chmLib unpacks ' + chm, subprocess.run(['extract_chmLib', chm, out]).returncode == 0)
    inside = lambda name: os.path.isfile(os.path.join(out, name)) and open(os.path.join(out, name), 'rb').read()
    seen, queue = set(), ['default.htm']
    while queue:
        name = queue.pop(0)
        if name in seen or not check(name + ' is in the help file', inside(name) is not False):
            continue
        seen.add(name)
        if name.endswith('.htm'):
            text = inside(name).decode('utf-8')
            check(name + ' declares its character set', re.search(r'<meta [^>]*charset=', text, re.I))
            parts = map(urllib.parse.urlsplit, re.findall(r'<(?:a|img) [^>]*(?:href|src)="([^"]+)"', text))
            queue += [p.path for p in parts if p.path and not p.scheme and not p.netloc]
    check('default.htm reaches more than one page', len(seen) > 2)
    check('keymap.png is what make_keymap.py draws now', inside('keymap.png') == make_keymap.build())
print('check_help: %d passed, %d failed' % (results.count(True), results.count(False)))
sys.exit(0 if all(results) else 1)
