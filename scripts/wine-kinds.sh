# Sourced by test.sh and run.sh: which Wine this machine can run.
# QUILLAN_CAN_WINE64 / QUILLAN_CAN_WINE32 become 1 or 0. Some kernels run no
# 32-bit programs ("Exec format error" from the 32-bit loader); there only the
# 64-bit tree's exes can run. QUILLAN_WINE32=0 forces that behaviour anywhere.
_wine_starts() { timeout 60 "$1" --version </dev/null >/dev/null 2>&1; }
QUILLAN_CAN_WINE64=0
QUILLAN_CAN_WINE32=0
_wine_starts /usr/lib/wine/wine64 && QUILLAN_CAN_WINE64=1
if [ "${QUILLAN_WINE32:-}" != 0 ] && _wine_starts /usr/lib/wine/wine; then
  QUILLAN_CAN_WINE32=1
fi
