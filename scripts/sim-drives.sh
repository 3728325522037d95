# Sourced by run.sh and the Wine tests: the two simulated drives of an
# unattended run, a CD-RW of another model and the DVD-ROM XD-340 (revision
# 1.10, code XDA) that the sample firmware file fits.
# sim_two_drives LOG IMAGE_DIR DISC DELAY_MS [DEVICE0 DEVICE1]: prints the
# configuration; DISC (yes|no) and DELAY_MS are the fitting drive's, DEVICE0
# and DEVICE1 the Unix files behind drive letters on the NT path.
sim_two_drives() {
  cat <<CFG
log $1
image-dir $2
# An older drive of another model: not the one the file is for.
drive 0 0
${5:+device $5}
vendor "BRISKO  "
product "CD-RW CR-5224   "
revision "2.00"
code CRA
page40 refuse
disc no
# The drive the sample file fits.
drive 0 1
${6:+device $6}
vendor "HALVERN "
product "DVD-ROM XD-340  "
revision "1.10"
code XDA
page40 refuse
disc $3
delay-ms $4
CFG
}
