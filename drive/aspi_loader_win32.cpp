// Loads the ASPI for Win32 layer at run time. It is never unloaded: the
// entry points stay valid for the life of the process.
#include <windows.h>

#include "drive/aspi_entry_points.h"

namespace quillan {

uint8_t LoadAspi() {
    HMODULE aspi = LoadLibraryA("WNASPI32.DLL");
    if (aspi == nullptr) return 0;
    auto send = reinterpret_cast<SendAspi32CommandFn>(
        reinterpret_cast<void*>(GetProcAddress(aspi, "SendASPI32Command")));
    auto info = reinterpret_cast<GetAspi32SupportInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(aspi, "GetASPI32SupportInfo")));
    if (send == nullptr || info == nullptr) return 0;
    SendASPI32Command = send;
    GetASPI32SupportInfo = info;
    return AdapterCountFromSupportInfo(GetASPI32SupportInfo());
}

}  // namespace quillan
