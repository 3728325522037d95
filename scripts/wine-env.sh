# Sourced by the Wine helpers: one prefix and one Xvfb display per build tree.
# QUILLAN_BUILD_DIR names the Windows build tree (default build/windows).
# QUILLAN_WINE_ARCH is win32 or win64: the tree's own choice (CMake writes it
# into the tree as wine-arch), else win32. A 64-bit exe needs 64-bit Wine,
# which is also the only Wine on machines whose kernel runs no 32-bit programs.
_quillan_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLAN_BUILD_DIR=${QUILLAN_BUILD_DIR:-$_quillan_src/build/windows}
if [ -z "${QUILLAN_WINE_ARCH:-}" ]; then
  QUILLAN_WINE_ARCH=$(cat "$QUILLAN_BUILD_DIR/wine-arch" 2>/dev/null || echo win32)
fi
export QUILLAN_WINE_ARCH
QUILLAN_WINE_DIR=$QUILLAN_BUILD_DIR/wine
# A fresh prefix takes 9 to 15 s to make: every session copies one template.
QUILLAN_WINE_TEMPLATE=${QUILLAN_WINE_TEMPLATE:-$_quillan_src/build/wine-template-$QUILLAN_WINE_ARCH}
# The loader itself, not the `wine` launcher, which always prefers 32-bit.
if [ "$QUILLAN_WINE_ARCH" = win64 ]; then
  QUILLAN_WINE=/usr/lib/wine/wine64
else
  QUILLAN_WINE=/usr/lib/wine/wine
fi
export WINELOADER=$QUILLAN_WINE
export WINEARCH=$QUILLAN_WINE_ARCH
export WINEPREFIX=$QUILLAN_WINE_DIR/prefix
export WINEDEBUG=-all
# Our simulated WNASPI32.DLL beside an exe loads only when native is preferred.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;wnaspi32=n,b"
if [ -f "$QUILLAN_WINE_DIR/display" ]; then
  export DISPLAY=$(cat "$QUILLAN_WINE_DIR/display")
fi
