// Synthesizes firmware download files of every layout for tests; no real
// firmware file is ever used.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace quillan::test_support {

// Distinct bytes everywhere, so a piece sent from the wrong offset shows.
inline std::vector<uint8_t> ImageBytes(size_t length, uint8_t seed = 1) {
    std::vector<uint8_t> bytes(length);
    uint32_t x = 0x9E3779B9u * seed;
    for (size_t i = 0; i < length; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<uint8_t>(x);
    }
    return bytes;
}

struct InfoBlock {
    std::string model = "HALVERN DVD-ROM XD-340  ";  // 24
    std::string revision = "1.10";                   // 4
    uint8_t chunkKb = 32;
    uint8_t chunkCount = 1;
    uint8_t codeCheck = 4;
    std::string code = "XDA";  // 3
};

inline void PutBlock(std::vector<uint8_t>& file, size_t at, const InfoBlock& info) {
    uint8_t block[35] = {};
    std::memcpy(block, info.model.data(), std::min<size_t>(24, info.model.size()));
    std::memcpy(block + 24, info.revision.data(), std::min<size_t>(4, info.revision.size()));
    block[28] = info.chunkKb;
    block[29] = info.chunkCount;
    block[30] = info.codeCheck;
    block[31] = 0xEE;
    std::memcpy(block + 32, info.code.data(), std::min<size_t>(3, info.code.size()));
    std::memcpy(file.data() + at, block, sizeof(block));
}

// Trailer layout: the block 48 bytes from the end.
inline std::vector<uint8_t> TrailerFile(size_t length, const InfoBlock& info, uint8_t seed = 1) {
    std::vector<uint8_t> file = ImageBytes(length, seed);
    if (length > 0xBF03) file[0xBF00] = 0x00;  // never the marker by chance
    PutBlock(file, length - 48, info);
    return file;
}

// A consistent chunked file: chunkCount - 1 chunks of chunkKb KB and a last
// one of lastKb KB.
inline std::vector<uint8_t> ChunkedFile(InfoBlock info, uint8_t chunkCount, uint8_t lastKb) {
    info.chunkCount = chunkCount;
    const size_t length = (static_cast<size_t>(info.chunkKb) * (chunkCount - 1) + lastKb) * 1024;
    return TrailerFile(length, info);
}

// Marked layout: 05 80 00 32 at 0xBF00, the block at 0xBF08.
inline std::vector<uint8_t> MarkedFile(size_t length, const InfoBlock& info, uint8_t seed = 2) {
    std::vector<uint8_t> file = ImageBytes(length, seed);
    const uint8_t marker[8] = {0x05, 0x80, 0x00, 0x32, 0xAB, 0xCD, 0xEF, 0x01};
    std::memcpy(file.data() + 0xBF00, marker, sizeof(marker));
    PutBlock(file, 0xBF08, info);
    return file;
}

// A file in a fresh temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const std::vector<uint8_t>& bytes, const std::string& name = "FW.BIN") {
        static int made = 0;
        folder_ = FreshScratchDir(("quillan-file" + std::to_string(++made)).c_str());
        path_ = (folder_ / name).string();
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file != nullptr) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::string path_;
};

}  // namespace quillan::test_support
