#!/usr/bin/env bash
# quillan.exe -SILENT under Wine in Windows 98 mode, as a deployment tool runs
# it: no box is ever shown (the watcher must see none), the program ends by
# itself, never asks for the restart, and its exit code, read whole as Windows
# gives it, tells how the run ended. One row of the table per case; then the
# sample deployment script under Wine's own cmd.exe.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2 watcher=$3 sample=$4 exit_status=$5 deploy_script=$6

model="HALVERN DVD-ROM XD-340  "
boxes="$WORK/boxes.log"

# silent_config FILE DRIVES DISC FAULT: DRIVES "two" (see drives_config) or
# "none".
silent_config() {
  if [ "$2" = none ]; then
    printf 'log %s\nadapters 0\n' "${1%.cfg}.log" > "$1"
  else
    drives_config "$1" "$3" 0 "$4"
  fi
}

# in_log FILE TEXT: a line of the run log holds TEXT (fixed string).
in_log() { tr -d '\r' < "$1" | grep -F -- "$2" >/dev/null; }

# silent_run NAME: runs quillan.exe -SILENT in $WORK/NAME and waits for its
# end; prints the exit code.
silent_run() {
  (cd "$WORK/$1" && QUILLAN_SIM_CONFIG="$WORK/$1.cfg" "$RUN" "$exit_status" "$(win_path "$WORK/$1/quillan.exe")" -silent \
     </dev/null 2>"$WORK/$1.err" | tr -d '\r' | sed -n 's/^exit //p')
}

mkdir -p "$WORK/images"
make_firmware "$WORK/AUTORUN.BIN" "$model" "1.20" "XDA" 32 3 16
start_bg watcher "$RUN" "$watcher" "$(win_path "$boxes")" 600
set_windows_version win98

# Each case: the drives, a disc in the fitting one, a fault rule for it
# (blanks written as _), the exit code, the result line, and the text of the
# one box that would have been shown (blanks as _), which the log must hold.
failed=()
while read -r name drives disc fault code result box; do
  echo "case $name"
  mkdir -p "$WORK/$name"
  cp "$quillan" "$dll" "$WORK/AUTORUN.BIN" "$WORK/$name/"
  silent_config "$WORK/$name.cfg" "$drives" "$disc" "${fault//_/ }"
  rm -f "$WORK/images/drive-0-1.image"
  got=$(silent_run "$name")
  log="$WORK/$name/QUILLAN.LOG"
  problems=()
  [ "$got" = "$code" ] || problems+=("exit code ${got:-none} ($(tail -c 200 "$WORK/$name.err")), not $code")
  result_is "$WORK/$name/QUILLAN.TMP" "$result" || problems+=("result $(od -c "$WORK/$name/QUILLAN.TMP" 2>&1 | head -n 1)")
  in_log "$log" "not shown (-SILENT): ${box//_/ }" || problems+=("no box \"${box//_/ }\" in the log")
  in_log "$log" "restart of Windows asked" && problems+=("the restart was asked")
  case $name in
    fits) cmp -s "$WORK/AUTORUN.BIN" "$WORK/images/drive-0-1.image" || problems+=("the drive's image differs from the file") ;;
    disc) grep '^exec ha=0 target=1 lun=0 cdb=1b0000000200 ' "$WORK/disc.log" >/dev/null || problems+=("no eject")
          grep 'cdb=ff0001' "$WORK/disc.log" >/dev/null && problems+=("flashed anyway") ;;
    nodrive) grep 'cdb=' "$WORK/nodrive.log" >/dev/null && problems+=("a command was sent") ;;
  esac
  if [ "${#problems[@]}" != 0 ]; then
    echo "  ${problems[*]}" >&2
    failed+=("$name")
  fi
done <<'CASES'
fits    two  no  -                                 3010 COMPLETE __Download_Ok!!__\nRestart_WINDOWS
disc    two  yes -                                 1    FAIL0    Remove_the_Disc_in_the_Drive_!!
final   two  no  cdb_FF0001_match_3_check_03/0C/00 1603 FAIL0    _Download_Fail!!_\nRestart_WINDOWS
middle  two  no  cdb_FF0001_match_2_check_03/0C/00 1603 START    Flash_Cmd_Fail!!
nodrive none no  -                                 1    FAIL0    DRIVE_NOT_FOUND!!
CASES

# A second copy while one runs: the deployment tool may try again later.
echo "case second_copy"
mkdir -p "$WORK/first"
cp "$quillan" "$dll" "$WORK/first/"
drives_config "$WORK/first.cfg"
(cd "$WORK/first" && QUILLAN_SIM_CONFIG="$WORK/first.cfg" start_bg first "$RUN" "$WORK/first/quillan.exe")
wait_for 60 main_window || fail "second copy: the first did not open: $(why_no_window "$WORK/first/quillan.exe" first)"
mkdir -p "$WORK/second"
cp "$quillan" "$dll" "$WORK/AUTORUN.BIN" "$WORK/second/"
drives_config "$WORK/second.cfg"
got=$(silent_run second)
[ "$got" = 1618 ] || failed+=("second_copy (exit code ${got:-none})")
[ ! -e "$WORK/second/QUILLAN.TMP" ] || failed+=("second_copy (wrote a result line)")
stop_program "$WORK/first/quillan.exe"

# The sample deployment script, under Wine's cmd.exe: it starts the program,
# waits for it, passes its exit code on and restarts Windows on 3010 (Wine's
# shutdown.exe only takes note).
echo "case deploy_script"
mkdir -p "$WORK/deploy"
cp "$quillan" "$dll" "$WORK/AUTORUN.BIN" "$deploy_script" "$WORK/deploy/"
drives_config "$WORK/deploy.cfg"
rm -f "$WORK/images/drive-0-1.image"
script_out=$(cd / && QUILLAN_SIM_CONFIG="$WORK/deploy.cfg" "$RUN" "$exit_status" cmd.exe /c \
               "$(win_path "$WORK/deploy/$(basename "$deploy_script")")" </dev/null 2>"$WORK/deploy.err" | tr -d '\r')
echo "$script_out" > "$WORK/deploy.out"
grep -x 'exit 3010' <<<"$script_out" >/dev/null || failed+=("deploy_script (not 3010: $script_out)")
grep -F 'ended with exit code 3010' <<<"$script_out" >/dev/null || failed+=("deploy_script (no report line)")
grep -F 'Windows restarts' <<<"$script_out" >/dev/null || failed+=("deploy_script (no restart on 3010)")
result_is "$WORK/deploy/QUILLAN.TMP" COMPLETE || failed+=("deploy_script (result not COMPLETE beside the script)")
cmp -s "$WORK/AUTORUN.BIN" "$WORK/images/drive-0-1.image" || failed+=("deploy_script (image differs)")

touch "$boxes.stop"
sleep 0.5
[ ! -s "$boxes" ] || failed+=("boxes were shown: $(tr '\t\n' ' ;' < "$boxes")")
[ "${#failed[@]}" = 0 ] || fail "cases failed: ${failed[*]}"
echo "PASS: silent runs under Wine"
