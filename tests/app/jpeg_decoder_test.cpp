// The background picture decoder, fed JPEGs that the test encodes itself.
#include "app/jpeg_decoder.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>

namespace quillan {
namespace {

// Left half red, right half blue: colours far enough apart that JPEG's loss
// cannot blur one into the other.
std::vector<uint8_t> EncodeTwoColourJpeg(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = x < width / 2 ? 220 : 20;
            p[1] = 20;
            p[2] = x < width / 2 ? 20 : 220;
        }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(info.next_scanline) * width * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> jpeg(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return jpeg;
}

TEST(JpegDecoder, DecodesSizeAndColours) {
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(64, 32);
    DecodedPicture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), picture));
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 32);
    ASSERT_EQ(picture.rgb.size(), 64u * 32u * 3u);
    const uint8_t* left = &picture.rgb[(16 * 64 + 8) * 3];
    const uint8_t* right = &picture.rgb[(16 * 64 + 56) * 3];
    EXPECT_GT(left[0], 180);
    EXPECT_LT(left[2], 60);
    EXPECT_LT(right[0], 60);
    EXPECT_GT(right[2], 180);
}

TEST(JpegDecoder, RefusesDamagedInput) {
    const std::vector<uint8_t> jpeg = EncodeTwoColourJpeg(64, 32);
    std::vector<uint8_t> garbage(jpeg.size(), 0x5A);
    std::vector<uint8_t> badMarker = jpeg;
    badMarker[1] = 0x00;  // SOI marker broken
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"truncated to half", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
        {"header only", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 20)},
        {"not a JPEG", garbage},
        {"broken start marker", badMarker},
    };
    for (const auto& c : cases) {
        DecodedPicture picture;
        picture.width = 7;  // must be cleared on failure
        EXPECT_FALSE(DecodeJpeg(c.bytes.data(), c.bytes.size(), picture)) << c.name;
        EXPECT_EQ(picture.width, 0) << c.name;
        EXPECT_TRUE(picture.rgb.empty()) << c.name;
    }
    DecodedPicture picture;
    EXPECT_FALSE(DecodeJpeg(nullptr, 0, picture));
}

}  // namespace
}  // namespace quillan
