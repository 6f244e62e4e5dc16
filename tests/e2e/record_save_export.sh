#!/usr/bin/env bash
# The real tonvira.exe under Wine and Xvfb, driven with xdotool: a recording played, saved,
# exported, loaded and saved as through the real dialogs; the help window; keys until Alt+F4.
#   tests/e2e/record_save_export.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_setup record_save_export "$0" "$@"
files="$WINEPREFIX/drive_c/users/Public/tonvira-e2e" windows='C:\users\Public\tonvira-e2e\'
rm -rf "$files" && mkdir -p "$files"
e2e_start

e2e_menu 4 r                                       # 录音 > 开始录制; r's release is ignored
xdotool key --delay 150 a s shift+d ctrl+g h       # 1 2 3' 5, 6
sleep 0.3 && e2e_menu 4 e                          # 停止录制
e2e_menu 4 s && e2e_answer_dialog "${windows}song.qvi" # 保存录音文件: untitled, so the dialog
e2e_menu 4 c && e2e_answer_dialog "${windows}song.mid" # 导出为Midi格式文件
e2e_menu 4 r && xdotool key --delay 150 z x        # a second recording, not saved
e2e_menu 4 e && e2e_menu 4 Up Return               # 载入录音文件, the last item: asks first
xdotool key n sleep 0.8 && e2e_answer_dialog "${windows}song.qvi" # 否: drop the second one
e2e_menu 4 a && e2e_answer_dialog "${windows}again.qvi" # 录音文件另存为
check "saved, loaded over the unsaved one and saved as: the same bytes after the date" \
  cmp -i 64 "$files/song.qvi" "$files/again.qvi"
check "the Windows tonvira-tool counts the 5 notes in the saved recording" bash -c \
  "/usr/lib/wine/wine64 '$build/tonvira-tool.exe' info '${windows}song.qvi' | grep -q '音符: 5'"
check "exported: a MIDI file of format 0 with the notes played" /usr/bin/python3 - "$files/song.mid" <<'EOF_PY'
import sys, mido
song, played = mido.MidiFile(sys.argv[1]), [60, 62, 76, 55, 69]
ons = [m.note for m in song.tracks[0] if m.type == "note_on" and m.velocity > 0]
offs = [m.note for m in song.tracks[0] if m.type == "note_off"]  # and the closing silent note 1
print(f"format {song.type}, {song.ticks_per_beat} ticks a quarter, on {ons}, off {offs}")
sys.exit(not (song.type, song.ticks_per_beat, ons, offs) == (0, 192, played, played + [1]) or song.length <= 0)
EOF_PY

# 帮助 > 帮助 with Alt+8 as a person types it: Alt still down when 8 goes up.
xdotool keydown Alt_L keydown 8 sleep 0.1 keyup 8 keyup Alt_L sleep 0.5 key h sleep 1
help=$(e2e_find_window '^Tonvira$')
check "the help window (titled Tonvira) opens qv.chm from beside the program" test -n "$help"

# Alt+F4 closes the help window; then A, Shift+K, Ctrl+Q, Esc, the accelerator Alt+M (c minor,
# Alt let go before M, whose release reaches the window) and A reach the main window, and Alt+F4
# ends the program. The releases of the menu letter h and of m change nothing.
xdotool windowfocus "$help" key alt+F4 windowfocus --sync "$window" sleep 0.5
played=$(wc -l <"$log")
xdotool key a sleep 0.3 key shift+k sleep 0.3 key ctrl+q sleep 0.3 key Escape sleep 0.3 \
  key alt+m sleep 0.3 key a sleep 0.3 key alt+F4
check "Alt+F4 ends the program" timeout 10 tail --pid="$program" -f /dev/null
notes() { for n in "$@"; do printf 'note-on ch1 %d vel127\nnote-off ch1 %d vel0\n' "$n" "$n"; done; }
silence() { printf 'control ch%d 123 0\n' $(seq 16); }
stream=$(python3 "$root/tools/midi_capture/midi_log.py" "$log" | cut -d' ' -f3-)
check "the device opened once, the keys' messages in order, closed at the end" diff \
  <(grep -c '^open$' <<<"$stream"; sed -n "1,2p;$((played + 1)),\$p" <<<"$stream") \
  <(printf '%s\n' 1 open 'program ch1 0'; notes 60 84 31; silence; notes 63; silence; echo close)
e2e_finish
