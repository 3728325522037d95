#!/usr/bin/env bash
# Start-up of the real exe under Wine: discovery through our WNASPI32.DLL in
# Windows 98 mode, "DRIVE NOT FOUND!!" with Wine's own ASPI and in NT mode,
# the single instance, and the window's notched outline.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2 watcher=$3

boxes="$WORK/boxes.log"
start_bg watcher "$RUN" "$watcher" "$(win_path "$boxes")" 300

# 1. Two drives behind our ASPI layer: both probed in adapter/target order,
#    no message.
mkdir -p "$WORK/with-dll"
cp "$quillan" "$dll" "$WORK/with-dll/"
cat > "$WORK/sim.cfg" <<CFG
log $WORK/sim.log
drive 0 0
vendor "HALVERN "
product "DVD-ROM XD-340  "
revision "1.00"
drive 0 1
vendor "BRISKO  "
product "CD-RW CR-5224   "
revision "2.10"
drive 1 3
type 0x00
CFG
set_windows_version win98
(cd "$WORK/with-dll" && QUILLAN_SIM_CONFIG="$WORK/sim.cfg" start_bg first "$RUN" "$WORK/with-dll/quillan.exe")
wait_for 30 main_window || fail "the main window did not open"
probes=$(grep -o '^exec ha=[0-9] target=[0-9] lun=0 cdb=120000002400 len=36' "$WORK/sim.log" | awk '{print $2, $3}' | tr '\n' ' ')
expected="ha=0 target=0 ha=0 target=1 ha=0 target=2 ha=0 target=3 ha=0 target=4 ha=0 target=5 ha=0 target=6 ha=0 target=7 ha=1 target=0 ha=1 target=1 ha=1 target=2 ha=1 target=3 ha=1 target=4 ha=1 target=5 ha=1 target=6 ha=1 target=7 "
[ "$probes" = "$expected" ] || fail "probe order: $probes"

# 2. The outline: notches and rounded corners lie outside the window.
window=$(main_window)
eval "$(xdotool getwindowgeometry --shell "$window")"
pixel() { convert "$WORK/window.png" -format "%[pixel:p{$1,$2}]" info:; }
# Xvfb's root window is black where no window covers it.
outside="srgb(0,0,0)"
outline_ok() {
  import -window root "$WORK/window.png" || return 1
  for spot in "200 2" "200 197" "2 100" "397 100" "1 1" "398 198"; do
    set -- $spot
    [ "$(pixel $((X + $1)) $((Y + $2)))" = "$outside" ] || { echo "($1,$2) is inside the window"; return 1; }
  done
  for spot in "60 3" "200 10" "10 100" "390 160"; do
    set -- $spot
    [ "$(pixel $((X + $1)) $((Y + $2)))" != "$outside" ] || { echo "($1,$2) should be inside the window"; return 1; }
  done
}
# Polled: the window may not have painted yet.
wait_for 10 outline_ok || fail "outline: $(outline_ok)"

# 3. A second start brings the first forward and does nothing else.
lines_before=$(wc -l < "$WORK/sim.log")
(cd "$WORK/with-dll" && QUILLAN_SIM_CONFIG="$WORK/sim.cfg" timeout 30 "$RUN" "$WORK/with-dll/quillan.exe" -LIVE) \
  </dev/null >/dev/null 2>&1 || fail "the second copy did not end by itself"
[ "$(wc -l < "$WORK/sim.log")" = "$lines_before" ] || fail "the second copy talked to the drives"
[ ! -e "$WORK/with-dll/QUILLAN.TMP" ] || fail "the second copy wrote a result file"
stop_program "$WORK/with-dll/quillan.exe"
[ ! -s "$boxes" ] || fail "unexpected message box: $(cat "$boxes")"

# 4. Wine's builtin ASPI (no DLL beside the exe) and NT mode: no drive.
mkdir -p "$WORK/builtin"
cp "$quillan" "$WORK/builtin/"
for mode in win98 nt; do
  set_windows_version $mode
  (cd "$WORK/builtin" && start_bg "$mode" "$RUN" "$WORK/builtin/quillan.exe")
  wait_for 30 grep -q 'DRIVE NOT FOUND' "$boxes" || fail "$mode: no DRIVE NOT FOUND box"
  line=$(grep 'DRIVE NOT FOUND' "$boxes")
  [ "$line" = "$(printf 'MESSAGE\tDRIVE NOT FOUND!!\ticon=error\ttopmost=1\towner=none')" ] || fail "$mode: box was: $line"
  wait_for 30 main_window || fail "$mode: the window did not open after the box"
  stop_program "$WORK/builtin/quillan.exe"
  : > "$boxes"
done
echo "PASS: discovery, single instance and outline under Wine"
