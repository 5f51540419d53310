#!/usr/bin/env bash
# Shows Kopix at work without a desktop: starts it on its sample under a virtual X server with a window
# manager, selects two rows with the real pointer (click, Shift+click), slides onto the right strip,
# prints what the CLIPBOARD then holds, and leaves screenshots in <build>/demo/.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out="$build/demo"
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# A program folder of its own, so the demo's first run leaves the build's settings alone.
cp "$build/kopix" "$build/Sample.txt" "$work/"
QT_QPA_PLATFORM=xcb "$work/kopix" >/dev/null 2>&1 &
pids+=($!)
win=$(xdotool search --sync --name 'Sample.txt - Kopix' | head -n 1)
sleep 0.5

# Rows are 16 pixels high below the tab bar and tool bar; the right strip is the last 16 pixels.
row() { echo $((58 + 16 * $1)); }
xdotool mousemove --window "$win" 120 "$(row 1)"
import -window root -crop 420x420+0+0 "$out/1-before.png"
xdotool click 1
xdotool mousemove --window "$win" 120 "$(row 2)" keydown shift click 1 keyup shift
sleep 0.3
import -window root -crop 420x420+0+0 "$out/2-selected.png"
xdotool mousemove --window "$win" 278 "$(row 6)"
sleep 0.5
import -window root -crop 420x420+0+0 "$out/3-copied.png"

echo "CLIPBOARD after the slide (as xclip reads it; CR LF shown as \\r\\n):"
xclip -o -selection clipboard | sed -e 's/\r/\\r/g' -e 's/$/\\n/'
echo
echo "Screenshots: $out/1-before.png $out/2-selected.png $out/3-copied.png"
