// The NT-family edge of the pass-through transport: open a drive letter as a
// device, and hand one request block to the port driver.
#pragma once

#include <cstdint>

#include "drive/pass_through_block.h"
#include "state/device_table.h"

namespace quillan {

// rootPath is a letter and a colon ("d:"). Opens nothing unless the system
// calls the letter an optical drive.
DeviceHandle OpenDriveDevice(const char* rootPath);

void CloseDriveDevice(DeviceHandle device);

// DeviceIoControl(IOCTL_SCSI_PASS_THROUGH_DIRECT) with the block as input and
// output. `data` is the buffer the block points at: the native stand-in needs
// it because a 64-bit pointer does not fit the 32-bit field.
bool SubmitPassThrough(DeviceHandle device, PassThroughBlock& block, uint8_t* data);

}  // namespace quillan
