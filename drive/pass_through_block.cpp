#include "drive/pass_through_block.h"

#include <cstring>

namespace quillan {
namespace {

void PutLittleEndian(PassThroughBlock& block, size_t at, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void BuildPassThroughBlock(PassThroughBlock& block, const PassThroughLayout& layout,
                           const uint8_t* cdb, uint8_t cdbLength, uint64_t dataAddress,
                           uint32_t transferLength, uint8_t direction) {
    using namespace pass_through;
    std::memset(block, 0, kPassThroughBlockSize);
    const uint8_t sent = cdbLength <= kMaxCdb ? cdbLength : static_cast<uint8_t>(kMaxCdb);
    PutLittleEndian(block, kLength, layout.structSize, 2);
    block[kPathId] = 0;
    // The port driver addresses the device through the handle; this program
    // has always sent target 1 here.
    block[kTargetId] = 1;
    block[kLun] = 0;
    block[kCdbLength] = sent;
    block[kSenseInfoLength] = 24;
    block[kDataIn] = direction == 0 ? 1 : 0;
    PutLittleEndian(block, kDataTransferLength, transferLength, 4);
    PutLittleEndian(block, kTimeOutValue, 60, 4);
    PutLittleEndian(block, layout.dataBuffer, dataAddress, layout.pointerSize);
    PutLittleEndian(block, layout.senseInfoOffset, layout.sense, 4);
    if (sent != 0) std::memcpy(block + layout.cdb, cdb, sent);
}

int PassThroughOutcome(const PassThroughBlock& block, const PassThroughLayout& layout,
                       bool controlSucceeded, uint8_t* data) {
    using namespace pass_through;
    if (!controlSucceeded) return -1;
    if (block[kScsiStatus] == 0) return 1;
    data[2] = block[layout.sense + 2];
    data[12] = block[layout.sense + 12];
    data[13] = block[layout.sense + 13];
    return 4;
}

}  // namespace quillan
