#!/usr/bin/env python3
"""Checks the release package that tools/release.sh made.

    python3 tools/check_release.py [build/release/tonvira-<version>.zip]

Without an argument it checks the package of the version that project() in CMakeLists.txt sets.
The programs must import nothing but Windows system DLLs (read from their import tables with
MinGW's objdump), be stripped, and the two GUI programs must carry the version information of
the package's version and the application manifest. The texts must be UTF-8 with a byte order
mark and CRLF line ends, the help file a compiled help file holding every page qv.hhp lists and
every page and picture its contents page reaches (unpacked with extract_chmLib), its pages as
resources/help has them now, with the key map that resources/art/make_keymap.py draws now, and the
demo a recording. TimGM6mb.sf2, the SoundFont of the built-in synthesizer, must be the file of
Debian's timgm6mb-soundfont byte for byte, and TimGM6mb-licence.txt beside it must name its
authors, the Debian package and its version, and hold the full GNU GPL version 2.
"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path[:0] = [os.path.join(ROOT, "tools", "midi_capture"), os.path.join(ROOT, "resources", "art"),
                os.path.join(ROOT, "tools")]
import make_keymap  # noqa: E402
import recording_reader  # noqa: E402
import soundfont_licence  # noqa: E402

# DLLs that every Windows from 7 on has in its system directory. The built-in synthesizer's audio
# output imports ole32.dll (COM, through which MMDevAPI and WASAPI are reached: mmdevapi.dll is
# loaded by COM, never imported) and avrt.dll (the multimedia class scheduler, for the audio thread).
SYSTEM_DLLS = {
    "advapi32.dll", "avrt.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll",
}
# The package's files; any further .exe is checked like the programs (imports, stripped).
PROGRAMS = {"tonvira.exe": "i686", "tonvira64.exe": "x86_64"}
OTHER_FILES = {"qv.chm", "demo.qvi", "README.txt", "LICENSE.txt", "TimGM6mb.sf2", "TimGM6mb-licence.txt"}
CONSOLE_PROGRAMS = {"tonvira-tool.exe": "i686"}
SUPPORTED_OS = {
    "Windows 7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "Windows 8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "Windows 8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "Windows 10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}

passed = failed = 0


def check(ok, what):
    global passed, failed
    passed += bool(ok)
    failed += not ok
    print(("ok   " if ok else "FAIL ") + what)
    return ok


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(Tonvira VERSION (\d+\.\d+\.\d+)", f.read()).group(1)


def tool(arch, name):
    return f"{arch}-w64-mingw32-{name}"


def check_program(path, name, arch, version):
    headers = subprocess.run([tool(arch, "objdump"), "-p", path], capture_output=True, text=True).stdout
    magic = "PE32+" if arch == "x86_64" else "PE32)"
    check(magic in headers, f"{name}: {'64' if arch == 'x86_64' else '32'}-bit program ({magic.rstrip(')')})")
    if arch != "x86_64":  # 4 GiB of address space on 64-bit Windows, not 2
        check("large address aware" in headers, f"{name}: large-address-aware")
    dlls = re.findall(r"DLL Name: (\S+)", headers)
    print(f"     {name} imports: {', '.join(dlls)}")
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    check(dlls and not foreign, f"{name}: imports only Windows system DLLs" +
          (f" (not: {', '.join(foreign)})" if foreign else ""))
    sections = subprocess.run([tool(arch, "objdump"), "-h", path], capture_output=True, text=True).stdout
    flags = subprocess.run([tool(arch, "objdump"), "-f", path], capture_output=True, text=True).stdout
    check(".debug" not in sections and "HAS_SYMS" not in flags, f"{name}: stripped")
    if name not in PROGRAMS:
        return
    check("(Windows GUI)" in headers, f"{name}: a Windows GUI program")
    rc = subprocess.run([tool(arch, "windres"), "-i", path, "-O", "rc"], capture_output=True, text=True).stdout
    numbers = version.replace(".", ", ") + ", 0"
    check(f"FILEVERSION {numbers}" in rc and f"PRODUCTVERSION {numbers}" in rc
          and f'VALUE "FileVersion", "{version}"' in rc and f'VALUE "ProductVersion", "{version}"' in rc,
          f"{name}: version information {version}")
    check(f'VALUE "OriginalFilename", "{name}"' in rc, f"{name}: its own name in the version information")
    manifest = "".join(re.findall(r'^\s*"(.*)\\n"$', rc.split("RT_MANIFEST", 1)[-1].split("\nEND", 1)[0], re.M))
    check('level=""asInvoker""' in manifest and all(g in manifest for g in SUPPORTED_OS.values())
          and "Common-Controls" not in manifest,
          f"{name}: manifest: asInvoker, {', '.join(SUPPORTED_OS)}, no Common Controls 6")


def windows_text(data, name, must_hold):
    check(data.startswith(b"\xef\xbb\xbf"), f"{name}: UTF-8 with a byte order mark")
    check(b"\n" in data and data.count(b"\n") == data.count(b"\r\n") and data.count(b"\r") == data.count(b"\r\n"),
          f"{name}: CRLF line ends")
    try:
        text = data[3:].decode("utf-8")
    except UnicodeDecodeError:
        return check(False, f"{name}: valid UTF-8")
    missing = [m for m in must_hold if m not in text]
    check(not missing, f"{name}: holds {', '.join(must_hold)}" + (f" (missing: {missing})" if missing else ""))
    return text


def check_help(chm, path, work):
    if not check(chm.startswith(b"ITSF"), "qv.chm: a compiled help file"):
        return
    out = os.path.join(work, "qv.chm.unpacked")
    subprocess.run(["extract_chmLib", path, out], check=True, stdout=subprocess.DEVNULL)
    inside = lambda name: os.path.isfile(os.path.join(out, name)) and open(os.path.join(out, name), "rb").read()
    with open(os.path.join(ROOT, "resources", "help", "qv.hhp"), encoding="utf-8") as f:
        listed = re.search(r"\[FILES\]([^[]*)", f.read()).group(1).split()
    reached, queue = set(), ["default.htm"]
    while queue:  # the pages default.htm reaches, and their links and pictures of our own
        name = queue.pop(0)
        if name not in reached and inside(name) is not False and name.endswith(".htm"):
            text = inside(name).decode("utf-8")
            check(re.search(r"<meta [^>]*charset=", text, re.I), f"qv.chm: {name} declares its character set")
            queue += re.findall(r'<(?:a|img) [^>]*(?:href|src)="([^"#:]+)[#"]', text)
        reached.add(name)
    absent = sorted(n for n in reached | set(listed) if inside(n) is False)
    check(not absent and len(reached) > 2, f"qv.chm: holds the {len(reached | set(listed))} files qv.hhp "
          f"lists and default.htm reaches" + (f" (missing: {absent})" if absent else ""))
    pages = [n for n in listed if n.endswith(".htm")]
    source = lambda name: open(os.path.join(ROOT, "resources", "help", name), "rb").read()
    stale = [n for n in pages if inside(n) is not False and inside(n) != source(n)]
    check(pages and not stale, f"qv.chm: its {len(pages)} pages are those of resources/help now" +
          (f" (not: {stale})" if stale else ""))
    sound = (inside("sound.htm") or b"").decode("utf-8", "replace")
    check("内置合成器" in sound and ".sf2" in sound and "TimGM6mb.sf2" in sound,
          "qv.chm: sound.htm tells of the built-in synthesizer and its SoundFont")
    check(inside("keymap.png") == make_keymap.build(), "qv.chm: keymap.png is what make_keymap.py draws now")


def check_soundfont(sf2, licence):
    """TimGM6mb.sf2 is Debian's file byte for byte; its licence text names where it comes from."""
    sl = soundfont_licence
    try:
        with open(sl.SOUNDFONT, "rb") as f:
            system = f.read()
        with open(sl.COPYRIGHT, encoding="utf-8") as f:
            authors = sl.holders(sl.soundfont_fields(f.read())[1])
        with open(sl.GPL2, encoding="utf-8") as f:
            gpl = f.read().rstrip("\n")
        version = sl.package_version()
    except (OSError, ValueError, subprocess.CalledProcessError) as error:
        check(False, f"TimGM6mb.sf2: Debian's {sl.PACKAGE} to compare with ({error}; "
              "tools/install-deps.sh installs it)")
        return
    check(sf2[:4] == b"RIFF" and sf2[8:12] == b"sfbk", "TimGM6mb.sf2: a SoundFont 2 file")
    check(sf2 == system, f"TimGM6mb.sf2: {sl.SOUNDFONT} of {sl.PACKAGE} {version} byte for byte "
          f"({len(sf2)} bytes)")
    text = windows_text(licence, "TimGM6mb-licence.txt",
                        ["TimGM6mb.sf2", "GNU General Public License version 2",
                         f"{sl.PACKAGE}, version {version}"])
    if text:
        text = text.replace("\r\n", "\n")
        missing = [a for a in authors if a not in text]
        check(authors and not missing, f"TimGM6mb-licence.txt: names the {len(authors)} copyright holders "
              f"of Debian's copyright file" + (f" (missing: {missing})" if missing else ""))
        check("GNU GENERAL PUBLIC LICENSE" in gpl[:100] and "Version 2, June 1991" in gpl[:100] and gpl in text,
              f"TimGM6mb-licence.txt: holds the full GNU GPL version 2 ({sl.GPL2})")


def main(argv):
    version = project_version()
    package = argv[1] if len(argv) > 1 else os.path.join(ROOT, "build", "release", f"tonvira-{version}.zip")
    folder = f"tonvira-{version}/"
    if not check(os.path.isfile(package), f"package {package} exists"):
        print(f"release package: {passed} passed, {failed} failed")
        return 1
    check(os.path.basename(package) == f"tonvira-{version}.zip", f"named after version {version}")
    print(f"     {os.path.getsize(package)} bytes")
    with zipfile.ZipFile(package) as z, tempfile.TemporaryDirectory() as work:
        names = z.namelist()
        for n in names:
            print(f"     {n}  ({z.getinfo(n).file_size} bytes)")
        check(z.testzip() is None, "the zip reads back without errors")
        check(all(n.startswith(folder) for n in names), f"everything in the folder {folder}")
        files = {n[len(folder):] for n in names if n.startswith(folder) and n != folder}
        missing = (set(PROGRAMS) | set(CONSOLE_PROGRAMS) | OTHER_FILES) - files
        unknown = {f for f in files - set(PROGRAMS) - OTHER_FILES if not f.endswith(".exe")}
        check(not missing and not unknown, "holds the programs, help, demo, README, licence and SoundFont" +
              (f" (missing {sorted(missing)}, unexpected {sorted(unknown)})" if missing or unknown else ""))
        z.extractall(work)
        here = os.path.join(work, folder)
        for name in sorted(f for f in files if f.endswith(".exe")):
            arch = PROGRAMS.get(name) or CONSOLE_PROGRAMS.get(name, "x86_64")
            check_program(os.path.join(here, name), name, arch, version)
        read = lambda name: open(os.path.join(here, name), "rb").read() if name in files else b""
        text = windows_text(read("README.txt"), "README.txt",
                            [f"Tonvira {version}", "tonvira64.exe", "demo.qvi", "TimGM6mb.sf2",
                             "TimGM6mb-licence.txt", "内置合成器"])
        if text:
            check(not re.search(r"\]\(|\*\*|```|<!--", text), "README.txt: plain text, no Markdown marks")
        windows_text(read("LICENSE.txt"), "LICENSE.txt",
                     ["MIT License", "Copyright (c) 2026 the Tonvira developers"])
        check_soundfont(read("TimGM6mb.sf2"), read("TimGM6mb-licence.txt"))
        check_help(read("qv.chm"), os.path.join(here, "qv.chm"), work)
        demo = os.path.join(here, "demo.qvi")
        try:
            key_mode, bass, events = recording_reader.read(demo)
            shifts = {e[3] for e in events if e[1] == 256}
            check(bass == 1 and {-1, 0, 1} <= shifts and len(events) >= 20,
                  f"demo.qvi: a recording with automatic bass and chords raised and lowered "
                  f"({len(events)} events)")
        except (OSError, AssertionError, TypeError, IndexError, ValueError) as error:
            check(False, f"demo.qvi: a recording ({error})")
        with open(os.path.join(ROOT, "docs", "demo.qvi"), "rb") as f:
            check(read("demo.qvi") == f.read(), "demo.qvi: the repository's docs/demo.qvi")
    print(f"release package: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
