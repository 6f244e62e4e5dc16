#!/usr/bin/env bash
# A Standard MIDI File brought in with tonvira-tool plays in the real program as the song sounds:
# the song is written with mido, imported by the host-built tool, named on the program's command
# line (so it plays by itself after start-up), and the captured notes are compared with the song's
# notes and times as mido reads them.
#
#   tests/e2e/import_playback.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup import_playback "$0" "$@"

song="$out/import-song.mid"
recording="$WINEPREFIX/drive_c/users/Public/import-song.qvi"
/usr/bin/python3 "$root/tests/e2e/import_playback.py" write "$song"
check "the tool imports the song" "$root/build/host/tonvira-tool" import "$song" -o "$recording"

e2e_start 'C:\users\Public\import-song.qvi'
# Splash 5 s, then 500 ms, then about 3 s of music: 20 note messages.
for _ in $(seq 1 200); do
  [ "$(python3 "$root/tests/e2e/recording_file.py" notes "$log")" -ge 20 ] && break
  sleep 0.1
done
sleep 0.5
wineserver -k 2>/dev/null || true
check "playback sounds the song's notes at its times" \
  /usr/bin/python3 "$root/tests/e2e/import_playback.py" compare "$song" "$log"
e2e_finish
