// The file digest against the published SHA-256 examples, fed in uneven
// pieces so that every way of crossing a 64-byte block is taken.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "firmware/sha256.h"

namespace quillan {
namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char two[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(two, sizeof(two), "%02x", bytes[i]);
        text += two;
    }
    return text;
}

TEST(Sha256, PublishedExamples) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{32768}}) {
            Sha256 sha;
            const auto* bytes = reinterpret_cast<const uint8_t*>(c.message.data());
            for (size_t at = 0; at < c.message.size(); at += piece)
                sha.Update(bytes + at, std::min(piece, c.message.size() - at));
            uint8_t digest[kSha256Bytes];
            sha.Final(digest);
            EXPECT_EQ(Hex(digest, sizeof(digest)), c.digest) << c.message.size() << " bytes in pieces of " << piece;
        }
    }
}

}  // namespace
}  // namespace quillan
