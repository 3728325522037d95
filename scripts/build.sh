#!/usr/bin/env bash
# Configures and builds the three trees: build/native (the portable core and
# its tests), build/windows (the 32-bit quillan.exe people run, and its Wine
# tests) and build/windows64 (the same sources for 64-bit Wine).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
for preset in native windows windows64; do
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null || { echo "build: configuring $preset failed" >&2; exit 1; }
  fi
  cmake --build --preset "$preset" || { echo "build: building $preset failed" >&2; exit 1; }
done
