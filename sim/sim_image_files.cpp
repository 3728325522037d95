#include "sim/sim_image_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quillan::sim {

namespace {

std::string WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return "cannot create " + path;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return written && closed ? "" : "cannot write " + path;
}

}  // namespace

std::string DriveFileStem(uint8_t adapter, uint8_t target) {
    return "drive-" + std::to_string(adapter) + "-" + std::to_string(target);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    const char last = dir.back();
    if (last == '/' || last == '\\') return dir + name;
    return dir + (dir.find('\\') != std::string::npos ? "\\" : "/") + name;
}

std::string WriteDriveImages(const std::string& dir, uint8_t adapter, uint8_t target, const SimDrive& drive) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return "cannot create directory " + dir;
    const std::string stem = JoinPath(dir, DriveFileStem(adapter, target));
    const struct {
        const char* suffix;
        const std::vector<uint8_t>& bytes;
    } files[] = {{".image", drive.Image()}, {".boot", drive.BootBlock()}, {".single", drive.SingleCommandData()}};
    for (const auto& file : files) {
        if (file.bytes.empty()) continue;
        std::string error = WriteFile(stem + file.suffix, file.bytes);
        if (!error.empty()) return error;
    }
    return "";
}

}  // namespace quillan::sim
