// The 80-byte request block of the NT pass-through: SCSI_PASS_THROUGH_DIRECT
// (44 bytes), a 4-byte filler and a 32-byte sense buffer. Built and read here
// as bytes so that every offset is checked natively; the Windows edge only
// hands the block to DeviceIoControl.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillan {

constexpr size_t kPassThroughBlockSize = 80;
constexpr uint32_t kIoctlScsiPassThroughDirect = 0x4D014;

namespace pass_through {
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
constexpr size_t kDataBuffer = 20;          // 32-bit pointer in the 32-bit program
constexpr size_t kSenseInfoOffset = 24;     // 32-bit
constexpr size_t kCdb = 28;                 // 16 bytes
constexpr size_t kSense = 48;               // 32 bytes
constexpr size_t kMaxCdb = 16;
}  // namespace pass_through

using PassThroughBlock = uint8_t[kPassThroughBlockSize];

// Fills the whole block (zeroing what the program does not set).
void BuildPassThroughBlock(PassThroughBlock& block, const uint8_t* cdb, uint8_t cdbLength,
                           uint32_t dataAddress, uint32_t transferLength, uint8_t direction);

// 1 good, 4 the drive reported a status (sense bytes 2, 12, 13 copied into
// the same bytes of `data`), -1 the control call itself failed.
int PassThroughOutcome(const PassThroughBlock& block, bool controlSucceeded, uint8_t* data);

}  // namespace quillan
