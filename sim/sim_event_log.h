// The simulator's log file: appended to, one line per event, flushed at once
// because the process under test may be killed at any moment.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace quillan::sim {

class EventLogFile {
public:
    EventLogFile() = default;
    ~EventLogFile();
    EventLogFile(const EventLogFile&) = delete;
    EventLogFile& operator=(const EventLogFile&) = delete;

    bool Open(const std::string& path);  // appends; false if it cannot be opened
    bool IsOpen() const { return file_ != nullptr; }
    void WriteLine(const std::string& line);  // no-op when not open

private:
    std::FILE* file_ = nullptr;
    std::mutex mutex_;
};

}  // namespace quillan::sim
