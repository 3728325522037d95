#!/usr/bin/env bash
# Builds the benchmarks without sanitizers and runs them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
[ -f build/bench/CMakeCache.txt ] || cmake --preset bench >/dev/null
cmake --build build/bench --target flash_bench -j2 >/dev/null
build/bench/bench/flash_bench
