// Finds the optical drives once at start-up and picks the transport.
#pragma once

#include <cstdint>

namespace quillan {

// Fills TheDeviceTable and TransportSelector; returns the drive count.
uint8_t FindDrives();

// NT family: records which of the first four SCSI port positions name a device.
void ScanPortPositions();

}  // namespace quillan
