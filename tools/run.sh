#!/usr/bin/env bash
# Sets up what is missing, builds Tonvira (win64 to run here, win32 to ship), prepares the
# private Wine prefix and starts the program.
#
#   tools/run.sh [recording.qvi]
#
# A recording is named as this machine names it (~/songs/tune.qvi) or as Wine does
# (C:\users\Public\tune.qvi); the program loads it and plays it once after start-up.
#
# On a desktop the program simply starts (with the capture driver as MIDI device only when Wine
# finds none of its own). Without a display it runs under Xvfb with the MIDI capture driver and
# plays the recording, docs/demo.qvi when none is named, and leaves a screenshot taken while keys
# are down (build/screenshot.png), the MIDI it sent as a Standard MIDI File (build/run/played.mid)
# and, rendered from that with FluidSynth, the sound (build/run/played.wav). Then it runs a copy of
# the program beside TimGM6mb.sf2 (build/run/builtin/), whose built-in synthesizer plays the same
# recording into a private PulseAudio server, and leaves what it played, as recorded there, in
# build/run/builtin.wav (48 kHz, 16-bit stereo, from just before the first sound to just after
# the last).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

if [ $# -gt 1 ]; then
  echo "usage: $0 [recording.qvi]" >&2
  exit 1
fi
# TONVIRA_RUN_ON_XVFB marks the second half of a run without a display, on the Xvfb it started.
if [ -z "${TONVIRA_RUN_ON_XVFB:-}" ]; then
  # FluidSynth and a General MIDI sound font turn the captured MIDI into sound.
  tools/install-deps.sh fluidsynth fluid-soundfont-gm
  for preset in win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
  done
  tools/wine-prefix.sh
fi
headless=1
if [ -z "${TONVIRA_RUN_ON_XVFB:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  headless=0
fi
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
wine=/usr/lib/wine/wine64

# The recording as Wine names it, and as this machine does.
song_windows="" song_unix=""
if [ $# -eq 1 ]; then
  if [ -f "$1" ]; then
    song_unix="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    song_windows=$(winepath -w "$song_unix" 2>/dev/null) || { echo "Wine cannot name $1" >&2; exit 1; }
    # The program takes its command line whole, so a name with blanks would arrive in quotes;
    # the short form of the same path has none.
    case "$song_windows" in
      *" "* | *$'\t'*) song_windows=$(winepath -s "$song_windows" 2>/dev/null) ||
        { echo "Wine has no short name for $1" >&2; exit 1; } ;;
    esac
  else
    song_windows="$1"
    song_unix=$(winepath -u "$1" 2>/dev/null || true)
  fi
elif [ "$headless" -eq 1 ]; then
  song_unix="$root/docs/demo.qvi"
  song_windows=$(winepath -w "$song_unix" 2>/dev/null)
fi
arguments=()
[ -n "$song_windows" ] && arguments=("$song_windows")

if [ "$headless" -eq 0 ]; then
  tools/wine-midi.sh build/win64/tools/midi_capture/winetonvcap.drv
  echo "Starting Tonvira ${song_windows:+with $song_windows }(the shipped 32-bit program is build/win32/tonvira.exe)."
  exec "$wine" build/win64/tonvira.exe "${arguments[@]}"
fi

if [ -z "${TONVIRA_RUN_ON_XVFB:-}" ]; then
  echo "No display: running Tonvira under Xvfb${song_windows:+ with $song_windows}."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_RUN_ON_XVFB=1 "$0" "$@"
fi

# On Xvfb: the capture driver is the MIDI device and logs what the program sends.
tools/wine-midi.sh --force build/win64/tools/midi_capture/winetonvcap.drv >/dev/null
out="$root/build/run"
mkdir -p "$out"
export TONVIRA_CAPTURE_LOG="$out/capture.log"
rm -f "$TONVIRA_CAPTURE_LOG" "$out/played.mid" "$out/played.wav" "$root/build/screenshot.png"
"$wine" build/win64/tonvira.exe "${arguments[@]}" >"$out/wine.out" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT

# Waits out the splash and the playback, and takes the screenshot while keys are down.
python3 tools/watch_playback.py "$TONVIRA_CAPTURE_LOG" "$root/build/screenshot.png" ${song_unix:+"$song_unix"}
xdotool search --name '^Tonvira' 2>/dev/null | while read -r window; do
  xdotool windowfocus "$window" key alt+F4 2>/dev/null || true
done
sleep 1

echo "Screenshot of the main window: build/screenshot.png"
if [ -s "$TONVIRA_CAPTURE_LOG" ] && python3 tools/midi_capture/midi_log.py "$TONVIRA_CAPTURE_LOG" \
     --smf "$out/played.mid" | tail -n 1 | grep -qv '^wrote 0 '; then
  echo "MIDI the program sent, as a Standard MIDI File: build/run/played.mid"
  font=/usr/share/sounds/sf2/FluidR3_GM.sf2
  if command -v fluidsynth >/dev/null && [ -f "$font" ]; then
    if fluidsynth -ni -F "$out/played.wav" "$font" "$out/played.mid" >/dev/null 2>&1 && [ -s "$out/played.wav" ]; then
      echo "The sound, rendered with FluidSynth: build/run/played.wav"
    fi
  fi
else
  echo "The program sent no MIDI messages (see build/run/wine.out)."
fi

# The same recording through the built-in synthesizer: the copy runs in a Wine prefix of its own
# whose sound goes to PulseAudio (tools/wine-harness.sh), recorded until the recording has played.
kill $program 2>/dev/null || true
wineserver -k 2>/dev/null || true
source tools/wine-harness.sh
rm -f "$out/builtin.wav" "$out/builtin.raw"
sound_prefix
sound_program "$out/builtin" build/win64
trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true; sound_stop' EXIT
sound_server_start
sound_record "$out/builtin.raw"
"$wine" "$out/builtin/tonvira.exe" "${arguments[@]}" >"$out/builtin-wine.out" 2>&1 &
program=$!
/usr/bin/python3 -B - "$out/builtin.raw" ${song_unix:+"$song_unix"} <<'EOF_PY'
# Waits for the sound to start, to go on for the recording's length, and for the silence after the
# last release: 1.5 s of it. Gives up after a minute and the recording's length.
import sys, time
import numpy as np
sys.path.insert(0, "tools/midi_capture")
import recording_reader
try:
    length = recording_reader.expected_notes(sys.argv[2])[-1][0] / 1000
except Exception:  # no recording, or none it can read: the silence alone tells
    length = 0
rate = 48000
deadline = time.monotonic() + 60 + length
first = last = None
frames = 0
with open(sys.argv[1], "rb") as capture:
    while time.monotonic() < deadline:
        data = capture.read()
        data = data[:len(data) - len(data) % 4]
        sound = np.flatnonzero(np.frombuffer(data, dtype="<u4"))
        if len(sound):
            first = frames + sound[0] if first is None else first
            last = frames + sound[-1]
        frames += len(data) // 4
        capture.seek(frames * 4)
        if first is not None and frames - first >= (length + 1.5) * rate and frames - last >= 1.5 * rate:
            break
        time.sleep(0.2)
EOF_PY
xdotool search --name '^Tonvira' 2>/dev/null | while read -r window; do
  xdotool windowfocus "$window" key alt+F4 2>/dev/null || true
done
timeout 10 tail --pid="$program" -f /dev/null || true
sleep 0.5 # PulseAudio still holds the last of the sound
sound_stop
if /usr/bin/python3 - "$out/builtin.raw" "$out/builtin.wav" <<'EOF_PY'
# From 0.1 s before the first sound to 0.5 s after the last, as a 16-bit stereo WAV file.
import sys, wave
import numpy as np
rate = 48000
frames = np.fromfile(sys.argv[1], dtype="<u4")
sound = np.flatnonzero(frames)
if len(sound) == 0:
    sys.exit(1)
with wave.open(sys.argv[2], "wb") as out:
    out.setnchannels(2)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(frames[max(0, sound[0] - rate // 10):sound[-1] + rate // 2].tobytes())
EOF_PY
then
  rm -f "$out/builtin.raw"
  echo "What the built-in synthesizer played (TimGM6mb.sf2), as recorded: build/run/builtin.wav"
else
  echo "The built-in synthesizer played nothing (see build/run/builtin-wine.out)."
fi
