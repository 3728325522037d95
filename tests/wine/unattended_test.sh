#!/usr/bin/env bash
# The real quillan.exe end to end under Wine in Windows 98 mode, with the
# simulated drives behind our WNASPI32.DLL, as calling scripts run it.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2 watcher=$3 sample=$4

model="HALVERN DVD-ROM XD-340  "
boxes="$WORK/boxes.log"

# prepare_case NAME: a folder with quillan.exe and our DLL. start_case NAME
# ARGS...: the program starts there in the background, with
# QUILLAN_SIM_CONFIG=$WORK/NAME.cfg.
prepare_case() {
  mkdir -p "$WORK/$1"
  cp "$quillan" "$dll" "$WORK/$1/"
}
start_case() {
  local name=$1; shift
  (cd "$WORK/$name" && QUILLAN_SIM_CONFIG="$WORK/$name.cfg" start_bg "$name" "$RUN" "$WORK/$name/quillan.exe" "$@")
}
box_line() { printf '%s\t%s\t%s\ttopmost=1\towner=Quillan' "MESSAGE" "$1" "$2"; }
mkdir -p "$WORK/images"
make_firmware "$WORK/AUTORUN.BIN" "$model" "1.20" "XDA" 32 3 16

start_bg watcher "$RUN" "$watcher" "$(win_path "$boxes")" 600
set_windows_version win98

# 2. -TEST with a file name: the file fits, a disc is loaded; no eject, no
#    box, the download runs and the window closes.
prepare_case test
flashtest="$WINEPREFIX/drive_c/FLASHTEST"
mkdir -p "$flashtest"
rm -f "$flashtest/QUILLAN.TMP"
cp "$WORK/AUTORUN.BIN" "$flashtest/FW.BIN"
drives_config "$WORK/test.cfg" yes
start_case test -TEST fw.bin
wait_for 60 gone "$WORK/test/quillan.exe" || fail "test run: the window did not close"
result_is "$flashtest/QUILLAN.TMP" COMPLETE || fail "test run: result $(od -c "$flashtest/QUILLAN.TMP" | head -n 2)"
grep -q 'cdb=1b0000000200' "$WORK/test.log" && fail "test run: the disc was ejected"
cmp -s "$WORK/AUTORUN.BIN" "$WORK/images/drive-0-1.image" || fail "test run: the drive's image differs from the file"
[ ! -s "$boxes" ] || fail "test run: a box was shown: $(cat "$boxes")"

# 3. -LIVE without AUTORUN.BIN: FAIL0 at once, and the program waits.
prepare_case nofile
drives_config "$WORK/nofile.cfg"
start_case nofile -LIVE
wait_for 30 main_window || fail "no file: the window did not open"
result_is "$WORK/nofile/QUILLAN.TMP" FAIL0 || fail "no file: result $(cat "$WORK/nofile/QUILLAN.TMP" 2>&1)"
sleep 2
pgrep -f "$WORK/nofile/quillan.exe" >/dev/null || fail "no file: the program did not wait for the user"
grep -q 'cdb=ff0001' "$WORK/nofile.log" && fail "no file: something was flashed"
stop_program "$WORK/nofile/quillan.exe"

# 4. No drive at all, AUTORUN.BIN present: DRIVE NOT FOUND and no command.
prepare_case nodrive
cp "$WORK/AUTORUN.BIN" "$WORK/nodrive/"
printf 'log %s\nadapters 1\n' "$WORK/nodrive.log" > "$WORK/nodrive.cfg"
start_case nodrive -LIVE
wait_for 30 grep -q 'DRIVE NOT FOUND' "$boxes" || fail "no drive: no box"
[ "$(cat "$boxes")" = "$(printf 'MESSAGE\tDRIVE NOT FOUND!!\ticon=error\ttopmost=1\towner=none')" ] || fail "no drive: boxes: $(cat "$boxes")"
wait_for 30 main_window || fail "no drive: the window did not open"
[ "$(grep -c '^exec' "$WORK/nodrive.log")" = 8 ] || fail "no drive: more than the eight probes were sent"
result_is "$WORK/nodrive/QUILLAN.TMP" FAIL0 || fail "no drive: result"
stop_program "$WORK/nodrive/quillan.exe"
: > "$boxes"

# 5. -LIVE with a disc in the fitting drive: eject, box, FAIL0.
prepare_case disc
cp "$WORK/AUTORUN.BIN" "$WORK/disc/"
drives_config "$WORK/disc.cfg" yes
start_case disc -LIVE
wait_for 30 grep -q 'Remove the Disc' "$boxes" || fail "disc: no box"
[ "$(cat "$boxes")" = "$(box_line 'Remove the Disc in the Drive !!' icon=error)" ] || fail "disc: boxes: $(cat "$boxes")"
grep -q '^exec ha=0 target=1 lun=0 cdb=1b0000000200 ' "$WORK/disc.log" || fail "disc: no eject"
wait_for 10 result_is "$WORK/disc/QUILLAN.TMP" FAIL0 || fail "disc: result"
sleep 2
grep -q 'cdb=ff0001' "$WORK/disc.log" && fail "disc: flashed anyway"
stop_program "$WORK/disc/quillan.exe"
: > "$boxes"
touch "$boxes.stop"

# 1. -LIVE with AUTORUN.BIN fitting the second drive and no disc: the second
#    drive is chosen, the download starts by itself and the restart ends the
#    Wine session. The restart needs a session of its own.
export QUILLAN_BUILD_DIR=$WORK/own-session
"$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" start
. "$QUILLAN_SOURCE_DIR/scripts/wine-env.sh"
trap 'cleanup; "$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" stop' EXIT
set_windows_version win98
live_boxes="$WORK/live-boxes.log"
start_bg live-watcher "$RUN" "$watcher" "$(win_path "$live_boxes")" 120
prepare_case live
cp "$WORK/AUTORUN.BIN" "$WORK/live/"
drives_config "$WORK/live.cfg" no 300
rm -f "$WORK/images/drive-0-1.image"
start_case live -LIVE
wait_for 30 main_window || fail "live: the window did not open"
[ ! -e "$WORK/live/QUILLAN.TMP" ] || fail "live: a result line was written at start-up: $(cat "$WORK/live/QUILLAN.TMP")"
grep -q 'cdb=ff0001' "$WORK/live.log" && fail "live: the download began before the window was shown"
wait_for 30 grep -q 'cdb=ff0001' "$WORK/live.log" || fail "live: the download did not start by itself"
wait_for 60 grep -q 'Download Ok' "$live_boxes" || fail "live: no end box"
[ "$(cat "$live_boxes")" = "$(box_line '  Download Ok!!  \nRestart WINDOWS' icon=none)" ] || fail "live: boxes: $(cat "$live_boxes")"
# The restart ends every program of the session, this one included.
wait_for 30 gone "$WORK/live/quillan.exe" || fail "live: the restart did not end the program"
result_is "$WORK/live/QUILLAN.TMP" COMPLETE || fail "live: result $(od -c "$WORK/live/QUILLAN.TMP" | head -n 2)"
cmp -s "$WORK/AUTORUN.BIN" "$WORK/images/drive-0-1.image" || fail "live: the drive's image differs from the file"
# The run's log lies beside the result file, with both threads' lines, each
# stamped with the local time to the millisecond.
log="$WORK/live/QUILLAN.LOG"
stamp='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} '
for wanted in "window start: Quillan 3.23.3, command line" "window path: ASPI" \
              "window file \".*AUTORUN.BIN\": 81920 bytes, layout trailer" \
              "window result START written to" "worker command FF 00 01 00 00 10 00 00 00 00 00 00, out 16384 -> status 1 good" \
              "worker result COMPLETE written to" "worker box \"MESSAGE\":   Download Ok!!  " \
              "window restart of Windows asked"; do
  # Not grep -q: it would leave tr writing into a closed pipe (pipefail).
  tr -d '\r' < "$log" | grep -E "$stamp$wanted" >/dev/null || fail "live: no log line \"$wanted\" in $log"
done
# Every command after discovery went to the second drive.
grep -qE '^exec .*target=0 .*cdb=ff0001' "$WORK/live.log" && fail "live: flashed the wrong drive"
echo "PASS: unattended runs under Wine"
