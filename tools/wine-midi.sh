#!/usr/bin/env bash
# Gives a Wine prefix a MIDI output device: installs the capture driver winetonvcap.drv (built
# from tools/midi_capture) as the prefix's audio driver "tonvcap".
#
#   tools/wine-midi.sh [--force] path/to/winetonvcap.drv
#
# The prefix is $WINEPREFIX (default build/wineprefix, created with tools/wine-prefix.sh when
# missing). Without --force the driver goes in only when the prefix has no MIDI output device of
# its own, which tonvira_midi_probe.exe (next to the driver) finds out. The driver replaces the
# prefix's audio driver (winealsa, winepulse), so a prefix with real sound loses it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  echo "usage: $0 [--force] path/to/winetonvcap.drv" >&2
  exit 1
}

force=0
driver=""
for argument in "$@"; do
  case "$argument" in
    --force) force=1 ;;
    -*) usage ;;
    *) [ -z "$driver" ] || usage; driver="$argument" ;;
  esac
done
[ -n "$driver" ] || usage
[ -f "$driver" ] || { echo "no driver at $driver" >&2; exit 1; }
driver="$(cd "$(dirname "$driver")" && pwd)/$(basename "$driver")"

wine=/usr/lib/wine/wine64
if [ -z "${WINEPREFIX:-}" ]; then
  "$root/tools/wine-prefix.sh"
  WINEPREFIX="$root/build/wineprefix"
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "$WINEPREFIX is not a Wine prefix" >&2; exit 1; }
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}"

if [ "$force" -eq 0 ]; then
  probe="$(dirname "$driver")/tonvira_midi_probe.exe"
  [ -f "$probe" ] || { echo "no $probe to look at the prefix's devices with (or use --force)" >&2; exit 1; }
  # The probe must see the prefix as it is, not as the capture settings would make it. Its
  # stderr is only Wine's and ALSA's chatter about missing sound hardware, unless it fails.
  errors=$(mktemp)
  listing=$(env -u TONVIRA_CAPTURE_DEVICES -u TONVIRA_CAPTURE_FAIL_OPEN -u TONVIRA_CAPTURE_LOG \
            "$wine" "$probe" 2>"$errors" | tr -d '\r') || true
  count=$(sed -n 's/^devices: //p' <<<"$listing")
  if [ -z "$count" ]; then
    echo "the probe did not say how many MIDI output devices there are:" >&2
    cat - "$errors" <<<"$listing" >&2
    rm -f "$errors"
    exit 1
  fi
  rm -f "$errors"
  # Devices other than this driver's own; a prefix that has only those gets the new build.
  others=$(grep '^device [0-9]*: ' <<<"$listing" | grep -v ': Tonvira Capture\( [0-9]\)\?$' || true)
  if [ -n "$others" ]; then
    echo "$WINEPREFIX has a MIDI output device of its own; not installing the capture driver (--force does):"
    echo "$others"
    exit 0
  elif [ "$count" -eq 0 ]; then
    echo "$WINEPREFIX has no MIDI output device; installing the capture driver"
  else
    echo "$WINEPREFIX already uses the capture driver; updating it"
  fi
else
  echo "installing the capture driver into $WINEPREFIX (forced)"
fi

cp "$driver" "$WINEPREFIX/drive_c/windows/system32/winetonvcap.drv"
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d tonvcap /f >/dev/null
# The registry reaches user.reg only when the wineserver has written it out.
wineserver -w
echo "MIDI output: winetonvcap.drv (Audio = tonvcap)"
