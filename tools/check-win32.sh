#!/usr/bin/env bash
# Runs the 32-bit programs that ship, before a release. These machines cannot execute 32-bit code
# and Debian's Wine here is 64-bit only, so the programs run under Debian's 32-bit Wine on
# qemu-i386 (user-mode emulation), from a private root of Debian's i386 packages, with the host's
# wineserver and a small preloaded library (tools/qemu-wine32-shim.c) that mends what qemu does
# differently from the kernel. Under Xvfb, in a 32-bit Wine prefix with the Chinese locale, it runs
#   - the Windows tests (tonvira_win_tests.exe), each test counted;
#   - tonvira-tool.exe on docs/demo.qvi: info, export (the MIDI file read back with mido) and
#     notation, each checked against tools/midi_capture/recording_reader.py;
#   - tonvira.exe with docs/demo.qvi, through the MIDI capture driver (winetonvcap.drv): the main
#     window after the splash, the recording played by itself, note for note and on time, and
#     Alt+F4 ending the program.
#
#   tools/check-win32.sh [BUILD_DIR]
#
# Without BUILD_DIR it configures and builds the win32 preset (build/win32). With one, such as
# build/release/win32 after tools/release.sh, it checks the programs found there, and builds the
# tests and the capture driver in it when they are missing. The first run downloads about 140 MB
# of packages and prepares build/wine32/ (the i386 root, the shim, the prefix); later runs reuse
# it, and a new version of the host's Wine starts it afresh. Logs and a screenshot stay in
# build/wine32/run/. Prints "N passed, M failed" and how long it took; exits 1 on a failure.
set -uo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cache="$source_dir/build/wine32"
root="$cache/root"
shim_source="$source_dir/tools/qemu-wine32-shim.c"
shim="$cache/qemu-wine32-shim.so"
out="$cache/run"
passed=0 failed=0

check() { # description, then a command that must succeed
  if "${@:2}"; then passed=$((passed + 1)) && echo "ok   $1"; else failed=$((failed + 1)) && echo "FAIL $1"; fi
}

minutes() { printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); }

finish() {
  local now
  now=$(date +%s)
  echo "took $(minutes $((now - started))) (preparing $(minutes "$prepared"))"
  echo "win32: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

give_up() { # a step that everything after it needs failed
  echo "check-win32: $*" >&2
  failed=$((failed + 1))
  finish
}

# --- on the host: packages, the build, the i386 root and the shim -------------------------------

prepare_root() {
  local wine_version apt_options deb pair dll
  wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) ||
    give_up "the host's Wine (wine64) is not installed"
  # The host's wineserver serves the 32-bit Wine, so both must be the same version.
  [ "$(cat "$root/.tonvira-root" 2>/dev/null)" = "$wine_version" ] && return 0
  echo "Preparing the i386 root for Wine $wine_version in $root"
  rm -rf "$root" "$cache/apt" "$cache/prefix"
  mkdir -p "$cache/apt/lists/partial" "$cache/apt/archives/partial" "$root"
  : >"$cache/apt/status"
  # apt with state of its own: the host's sources, architecture i386 only, an empty package
  # database (so the whole closure is downloaded) and nothing installed on the host.
  apt_options=(-o Dir::State="$cache/apt" -o Dir::State::Lists="$cache/apt/lists"
    -o Dir::State::status="$cache/apt/status" -o Dir::Cache="$cache/apt"
    -o Dir::Cache::archives="$cache/apt/archives" -o APT::Architecture=i386
    -o APT::Architectures::=i386 -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  # wine32 and the X libraries that Wine's X11 driver loads at run time (recommended only).
  if ! { apt-get "${apt_options[@]}" update >"$cache/apt.log" 2>&1 &&
    apt-get "${apt_options[@]}" install -y --download-only --no-install-recommends \
      "wine32=$wine_version" "libwine=$wine_version" libxcomposite1 libxcursor1 libxfixes3 \
      libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 >>"$cache/apt.log" 2>&1; }; then
    tail -n 20 "$cache/apt.log" >&2
    give_up "could not download Debian's wine32:i386 $wine_version (see $cache/apt.log)"
  fi
  for deb in "$cache"/apt/archives/*.deb; do
    dpkg-deb -x "$deb" "$root" || give_up "could not unpack $deb"
  done
  # What libwine's installation script does: zlib from the MinGW package as Wine builtin DLLs.
  for pair in i686:i386 x86_64:x86_64; do
    dll="$root/usr/${pair%:*}-w64-mingw32/lib/zlib1.dll"
    { head -c 64 "$dll" && printf 'Wine builtin DLL' && head -c 16 /dev/zero && tail -c +97 "$dll"; } \
      >"$root/usr/lib/i386-linux-gnu/wine/${pair#*:}-windows/zlib1.dll" || give_up "could not install $dll"
  done
  rm -f "$cache"/apt/archives/*.deb
  # The host's fonts (the Chinese font among them), not the root's few.
  rm -rf "$root/usr/share/fonts"
  echo "$wine_version" >"$root/.tonvira-root"
}

# Written on every run (a few files), so that a moved checkout still works.
write_launcher() {
  local qemu launcher="$root/usr/lib/wine/wine-qemu"
  qemu=$(command -v qemu-i386-static) || give_up "qemu-i386-static is missing"
  # Wine starts each new process by the name it was started as, in its own folder: this file.
  {
    echo '#!/bin/sh'
    echo '# Wine'"'"'s 32-bit loader under qemu-i386, written by tools/check-win32.sh.'
    printf 'WINELOADERNOEXEC=1 exec %q -L %q -0 %q %q "$@"\n' "$qemu" "$root" "$launcher" "$root/usr/lib/wine/wine"
  } >"$launcher"
  chmod +x "$launcher"
  # The 32-bit dynamic linker reads /etc from the root (qemu's -L): the root's own libraries
  # first, and the shim in every process.
  printf '%s\n' "$root/lib/i386-linux-gnu" "$root/usr/lib/i386-linux-gnu" >"$root/etc/ld.so.conf"
  ldconfig -X -C "$root/etc/ld.so.cache" -f "$root/etc/ld.so.conf" || give_up "ldconfig failed for $root"
  echo "$shim" >"$root/etc/ld.so.preload"
  # The host's fonts and configuration, with a cache of the 32-bit fontconfig's own.
  mkdir -p "$cache/fontconfig-cache"
  cat >"$cache/fonts.conf" <<EOF_FONTS
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <cachedir>$cache/fontconfig-cache</cachedir>
</fontconfig>
EOF_FONTS
}

if [ -z "${TONVIRA_WIN32_ON_DISPLAY:-}" ]; then
  started=$(date +%s) prepared=0
  "$source_dir/tools/install-deps.sh" qemu-user-static gcc-multilib || give_up "installing the packages failed"
  if [ $# -eq 0 ]; then
    build="$source_dir/build/win32"
    (cd "$source_dir" && cmake --preset win32 >/dev/null && cmake --build --preset win32) ||
      give_up "the win32 build failed"
  else
    [ -d "$1" ] || give_up "no build directory $1"
    build="$(cd "$1" && pwd)"
    if [ ! -f "$build/tonvira_win_tests.exe" ] || [ ! -f "$build/tools/midi_capture/winetonvcap.drv" ]; then
      cmake --build "$build" --target tonvira_win_tests tonvira_capture_driver ||
        give_up "could not build the tests and the capture driver in $build"
    fi
  fi
  for program in tonvira.exe tonvira-tool.exe tonvira_win_tests.exe tools/midi_capture/winetonvcap.drv; do
    [ -f "$build/$program" ] || give_up "no $build/$program"
    [[ $(i686-w64-mingw32-objdump -f "$build/$program") == *"file format pei-i386"* ]] ||
      give_up "$build/$program is not a 32-bit Windows program"
  done
  built=$(date +%s)
  prepare_root
  if [ ! "$shim" -nt "$shim_source" ]; then
    gcc -m32 -shared -fPIC -O2 -Wall -Wextra -Werror -o "$shim" "$shim_source" -ldl -lpthread ||
      give_up "could not build $shim (gcc -m32 needs gcc-multilib)"
  fi
  write_launcher
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_WIN32_ON_DISPLAY=1 \
    TONVIRA_WIN32_STARTED="$started" TONVIRA_WIN32_PREPARED="$(($(date +%s) - built))" "$0" "$build"
fi

# --- under Xvfb: the prefix and the checks ------------------------------------------------------

started="$TONVIRA_WIN32_STARTED" prepared="$TONVIRA_WIN32_PREPARED" build="$1"
wine="$root/usr/lib/wine/wine-qemu"
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEARCH=win32 WINEPREFIX="$cache/prefix" WINESERVER="$wineserver" WINELOADERNOEXEC=1 \
  WINEDEBUG=-all LANG=zh_CN.UTF-8 FONTCONFIG_FILE="$cache/fonts.conf"
rm -rf "$out" && mkdir -p "$out"

if [ ! -f "$WINEPREFIX/.tonvira-ready" ]; then
  echo "Preparing the 32-bit Wine prefix $WINEPREFIX"
  prefix_started=$(date +%s)
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  timeout 1200 "$wine" wineboot -i >"$cache/wineboot.log" 2>&1
  "$WINESERVER" -w
  [ -f "$WINEPREFIX/system.reg" ] || give_up "could not prepare the Wine prefix (see $cache/wineboot.log)"
  # Under Xvfb there is no window manager; Wine would wait two seconds for one each time a
  # window goes away. Unmanaged windows do not wait.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.tonvira-ready"
  prepared=$((prepared + $(date +%s) - prefix_started))
fi

# One Wine session for all the checks: Wine's services start once.
program=""
trap '[ -z "$program" ] || kill "$program" 2>/dev/null; "$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINESERVER" -p
cp "$build/tools/midi_capture/winetonvcap.drv" "$WINEPREFIX/drive_c/windows/system32/winetonvcap.drv"
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d tonvcap /f >/dev/null 2>&1 ||
  give_up "could not install the MIDI capture driver"
echo "Checking the 32-bit programs in $build"

python=/usr/bin/python3 # Debian's, with python3-mido
export PYTHONPATH="$source_dir/tools/midi_capture" PYTHONDONTWRITEBYTECODE=1

# The Windows tests.
timeout 1200 "$wine" "$build/tonvira_win_tests.exe" >"$out/win_tests.log" 2>"$out/win_tests.err"
tests_status=$?
tr -d '\r' <"$out/win_tests.log" | grep -E '^\[ +(OK|FAILED) +\] .*\([0-9]+ ms\)'
tests_passed=$(tr -d '\r' <"$out/win_tests.log" | grep -cE '^\[ +OK +\] .*\([0-9]+ ms\)')
tests_failed=$(tr -d '\r' <"$out/win_tests.log" | grep -cE '^\[ +FAILED +\] .*\([0-9]+ ms\)')
passed=$((passed + tests_passed)) failed=$((failed + tests_failed))
# Each test counts once; this check is for a run that crashed or hung before its summary.
check "tonvira_win_tests.exe ran to its summary ($tests_passed passed, $tests_failed failed)" \
  bash -c "grep -q '^\[==========\] .* ran\.' '$out/win_tests.log' && [ $tests_status = 0 -o $tests_failed != 0 ]"

# tonvira-tool on the demo, in a folder of its own.
cp "$source_dir/docs/demo.qvi" "$out/demo.qvi"
tool() { (cd "$out" && timeout 300 "$wine" "$build/tonvira-tool.exe" "$@" 2>>"$out/tool.err" | tr -d '\r'); }
tool info demo.qvi >"$out/info.txt"
info_status=$?
check "tonvira-tool info: the recording's events and notes" \
  "$python" - "$out/demo.qvi" "$out/info.txt" "$info_status" <<'EOF_PY'
import sys, recording_reader
_, _, events = recording_reader.read(sys.argv[1])
text = open(sys.argv[2], encoding="utf-8").read()
line = f"  事件: {len(events)}, 音符: {sum(event[1] != 257 for event in events)}"
sys.exit(sys.argv[3] != "0" or line not in text.splitlines() or "  调式: " not in text)
EOF_PY

tool export demo.qvi -o demo.mid >"$out/export.txt"
export_status=$?
check "tonvira-tool export: a MIDI file with every note of the recording, on time (read with mido)" \
  "$python" - "$out/demo.qvi" "$out/demo.mid" "$out/export.txt" "$export_status" <<'EOF_PY'
import sys, mido, recording_reader
song, midi, said, status = sys.argv[1:5]
_, bass, events = recording_reader.read(song)
# Each event's time from the start of the recording, as the export writes it.
times, now = [], 0
for delay, *_ in events:
    now += delay
    times += [now] * (2 if bass == 1 else 1)
want = [(t, *note[1:]) for t, note in zip(times, recording_reader.expected_notes(song))]
got, sounding, tempo, ms, f = [], set(), 500000, 0.0, mido.MidiFile(midi)
for message in mido.merge_tracks(f.tracks):
    ms += mido.tick2second(message.time, f.ticks_per_beat, tempo) * 1000
    if message.type == "set_tempo":
        tempo = message.tempo
    elif message.type == "note_on" and message.velocity > 0:
        sounding.add((message.channel, message.note))
        got.append((ms, 0x90, message.channel, message.note))
    elif message.type in ("note_on", "note_off") and (message.channel, message.note) in sounding:
        sounding.discard((message.channel, message.note))  # the silent closing note is no note
        got.append((ms, 0x80, message.channel, message.note))
tick = tempo / f.ticks_per_beat / 1000
bad = status != "0" or open(said, encoding="utf-8").read().strip() != "demo.qvi -> demo.mid"
for channel in sorted({note[2] for note in want} | {note[2] for note in got}):
    w = [note for note in want if note[2] == channel]
    g = [note for note in got if note[2] == channel]
    off = max((abs(a[0] - b[0]) for a, b in zip(w, g)), default=0)
    print(f"channel {channel + 1}: {len(w)} note messages expected, {len(g)} in the file, "
          f"{off:.1f} ms off at most")
    bad |= [n[1:] for n in w] != [n[1:] for n in g] or off > tick + 0.5
sys.exit(bad)
EOF_PY

tool notation demo.qvi >"$out/notation.txt"
notation_status=$?
check "tonvira-tool notation: a line for each note, at its time in the recording" \
  "$python" - "$out/demo.qvi" "$out/notation.txt" "$notation_status" <<'EOF_PY'
import sys, recording_reader
_, _, events = recording_reader.read(sys.argv[1])
starts, now = [], 0
for delay, message, *_ in events:
    now += delay
    if message != 257:
        starts.append(now)
lines = open(sys.argv[2], encoding="utf-8").read().splitlines()
def ms(text):
    minutes, seconds = text.split(":")
    return round((int(minutes) * 60 + float(seconds)) * 1000)
try:
    got = [ms(line.split()[0]) for line in lines[2:]]
except (ValueError, IndexError):
    got = None
sys.exit(sys.argv[3] != "0" or not lines or not lines[0].startswith("调式: ") or got != starts)
EOF_PY

# The program plays the demo once after start-up; the capture driver logs what it sends.
mkdir -p "$WINEPREFIX/drive_c/tonvira-check"
cp "$source_dir/docs/demo.qvi" "$WINEPREFIX/drive_c/tonvira-check/demo.qvi"
export TONVIRA_CAPTURE_LOG="$out/capture.log"
"$wine" "$build/tonvira.exe" 'C:\tonvira-check\demo.qvi' >"$out/tonvira.out" 2>&1 &
program=$!
window=""
for _ in $(seq 600); do # the splash, then the main window; slow under emulation
  window=$(xdotool search --onlyvisible --name '^Tonvira - \[C:\\tonvira-check\\demo\.qvi\]' 2>/dev/null | head -n 1)
  [ -n "$window" ] || ! kill -0 "$program" 2>/dev/null && break
  sleep 0.2
done
check "tonvira.exe shows its main window, titled with the recording, after the splash" test -n "$window"
if [ -n "$window" ]; then
  # Until every note has gone out, or the song's length and half a minute more.
  read -r expected seconds < <("$python" -c 'import sys, recording_reader
notes = recording_reader.expected_notes(sys.argv[1])
print(len(notes), notes[-1][0] // 1000 + 30)' "$out/demo.qvi")
  shot=""
  for _ in $(seq $((seconds * 5))); do
    sent=$(grep -c ' data [0-9a-f]*[89][0-9a-f]$' "$out/capture.log" 2>/dev/null)
    if [ -z "$shot" ] && [ "${sent:-0}" -ge $((expected / 2)) ]; then
      import -window root "$out/screenshot.png" 2>/dev/null && shot=taken
    fi
    [ "${sent:-0}" -ge "$expected" ] && break
    sleep 0.2
  done
  check "tonvira.exe played the whole recording 500 ms after start-up, note for note, on time" \
    "$python" - "$out/demo.qvi" "$out/capture.log" <<'EOF_PY'
import sys, midi_log, recording_reader
want, got = recording_reader.expected_notes(sys.argv[1]), midi_log.note_messages(sys.argv[2])
opened = next((r.ms for r in midi_log.read_log(sys.argv[2]) if r.kind == "open"), None)
if opened is None or not got:
    sys.exit(f"the device was {'never opened' if opened is None else 'sent no note'}")
wait = got[0][0] - opened - recording_reader.read(sys.argv[1])[2][0][0]  # after the first delay
late = max(abs(g[0] - got[0][0] - w[0]) for w, g in zip(want, got))
print(f"{len(want)} note messages expected, {len(got)} captured, from {wait} ms on, {late} ms off at most")
# The start-up timer waits 500 ms. Natively each note is within 25 ms of its time in the file;
# under emulation on a busy 2-core machine a few notes came up to 24 ms late (a note and its bass,
# sent together, 10 ms apart: the timer thread was held up), so 60 ms here.
sys.exit([w[1:] for w in want] != [g[1:] for g in got] or not 450 <= wait <= 1500 or late > 60)
EOF_PY
  sleep 1
  { xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"; } && sleep 0.3
  xdotool keydown Alt_L keydown F4 keyup F4 keyup Alt_L
  check "Alt+F4 ends tonvira.exe, which closes the MIDI device" \
    bash -c "timeout 30 tail --pid=$program -f /dev/null && tail -n 1 '$out/capture.log' | grep -q ' close$'"
  program=""
fi
finish
