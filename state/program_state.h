// Everything the program keeps for its whole run, in one owner: the command
// blocks and the one data buffer every command uses, what start-up found
// (device table, transport, SCSI port positions), the drive and the file last
// looked at, and what the worker and the progress timer share. The names the
// rest of the program uses are references into it. Reset() gives a fresh
// start: nothing of an earlier command, drive or file survives it.
#pragma once

#include <atomic>
#include <cstdint>

#include "drive/device_table.h"
#include "drive/drive_identity.h"
#include "firmware/firmware_image.h"
#include "state/silent_exit.h"

namespace quillan {

constexpr uint32_t kCommandDataSize = 65536;

// Each command's 12-byte block; the variable bytes are set right before each
// send, the others stay as here.
struct CommandTemplates {
    uint8_t Inquiry[12] = {0x12, 0x00, 0x00, 0x00, 0x60, 0x00};
    uint8_t TestUnitReady[12] = {0x00};
    uint8_t StartStopUnit[12] = {0x1B, 0x00, 0x00, 0x00, 0x02, 0x00};
    uint8_t SendDiagnostic[12] = {0x1D, 0x00, 0x00, 0x00, 0x00, 0x00};
    uint8_t ReceiveDiagnostic[12] = {0x1C, 0x00, 0x00, 0x00, 0x08, 0x00};
    uint8_t FlashDownload[12] = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    uint8_t ReadDriveCode[12] = {0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAA};
};

struct ProgramState {
    CommandTemplates Templates;
    uint8_t CommandData[kCommandDataSize] = {};
    DeviceTable TheDeviceTable = {};
    int TransportSelector = 0;  // 0 ASPI, 1 pass-through
    PortPositionList PortPositions = {};
    DriveIdentityRecord DriveIdentity = {};
    FirmwareImageRecord FirmwareImage;
    // Up while the worker sends the last piece; the progress timer polls it.
    std::atomic<int32_t> BusyFlag{1};
    int32_t TickCounter = 0;
    // How far a "-SILENT" run got: what its exit code tells the caller.
    SilentExit SilentOutcome = SilentExit::NothingSent;
    // A download of this run reached the worker; the run then ends with the
    // restart, and no second download may begin (the window's thread only).
    bool WorkerStarted = false;

    void Reset();
};

extern ProgramState Program;

extern uint8_t (&CommandData)[kCommandDataSize];
extern uint8_t (&InquiryTemplate)[12];
extern uint8_t (&TestUnitReadyTemplate)[12];
extern uint8_t (&StartStopUnitTemplate)[12];
extern uint8_t (&SendDiagnosticTemplate)[12];
extern uint8_t (&ReceiveDiagnosticTemplate)[12];
extern uint8_t (&FlashDownloadTemplate)[12];
extern uint8_t (&ReadDriveCodeTemplate)[12];
extern DeviceTable& TheDeviceTable;
extern int& TransportSelector;
extern PortPositionList& PortPositions;
extern DriveIdentityRecord& DriveIdentity;
extern FirmwareImageRecord& FirmwareImage;
extern std::atomic<int32_t>& BusyFlag;
extern int32_t& TickCounter;
extern bool& WorkerStarted;

}  // namespace quillan
