// The Win32 host under Wine: stopping the packet-writing program and the DMA
// check reading a volatile registry key, as the real program does them.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drive/command_set.h"
#include "state/program_state.h"
#include "flash/download.h"
#include "flash/result_file.h"
#include "platform/host_win32.h"
#include "support/recording_download_window.h"

namespace quillan {
namespace {

std::string Beside(const char* name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

HANDLE Start(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// HKLM\Hardware is volatile: only a volatile key can be made there, by the
// helper beside the test. `arguments` are the helper's.
bool WriteVolatileKey(const std::string& arguments) {
    HANDLE process = Start("\"" + Beside("reg_volatile.exe") + "\" " + arguments);
    if (process == nullptr || WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) return false;
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return exitCode == 0;
}

TEST(Win32Host, TerminatesTheFirstDirectCdInAnyCase) {
    // The sleeper copied under the name the program looks for.
    const std::string directCd = Beside("DirectCD.EXE");
    ASSERT_TRUE(CopyFileA(Beside("sleeper.exe").c_str(), directCd.c_str(), FALSE));
    HANDLE process = Start("\"" + directCd + "\"");
    ASSERT_NE(process, nullptr);
    Win32Host host;
    EXPECT_FALSE(host.TerminateProcessByName("notthere.exe"));
    // The process is in the list only once Wine has started it, which takes
    // a busy machine a while: no fixed pause is long enough for every run.
    bool terminated = false;
    for (int tries = 0; tries < 200 && !terminated; ++tries) {
        terminated = host.TerminateProcessByName("directcd.exe");
        if (!terminated) Sleep(50);
    }
    EXPECT_TRUE(terminated);
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(host.TerminateProcessByName("directcd.exe"));
    CloseHandle(process);
    DeleteFileA(directCd.c_str());
}

TEST(Win32Host, ReadMachineValueSaysWhetherTheKeyOpenedAndTheValueWasRead) {
    // A port no drive test uses.
    const std::string key = "Hardware\\DeviceMap\\Scsi\\Scsi Port 7";
    ASSERT_TRUE(WriteVolatileKey("\"" + key + "\" DMAEnabled dword 0x04030201"));
    Win32Host host;
    uint8_t value[4] = {};
    EXPECT_EQ(host.ReadMachineValue(key.c_str(), "DMAEnabled", value, sizeof(value)), RegistryRead::Read);
    EXPECT_EQ(value[0], 1);
    EXPECT_EQ(value[3], 4);
    EXPECT_EQ(host.ReadMachineValue(key.c_str(), "DeviceName", value, sizeof(value)), RegistryRead::ValueUnread);
    EXPECT_EQ(host.ReadMachineValue("Hardware\\DeviceMap\\Scsi\\Scsi Port 8", "DMAEnabled", value, sizeof(value)),
              RegistryRead::KeyMissing);
}

TEST(Win32Host, DmaCheckReadsTheVolatileKey) {
    ASSERT_TRUE(WriteVolatileKey("\"Hardware\\DeviceMap\\Scsi\\Scsi Port 1\" DMAEnabled dword 2"));

    Win32Host host;
    SetCurrentHost(&host);
    std::memcpy(DriveIdentity.driveModel, "HALVERN CD-ROM XN-870   ", 25);
    std::memcpy(DriveIdentity.driveCode, "GNE", 4);
    FirmwareImage.StartupReady = true;  // no disc check: no drive is needed
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    LiveResultPath = std::string(folder) + "QUILLAN-DMA.TMP";
    RunModes flags;
    flags.ntPlatform = true;
    flags.liveMode = true;

    const struct {
        int32_t position;
        const char* result;
    } cases[] = {
        {3, "FAIL2\r\n"},  // port 1, target 1: bit 1 of 2 is set
        {2, "START\r\n"},  // port 1, target 0: bit 0 is clear, so the download starts
    };
    for (const auto& c : cases) {
        PortPositions = {{c.position}, 1};
        test_support::RecordingDownloadWindow window;
        StartDownload(window, flags, 0);
        char text[16] = {};
        HANDLE file = CreateFileA(LiveResultPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
        CloseHandle(file);
        EXPECT_STREQ(text, c.result) << c.position;
        if (c.position == 3) {
            EXPECT_EQ(window.shown, std::vector<std::string>{"This application support PIO mode only for stable download.\n"
                                                              "Exit the application, switch to PIO mode and attempt again."});
            EXPECT_TRUE(window.closed);
        }
    }
    DeleteFileA(LiveResultPath.c_str());
    SetCurrentHost(nullptr);
}

}  // namespace
}  // namespace quillan
