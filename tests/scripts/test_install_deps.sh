#!/usr/bin/env bash
# scripts/install-deps.sh installs the packages of the groups it is given, only the missing ones, and
# nothing for a group it does not know. dpkg-query, apt-get and sudo are stand-ins that record what they
# were asked; the machine's packages are never touched.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install-deps test: $*" >&2; exit 1; }

mkdir "$work/bin"
# Every package counts as missing, except those listed in $work/installed.
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
for last; do :; done
grep -qx "$last" "$KOPIX_TEST_WORK/installed" 2>/dev/null && printf 'install ok installed'
exit 0
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
[ "$1" = install ] || exit 0
shift
for package; do case "$package" in -*) ;; *) echo "$package" ;; esac; done >>"$KOPIX_TEST_WORK/asked"
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
export KOPIX_TEST_WORK="$work" PATH="$work/bin:$PATH"

# The packages install-deps.sh asks apt-get for, one a line, sorted.
asked() {
  rm -f "$work/asked"
  "$script" "$@" >/dev/null
  [ -f "$work/asked" ] && sort "$work/asked"
  return 0
}
has() { grep -qx "$2" <<<"$1" || fail "$3 lacks $2"; }
lacks() { ! grep -qx "$2" <<<"$1" || fail "$3 asks for $2"; }

run=$(asked run)
has "$run" qt6-base-dev "run"
has "$run" libqscintilla2-qt6-dev "run"
has "$run" fonts-ipafont-gothic "run"
for package in googletest xvfb lintian clang; do lacks "$run" "$package" "run"; done
[ "$(uniq -d <<<"$run")" = "" ] || fail "a package is asked for twice"

both=$(asked run test)
for package in qt6-base-dev googletest xvfb openbox lintian desktop-file-utils appstream; do
  has "$both" "$package" "run test"
done
lacks "$both" clang "run test"

fuzz=$(asked fuzz)
for package in clang libclang-rt-dev cmake qt6-base-dev python3; do has "$fuzz" "$package" "fuzz"; done
for package in googletest libqscintilla2-qt6-dev; do lacks "$fuzz" "$package" "fuzz"; done
grep -q 'libfuzzer-[0-9]' <<<"$fuzz" && fail "fuzz pins a versioned libFuzzer"

[ "$(asked)" = "$(sort -u <<<"$run"$'\n'"$both"$'\n'"$fuzz")" ] || fail "no group named is not every group"

# What is there already is not asked for; with everything there, apt-get is not called at all.
printf '%s\n' qt6-base-dev cmake >"$work/installed"
some=$(asked run)
lacks "$some" qt6-base-dev "run with qt6-base-dev installed"
has "$some" ninja-build "run with qt6-base-dev installed"
echo "$run" >"$work/installed"
[ -z "$(asked run)" ] || fail "apt-get was called with every package there"

# A group it does not know is refused before anything is installed.
rm -f "$work/asked"
if "$script" run tests >/dev/null 2>&1; then fail "an unknown group was accepted"; fi
[ ! -f "$work/asked" ] || fail "packages were installed for an unknown group"
echo "install-deps test: passed"
