// TMainForm: opening a firmware file by hand, its checks, and F9.
#include "app/Quillanmain.h"

#include "platform/ascii_upper.h"
#include "firmware/compatibility.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "firmware/firmware_reader.h"

namespace quillan {

void TMainForm::ToolButton1Click() {
    // This run's download is over: the fields keep its final status.
    if (WorkerStarted) return;
    {
        const DialogShowing showing(dialogsOpen_);
        if (!OpenDialog1.Execute()) return;
    }
    fileOpenedByHand_ = true;
    // Start-up checked its own file's drive for a disc, not this one's, and
    // a disc may have gone in since: the download must check again.
    FirmwareImage.StartupReady = false;
    const std::string& chosen = OpenDialog1.FileName();
    const size_t slash = chosen.find_last_of("\\/:");
    std::string displayName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    UpperCaseAscii(displayName);
    FirmwareImage.Path = chosen;
    if (!ReadFirmwareFile(FirmwareImage.Path, [this](const std::string& text) {
            Show(Notice::Error(text));
        }))
        return;
    CheckOpenedFile(displayName);
}

void TMainForm::CheckOpenedFile(const std::string& displayName) {
    const OpenVerdict verdict = CheckOpenedFileRules(DriveIdentity, driveFlags, FirmwareImage, runModes.noCheckMode);
    static const char* const kVerdicts[] = {"accepted", "accepted, older than the drive's", "refused: needs K301",
                                            "refused: another model", "refused: another drive code"};
    LogLine(std::string("opened file for list entry ") + std::to_string(selectedDrive) + ": " +
            kVerdicts[static_cast<int>(verdict)]);
    if (verdict != OpenVerdict::Accept) {
        Show(Notice::Error(RefusalText(verdict)).NotSystemModal());
    }
    if (verdict != OpenVerdict::Accept && verdict != OpenVerdict::AcceptOlderThanDrive) {
        ResetFileFields();
        FirmwareImage.Size = 0;
        return;
    }
    // The length on disk, before any boot block was split off.
    const int32_t fileLength = FirmwareImage.Size + (FirmwareImage.Trimmed ? 65536 : 0);
    ShowFileFields(displayName, fileLength / 1024, "Ready");
}

void TMainForm::FormKeyDown(uint16_t key) {
    constexpr uint16_t kF9 = 0x78;
    if (key != kF9 || FirmwareImage.Size == 0) return;
    Show(Notice::Plain(DownloadInfoText(FirmwareImage.ChunkKb, FirmwareImage.ChunkCount)));
}

}  // namespace quillan
