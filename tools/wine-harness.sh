# Sourced by the end-to-end tests, tools/make-demo.sh, tools/run.sh and tests/bench/key_to_sound.sh
# to drive the real tonvira.exe.
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

# The built-in synthesizer's sound, recorded. The shared prefix's audio driver is the MIDI capture
# driver, which offers no audio endpoint, so the program plays its SoundFonts in a prefix of its
# own (build/wineprefix-pulse) whose audio goes to PulseAudio: sound_server_start runs a private
# server (socket in a temporary folder, PULSE_SERVER exported) whose null sink "cap" takes what
# Wine plays at real-time pace, sound_record FILE records the sink's monitor as raw 16-bit stereo
# at 48 kHz, and sound_stop ends both. sound_program DIR [BUILD_DIR] puts a copy of tonvira.exe
# (and its help) beside TimGM6mb.sf2 in DIR; the build tree itself stays without a SoundFont.
sound_rate=48000 sound_font=/usr/share/sounds/sf2/TimGM6mb.sf2

sound_prefix() {
  export WINEPREFIX="$root/build/wineprefix-pulse" WINEDEBUG=-all LANG=zh_CN.UTF-8
  [ -f "$WINEPREFIX/.tonvira-ready" ] && return
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "could not prepare the Wine prefix in $WINEPREFIX" >&2; return 1; }
  # As tools/wine-prefix.sh: no window manager under Xvfb, so unmanaged windows.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tonvira-ready"
}

sound_program() {
  local dir="$1" from="${2:-$root/build/win64}"
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$from/tonvira.exe" "$dir/"
  [ ! -f "$from/qv.chm" ] || cp "$from/qv.chm" "$dir/"
  cp "$sound_font" "$dir/"
}

sound_server=""
sound_recorder=""
sound_server_start() {
  sound_dir=$(mktemp -d /tmp/tonvira-pulse.XXXXXX)
  cat >"$sound_dir/null.pa" <<EOF_PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$sound_dir/native
load-module module-null-sink sink_name=cap rate=$sound_rate format=s16le channels=2 norewinds=1
set-default-sink cap
EOF_PA
  HOME="$sound_dir" XDG_RUNTIME_DIR="$sound_dir" env -u DISPLAY pulseaudio -n -F "$sound_dir/null.pa" --daemonize=no \
    --exit-idle-time=-1 --realtime=no --high-priority=no --use-pid-file=no --disable-shm=yes \
    >"$sound_dir/pulseaudio.log" 2>&1 &
  sound_server=$!
  export PULSE_SERVER="unix:$sound_dir/native"
  for _ in $(seq 200); do
    pactl info >/dev/null 2>&1 && return
    kill -0 "$sound_server" 2>/dev/null || break
    sleep 0.05
  done
  echo "PulseAudio did not start:" >&2 && cat "$sound_dir/pulseaudio.log" >&2
  return 1
}

sound_record() {
  parec -d cap.monitor --raw --format=s16le --rate="$sound_rate" --channels=2 --latency-msec=2 >"$1" &
  sound_recorder=$!
}

sound_stop() {
  local pid
  for pid in $sound_recorder $sound_server; do kill "$pid" 2>/dev/null || true; done
  for pid in $sound_recorder $sound_server; do wait "$pid" 2>/dev/null || true; done
  sound_recorder="" sound_server=""
  [ -z "${sound_dir:-}" ] || rm -rf "$sound_dir"
}

# e2e_setup_sound NAME "$0" [BUILD_DIR]: as e2e_setup, for the built-in synthesizer: no capture
# driver; the copy of the program in build/e2e/NAME/ and the sound prefix; the sound server runs
# until the script exits (sound_record can start recording). e2e_start_sound starts the copy.
e2e_setup_sound() {
  e2e_name="$1" passed=0 failed=0 root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  build="$(cd "${3:-$root/build/win64}" && pwd)"
  [ -n "${TONVIRA_E2E_ON_DISPLAY:-}" ] ||
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_E2E_ON_DISPLAY=1 "$2" "$build"
  out="$root/build/e2e" && mkdir -p "$out"
  sound_prefix
  sound_program "$out/$1" "$build"
  trap sound_stop EXIT
  sound_server_start
}

e2e_start_sound() {
  /usr/lib/wine/wine64 "$out/$e2e_name/tonvira.exe" "$@" >"$out/$e2e_name.wine.out" 2>&1 &
  program=$!
  trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true; sound_stop' EXIT
  e2e_wait_for_window
}
