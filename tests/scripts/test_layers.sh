#!/usr/bin/env bash
# Each layer sees only the layers below it: core (the rules) nothing of the others, platform (the
# desktop) only core, mainwin (the window) core and platform, settings (the dialog) all but app. X11 and
# xcb headers, and the platform's own X11 pieces, stay inside platform/: the rest goes through Platform
# and DesktopSession.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
failed=0
check() { # layer, the layers it must not include
  local layer=$1 above=$2 found
  found=$(grep -nE "#include \"($above)/" "$layer"/*.cpp "$layer"/*.h || true)
  if [ -n "$found" ]; then
    echo "layers test: $layer/ includes a layer above it:" >&2
    echo "$found" >&2
    failed=1
  fi
}
check core 'platform|mainwin|settings|app'
check platform 'mainwin|settings|app'
check mainwin 'settings|app'
check settings 'app'
outside=$(grep -nE '#include (<(X11|xcb)/|"platform/X11)' app/* core/* mainwin/* settings/* || true)
if [ -n "$outside" ]; then
  echo "layers test: an X11 header, or a header of the platform's X11 session part, outside platform/:" >&2
  echo "$outside" >&2
  failed=1
fi
exit $failed
