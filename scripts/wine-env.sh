# Sourced by the Wine helpers: one 32-bit prefix and one Xvfb display per build
# tree. QUILLAN_BUILD_DIR names the Windows build tree (default build/windows).
_quillan_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLAN_BUILD_DIR=${QUILLAN_BUILD_DIR:-$_quillan_src/build/windows}
QUILLAN_WINE_DIR=$QUILLAN_BUILD_DIR/wine
# A fresh prefix takes ~15 s to make: every session copies one template.
QUILLAN_WINE_TEMPLATE=${QUILLAN_WINE_TEMPLATE:-$_quillan_src/build/wine-template}
export WINEARCH=win32
export WINEPREFIX=$QUILLAN_WINE_DIR/prefix
export WINEDEBUG=-all
# Our simulated WNASPI32.DLL beside an exe loads only when native is preferred.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;wnaspi32=n,b"
if [ -f "$QUILLAN_WINE_DIR/display" ]; then
  export DISPLAY=$(cat "$QUILLAN_WINE_DIR/display")
fi
