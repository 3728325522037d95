#include "firmware/firmware_file.h"

#include <cstring>
#include <vector>

#ifdef _WIN32
#include <share.h>
#endif

namespace quillan {

ScopedFile OpenFirmwareFile(const std::string& path) {
#ifdef _WIN32
    // msvcrt's share-mode open: present on Windows 98 and 2000 alike.
    return ScopedFile(_fsopen(path.c_str(), "rb", _SH_DENYWR));
#else
    return ScopedFile(std::fopen(path.c_str(), "rb"));
#endif
}

bool TakeFingerprint(std::FILE* file, FileFingerprint& fingerprint) {
    fingerprint = FileFingerprint();
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    Sha256 sha;
    std::vector<uint8_t> piece(32768);
    int64_t length = 0;
    for (;;) {
        const size_t got = std::fread(piece.data(), 1, piece.size(), file);
        sha.Update(piece.data(), got);
        length += static_cast<int64_t>(got);
        if (got < piece.size()) break;
    }
    if (std::ferror(file) != 0) return false;
    sha.Final(fingerprint.digest);
    fingerprint.length = length;
    return std::fseek(file, 0, SEEK_SET) == 0;
}

bool SameFingerprint(const FileFingerprint& a, const FileFingerprint& b) {
    return a.length == b.length && std::memcmp(a.digest, b.digest, kSha256Bytes) == 0;
}

}  // namespace quillan
