// The firmware file on disk: opened so that nobody can change it while it is
// read, and its whole contents digested, so that the download sends the very
// bytes that were checked when the file was loaded.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "firmware/sha256.h"
#include "platform/scoped_file.h"
#include "state/firmware_image.h"

namespace quillan {

static_assert(kFingerprintDigestBytes == kSha256Bytes, "a fingerprint holds one SHA-256 digest");

// Opens for reading ("rb") and, on Windows, denies writing to others until
// the file is closed. Empty when the file cannot be opened so.
ScopedFile OpenFirmwareFile(const std::string& path);

// Length and digest of everything from the file's start to its end; false
// when a read fails. Leaves the file positioned at its start.
bool TakeFingerprint(std::FILE* file, FileFingerprint& fingerprint);

bool SameFingerprint(const FileFingerprint& a, const FileFingerprint& b);

}  // namespace quillan
