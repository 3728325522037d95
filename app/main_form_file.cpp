// TMainForm: opening a firmware file by hand, its checks, and F9.
#include "app/Quillanmain.h"

#include <cstdio>

#include "firmware/compatibility.h"
#include "firmware/firmware_image.h"
#include "firmware/firmware_reader.h"

namespace quillan {

using toolkit::BoxIcon;

void TMainForm::ToolButton1Click() {
    if (!OpenDialog1.Execute()) return;
    const std::string& chosen = OpenDialog1.FileName();
    const size_t slash = chosen.find_last_of("\\/:");
    std::string displayName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    for (char& c : displayName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    FirmwareImage.Path = chosen;
    if (!ReadFirmwareFile(FirmwareImage.Path, [this](const std::string& text) {
            ShowBox(text, kMessageCaption, BoxIcon::Error, true, true);
        }))
        return;
    CheckOpenedFile(displayName);
}

void TMainForm::CheckOpenedFile(const std::string& displayName) {
    const DriveFlags flags{BootFirmwareDrive, K300ComDrive};
    const OpenVerdict verdict = CheckOpenedFileRules(DriveIdentity, flags, FirmwareImage, noCheckMode);
    if (verdict != OpenVerdict::Accept) {
        ShowBox(RefusalText(verdict), kMessageCaption, BoxIcon::Error, false, true);
    }
    if (verdict != OpenVerdict::Accept && verdict != OpenVerdict::AcceptOlderThanDrive) {
        ResetFileFields();
        FirmwareImage.Size = 0;
        return;
    }
    // The length on disk, before any boot block was split off.
    const int32_t fileLength = FirmwareImage.Size + (FirmwareImage.Trimmed ? 65536 : 0);
    char download[200];
    std::snprintf(download, sizeof(download), "%s (%d K)", displayName.c_str(),
                  static_cast<int>(fileLength / 1024));
    StaticText1.SetText(FirmwareImage.Model);
    StaticText2.SetText(DriveIdentity.driveRevision);
    StaticText3.SetText(FirmwareImage.Revision);
    StaticText4.SetText(download);
    StaticText5.SetText("Ready");
}

void TMainForm::FormKeyDown(uint16_t key) {
    constexpr uint16_t kF9 = 0x78;
    if (key != kF9 || FirmwareImage.Size == 0) return;
    ShowBox(DownloadInfoText(FirmwareImage.ChunkKb, FirmwareImage.ChunkCount), kMessageCaption,
            BoxIcon::None, true, true);
}

}  // namespace quillan
