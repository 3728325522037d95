#include "flash/download.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "drive/command_set.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_reader.h"
#include "flash/download_guard.h"
#include "flash/result_file.h"
#include "platform/host.h"
#include "platform/run_log.h"

namespace quillan {


namespace {

const char kXn870Model[] = "HALVERN CD-ROM XN-870   ";
const char kPioOnlyText[] =
    "This application support PIO mode only for stable download.\n"
    "Exit the application, switch to PIO mode and attempt again.";
const char kDmaText[] =
    "DMA mode is not supported by this drive.\n"
    "Exit the application, switch the transfer mode to PIO mode,\n"
    "and attempt to flash the drive.";
const char kBatteryLowText[] = "Low Battery !!\nConnect the Power Adapter, then Start Download again.";
const char kDownloadOk[] = "  Download Ok!!  \nRestart WINDOWS";
const char kDownloadFail[] = " Download Fail!! \nRestart WINDOWS";
constexpr uint32_t kSingleCommandSkip = 4096;

void ShowError(DownloadWindow& window, const char* text) { window.Show(Notice::Error(text)); }

// How sending the pieces from the window's thread ended. All but the first
// end the download with "Flash Cmd Fail!!".
enum class PiecesSent {
    WorkerHasTheLast,   // every piece but the last went out; the worker sends it
    CommandRefused,     // the drive did not take a piece
    FileShort,          // the file could not give a whole piece
    WorkerNotStarted,   // no thread for the final command
};

// The boot-block update before a flash-page download of a trimmed file.
enum class BootBlockUpdated {
    Done,      // every piece went out (the drive may refuse those past its boot block)
    LeftOut,   // the drive refused to begin it: the main image goes on alone
    FileShort,
};

// DMA transfer mode check of the XN-870 on the NT family, from the SCSI
// port's "DMAEnabled" bits.
int DmaCheck(DownloadWindow& window, uint8_t driveIndex) {
    // A drive without a recorded port position cannot be looked up; reading
    // past the list would take another drive's position.
    if (driveIndex >= PortPositions.count) return kRegistryUnreadable;
    const int32_t position = PortPositions.positions[driveIndex];
    char key[] = "Hardware\\DeviceMap\\Scsi\\Scsi Port 1";
    key[sizeof(key) - 2] = static_cast<char>('0' + position / 2);
    uint8_t value[4] = {};
    const RegistryRead read = CurrentHost().ReadMachineValue(key, "DMAEnabled", value, sizeof(value));
    if (read == RegistryRead::KeyMissing) {
        Notice notice;
        notice.text = "Reg Read Fail";
        notice.caption = "Message";
        notice.errorIcon = false;
        notice.systemModal = false;
        window.Show(notice);
        return kRegistryUnreadable;
    }
    int outcome = kProceed;
    if (read != RegistryRead::Read) {
        outcome = kRegistryUnreadable;
    } else {
        const uint32_t bits = value[0] | (value[1] << 8) | (value[2] << 16) | (static_cast<uint32_t>(value[3]) << 24);
        const uint32_t targetBit = (position % 2 == 0) ? 0x1 : 0x2;
        if (bits & targetBit) outcome = kDmaMode;
    }
    return outcome;
}

int PreChecks(DownloadWindow& window, RunModes flags, uint8_t driveIndex) {
    int outcome = kProceed;
    const bool xn870 = std::memcmp(DriveIdentity.driveModel, kXn870Model, 24) == 0;
    if (xn870 && flags.ntPlatform) outcome = DmaCheck(window, driveIndex);
    // In auto-start mode start-up has made the disc check already.
    if (!FirmwareImage.StartupReady && CheckDiscLoaded(driveIndex)) outcome = kDiscLoaded;
    return outcome;
}

void ReportPreCheckFailure(DownloadWindow& window, RunModes flags, uint8_t driveIndex, int outcome) {
    const bool pioWording = std::memcmp(DriveIdentity.driveCode, "GNE", 3) == 0 ||
                            std::memcmp(DriveIdentity.driveCode, "YNE", 3) == 0;
    if (outcome == kDmaMode) {
        ShowError(window, pioWording ? kPioOnlyText : kDmaText);
        window.CloseMainWindow();
    } else if (outcome == kRegistryUnreadable) {
        ShowError(window, "Registry Error !!");
    } else if (outcome == kDiscLoaded && !flags.testMode) {
        SendEject(driveIndex);
        ShowError(window, "Remove the Disc in the Drive !!");
    } else if (outcome == kBatteryLow) {
        ShowError(window, kBatteryLowText);
    }
    WriteResultLine(FailLine(outcome), flags.liveMode, flags.testMode);
}

// The download is over: the file is closed, the window takes input again,
// and Windows may sleep and end the session again.
void GiveWindowBack(DownloadWindow& window) {
    Program.DownloadFile.reset();
    window.HoldUserInput(false);
    HoldOffTheOutside(window, false);
}

// The file still holds the bytes that were loaded and checked against the
// drive: same length, same digest.
bool StillTheLoadedFile(std::FILE* file) {
    FileFingerprint now;
    return TakeFingerprint(file, now) && SameFingerprint(now, FirmwareImage.Fingerprint);
}

// Reads exactly `count` bytes; a short read must not send a partial piece.
bool ReadPiece(std::FILE* file, uint8_t* into, uint32_t count) {
    return std::fread(into, 1, count, file) == count;
}

void Worker(void* argument) {
    // Its own thread in the program; a test may run it on the window's.
    const char* const threadBefore = SetRunLogThreadName("worker");
    const WorkerContext& context = *static_cast<const WorkerContext*>(argument);
    DownloadWindow& window = *context.window;
    const uint8_t driveIndex = context.driveIndex;
    const RunModes& flags = context.flags;
    uint8_t status;
    if (FirmwareImage.Marked) {
        PutFlashPageHeader(kPageBlock, 0x0000, kPageListShort);
        status = SendFlashPage(driveIndex, kPageListShort);
    } else {
        const uint32_t length = static_cast<uint32_t>(FlashDownloadTemplate[5]) * 1024;
        status = SendDriveCommand(driveIndex, FlashDownloadTemplate, 12, CommandData, length, kDataOut);
    }
    window.ShowHourglass(false);
    window.CaptureMouse(false);
    const bool flashed = status == kStatusGood;
    if (flashed) {
        Program.SilentOutcome = SilentExit::Flashed;
        WriteResultLine("COMPLETE\n", flags.liveMode, flags.testMode);
        window.SetProgress(100);
        window.SetStatus("Ok");
    } else {
        WriteResultLine("FAIL0\n", flags.liveMode, flags.testMode);
        window.SetStatus("Fail");
    }
    const Notice end = flashed ? Notice::Plain(kDownloadOk) : Notice::Error(kDownloadFail);
    if (!flags.testMode) window.Show(end);
    SetRunLogThreadName(threadBefore);
    BusyFlag = 0;
}

// When no thread can be created the final command is not sent, and the bar
// must not run for it.
PiecesSent StartWorker(DownloadWindow& window, RunModes flags, uint8_t driveIndex) {
    Program.TheWorkerContext = WorkerContext{&window, flags, driveIndex};
    BusyFlag = 1;
    if (CurrentHost().StartWorker(Worker, &Program.TheWorkerContext)) {
        WorkerStarted = true;
        return PiecesSent::WorkerHasTheLast;
    }
    window.SetProgressTimer(false);
    return PiecesSent::WorkerNotStarted;
}

PiecesSent SingleCommandDownload(DownloadWindow& window, RunModes flags, uint8_t driveIndex, std::FILE* file) {
    FirmwareImage.ChunkKb = 60;
    const uint32_t length = static_cast<uint32_t>(FirmwareImage.ChunkKb) * 1024;
    // The file's first 4 KB are read and then overwritten: they are not sent.
    if (!ReadPiece(file, CommandData, kSingleCommandSkip)) return PiecesSent::FileShort;
    window.SetProgressTimer(true);
    if (!ReadPiece(file, CommandData, length)) {
        window.SetProgressTimer(false);
        return PiecesSent::FileShort;
    }
    FlashDownloadTemplate[5] = 0x01;
    FlashDownloadTemplate[9] = 0xF0;
    return StartWorker(window, flags, driveIndex);
}

BootBlockUpdated BootBlockUpdate(DownloadWindow& window, uint8_t driveIndex, std::FILE* file) {
    PutFlashPageHeader(kPageBootBegin, 0x0000, kPageListShort);
    if (SendFlashPage(driveIndex, kPageListShort) != kStatusGood) return BootBlockUpdated::LeftOut;
    PutFlashPageHeader(kPageBootErase, 0x0000, kPageListShort);
    SendFlashPage(driveIndex, kPageListShort);
    PutFlashPageHeader(kPageBootSelect, 0x0080, kPageListShort);
    SendFlashPage(driveIndex, kPageListShort);

    // The boot block is the file's last 64 KB, right after the main image.
    if (std::fseek(file, FirmwareImage.Size, SEEK_SET) != 0) return BootBlockUpdated::FileShort;
    // 512 pieces: one line for them all, and one for each refused piece.
    BeginQuietCommands();
    for (uint32_t i = 0; i < kBootPieces; ++i) {
        // The whole header, every time: a refused piece leaves its sense key
        // in byte 2, the high byte of the page length.
        const uint32_t address = kBootFirstAddress + kBootPieceBytes * i;
        PutFlashPageHeader(kPageBootPiece, static_cast<uint16_t>(address), kPageListBootPiece);
        CommandData[8] = 0x00;
        CommandData[9] = 0x40;
        if (!ReadPiece(file, CommandData + 10, kBootPieceBytes)) {
            EndQuietCommands("boot-block pieces, cut short by the file");
            return BootBlockUpdated::FileShort;
        }
        CommandData[74] = 0;
        CommandData[75] = 0;
        SendFlashPage(driveIndex, kPageListBootPiece);
        window.SetProgress(static_cast<int>(100 * i / kBootPieces));
        window.PaintNow();
        window.ProcessMessages();
    }
    EndQuietCommands("boot-block pieces");
    return BootBlockUpdated::Done;
}

PiecesSent FlashPageDownload(DownloadWindow& window, RunModes flags, uint8_t driveIndex, std::FILE* file) {
    if (FirmwareImage.Trimmed && BootBlockUpdate(window, driveIndex, file) == BootBlockUpdated::FileShort)
        return PiecesSent::FileShort;
    if (std::fseek(file, 0, SEEK_SET) != 0) return PiecesSent::FileShort;
    PutFlashPageHeader(kPageIdentify, 0x0000, kPageListShort);
    SendFlashPage(driveIndex, kPageListShort);
    SendReceiveDiagnosticResults(driveIndex);
    PutFlashPageHeader(kPagePrepare, 0xFF00, kPageListShort);
    // The first block goes out whatever 0xF0 answered; a block decides.
    bool taken = SendFlashPage(driveIndex, kPageListShort) == kStatusGood;
    for (int32_t block = 1; block <= FirmwareImage.ChunkCount; ++block) {
        PutFlashPageHeader(kPageBlock, 0x0000, kPageListBlock);
        if (!ReadPiece(file, CommandData + 8, kBlockBytes)) return PiecesSent::FileShort;
        CommandData[6] = static_cast<uint8_t>(block);
        taken = SendFlashPage(driveIndex, kPageListBlock) == kStatusGood;
        if (!taken) return PiecesSent::CommandRefused;
        // The window answers between blocks, or Windows takes it for hung.
        window.ProcessMessages();
    }
    if (!taken) return PiecesSent::CommandRefused;
    window.SetProgressTimer(true);
    return StartWorker(window, flags, driveIndex);
}

PiecesSent ChunkedDownload(DownloadWindow& window, RunModes flags, uint8_t driveIndex, std::FILE* file) {
    const uint32_t chunk = static_cast<uint32_t>(FirmwareImage.ChunkKb) * 1024;
    for (int32_t piece = 0; piece <= FirmwareImage.ChunkCount - 2; ++piece) {
        if (!ReadPiece(file, CommandData, chunk)) return PiecesSent::FileShort;
        if (SendFlashDownload(driveIndex, piece == 0 ? 0x00 : 0xFF, 0x00, chunk) != kStatusGood)
            return PiecesSent::CommandRefused;
        // The window answers between chunks, or Windows takes it for hung.
        window.ProcessMessages();
    }
    window.SetProgressTimer(true);
    const uint32_t rest = static_cast<uint32_t>(FirmwareImage.Size) -
                          static_cast<uint32_t>(FirmwareImage.ChunkCount - 1) * chunk;
    if (rest > kCommandDataSize || !ReadPiece(file, CommandData, rest)) {
        window.SetProgressTimer(false);
        return PiecesSent::FileShort;
    }
    FlashDownloadTemplate[5] = LastChunkKb(FirmwareImage.Size, FirmwareImage.ChunkKb, FirmwareImage.ChunkCount);
    FlashDownloadTemplate[9] = 0x00;
    return StartWorker(window, flags, driveIndex);
}

}  // namespace

bool StartDownload(DownloadWindow& window, RunModes flags, uint8_t driveIndex) {
    // The drive has had its final command and the run ends in a restart: a
    // restart that did not come must not let the image go out again.
    if (WorkerStarted) {
        LogLine("download not started: this run's download has ended");
        return false;
    }
    int outcome = PreChecks(window, flags, driveIndex);
    // Only once the other checks have passed, so that theirs stay as they are.
    if (outcome == kProceed && !CheckPowerForDownload()) outcome = kBatteryLow;
    if (outcome != kProceed) {
        ReportPreCheckFailure(window, flags, driveIndex, outcome);
        return false;
    }
    // Nothing outside the program may cut the download short from here on.
    HoldOffTheOutside(window, true);
    // From here to the end of the download the buffer, the templates and the
    // selected drive belong to it: a drive change, another start or closing
    // the window would pull them from under the pieces being sent.
    window.HoldUserInput(true);
    WriteResultLine("START\n", flags.liveMode, flags.testMode);
    Program.DownloadFile = OpenFirmwareFile(FirmwareImage.Path);
    // Another file under the same name, or this one grown or cut since it
    // was checked, is not flashed: nothing goes to the drive.
    if (!Program.DownloadFile || FirmwareImage.Size == 0 || !StillTheLoadedFile(Program.DownloadFile.get())) {
        ShowError(window, "Flash File Not Opened!!");
        GiveWindowBack(window);
        return false;
    }
    std::FILE* file = Program.DownloadFile.get();
    window.SetStatus("Wait..");
    // Nothing repaints while this thread waits for the drive.
    window.PaintNow();
    Host& host = CurrentHost();
    window.CaptureMouse(true);
    window.ShowHourglass(true);
    host.TerminateProcessByName("directcd.exe");

    // From the first piece on, the drive's flash may be half written.
    Program.SilentOutcome = SilentExit::FlashIncomplete;
    PiecesSent sent;
    if (FirmwareImage.SingleCommand)
        sent = SingleCommandDownload(window, flags, driveIndex, file);
    else if (FirmwareImage.Marked)
        sent = FlashPageDownload(window, flags, driveIndex, file);
    else
        sent = ChunkedDownload(window, flags, driveIndex, file);

    if (sent == PiecesSent::WorkerHasTheLast) return true;
    // Idle again, and the window must say so (the status as after a failed
    // final command, no hourglass).
    window.SetStatus("Fail");
    ShowError(window, "Flash Cmd Fail!!");
    window.CaptureMouse(false);
    window.ShowHourglass(false);
    GiveWindowBack(window);
    return false;
}

void StartWithoutDrive(DownloadWindow& window, RunModes flags) {
    // Only -NOCHECK accepts a file with no drive to check it against, and
    // there is none to send it to.
    if (FirmwareImage.Size != 0) {
        ShowError(window, "DRIVE NOT FOUND!!");
        return;
    }
    // No file can have passed the rules without a drive: the download ends
    // as it does for any start without a usable file.
    WriteResultLine("START\n", flags.liveMode, flags.testMode);
    ShowError(window, "Flash File Not Opened!!");
}

void EndSilentRun(DownloadWindow& window, RunModes flags, const char* why) {
    if (!flags.silentMode) return;
    // A deployment tool restarts the machine when it suits its plan.
    LogLine(std::string("silent run over (") + why + "): exit code " +
            std::to_string(static_cast<uint32_t>(Program.SilentOutcome)) + ", no restart (the caller restarts Windows)");
    window.CloseMainWindow();
}

int32_t ExpectedTicks(int32_t size) {
    const int32_t kb = size / 1024;
    const int32_t ticks = (kb * 35) >> 9;
    return ticks == 0 ? 1 : ticks;
}

void ProgressTick(DownloadWindow& window, RunModes flags) {
    if (window.Progress() < 100) {
        const int32_t position = TickCounter * 100 / ExpectedTicks(FirmwareImage.Size);
        window.SetProgress(position > 100 ? 100 : position);
        ++TickCounter;
    }
    if (BusyFlag != 0) return;
    window.SetProgressTimer(false);
    // Before the restart is asked: the window would otherwise refuse the
    // end of the session that its own restart begins.
    GiveWindowBack(window);
    Host& host = CurrentHost();
    if (flags.testMode) {
        LogLine("test run over: the window closes, no restart");
        window.CloseMainWindow();
    } else if (flags.silentMode) {
        EndSilentRun(window, flags, "the worker's end");
    } else if (flags.ntPlatform) {
        LogLine("restart of Windows asked (shutdown privilege, then ExitWindowsEx)");
        host.RestartWindows();
    } else {
        LogLine("restart of Windows asked (ExitWindowsEx)");
        host.DirectRestart();
    }
}

}  // namespace quillan
