// libFuzzer target: any bytes as a firmware download file. ReadFirmwareFile
// must never read outside the file or its buffers, and a refused file must
// leave no usable image behind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "state/program_state.h"
#include "firmware/firmware_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/quillan-fuzz-" + std::to_string(getpid()) + ".bin";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    if (size != 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    quillan::FirmwareImage = quillan::FirmwareImageRecord();
    quillan::FirmwareImage.Path = path;
    bool shown = false;
    const bool ok = quillan::ReadFirmwareFile(path, [&](const std::string&) { shown = true; });
    const quillan::FirmwareImageRecord& image = quillan::FirmwareImage;
    // A refusal always tells the user and leaves no file loaded.
    if (!ok && (!shown || image.Size != 0)) std::abort();
    if (ok) {
        // Whatever was accepted can be sent through the 64 KB command buffer.
        if (shown || image.Size <= 0) std::abort();
        if (!image.Marked && !image.SingleCommand) {
            const int32_t last = quillan::LastChunkKb(image.Size, image.ChunkKb, image.ChunkCount);
            if (image.ChunkCount < 1 || image.ChunkKb * 1024 > 65536 || last * 1024 > 65536) std::abort();
            if (image.Size != image.ChunkKb * 1024 * (image.ChunkCount - 1) + last * 1024) std::abort();
        }
        if (image.Marked && image.ChunkCount != image.Size / 32768) std::abort();
        if (image.Trimmed && static_cast<size_t>(image.Size) + 65536 != size) std::abort();
    }
    return 0;
}
