#include "platform/host_win32.h"

#include <windows.h>

namespace quillan {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query passes a 148-byte structure");

const char* Win32Host::CommandLine() { return GetCommandLineA(); }

uint32_t Win32Host::PlatformId() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return version.dwPlatformId;
}

void Win32Host::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

bool Win32Host::OpenMachineKey(const char* path, RegistryKey* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return false;
    *key = reinterpret_cast<RegistryKey>(opened);
    return true;
}

bool Win32Host::QueryValue(RegistryKey key, const char* name, uint8_t* buffer, uint32_t size) {
    DWORD length = size;
    return RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, nullptr, buffer, &length) ==
           ERROR_SUCCESS;
}

void Win32Host::FlushKey(RegistryKey key) { RegFlushKey(reinterpret_cast<HKEY>(key)); }

void Win32Host::CloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

}  // namespace quillan
