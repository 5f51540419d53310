#!/usr/bin/env bash
# scripts/run.sh starts Kopix without a document, so that a build's first run is a real first run, and
# without a desktop names the packages of a virtual one. A stand-in kopix records its arguments.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "run.sh test: $*" >&2; exit 1; }

printf '#!/bin/sh\necho "args:$#"\n' >"$work/kopix"
chmod +x "$work/kopix"

out=$(env -u WAYLAND_DISPLAY DISPLAY=:99 "$script" "$work")
[ "$out" = "args:0" ] || fail "Kopix was started with arguments: $out"

if message=$(env -u DISPLAY -u WAYLAND_DISPLAY "$script" "$work" 2>&1); then
  fail "started without a desktop"
fi
for word in xvfb xauth "xvfb-run -a make run"; do
  grep -qF "$word" <<<"$message" || fail "the message without a desktop does not name $word: $message"
done
