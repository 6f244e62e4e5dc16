#!/usr/bin/env python3
"""tests/e2e/check_help.py [qv.chm, default build/win64/qv.chm]: in the help file, unpacked with
extract_chmLib, are every file qv.hhp lists and every link and picture default.htm reaches; each
page declares its character set; keymap.png is what make_keymap.py draws now."""

import os, re, subprocess, sys, tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'resources', 'art'))
import make_keymap  # noqa: E402

with tempfile.TemporaryDirectory() as out:
    chm = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build', 'win64', 'qv.chm')
    subprocess.run(['extract_chmLib', chm, out], check=True, stdout=subprocess.DEVNULL)
    inside = lambda name: os.path.isfile(os.path.join(out, name)) and open(os.path.join(out, name), 'rb').read()
    listed = re.search(r'\[FILES\]([^[]*)', open(os.path.join(ROOT, 'resources', 'help', 'qv.hhp')).read()).group(1).split()
    reached, queue, checks = set(), ['default.htm'], []
    while queue:
        name = queue.pop(0)
        if name not in reached and inside(name) is not False and name.endswith('.htm'):
            text = inside(name).decode('utf-8')
            checks.append((name + ' declares its character set', re.search(r'<meta [^>]*charset=', text, re.I)))
            queue += re.findall(r'<(?:a|img) [^>]*(?:href|src)="([^"#:]+)[#"]', text)  # our own files
        reached.add(name)
    checks += [(name + ' is in the help file', inside(name) is not False) for name in sorted(reached | set(listed))]
    checks += [('default.htm reaches more than one page', len(reached) > 2),
               ('keymap.png is what make_keymap.py draws now', inside('keymap.png') == make_keymap.build())]
print('\n'.join(('ok   ' if ok else 'FAIL ') + what for what, ok in checks))
failed = sum(not ok for _, ok in checks)
print('check_help: %d passed, %d failed' % (len(checks) - failed, failed))
sys.exit(failed > 0)
