// SHA-256 (FIPS 180-4): the digest that tells whether a firmware file still
// holds the bytes it held when it was checked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillan {

constexpr size_t kSha256Bytes = 32;

class Sha256 {
public:
    Sha256();
    void Update(const uint8_t* data, size_t length);
    // Pads the message and writes the digest; the object is spent after.
    void Final(uint8_t digest[kSha256Bytes]);

private:
    void Compress(const uint8_t block[64]);

    uint32_t state_[8];
    uint8_t block_[64];
    size_t blockUsed_ = 0;
    uint64_t totalBytes_ = 0;
};

}  // namespace quillan
