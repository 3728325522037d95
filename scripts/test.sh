#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test: native
# (GoogleTest under ASan/UBSan) and Wine (the real exe and the Windows builds of
# the tests, on Xvfb). The Wine suite runs in the 64-bit tree on every machine,
# and in the 32-bit tree too where 32-bit programs run (QUILLAN_WINE32=0 says
# they don't). The 32-bit exe's static checks run everywhere.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/build.sh
. scripts/wine-kinds.sh
if [ "$QUILLAN_CAN_WINE64" = 0 ]; then
  echo "test: 64-bit Wine (/usr/lib/wine/wine64) does not start here, so no Windows test can run" >&2
  exit 1
fi
if [ "$QUILLAN_CAN_WINE32" = 1 ]; then
  echo "test: Wine tests in the 64-bit and the 32-bit tree (this machine runs 32-bit programs)"
else
  echo "test: Wine tests in the 64-bit tree only ($QUILLAN_NO_WINE32_WHY); the 32-bit exe gets its static checks"
fi
jobs=(-j "$(( $(nproc) > 2 ? $(nproc) : 2 ))")
status=0
ctest --preset native "${jobs[@]}" || status=1
# The download tests whose worker runs on a real thread, under ThreadSanitizer.
{ [ -f build/tsan/CMakeCache.txt ] || cmake --preset tsan >/dev/null; cmake --build --preset tsan && ctest --preset tsan "${jobs[@]}"; } || status=1
ctest --preset windows64 "${jobs[@]}" || status=1
if [ "$QUILLAN_CAN_WINE32" = 1 ]; then
  ctest --preset windows "${jobs[@]}" || status=1
else
  ctest --preset windows "${jobs[@]}" -L static || status=1
fi
exit $status
