#!/usr/bin/env bash
# The real quillan.exe under Wine in Windows 98 mode, flashing a simulated
# drive that takes 1.5 s over every command: the window answers its messages
# between the pieces its thread sends, and answers Windows' end-of-session
# query with no from the start of the download to its end, yes before and
# after; its own restart then ends the session. One row of the table at the
# end per download, each in a Wine session of its own (a restart ends it).
# Only the order of events is checked: the drive's slowness makes it clear.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2 watcher=$3 sample=$4 probe=$5

model="HALVERN DVD-ROM XD-340  "
make_firmware "$WORK/chunked.bin" "$model" "1.20" "XDA" 32 5 16
make_firmware "$WORK/marked.bin" "$model" "1.20" "XDA" 32 4 32 marked

# The drive, with a disc in it: start-up ejects it and gives up the automatic
# start, so that the download begins only when the test presses the button.
drive_config() {
  local file=$1 fault=$2
  printf 'log %s\nimage-dir %s\ndrive 0 0\nvendor "HALVERN "\nproduct "DVD-ROM XD-340  "\nrevision "1.10"\n' \
    "$sim_log" "$WORK/images-$name"
  if [ "$file" = chunked ]; then printf 'code XDA\npage40 refuse\n'; fi
  printf 'disc yes\ndelay-ms 1500\n'
  if [ "$fault" != - ]; then printf 'fault %s\n' "$fault"; fi
  return 0
}

# What the window's thread sends, one line per piece, and the worker's piece.
window_pieces() {
  local piece='cdb=1d0000800800 '
  [ "$file" = chunked ] && piece='cdb=ff0001[0-9a-f]* len=32768 '
  grep -c -- "$piece" "$sim_log" 2>/dev/null || true
}
worker_piece_out() {
  if [ "$file" = chunked ]; then grep -q 'cdb=ff0001000010[0-9a-f]* len=16384 ' "$sim_log"
  else grep -q 'out=8800000400c00000' "$sim_log"; fi
}
at_least() { [ "$(window_pieces)" -ge "$1" ]; }

# The window's answers, one "message answer" per line.
ask() { "$RUN" "$probe" "$@" </dev/null 2>&1 | tr -d '\r' || true; }
allows_the_end() { [ "$(ask query)" = "query 1" ]; }
# The number of the first log line matching, or nothing.
logged() { tr -d '\r' < "$run_dir/QUILLAN.LOG" | grep -n -m 1 -- "$1" | cut -d: -f1 || true; }

press_start() {
  local window X Y
  window=$(main_window)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 36 + 13)) $((Y + 8 + 12)) click 1
}

# row NAME FILE FAULT LAST END: LAST is the number of the window's last piece;
# END "restart" (the worker sent the last piece) or "idle" ("Flash Cmd Fail!!").
row() {
  name=$1 file=$2 boxes=$WORK/$1-boxes.log
  local fault=$3 last=$4 end=$5 answers
  export QUILLAN_BUILD_DIR=$WORK/session-$name
  trap 'touch "$boxes.stop"; pkill -f "$WORK/$name/" || true; "$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" stop' EXIT
  "$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" start
  . "$QUILLAN_SOURCE_DIR/scripts/wine-env.sh"
  set_windows_version win98
  run_dir=$WORK/$name sim_log=$WORK/$name.log
  mkdir -p "$run_dir"
  cp "$quillan" "$dll" "$run_dir/"
  cp "$WORK/$file.bin" "$run_dir/AUTORUN.BIN"
  drive_config "$file" "$fault" > "$WORK/$name.cfg"
  start_bg "$name-watcher" "$RUN" "$watcher" "$(win_path "$boxes")" 300
  # Every command of the slow drive takes its time, discovery's too: on a
  # busy machine start-up alone can outlast wine-run's usual limit.
  (cd "$run_dir" && QUILLAN_WINE_TIMEOUT=600 QUILLAN_SIM_CONFIG="$WORK/$name.cfg" \
     start_bg "$name" "$RUN" "$run_dir/quillan.exe" -LIVE)
  wait_for 240 grep -q 'Remove the Disc' "$boxes" || fail "$name: no disc box at start-up"
  wait_for 30 main_window || fail "$name: the window did not open"

  answers=$(ask query)
  [ "$answers" = "query 1" ] || fail "$name: before the download: $answers"
  press_start
  wait_for 60 at_least 1 || fail "$name: the download did not start"
  # Sent while the window's thread sends its second piece: answered between
  # two pieces, long before the last one.
  answers=$(ask null)
  [ "$answers" = "null 0" ] || fail "$name: between the pieces: $answers"
  [ "$(window_pieces)" -lt "$last" ] || fail "$name: WM_NULL answered only after the window's last piece"
  answers=$(ask query)
  [ "$answers" = "query 0" ] || fail "$name: while the window's thread sends pieces: $answers"

  if [ "$end" = restart ]; then
    wait_for 60 at_least "$last" || fail "$name: the window's last piece did not go out"
    answers=$(ask query)
    [ "$answers" = "query 0" ] || fail "$name: while the worker sends the last piece: $answers"
    worker_piece_out && fail "$name: the query was answered only after the worker's piece"
    # The end box, dismissed by the watcher; the restart ends the session,
    # which the program must not refuse itself.
    wait_for 60 gone "$run_dir/quillan.exe" || fail "$name: the program's own restart did not end it"
    result_is "$run_dir/QUILLAN.TMP" COMPLETE || fail "$name: result $(od -c "$run_dir/QUILLAN.TMP" | head -n 2)"
    cmp -s "$WORK/$file.bin" "$WORK/images-$name/drive-0-0.image" || fail "$name: the drive's image differs from the file"
    local released restart
    released=$(logged "window sleep allowed again: the keep-awake request is withdrawn")
    restart=$(logged "window restart of Windows asked")
    [ -n "$released" ] && [ -n "$restart" ] && [ "$released" -lt "$restart" ] ||
      fail "$name: the keep-awake request was not withdrawn before the restart"
  else
    wait_for 60 grep -q 'Flash Cmd Fail' "$boxes" || fail "$name: no Flash Cmd Fail box"
    # Once the box is gone the download is over.
    wait_for 30 allows_the_end || fail "$name: after the download the end of the session is still refused"
    gone "$run_dir/quillan.exe" && fail "$name: the program did not stay"
    result_is "$run_dir/QUILLAN.TMP" START || fail "$name: result $(cat "$run_dir/QUILLAN.TMP")"
    [ -n "$(logged "window sleep allowed again: the keep-awake request is withdrawn")" ] ||
      fail "$name: the keep-awake request was not withdrawn"
  fi
  for wanted in "window power at the start: AC .*: the download goes on" \
                "window sleep held off: Windows is asked to keep the system awake" \
                "window end of the session refused: the drive is being written"; do
    [ -n "$(logged "$wanted")" ] || fail "$name: no log line \"$wanted\""
  done
  stop_program "$run_dir/quillan.exe"
}

failed=()
while read -r name file fault last end; do
  echo "row $name"
  set +e
  (set -e; row "$name" "$file" "${fault//_/ }" "$last" "$end") </dev/null
  status=$?
  set -e
  [ "$status" = 0 ] || failed+=("$name")
done <<'ROWS'
chunked  chunked  -                                  4  restart
refused  chunked  cdb_ff00010000ff_match_2_check_03/0c/00  3  idle
pages    marked   -                                  4  restart
ROWS
[ "${#failed[@]}" = 0 ] || fail "rows failed: ${failed[*]}"
echo "PASS: the window answers between pieces and holds off the end of the session"
