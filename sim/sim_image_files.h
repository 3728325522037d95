// Writes what a drive assembled to files a test can compare:
// <dir>/drive-<adapter>-<target>.image / .boot / .single (only those with data).
#pragma once

#include <cstdint>
#include <string>

#include "sim/sim_drive.h"

namespace quillan::sim {

std::string DriveFileStem(uint8_t adapter, uint8_t target);  // "drive-0-1"
std::string JoinPath(const std::string& dir, const std::string& name);

// Creates dir if needed. Returns "" or what failed.
std::string WriteDriveImages(const std::string& dir, uint8_t adapter, uint8_t target, const SimDrive& drive);

}  // namespace quillan::sim
