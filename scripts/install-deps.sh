#!/usr/bin/env bash
# Installs the Debian packages Kopix needs to build, run and test, skipping the ones already there.
set -euo pipefail

# To build Kopix and run it.
running=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libx11-dev libxkbcommon-dev
  fonts-ipafont-gothic qt6-translations-l10n libqscintilla2-qt6-dev libqt6svg6
)
# To test it (a virtual X server, a window manager, the real pointer, keyboard and clipboard), to
# benchmark it and to check and build the package.
testing=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool xclip x11-utils x11-xserver-utils wmctrl imagemagick
  desktop-file-utils appstream dpkg-dev
)
# To fuzz it.
fuzzing=(clang libfuzzer-14-dev)
packages=("${running[@]}" "${testing[@]}" "${fuzzing[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Kopix: these packages are missing and sudo is not available: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "Kopix: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
