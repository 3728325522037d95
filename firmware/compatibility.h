// The fixed rules that decide whether a firmware file may go to a drive.
// Models are 24 bytes, revisions 4 and codes 3, compared byte for byte with
// their blanks.
#pragma once

#include <cstdint>

#include "state/drive_identity.h"
#include "state/firmware_image.h"

namespace quillan {

// Drives whose revision shows they run boot firmware: no code check and no
// old-version warning for them.
bool IsBootFirmwareRevision(const char* driveRevision);

// INQUIRY bytes 8-38 (vendor, product, revision and three more) of the one
// drive that only takes its own "K301" firmware.
bool IsK300ComDrive(const uint8_t* inquiryReply);

// At start-up this drive model fits files of another model when the second
// revision character differs.
bool BriskoException(const DriveIdentityRecord& drive, const FirmwareImageRecord& file);

// The start-up fit: same model (or the exception above), and the same code
// when the file asks for the code check.
bool FitsAtStartup(const DriveIdentityRecord& drive, const FirmwareImageRecord& file);

// A start-up fit that is refused all the same: the K300 drive is never
// flashed unattended, since the file it needs is only checked by hand.
bool RefusedAtStartup(const DriveIdentityRecord& drive);

enum class OpenVerdict {
    Accept,
    AcceptOlderThanDrive,  // accepted after "Old Version Opened!!"
    RefuseNeedsK301,
    RefuseModel,
    RefuseCode,
};

struct DriveFlags {
    bool BootFirmwareDrive = false;
    bool K300ComDrive = false;
};

// The open command's checks, in their order; the first refusal decides.
OpenVerdict CheckOpenedFileRules(const DriveIdentityRecord& drive, DriveFlags flags,
                                 const FirmwareImageRecord& file, bool noCheckMode);

// The drive's firmware is newer than the file's (character 0 never counts;
// with a code read from the drive only characters 2-3 do).
bool DriveRevisionNewer(const DriveIdentityRecord& drive, const FirmwareImageRecord& file);

// The message a refusal shows.
const char* RefusalText(OpenVerdict verdict);

}  // namespace quillan
