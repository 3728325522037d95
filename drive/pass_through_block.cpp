#include "drive/pass_through_block.h"

#include <cstring>

namespace quillan {
namespace {

void Put16(PassThroughBlock& block, size_t at, uint16_t value) {
    block[at] = static_cast<uint8_t>(value);
    block[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(PassThroughBlock& block, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void BuildPassThroughBlock(PassThroughBlock& block, const uint8_t* cdb, uint8_t cdbLength,
                           uint32_t dataAddress, uint32_t transferLength, uint8_t direction) {
    using namespace pass_through;
    std::memset(block, 0, kPassThroughBlockSize);
    const uint8_t sent = cdbLength <= kMaxCdb ? cdbLength : static_cast<uint8_t>(kMaxCdb);
    Put16(block, kLength, 44);
    block[kPathId] = 0;
    // The port driver addresses the device through the handle; this program
    // has always sent target 1 here.
    block[kTargetId] = 1;
    block[kLun] = 0;
    block[kCdbLength] = sent;
    block[kSenseInfoLength] = 24;
    block[kDataIn] = direction == 0 ? 1 : 0;
    Put32(block, kDataTransferLength, transferLength);
    Put32(block, kTimeOutValue, 60);
    Put32(block, kDataBuffer, dataAddress);
    Put32(block, kSenseInfoOffset, kSense);
    if (sent != 0) std::memcpy(block + kCdb, cdb, sent);
}

int PassThroughOutcome(const PassThroughBlock& block, bool controlSucceeded, uint8_t* data) {
    using namespace pass_through;
    if (!controlSucceeded) return -1;
    if (block[kScsiStatus] == 0) return 1;
    data[2] = block[kSense + 2];
    data[12] = block[kSense + 12];
    data[13] = block[kSense + 13];
    return 4;
}

}  // namespace quillan
