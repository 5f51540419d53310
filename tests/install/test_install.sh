#!/usr/bin/env bash
# Installs Kopix into a temporary prefix (DESTDIR) and checks it as a user would meet it: the files a
# desktop looks for (and valid), the command-line options without a display, an installed copy that keeps
# its settings and sample in the user's folders and writes nothing under the prefix, a portable copy that
# keeps them beside itself, and the .deb that holds the same files.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$work/root/usr"
for file in bin/kopix share/kopix/Sample.txt share/kopix/help/0.html share/kopix/help/830.html \
  share/applications/org.kopix.Kopix.desktop share/metainfo/org.kopix.Kopix.metainfo.xml \
  share/icons/hicolor/scalable/apps/org.kopix.Kopix.svg share/man/man1/kopix.1; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 24 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/org.kopix.Kopix.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$prefix/share/applications/org.kopix.Kopix.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$prefix/share/metainfo/org.kopix.Kopix.metainfo.xml" >/dev/null ||
  fail "metainfo invalid"

# Both options answer without any display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kopix" --help | grep -q 'FILE' ||
  fail "--help"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kopix" --version)" = "kopix 0.1" ] ||
  fail "--version"

# The installed copy, run once by a user of its own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
before=$(cd "$work/root" && find . -printf '%p %s %T@\n' | sort)
KOPIX_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=xcb xvfb-run -a "$prefix/bin/kopix" >/dev/null 2>&1 ||
  fail "the installed program did not run"
ini="$XDG_CONFIG_HOME/Kopix/Kopix.ini"
[ -f "$ini" ] || fail "no $ini"
[ -f "$XDG_DATA_HOME/Kopix/Sample.txt" ] || fail "the sample was not copied for the user"
grep -q "^F0=$XDG_DATA_HOME/Kopix/Sample.txt" "$ini" || fail "the copied sample was not opened"
after=$(cd "$work/root" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "something was written under the prefix"

# A portable copy in a folder of the user's keeps everything beside itself.
mkdir "$work/stick"
cp "$prefix/bin/kopix" "$prefix/share/kopix/Sample.txt" "$work/stick/"
KOPIX_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=xcb xvfb-run -a "$work/stick/kopix" >/dev/null 2>&1 ||
  fail "the portable copy did not run"
[ -f "$work/stick/Kopix.ini" ] || fail "the portable copy wrote no Kopix.ini beside itself"
grep -q "^F0=$work/stick/Sample.txt" "$work/stick/Kopix.ini" || fail "the portable copy did not open its sample"

# The package holds the same files.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) ||
  fail "cpack failed"
contents=$(dpkg-deb --contents "$work"/package/kopix_*.deb)
for file in usr/bin/kopix usr/share/applications/org.kopix.Kopix.desktop usr/share/metainfo/org.kopix.Kopix.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/org.kopix.Kopix.svg usr/share/kopix/Sample.txt usr/share/man/man1/kopix.1; do
  grep -q "\./$file\$" <<<"$contents" || fail "the package lacks $file"
done
# What the program needs at run time beyond its libraries, the desktop's opener among it.
depends=$(dpkg-deb --field "$work"/package/kopix_*.deb Depends)
for package in libqt6svg6 qt6-translations-l10n xdg-utils; do
  grep -q "\b$package\b" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
echo "install test: passed"
