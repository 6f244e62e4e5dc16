#!/usr/bin/env bash
# A recording made with the keyboard, saved and exported through the real file dialogs, loaded
# back and saved again: the real tonvira.exe under Wine and Xvfb, driven with xdotool. The two
# recording files must hold the same recording and the MIDI file must be a valid Standard MIDI
# File with the notes played (read with the independent python3-mido).
#
#   tests/e2e/record_save_export.sh [build directory, default build/win64]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/win64}" && pwd)"
if [ -z "${TONVIRA_E2E_ON_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_E2E_ON_DISPLAY=1 "$0" "$build"
fi

out="$root/build/e2e"
mkdir -p "$out"
"$root/tools/wine-prefix.sh"
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
"$root/tools/wine-midi.sh" --force "$build/tools/midi_capture/winetonvcap.drv" >/dev/null
export TONVIRA_CAPTURE_LOG="$out/record_save_export.log"
rm -f "$TONVIRA_CAPTURE_LOG"
files="$WINEPREFIX/drive_c/users/Public/tonvira-e2e"
rm -rf "$files" && mkdir -p "$files"
windows='C:\users\Public\tonvira-e2e\'

passed=0 failed=0
check() {
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $what"; else failed=$((failed + 1)); echo "FAIL $what"; fi
}
finish() {
  echo "e2e record_save_export: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

/usr/lib/wine/wine64 "$build/tonvira.exe" >"$out/wine.out" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT

main_window() {
  for candidate in $(xdotool search --name '^Tonvira' 2>/dev/null || true); do
    width=$(xdotool getwindowgeometry "$candidate" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    if [ "${width:-0}" -ge 1000 ]; then echo "$candidate"; return 0; fi
  done
  return 0
}
window=""
for _ in $(seq 1 150); do window=$(main_window); [ -n "$window" ] && break; sleep 0.1; done
check "main window appears after the splash" test -n "$window"
[ -n "$window" ] || finish
sleep 1
xdotool windowfocus "$window"
sleep 0.3

# The recording menu is Alt+4; its items are chosen by their access letters. The letter's release
# reaches the window as a key release without a press, which leaves the chord counts off; Esc
# puts them right, as the help line says.
menu() { xdotool key alt+4; sleep 0.4; xdotool key "$@"; sleep 0.8; }
settle() { xdotool key Escape; sleep 0.3; }
# The file dialog opens with the focus in its name box, its text selected.
answer_dialog() { xdotool type --delay 20 "$1"; sleep 0.2; xdotool key Return; sleep 1; }

menu r                                           # 开始录制
settle
xdotool key --delay 150 a s shift+d ctrl+g h     # 1 2 3' 5, 6
sleep 0.3
menu e                                           # 停止录制
menu s                                           # 保存录音文件: untitled, so the dialog
answer_dialog "${windows}song.qvi"
check "saved through the dialog" test -s "$files/song.qvi"
menu c                                           # 导出为Midi格式文件
answer_dialog "${windows}song.mid"
check "exported through the dialog" test -s "$files/song.mid"
menu r                                           # a second recording, not saved
settle
xdotool key --delay 150 z x
menu e
menu Up Return                                   # 载入录音文件, the last item: asks first
xdotool key n                                    # 否: drop the second recording
sleep 0.8
answer_dialog "${windows}song.qvi"
check "title names the loaded file" \
  bash -c "xdotool getwindowname $window | grep -q 'Tonvira - \[song.qvi\]'"
menu a                                           # 录音文件另存为
answer_dialog "${windows}again.qvi"
check "saved again after loading" test -s "$files/again.qvi"
check "the reloaded recording is the one recorded" \
  python3 "$root/tests/e2e/recording_file.py" same "$files/song.qvi" "$files/again.qvi"
check "the MIDI file is valid and holds the notes played" \
  /usr/bin/python3 "$root/tests/e2e/check_midi_file.py" "$files/song.mid" 60 62 76 55 69
xdotool key alt+F4
sleep 1
finish
