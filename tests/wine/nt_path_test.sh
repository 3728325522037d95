#!/usr/bin/env bash
# The NT family's path end to end: the real 64-bit quillan.exe in NT mode (no
# Windows 98 setting, no WNASPI32.DLL) reaches the simulated drives through
# DeviceIoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT), which Wine turns into Linux
# SG_IO on the file behind each drive letter; the preloaded shim answers from
# the same simulated drives and logs every command with its timeout.
# usage: nt_path_test.sh <quillan.exe> <shim.so> <reg_volatile.exe> <box_watcher.exe> <make_sample_firmware.exe>
. "$(dirname "$0")/lib.sh"
quillan=$1 shim=$2 regvol=$3 watcher=$4 sample=$5

# A session of its own: drive letters need a restarted wineserver, and the
# unattended run at the end restarts "Windows", which ends the session.
export QUILLAN_BUILD_DIR=$WORK/session
"$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" start
. "$QUILLAN_SOURCE_DIR/scripts/wine-env.sh"
trap 'cleanup; "$QUILLAN_SOURCE_DIR/scripts/wine-session.sh" stop' EXIT

# Letters d:, e: and f: are CD-ROM drives, each backed by a plain file that
# the shim recognises; c: and z: are the prefix's own fixed drives.
. "$QUILLAN_SOURCE_DIR/scripts/wine-cdrom-letters.sh"
add_cdrom_letters "$WORK/letters" d e f || fail "drive letters"

# SCSI port positions 0 (port 0, target 0) and 3 (port 1, target 1) name a
# device; position 1 has a key without the value.
scsi_key() { echo "Hardware\\DeviceMap\\Scsi\\Scsi Port $1\\Scsi Bus 0\\Target Id $2\\Logical Unit Id 0"; }
"$RUN" "$regvol" "$(scsi_key 0 0)" DeviceName sz CdRom0 </dev/null || fail "registry: position 0"
"$RUN" "$regvol" "$(scsi_key 0 1)" - </dev/null || fail "registry: position 1"
"$RUN" "$regvol" "$(scsi_key 1 1)" DeviceName sz CdRom1 </dev/null || fail "registry: position 3"
dma_bits() { "$RUN" "$regvol" "Hardware\\DeviceMap\\Scsi\\Scsi Port 1" DMAEnabled dword "$1" </dev/null || fail "registry: DMAEnabled"; }

boxes="$WORK/boxes.log"
start_bg watcher "$RUN" "$watcher" "$(win_path "$boxes")" 600
flashtest="$WINEPREFIX/drive_c/FLASHTEST"
mkdir -p "$flashtest" "$WORK/images"

# nt_config NAME SECOND-VENDOR SECOND-PRODUCT SECOND-CODE [settings for the second drive...]:
# d: an older drive of another model, e: a disk (device type 0), f: the drive under test.
nt_config() {
  local name=$1 vendor=$2 product=$3 code=$4; shift 4
  {
    echo "log $WORK/$name.log"
    echo "image-dir $WORK/images/$name"
    printf 'drive 0 0\ndevice %s\nvendor "BRISKO  "\nproduct "CD-RW CR-5224   "\nrevision "2.00"\ncode CRA\npage40 refuse\ndisc no\n' "$WORK/letters/d.dev"
    printf 'drive 0 1\ndevice %s\ntype 00\n' "$WORK/letters/e.dev"
    printf 'drive 0 2\ndevice %s\nvendor "%s"\nproduct "%s"\nrevision "1.10"\ncode "%s"\npage40 refuse\ndisc no\n' \
      "$WORK/letters/f.dev" "$vendor" "$product" "$code"
    printf '%s\n' "$@"
  } > "$WORK/$name.cfg"
}

# start_test_mode NAME FILE: quillan.exe -TEST fw.bin with FILE as C:\FLASHTEST\FW.BIN;
# run_test_mode also waits until the window closes by itself.
start_test_mode() {
  local name=$1
  mkdir -p "$WORK/$name"
  cp "$quillan" "$WORK/$name/"
  cp "$2" "$flashtest/FW.BIN"
  rm -f "$flashtest/QUILLAN.TMP"
  (cd "$WORK/$name" && LD_PRELOAD=$shim QUILLAN_SIM_CONFIG="$WORK/$name.cfg" \
     start_bg "$name" "$RUN" "$WORK/$name/quillan.exe" -TEST fw.bin)
}
run_test_mode() {
  start_test_mode "$@"
  wait_for 90 gone "$WORK/$1/quillan.exe" || fail "$1: the window did not close"
}

# Command lines of one drive after discovery, as "cdb len dir" plus the
# pass-through's own direction and timeout from the line before each.
sent_to() {
  awk -v t="target=$2" '
    /^sg-io / && $0 ~ t { split($0, f, " "); dir = f[4]; timeout = f[7]; next }
    /^exec / && $0 ~ t { print $5, $6, $7, dir, timeout }' "$WORK/$1.log"
}

model_xd="HALVERN DVD-ROM XD-340  "
make_firmware "$WORK/chunked.bin" "$model_xd" "1.20" "XDA" 32 3 16
make_firmware "$WORK/marked.bin" "$model_xd" "XD20" "XDA" 32 3 32 marked
make_firmware "$WORK/xn870.bin" "HALVERN CD-ROM XN-870   " "1.20" "XNA" 32 3 16
probe_lines="cdb=120000002400 len=36 dir=in dir=from-dev timeout-ms=60000"

# 1. Discovery and a chunked download: d: and f: are listed, e: (a disk) is
#    not; the file fits f:, which is flashed in three pieces of 32, 32 and 16 KB.
nt_config chunked "HALVERN " "DVD-ROM XD-340  " XDA
run_test_mode chunked "$WORK/chunked.bin"
probes=$(grep -o '^exec ha=0 target=[0-9] lun=0 cdb=120000002400 len=36' "$WORK/chunked.log" | awk '{print $3}' | tr '\n' ' ')
[ "$probes" = "target=0 target=1 target=2 " ] || fail "chunked: probes in letter order d, e, f: $probes"
grep -q '^load platform=2$' "$WORK/chunked.log" || fail "chunked: not the NT path"
[ "$(sent_to chunked 1 | sort -u)" = "$probe_lines" ] || fail "chunked: e: got more than its probe: $(sent_to chunked 1)"
grep -qE '^exec ha=0 target=0 .*cdb=ff0001' "$WORK/chunked.log" && fail "chunked: d: was flashed"
expected="cdb=ff0001000000000000000000 len=32768 dir=out dir=to-dev timeout-ms=60000
cdb=ff00010000ff000000000000 len=32768 dir=out dir=to-dev timeout-ms=60000
cdb=ff0001000010000000000000 len=16384 dir=out dir=to-dev timeout-ms=60000"
[ "$(sent_to chunked 2 | grep 'cdb=ff0001')" = "$expected" ] || fail "chunked: pieces: $(sent_to chunked 2 | grep 'cdb=ff0001')"
[ "$(sent_to chunked 2 | awk '{print $5}' | sort -u)" = "timeout-ms=60000" ] || fail "chunked: a timeout other than 60 s"
result_is "$flashtest/QUILLAN.TMP" COMPLETE || fail "chunked: result $(od -c "$flashtest/QUILLAN.TMP" | head -n 2)"
cmp -s "$WORK/chunked.bin" "$WORK/images/chunked/drive-0-2.image" || fail "chunked: the drive's image differs from the file"
# The run log names each drive by its letter, one colon after it.
letter_line=$(grep -F 'window drive 0 found at letter d: "BRISKO  " "CD-RW CR-5224   " "2.00"' "$flashtest/QUILLAN.LOG") ||
  fail "chunked: no log line for d: ($(grep -F 'found at letter' "$flashtest/QUILLAN.LOG" | head -n 1))"
echo "log: ${letter_line%$'\r'}"

# 2. A flash-page download of a marked file: page 40 (after the identity
#    query's), its results read back, F0, three 32 KB blocks, and the
#    worker's closing C0 page.
nt_config pages "HALVERN " "DVD-ROM XD-340  " "XD "
run_test_mode pages "$WORK/marked.bin"
pages=$(sent_to pages 2 | grep 'cdb=1[cd]00' | tail -n 7 | awk '{print $1, $2, $3, $4}')
expected="cdb=1d0000000800 len=8 dir=out dir=to-dev
cdb=1c0000000800 len=8 dir=in dir=from-dev
cdb=1d0000000800 len=8 dir=out dir=to-dev
cdb=1d0000800800 len=32776 dir=out dir=to-dev
cdb=1d0000800800 len=32776 dir=out dir=to-dev
cdb=1d0000800800 len=32776 dir=out dir=to-dev
cdb=1d0000000800 len=8 dir=out dir=to-dev"
[ "$pages" = "$expected" ] || fail "pages: $pages"
grep -q 'target=2 .*out=8800000400f0ff00' "$WORK/pages.log" || fail "pages: no F0 page"
grep -q 'target=2 .*out=8800000400c00000 done=page-closing' "$WORK/pages.log" || fail "pages: not closed"
result_is "$flashtest/QUILLAN.TMP" COMPLETE || fail "pages: result"
cmp -s <(head -c 98304 "$WORK/marked.bin") "$WORK/images/pages/drive-0-2.image" || fail "pages: the drive's image differs from the file"

# 3. The XN-870 on the port position of its list entry: f: is the second
#    drive listed, so entry 1 of the positions [0, 3] is used: port 1, target 1,
#    bit 1 of that port's DMAEnabled. Set: refused as DMA, nothing flashed.
nt_config dma "HALVERN " "CD-ROM XN-870   " XNA
dma_bits 2
run_test_mode dma "$WORK/xn870.bin"
grep -q 'DMA mode is not supported' "$boxes" || fail "dma: no box: $(cat "$boxes")"
[ "$(cat "$boxes")" = "$(printf 'MESSAGE\tDMA mode is not supported by this drive.\\nExit the application, switch the transfer mode to PIO mode,\\nand attempt to flash the drive.\ticon=error\ttopmost=1\towner=Quillan')" ] \
  || fail "dma: boxes: $(cat "$boxes")"
result_is "$flashtest/QUILLAN.TMP" FAIL2 || fail "dma: result $(cat "$flashtest/QUILLAN.TMP")"
grep -q 'cdb=ff0001' "$WORK/dma.log" && fail "dma: flashed anyway"
: > "$boxes"

# 4. Only bit 0 (target 0 of port 1) set: this drive runs PIO and is flashed.
nt_config pio "HALVERN " "CD-ROM XN-870   " XNA
dma_bits 1
run_test_mode pio "$WORK/xn870.bin"
[ ! -s "$boxes" ] || fail "pio: a box was shown: $(cat "$boxes")"
result_is "$flashtest/QUILLAN.TMP" COMPLETE || fail "pio: result $(cat "$flashtest/QUILLAN.TMP")"
cmp -s "$WORK/xn870.bin" "$WORK/images/pio/drive-0-2.image" || fail "pio: the drive's image differs from the file"

# 5. The middle piece fails with a sense: "Flash Cmd Fail!!", nothing after it.
nt_config failing "HALVERN " "DVD-ROM XD-340  " XDA "fault cdb ff00010000ff check 03/0c/00"
start_test_mode failing "$WORK/chunked.bin"
wait_for 60 grep -q 'Flash Cmd Fail' "$boxes" || fail "failing: no box: $(cat "$boxes")"
stop_program "$WORK/failing/quillan.exe"
last=$(grep '^exec ha=0 target=2' "$WORK/failing.log" | tail -n 1)
case $last in
  *"cdb=ff00010000ff000000000000 len=32768 dir=out status=04 result=check sense=03/0c/00"*) ;;
  *) fail "failing: the last command was not the failed middle piece: $last" ;;
esac
result_is "$flashtest/QUILLAN.TMP" START || fail "failing: result $(cat "$flashtest/QUILLAN.TMP")"
: > "$boxes"

# 6. Unattended: -LIVE with AUTORUN.BIN fitting the second listed drive, no
#    disc: flashed by itself, COMPLETE, and the restart ends the session.
nt_config live "HALVERN " "DVD-ROM XD-340  " XDA
mkdir -p "$WORK/live"
cp "$quillan" "$WORK/live/"
cp "$WORK/chunked.bin" "$WORK/live/AUTORUN.BIN"
(cd "$WORK/live" && LD_PRELOAD=$shim QUILLAN_SIM_CONFIG="$WORK/live.cfg" start_bg live "$RUN" "$WORK/live/quillan.exe" -LIVE)
wait_for 90 grep -q 'Download Ok' "$boxes" || fail "live: no end box: $(cat "$boxes")"
wait_for 30 gone "$WORK/live/quillan.exe" || fail "live: the restart did not end the program"
result_is "$WORK/live/QUILLAN.TMP" COMPLETE || fail "live: result $(cat "$WORK/live/QUILLAN.TMP" 2>&1)"
cmp -s "$WORK/chunked.bin" "$WORK/images/live/drive-0-2.image" || fail "live: the drive's image differs from the file"
sent_to live 2 > "$WORK/live-sent.txt"
echo "PASS: the NT pass-through path under 64-bit Wine"
