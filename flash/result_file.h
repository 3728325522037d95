// The one-line result file that tells a calling script how far a run got.
#pragma once

#include <string>

#include "state/program_state.h"

namespace quillan {

// Where the line goes under -LIVE and under -TEST: LiveResultPath and
// TestResultPath of the program's state. Tests point these elsewhere.

// Replaces the file's content with `line` (which ends in "\n"), written with
// CR LF as a text-mode file on Windows stores it, at each location whose flag
// is set. A file that cannot be created is skipped without a word.
void WriteResultLine(const std::string& line, bool liveMode, bool testMode);

// "FAIL%d\n".
std::string FailLine(int outcome);

}  // namespace quillan
