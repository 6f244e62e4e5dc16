#!/usr/bin/env python3
"""Prints the user's part of README.md as plain text, for README.txt in the release package.

    python3 tools/user_readme.py README.md VERSION

The user's part lies between the comments "<!-- user manual -->" and "<!-- end of user manual -->".
Markdown marks are taken out, tables are lined up in columns (Chinese characters count two), the
key map picture becomes the text map of docs/draw_keymap.py, and other pictures are left out.
"""

import os
import re
import sys
import unicodedata

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "docs"))
import draw_keymap  # noqa: E402

START, END = "<!-- user manual -->", "<!-- end of user manual -->"


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def inline(text):
    text = re.sub(r"\[([^\]]+)\]\((https?://[^)]+)\)", r"\1 (\2)", text)  # web link: keep the address
    text = re.sub(r"\[([^\]]+)\]\([^)]+\)", r"\1", text)  # link into the repository: the words only
    text = re.sub(r"\*\*([^*]+)\*\*", r"\1", text)
    return text.replace("`", "")


def table(rows):
    cells = [[inline(c.strip()) for c in row.strip().strip("|").split("|")] for row in rows]
    cells = [row for row in cells if not all(re.fullmatch(r":?-+:?", c) for c in row)]
    widths = [max(width(row[i]) for row in cells) for i in range(len(cells[0]))]
    lines = []
    for n, row in enumerate(cells):
        lines.append("  ".join(c + " " * (w - width(c)) for c, w in zip(row, widths)).rstrip())
        if n == 0:
            lines.append("  ".join("-" * w for w in widths))
    return lines


def convert(markdown, version):
    text = markdown.split(START, 1)[1].split(END, 1)[0]
    out = ["Tonvira " + version, "=" * len("Tonvira " + version), ""]
    lines = text.strip("\n").split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("|"):
            rows = []
            while i < len(lines) and lines[i].startswith("|"):
                rows.append(lines[i])
                i += 1
            out += table(rows)
            continue
        if line.startswith("```"):
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                out.append("    " + lines[i])
                i += 1
            i += 1
            continue
        picture = re.fullmatch(r"!\[[^\]]*\]\(([^)]+)\)", line.strip())
        if picture:
            if picture.group(1).endswith("keymap.png"):
                out += ["    " + row for row in draw_keymap.text_map().split("\n")]
                out.append("    (5,, two octaves below the middle row's, 5, one octave below, 5' one above)")
            elif out and out[-1] == "" and i + 1 < len(lines) and lines[i + 1] == "":
                i += 1  # no second blank line where a picture was
            i += 1
            continue
        heading = re.match(r"#+ (.*)", line)
        if heading:
            title = inline(heading.group(1))
            out += [title, "-" * width(title)]
        else:
            out.append(inline(line))
        i += 1
    return "\n".join(out).rstrip("\n") + "\n"


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 1
    with open(argv[1], encoding="utf-8") as f:
        markdown = f.read()
    if START not in markdown or END not in markdown:
        print(f"{argv[1]}: no '{START}' ... '{END}' part", file=sys.stderr)
        return 1
    sys.stdout.write(convert(markdown, argv[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
