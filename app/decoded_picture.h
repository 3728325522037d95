// A picture as the window draws it: 24-bit RGB rows, whatever file it came
// from (the JPEG background, the PPM button sprites).
#pragma once

#include <cstdint>
#include <vector>

namespace quillan {

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * 3 bytes per row, top row first
};

}  // namespace quillan
