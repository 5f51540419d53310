#!/usr/bin/env bash
# Installs the Debian packages of the groups named (run, test, fuzz; all three when none is named),
# skipping the ones already there: `make run` needs only the first, `make test` the first two.
set -euo pipefail

# To build Kopix and run it.
running=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libx11-dev libxtst-dev libxkbcommon-dev
  fonts-ipafont-gothic qt6-translations-l10n libqscintilla2-qt6-dev libqt6svg6
)
# To test it (a virtual X server, a window manager, the real pointer, keyboard and clipboard, what a
# screen reader reads over AT-SPI), to benchmark it, to check the sources' layout and to check and build
# the package.
testing=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool xclip x11-utils x11-xserver-utils wmctrl imagemagick
  desktop-file-utils appstream dpkg-dev lintian
  at-spi2-core python3-pyatspi dbus-daemon clang-format
)
# To fuzz it: only the rules, built with clang (its sanitizer and libFuzzer runtimes are
# libclang-rt-dev), seeded by a Python script.
fuzzing=(cmake ninja-build qt6-base-dev python3 clang libclang-rt-dev)

[ $# -eq 0 ] && set -- run test fuzz
packages=()
for group in "$@"; do
  case "$group" in
    run) packages+=("${running[@]}") ;;
    test) packages+=("${testing[@]}") ;;
    fuzz) packages+=("${fuzzing[@]}") ;;
    *) echo "usage: $0 [run] [test] [fuzz]" >&2; exit 2 ;;
  esac
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
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
