// The process-wide ASPI entry points (held by the program's state). LoadAspi
// fills them from WNASPI32.DLL on Windows 9x; native tests point them at the
// simulated drive's ASPI front.
#pragma once

#include <cstdint>

#include "drive/aspi_types.h"

namespace quillan {

extern SendAspi32CommandFn& SendASPI32Command;
extern GetAspi32SupportInfoFn& GetASPI32SupportInfo;

// Host adapter count from GetASPI32SupportInfo's answer (count in bits 0-7,
// status in bits 8-15): only a completed answer with adapters counts.
uint8_t AdapterCountFromSupportInfo(uint32_t supportInfo);

// Fills the entry points (Windows: from WNASPI32.DLL) and returns the host
// adapter count, or 0 when the layer, an entry point or any adapter is missing.
uint8_t LoadAspi();

}  // namespace quillan
