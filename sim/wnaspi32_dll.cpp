// WNASPI32.DLL stand-in for the Windows build: the program under test loads it
// like the real ASPI manager and talks to the simulated drives instead.
// Configuration: QUILLAN_SIM_CONFIG (file), QUILLAN_SIM_LOG (overrides `log`).
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "sim/sim_session.h"

namespace {

std::mutex g_mutex;
quillan::sim::SimSession* g_session = nullptr;

// From the process environment block, not the CRT's copy, so values the host
// set with SetEnvironmentVariable after start-up are seen too.
std::string Env(const char* name) {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

int PlatformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? static_cast<int>(info.dwPlatformId) : -1;
}

// Built on first use rather than in DllMain, where the loader lock is held.
quillan::sim::SimSession& Session() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_session == nullptr) {
        quillan::sim::SessionOptions options;
        options.configPath = Env("QUILLAN_SIM_CONFIG");
        options.logPath = Env("QUILLAN_SIM_LOG");
        options.winePaths = true;
        options.platformId = PlatformId();
        g_session = new quillan::sim::SimSession(options);
    }
    return *g_session;
}

}  // namespace

extern "C" uint32_t __cdecl SendASPI32Command(void* srb) { return Session().SendASPI32Command(srb); }

extern "C" uint32_t __cdecl GetASPI32SupportInfo() { return Session().GetASPI32SupportInfo(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && g_session != nullptr) {
        // reserved != NULL: the process is exiting and its other threads are
        // already gone, so g_mutex is not taken and nothing is freed.
        const bool exiting = reserved != nullptr;
        g_session->Close(exiting);
        if (!exiting) {
            delete g_session;
            g_session = nullptr;
        }
    }
    return TRUE;
}
