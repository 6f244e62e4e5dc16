#!/usr/bin/env bash
# A recording file named on the command line plays by itself 500 ms after start-up: the real
# tonvira.exe under Wine and Xvfb; the captured notes and their timing are compared with the file.
#
#   tests/e2e/startup_playback.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup startup_playback "$0" "$@"

# A scale up and down in D major, with chords and shifted notes.
song="$WINEPREFIX/drive_c/users/Public/startup-song.qvi"
python3 "$root/tests/e2e/recording_file.py" write "$song" 1298 0 \
  "0 256 30 0" "250 257 30 0" "0 256 31 0" "250 257 31 0" "0 256 32 1" "0 256 33 1" \
  "400 257 32 1" "0 257 33 1" "120 256 34 -1" "300 257 34 -1" "60 256 37 0" "500 257 37 0"
e2e_start 'C:\users\Public\startup-song.qvi'
# The splash 5 s, then 500 ms, then about 2 s of music: 12 notes on and off.
for _ in $(seq 1 300); do
  [ "$(grep -sE ' data [0-9a-f]{6}[89]0$' "$log" | wc -l)" -ge 12 ] && break
  sleep 0.1
done
sleep 0.5
check "the program plays the file: every note in order and on time" \
  python3 "$root/tests/e2e/recording_file.py" compare "$song" "$log"
e2e_finish
