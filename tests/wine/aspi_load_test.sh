#!/usr/bin/env bash
# In Windows 98 mode quillan.exe must load our WNASPI32.DLL from its own
# folder (not Wine's builtin ASPI), and GetVersionExA must say platform 1.
. "$(dirname "$0")/lib.sh"
quillan=$1 dll=$2
cp "$quillan" "$dll" "$WORK/"
cat > "$WORK/sim.cfg" <<CFG
log $WORK/sim.log
drive 0 0
vendor "HALVERN "
product "DVD-ROM XD-340  "
revision "1.00"
CFG
set_windows_version win98
cd "$WORK"
QUILLAN_SIM_CONFIG="$WORK/sim.cfg" start_bg quillan "$RUN" "$WORK/quillan.exe"
wait_for 30 grep -q '^support-info' "$WORK/sim.log" || fail "our WNASPI32.DLL was not asked for adapters"
grep -q '^load platform=1$' "$WORK/sim.log" || fail "platform id is not 1: $(head -n 1 "$WORK/sim.log")"
grep -q 'support-info result=00000101' "$WORK/sim.log" || fail "unexpected support info: $(grep support-info "$WORK/sim.log")"
echo "PASS: WNASPI32.DLL loaded in Windows 98 mode"
