// The simulated drives behind Linux SG_IO, which is what Wine turns the NT
// pass-through control into. One request becomes an ASPI request to the
// drive's front, so it is logged and assembled exactly like one that came
// through WNASPI32.DLL; the shim in sg_io_shim/ routes a drive letter's file
// here. Linux only.
#pragma once

#include <scsi/sg.h>

#include <cstdint>

#include "sim/sim_session.h"

namespace quillan::sim {

// Answers `io` from the drive at adapter/target. Returns 0 with the SCSI
// status, sense and residual count in `io` (as the kernel does), or an errno
// value when the request itself fails (the ioctl then returns -1).
int AnswerSgIo(SimSession& session, uint8_t adapter, uint8_t target, sg_io_hdr_t& io);

}  // namespace quillan::sim
