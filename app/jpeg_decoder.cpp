#include "app/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quillan {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// jump back to the decoder's frame instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf resume;
};

void OnFatalError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->resume, 1);
}

void IgnoreMessage(j_common_ptr) {}

constexpr int kMaxSide = 4096;

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& picture) {
    picture = DecodedPicture();
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) return false;

    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatalError;
    errors.base.output_message = IgnoreMessage;
    if (setjmp(errors.resume) != 0) {
        jpeg_destroy_decompress(&info);
        picture = DecodedPicture();
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);

    const bool sane = info.output_components == 3 && info.output_width > 0 &&
                      info.output_height > 0 && info.output_width <= kMaxSide &&
                      info.output_height <= kMaxSide;
    if (sane) {
        const size_t stride = static_cast<size_t>(info.output_width) * 3;
        picture.width = static_cast<int>(info.output_width);
        picture.height = static_cast<int>(info.output_height);
        picture.rgb.resize(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = picture.rgb.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    const bool clean = sane && errors.base.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    if (!clean) picture = DecodedPicture();
    return clean;
}

}  // namespace quillan
