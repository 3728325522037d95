#!/usr/bin/env bash
# The program's main job, as an unattended run would do it on a Windows 98
# machine: quillan.exe -LIVE finds AUTORUN.BIN, picks the drive it fits (the
# second of two simulated drives), flashes it while the bar runs, writes
# QUILLAN.TMP and restarts Windows (under Wine: ends the Wine session).
# Screenshots and the drive's log land in out/demo/.
#   scripts/run.sh        Windows 98 mode: the drives behind WNASPI32.DLL
#   scripts/run.sh --nt   the NT family's pass-through: the drives on letters
#                         d: and e: (64-bit exe and Wine only)
set -euo pipefail
nt=0
case "${1:-}" in
  --nt) nt=1 ;;
  "") ;;
  *) echo "usage: scripts/run.sh [--nt]" >&2; exit 2 ;;
esac
# No step fails silently: say which one, and where its output went.
trap 'echo "run.sh: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD
scripts/setup.sh
scripts/build.sh >/tmp/quillan-run-build.log 2>&1 || { tail -n 20 /tmp/quillan-run-build.log >&2; exit 1; }

# The 32-bit exe is what people run; where this machine runs no 32-bit
# programs the 64-bit build of the same sources stands in for it.
. scripts/wine-kinds.sh
if [ "$nt" = 1 ] && [ "$QUILLAN_CAN_WINE64" = 1 ]; then
  # Wine turns the pass-through into Linux SG_IO for 64-bit programs only.
  tree=build/windows64
  exe=$tree/app/quillan.exe
  export QUILLAN_WINE_ARCH=win64
  echo "NT mode: the 64-bit build of quillan.exe under 64-bit Wine, drives on letters d: and e:."
elif [ "$QUILLAN_CAN_WINE32" = 1 ] && [ "$nt" = 0 ]; then
  tree=build/windows
  exe=$tree/product/app/quillan.exe
  export QUILLAN_WINE_ARCH=win32
  echo "Using the 32-bit quillan.exe under 32-bit Wine."
elif [ "$QUILLAN_CAN_WINE64" = 1 ]; then
  tree=build/windows64
  exe=$tree/app/quillan.exe
  export QUILLAN_WINE_ARCH=win64
  echo "Using the 64-bit build of quillan.exe under 64-bit Wine ($QUILLAN_NO_WINE32_WHY)."
else
  echo "run.sh: no Wine starts on this machine (neither /usr/lib/wine/wine nor /usr/lib/wine/wine64)" >&2
  exit 1
fi

demo=$repo/out/demo
rm -rf "$demo"
mkdir -p "$demo/run" "$demo/images"
# The demo has its own Wine session: the restart at the end ends it.
export QUILLAN_BUILD_DIR=$demo/session
if [ -n "${DISPLAY:-}" ]; then export QUILLAN_HOST_DISPLAY=$DISPLAY; fi
. scripts/wine-env.sh
scripts/wine-session.sh start
trap 'scripts/wine-session.sh stop' EXIT
. scripts/wine-env.sh

model="HALVERN DVD-ROM XD-340  "
build/native/sim/make_sample_firmware "$demo/run/AUTORUN.BIN" "$model" "1.20" "XDA" 32 3 16
cp "$exe" "$demo/run/"
if [ "$nt" = 1 ]; then
  . scripts/wine-cdrom-letters.sh
  add_cdrom_letters "$demo/letters" d e
  device0="$demo/letters/d.dev"
  device1="$demo/letters/e.dev"
  launch=(env LD_PRELOAD="$repo/$tree/sg_io_shim/libquillan_sg_io.so")
  mode="NT mode, pass-through"
else
  cp "$tree/sim/WNASPI32.DLL" "$demo/run/"
  device0="" device1=""
  launch=()
  mode="Windows 98 mode"
  timeout 30 "$QUILLAN_WINE" reg add 'HKCU\Software\Wine\AppDefaults\quillan.exe' /v Version /d win98 /f </dev/null >/dev/null 2>&1
fi
# Each command of the fitting drive takes 2.5 s, so the bar visibly moves.
. scripts/sim-drives.sh
sim_two_drives "$demo/drive-log.txt" "$demo/images" no 2500 "$device0" "$device1" > "$demo/drives.cfg"

echo "Running quillan.exe -LIVE in $demo/run ($mode, simulated drives)..."
(cd "$demo/run" && QUILLAN_SIM_CONFIG="$demo/drives.cfg" \
  timeout 120 "${launch[@]}" "$QUILLAN_WINE" "$demo/run/quillan.exe" -LIVE </dev/null >"$demo/wine.out" 2>&1) &
program=$!

shot() { import -window root "$demo/$1.png" 2>/dev/null && echo "  screenshot $demo/$1.png"; }
end=$((SECONDS + 60))
until xdotool search --onlyvisible --name '^Quillan$' >/dev/null 2>&1; do
  [ "$SECONDS" -lt "$end" ] || { echo "the window did not open" >&2; exit 1; }
  sleep 0.2
done
sleep 0.5
shot 1-started
n=2
box=""
while [ "$SECONDS" -lt "$end" ]; do
  box=$(xdotool search --onlyvisible --name '^MESSAGE$' 2>/dev/null | head -n 1 || true)
  [ -n "$box" ] && break
  sleep 1
  shot "$n-flashing"
  n=$((n + 1))
done
[ -n "$box" ] || { echo "no end message appeared" >&2; exit 1; }
sleep 0.5
shot "$n-end-message"
xdotool key Return
wait "$program" || true

echo
echo "QUILLAN.TMP: $(tr -d '\r' < "$demo/run/QUILLAN.TMP" 2>/dev/null || echo missing) (bytes: $(od -An -c "$demo/run/QUILLAN.TMP" | tr -s ' '))"
if cmp -s "$demo/run/AUTORUN.BIN" "$demo/images/drive-0-1.image"; then
  echo "The drive's assembled image equals AUTORUN.BIN ($(stat -c %s "$demo/run/AUTORUN.BIN") bytes)."
else
  echo "The drive's assembled image differs from AUTORUN.BIN." >&2
  exit 1
fi
echo "Commands the drive received: $demo/drive-log.txt"
