#!/usr/bin/env bash
# Checks box_watcher.exe and reg_volatile.exe under the shared Wine session,
# with show_boxes.exe as the program under test.
# usage: tools_test.sh <box_watcher.exe> <reg_volatile.exe> <show_boxes.exe>
# Needs QUILLAN_SOURCE_DIR and QUILLAN_BUILD_DIR (ctest sets both).
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 <box_watcher.exe> <reg_volatile.exe> <show_boxes.exe>" >&2
  exit 2
fi
watcher=$1
reg_volatile=$2
show_boxes=$3
run=${QUILLAN_SOURCE_DIR:?}/scripts/wine-run.sh
# Kept after the run for a look at the logs, like the other Wine tests' folders.
work=${QUILLAN_BUILD_DIR:?}/wine-tests/tools_test
rm -rf "$work"
mkdir -p "$work"
id=$$  # keeps this run's registry keys apart from earlier runs in the session
watcher_pid=
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# exited_within <seconds> <pid>
exited_within() {
  local tenths=$(($1 * 10))
  while [ "$tenths" -gt 0 ]; do
    kill -0 "$2" 2>/dev/null || return 0
    sleep 0.1
    tenths=$((tenths - 1))
  done
  return 1
}

cleanup() {
  if [ -n "$watcher_pid" ]; then
    touch "$work/boxes.log.stop"
    exited_within 10 "$watcher_pid" || kill "$watcher_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Wine maps the Unix root to drive Z:.
win_path() {
  local path=${1//\//\\}
  printf 'Z:%s' "$path"
}

# wine_to <output file> <exe> [args...]: stdout and stderr to the file, CRs removed.
wine_to() {
  local out=$1 status=0
  shift
  QUILLAN_WINE_TIMEOUT=30 "$run" "$@" </dev/null >"$out.raw" 2>&1 || status=$?
  tr -d '\r' <"$out.raw" >"$out"
  return "$status"
}

# --- box_watcher -----------------------------------------------------------

# One line per box of kBoxes in show_boxes.cpp, in the same order.
row() {
  local IFS=$'\t'
  printf '%s\n' "$*"
}
{
  row 'Quillan' 'Drive not ready.\nClose the tray and try again.' \
    icon=error topmost=1 owner=none
  row 'Plain' 'No icon here' icon=none topmost=0 owner=Owner
  row 'Careful' 'Image C:\\Data\\new.bin\tis 2 MB' icon=warning topmost=0 owner=Owner
  row 'Ask' 'Write the image now?' icon=question topmost=0 owner=none
  row 'Note' 'Done.' icon=information topmost=0 owner=Owner
  row 'Custom' 'Own icon' icon=unknown topmost=0 owner=none
} >"$work/boxes.expected"
# What MessageBox returned: the id of each box's first button, the one
# box_watcher presses (OK, OK, OK, Yes, Retry, Yes).
printf '%s\n' 'Quillan -> 1' 'Plain -> 1' 'Careful -> 1' 'Ask -> 6' 'Note -> 4' \
  'Custom -> 6' >"$work/answers.expected"

QUILLAN_WINE_TIMEOUT=90 "$run" "$watcher" "$(win_path "$work/boxes.log")" 90 \
  </dev/null >"$work/watcher.out" 2>&1 &
watcher_pid=$!
QUILLAN_WINE_TIMEOUT=60 "$run" "$show_boxes" boxes \
  </dev/null >"$work/answers.raw" 2>"$work/show_boxes.err" ||
  fail "show_boxes boxes exited with $?: $(cat "$work/show_boxes.err")"
touch "$work/boxes.log.stop"
if exited_within 20 "$watcher_pid"; then
  status=0
  wait "$watcher_pid" || status=$?
  [ "$status" -eq 0 ] || fail "box_watcher exited with $status: $(cat "$work/watcher.out")"
else
  fail "box_watcher did not stop when asked to"
fi
watcher_pid=
tr -d '\r' <"$work/answers.raw" >"$work/answers"
diff -u "$work/answers.expected" "$work/answers" || fail "show_boxes answers differ"
diff -u "$work/boxes.expected" "$work/boxes.log" || fail "box_watcher log differs"

# --- reg_volatile ----------------------------------------------------------

root='Hardware\Quillan Tools Test '$id
soft_root='Software\Quillan Tools Test '$id
plain_key='Software\Quillan Tools Test '$id' Plain'

# key | value name ("-": key only) | type | data | what show_boxes reads back
written=(
  'Hardware\DeviceMap\Scsi\Scsi Port 1|DMAEnabled|dword|2|dword 2'
  "$root"'\Deep\Down\Level|Identifier|sz|QUILLAN DRIVE 1.0|sz QUILLAN DRIVE 1.0'
  "$root"'\Numbers|Value|dword|0x1F|dword 31'
  "$root"'\Numbers|Value|dword|4294967295|dword 4294967295'
  "$root"'\Numbers|Empty|sz||sz '
  "$root"'\Key Only|-|||no value'
  "$soft_root"'\Volatile|Value|dword|7|dword 7'
)
for entry in "${written[@]}"; do
  IFS='|' read -r key name type data expected <<<"$entry"
  if [ "$name" = - ]; then
    args=("$key" -)
    name=Anything
  else
    args=("$key" "$name" "$type" "$data")
  fi
  if ! wine_to "$work/reg.out" "$reg_volatile" "${args[@]}"; then
    fail "reg_volatile ${args[*]}: $(cat "$work/reg.out")"
    continue
  fi
  [ ! -s "$work/reg.out" ] || fail "reg_volatile ${args[*]} printed: $(cat "$work/reg.out")"
  wine_to "$work/read.out" "$show_boxes" read "$key" "$name" || true
  [ "$(cat "$work/read.out")" = "$expected" ] ||
    fail "$key\\$name reads '$(cat "$work/read.out")', expected '$expected'"
done

# Refused before anything is written, so $root\Bad must not appear.
refused() {
  local status=0
  wine_to "$work/reg.out" "$reg_volatile" "$@" || status=$?
  [ "$status" -eq 2 ] || fail "reg_volatile $* exited with $status, expected 2"
}
refused "$root\Bad" Value qword 1
refused "$root\Bad" Value dword 12abc
refused "$root\Bad" Value dword -1
refused "$root\Bad" Value dword ' 1'
refused "$root\Bad" Value dword 4294967296
refused "$root\Bad" Value dword 0x100000000
refused "$root\Bad" Value dword ''
refused "$root\Bad" Value dword 0x
refused "$root\Bad" Value sz
refused "$root\Bad" - extra
refused "$root\\\\Bad" Value dword 1
refused "$root\Bad\\" Value dword 1
wine_to "$work/read.out" "$show_boxes" read "$root\Bad" Value || true
[ "$(cat "$work/read.out")" = "no key" ] || fail "a refused call created $root\\Bad"

# Every level reg_volatile creates is volatile, also under a non-volatile
# parent (Software); a key made by `reg add` is the control.
wine_to "$work/reg_add.out" reg add "HKLM\\$plain_key" /f ||
  fail "reg add: $(cat "$work/reg_add.out")"
# key | expected
volatility=(
  "$root|volatile"
  "$root\\Deep\\Down|volatile"
  "$root\\Key Only|volatile"
  "$soft_root\\Volatile|volatile"
  "$soft_root|volatile"
  "$plain_key|not volatile"
)
for entry in "${volatility[@]}"; do
  IFS='|' read -r key expected <<<"$entry"
  wine_to "$work/volatile.out" "$show_boxes" volatile "$key" || true
  [ "$(cat "$work/volatile.out")" = "$expected" ] ||
    fail "$key is '$(cat "$work/volatile.out")', expected '$expected'"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "box_watcher and reg_volatile work"
