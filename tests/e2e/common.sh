# Shared by the end-to-end scripts (sourced): runs the script on a private Xvfb display, prepares
# the Wine prefix with the MIDI capture driver logging to build/e2e/NAME.log, starts the real
# program, finds its main window, and counts checks.
#
#   e2e_setup NAME BUILD_DIR "$@"   (re-executes the calling script under Xvfb first)

e2e_setup() {
  local name="$1" script="$2"
  shift 2
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)" # from this file, for scripts elsewhere too
  build="$(cd "${1:-$root/build/win64}" && pwd)"
  if [ -z "${TONVIRA_E2E_ON_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_E2E_ON_DISPLAY=1 "$script" "$build"
  fi
  out="$root/build/e2e"
  mkdir -p "$out"
  "$root/tools/wine-prefix.sh"
  export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
  "$root/tools/wine-midi.sh" --force "$build/tools/midi_capture/winetonvcap.drv" >/dev/null
  log="$out/$name.log"
  rm -f "$log"
  export TONVIRA_CAPTURE_LOG="$log"
  e2e_name="$name"
  passed=0 failed=0
}

# Starts tonvira.exe with the given arguments; it is ended when the script exits.
e2e_start() {
  /usr/lib/wine/wine64 "$build/tonvira.exe" "$@" >"$out/$e2e_name.wine.out" 2>&1 &
  program=$!
  trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
}

# The main window is the full-screen one whose title starts with Tonvira (the splash is small).
main_window() {
  local candidate width
  for candidate in $(xdotool search --name '^Tonvira' 2>/dev/null || true); do
    width=$(xdotool getwindowgeometry "$candidate" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    if [ "${width:-0}" -ge 1000 ]; then echo "$candidate"; return 0; fi
  done
  return 0
}

# Waits out the splash for the main window, gives it the keyboard, and sets $window.
e2e_wait_for_window() {
  window=""
  for _ in $(seq 1 150); do
    window=$(main_window)
    [ -n "$window" ] && break
    sleep 0.1
  done
  check "main window appears after the splash" test -n "$window"
  [ -n "$window" ] || e2e_finish
  sleep 1 # let the first paint finish
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.3
}

check() { # description, then a command that must succeed
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $what"
  else
    failed=$((failed + 1))
    echo "FAIL $what"
  fi
}

e2e_finish() {
  echo "e2e $e2e_name: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
