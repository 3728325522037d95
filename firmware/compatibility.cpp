#include "firmware/compatibility.h"

#include <cstring>

namespace quillan {

namespace {
const char kK300ComInquiry[] = "HALVERN CDRW/DVD XM-590BK300COM";  // 31 bytes
const char kK300Model[] = "HALVERN CDRW/DVD XM-590B";
const char kBriskoModel[] = "BRISKO  DVD-ROM XD-340B ";
}  // namespace

bool IsBootFirmwareRevision(const char* revision) {
    return std::memcmp(revision, "BOOT", 4) == 0 || std::memcmp(revision, "B1.0", 4) == 0 ||
           std::memcmp(revision, "0.99", 4) == 0;
}

bool IsK300ComDrive(const uint8_t* inquiryReply) {
    return std::memcmp(inquiryReply + 8, kK300ComInquiry, 31) == 0;
}

bool BriskoException(const DriveIdentityRecord& drive, const FirmwareImageRecord& file) {
    return std::memcmp(drive.driveModel, kBriskoModel, 24) == 0 &&
           drive.driveRevision[1] != file.Revision[1];
}

bool FitsAtStartup(const DriveIdentityRecord& drive, const FirmwareImageRecord& file) {
    const bool model = std::memcmp(drive.driveModel, file.Model, 24) == 0 || BriskoException(drive, file);
    const bool code = file.CodeCheck != 4 || std::memcmp(drive.driveCode, file.Code, 3) == 0;
    return model && code;
}

bool RefusedAtStartup(const DriveIdentityRecord& drive) {
    return std::memcmp(drive.driveModel, kK300Model, 24) == 0 &&
           std::memcmp(drive.driveRevision, "K300", 4) == 0;
}

bool DriveRevisionNewer(const DriveIdentityRecord& drive, const FirmwareImageRecord& file) {
    const size_t first = drive.codeReadDirectly ? 2 : 1;
    for (size_t i = first; i < 4; ++i) {
        const auto d = static_cast<uint8_t>(drive.driveRevision[i]);
        const auto f = static_cast<uint8_t>(file.Revision[i]);
        if (d != f) return d > f;
    }
    return false;
}

OpenVerdict CheckOpenedFileRules(const DriveIdentityRecord& drive, DriveFlags flags,
                                 const FirmwareImageRecord& file, bool noCheckMode) {
    if (!file.Marked && flags.K300ComDrive && std::memcmp(file.Revision, "K301", 4) != 0)
        return OpenVerdict::RefuseNeedsK301;
    if (!noCheckMode && std::memcmp(drive.driveModel, file.Model, 24) != 0) return OpenVerdict::RefuseModel;
    if (!noCheckMode && file.CodeCheck == 4 && !flags.BootFirmwareDrive &&
        std::memcmp(drive.driveCode, file.Code, 3) != 0)
        return OpenVerdict::RefuseCode;
    if (!flags.BootFirmwareDrive && DriveRevisionNewer(drive, file)) return OpenVerdict::AcceptOlderThanDrive;
    return OpenVerdict::Accept;
}

const char* RefusalText(OpenVerdict verdict) {
    switch (verdict) {
    case OpenVerdict::RefuseNeedsK301: return "You Must Download K301COM Version !!";
    case OpenVerdict::RefuseModel: return "This Firmware is not compatible with the selected drive.";
    case OpenVerdict::RefuseCode:
        return "This Firmware is not compatible with the selected drive.\n"
               "Contact your system manufacturer for information\n"
               "on firmware updates available for this drive.";
    case OpenVerdict::AcceptOlderThanDrive: return "Old Version Opened!!";
    case OpenVerdict::Accept: break;
    }
    return "";
}

}  // namespace quillan
