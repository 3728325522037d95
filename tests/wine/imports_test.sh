#!/usr/bin/env bash
# quillan.exe must run on a bare Windows: it may import system DLLs only.
set -euo pipefail
exe=$1
allowed='^(ADVAPI32|COMCTL32|COMDLG32|GDI32|KERNEL32|USER32|msvcrt)\.(dll|DLL)$'
imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
[ -n "$imports" ] || { echo "FAIL: no import table read"; exit 1; }
bad=$(echo "$imports" | grep -Ev "$allowed" || true)
[ -z "$bad" ] || { echo "FAIL: non-system DLLs imported: $bad"; exit 1; }
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "FAIL: $(file "$exe")"; exit 1; }
echo "PASS: $(echo $imports)"
