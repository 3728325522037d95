#include "flash/result_file.h"

#include <cstdio>

#include "platform/run_log.h"
#include "platform/scoped_file.h"

namespace quillan {

namespace {

// Binary mode with the CR added here gives the same bytes on every platform
// that a text-mode write gives on Windows.
void WriteOne(const std::string& path, const std::string& line) {
    const std::string shown = line.substr(0, line.find('\n'));
    const ScopedFile file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        LogLine("result " + shown + " not written: " + path + " cannot be created");
        return;
    }
    LogLine("result " + shown + " written to " + path);
    std::string bytes;
    for (char c : line) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}

}  // namespace

void WriteResultLine(const std::string& line, bool liveMode, bool testMode) {
    if (liveMode) WriteOne(LiveResultPath, line);
    if (testMode) WriteOne(TestResultPath, line);
}

std::string FailLine(int outcome) {
    char line[32];
    std::snprintf(line, sizeof(line), "FAIL%d\n", outcome);
    return line;
}

}  // namespace quillan
