// The host services of the real program.
#pragma once

#include "platform/host.h"

namespace quillan {

class Win32Host : public Host {
public:
    const char* CommandLine() override;
    uint32_t PlatformId() override;
    void Pause(uint32_t milliseconds) override;
    bool OpenMachineKey(const char* path, RegistryKey* key) override;
    bool QueryValue(RegistryKey key, const char* name, uint8_t* buffer, uint32_t size) override;
    void FlushKey(RegistryKey key) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace quillan
