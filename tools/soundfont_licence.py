#!/usr/bin/env python3
"""Prints TimGM6mb-licence.txt, the text that goes beside TimGM6mb.sf2 in the release package.

    python3 tools/soundfont_licence.py

TimGM6mb.sf2 is the General MIDI SoundFont of Debian's package timgm6mb-soundfont; the package is
copied unchanged. The text says what the file is, who made it and where it comes from, taken from
Debian's copyright file of the package and the installed version (dpkg-query), and ends with the
full text of the GNU General Public License version 2, the file's licence
(/usr/share/common-licenses/GPL-2). release.sh turns the output into a Windows text.
"""

import re
import subprocess
import sys

PACKAGE = "timgm6mb-soundfont"
SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"
COPYRIGHT = f"/usr/share/doc/{PACKAGE}/copyright"
GPL2 = "/usr/share/common-licenses/GPL-2"


def paragraphs(text):
    """The paragraphs of a machine-readable Debian copyright file: {field: value}, continuation
    lines kept with their leading blank taken off and a lone "." read as an empty line; the
    paragraph's own lines as "" (its key cannot be a field's name)."""
    result = []
    for block in re.split(r"\n\s*\n", text.strip("\n")):
        fields, name = {"": block}, None
        for line in block.split("\n"):
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + ("" if line.strip() == "." else line[1:])
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = value.strip()
        result.append(fields)
    return result


def soundfont_fields(text):
    """The header paragraph and the paragraph of TimGM6mb.sf2 of Debian's copyright file."""
    found = paragraphs(text)
    header = found[0]
    files = next((p for p in found[1:] if "TimGM6mb.sf2" in p.get("Files", "").split()), None)
    if not files or "Copyright" not in files or "License" not in files:
        raise ValueError(f"{COPYRIGHT}: no Files: TimGM6mb.sf2 paragraph with Copyright and License")
    if files["License"].split("\n", 1)[0].strip() != "GPL-2":
        raise ValueError(f"{COPYRIGHT}: TimGM6mb.sf2 is no longer under GPL-2: {files['License']!r}")
    return header, files


def holders(files):
    """The copyright lines of TimGM6mb.sf2, one a line: "2004 Tim Brechbill <...>"."""
    return [line.strip() for line in files["Copyright"].split("\n") if line.strip()]


def package_version():
    return subprocess.run(["dpkg-query", "-W", "-f=${Version}", PACKAGE],
                          check=True, capture_output=True, text=True).stdout.strip()


def indent(text, by="    "):
    return "\n".join((by + line).rstrip() for line in text.split("\n"))


def licence_text():
    with open(COPYRIGHT, encoding="utf-8") as f:
        header, files = soundfont_fields(f.read())
    with open(GPL2, encoding="utf-8") as f:
        gpl = f.read()
    version = package_version()
    authors = holders(files)
    source = header.get("Source", "")

    out = [
        "TimGM6mb.sf2: the SoundFont of Tonvira's built-in synthesizer",
        "=============================================================",
        "",
        "TimGM6mb.sf2 是 Tonvira 内置合成器使用的音色库（SoundFont）：“设备”菜单里的",
        "“内置合成器 (TimGM6mb.sf2)”用它发声。它不是 Tonvira 的一部分，由它的作者按",
        "GNU 通用公共许可证第 2 版（GNU General Public License version 2）发布，",
        "许可证全文在本文件的最后。",
        "",
        "What it is",
        "----------",
        "TimGM6mb.sf2 is a small but complete General MIDI sound bank in the SoundFont 2 format:",
        "the 128 General MIDI instruments and eight drum kits. Tonvira's built-in synthesizer (the",
        "设备 menu's \"内置合成器 (TimGM6mb.sf2)\", chosen at start) and tonvira-tool's render",
        "command play it. It is not part of Tonvira and not under Tonvira's MIT licence",
        "(LICENSE.txt): it is a separate work, shipped beside the programs under its own licence,",
        "the GNU General Public License version 2. Tonvira only reads it as data; without it",
        "Tonvira plays through a MIDI output device.",
        "",
        "Who made it",
        "-----------",
        "Copyright:",
        *("    " + a for a in authors),
        "MuseScore 1.3 shipped it as its sound bank." + (" Its source, the last change to it:" if source else ""),
        *(["    " + source] if source else []),
        "",
        "Where this copy comes from",
        "--------------------------",
        f"From Debian's package {PACKAGE}, version {version}, which installs it as",
        f"{SOUNDFONT}; copied unchanged, byte for byte. The SoundFont file is itself",
        "the form in which it is changed (with any SoundFont editor); Debian's source package",
        f"{PACKAGE}, version {version}, holds the same file. Debian's copyright file of the",
        f"package ({COPYRIGHT}) says of it:",
        "",
        indent(files[""]),
        "",
        "Licence",
        "-------",
        "TimGM6mb.sf2 is free software; you can redistribute it and/or modify it under the terms of",
        "the GNU General Public License version 2 as published by the Free Software Foundation.",
        "It is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; without",
        "even the implied warranty of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. The full",
        "text of the GNU General Public License version 2 follows.",
        "",
        "-" * 77,
        "",
    ]
    return "\n".join(out) + "\n" + gpl.rstrip("\n") + "\n"


def main(argv):
    if len(argv) != 1:
        print(__doc__.strip(), file=sys.stderr)
        return 1
    try:
        sys.stdout.write(licence_text())
    except (OSError, ValueError, subprocess.CalledProcessError) as error:
        print(f"soundfont_licence: {error} (is {PACKAGE} installed? tools/install-deps.sh installs it)",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
