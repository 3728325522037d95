#include "drive/aspi_entry_points.h"

#include "state/program_state.h"

namespace quillan {

SendAspi32CommandFn& SendASPI32Command = Program.Plugged.SendASPI32Command;
GetAspi32SupportInfoFn& GetASPI32SupportInfo = Program.Plugged.GetASPI32SupportInfo;

uint8_t AdapterCountFromSupportInfo(uint32_t supportInfo) {
    const uint8_t count = static_cast<uint8_t>(supportInfo & 0xFF);
    const uint8_t status = static_cast<uint8_t>((supportInfo >> 8) & 0xFF);
    return (count != 0 && status == SS_COMP) ? count : 0;
}

}  // namespace quillan
