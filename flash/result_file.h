// The one-line result file that tells a calling script how far a run got.
#pragma once

#include <string>

namespace quillan {

// Where the line goes under -LIVE and under -TEST. Tests point these elsewhere.
extern std::string LiveResultPath;  // "QUILLAN.TMP", in the current directory
extern std::string TestResultPath;  // "C:\FLASHTEST\QUILLAN.TMP"

// Replaces the file's content with `line` (which ends in "\n"), written with
// CR LF as a text-mode file on Windows stores it, at each location whose flag
// is set. A file that cannot be created is skipped without a word.
void WriteResultLine(const std::string& line, bool liveMode, bool testMode);

// "FAIL%d\n".
std::string FailLine(int outcome);

}  // namespace quillan
