#!/usr/bin/env bash
# Runs one Windows exe under the build tree's Wine session, with a time limit.
# Used as CMAKE_CROSSCOMPILING_EMULATOR. QUILLAN_WINE_TIMEOUT overrides 120 s.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ ! -f "$QUILLAN_WINE_DIR/display" ]; then
  echo "wine-run: no Wine session; run scripts/wine-session.sh start (ctest does it)" >&2
  exit 1
fi
exec timeout -k 5 "${QUILLAN_WINE_TIMEOUT:-120}" "$QUILLAN_WINE" "$@"
