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
passed = failed = 0


def check(what, ok):
    global passed, failed
    if ok:
        passed += 1
        print('ok   ' + what)
    else:
        failed += 1
        print('FAIL ' + what)


class References(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets, self.charset = [], False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'a' and a.get('href'):
            self.targets.append(a['href'])
        if tag == 'img' and a.get('src'):
            self.targets.append(a['src'])
        if tag == 'meta' and ('charset=' in a.get('content', '').lower() or 'charset' in a):
            self.charset = True


def local(target):
    parts = urllib.parse.urlsplit(target)
    return None if parts.scheme or parts.netloc or not parts.path else parts.path


def main(argv):
    chm = argv[1] if len(argv) > 1 else os.path.join(ROOT, 'build', 'win64', 'qv.chm')
    with tempfile.TemporaryDirectory() as out:
        unpacked = subprocess.run(['extract_chmLib', chm, out], capture_output=True).returncode == 0
        check('extract_chmLib unpacks ' + chm, unpacked)
        with open(os.path.join(out, '#SYSTEM'), 'rb') if unpacked else open(os.devnull, 'rb') as f:
            check('the title names the program', b'Tonvira' in f.read())
        seen, queue = set(), ['default.htm']
        while queue:
            name = queue.pop(0)
            if name in seen:
                continue
            seen.add(name)
            path = os.path.join(out, name)
            check(name + ' is in the help file', os.path.isfile(path))
            if not name.endswith('.htm') or not os.path.isfile(path):
                continue
            parser = References()
            with open(path, encoding='utf-8') as f:
                parser.feed(f.read())
            check(name + ' declares its character set', parser.charset)
            queue += [t for t in map(local, parser.targets) if t]
        check('default.htm reaches more than one page', len(seen) > 2)
        keymap = os.path.join(out, 'keymap.png')
        if os.path.isfile(keymap):
            sys.path.insert(0, os.path.join(ROOT, 'resources', 'art'))
            import make_keymap
            with open(keymap, 'rb') as f:
                check('keymap.png is what make_keymap.py draws now', f.read() == make_keymap.build())
    print('check_help: %d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
