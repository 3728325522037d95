// What the program asks of the operating system beside drives and windows.
// The Windows build answers with Win32; tests use a recording fake, so pauses
// and registry reads become exact assertions instead of real waits.
#pragma once

#include <cstdint>
#include <string>

namespace quillan {

constexpr uint32_t kPlatformWin32Windows = 1;  // Windows 9x
constexpr uint32_t kPlatformWin32Nt = 2;

// The power supply as GetSystemPowerStatus reports it. Either field may be
// unknown: desktops report no battery charge, and some machines no AC state.
constexpr uint8_t kPowerUnknown = 255;
constexpr uint8_t kAcOffline = 0;
constexpr uint8_t kAcOnline = 1;
struct PowerStatus {
    uint8_t acLine = kPowerUnknown;          // kAcOffline, kAcOnline or unknown
    uint8_t batteryPercent = kPowerUnknown;  // 0 to 100, or unknown
};

// What reading one registry value found.
enum class RegistryRead {
    KeyMissing,   // the key did not open
    ValueUnread,  // the key opened, but the value could not be read
    Read,         // the value is in the buffer
};

class Host {
public:
    virtual ~Host() = default;

    // The process command line as GetCommandLineA gives it.
    virtual const char* CommandLine() = 0;
    // dwPlatformId from GetVersionExA (structure size 148).
    virtual uint32_t PlatformId() = 0;
    virtual void Pause(uint32_t milliseconds) = 0;
    // `path` made whole against the current folder (GetFullPathNameA).
    virtual std::string FullPath(const std::string& path) = 0;

    // For the run log: the program's own folder and the user's temporary
    // folder (each ending with a separator), and the Windows version
    // ("4.10.2222").
    virtual std::string ProgramFolder() = 0;
    virtual std::string TempFolder() = 0;
    virtual std::string WindowsVersion() = 0;

    // Opens HKEY_LOCAL_MACHINE\`path` with KEY_ALL_ACCESS, reads the value
    // `name` into `buffer` offering `size` bytes, then flushes and closes the
    // key.
    virtual RegistryRead ReadMachineValue(const char* path, const char* name, uint8_t* buffer,
                                          uint32_t size) = 0;

    // Ends the first running process whose executable name matches (see
    // ProcessNameMatches); true when one was found and terminated.
    virtual bool TerminateProcessByName(const char* exeName) = 0;

    // Runs `work` on a new thread whose handle is not kept; false when no
    // thread could be created.
    virtual bool StartWorker(void (*work)(void* context), void* context) = 0;

    // NT family: enable the shutdown privilege, then restart. False when the
    // privilege could not be enabled or the request failed.
    virtual bool RestartWindows() = 0;
    // Windows 9x: ExitWindowsEx(EWX_REBOOT, 0) straight away.
    virtual void DirectRestart() = 0;

    // The power supply now; unknown in both fields when Windows cannot tell.
    virtual PowerStatus ReadPowerStatus() = 0;
    // Asks Windows to keep the system awake (the display may still turn
    // off), or withdraws the request. Asked and withdrawn on the same thread.
    virtual void KeepSystemAwake(bool awake) = 0;
    // The reason the shutdown screen shows while the program refuses the end
    // of the session (Windows Vista and later); an empty one removes it.
    virtual void SetShutdownBlockReason(const std::string& reason) = 0;
};

// An executable name (bare or a full path) names `wanted` when its last 12
// characters, or all of it when shorter, equal `wanted` in any letter case.
bool ProcessNameMatches(const char* exeFile, const char* wanted);

// The process-wide host, set once at start-up (or by a test).
Host& CurrentHost();
void SetCurrentHost(Host* host);

}  // namespace quillan
