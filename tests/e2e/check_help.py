#!/usr/bin/env python3
"""Checks the built help file: unpacks it with extract_chmLib and follows every link and
picture from default.htm, which must all be inside; every page declares its character set, the
title names the program, and the key map is what resources/art/make_keymap.py draws now.

    tests/e2e/check_help.py [qv.chm, default build/win64/qv.chm]
"""

import html.parser
import os
import subprocess
import sys
import tempfile
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
results = []


def check(what, ok):
    results.append(ok)
    print(('ok   ' if ok else 'FAIL ') + what)
    return ok


class References(html.parser.HTMLParser):
    targets, charset = (), False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        self.targets += tuple(a[k] for k in ('href', 'src') if a.get(k) and tag in ('a', 'img'))
        self.charset |= tag == 'meta' and ('charset=' in a.get('content', '').lower() or 'charset' in a)


def main(argv):
    chm = argv[1] if len(argv) > 1 else os.path.join(ROOT, 'build', 'win64', 'qv.chm')
    with tempfile.TemporaryDirectory() as out:
        check('extract_chmLib unpacks ' + chm, subprocess.run(['extract_chmLib', chm, out]).returncode == 0)
        system = os.path.join(out, '#SYSTEM')
        check('the title names the program', os.path.isfile(system) and b'Tonvira' in open(system, 'rb').read())
        seen, queue = set(), ['default.htm']
        while queue:
            name = queue.pop(0)
            path = os.path.join(out, name)
            if name in seen or not check(name + ' is in the help file', os.path.isfile(path)):
                continue
            seen.add(name)
            if name.endswith('.htm'):
                parser = References()
                parser.feed(open(path, encoding='utf-8').read())
                check(name + ' declares its character set', parser.charset)
                parts = map(urllib.parse.urlsplit, parser.targets)
                queue += [p.path for p in parts if p.path and not p.scheme and not p.netloc]
        check('default.htm reaches more than one page', len(seen) > 2)
        sys.path.insert(0, os.path.join(ROOT, 'resources', 'art'))
        import make_keymap
        keymap = os.path.join(out, 'keymap.png')
        check('keymap.png is what make_keymap.py draws now',
              os.path.isfile(keymap) and open(keymap, 'rb').read() == make_keymap.build())
    print('check_help: %d passed, %d failed' % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
