// Reads a firmware download file's information block into FirmwareImage.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quillan {

// The model whose marked files carry a boot block in their last 64 KB.
extern const char kBootBlockModel[25];

// Shows a failure to the user (caption "MESSAGE", error icon).
using ShowFailure = std::function<void(const std::string& text)>;

// Fills FirmwareImage from the file at `path`. On failure the message has been
// shown and Size is 0. Path and StartupReady are left to the caller.
bool ReadFirmwareFile(const std::string& path, const ShowFailure& showFailure);

// Size in KB of the last download command, 8 bits as the drive takes it.
uint8_t LastChunkKb(int32_t size, int32_t chunkKb, int32_t chunkCount);

// "File Open Fail (No Flash File) !!\n%ub %dKb %dCmd" for the loaded figures.
std::string FileOpenFailText(int32_t chunkKb, int32_t lastKb, int32_t chunkCount);

// The F9 text: "Download File Info. !!\n(%ub %dKb %dCmd)\n".
std::string DownloadInfoText(int32_t chunkKb, int32_t chunkCount);

}  // namespace quillan
