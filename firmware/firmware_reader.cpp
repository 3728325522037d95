#include "firmware/firmware_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/ascii_upper.h"
#include "firmware/firmware_file.h"
#include "platform/run_log.h"
#include "state/program_state.h"

namespace quillan {

const char kBootBlockModel[25] = "VELMORICCD/DVDW VM-R916A";

namespace {

const uint8_t kMarker[4] = {0x05, 0x80, 0x00, 0x32};
constexpr long kMarkerOffset = 0xBF00;
constexpr long kMarkedBlockOffset = 0xBF08;
constexpr long kTrailerBack = 48;
constexpr long kAlternativeBack = 65584;  // 65,536 + 48
constexpr size_t kBlockSize = 35;
constexpr int32_t kMaxFlashPageBlocks = 255;
constexpr int32_t kBootBlockThreshold = 262144;
constexpr int32_t kBootBlockBytes = 65536;
constexpr int32_t kSingleCommandFileSize = 65536;
constexpr int32_t kCommandBufferBytes = 65536;

const char kNotOpened[] = "File Not Opened!!";

// A file's model is taken for another vendor's when its revision starts so,
// so that it matches a drive that reports the other model. Order matters.
struct Substitution {
    const char* model;
    const char* revisionStart;
    const char* replacement;
};
const Substitution kSubstitutions[] = {
    {"HALVERN CD-R/RW XW-710B ", "BC", "OSTRANDE CD-RW KR5120E  "},
    {"HALVERN CD-R/RW XW-710F ", "FC", "OSTRANDE CD-RW KR5124E  "},
    {"HALVERN CD-R/RW XW-710B ", "BQ", "ZUL     CD-R/RW XW-710B "},
};

// Reads exactly `count` bytes at `offset`; a short read is a failure.
bool ReadAt(std::FILE* file, long offset, uint8_t* into, size_t count) {
    if (offset < 0 || std::fseek(file, offset, SEEK_SET) != 0) return false;
    return std::fread(into, 1, count, file) == count;
}

// Forgets everything of the previous file but where it came from and the
// start-up flag, which belong to the callers.
void ResetRecord() {
    const std::string path = FirmwareImage.Path;
    const bool startupReady = FirmwareImage.StartupReady;
    FirmwareImage = FirmwareImageRecord();
    FirmwareImage.Path = path;
    FirmwareImage.StartupReady = startupReady;
}

bool Refuse(const ShowFailure& showFailure, const std::string& text) {
    FirmwareImage.Size = 0;
    showFailure(text);
    return false;
}

}  // namespace

uint8_t LastChunkKb(int32_t size, int32_t chunkKb, int32_t chunkCount) {
    const int32_t kb = size / 1024 - chunkKb * (chunkCount - 1);
    return static_cast<uint8_t>(static_cast<uint32_t>(kb) & 0xFF);
}

std::string FileOpenFailText(int32_t chunkKb, int32_t lastKb, int32_t chunkCount) {
    char text[96];
    std::snprintf(text, sizeof(text), "File Open Fail (No Flash File) !!\n%ub %dKb %dCmd",
                  static_cast<unsigned>(chunkKb * 1024), static_cast<int>(lastKb),
                  static_cast<int>(chunkCount));
    return text;
}

std::string DownloadInfoText(int32_t chunkKb, int32_t chunkCount) {
    char text[96];
    std::snprintf(text, sizeof(text), "Download File Info. !!\n(%ub %dKb %dCmd)\n",
                  static_cast<unsigned>(chunkKb * 1024),
                  static_cast<int>(static_cast<uint32_t>((64 - chunkKb) * (chunkCount - 1)) & 0xFF),
                  static_cast<int>(chunkCount));
    return text;
}

namespace {

// What support needs to know of the file the program is about to trust.
void LogLoadedFile() {
    const FirmwareImageRecord& f = FirmwareImage;
    const char* layout = f.SingleCommand ? "single-command"
                         : f.Trimmed     ? "marked, with boot block"
                         : f.Marked      ? "marked"
                                         : "trailer";
    static const char kDigits[] = "0123456789abcdef";
    std::string digest;
    for (uint8_t byte : f.Fingerprint.digest) {
        digest += kDigits[byte >> 4];
        digest += kDigits[byte & 0x0F];
    }
    LogLine("file \"" + f.Path + "\": " + std::to_string(f.Fingerprint.length) + " bytes, layout " + layout +
            ", model \"" + f.Model + "\" revision \"" + f.Revision + "\" code \"" + f.Code + "\", image " +
            std::to_string(f.Size) + " bytes in " + std::to_string(f.ChunkCount) + " x " +
            std::to_string(f.ChunkKb) + " KB, sha-256 " + digest);
}

bool ReadWithoutLog(const std::string& path, const ShowFailure& showFailure) {
    ResetRecord();
    // A longer path would have to be cut, and a cut path may name another file.
    if (path.size() > kMaxPathLength) return Refuse(showFailure, kNotOpened);
    // Nobody writes to the file while its block and its digest are read.
    const ScopedFile opened = OpenFirmwareFile(path);
    std::FILE* file = opened.get();
    if (file == nullptr) return Refuse(showFailure, kNotOpened);

    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    const bool lengthKnown = length >= 0 && length <= 0x7FFFFFFFL;
    const int32_t L = lengthKnown ? static_cast<int32_t>(length) : 0;
    FirmwareImage.Size = L;

    // Only a file that holds the marker has the marked layout; one too short
    // to hold it has the trailer layout like any other file without it.
    uint8_t probe[sizeof(kMarker)] = {};
    FirmwareImage.Marked = lengthKnown && ReadAt(file, kMarkerOffset, probe, sizeof(probe)) &&
                           std::memcmp(probe, kMarker, sizeof(kMarker)) == 0;
    bool complete = lengthKnown;
    if (complete) {
        if (FirmwareImage.Marked) {
            complete = ReadAt(file, kMarkedBlockOffset, FirmwareImage.Block, kBlockSize);
        } else {
            complete = ReadAt(file, L - kTrailerBack, FirmwareImage.Block, kBlockSize);
            if (complete && FirmwareImage.Block[0] == 0xFF)
                complete = ReadAt(file, L - kAlternativeBack, FirmwareImage.Block, kBlockSize);
        }
    }
    complete = complete && TakeFingerprint(file, FirmwareImage.Fingerprint) &&
               FirmwareImage.Fingerprint.length == L;
    // Too short for the places the information block may be in, or unreadable.
    if (!complete) return Refuse(showFailure, FileOpenFailText(0, 0, 0));

    const uint8_t* block = FirmwareImage.Block;
    std::memcpy(FirmwareImage.Model, block, 24);
    std::memcpy(FirmwareImage.Revision, block + 24, 4);

    if (FirmwareImage.Marked) {
        FirmwareImage.Code[0] = static_cast<char>(block[24]);
        FirmwareImage.Code[1] = static_cast<char>(block[25]);
        FirmwareImage.Code[2] = ' ';
        UpperCaseAscii(FirmwareImage.Code, 3);
        if (std::memcmp(FirmwareImage.Model, kBootBlockModel, 24) == 0 && L > kBootBlockThreshold) {
            FirmwareImage.Size = L - kBootBlockBytes;
            FirmwareImage.Trimmed = true;
        }
        FirmwareImage.ChunkKb = 32;
        FirmwareImage.ChunkCount = FirmwareImage.Size / 32768;
        FirmwareImage.CodeCheck = 4;
        FirmwareImage.SingleCommand = false;
        // A block's number travels in one byte of its page: block 256 would
        // reach the drive as block 0, over the start of its firmware.
        if (FirmwareImage.ChunkCount > kMaxFlashPageBlocks)
            return Refuse(showFailure, FileOpenFailText(32, 32, FirmwareImage.ChunkCount));
        return true;
    }

    FirmwareImage.SingleCommand = L == kSingleCommandFileSize;
    std::memcpy(FirmwareImage.Code, block + 32, 3);
    UpperCaseAscii(FirmwareImage.Code, 3);
    FirmwareImage.CodeCheck = block[30] == 4 ? 4 : 1;
    for (const Substitution& s : kSubstitutions) {
        if (std::memcmp(FirmwareImage.Model, s.model, 24) == 0 &&
            std::memcmp(FirmwareImage.Revision, s.revisionStart, 2) == 0) {
            std::memcpy(FirmwareImage.Model, s.replacement, 24);
        }
    }
    FirmwareImage.ChunkKb = block[28];
    FirmwareImage.ChunkCount = block[29];
    if (FirmwareImage.SingleCommand) return true;

    const int32_t chunkKb = FirmwareImage.ChunkKb;
    const int32_t chunkCount = FirmwareImage.ChunkCount;
    const int32_t lastKb = LastChunkKb(L, chunkKb, chunkCount);
    const bool consistent = L == chunkKb * 1024 * (chunkCount - 1) + lastKb * 1024;
    // Every piece travels through the 64 KB command buffer and carries at
    // least 1 KB: a file without pieces, with a piece too large for the
    // buffer, or with an empty one, is no flash file. The chunk size is
    // used only by the pieces before the last.
    const bool lastFits = lastKb >= 1 && lastKb * 1024 <= kCommandBufferBytes;
    const bool chunksFit = chunkCount == 1 || (chunkKb >= 1 && chunkKb * 1024 <= kCommandBufferBytes);
    const bool fits = chunkCount >= 1 && lastFits && chunksFit;
    if (!consistent || !fits) return Refuse(showFailure, FileOpenFailText(chunkKb, lastKb, chunkCount));
    return true;
}

}  // namespace

bool ReadFirmwareFile(const std::string& path, const ShowFailure& showFailure) {
    if (!ReadWithoutLog(path, showFailure)) return false;  // the refusal's box is logged
    LogLoadedFile();
    return true;
}

}  // namespace quillan
