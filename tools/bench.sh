#!/usr/bin/env bash
# Prints the benchmarks: the recording's bulk operations for a million events, tonvira-tool's
# import and notation of large inputs, and the synthesizer's render speed next to FluidSynth's on a
# busy song (host build), the key latency of the real main window under Wine with the MIDI
# capture driver, the key-to-sound latency of the real program playing through its built-in
# synthesizer under Wine, heard through a private PulseAudio server, and the built-in
# synthesizer's own latency from a message's dispatch to the audio client.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh libfluidsynth-dev

cmake --preset host >/dev/null
cmake --build --preset host --target tonvira_file_bench tonvira_tool_bench tonvira_synth_bench
build/host/tonvira_file_bench --benchmark_min_time=1 "$@"
build/host/tonvira_tool_bench --benchmark_min_time=1 "$@"
/usr/bin/python3 tools/make-busy-song.py build/busy-song.mid
build/host/tonvira_synth_bench /usr/share/sounds/sf2/FluidR3_GM.sf2 build/busy-song.mid

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target tonvira tonvira_key_latency_bench tonvira_playback_timing_bench tonvira_capture_driver
tools/wine-prefix.sh
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
tools/wine-midi.sh --force build/win64/tools/midi_capture/winetonvcap.drv >/dev/null
unset TONVIRA_CAPTURE_LOG
xvfb-run -a -s "-screen 0 1280x1024x24" /usr/lib/wine/wine64 build/win64/tonvira_key_latency_bench.exe
/usr/lib/wine/wine64 build/win64/tonvira_playback_timing_bench.exe
tests/bench/key_to_sound.sh
# The built-in synthesizer alone: dispatch of a note to the hand-over of its first block to the
# audio client, in the sound prefix, through the private PulseAudio server.
cmake --build --preset win64 --target tonvira_builtin_latency_bench
(
  source tools/wine-harness.sh
  root="$PWD"
  sound_prefix
  trap sound_stop EXIT
  sound_server_start
  /usr/lib/wine/wine64 build/win64/tonvira_builtin_latency_bench.exe "$(winepath -w "$sound_font")" 300 2>/dev/null
)
