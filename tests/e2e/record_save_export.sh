#!/usr/bin/env bash
# A recording made with the keyboard, saved and exported through the real file dialogs, loaded
# back and saved again: the real tonvira.exe under Wine and Xvfb, driven with xdotool. The two
# recording files must hold the same recording, and the MIDI file, read with the independent
# python3-mido, must be format 0 at 192 ticks a quarter with the notes played, the very bytes that
# tonvira-tool exports from the saved recording. The help menu opens the About box first, which
# Esc closes, and the help window at the end.
#
#   tests/e2e/record_save_export.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup record_save_export "$0" "$@"
files="$WINEPREFIX/drive_c/users/Public/tonvira-e2e"
rm -rf "$files" && mkdir -p "$files"
windows='C:\users\Public\tonvira-e2e\'
e2e_start
e2e_wait_for_window
help_menu() { # Alt+8 as a person types it, then the item's access letter
  xdotool keydown Alt_L keydown 8; sleep 0.1; xdotool keyup 8 keyup Alt_L; sleep 0.5
  xdotool key "$1"; sleep 1
}
help_menu a                                      # 关于
for _ in $(seq 1 50); do
  about=$(xdotool getwindowfocus)
  [ "$about" != "$window" ] && break
  sleep 0.2
done
check "the About box opens: an untitled window takes the focus" \
  test "$about" != "$window" -a -z "$(xdotool getwindowname "$about")"
/usr/lib/wine/wine64 "$build/tonvira_window_texts.exe" '#32770' 2>/dev/null | tr -d '\r' >"$out/about.txt" || true
check "its texts: no title, the OK button, the four labels and the notice" bash -c "cd '$out' &&
  for line in 'title: ' '1: 确定' '-1: 联系：' '-1: 主页：' '-1: 下载地址一：' '-1: 下载地址二：' \
    '-1: 把电脑键盘变成乐器。'; do grep -qxF -e \"\$line\" about.txt || exit 1; done"
xdotool key Escape; sleep 0.8
check "Esc closes it" test "$(xdotool getwindowfocus)" = "$window"

# Alt+4 opens the recording menu, a letter chooses the item. The letter's release reaches the
# window as a release without a press, which leaves the chord counts off; Esc puts them right.
menu() { xdotool key alt+4; sleep 0.4; xdotool key "$@"; sleep 0.8; }
settle() { xdotool key Escape; sleep 0.3; }
# The file dialog opens with the focus in its name box, its text selected.
answer_dialog() { xdotool type --delay 20 "$windows$1"; sleep 0.2; xdotool key Return; sleep 1; }

menu r && settle                                 # 开始录制
xdotool key --delay 150 a s shift+d ctrl+g h     # 1 2 3' 5, 6
sleep 0.3
menu e                                           # 停止录制
menu s && answer_dialog song.qvi                 # 保存录音文件: untitled, so the dialog
menu c && answer_dialog song.mid                 # 导出为Midi格式文件
menu r && settle                                 # a second recording, not saved
xdotool key --delay 150 z x
menu e
menu Up Return                                   # 载入录音文件, the last item: asks first
xdotool key n && sleep 0.8                       # 否: drop the second recording
answer_dialog song.qvi
check "the title names the loaded file" \
  bash -c "xdotool getwindowname $window | grep -q 'Tonvira - \[song.qvi\]'"
menu a && answer_dialog again.qvi                # 录音文件另存为
check "saved, loaded and saved again: the same recording" \
  python3 "$root/tests/e2e/recording_file.py" same "$files/song.qvi" "$files/again.qvi"
check "exported: a valid MIDI file holding the notes played" /usr/bin/python3 - "$files/song.mid" <<'EOF_PY'
import sys, mido
song, played = mido.MidiFile(sys.argv[1]), [60, 62, 76, 55, 69]
ons = [m.note for m in song.tracks[0] if m.type == "note_on" and m.velocity > 0]
offs = [m.note for m in song.tracks[0] if m.type == "note_off"]  # and the closing silent note 1
print(f"format {song.type}, {song.ticks_per_beat} ticks a quarter, on {ons}, off {offs}")
sys.exit(not (song.type == 0 and song.ticks_per_beat == 192 and song.length > 0 and
              ons == played and offs == played + [1]))
EOF_PY

check "tonvira-tool exports the saved recording byte for byte as the program did" \
  bash -c "'$root/build/host/tonvira-tool' export '$files/song.qvi' -o '$out/song-tool.mid' >/dev/null &&
    cmp '$files/song.mid' '$out/song-tool.mid'"
check "the Windows tonvira-tool describes the saved recording" \
  bash -c "/usr/lib/wine/wine64 '$build/tonvira-tool.exe' info '${windows}song.qvi' | grep -q '音符: 5'"

help_menu h                                      # 帮助
for _ in $(seq 1 50); do
  help=$(xdotool search --onlyvisible --name '^Tonvira$' 2>/dev/null || true)
  [ -n "$help" ] && break
  sleep 0.2
done
check "the help window (titled Tonvira) opens qv.chm from beside the program" test -n "$help"
e2e_finish
