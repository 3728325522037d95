// QUILLAN.LOG: a plain-text record of each run for support, one line per
// event, appended: the start, the drives, the file, the decisions and boxes,
// every drive command with its answer, the result line and the restart.
// The log never stands in the way: one that cannot be written changes
// nothing else. Both threads write to it; a line is written whole.
#pragma once

#include <cstdint>
#include <string>

namespace quillan {

constexpr const char* kRunLogName = "QUILLAN.LOG";
constexpr const char* kOldRunLogName = "QUILLAN.OLD";
constexpr long kRunLogLimit = 1024 * 1024;  // then the log becomes QUILLAN.OLD

// Opens (appends to) `folder`/QUILLAN.LOG; false when it cannot be written,
// and nothing is logged then. `folder` ends with a path separator or is empty.
bool OpenRunLog(const std::string& folder);
void CloseRunLog();
bool RunLogOpen();

// What stamps each line: the local time to the millisecond (set once by
// the program; tests give a fixed one) and the calling thread's name.
void SetRunLogClock(std::string (*now)());
// "window" unless told otherwise; returns the name it replaces.
const char* SetRunLogThreadName(const char* name);

void LogLine(const std::string& text);

// One drive command: the CDB in hex, direction and transfer length, then the
// status, with sense key, ASC and ASCQ from `data` when the drive reported
// CHECK CONDITION (status 4).
void LogCommand(const uint8_t* cdb, uint8_t cdbLength, uint8_t direction, uint32_t transferLength,
                uint8_t status, const uint8_t* data);

// Between these, commands that succeed are only counted (the 512 pieces of a
// boot-block update); those that fail are still logged one by one.
void BeginQuietCommands();
void EndQuietCommands(const std::string& what);

}  // namespace quillan
