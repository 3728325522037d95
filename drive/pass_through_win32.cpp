// The pass-through request block handed to DeviceIoControl must match the
// platform's SCSI_PASS_THROUGH_DIRECT exactly.
#include <windows.h>
#include <ntddscsi.h>

#include <cstddef>

static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "SCSI_PASS_THROUGH_DIRECT must be 44 bytes");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12, "DataTransferLength offset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20, "DataBuffer offset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24, "SenseInfoOffset offset");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28, "Cdb offset");
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014, "pass-through control code");
