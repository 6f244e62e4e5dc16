# Sourced by the end-to-end tests and tools/make-demo.sh to drive the real tonvira.exe.
# e2e_setup NAME "$0" [BUILD_DIR] re-runs the calling script on a private Xvfb with the MIDI
# capture driver logging to build/e2e/NAME.log; e2e_start runs tonvira.exe until the script exits
# and finds its main window, $window; e2e_menu and e2e_answer_dialog drive it; check and
# e2e_finish count what was checked.

e2e_setup() {
  e2e_name="$1" passed=0 failed=0 root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  build="$(cd "${3:-$root/build/win64}" && pwd)"
  [ -n "${TONVIRA_E2E_ON_DISPLAY:-}" ] ||
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_E2E_ON_DISPLAY=1 "$2" "$build"
  out="$root/build/e2e" log="$root/build/e2e/$1.log"
  mkdir -p "$out" && rm -f "$log" && "$root/tools/wine-prefix.sh"
  export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 TONVIRA_CAPTURE_LOG="$log"
  "$root/tools/wine-midi.sh" --force "$build/tools/midi_capture/winetonvcap.drv" >/dev/null
}

e2e_start() {
  /usr/lib/wine/wine64 "$build/tonvira.exe" "$@" >"$out/$e2e_name.wine.out" 2>&1 &
  program=$!
  trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
  e2e_wait_for_window
}

e2e_find_window() { # prints the first visible window titled to match $1, waiting up to 30 s
  for _ in $(seq 300); do xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -m 1 . && return; sleep 0.1; done
}

e2e_wait_for_window() { # the splash is titled Tonvira alone; the first paint takes a second
  window=$(e2e_find_window '^Tonvira - \[')
  check "main window appears after the splash" test -n "$window"
  [ -n "$window" ] || e2e_finish
  sleep 1 && { xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"; } && sleep 0.3
}

# Alt+DIGIT opens a menu, the keys after choose the item. The letter's release reaches the window as
# a release without a press, which the window ignores.
e2e_menu() { xdotool key "alt+$1" sleep 0.4 key "${@:2}" sleep 0.8; }
# A file dialog opens with the focus in its name box, its text selected: types the Windows path.
e2e_answer_dialog() { xdotool type --delay 20 "$1" && xdotool sleep 0.2 key Return sleep 1; }

check() { # description, then a command that must succeed
  if "${@:2}"; then passed=$((passed + 1)) && echo "ok   $1"; else failed=$((failed + 1)) && echo "FAIL $1"; fi
}

e2e_finish() { echo "e2e $e2e_name: $passed passed, $failed failed" && [ "$failed" -eq 0 ]; exit; }
