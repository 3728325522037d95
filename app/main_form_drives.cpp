// TMainForm: the drive list, the selected drive and the start-up match.
#include "app/Quillanmain.h"

#include <cstdio>
#include <cstring>

#include "drive/command_set.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "firmware/compatibility.h"

namespace quillan {

void TMainForm::FillDriveList() {
    for (uint8_t driveIndex = 0; driveIndex < TheDeviceTable.driveCount; ++driveIndex) {
        // A drive that does not answer is left out, without a word.
        if (SendInquiry(driveIndex, 12) != kStatusGood) continue;
        CommandData[36] = 0;
        const char* text = reinterpret_cast<const char*>(CommandData + 8);
        ComboBox1.AddItem(std::string(text, strnlen(text, 28)));
        LogLine("list entry " + std::to_string(driveListCount) + ": device " + std::to_string(driveIndex) + ", \"" +
                std::string(text, 24) + "\" \"" + std::string(text + 24, 4) + "\"");
        listToDevice[driveListCount] = driveIndex;
        ++driveListCount;
    }
}

void TMainForm::RecomputeDriveFlags() {
    // The last INQUIRY reply QueryDriveIdentity received is still in the buffer.
    driveFlags.BootFirmwareDrive = IsBootFirmwareRevision(DriveIdentity.driveRevision);
    driveFlags.K300ComDrive = IsK300ComDrive(CommandData);
}

void TMainForm::StartupSelection() {
    if (driveListCount == 0) return;
    selectedDrive = 0;
    ComboBox1.SetItemIndex(0);
    driveFlags.K300ComDrive = SendInquiry(SelectedDriveIndex(), 12) == kStatusGood && IsK300ComDrive(CommandData);
    QueryDriveIdentity(SelectedDriveIndex());
    driveFlags.BootFirmwareDrive = IsBootFirmwareRevision(DriveIdentity.driveRevision);
}

void TMainForm::MatchStartupFile() {
    for (uint8_t listPosition = 0; listPosition < driveListCount; ++listPosition) {
        QueryDriveIdentity(listToDevice[listPosition]);
        if (!FitsAtStartup(DriveIdentity, FirmwareImage)) continue;
        selectedDrive = listPosition;
        ComboBox1.SetItemIndex(listPosition);
        RecomputeDriveFlags();
        LogLine("start-up file fits list entry " + std::to_string(listPosition) +
                (RefusedAtStartup(DriveIdentity) ? ", but this drive is never flashed unattended" : ""));
        if (RefusedAtStartup(DriveIdentity)) break;
        ShowStartupMatch();
        return;
    }
    // No drive fits: the file is dropped without a word and list position 0
    // is selected again, described by its own data.
    LogLine("start-up file fits no listed drive: no automatic download");
    FirmwareImage.Size = 0;
    FirmwareImage.StartupReady = false;
    if (driveListCount == 0) return;
    selectedDrive = 0;
    ComboBox1.SetItemIndex(0);
    QueryDriveIdentity(SelectedDriveIndex());
    RecomputeDriveFlags();
}

void TMainForm::ShowStartupMatch() { ShowFileFields(startupFileName_, FirmwareImage.Size / 1024, "READY"); }

void TMainForm::ShowFileFields(const std::string& fileName, int32_t kilobytes, const char* status) {
    char download[200];
    std::snprintf(download, sizeof(download), "%s (%d K)", fileName.c_str(), static_cast<int>(kilobytes));
    StaticText1.SetText(FirmwareImage.Model);
    StaticText2.SetText(DriveIdentity.driveRevision);
    StaticText3.SetText(FirmwareImage.Revision);
    StaticText4.SetText(download);
    StaticText5.SetText(status);
}

void TMainForm::ResetFileFields() {
    StaticText1.SetText("");
    StaticText2.SetText("");
    StaticText3.SetText("");
    StaticText4.SetText("Not Open");
    StaticText5.SetText("");
}

void TMainForm::ComboBox1Change() {
    const int listPosition = ComboBox1.ItemIndex();
    if (listPosition < 0 || listPosition >= driveListCount || listPosition == selectedDrive) return;
    selectedDrive = static_cast<uint8_t>(listPosition);
    ResetFileFields();
    // A file opened for the previous drive must be opened again.
    FirmwareImage.Size = 0;
    // The item's text stands for the drive until it has answered; a short
    // text (a zero byte in the drive's fields) is padded with blanks so that
    // model and revision keep their widths.
    std::string item = ComboBox1.Items()[selectedDrive];
    item.resize(28, ' ');
    std::memcpy(DriveIdentity.driveModel, item.data(), 24);
    DriveIdentity.driveModel[24] = '\0';
    std::memcpy(DriveIdentity.driveRevision, item.data() + 24, 4);
    DriveIdentity.driveRevision[4] = '\0';
    Show(Notice::Plain(DriveIdentity.driveModel).Caption("Change Drive"));
    QueryDriveIdentity(SelectedDriveIndex());
    RecomputeDriveFlags();
}

}  // namespace quillan
