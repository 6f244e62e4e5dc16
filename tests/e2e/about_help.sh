#!/usr/bin/env bash
# The About box and the help window from the real menu of tonvira.exe under Wine and Xvfb:
# Alt+8 then A opens the box (its texts read back with tonvira_window_texts.exe), Esc closes it,
# Alt+8 then H opens the help file beside the program.
#
#   tests/e2e/about_help.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup about_help "$0" "$@"
e2e_start
e2e_wait_for_window

texts() { /usr/lib/wine/wine64 "$build/tonvira_window_texts.exe" "$1" 2>/dev/null | tr -d '\r'; }
help_menu() { # Alt+8 as a person types it, then the item's access letter
  xdotool keydown Alt_L keydown 8; sleep 0.1; xdotool keyup 8 keyup Alt_L; sleep 0.5
  xdotool key "$1"; sleep 1
}
help_menu a
box=$(texts '#32770' || true)
check "the About box opens, untitled, with its OK button and text" \
  bash -c 'grep -qx "title: " <<<"$1" && grep -qx "1: 确定" <<<"$1" && grep -qx -- "-1: 把电脑键盘变成乐器。" <<<"$1"' - "$box"
xdotool key Escape; sleep 0.8
check "Esc closes it" bash -c "! /usr/lib/wine/wine64 '$build/tonvira_window_texts.exe' '#32770' >/dev/null 2>&1"
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
