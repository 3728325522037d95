// Writes a synthesized firmware download file for the demo run and the Wine
// tests: an image of made-up bytes with the information block 48 bytes before
// its end, or with `marked` the marker at 0xBF00 and the block after it (a
// file sent as flash pages).
//   make_sample_firmware OUT MODEL REVISION CODE CHUNK_KB CHUNK_COUNT LAST_KB [marked]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const bool marked = argc == 9 && std::strcmp(argv[8], "marked") == 0;
    if (argc != 8 && !marked) {
        std::fprintf(stderr, "usage: %s OUT MODEL(24) REVISION(4) CODE(3) CHUNK_KB CHUNK_COUNT LAST_KB [marked]\n",
                     argv[0]);
        return 2;
    }
    const std::string model = argv[2], revision = argv[3], code = argv[4];
    const long chunkKb = std::strtol(argv[5], nullptr, 10);
    const long chunkCount = std::strtol(argv[6], nullptr, 10);
    const long lastKb = std::strtol(argv[7], nullptr, 10);
    if (model.size() != 24 || revision.size() != 4 || code.size() != 3 || chunkKb < 1 || chunkKb > 64 ||
        chunkCount < 1 || chunkCount > 255 || lastKb < 1 || lastKb > 64) {
        std::fprintf(stderr, "make_sample_firmware: model 24, revision 4, code 3 characters; "
                             "pieces of 1..64 KB, 1..255 of them\n");
        return 2;
    }
    const size_t length = static_cast<size_t>(chunkKb * (chunkCount - 1) + lastKb) * 1024;
    if (length < (marked ? 0xBF08 + 35 : 0xBF08)) {
        std::fprintf(stderr, "make_sample_firmware: the file must be at least 48,904 bytes\n");
        return 2;
    }
    std::vector<unsigned char> image(length);
    unsigned value = 0x12345678u;
    for (unsigned char& byte : image) {
        value = value * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(value >> 16);
    }
    unsigned char* block = image.data() + length - 48;
    if (marked) {
        const unsigned char marker[8] = {0x05, 0x80, 0x00, 0x32, 0xAB, 0xCD, 0xEF, 0x01};
        std::memcpy(image.data() + 0xBF00, marker, sizeof marker);
        block = image.data() + 0xBF08;
    } else {
        image[0xBF00] = 0x00;  // not the marked layout
    }
    std::memcpy(block, model.data(), 24);
    std::memcpy(block + 24, revision.data(), 4);
    block[28] = static_cast<unsigned char>(chunkKb);
    block[29] = static_cast<unsigned char>(chunkCount);
    block[30] = 4;  // the drive code must match
    std::memcpy(block + 32, code.data(), 3);

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(image.data(), 1, length, out) != length || std::fclose(out) != 0) {
        std::fprintf(stderr, "make_sample_firmware: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
