// Restarting Windows after a download: the NT family needs the shutdown
// privilege enabled in the process token first.
#pragma once

#include <cstdint>

namespace quillan {

// The system calls the restart makes, so that their order is checked natively.
class ShutdownCalls {
public:
    virtual ~ShutdownCalls() = default;
    virtual uint32_t PlatformId() = 0;                // GetVersionExA, size 148
    virtual bool OpenProcessToken() = 0;              // adjust-privileges | query
    virtual void LookupShutdownPrivilege() = 0;       // "SeShutdownPrivilege"; result ignored
    virtual void EnableShutdownPrivilege() = 0;       // AdjustTokenPrivileges, one privilege
    virtual uint32_t LastError() = 0;                 // GetLastError
    virtual bool ExitWindowsReboot() = 0;             // ExitWindowsEx(EWX_REBOOT, 0)
};

// True when the restart request was accepted. The token stays open: the
// process ends with the restart.
bool RestartWindowsWith(ShutdownCalls& calls);

}  // namespace quillan
