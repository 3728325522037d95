// Decodes the window's background picture (a JPEG held in memory) into 24-bit
// RGB rows. A damaged picture is refused rather than half drawn: the window
// then keeps its plain background colour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/decoded_picture.h"

namespace quillan {

// Returns false, with `picture` emptied, for anything libjpeg reports as an
// error or a warning (a truncated file "decodes" with a warning).
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& picture);

}  // namespace quillan
