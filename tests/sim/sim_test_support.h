// Builders for the exact commands the flasher sends, spelled out byte by byte
// here rather than taken from the simulator, so the tests check it independently.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "drive/aspi_types.h"
#include "sim/sim_drive.h"

namespace quillan::sim::test {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kGuard = 0xEE;  // fills buffers past the transfer length

// Synthesized "firmware": a deterministic pseudo-random byte pattern.
inline Bytes Pattern(size_t n, uint32_t seed) {
    Bytes b(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        v = static_cast<uint8_t>(x);
    }
    return b;
}
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
inline Bytes Slice(const Bytes& b, size_t from, size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }
inline uint8_t Hi(size_t v) { return static_cast<uint8_t>(v >> 8); }
inline uint8_t Lo(size_t v) { return static_cast<uint8_t>(v); }

// 88 00 LL LL 00 fn a6 a7 + body
inline Bytes Page(uint8_t function, uint16_t argument, const Bytes& body = {}) {
    const size_t pageLength = 4 + body.size();
    return Cat({{0x88, 0x00, Hi(pageLength), Lo(pageLength), 0x00, function, Hi(argument), Lo(argument)}, body});
}
inline Bytes BootPiece(uint16_t address, const Bytes& piece) {
    return Page(0xD9, address, Cat({{0x00, 0x40}, piece, {0x00, 0x00}}));
}
inline Bytes SendDiagnosticCdb(size_t listLength) { return {0x1D, 0x00, 0x00, Hi(listLength), Lo(listLength), 0x00}; }
inline Bytes FlashDownloadCdb(uint8_t size, uint8_t mode = 0x00) {
    return {0xFF, 0x00, 0x01, 0x00, 0x00, size, 0x00, 0x00, 0x00, mode, 0x00, 0x00};
}
const Bytes kInquiryProbe = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
const Bytes kInquiry = {0x12, 0x00, 0x00, 0x00, 0x60, 0x00};
const Bytes kInquiry12 = {0x12, 0x00, 0x00, 0x00, 0x60, 0x00, 0, 0, 0, 0, 0, 0};
const Bytes kTestUnitReady = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kEject = {0x1B, 0x00, 0x00, 0x00, 0x02, 0x00};
const Bytes kReceiveDiagnostic = {0x1C, 0x00, 0x00, 0x00, 0x08, 0x00};
const Bytes kReadDriveCode = {0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAA};

struct Reply {
    CommandResult result;
    Bytes buffer;  // transfer length + 16 guard bytes
};
inline Reply RunIn(SimDrive& drive, const Bytes& cdb, uint32_t transferLength) {
    Reply r{CommandResult(), Bytes(transferLength + 16, kGuard)};
    r.result = drive.Execute(cdb.data(), cdb.size(), r.buffer.data(), transferLength, Direction::In);
    return r;
}
inline CommandResult RunOut(SimDrive& drive, const Bytes& cdb, Bytes data) {
    return drive.Execute(cdb.data(), cdb.size(), data.data(), static_cast<uint32_t>(data.size()), Direction::Out);
}
inline CommandResult SendPage(SimDrive& drive, const Bytes& page) {
    return RunOut(drive, SendDiagnosticCdb(page.size()), page);
}

// The whole 18-byte fixed-format sense, not just the three codes.
inline Bytes Sense(uint8_t key, uint8_t asc, uint8_t ascq) {
    Bytes s(18, 0);
    s[0] = 0x70, s[2] = key, s[7] = 10, s[12] = asc, s[13] = ascq;
    return s;
}
inline ::testing::AssertionResult IsCheck(const CommandResult& r, uint8_t key, uint8_t asc, uint8_t ascq) {
    if (r.kind == CommandResult::Kind::CheckCondition && Bytes(r.sense.begin(), r.sense.end()) == Sense(key, asc, ascq))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.kind) << " sense " << int(r.sense[2]) << "/"
                                         << int(r.sense[12]) << "/" << int(r.sense[13]);
}

// An SRB followed by room the caller gave for longer sense data; all guard bytes.
struct ExecBlock {
    SRB_ExecSCSICmd srb;
    uint8_t senseTail[32];
};
inline ExecBlock Exec(uint8_t ha, uint8_t target, const Bytes& cdb, uint8_t* buffer, uint32_t length, uint8_t flags) {
    ExecBlock b;
    std::memset(&b, kGuard, sizeof b);
    b.srb.SRB_Cmd = SC_EXEC_SCSI_CMD, b.srb.SRB_Status = SS_PENDING, b.srb.SRB_HaId = ha, b.srb.SRB_Flags = flags;
    b.srb.SRB_Target = target, b.srb.SRB_Lun = 0, b.srb.SRB_BufLen = length, b.srb.SRB_BufPointer = buffer;
    b.srb.SRB_SenseLen = ASPI_SENSE_LEN, b.srb.SRB_CDBLen = static_cast<uint8_t>(cdb.size());
    std::memcpy(b.srb.CDBByte, cdb.data(), std::min<size_t>(cdb.size(), 16));
    return b;
}

}  // namespace quillan::sim::test
