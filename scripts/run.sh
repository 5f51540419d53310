#!/usr/bin/env bash
# Starts the built Kopix on its sample document, on this desktop.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Kopix needs a desktop to show its window: no DISPLAY (X11) or WAYLAND_DISPLAY is set." >&2
  echo "Run it from a desktop session, or under a virtual X server: xvfb-run -a make run" >&2
  exit 1
fi
exec "$build/kopix" "$build/Sample.txt"
