#!/usr/bin/env bash
# Starts the built Kopix as a user would, without a document: a first run opens the sample beside it and
# takes the first-run settings; later runs open the document last shown.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
Kopix needs a desktop to show its window: no DISPLAY (X11) or WAYLAND_DISPLAY is set.
Run it from a desktop session, or on a virtual X server: install the packages xvfb and xauth
(sudo apt-get install xvfb xauth), then run: xvfb-run -a make run
MSG
  exit 1
fi
exec "$build/kopix"
