#include "platform/restart.h"

#include "platform/host.h"

namespace quillan {

bool RestartWindowsWith(ShutdownCalls& calls) {
    if (calls.PlatformId() == kPlatformWin32Nt) {
        if (!calls.OpenProcessToken()) return false;
        calls.LookupShutdownPrivilege();
        calls.EnableShutdownPrivilege();
        // Also set (ERROR_NOT_ALL_ASSIGNED) when the call itself succeeded
        // without granting the privilege.
        if (calls.LastError() != 0) return false;
    }
    return calls.ExitWindowsReboot();
}

}  // namespace quillan
