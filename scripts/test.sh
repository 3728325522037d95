#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: native
# (GoogleTest under ASan/UBSan) and Wine (the real exe and the Windows builds of
# the tests, on Xvfb).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
scripts/build.sh
status=0
ctest --preset native || status=1
{ [ -f build/tsan/CMakeCache.txt ] || cmake --preset tsan >/dev/null; cmake --build --preset tsan && ctest --preset tsan; } || status=1
ctest --preset windows || status=1
exit $status
