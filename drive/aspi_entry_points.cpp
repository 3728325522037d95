#include "drive/aspi_entry_points.h"

namespace quillan {

SendAspi32CommandFn SendASPI32Command = nullptr;
GetAspi32SupportInfoFn GetASPI32SupportInfo = nullptr;

uint8_t AdapterCountFromSupportInfo(uint32_t supportInfo) {
    const uint8_t count = static_cast<uint8_t>(supportInfo & 0xFF);
    const uint8_t status = static_cast<uint8_t>((supportInfo >> 8) & 0xFF);
    return (count != 0 && status == SS_COMP) ? count : 0;
}

}  // namespace quillan
