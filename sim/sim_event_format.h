// One text line per ASPI event, for the simulator's log file (format in README).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/sim_aspi.h"

namespace quillan::sim {

// Out-data up to this size is logged in full; longer data as length + CRC-32.
constexpr size_t kFullHexLimit = 76;

std::string Hex(const uint8_t* data, size_t length);  // "1d0000" style, lowercase
uint32_t Crc32(const uint8_t* data, size_t length);   // the zlib/PNG CRC-32
std::string FormatEvent(const AspiEvent& event);

}  // namespace quillan::sim
