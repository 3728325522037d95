# Sourced by test.sh and run.sh: which Wine this machine can run.
# QUILLAN_CAN_WINE64 / QUILLAN_CAN_WINE32 become 1 or 0, and where 32-bit Wine
# cannot run QUILLAN_NO_WINE32_WHY says why. Some kernels run no 32-bit
# programs ("Exec format error" from the 32-bit loader), and a mirror caught
# mid-sync can keep 32-bit Wine from being installed; there only the 64-bit
# tree's exes can run. QUILLAN_WINE32=0 forces that behaviour anywhere.
_wine_starts() { timeout 60 "$1" --version </dev/null >/dev/null 2>&1; }
QUILLAN_CAN_WINE64=0
QUILLAN_CAN_WINE32=0
QUILLAN_NO_WINE32_WHY=
_wine_starts /usr/lib/wine/wine64 && QUILLAN_CAN_WINE64=1
if [ "${QUILLAN_WINE32:-}" = 0 ]; then
  QUILLAN_NO_WINE32_WHY="QUILLAN_WINE32=0"
elif [ ! -x /usr/lib/wine/wine ]; then
  QUILLAN_NO_WINE32_WHY="32-bit Wine (wine32:i386) is not installed"
elif _wine_starts /usr/lib/wine/wine; then
  QUILLAN_CAN_WINE32=1
else
  QUILLAN_NO_WINE32_WHY="32-bit programs do not run here"
fi
