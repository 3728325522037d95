#!/usr/bin/env bash
# Fuzzes the firmware file reader: scripts/fuzz.sh [seconds] (default 600).
# Seeds are synthesized here, one file of each layout.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-600}
scripts/setup.sh
[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target firmware_reader_fuzz -j2 >/dev/null
corpus=build/fuzz/corpus
mkdir -p "$corpus"
python3 - "$corpus" <<'PY'
import os, random, sys
out = sys.argv[1]
rng = random.Random(7)
def block(model, rev, kb=32, count=1, check=4, code=b"XDA"):
    return model.ljust(24)[:24] + rev[:4] + bytes([kb, count, check, 0]) + code
def body(n):
    return bytearray(rng.getrandbits(8) for _ in range(n))
def put(name, data):
    open(os.path.join(out, name), "wb").write(bytes(data))
f = body(80 * 1024); f[0xBF00] = 0; f[-48:-13] = block(b"HALVERN DVD-ROM XD-340", b"1.20", 32, 3); put("chunked", f)
f = body(65536); f[0xBF00] = 0; f[-48:-13] = block(b"HALVERN DVD-ROM XD-340", b"1.20"); put("single", f)
f = body(131072); f[0xBF00] = 0; f[-48] = 0xFF; f[131072 - 65584:131072 - 65584 + 35] = block(b"HALVERN CD-ROM XN-870", b"2.00", 64, 2); put("alternative", f)
f = body(50000); f[0xBF00:0xBF08] = b"\x05\x80\x00\x32abcd"; f[0xBF08:0xBF08 + 35] = block(b"HALVERN DVD-ROM XD-340", b"1.20"); put("marked", f)
f = body(300000); f[0xBF00:0xBF08] = b"\x05\x80\x00\x32abcd"; f[0xBF08:0xBF08 + 35] = block(b"VELMORICCD/DVDW VM-R916A", b"1.00"); put("bootblock", f)
PY
build/fuzz/tests/fuzz/firmware_reader_fuzz -max_len=320000 -max_total_time="$seconds" -print_final_stats=1 \
  "$corpus" 2>&1 | tail -n 25
