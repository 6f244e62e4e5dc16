#!/usr/bin/env bash
# The About box and the help window of the real tonvira.exe under Wine and Xvfb: Alt+8 then A
# opens the box (its texts are read back with tonvira_window_texts.exe), Esc closes it, Alt+8
# then H opens the help file beside the program. Leaves a screenshot in build/e2e/about-box.png.
#
#   tests/e2e/about_help.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup about_help "$0" "$@"
e2e_start
e2e_wait_for_window

texts() { /usr/lib/wine/wine64 "$build/tonvira_window_texts.exe" "$1" 2>/dev/null | tr -d '\r'; }
# Alt+8 as a person types it, then the item's access letter.
help_menu() {
  xdotool keydown Alt_L keydown 8; sleep 0.1; xdotool keyup 8 keyup Alt_L; sleep 0.5
  xdotool key "$1"; sleep 1
}
has_line() { grep -qxF -e "$1" "$out/about-box.txt"; }

help_menu a
texts '#32770' >"$out/about-box.txt" || true
import -window root "$out/about-box.png"
check "the About box opens without a title" has_line "title: "
check "its OK button" has_line "1: 确定"
for label in 联系： 主页： 下载地址一： 下载地址二： 把电脑键盘变成乐器。; do
  check "its label $label" has_line "-1: $label"
done
check "its four link controls and the title, drawn by the program" \
  bash -c "grep -cxE '100[2-58]: ' '$out/about-box.txt' | grep -qx 5"

xdotool key Escape; sleep 0.8
check "Esc closes the About box" bash -c "! /usr/lib/wine/wine64 '$build/tonvira_window_texts.exe' '#32770' >/dev/null 2>&1"

help_menu h
help=""
for _ in $(seq 1 50); do
  help=$(texts 'HH Parent' | head -n 1)
  [ -n "$help" ] && break
  sleep 0.2
done
check "the help command opens qv.chm from beside the program (help window titled Tonvira)" \
  test "$help" = "title: Tonvira"
e2e_finish
