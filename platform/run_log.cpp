#include "platform/run_log.h"

#include <atomic>
#include <cstdio>

#include "state/program_state.h"

namespace quillan {
namespace {

// The log's state is the program's (Program.RunLog); the thread's name is
// the thread's own.
RunLogState& theLog = Program.RunLog;
thread_local const char* threadName = "window";

class LogLock {
public:
    LogLock() {
        while (Program.RunLogBusy.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~LogLock() { Program.RunLogBusy.clear(std::memory_order_release); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
};

bool OpenLocked(const std::string& path) {
    theLog.file.reset(std::fopen(path.c_str(), "ab"));
    if (!theLog.file) return false;
    std::fseek(theLog.file.get(), 0, SEEK_END);
    theLog.size = std::ftell(theLog.file.get());
    if (theLog.size < 0) theLog.size = 0;
    return true;
}

// Under the lock: the whole line, or nothing. Event lines are flushed at
// once, so that a run that is killed leaves them; command lines wait for the
// next event (a box, the result line), which follows within a few commands.
void WriteLocked(const std::string& text, bool flush = true) {
    if (!theLog.file) return;
    std::string (*const clock)() = Program.Plugged.RunLogClock;
    std::string line = clock != nullptr ? clock() + ' ' : std::string();
    line += threadName;
    line += ' ';
    line += text;
    line += "\r\n";
    if (theLog.size + static_cast<long>(line.size()) > kRunLogLimit && theLog.size > 0) {
        theLog.file.reset();
        std::remove(theLog.oldPath.c_str());
        std::rename(theLog.path.c_str(), theLog.oldPath.c_str());
        if (!OpenLocked(theLog.path)) return;
    }
    if (std::fwrite(line.data(), 1, line.size(), theLog.file.get()) == line.size()) {
        theLog.size += static_cast<long>(line.size());
        if (flush) std::fflush(theLog.file.get());
    }
}

std::string Hex(const uint8_t* bytes, size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i != 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

}  // namespace

bool OpenRunLog(const std::string& folder) {
    const LogLock lock;
    theLog.file.reset();
    theLog.path = folder + kRunLogName;
    theLog.oldPath = folder + kOldRunLogName;
    return OpenLocked(theLog.path);
}

void CloseRunLog() {
    const LogLock lock;
    theLog.file.reset();
    theLog.quiet = false;
}

bool RunLogOpen() {
    const LogLock lock;
    return theLog.file != nullptr;
}

void SetRunLogClock(std::string (*now)()) {
    const LogLock lock;
    Program.Plugged.RunLogClock = now;
}

const char* SetRunLogThreadName(const char* name) {
    const char* previous = threadName;
    threadName = name;
    return previous;
}

void LogLine(const std::string& text) {
    const LogLock lock;
    WriteLocked(text);
}

void LogCommand(const uint8_t* cdb, uint8_t cdbLength, uint8_t direction, uint32_t transferLength,
                uint8_t status, const uint8_t* data) {
    const LogLock lock;
    if (!theLog.file) return;
    const bool good = status == 1;
    if (theLog.quiet && good) {
        ++theLog.quietGood;
        return;
    }
    if (theLog.quiet) ++theLog.quietFailed;
    char tail[96];
    if (status == 4 && data != nullptr) {
        std::snprintf(tail, sizeof(tail), " -> status %u, sense %X/%02X/%02X", static_cast<unsigned>(status),
                      static_cast<unsigned>(data[2] & 0x0F), static_cast<unsigned>(data[12]),
                      static_cast<unsigned>(data[13]));
    } else {
        // ASPI's own statuses (no device, no adapter...) read best in hex.
        std::snprintf(tail, sizeof(tail), status >= 0x80 ? " -> status 0x%02X%s" : " -> status %u%s",
                      static_cast<unsigned>(status), good ? " good" : "");
    }
    WriteLocked("command " + Hex(cdb, cdbLength) + (direction == 0 ? ", in " : ", out ") +
                    std::to_string(transferLength) + tail,
                false);
}

void BeginQuietCommands() {
    const LogLock lock;
    theLog.quiet = true;
    theLog.quietGood = 0;
    theLog.quietFailed = 0;
}

void EndQuietCommands(const std::string& what) {
    const LogLock lock;
    if (!theLog.quiet) return;
    theLog.quiet = false;
    WriteLocked(what + ": " + std::to_string(theLog.quietGood + theLog.quietFailed) + " commands, " +
                std::to_string(theLog.quietFailed) + " refused");
}

}  // namespace quillan
