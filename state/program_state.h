// Everything the program keeps for its whole run, in one owner: the command
// blocks and the one data buffer every command uses, what start-up found
// (device table, transport, SCSI port positions), the drive and the file last
// looked at, the download's open file and the worker's context, what the
// worker and the progress timer share, where the result line goes, and the
// run log. The names the rest of the program uses are references into it.
// Reset() gives a fresh start: nothing of an earlier command, drive, file,
// download or log survives it. What start-up plugs in (the host, the ASPI
// entry points, the device stand-in, the log's clock) stays plugged in.
//
// Nothing here includes a header above state/ (only the scoped file owner,
// which includes nothing of the program): every layer may include state/.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/scoped_file.h"
#include "state/device_table.h"
#include "state/drive_identity.h"
#include "state/firmware_image.h"
#include "state/run_log_state.h"
#include "state/silent_exit.h"
#include "state/worker_context.h"

namespace quillan {

constexpr uint32_t kCommandDataSize = 65536;

// Where the result line goes under -LIVE (in the current directory) and
// under -TEST, until start-up or a test says otherwise.
constexpr const char* kLiveResultPath = "QUILLAN.TMP";
constexpr const char* kTestResultPath = "C:\\FLASHTEST\\QUILLAN.TMP";

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

class Host;
struct DriveDeviceStandIn;

// What start-up plugs in, once; Reset() keeps it.
struct Connections {
    Host* CurrentHost = nullptr;
    // WNASPI32.DLL's two entry points (see drive/aspi_entry_points.h).
    uint32_t (*SendASPI32Command)(void* srb) = nullptr;
    uint32_t (*GetASPI32SupportInfo)() = nullptr;
    // Native builds only: the drive letters a test plugs in.
    const DriveDeviceStandIn* DeviceStandIn = nullptr;
    // What stamps each log line; none: the line has no time.
    std::string (*RunLogClock)() = nullptr;
};

struct ProgramState {
    Connections Plugged;
    CommandTemplates Templates;
    uint8_t CommandData[kCommandDataSize] = {};
    DeviceTable TheDeviceTable = {};
    Transport TransportSelector = Transport::Aspi;
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
    // The firmware file from the check before the first command to the end
    // of the download: open, and on Windows closed to writers, all that time.
    ScopedFile DownloadFile;
    WorkerContext TheWorkerContext;
    std::string LiveResultPath = kLiveResultPath;
    std::string TestResultPath = kTestResultPath;
    RunLogState RunLog;
    // The run log's lock: a spin lock, not a mutex (the shipped program's
    // runtime has none). Both threads write a few lines a second.
    std::atomic_flag RunLogBusy = ATOMIC_FLAG_INIT;

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
extern Transport& TransportSelector;
extern PortPositionList& PortPositions;
extern DriveIdentityRecord& DriveIdentity;
extern FirmwareImageRecord& FirmwareImage;
extern std::atomic<int32_t>& BusyFlag;
extern int32_t& TickCounter;
extern bool& WorkerStarted;
extern std::string& LiveResultPath;
extern std::string& TestResultPath;

}  // namespace quillan
