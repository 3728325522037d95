#include "sim/sim_event_log.h"

namespace quillan::sim {

EventLogFile::~EventLogFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool EventLogFile::Open(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != nullptr) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "ab");  // binary: "\n" endings on every platform
    return file_ != nullptr;
}

void EventLogFile::WriteLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ == nullptr) return;
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

}  // namespace quillan::sim
