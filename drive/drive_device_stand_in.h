// Native builds have no drive letters: a test plugs in a stand-in for the
// device calls of drive_device.h. The Windows build has no such hook.
#pragma once

#ifdef _WIN32
#error "the drive device stand-in exists in native builds only"
#endif

#include <cstdint>

#include "drive/drive_device.h"

namespace quillan {

struct DriveDeviceStandIn {
    DeviceHandle (*open)(const char* rootPath);
    bool (*submit)(DeviceHandle device, PassThroughBlock& block, uint8_t* data);
    void (*close)(DeviceHandle device);
};

// Without a stand-in (nullptr) every letter is absent.
void SetDriveDeviceStandIn(const DriveDeviceStandIn* standIn);

}  // namespace quillan
