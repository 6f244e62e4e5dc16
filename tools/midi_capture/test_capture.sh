#!/usr/bin/env bash
# Checks the MIDI capture driver under Wine, in a prefix of its own that it throws away after.
#
#   tools/midi_capture/test_capture.sh BUILD_DIR
#
# BUILD_DIR holds the built winetonvcap.drv and tonvira_midi_probe.exe (build/win64/tools/
# midi_capture, or the directory of a standalone build); nothing is built here. The prefix is a
# copy of build/wineprefix when there is one, otherwise a new one (slower).
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 1; }
build="$(cd "$1" 2>/dev/null && pwd)" || { echo "no build directory $1" >&2; exit 1; }
driver="$build/winetonvcap.drv"
probe="$build/tonvira_midi_probe.exe"
for file in "$driver" "$probe"; do
  [ -f "$file" ] || { echo "missing $file: build the tonvira_capture_driver and tonvira_midi_probe targets" >&2; exit 1; }
done
wine=/usr/lib/wine/wine64
midi_log="$root/tools/midi_capture/midi_log.py"

work="$(mktemp -d /tmp/tonvira-capture.XXXXXX)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
unset TONVIRA_CAPTURE_DEVICES TONVIRA_CAPTURE_FAIL_OPEN TONVIRA_CAPTURE_LOG
cleanup() {
  [ -f "$WINEPREFIX/system.reg" ] && wineserver -w
  rm -rf "$work"
}
trap cleanup EXIT

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1"; shift; printf '     %s\n' "$@"; }

# Runs the probe with the given environment assignments and arguments; its output (without
# carriage returns) is in $out, its exit status in $status. It runs in C:\ as an installed program
# would, where a Unix path taken as a Windows one would name a directory on drive C.
out="" status=0
run_probe() {
  local assignments=()
  while [[ $# -gt 0 && $1 == *=* ]]; do assignments+=("$1"); shift; done
  out=$(cd "$WINEPREFIX/drive_c" &&
        env "${assignments[@]}" "$wine" "$probe" "$@" 2>"$work/probe.err" | tr -d '\r'
        exit "${PIPESTATUS[0]}")
  status=$?
}

# The "<device> <kind> [<message>]" part of each line of a log, one a line.
events() { cut -d' ' -f2- "$1"; }
# Whether the times (first field) of a log never go down.
times_rise() { awk 'NR > 1 && $1 < last { exit 1 } { last = $1 }' "$1"; }

mkdir -p "$work/logs/捕获 日志"
# A directory whose name needs more than the ANSI code page, and a space, for the Unix path.
log_dir="$work/logs/捕获 日志"

echo "== prefix"
started=$(date +%s%N)
if [ -f "$root/build/wineprefix/system.reg" ]; then
  cp -a "$root/build/wineprefix" "$WINEPREFIX"
  rm -f "$WINEPREFIX/wineserver"
  echo "copied build/wineprefix"
else
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  echo "created a new prefix"
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $WINEPREFIX" >&2; exit 1; }

echo "== install"
if output=$("$root/tools/wine-midi.sh" "$driver" 2>&1) &&
   cmp -s "$driver" "$WINEPREFIX/drive_c/windows/system32/winetonvcap.drv"; then
  pass "wine-midi.sh installs the driver where the prefix has no MIDI output of its own"
else
  fail "wine-midi.sh without --force did not install the driver" "$output"
fi
if output=$("$root/tools/wine-midi.sh" --force "$driver" 2>&1) &&
   "$wine" reg query 'HKCU\Software\Wine\Drivers' /v Audio 2>/dev/null | grep -q 'tonvcap'; then
  pass "wine-midi.sh --force sets Audio = tonvcap"
else
  fail "wine-midi.sh --force failed" "$output"
fi
echo "(prefix ready after $((($(date +%s%N) - started) / 1000000)) ms)"

echo "== devices"
run_probe
if [[ $status -eq 0 && $out == *$'devices: 1\n'* && $out == *$'\ndevice 0: Tonvira Capture'* &&
      $out != *'device 1:'* ]] && grep -q '^mapper: ' <<<"$out" && ! grep -q '^mapper: none' <<<"$out"; then
  pass "one device named Tonvira Capture, and a mapper"
else
  fail "the probe's listing is wrong" "$out"
fi

run_probe TONVIRA_CAPTURE_DEVICES=0 --send
if [[ $out == *'devices: 0'* && $out == *'mapper: none'* && $status -eq 2 ]]; then
  pass "TONVIRA_CAPTURE_DEVICES=0 leaves no device to open"
else
  fail "TONVIRA_CAPTURE_DEVICES=0 is not obeyed" "$out"
fi

run_probe TONVIRA_CAPTURE_DEVICES=3
if [[ $out == *'devices: 3'* && $out == *$'device 1: Tonvira Capture 2\n'* &&
      $out == *'device 2: Tonvira Capture 3'* ]]; then
  pass "TONVIRA_CAPTURE_DEVICES=3 gives Tonvira Capture, Tonvira Capture 2 and 3"
else
  fail "TONVIRA_CAPTURE_DEVICES=3 is not obeyed" "$out"
fi

run_probe TONVIRA_CAPTURE_DEVICES=9
if [[ $out == *'devices: 4'* && $out == *'device 3: Tonvira Capture 4'* ]]; then
  pass "more than 4 devices asked for gives 4"
else
  fail "TONVIRA_CAPTURE_DEVICES=9 does not give 4 devices" "$out"
fi

echo "== log"
expected=$'0 open\n0 data 007f3c90\n0 data 00003c80\n0 close'
log="$log_dir/unix.log"
run_probe "TONVIRA_CAPTURE_LOG=$log" --send
if [[ $status -eq 0 && -f $log && "$(events "$log")" == "$expected" ]] && times_rise "$log"; then
  pass "--send logs open, note-on, note-off, close, in time order (Unix path)"
else
  fail "--send with a Unix log path logged the wrong thing" "$out" "$(cat "$log" 2>/dev/null)"
fi

run_probe "TONVIRA_CAPTURE_LOG=$log" --send
if [[ $status -eq 0 && "$(events "$log")" == "$expected"$'\n'"$expected" ]] && times_rise "$log"; then
  pass "a second program appends to the log"
else
  fail "the second run did not append" "$(cat "$log")"
fi

windows_log="$work/logs/windows.log"
windows_log="Z:${windows_log//\//\\}"
run_probe "TONVIRA_CAPTURE_LOG=$windows_log" --send
if [[ $status -eq 0 && "$(events "$work/logs/windows.log" 2>/dev/null)" == "$expected" ]]; then
  pass "a Windows path ($windows_log) works as well"
else
  fail "--send with a Windows log path logged the wrong thing" "$out"
fi

log="$work/logs/mapper.log"
run_probe "TONVIRA_CAPTURE_LOG=$log" --send --mapper
if [[ $status -eq 0 && "$(events "$log" 2>/dev/null)" == "$expected" ]]; then
  pass "the MIDI mapper passes everything on to device 0"
else
  fail "sending through the mapper did not reach device 0 as expected" "$out" "$(cat "$log" 2>/dev/null)"
fi

log="$work/logs/second.log"
run_probe TONVIRA_CAPTURE_DEVICES=2 "TONVIRA_CAPTURE_LOG=$log" --send --device 1
if [[ $status -eq 0 && "$(events "$log" 2>/dev/null)" == $'1 open\n1 data 007f3c90\n1 data 00003c80\n1 close' ]]; then
  pass "each line names the device it came to"
else
  fail "sending to device 1 was logged wrong" "$out" "$(cat "$log" 2>/dev/null)"
fi

log="$work/logs/threads.log"
run_probe "TONVIRA_CAPTURE_LOG=$log" --send --threads 8
data_lines=$(grep -c -E '^[0-9]+ 0 data (007f3c90|00003c80)$' "$log" 2>/dev/null)
if [[ $status -eq 0 && $data_lines -eq 1600 && $(wc -l <"$log") -eq 1602 ]] && times_rise "$log"; then
  pass "8 threads sending 1600 messages: 1600 whole data lines, in time order"
else
  fail "messages from several threads were lost or mangled" "$out" "$data_lines whole data lines of $(wc -l <"$log" 2>/dev/null)"
fi

run_probe "TONVIRA_CAPTURE_LOG=$work/no such directory/x.log" --send
if [[ $status -eq 0 && $out == *'sent 2'* ]]; then
  pass "a log that cannot be opened does not stop the messages"
else
  fail "an unopenable log broke sending" "$out"
fi

run_probe --send
if [[ $status -eq 0 && $out == *'sent 2'* ]]; then
  pass "without TONVIRA_CAPTURE_LOG the messages are accepted"
else
  fail "sending without a log failed" "$out"
fi

run_probe --send --callback
if [[ $status -eq 0 && $out == *'callbacks: open 1 close 1'* ]]; then
  pass "a callback function hears MOM_OPEN and MOM_CLOSE once each"
else
  fail "the device did not report its open and close to the callback" "$out"
fi

echo "== failure injection"
log="$work/logs/fail.log"
run_probe TONVIRA_CAPTURE_FAIL_OPEN=1 "TONVIRA_CAPTURE_LOG=$log" --send
if [[ $status -eq 2 && $out == *'open failed: 4 '* && "$(events "$log" 2>/dev/null)" == "0 open-failed" ]]; then
  pass "TONVIRA_CAPTURE_FAIL_OPEN=1: midiOutOpen fails with MMSYSERR_ALLOCATED"
else
  fail "TONVIRA_CAPTURE_FAIL_OPEN=1 did not make the open fail" "$out" "$(cat "$log" 2>/dev/null)"
fi

echo "== midi_log.py"
log="$log_dir/unix.log"
if listing=$(python3 "$midi_log" "$log") &&
   [[ $listing == *' dev0 note-on ch1 60 vel127'* && $listing == *' dev0 note-off ch1 60 vel0'* &&
      $(grep -c ' dev0 close$' <<<"$listing") -eq 2 ]]; then
  pass "midi_log.py prints a captured log in words"
else
  fail "midi_log.py printed the wrong thing" "$listing"
fi
# A log made up for the purpose, and the MIDI file for it worked out by hand: a 200 ms gap (two
# bytes of delta time), a two-byte program change, a real-time message left out, a pitch bend.
printf '%s\n' '5000 0 open' '5000 0 data 007f3c90' '5200 0 data 00003c80' '5200 0 data 000005c1' \
  '5203 0 data 000000f8' '5210 0 data 004000e0' '5300 0 close' >"$work/made.log"
expected_smf='4d546864000000060000000101f44d54726b0000001b00ff510307a12000903c7f8148803c0000c1050ae0004000ff2f00'
if listing=$(python3 "$midi_log" "$work/made.log" --smf "$work/made.mid") &&
   [[ "$(od -An -tx1 -v "$work/made.mid" | tr -d ' \n')" == "$expected_smf" &&
      $listing == *'dev0 program ch2 5'* && $listing == *'dev0 pitch-bend ch1 8192'* ]]; then
  pass "midi_log.py --smf writes a format 0 file, a tick a millisecond"
else
  fail "midi_log.py --smf wrote the wrong file" "$listing" "$(od -An -tx1 -v "$work/made.mid" 2>/dev/null)"
fi
printf '5000 0 data 007f3c\n' >"$work/bad.log"
if ! python3 "$midi_log" "$work/bad.log" >/dev/null 2>&1; then
  pass "midi_log.py refuses a malformed line"
else
  fail "midi_log.py read a malformed line without complaint"
fi

echo
echo "capture driver: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
