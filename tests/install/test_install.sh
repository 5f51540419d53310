#!/usr/bin/env bash
# Installs Kopix into a temporary prefix (DESTDIR) and checks it as a user would meet it: the files a
# desktop looks for, the command-line options without a display, an installed copy that keeps its
# settings and sample in the user's folders and writes nothing under the prefix, a portable copy that
# keeps them beside itself; then the .deb: lintian, its fields, the files it installs with dpkg (valid,
# the program hardened) and a purge that leaves nothing.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

# Runs a command on a virtual X server of its own, on a display the server picks itself: xvfb-run -a
# guesses a free one, and two runs guessing at once (ctest -j, a second checkout) can take the same.
on_own_display() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
  server=$!
  for _ in $(seq 100); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
  local status=0
  grep -q . "$work/display" || status=1
  [ $status -ne 0 ] || DISPLAY=":$(head -n 1 "$work/display")" "$@" || status=$?
  kill "$server" && wait "$server" 2>/dev/null || true
  server=""
  return $status
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$work/root/usr"
for file in bin/kopix share/kopix/Sample.txt share/kopix/help/0.html share/kopix/help/830.html \
  share/applications/org.kopix.Kopix.desktop share/metainfo/org.kopix.Kopix.metainfo.xml \
  share/icons/hicolor/scalable/apps/org.kopix.Kopix.svg share/man/man1/kopix.1.gz share/doc/kopix/copyright \
  share/doc/kopix/changelog.gz; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 24 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/org.kopix.Kopix.png" ] || fail "no ${size}px icon"
done
# Both options answer without any display.
grep -q 'FILE' <<<"$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kopix" --help)" ||
  fail "--help"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kopix" --version)" = "kopix 0.1" ] ||
  fail "--version"

# The installed copy, run once by a user of its own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
before=$(cd "$work/root" && find . -printf '%p %s %T@\n' | sort)
KOPIX_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=xcb on_own_display "$prefix/bin/kopix" >/dev/null 2>&1 ||
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
KOPIX_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=xcb on_own_display "$work/stick/kopix" >/dev/null 2>&1 ||
  fail "the portable copy did not run"
[ -f "$work/stick/Kopix.ini" ] || fail "the portable copy wrote no Kopix.ini beside itself"
grep -q "^F0=$work/stick/Sample.txt" "$work/stick/Kopix.ini" || fail "the portable copy did not open its sample"

# The package: what lintian says of it, then installed into a scratch root with dpkg, as a user's
# machine gets it, and purged from there again.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) ||
  fail "cpack failed"
deb=$(echo "$work"/package/kopix_*.deb)
[ -f "$deb" ] || fail "cpack made no package"
# lintian as root says on standard error that it should not be run so, and checks all the same.
report=$(lintian --fail-on error,warning "$deb" 2>"$work/lintian.err") ||
  fail "lintian reports errors or warnings:"$'\n'"$report"$'\n'"$(cat "$work/lintian.err")"
! grep -q '^[EW]:' <<<"$report" || fail "lintian: $report"

# A Japanese font and Qt's SVG plugins are needed (libxtst6, for pasting into other windows, comes from
# the libraries); Qt's Japanese texts only recommended, since Kopix runs
# without them, and no opener at all (Kopix starts the desktop's programs itself). There is no home page to name.
field() { dpkg-deb --field "$deb" "$1"; }
for package in libqt6svg6 fonts-ipafont-gothic libqt6widgets6 libxtst6; do
  grep -q "\b$package\b" <<<"$(field Depends)" || fail "the package does not depend on $package: $(field Depends)"
done
grep -q '\bqt6-translations-l10n\b' <<<"$(field Recommends)" || fail "the package does not recommend Qt's texts"
! grep -q '\bqt6-translations-l10n\b' <<<"$(field Depends)" || fail "the package depends on Qt's texts"
! grep -q 'xdg-utils' <<<"$(field Depends) $(field Recommends)" || fail "the package asks for xdg-utils"

[ -z "$(field Homepage)" ] || fail "the package names a home page"
# Every dependency is one this Debian has.
apt-get -s -o Debug::NoLocking=1 --no-install-recommends install "$deb" >"$work/apt.log" 2>&1 ||
  fail "the package's dependencies cannot be met: $(cat "$work/apt.log")"

# dpkg keeps its records, and its log, inside the scratch root; without root it still unpacks.
root="$work/dpkg-root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# dpkg looks for ldconfig and start-stop-daemon on PATH, which has no sbin folders for a user (or in an
# emptied environment).
dpkg_root() { PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin" dpkg --root="$root" --log="$work/dpkg.log" --force-not-root --force-depends "$@" >>"$work/dpkg.out" 2>&1; }
dpkg_root --install "$deb" || fail "dpkg could not install the package: $(cat "$work/dpkg.out")"
for file in usr/bin/kopix usr/share/applications/org.kopix.Kopix.desktop \
  usr/share/metainfo/org.kopix.Kopix.metainfo.xml usr/share/icons/hicolor/scalable/apps/org.kopix.Kopix.svg \
  usr/share/icons/hicolor/48x48/apps/org.kopix.Kopix.png usr/share/kopix/Sample.txt usr/share/kopix/help/0.html \
  usr/share/man/man1/kopix.1.gz usr/share/doc/kopix/copyright usr/share/doc/kopix/changelog.gz; do
  [ -f "$root/$file" ] || fail "the package did not install $file"
done
# A new version wants its changelog entry.
zcat "$root/usr/share/doc/kopix/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$(field Version)" ] ||
  fail "the changelog's last entry is not for version $(field Version)"
desktop-file-validate "$root/usr/share/applications/org.kopix.Kopix.desktop" || fail "desktop entry invalid"
! grep -q '^MimeType=' "$root/usr/share/applications/org.kopix.Kopix.desktop" ||
  fail "the desktop entry claims a file type: Kopix would become the program for it"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kopix.Kopix.metainfo.xml" >/dev/null ||
  fail "metainfo invalid"
# The man page as man shows it, its bookmark star included.
grep -q '☆' <<<"$(zcat "$root/usr/share/man/man1/kopix.1.gz" | groff -man -Tutf8 -ww 2>"$work/groff.err")" ||
  fail "the man page does not show ☆"
[ ! -s "$work/groff.err" ] || fail "groff: $(cat "$work/groff.err")"

# The program as packaged: stripped, position-independent, its relocations read-only and bound at start,
# with a stack protector and libc's checked functions.
program="$root/usr/bin/kopix"
[ "$("$program" --version)" = "kopix 0.1" ] || fail "the packaged program does not run"
# (Each output is read whole first: grep -q stops reading at its match, and with pipefail the writer's
# broken pipe would count as a failure.)
header=$(readelf -h "$program") segments=$(readelf -lW "$program") dynamic=$(readelf -dW "$program")
symbols=$(readelf --dyn-syms -W "$program") sections=$(readelf -SW "$program")
grep -q 'Type: *DYN' <<<"$header" || fail "the program is no position-independent executable"
grep -q GNU_RELRO <<<"$segments" || fail "the program has no read-only relocations"
grep -Eq 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || fail "the program is not bound at start"
grep -q '__stack_chk_fail' <<<"$symbols" || fail "the program has no stack protector"
grep -Eq '__[a-z]+_chk@' <<<"$symbols" || fail "the program uses no checked libc function"
! grep -Eq '\.symtab|\.debug_' <<<"$sections" || fail "the packaged program is not stripped"

dpkg_root --purge kopix || fail "dpkg could not purge the package: $(cat "$work/dpkg.out")"
left=$(cd "$root" && find . -mindepth 1 -not -path ./var -not -path ./var/lib -not -path './var/lib/dpkg*')
[ -z "$left" ] || fail "the purge left: $left"
echo "install test: passed"
