#!/usr/bin/env bash
# Prepares the private Wine prefix that the Windows tests and the program run in
# (build/wineprefix), created under a Chinese locale so that Wine sets up Chinese fonts, code
# page 936 and menus.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.tonvira-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "could not prepare the Wine prefix in $WINEPREFIX" >&2; exit 1; }
  # Under Xvfb there is no window manager; Wine would wait two seconds for one each time a
  # window goes away. Unmanaged windows do not wait.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tonvira-ready"
fi
