// The host services of the real program.
#pragma once

#include <windows.h>

#include "platform/host.h"

namespace quillan {

class Win32Host : public Host {
public:
    const char* CommandLine() override;
    uint32_t PlatformId() override;
    void Pause(uint32_t milliseconds) override;
    std::string FullPath(const std::string& path) override;
    std::string ProgramFolder() override;
    std::string TempFolder() override;
    std::string WindowsVersion() override;
    RegistryRead ReadMachineValue(const char* path, const char* name, uint8_t* buffer, uint32_t size) override;
    bool TerminateProcessByName(const char* exeName) override;
    bool StartWorker(void (*work)(void* context), void* context) override;
    bool RestartWindows() override;
    void DirectRestart() override;
    PowerStatus ReadPowerStatus() override;
    void KeepSystemAwake(bool awake) override;
    void SetShutdownBlockReason(const std::string& reason) override;

    // The window the shutdown screen names with the reason: the main window.
    void SetSessionWindow(HWND window) { sessionWindow_ = window; }

private:
    HWND sessionWindow_ = nullptr;
};

// The run log's time stamp: local time to the millisecond.
std::string Win32LocalTimeStamp();

}  // namespace quillan
