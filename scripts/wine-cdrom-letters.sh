# Sourced after wine-env.sh, with the session started: gives the prefix CD-ROM
# drive letters for the NT pass-through. Each letter is backed by a plain file
# (DIR/<letter>.dev) that the SG_IO shim answers for; Wine reads the drive
# types when its server starts, so the server is restarted.
# add_cdrom_letters DIR LETTER...
add_cdrom_letters() {
  local dir=$1 letter; shift
  mkdir -p "$dir/empty"
  for letter in "$@"; do
    : > "$dir/$letter.dev"
    ln -sfn "$dir/empty" "$WINEPREFIX/dosdevices/$letter:"
    ln -sfn "$dir/$letter.dev" "$WINEPREFIX/dosdevices/$letter::"
    timeout 30 "$QUILLAN_WINE" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d cdrom /f </dev/null >/dev/null 2>&1 ||
      { echo "add_cdrom_letters: cannot register $letter: as a CD-ROM drive" >&2; return 1; }
  done
  timeout 20 wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  timeout 60 "$QUILLAN_WINE" cmd /c exit </dev/null >/dev/null 2>&1
}
