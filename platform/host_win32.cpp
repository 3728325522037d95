#include "platform/host_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

#include "platform/restart.h"
#include "platform/scoped_win32.h"

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

std::string Win32Host::FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    // A path that cannot be made whole stays as it is; opening it decides.
    if (length == 0 || length >= sizeof(full)) return path;
    return std::string(full, length);
}

std::string Win32Host::ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return std::string();
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string Win32Host::TempFolder() {
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof(path), path);
    return length == 0 || length >= sizeof(path) ? std::string() : std::string(path, length);
}

std::string Win32Host::WindowsVersion() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    // Windows 9x keeps the version in the high word of the build number.
    return std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
           std::to_string(version.dwBuildNumber & 0xFFFF);
}

std::string Win32LocalTimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return stamp;
}

RegistryRead Win32Host::ReadMachineValue(const char* path, const char* name, uint8_t* buffer, uint32_t size) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return RegistryRead::KeyMissing;
    const ScopedRegistryKey key(opened);
    DWORD length = size;
    const bool read = RegQueryValueExA(key.Get(), name, nullptr, nullptr, buffer, &length) == ERROR_SUCCESS;
    RegFlushKey(key.Get());
    return read ? RegistryRead::Read : RegistryRead::ValueUnread;
}

bool Win32Host::TerminateProcessByName(const char* exeName) {
    const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        if (!ProcessNameMatches(entry.szExeFile, exeName)) continue;
        // Only the first match; nothing waits for it to end.
        const ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (!process.Valid()) return false;
        DWORD exitCode = 0;
        GetExitCodeProcess(process.Get(), &exitCode);
        TerminateProcess(process.Get(), exitCode);
        return true;
    }
    return false;
}

namespace {

// The thread takes one pointer: the routine and its argument travel together.
struct WorkerStart {
    void (*work)(void* context);
    void* context;
};

DWORD WINAPI RunWorker(LPVOID parameter) {
    const WorkerStart start = *static_cast<WorkerStart*>(parameter);
    delete static_cast<WorkerStart*>(parameter);
    start.work(start.context);
    return 0;
}

class Win32ShutdownCalls : public ShutdownCalls {
public:
    uint32_t PlatformId() override {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        GetVersionExA(&version);
        return version.dwPlatformId;
    }
    bool OpenProcessToken() override {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
        token_.Reset(token);
        return true;
    }
    void LookupShutdownPrivilege() override {
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges_.Privileges[0].Luid);
    }
    void EnableShutdownPrivilege() override {
        privileges_.PrivilegeCount = 1;
        privileges_.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token_.Get(), FALSE, &privileges_, 0, nullptr, nullptr);
    }
    uint32_t LastError() override { return GetLastError(); }
    bool ExitWindowsReboot() override { return ExitWindowsEx(EWX_REBOOT, 0) != FALSE; }

private:
    ScopedHandle token_;
    TOKEN_PRIVILEGES privileges_ = {};
};

}  // namespace

bool Win32Host::StartWorker(void (*work)(void* context), void* context) {
    DWORD threadId = 0;
    auto* start = new WorkerStart{work, context};
    // The thread's handle is not kept.
    const ScopedHandle thread(CreateThread(nullptr, 0, RunWorker, start, 0, &threadId));
    if (!thread.Valid()) {
        delete start;
        return false;
    }
    return true;
}

bool Win32Host::RestartWindows() {
    Win32ShutdownCalls calls;
    return RestartWindowsWith(calls);
}

void Win32Host::DirectRestart() { ExitWindowsEx(EWX_REBOOT, 0); }

PowerStatus Win32Host::ReadPowerStatus() {
    SYSTEM_POWER_STATUS status = {};
    PowerStatus power;
    if (!GetSystemPowerStatus(&status)) return power;
    power.acLine = status.ACLineStatus;
    power.batteryPercent = status.BatteryLifePercent;
    return power;
}

// The request belongs to the calling thread: the window's thread makes it
// and withdraws it. The display is left to its own timeout.
void Win32Host::KeepSystemAwake(bool awake) {
    SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

void Win32Host::SetShutdownBlockReason(const std::string& reason) {
    // Windows Vista and later only: looked up here, so that the program still
    // starts on Windows 98, 2000 and XP, whose USER32 lacks them.
    using CreateReason = BOOL(WINAPI*)(HWND, LPCWSTR);
    using DestroyReason = BOOL(WINAPI*)(HWND);
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (user32 == nullptr || sessionWindow_ == nullptr) return;
    if (reason.empty()) {
        auto destroy = reinterpret_cast<DestroyReason>(
            reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonDestroy")));
        if (destroy != nullptr) destroy(sessionWindow_);
        return;
    }
    auto create = reinterpret_cast<CreateReason>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonCreate")));
    if (create == nullptr) return;
    // The program's own words are plain ASCII: each character widens as it is.
    const std::wstring wide(reason.begin(), reason.end());
    create(sessionWindow_, wide.c_str());
}

}  // namespace quillan
