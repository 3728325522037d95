// Compact text for the commands a simulated drive received, so that tests
// can compare whole sequences with tables written out by hand.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sim/sim_drive.h"

namespace quillan::test_support {

// "CDB-hex length", e.g. "ff0001000000000000000000 32768"; flash pages add
// their first eight bytes: "1d0000000800 8 8800000400400000".
inline std::string Describe(const sim::LogEntry& entry) {
    std::string text;
    char hex[4];
    for (uint8_t b : entry.cdb) {
        std::snprintf(hex, sizeof(hex), "%02x", b);
        text += hex;
    }
    text += " " + std::to_string(entry.transferLength);
    if (!entry.cdb.empty() && entry.cdb[0] == 0x1D && entry.dataOut.size() >= 8) {
        text += " ";
        for (size_t i = 0; i < 8; ++i) {
            std::snprintf(hex, sizeof(hex), "%02x", entry.dataOut[i]);
            text += hex;
        }
    }
    return text;
}

inline std::vector<std::string> Describe(const std::vector<sim::LogEntry>& log, size_t from = 0) {
    std::vector<std::string> lines;
    for (size_t i = from; i < log.size(); ++i) lines.push_back(Describe(log[i]));
    return lines;
}

}  // namespace quillan::test_support
