# Shared by the Wine script tests: a scratch folder per test, Windows 98 or NT
# mode for quillan.exe, background runs and bounded waits.
set -eEuo pipefail
# A step that fails without a message of its own still says which it was.
trap 'echo "FAIL: $(basename "$0") line $LINENO: $BASH_COMMAND" >&2' ERR
. "$QUILLAN_SOURCE_DIR/scripts/wine-env.sh"
RUN="$QUILLAN_SOURCE_DIR/scripts/wine-run.sh"
test_name=$(basename "$0" .sh)
WORK="$QUILLAN_BUILD_DIR/wine-tests/$test_name"
rm -rf "$WORK"
mkdir -p "$WORK"
background_pids=()

fail() { echo "FAIL: $*" >&2; exit 1; }

# make_firmware FILE ARGUMENTS...: a firmware file synthesized by the tree's
# make_sample_firmware.exe (the test's $sample), from its arguments after the path.
make_firmware() { local file=$1; shift; "$RUN" "$sample" "$(win_path "$file")" "$@" </dev/null >/dev/null; }
# result_is FILE LINE: the result file holds LINE alone, with the CR LF the
# program writes.
result_is() { [ "$(cat "$1" 2>/dev/null)" = "$(printf '%s\r' "$2")" ]; }

cleanup() {
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  pkill -f "$WORK/" 2>/dev/null || true
  # A window still closing would be found by the next test's program, which
  # then ends at once as a second copy.
  local end=$((SECONDS + 15))
  while pgrep -f "$WORK/" >/dev/null && [ "$SECONDS" -lt "$end" ]; do sleep 0.1; done
  timeout 20 "$QUILLAN_WINE" reg delete 'HKCU\Software\Wine\AppDefaults\quillan.exe' /f </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT

# win98 | nt: what GetVersionExA reports to quillan.exe.
set_windows_version() {
  if [ "$1" = win98 ]; then
    # reg.exe is a program of the session like any other and can fail while
    # the session is busy: try again, and say so if it never works.
    local try
    for try in 1 2 3; do
      timeout 30 "$QUILLAN_WINE" reg add 'HKCU\Software\Wine\AppDefaults\quillan.exe' /v Version /d win98 /f \
        </dev/null >"$WORK/reg-add.out" 2>&1 && return 0
      sleep 1
    done
    fail "could not set Windows 98 mode: $(tail -n 3 "$WORK/reg-add.out")"
  else
    timeout 30 "$QUILLAN_WINE" reg delete 'HKCU\Software\Wine\AppDefaults\quillan.exe' /f </dev/null >/dev/null 2>&1 || true
  fi
}

# start_bg NAME CMD...: runs a command in the background, output to $WORK/NAME.out.
start_bg() {
  local name=$1; shift
  "$@" </dev/null >"$WORK/$name.out" 2>&1 &
  background_pids+=($!)
}

# wait_for SECONDS CMD...: polls until CMD succeeds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# drives_config FILE [DISC] [DELAY] [FAULT]: the two simulated drives of the
# unattended runs (scripts/sim-drives.sh), logging to FILE less .cfg plus .log
# and assembling into $WORK/images, the fitting one with a disc (yes|no,
# default no), a delay per command in ms (default 0) and a fault rule ("-" or
# none for no fault).
. "$QUILLAN_SOURCE_DIR/scripts/sim-drives.sh"
drives_config() {
  sim_two_drives "${1%.cfg}.log" "$WORK/images" "${2:-no}" "${3:-0}" > "$1"
  if [ -n "${4:-}" ] && [ "$4" != - ]; then echo "fault $4" >> "$1"; fi
}

# The Windows path Wine gives a Unix path.
win_path() { echo "Z:${1//\//\\}"; }

# The main window once it is visible.
main_window() { xdotool search --onlyvisible --name '^Quillan$' | head -n 1; }

# Every top-level window of the session, hidden ones too, as visible_windows
# lists them (the tree's own tool: some tests move to a session of their own).
window_list=$QUILLAN_BUILD_DIR/tests/wine/tools/visible_windows.exe
all_windows() { "$RUN" "$window_list" all </dev/null 2>/dev/null | tr -d '\r'; }
# No Quillan main window is left, shown or not: a new copy's single-instance
# check would find it and end at once.
no_quillan_window() { ! all_windows | grep "^TMainForm"$'\t'"Quillan"$'\t' >/dev/null; }

# why_no_window PATH NAME: what stands in the way when the program started
# from PATH (output in $WORK/NAME.out) shows no window.
why_no_window() {
  local state="it is still running"
  gone "$1" && state="it ended; its output: $(tail -c 300 "$WORK/$2.out" 2>/dev/null | tr '\n' ' ')"
  echo "$state; the session's windows: $(all_windows | cut -f1,2 | tr '\t\n' ': ' | cut -c1-400)"
}

# stop_program PATH: ends the program started from PATH and waits until it
# and its window are gone, so that the next copy does not take it for one
# already running.
stop_program() {
  pkill -f -- "$1" 2>/dev/null || true
  local end=$((SECONDS + 10))
  while pgrep -f -- "$1" >/dev/null; do
    [ "$SECONDS" -lt "$end" ] || fail "$1 did not end"
    sleep 0.1
  done
  wait_for 10 no_quillan_window || fail "$1 ended but a Quillan window is left: $(all_windows | grep TMainForm)"
}

# gone PATH: no process started from PATH is left.
gone() { ! pgrep -f -- "$1" >/dev/null; }
