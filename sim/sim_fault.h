// Fault injection: rules that make chosen commands fail instead of running.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/sim_result.h"

namespace quillan::sim {

// Every criterion given must hold for a command to match. With matchNumber set,
// only the Nth matching command fails, so a test can hit e.g. the third
// FLASH DOWNLOAD or just the 0xDC flash page.
struct FaultRule {
    uint32_t commandNumber = 0;       // Nth command overall (1-based); 0: any
    std::vector<uint8_t> cdbPrefix;   // CDB starts with these bytes
    std::vector<uint8_t> dataPrefix;  // out-data starts with these bytes
    uint32_t matchNumber = 0;         // fire on the Nth match only (1-based); 0: every match
    CommandResult result = CommandResult::Check(kKeyIllegalRequest, kAscInvalidFieldInParameters, 0);
};

class FaultInjector {
public:
    explicit FaultInjector(std::vector<FaultRule> rules = {});

    // The result to inject for this command, if a rule fires. Each rule counts
    // its own matches (whether or not an earlier rule fired); the first rule
    // that fires wins.
    std::optional<CommandResult> Check(uint32_t commandNumber, const uint8_t* cdb, size_t cdbLength,
                                       const uint8_t* dataOut, size_t dataOutLength);

    const std::vector<FaultRule>& Rules() const { return rules_; }

private:
    std::vector<FaultRule> rules_;
    std::vector<uint32_t> matches_;
};

}  // namespace quillan::sim
