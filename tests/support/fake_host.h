// A recording Host for tests: pauses are recorded, not slept; the registry is
// a map; every call lands in a journal shared with the headless backend.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"

namespace quillan::testing {

class FakeHost : public Host {
public:
    explicit FakeHost(std::vector<std::string>* journal = nullptr) : journal_(journal) {}

    std::string commandLine = "C:\\QUILLAN\\QUILLAN.EXE";
    uint32_t platformId = kPlatformWin32Windows;
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
    void Pause(uint32_t ms) override {
        Note("pause " + std::to_string(ms));
        pauses.push_back(ms);
    }
    bool OpenMachineKey(const char* path, RegistryKey* key) override {
        Record(std::string("open ") + path);
        auto found = keys.find(path);
        if (found == keys.end()) return false;
        opened_.push_back(path);
        *key = opened_.size();
        return true;
    }
    bool QueryValue(RegistryKey key, const char* name, uint8_t* buffer, uint32_t size) override {
        Record(std::string("query ") + name + " " + std::to_string(size));
        const auto& values = keys[opened_.at(key - 1)];
        auto value = values.find(name);
        if (value == values.end() || value->second.size() > size) return false;
        std::memcpy(buffer, value->second.data(), value->second.size());
        return true;
    }
    void FlushKey(RegistryKey key) override { Record("flush " + opened_.at(key - 1)); }
    void CloseKey(RegistryKey key) override { Record("close " + opened_.at(key - 1)); }

private:
    void Note(const std::string& what) {
        if (journal_ != nullptr) journal_->push_back(what);
    }
    void Record(const std::string& what) {
        calls.push_back(what);
        Note(what);
    }
    std::vector<std::string>* journal_;
    std::vector<std::string> opened_;
};

}  // namespace quillan::testing
