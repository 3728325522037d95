// Opening drive letters and the pass-through control call.
#include <windows.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstdio>

#include "drive/drive_device.h"

// The block built byte by byte must be the platform's own structure.
namespace {
constexpr const quillan::PassThroughLayout& kLayout = quillan::kProgramPassThrough;
}
#if defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56, "SCSI_PASS_THROUGH_DIRECT is 56 bytes in 64-bit");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24, "the 64-bit pointer sits at 24");
#else
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "SCSI_PASS_THROUGH_DIRECT is 44 bytes in 32-bit");
#endif
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == kLayout.structSize, "Length");
static_assert(sizeof(void*) == kLayout.pointerSize, "pointer size");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == quillan::pass_through::kScsiStatus, "ScsiStatus");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TargetId) == quillan::pass_through::kTargetId, "TargetId");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == quillan::pass_through::kDataIn, "DataIn");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == quillan::pass_through::kDataTransferLength, "DataTransferLength");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == quillan::pass_through::kTimeOutValue, "TimeOutValue");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == kLayout.dataBuffer, "DataBuffer");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == kLayout.senseInfoOffset, "SenseInfoOffset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == kLayout.cdb, "Cdb");
static_assert(kLayout.sense >= sizeof(SCSI_PASS_THROUGH_DIRECT), "sense after the structure");
static_assert(kLayout.blockSize <= quillan::kPassThroughBlockSize, "block size");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == quillan::kIoctlScsiPassThroughDirect, "control code");

namespace quillan {

DeviceHandle OpenDriveDevice(const char* rootPath) {
    if (GetDriveTypeA(rootPath) != DRIVE_CDROM) return kInvalidDevice;
    char deviceName[100];
    std::snprintf(deviceName, sizeof(deviceName), "\\\\.\\%s", rootPath);
    HANDLE device = CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    return reinterpret_cast<DeviceHandle>(device);
}

void CloseDriveDevice(DeviceHandle device) { CloseHandle(reinterpret_cast<HANDLE>(device)); }

bool SubmitPassThrough(DeviceHandle device, PassThroughBlock& block, uint8_t*) {
    DWORD returned = 0;
    return DeviceIoControl(reinterpret_cast<HANDLE>(device), IOCTL_SCSI_PASS_THROUGH_DIRECT, block,
                           kLayout.blockSize, block, kLayout.blockSize, &returned,
                           nullptr) != FALSE;
}

}  // namespace quillan
