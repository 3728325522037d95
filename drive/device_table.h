// The optical drives found at start-up, addressed everywhere by their index.
#pragma once

#include <cstdint>

#include "drive/drive_device.h"

namespace quillan {

constexpr int kLetterCount = 26;   // a: .. z:
constexpr int kAspiTableSize = 8;  // ASPI drives the table can hold

struct DeviceTable {
    DeviceHandle deviceHandles[kLetterCount];
    uint8_t aspiTargets[kAspiTableSize];
    uint8_t aspiHostAdapters[kAspiTableSize];
    uint8_t driveCount;
};

// SCSI port positions (port x 2 + target, 0..3) that have a device-map key
// with a "DeviceName" value; entry k belongs to drive index k.
struct PortPositionList {
    int32_t positions[4];
    int32_t count;
};

}  // namespace quillan
