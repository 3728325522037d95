// The button sprites are kept as binary PPM pictures (P6, 8 bits a channel).
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/decoded_picture.h"

namespace quillan {

// Fills `picture` (RGB rows, top first); false for anything malformed or
// larger than `maxSide` on a side.
bool DecodePpm(const uint8_t* data, size_t size, DecodedPicture& picture, int maxSide = 1024);

}  // namespace quillan
