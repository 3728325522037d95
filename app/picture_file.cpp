#include "app/picture_file.h"

namespace quillan {
namespace {

void SkipBlanksAndComments(const uint8_t* data, size_t size, size_t& at) {
    while (at < size) {
        if (data[at] == '#') {
            while (at < size && data[at] != '\n') ++at;
        } else if (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n') {
            ++at;
        } else {
            return;
        }
    }
}

bool ReadNumber(const uint8_t* data, size_t size, size_t& at, int& value) {
    SkipBlanksAndComments(data, size, at);
    if (at >= size || data[at] < '0' || data[at] > '9') return false;
    value = 0;
    while (at < size && data[at] >= '0' && data[at] <= '9') {
        value = value * 10 + (data[at] - '0');
        if (value > 65535) return false;
        ++at;
    }
    return true;
}

}  // namespace

bool DecodePpm(const uint8_t* data, size_t size, DecodedPicture& picture, int maxSide) {
    picture = DecodedPicture();
    if (data == nullptr || size < 2 || data[0] != 'P' || data[1] != '6') return false;
    size_t at = 2;
    int width = 0, height = 0, maxValue = 0;
    if (!ReadNumber(data, size, at, width) || !ReadNumber(data, size, at, height) ||
        !ReadNumber(data, size, at, maxValue))
        return false;
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide || maxValue != 255) return false;
    ++at;  // the single blank after the header
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    if (at > size || size - at < bytes) return false;
    picture.width = width;
    picture.height = height;
    picture.rgb.assign(data + at, data + at + bytes);
    return true;
}

}  // namespace quillan
