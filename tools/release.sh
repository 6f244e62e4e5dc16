#!/usr/bin/env bash
# Builds the release configurations (release-win32, release-win64: optimised and stripped) and
# packs build/release/tonvira-<version>.zip for Windows users: the 32-bit and the 64-bit
# program, the help file, the user's README, the licence, the demo recording, and the SoundFont
# the built-in synthesizer plays (TimGM6mb.sf2 from Debian's timgm6mb-soundfont, which
# tools/install-deps.sh installs) with its licence text. The version is the one project() sets in
# CMakeLists.txt. tools/check_release.py checks the package.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

tools/install-deps.sh
for preset in release-win32 release-win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target tonvira tonvira-tool tonvira_help # not the tests
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)
[ -n "$version" ] || { echo "release: no project version in build/release/win32" >&2; exit 1; }
name="tonvira-$version"
out="$root/build/release"
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"

# What the package holds: "source|name in the package", one file a line.
package=(
  "build/release/win32/tonvira.exe|tonvira.exe"
  "build/release/win64/tonvira.exe|tonvira64.exe"
  "build/release/win32/tonvira-tool.exe|tonvira-tool.exe"
  "build/release/win32/qv.chm|qv.chm"
  "docs/demo.qvi|demo.qvi"
  "/usr/share/sounds/sf2/TimGM6mb.sf2|TimGM6mb.sf2"
)
for entry in "${package[@]}"; do
  source_file="${entry%%|*}"
  if [ ! -f "$source_file" ]; then
    case "$source_file" in
      *.chm) echo "release: $source_file is missing: the help file is built with the program (default target)" >&2 ;;
      *.sf2) echo "release: $source_file is missing: tools/install-deps.sh installs it (timgm6mb-soundfont)" >&2 ;;
      *) echo "release: $source_file is missing" >&2 ;;
    esac
    exit 1
  fi
  cp "$source_file" "$stage/${entry#*|}"
done

# Texts for Windows: UTF-8 with a byte order mark and CRLF line ends, so Notepad shows them right.
windows_text() { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$1"; }
python3 tools/user_readme.py README.md "$version" >"$stage/README.md.txt"
windows_text "$stage/README.md.txt" >"$stage/README.txt"
rm "$stage/README.md.txt"
windows_text LICENSE >"$stage/LICENSE.txt"
# The SoundFont's licence (GPL version 2, full text) and origin, from Debian's files of the package.
python3 tools/soundfont_licence.py >"$stage/TimGM6mb-licence.lf"
windows_text "$stage/TimGM6mb-licence.lf" >"$stage/TimGM6mb-licence.txt"
rm "$stage/TimGM6mb-licence.lf"

# Files in a folder of the package's name, so that unpacking makes one folder.
(cd "$out" && python3 - "$name" <<'EOF'
import os, sys, zipfile
name = sys.argv[1]
with zipfile.ZipFile(name + ".zip", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.write(name, name + "/")
    for file in sorted(os.listdir(name)):
        z.write(os.path.join(name, file), name + "/" + file)
EOF
)
size=$(stat -c %s "$out/$name.zip")
echo "release package: build/release/$name.zip ($size bytes, $(((size + 1023) / 1024)) KiB)"
(cd "$out" && python3 -m zipfile -l "$name.zip")
