#!/usr/bin/env bash
# start | stop: the Wine session shared by one test run: a fresh prefix copied
# from a cached template, one Xvfb and one persistent wineserver. Every
# background process gets its stdio redirected, otherwise it holds the pipes of
# whoever started it (ctest, $(...)) open for minutes.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
template=$QUILLAN_WINE_TEMPLATE
log=$QUILLAN_WINE_DIR/session.log

quiet() { "$@" </dev/null >>"$log" 2>&1; }

# Whatever step fails says so, with the end of the session's log.
trap 'echo "wine-session: failed: $BASH_COMMAND ($QUILLAN_WINE_ARCH)" >&2; tail -n 5 "$log" >&2 2>/dev/null || true' ERR

make_template() {
  rm -rf "$template" "$template.tmp"
  mkdir -p "$QUILLAN_WINE_DIR" "$(dirname "$template")"
  # 64-bit: "failed to open ... syswow64\\rundll32.exe" in the log is harmless.
  WINEPREFIX=$template.tmp quiet timeout 120 "$QUILLAN_WINE" wineboot.exe -i
  # No window manager under Xvfb: unmanaged windows close faster.
  WINEPREFIX=$template.tmp quiet timeout 60 "$QUILLAN_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  WINEPREFIX=$template.tmp quiet timeout 60 wineserver -w
  mv "$template.tmp" "$template"
}

start() {
  stop_quietly
  mkdir -p "$QUILLAN_WINE_DIR"
  : > "$log"
  [ -d "$template" ] || make_template
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
  if [ -n "${QUILLAN_HOST_DISPLAY:-}" ]; then
    # Show the windows on the caller's own display instead of a hidden one.
    echo "$QUILLAN_HOST_DISPLAY" > "$QUILLAN_WINE_DIR/display"
    export DISPLAY=$QUILLAN_HOST_DISPLAY
    wineserver -p </dev/null >>"$log" 2>&1
    quiet timeout 60 "$QUILLAN_WINE" cmd /c exit
    return
  fi
  local n=${QUILLAN_DISPLAY_NUMBER:-}
  if [ -z "$n" ]; then
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  fi
  Xvfb ":$n" -nolisten tcp -screen 0 1024x768x24 </dev/null >>"$log" 2>&1 &
  echo $! > "$QUILLAN_WINE_DIR/xvfb.pid"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  echo ":$n" > "$QUILLAN_WINE_DIR/display"
  export DISPLAY=":$n"
  wineserver -p </dev/null >>"$log" 2>&1
  # Start the prefix's background services now, detached from our stdio.
  quiet timeout 60 "$QUILLAN_WINE" cmd /c exit
}

stop_quietly() {
  if [ -d "$WINEPREFIX" ]; then timeout 20 wineserver -k </dev/null >/dev/null 2>&1 || true; fi
  if [ -f "$QUILLAN_WINE_DIR/xvfb.pid" ]; then
    kill "$(cat "$QUILLAN_WINE_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$QUILLAN_WINE_DIR/xvfb.pid"
  fi
  rm -f "$QUILLAN_WINE_DIR/display"
}

case "${1:-}" in
  start) start ;;
  stop) stop_quietly ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
