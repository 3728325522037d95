#include "drive/command_set.h"

#include <cstring>
#include <string>

#include "platform/ascii_upper.h"
#include "drive/transport.h"
#include "platform/host.h"
#include "platform/run_log.h"

namespace quillan {

namespace {

// Model and revision from the INQUIRY reply now in CommandData.
void TakeModelAndRevision() {
    std::memcpy(DriveIdentity.driveModel, CommandData + 8, 24);
    DriveIdentity.driveModel[24] = '\0';
    std::memcpy(DriveIdentity.driveRevision, CommandData + 32, 4);
    DriveIdentity.driveRevision[4] = '\0';
}

}  // namespace

void PutFlashPageHeader(uint8_t function, uint16_t argument, uint16_t listLength) {
    const uint16_t pageLength = static_cast<uint16_t>(listLength - 4);
    CommandData[0] = 0x88;
    CommandData[1] = 0x00;
    CommandData[2] = static_cast<uint8_t>(pageLength >> 8);
    CommandData[3] = static_cast<uint8_t>(pageLength);
    CommandData[4] = 0x00;
    CommandData[5] = function;
    CommandData[6] = static_cast<uint8_t>(argument >> 8);
    CommandData[7] = static_cast<uint8_t>(argument);
}

uint8_t SendInquiry(uint8_t driveIndex, uint8_t cdbLength) {
    // A drive that answers short or not at all must not leave an earlier
    // command's bytes to be read as its identity.
    std::memset(CommandData, 0, kInquiryReplyLength);
    InquiryTemplate[4] = 0x60;
    return SendDriveCommand(driveIndex, InquiryTemplate, cdbLength, CommandData, kInquiryReplyLength,
                            kDataIn);
}

uint8_t SendTestUnitReady(uint8_t driveIndex) {
    return SendDriveCommand(driveIndex, TestUnitReadyTemplate, 6, CommandData, 0, kDataIn);
}

uint8_t SendEject(uint8_t driveIndex) {
    return SendDriveCommand(driveIndex, StartStopUnitTemplate, 6, CommandData, 0, kDataIn);
}

uint8_t SendFlashPage(uint8_t driveIndex, uint16_t listLength) {
    SendDiagnosticTemplate[3] = static_cast<uint8_t>(listLength >> 8);
    SendDiagnosticTemplate[4] = static_cast<uint8_t>(listLength);
    return SendDriveCommand(driveIndex, SendDiagnosticTemplate, 6, CommandData, listLength, kDataOut);
}

uint8_t SendReceiveDiagnosticResults(uint8_t driveIndex) {
    return SendDriveCommand(driveIndex, ReceiveDiagnosticTemplate, 6, CommandData, 8, kDataIn);
}

uint8_t SendFlashDownload(uint8_t driveIndex, uint8_t marker, uint8_t mode, uint32_t transferLength) {
    FlashDownloadTemplate[5] = marker;
    FlashDownloadTemplate[9] = mode;
    if (transferLength > kCommandDataSize) return 0;  // never read past the buffer
    return SendDriveCommand(driveIndex, FlashDownloadTemplate, 12, CommandData, transferLength, kDataOut);
}

uint8_t SendReadDriveCode(uint8_t driveIndex) {
    CommandData[0] = 0x00;
    CommandData[1] = 0x00;
    return SendDriveCommand(driveIndex, ReadDriveCodeTemplate, 12, CommandData, 8, kDataIn);
}

int QueryDriveIdentity(uint8_t driveIndex) {
    SendInquiry(driveIndex, 6);
    PutFlashPageHeader(kPageIdentify, 0x0000, kPageListShort);
    if (SendFlashPage(driveIndex, kPageListShort) == kStatusGood) {
        SendInquiry(driveIndex, 6);
        TakeModelAndRevision();
        DriveIdentity.driveCode[0] = DriveIdentity.driveRevision[0];
        DriveIdentity.driveCode[1] = DriveIdentity.driveRevision[1];
        DriveIdentity.driveCode[2] = ' ';
        DriveIdentity.codeReadDirectly = false;
    } else {
        SendReadDriveCode(driveIndex);
        DriveIdentity.codeReadDirectly = false;
        if (CommandData[0] == 0x00 && CommandData[1] == 0x06) {
            std::memcpy(DriveIdentity.driveCode, CommandData + 4, 3);
            DriveIdentity.codeReadDirectly = true;
        }
        CurrentHost().Pause(100);
        SendInquiry(driveIndex, 6);
        TakeModelAndRevision();
        if (!DriveIdentity.codeReadDirectly) std::memcpy(DriveIdentity.driveCode, CommandData + 36, 3);
    }
    DriveIdentity.driveCode[3] = '\0';
    UpperCaseAscii(DriveIdentity.driveCode, 3);
    LogLine("identity of device " + std::to_string(driveIndex) + ": \"" + DriveIdentity.driveModel + "\" \"" +
            DriveIdentity.driveRevision + "\" code \"" + DriveIdentity.driveCode + "\"" +
            (DriveIdentity.codeReadDirectly ? " (read from the drive)" : " (from INQUIRY)"));
    return 1;
}

bool CheckDiscLoaded(uint8_t driveIndex) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const uint8_t status = SendTestUnitReady(driveIndex);
        CurrentHost().Pause(100);
        if (status == kStatusGood) return true;
    }
    return false;
}

}  // namespace quillan
