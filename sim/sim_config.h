// The simulator's text configuration: which drives sit where, what they
// answer, which commands fail. See sim/README.md for the format.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_aspi.h"
#include "sim/sim_drive.h"

namespace quillan::sim {

struct DriveConfig {
    uint8_t adapter = 0;
    uint8_t target = 0;
    int line = 0;  // of its `drive` header
    DriveSettings settings;
    std::string devicePath;  // the Unix file behind a drive letter (pass-through under Wine)
};

struct SimConfig {
    std::optional<uint8_t> adapters;       // default: highest adapter used + 1
    std::optional<uint8_t> supportStatus;  // forced GetASPI32SupportInfo status byte
    std::string logPath;
    std::string imageDir;
    std::vector<DriveConfig> drives;
};

struct ConfigParse {
    bool ok = false;
    SimConfig config;     // filled only when ok
    int line = 0;         // line of the error; 0 when not tied to a line
    std::string message;  // "line N: what is wrong"
};

ConfigParse ParseSimConfig(const std::string& text);
ConfigParse LoadSimConfig(const std::string& path);

std::unique_ptr<SimAspi> MakeSimAspi(const SimConfig& config);

}  // namespace quillan::sim
