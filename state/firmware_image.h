// The loaded firmware file: where it is and what its information block says.
// It holds no image bytes; the download reads the file again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>


namespace quillan {

// MAX_PATH less the terminator: the start-up file is held by its full path,
// which may lie deep in a folder tree.
constexpr size_t kMaxPathLength = 259;

// The file's whole contents as they were loaded: its length and SHA-256.
constexpr size_t kFingerprintDigestBytes = 32;
struct FileFingerprint {
    int64_t length = -1;
    uint8_t digest[kFingerprintDigestBytes] = {};
};

struct FirmwareImageRecord {
    // Longer paths are refused when the file is opened, never cut: a cut
    // path could name another file.
    std::string Path = "AUTORUN.BIN";
    int32_t Size = 0;  // main image length; 0 = no usable file
    bool Marked = false;
    bool Trimmed = false;
    bool SingleCommand = false;
    int32_t ChunkKb = 0;
    int32_t ChunkCount = 0;
    char Model[25] = {};
    char Revision[5] = {};
    char Code[4] = {};
    int32_t CodeCheck = 1;
    bool StartupReady = false;
    uint8_t Block[35] = {};
    // The whole file as it was loaded and checked; the download sends it only
    // while it still reads the same.
    FileFingerprint Fingerprint;
};

}  // namespace quillan
