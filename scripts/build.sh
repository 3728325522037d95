#!/usr/bin/env bash
# Configures and builds both trees: build/native and build/windows.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
for preset in native windows; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
