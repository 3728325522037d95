// A recording Host for tests: pauses are recorded, not slept; the registry is
// a map; every call lands in a journal shared with the headless backend. The
// worker waits for the test to run it, or runs on a real thread of its own.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/host.h"

namespace quillan::test_support {

// A thread that is joined before it is replaced or destroyed.
class JoiningThread {
public:
    JoiningThread() = default;
    JoiningThread(JoiningThread&&) = default;
    JoiningThread& operator=(JoiningThread&& other) {
        Join();
        thread_ = std::move(other.thread_);
        return *this;
    }
    ~JoiningThread() { Join(); }
    void Start(void (*work)(void*), void* context) {
        Join();
        thread_ = std::thread(work, context);
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

class FakeHost : public Host {
public:
    explicit FakeHost(std::vector<std::string>* journal = nullptr) : journal_(journal) {}
    void SetJournal(std::vector<std::string>* journal) { journal_ = journal; }

    std::string commandLine = "C:\\QUILLAN\\QUILLAN.EXE";
    uint32_t platformId = kPlatformWin32Windows;
    // Where a run without -LIVE or -TEST keeps QUILLAN.LOG.
    std::string programFolder = (std::filesystem::temp_directory_path() / "").string();
    std::string tempFolder = (std::filesystem::temp_directory_path() / "").string();
    // Registry keys that open; each maps value names to their bytes.
    std::map<std::string, std::map<std::string, std::vector<uint8_t>>> keys;

    std::vector<uint32_t> pauses;
    std::vector<std::string> calls;  // registry traffic, in order

    uint32_t TotalPause() const {
        uint32_t total = 0;
        for (uint32_t p : pauses) total += p;
        return total;
    }

    const char* CommandLine() override {
        Note("command line");
        return commandLine.c_str();
    }
    uint32_t PlatformId() override {
        Note("platform");
        return platformId;
    }
    // As Windows makes it: a path with a drive letter or a leading separator
    // is whole already.
    std::string ProgramFolder() override { return programFolder; }
    std::string TempFolder() override { return tempFolder; }
    std::string WindowsVersion() override { return "4.10.2222"; }
    std::string FullPath(const std::string& path) override {
        const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
        const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
        if (path.empty() || drive || rooted) return path;  // "": GetFullPathNameA fails, the path stays
        std::error_code failed;
        const std::filesystem::path full = std::filesystem::absolute(path, failed);
        return failed ? path : full.string();
    }
    void Pause(uint32_t ms) override {
        Note("pause " + std::to_string(ms));
        pauses.push_back(ms);
    }
    // Records the calls the real host makes: open, and once the key is open,
    // query, flush and close.
    RegistryRead ReadMachineValue(const char* path, const char* name, uint8_t* buffer, uint32_t size) override {
        Record(std::string("open ") + path);
        auto key = keys.find(path);
        if (key == keys.end()) return RegistryRead::KeyMissing;
        Record(std::string("query ") + name + " " + std::to_string(size));
        auto value = key->second.find(name);
        const bool read = value != key->second.end() && value->second.size() <= size;
        if (read) std::memcpy(buffer, value->second.data(), value->second.size());
        Record(std::string("flush ") + path);
        Record(std::string("close ") + path);
        return read ? RegistryRead::Read : RegistryRead::ValueUnread;
    }

    bool TerminateProcessByName(const char* exeName) override {
        Note(std::string("terminate ") + exeName);
        terminated.push_back(exeName);
        return false;
    }
    // The worker is held until the test runs it, so the state the window's
    // thread leaves behind can be checked first.
    bool StartWorker(void (*work)(void*), void* context) override {
        Note("start worker");
        if (workerStartFails) return false;
        ++workersStarted;
        if (realThread) {
            thread_.Start(work, context);
        } else {
            pendingWorker = work;
            pendingContext = context;
        }
        return true;
    }
    // Waits for a worker started on a real thread.
    void JoinWorker() { thread_.Join(); }
    void RunWorker() {
        if (pendingWorker == nullptr) return;
        auto work = pendingWorker;
        pendingWorker = nullptr;
        work(pendingContext);
    }
    bool RestartWindows() override {
        Note("restart windows");
        ++restarts;
        if (onRestart) onRestart();
        return restartAccepted;
    }
    void DirectRestart() override {
        Note("direct restart");
        ++directRestarts;
        if (onRestart) onRestart();
    }
    PowerStatus ReadPowerStatus() override {
        Note("power status");
        return power;
    }
    void KeepSystemAwake(bool on) override {
        Note(on ? "keep awake" : "awake released");
        awake = on;
    }
    void SetShutdownBlockReason(const std::string& reason) override {
        Note(reason.empty() ? "block reason removed" : "block reason");
        shutdownBlockReason = reason;
    }

    std::vector<std::string> terminated;
    int workersStarted = 0;
    bool workerStartFails = false;  // as when no thread can be created
    bool realThread = false;        // the worker runs at once, beside the test
    void (*pendingWorker)(void*) = nullptr;
    void* pendingContext = nullptr;
    int restarts = 0;
    int directRestarts = 0;
    bool restartAccepted = true;
    // Runs as either restart is asked, to see what the program has let go of by then.
    std::function<void()> onRestart;
    // A desktop: on AC, no battery charge to report.
    PowerStatus power{kAcOnline, kPowerUnknown};
    bool awake = false;
    std::string shutdownBlockReason;

private:
    void Note(const std::string& what) {
        if (journal_ != nullptr) journal_->push_back(what);
    }
    void Record(const std::string& what) {
        calls.push_back(what);
        Note(what);
    }
    std::vector<std::string>* journal_;
    JoiningThread thread_;
};

}  // namespace quillan::test_support
