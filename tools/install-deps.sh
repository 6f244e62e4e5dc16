#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and any named on the command line
# (tools/run.sh adds FluidSynth); does nothing when all are there.
#
#   tools/install-deps.sh [package...]
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 locales xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei fonts-liberation
  python3 python3-mido fp-utils libchm-bin
  fluidsynth timgm6mb-soundfont fluid-soundfont-gm
  pulseaudio pulseaudio-utils python3-numpy python3-xlib
  qemu-user-static g++-multilib
  "$@"
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Wine takes its code page from the C library's locale: without a generated zh_CN.UTF-8 it runs
# with code page 1252 and cannot even create files with Chinese names.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && return 0
  if [ -f /etc/locale.gen ]; then # Debian
    $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  else # Ubuntu
    $sudo locale-gen zh_CN.UTF-8 >/dev/null
  fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
ensure_chinese_locale
