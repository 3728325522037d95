// Everything WNASPI32.DLL does, kept portable so it can be tested natively:
// reads the configuration, builds the drives, logs every event to the log
// file and writes the assembled images when a download completes and on close.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/sim_aspi.h"
#include "sim/sim_config.h"
#include "sim/sim_event_log.h"

namespace quillan::sim {

struct SessionOptions {
    std::string configPath;  // empty: no configuration, so no adapters
    std::string logPath;     // overrides the configuration's `log` when not empty
    bool winePaths = false;  // map "/x/y" paths to "Z:\x\y" (running under Wine)
    int platformId = 0;      // written in the first line: "load platform=N"
};

class SimSession {
public:
    explicit SimSession(const SessionOptions& options);

    uint32_t SendASPI32Command(void* srb) { return aspi_->SendASPI32Command(srb); }
    uint32_t GetASPI32SupportInfo() { return aspi_->GetASPI32SupportInfo(); }

    // Writes every drive's images and an "unload" line; later calls do nothing.
    // processExiting: don't wait for a command in progress (its thread may be gone).
    void Close(bool processExiting = false);

    // A line of the front's own (what reached it before the ASPI request).
    void Note(const std::string& line) { log_.WriteLine(line); }

    SimAspi& Aspi() { return *aspi_; }
    const std::vector<DriveConfig>& DriveConfigs() const { return drives_; }
    bool ConfigLoaded() const { return configLoaded_; }
    const std::string& ImageDir() const { return imageDir_; }

private:
    void OnEvent(const AspiEvent& event);
    void WriteImages(uint8_t adapter, uint8_t target, const SimDrive& drive);

    std::unique_ptr<SimAspi> aspi_;
    std::vector<DriveConfig> drives_;
    EventLogFile log_;
    std::string imageDir_;
    bool configLoaded_ = false;
    bool closed_ = false;
};

}  // namespace quillan::sim
