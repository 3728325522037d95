// The words of the process command line, the way the run-mode options are
// read: upper-cased a..z, separated by blanks only (quotes and tabs are
// ordinary characters), word 0 the program path.
#pragma once

#include <string>

#include "state/run_modes.h"

namespace quillan {

constexpr size_t kCommandLineBufferSize = 1000;

// Word n (from 0), or the empty text when there is none. The command line is
// first cut to the working buffer (999 characters), so no input, however
// long, is read past it (but for the one character that says whether the cut
// fell inside a word). A word the cut falls inside is no word: neither it
// nor any after it is there.
std::string CommandLineWord(const char* commandLine, int n);

// Only word 1 counts; each option is compared on its own. The platform
// family is not the command line's to say: ntPlatform stays clear.
RunModes RunModesFromWord(const std::string& word1);

}  // namespace quillan
