#include "state/program_state.h"

#include <cstring>

namespace quillan {

ProgramState Program;

// Bound to the one owner at compile time: no order of start-up to mind.
uint8_t (&CommandData)[kCommandDataSize] = Program.CommandData;
uint8_t (&InquiryTemplate)[12] = Program.Templates.Inquiry;
uint8_t (&TestUnitReadyTemplate)[12] = Program.Templates.TestUnitReady;
uint8_t (&StartStopUnitTemplate)[12] = Program.Templates.StartStopUnit;
uint8_t (&SendDiagnosticTemplate)[12] = Program.Templates.SendDiagnostic;
uint8_t (&ReceiveDiagnosticTemplate)[12] = Program.Templates.ReceiveDiagnostic;
uint8_t (&FlashDownloadTemplate)[12] = Program.Templates.FlashDownload;
uint8_t (&ReadDriveCodeTemplate)[12] = Program.Templates.ReadDriveCode;
DeviceTable& TheDeviceTable = Program.TheDeviceTable;
Transport& TransportSelector = Program.TransportSelector;
PortPositionList& PortPositions = Program.PortPositions;
DriveIdentityRecord& DriveIdentity = Program.DriveIdentity;
FirmwareImageRecord& FirmwareImage = Program.FirmwareImage;
std::atomic<int32_t>& BusyFlag = Program.BusyFlag;
int32_t& TickCounter = Program.TickCounter;
bool& WorkerStarted = Program.WorkerStarted;
std::string& LiveResultPath = Program.LiveResultPath;
std::string& TestResultPath = Program.TestResultPath;

void ProgramState::Reset() {
    Templates = CommandTemplates();
    std::memset(CommandData, 0, sizeof(CommandData));
    TheDeviceTable = {};
    TransportSelector = Transport::Aspi;
    PortPositions = {};
    DriveIdentity = {};
    FirmwareImage = FirmwareImageRecord();
    BusyFlag = 1;
    TickCounter = 0;
    SilentOutcome = SilentExit::NothingSent;
    WorkerStarted = false;
    DownloadFile.reset();
    TheWorkerContext = WorkerContext();
    LiveResultPath = kLiveResultPath;
    TestResultPath = kTestResultPath;
    RunLog = RunLogState();  // closes the log
    Plugged = Connections();  // host, ASPI layer, stand-in and clock: plugged again after
}

}  // namespace quillan
