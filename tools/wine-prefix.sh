#!/usr/bin/env bash
# Prepares the private Wine prefix that the Windows tests run in (build/wineprefix), created
# under a Chinese locale so that Wine sets up Chinese fonts and menus.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "could not prepare the Wine prefix in $WINEPREFIX" >&2; exit 1; }
