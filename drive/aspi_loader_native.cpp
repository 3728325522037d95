// Native builds have no WNASPI32.DLL: whoever wants ASPI (the tests, with the
// simulated drive) sets the entry points before discovery runs.
#include "drive/aspi_entry_points.h"

namespace quillan {

uint8_t LoadAspi() {
    if (SendASPI32Command == nullptr || GetASPI32SupportInfo == nullptr) return 0;
    return AdapterCountFromSupportInfo(GetASPI32SupportInfo());
}

}  // namespace quillan
