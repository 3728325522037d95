// What the program asks of the operating system beside drives and windows.
// The Windows build answers with Win32; tests use a recording fake, so pauses
// and registry reads become exact assertions instead of real waits.
#pragma once

#include <cstdint>

namespace quillan {

constexpr uint32_t kPlatformWin32Windows = 1;  // Windows 9x
constexpr uint32_t kPlatformWin32Nt = 2;

using RegistryKey = uintptr_t;

class Host {
public:
    virtual ~Host() = default;

    // The process command line as GetCommandLineA gives it.
    virtual const char* CommandLine() = 0;
    // dwPlatformId from GetVersionExA (structure size 148).
    virtual uint32_t PlatformId() = 0;
    virtual void Pause(uint32_t milliseconds) = 0;

    // Registry under HKEY_LOCAL_MACHINE, opened with KEY_ALL_ACCESS.
    virtual bool OpenMachineKey(const char* path, RegistryKey* key) = 0;
    // Reads a value into `buffer` offering `size` bytes; false when it fails.
    virtual bool QueryValue(RegistryKey key, const char* name, uint8_t* buffer, uint32_t size) = 0;
    virtual void FlushKey(RegistryKey key) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

// The process-wide host, set once at start-up (or by a test).
Host& CurrentHost();
void SetCurrentHost(Host* host);

}  // namespace quillan
