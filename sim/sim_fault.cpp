#include "sim/sim_fault.h"

#include <algorithm>
#include <utility>

namespace quillan::sim {

namespace {

bool StartsWith(const uint8_t* data, size_t length, const std::vector<uint8_t>& prefix) {
    if (prefix.empty()) return true;
    if (data == nullptr || length < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), data);
}

}  // namespace

FaultInjector::FaultInjector(std::vector<FaultRule> rules)
    : rules_(std::move(rules)), matches_(rules_.size(), 0) {}

std::optional<CommandResult> FaultInjector::Check(uint32_t commandNumber, const uint8_t* cdb,
                                                  size_t cdbLength, const uint8_t* dataOut,
                                                  size_t dataOutLength) {
    std::optional<CommandResult> fired;
    for (size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& rule = rules_[i];
        if (rule.commandNumber != 0 && rule.commandNumber != commandNumber) continue;
        if (!StartsWith(cdb, cdbLength, rule.cdbPrefix)) continue;
        if (!StartsWith(dataOut, dataOutLength, rule.dataPrefix)) continue;
        ++matches_[i];
        if (rule.matchNumber != 0 && rule.matchNumber != matches_[i]) continue;
        if (!fired) fired = rule.result;
    }
    return fired;
}

}  // namespace quillan::sim
