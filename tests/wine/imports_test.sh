#!/usr/bin/env bash
# The shipped quillan.exe must start on Windows 98 SE and on Windows 2000: a
# Windows refuses an exe that imports one function its system DLLs lack. Every
# imported function must be on the reviewed list (windows_imports.txt) with a
# Windows of each family no later than those two, and the header must ask for
# subsystem 4.0 (GUI), which both load.
# usage: imports_test.sh <quillan.exe> [objdump]
set -euo pipefail
exe=$1
objdump=${2:-i686-w64-mingw32-objdump}
list="$(dirname "$0")/windows_imports.txt"
header=$("$objdump" -p "$exe")
failures=()

# Position of a version in its family's order; no position for "none".
rank() {
  local family=$1 version=$2 i=0 v
  local -a order
  if [ "$family" = 9x ]; then order=(95 98 98SE ME); else order=(3.1 3.5 3.51 4.0 2000 XP Vista); fi
  for v in "${order[@]}"; do
    [ "$v" = "$version" ] && { echo "$i"; return; }
    i=$((i + 1))
  done
}

declare -A oldest9x oldestNt
while read -r dll function nine nt _; do
  key="${dll^^} $function"
  oldest9x[$key]=$nine
  oldestNt[$key]=$nt
done < <(grep -v '^[[:space:]]*\(#\|$\)' "$list")
limit9x=$(rank 9x 98SE)
limitNt=$(rank nt 2000)

# "DLL function" for each import: the lines after each "DLL Name:" up to the
# blank line that ends its table.
imports=$(echo "$header" | awk '
  /^\tDLL Name: / { dll = toupper($3); sub(/\.DLL$/, "", dll); inside = 1; next }
  inside && /^[[:space:]]*$/ { inside = 0; next }
  inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll, $3 }')
[ -n "$imports" ] || failures+=("no import table read from $exe")

count=0
while read -r dll function; do
  [ -n "$dll" ] || continue
  count=$((count + 1))
  key="$dll $function"
  if [ -z "${oldest9x[$key]:-}" ]; then
    failures+=("$dll $function is imported but not on the reviewed list")
    continue
  fi
  r9=$(rank 9x "${oldest9x[$key]}")
  rn=$(rank nt "${oldestNt[$key]}")
  [ -n "$r9" ] && [ "$r9" -le "$limit9x" ] || failures+=("$dll $function: not on Windows 98 SE (listed: ${oldest9x[$key]})")
  [ -n "$rn" ] && [ "$rn" -le "$limitNt" ] || failures+=("$dll $function: not on Windows 2000 (listed: ${oldestNt[$key]})")
done <<< "$imports"

# The PE header: what the loader of either family checks first.
expect() {
  grep -qE "$2" <<< "$header" || failures+=("$1: $(grep -E "^${1%% *}" <<< "$header" | head -n 1)")
}
expect "MajorSubsystemVersion 4" $'^MajorSubsystemVersion\t4$'
expect "MinorSubsystemVersion 0" $'^MinorSubsystemVersion\t0$'
expect "Subsystem GUI" $'^Subsystem\t+00000002'
expect "Magic PE32 (32-bit)" $'^Magic\t+010b'

if [ "${#failures[@]}" -ne 0 ]; then
  printf 'FAIL: %s\n' "${failures[@]}"
  exit 1
fi
echo "PASS: $count imports, all on Windows 98 SE and 2000; subsystem 4.0 GUI"
