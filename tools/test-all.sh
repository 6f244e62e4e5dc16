#!/usr/bin/env bash
# Sets up, builds every configuration and runs every test: unit tests (plain, under
# AddressSanitizer + UndefinedBehaviorSanitizer, under ThreadSanitizer and as 32-bit x86 under qemu),
# the Windows builds and their tests under Wine,
# the end-to-end run of the real program, the release package and its check, and the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds="${TONVIRA_FUZZ_SECONDS:-60}"
midi_fuzz_seconds="${TONVIRA_MIDI_FUZZ_SECONDS:-10}"

tools/install-deps.sh

step() { printf '\n== %s ==\n' "$*"; }

# Runs a test command and adds the counts of its closing line ("N tests failed out of M" from
# ctest, "...: N passed, M failed" from the scripts) to the totals printed at the end.
passed=0 failed=0
run_counted() {
  local log status=0 line
  log=$(mktemp)
  "$@" 2>&1 | tee "$log" || status=$?
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+|[0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  elif [[ $line =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
  fi
  return "$status"
}
on_display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
# A program driven through Xvfb and Wine can lose a start-up race now and then; an end-to-end
# script that fails is run once more, and only its second result counts.
run_e2e() {
  local before_passed=$passed before_failed=$failed
  if ! run_counted "$@"; then
    echo "-- $* failed; running it once more"
    passed=$before_passed failed=$before_failed
    run_counted "$@"
  fi
}

step "includes run one way"
run_counted tools/check-includes.sh
tools/line-count.sh

step "host build and unit tests"
cmake --preset host >/dev/null
cmake --build --preset host
run_counted ctest --preset host

step "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset host-sanitize >/dev/null
cmake --build --preset host-sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_counted ctest --preset host-sanitize

step "unit tests under ThreadSanitizer (the playback timer runs on a thread of its own)"
cmake --preset host-thread >/dev/null
cmake --build --preset host-thread
run_counted ctest --preset host-thread

step "host unit tests and the tool, 32-bit x86 under qemu"
cmake --preset host-i386 >/dev/null
cmake --build --preset host-i386
run_counted ctest --preset host-i386
run_counted cli/tests/import_out_of_memory.sh build/host-i386/tonvira-tool-emulated build/host/tonvira-tool \
  build/host-i386

step "artwork"
run_counted python3 resources/art/check_art.py

step "Windows builds (win64, win32)"
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

step "Windows tests under Wine and Xvfb"
tools/wine-prefix.sh
run_counted on_display ctest --preset win64

step "MIDI capture driver"
run_counted tools/midi_capture/test_capture.sh build/win64/tools/midi_capture

step "end to end: the real program under Wine"
run_e2e tests/e2e/record_save_export.sh
run_e2e tests/e2e/run_command.sh
run_e2e tests/e2e/builtin_synth.sh

step "release package: build, import tables, version information, contents, help pages"
tools/release.sh
run_counted python3 tools/check_release.py

step "fuzzing the recording-file reader for ${fuzz_seconds} s"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target recording_file_fuzzer
work=build/fuzz/corpus
rm -rf "$work" && mkdir -p "$work" && cp tests/fuzz/corpus/* "$work"/
build/fuzz/recording_file_fuzzer -max_total_time="$fuzz_seconds" -max_len=65536 -print_final_stats=1 "$work" 2>&1 | tail -n 12

step "fuzzing the MIDI file reader and the import for ${midi_fuzz_seconds} s"
cmake --build --preset fuzz --target midi_reader_fuzzer
work=build/fuzz/midi_corpus
rm -rf "$work" && mkdir -p "$work" && cp cli/tests/midi_corpus/* "$work"/
build/fuzz/midi_reader_fuzzer -max_total_time="$midi_fuzz_seconds" -max_len=65536 -print_final_stats=1 "$work" 2>&1 | tail -n 12

step "fuzzing the SoundFont reader for ${midi_fuzz_seconds} s"
cmake --build --preset fuzz --target soundfont_fuzzer
work=build/fuzz/soundfont_corpus
rm -rf "$work" && mkdir -p "$work" && cp synth/tests/soundfont_corpus/* "$work"/
build/fuzz/soundfont_fuzzer -max_total_time="$midi_fuzz_seconds" -max_len=65536 -print_final_stats=1 "$work" 2>&1 | tail -n 12

step "summary"
echo "tests: $passed passed, $failed failed"
