// The request block of the NT pass-through: SCSI_PASS_THROUGH_DIRECT, then a
// 32-byte sense buffer. The structure holds a pointer, so its size and the
// offsets after the pointer differ between 32-bit and 64-bit programs: 44
// bytes with the pointer at 20 (the shipped 32-bit program), 56 bytes with
// the pointer at 24 (the 64-bit build). Built and read here as bytes so that
// every offset is checked natively; the Windows edge only hands the block to
// DeviceIoControl.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillan {

constexpr uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

namespace pass_through {
// The same in both layouts.
constexpr size_t kLength = 0;            // 16-bit
constexpr size_t kScsiStatus = 2;
constexpr size_t kPathId = 3;
constexpr size_t kTargetId = 4;
constexpr size_t kLun = 5;
constexpr size_t kCdbLength = 6;
constexpr size_t kSenseInfoLength = 7;
constexpr size_t kDataIn = 8;
constexpr size_t kDataTransferLength = 12;  // 32-bit
constexpr size_t kTimeOutValue = 16;        // 32-bit, seconds
constexpr size_t kMaxCdb = 16;
constexpr size_t kSenseLength = 32;
}  // namespace pass_through

// Where the pointer and the fields after it sit, for one pointer size.
struct PassThroughLayout {
    uint16_t structSize;     // the Length field: SCSI_PASS_THROUGH_DIRECT's size
    size_t dataBuffer;       // the data pointer
    size_t pointerSize;
    size_t senseInfoOffset;  // 32-bit
    size_t cdb;              // 16 bytes
    size_t sense;            // the sense buffer after the structure
    size_t blockSize;        // what DeviceIoControl is given, in and out
};

// 44-byte structure, a 4-byte filler, 32 sense bytes: 80 in all.
inline constexpr PassThroughLayout kPassThrough32 = {44, 20, 4, 24, 28, 48, 80};
// 56-byte structure (the pointer aligned to 8), 32 sense bytes: 88 in all.
inline constexpr PassThroughLayout kPassThrough64 = {56, 24, 8, 32, 36, 56, 88};

// What this program sends: the 64-bit layout only in a 64-bit Windows build.
// Native builds keep the shipped program's layout; their stand-in device is
// handed the data pointer separately.
#if defined(_WIN64)
inline constexpr const PassThroughLayout& kProgramPassThrough = kPassThrough64;
#else
inline constexpr const PassThroughLayout& kProgramPassThrough = kPassThrough32;
#endif

constexpr size_t kPassThroughBlockSize = 88;  // room for either layout
using PassThroughBlock = uint8_t[kPassThroughBlockSize];

// Fills the whole block (zeroing what the program does not set).
void BuildPassThroughBlock(PassThroughBlock& block, const PassThroughLayout& layout,
                           const uint8_t* cdb, uint8_t cdbLength, uint64_t dataAddress,
                           uint32_t transferLength, uint8_t direction);

// 1 good, 4 the drive reported a status (sense bytes 2, 12, 13 copied into
// the same bytes of `data`), -1 the control call itself failed.
int PassThroughOutcome(const PassThroughBlock& block, const PassThroughLayout& layout,
                       bool controlSucceeded, uint8_t* data);

}  // namespace quillan
