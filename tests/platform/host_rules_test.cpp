// The parts of the host services that decide: the restart's order and early
// ends, and which process name counts as the packet-writing program.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/restart.h"

namespace quillan {
namespace {

class RecordingShutdown : public ShutdownCalls {
public:
    uint32_t platform = kPlatformWin32Nt;
    bool tokenOpens = true;
    uint32_t lastError = 0;
    bool rebootAccepted = true;
    std::vector<std::string> calls;

    uint32_t PlatformId() override { return calls.push_back("version"), platform; }
    bool OpenProcessToken() override { return calls.push_back("open token"), tokenOpens; }
    void LookupShutdownPrivilege() override { calls.push_back("lookup"); }
    void EnableShutdownPrivilege() override { calls.push_back("adjust"); }
    uint32_t LastError() override { return calls.push_back("last error"), lastError; }
    bool ExitWindowsReboot() override { return calls.push_back("exit windows"), rebootAccepted; }
};

TEST(Restart, OrderAndEarlyEnds) {
    using Calls = std::vector<std::string>;
    const Calls full = {"version", "open token", "lookup", "adjust", "last error", "exit windows"};
    const struct Case {
        const char* name;
        uint32_t platform;
        bool tokenOpens;
        uint32_t lastError;
        bool rebootAccepted;
        bool result;
        Calls calls;
    } cases[] = {
        {"NT, privilege granted", kPlatformWin32Nt, true, 0, true, true, full},
        {"NT, restart refused", kPlatformWin32Nt, true, 0, false, false, full},
        {"NT, no token", kPlatformWin32Nt, false, 0, true, false, {"version", "open token"}},
        // ERROR_NOT_ALL_ASSIGNED comes with a call that succeeded.
        {"NT, privilege not held", kPlatformWin32Nt, true, 1300, true, false,
         {"version", "open token", "lookup", "adjust", "last error"}},
        {"9x: no privileges", kPlatformWin32Windows, false, 5, true, true, {"version", "exit windows"}},
    };
    for (const Case& c : cases) {
        RecordingShutdown calls;
        calls.platform = c.platform;
        calls.tokenOpens = c.tokenOpens;
        calls.lastError = c.lastError;
        calls.rebootAccepted = c.rebootAccepted;
        EXPECT_EQ(RestartWindowsWith(calls), c.result) << c.name;
        EXPECT_EQ(calls.calls, c.calls) << c.name;
    }
}

TEST(ProcessName, LastTwelveCharactersInAnyCase) {
    const struct {
        const char* exeFile;
        bool matches;
    } cases[] = {
        {"directcd.exe", true},
        {"DirectCD.EXE", true},
        {"C:\\Program Files\\Roxio\\DIRECTCD.EXE", true},
        {"mydirectcd.exe", true},  // a longer name ending in the same 12 characters
        {"directcd.ex", false},
        {"directcd.exe ", false},
        {"directcd2.exe", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ProcessNameMatches(c.exeFile, "directcd.exe"), c.matches) << c.exeFile;
}

}  // namespace
}  // namespace quillan
