#!/usr/bin/env bash
# Makes the demo recording docs/demo.qvi by playing the real program: starts tonvira.exe (win64)
# under Wine and Xvfb with the MIDI capture driver, switches the automatic bass on, records the
# Chinese folk song "Jasmine Flower" (about 20 s, with a chord raised by Shift and two lowered by
# Ctrl) typed with xdotool, saves it through the real file dialog and checks the file.
#
#   tools/make-demo.sh [build directory, default build/win64]
#
# Needs a built win64 configuration (cmake --build --preset win64). Listen to the result with
# tools/run.sh, which plays it and leaves a .mid and a .wav.
set -euo pipefail
source "$(dirname "$0")/wine-harness.sh"
e2e_setup make_demo "$0" "$@"
files="$WINEPREFIX/drive_c/users/Public/tonvira-demo"
rm -rf "$files" && mkdir -p "$files"

# The tune in numbered notation, C major (A = "1" = middle C): "length keys [shift|ctrl]", the
# length in eighths of 300 ms, several keys joined by + sounding together as a chord.
#   3 = D, 5 = G, 6 = H, 1' = K, 2 = S, 1 = A, 7 = J, 2' = L
tune=(
  "2 d" "1 d" "1 g" "1 h" "1 k" "1 k" "1 h"   # 3  3 5 6 1' 1' 6
  "2 g" "1 g" "1 h" "4 a+d+g shift"            # 5  5 6 [1 3 5] an octave higher
  "2 d" "1 d" "1 g" "1 h" "1 k" "1 k" "1 h"   # 3  3 5 6 1' 1' 6
  "2 g" "1 g" "1 h" "4 a+d+g"                  # 5  5 6 [1 3 5]
  "2 g" "2 g" "2 g" "1 d" "1 g"                # 5  5  5  3 5
  "2 h" "2 h" "4 g+j+l ctrl"                   # 6  6  [5 7 2'] an octave lower
  "2 d" "1 s" "1 d" "2 g" "1 d" "1 s"          # 3  2 3  5  3 2
  "2 a" "1 a" "1 s" "6 a+d+g+k ctrl"           # 1  1 2  [1 3 5 1'] an octave lower
)
eighth_ms=300
gap_ms=50 # silence between a release and the next press

seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# The whole tune as one xdotool command line, so that its own sleeps keep the time.
tune_commands() {
  local entry length keys modifier modifier_key ms
  for entry in "${tune[@]}"; do
    read -r length keys modifier <<<"$entry"
    ms=$((length * eighth_ms))
    keys=(${keys//+/ })
    modifier_key=""
    case "${modifier:-}" in
      shift) modifier_key=Shift_L ;;
      ctrl) modifier_key=Control_L ;;
    esac
    if [ -n "$modifier_key" ]; then
      # The chord takes its octave from the modifier held when its first key goes down and
      # keeps it when the modifier is let go before the keys.
      printf '%s\n' keydown "$modifier_key" sleep 0.03 keydown --delay 10 "${keys[@]}" \
        sleep 0.1 keyup "$modifier_key" sleep "$(seconds $((ms - gap_ms - 130)))"
    else
      printf '%s\n' keydown --delay 10 "${keys[@]}" sleep "$(seconds $((ms - gap_ms)))"
    fi
    printf '%s\n' keyup --delay 0 "${keys[@]}" sleep "$(seconds "$gap_ms")"
  done
}

e2e_start
e2e_menu 5 c # 功能 > 自动增加低音: the automatic bass on
# 录音 > 开始录制 is the first item: Return chooses it, and the release of Return (a key that plays
# nothing) is all that reaches the window, so the recording starts clean.
e2e_menu 4 Return
mapfile -t commands < <(tune_commands)
xdotool "${commands[@]}"
sleep 0.3
e2e_menu 4 e # 停止录制
e2e_menu 4 s # 保存录音文件: the recording is untitled, so the dialog asks for a name
e2e_answer_dialog 'C:\users\Public\tonvira-demo\demo.qvi'
check "saved through the dialog" test -s "$files/demo.qvi"
xdotool key alt+F4
sleep 1

check "the recording is the tune: C major, automatic bass, chords raised and lowered" \
  python3 - "$files/demo.qvi" "$root/tools/midi_capture" "$(printf '%s\n' "${tune[@]}" | awk '{print $2}' | tr + '\n' | wc -l)" <<'EOF'
import sys
sys.path.insert(0, sys.argv[2])
keys = int(sys.argv[3])
import recording_reader

key_mode, bass, events = recording_reader.read(sys.argv[1])
presses = [e for e in events if e[1] == 256]
releases = [e for e in events if e[1] == 257]
length = sum(e[0] for e in events[1:]) / 1000
shifts = sorted({e[3] for e in presses})
print(f"key/mode {key_mode}, automatic bass {bass}, {len(presses)} presses, "
      f"{len(releases)} releases, shifts {shifts}, {length:.1f} s")
ok = (key_mode == 1297 and bass == 1 and len(presses) == len(releases) == keys
      and shifts == [-1, 0, 1] and 18 <= length <= 22)
sys.exit(0 if ok else 1)
EOF
if [ "$failed" -eq 0 ]; then
  cp "$files/demo.qvi" "$root/docs/demo.qvi"
  echo "wrote $root/docs/demo.qvi"
fi
e2e_finish
