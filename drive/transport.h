// One synchronous SCSI command to a drive, through the pass-through (NT
// family) or ASPI (Windows 9x).
#pragma once

#include <cstdint>

#include "drive/drive_device.h"

namespace quillan {

constexpr uint8_t kDataIn = 0;
constexpr uint8_t kDataOut = 1;

// A command's status is the transport's, not the drive's: ASPI's SRB_Status,
// and the pass-through's outcome in the same values (0xFF when the control
// call itself failed). "Status 1" (kStatusGood, ASPI's SS_COMP) is the
// transport's success and the only one; it is not the SCSI status byte,
// whose GOOD is 0. Status 4 (SS_ERR) is the drive's CHECK CONDITION, with its
// sense bytes in the data buffer.
constexpr uint8_t kStatusGood = 1;
constexpr uint8_t kStatusCheckCondition = 4;

// TransportSelector (state/program_state.h) picks the path; discovery
// chooses it once.

// Returns the request's final SRB_Status. On SS_ERR sense bytes 2, 12 and 13
// land in the same bytes of `data`; nothing else of `data` is written.
uint8_t AspiExecute(uint8_t hostAdapter, uint8_t target, const uint8_t* cdb, uint8_t cdbLength,
                    uint8_t* data, uint32_t transferLength, uint8_t direction);

// Returns 1, 4 (sense bytes copied as above) or -1 (the control call failed).
int PassThroughExecute(DeviceHandle device, const uint8_t* cdb, uint8_t cdbLength, uint8_t* data,
                       uint32_t transferLength, uint8_t direction);

// The one entry point for every command after discovery. `data` must be valid
// even when transferLength is 0: a failure writes sense bytes into it.
uint8_t SendDriveCommand(uint8_t driveIndex, const uint8_t* cdb, uint8_t cdbLength, uint8_t* data,
                         uint32_t transferLength, uint8_t direction);

}  // namespace quillan
