// Loads the ASPI for Win32 layer at run time, once. It is never unloaded: the
// entry points stay valid for the life of the process, and entry points
// already in place (a layer loaded before, or one linked in) are kept.
#include <windows.h>

#include "drive/aspi_entry_points.h"

namespace quillan {

uint8_t LoadAspi() {
    if (SendASPI32Command == nullptr || GetASPI32SupportInfo == nullptr) {
        HMODULE aspi = LoadLibraryA("WNASPI32.DLL");
        if (aspi == nullptr) return 0;
        auto send = reinterpret_cast<SendAspi32CommandFn>(
            reinterpret_cast<void*>(GetProcAddress(aspi, "SendASPI32Command")));
        auto info = reinterpret_cast<GetAspi32SupportInfoFn>(
            reinterpret_cast<void*>(GetProcAddress(aspi, "GetASPI32SupportInfo")));
        if (send == nullptr || info == nullptr) return 0;
        SendASPI32Command = send;
        GetASPI32SupportInfo = info;
    }
    return AdapterCountFromSupportInfo(GetASPI32SupportInfo());
}

}  // namespace quillan
