// Native builds reach no real drive: without a stand-in every letter is absent.
#include "drive/drive_device.h"
#include "drive/drive_device_stand_in.h"
#include "state/program_state.h"

namespace quillan {
namespace {
const DriveDeviceStandIn*& standIn = Program.Plugged.DeviceStandIn;
}

void SetDriveDeviceStandIn(const DriveDeviceStandIn* replacement) { standIn = replacement; }

DeviceHandle OpenDriveDevice(const char* rootPath) {
    return standIn != nullptr ? standIn->open(rootPath) : kInvalidDevice;
}

void CloseDriveDevice(DeviceHandle device) {
    if (standIn != nullptr && standIn->close != nullptr) standIn->close(device);
}

bool SubmitPassThrough(DeviceHandle device, PassThroughBlock& block, uint8_t* data) {
    return standIn != nullptr && standIn->submit(device, block, data);
}

}  // namespace quillan
