#include "app/command_line.h"

#include <cstring>

#include "platform/ascii_upper.h"

namespace quillan {

std::string CommandLineWord(const char* commandLine, int n) {
    char buffer[kCommandLineBufferSize];
    const size_t kept = sizeof(buffer) - 1;
    // One character past what is kept says whether the line was cut there.
    const size_t seen = commandLine == nullptr ? 0 : strnlen(commandLine, kept + 1);
    const size_t length = seen < kept ? seen : kept;
    // A word that runs on past the cut is not the word the caller wrote: cut
    // short, "FW.BINX.OLD" would name FW.BIN.
    const bool cutInsideAWord = seen > kept && commandLine[kept] != ' ';
    if (length != 0) std::memcpy(buffer, commandLine, length);
    buffer[length] = '\0';
    UpperCaseAscii(buffer, length);

    int word = -1;
    size_t i = 0;
    while (i < length) {
        while (i < length && buffer[i] == ' ') ++i;
        if (i == length) break;
        const size_t start = i;
        while (i < length && buffer[i] != ' ') ++i;
        if (i == length && cutInsideAWord) break;
        if (++word == n) return std::string(buffer + start, i - start);
    }
    return std::string();
}

RunModes RunModesFromWord(const std::string& word1) {
    RunModes mode;
    if (word1 == "-TEST") mode.testMode = true;
    if (word1 == "-NOCHECK") mode.noCheckMode = true;
    if (word1 == "-LIVE") mode.liveMode = true;
    if (word1 == "-SILENT") mode.liveMode = mode.silentMode = true;
    return mode;
}

}  // namespace quillan
