// Flashes a 4 MB chunked image and a 64 KB one on the in-process simulated
// drive (no delay, the drive keeps only a checksum of what it receives) and
// reports, per image, the peak resident memory of a process that did only
// that, and the flash's wall time against a plain read of the same file.
// Each image is measured in a child process of its own.
//   flash_bench            runs both and prints the report
//   flash_bench ONE PATH   (internal) measures one file
//   flash_bench VERIFY PATH (internal) checks the drive got exactly the file
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drive/aspi_entry_points.h"
#include "drive/command_set.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "firmware/firmware_reader.h"
#include "flash/download.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "../tests/support/fake_host.h"

namespace {

using namespace quillan;
using Clock = std::chrono::steady_clock;

class QuietWindow : public DownloadWindow {
public:
    void Show(const Notice& notice) override { last = notice.text; }
    void SetStatus(const std::string&) override {}
    int Progress() const override { return position; }
    void SetProgress(int p) override { position = p; }
    void ProcessMessages() override {}
    void PaintNow() override {}
    void HoldUserInput(bool) override {}
    void SetProgressTimer(bool) override {}
    void CloseMainWindow() override {}
    std::string last;
    int position = 0;
};

// Writes a consistent chunked file piece by piece: 64 KB chunks.
bool WriteChunkedFile(const std::string& path, int chunkCount) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::vector<uint8_t> piece(65536);
    uint32_t x = 0x2545F491u;
    const size_t length = static_cast<size_t>(chunkCount) * 65536;
    for (size_t written = 0; written < length; written += piece.size()) {
        for (uint8_t& b : piece) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = static_cast<uint8_t>(x);
        }
        if (written + piece.size() == length) {
            uint8_t* block = piece.data() + piece.size() - 48;
            std::memcpy(block, "HALVERN DVD-ROM XD-340  1.20", 28);
            block[28] = 64;
            block[29] = static_cast<uint8_t>(chunkCount);
            block[30] = 1;
            std::memcpy(block + 32, "XDA", 3);
        }
        std::fwrite(piece.data(), 1, piece.size(), file);
    }
    return std::fclose(file) == 0;
}

double ReadSeconds(const std::string& path) {
    std::vector<uint8_t> buffer(65536);
    const auto start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    uint32_t sum = 0;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) sum += buffer[got - 1];
    std::fclose(file);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return sum == 0xFFFFFFFFu ? -1 : seconds;  // keeps the loop from being dropped
}

// keepData false: the drive only counts, so the time and memory measured are
// the program's own. With it, one more download proves the drive got the file.
int MeasureOne(const std::string& path, bool keepData) {
    testing::FakeHost host;
    SetCurrentHost(&host);
    sim::SimAspi aspi;
    sim::DriveSettings settings;
    settings.keepData = keepData;
    sim::SimDrive* drive = aspi.AddDrive(0, 0, settings);
    sim::ScopedActiveSimAspi active(aspi);
    SendASPI32Command = sim::SimSendASPI32Command;
    GetASPI32SupportInfo = sim::SimGetASPI32SupportInfo;
    TheDeviceTable = {};
    TheDeviceTable.driveCount = 1;

    FirmwareImage.Path = path;
    if (!ReadFirmwareFile(path, [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); })) return 1;
    FirmwareImage.StartupReady = true;  // no disc check: only the flash is timed
    QuietWindow window;
    const int rounds = keepData ? 1 : 15;
    std::vector<double> flash, read;
    for (int round = 0; round < rounds; ++round) {
        drive = aspi.AddDrive(0, 0, settings);  // a fresh log each round
        const auto start = Clock::now();
        StartDownload(window, RunModes{}, 0);
        host.RunWorker();
        flash.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        read.push_back(ReadSeconds(path));
        if (FirmwareImage.SingleCommand) {
            // A 64 KB file goes out as the one single-command download.
            if (drive->SingleCommandData().size() != 1024) return 1;
            continue;
        }
        if (drive->StreamedBytes() != static_cast<uint64_t>(FirmwareImage.Size)) {
            std::fprintf(stderr, "the drive received %llu bytes of %d\n",
                         static_cast<unsigned long long>(drive->StreamedBytes()), FirmwareImage.Size);
            return 1;
        }
    }
    if (keepData && !FirmwareImage.SingleCommand) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::vector<uint8_t> bytes(static_cast<size_t>(FirmwareImage.Size));
        const bool same = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size() && bytes == drive->Image();
        std::fclose(file);
        if (!same) {
            std::fprintf(stderr, "the drive's image differs from the file\n");
            return 1;
        }
    }
    const int kRounds = rounds;
    std::sort(flash.begin(), flash.end());
    std::sort(read.begin(), read.end());
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %ld %.6f %.6f %zu\n", FirmwareImage.Size, usage.ru_maxrss, flash[kRounds / 2],
                read[kRounds / 2], host.pauses.size());
    return 0;
}

struct Measured {
    long size = 0, peakKb = 0;
    double flash = 0, read = 0;
};

bool RunChild(const char* self, const char* mode, const std::string& path, Measured& out) {
    const std::string command = std::string(self) + " " + mode + " " + path;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    size_t pauses = 0;
    const int fields = std::fscanf(pipe, "%ld %ld %lf %lf %zu", &out.size, &out.peakKb, &out.flash, &out.read, &pauses);
    return pclose(pipe) == 0 && fields == 5;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "ONE") == 0) return MeasureOne(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], "VERIFY") == 0) return MeasureOne(argv[2], true);

    char folder[] = "/tmp/quillan-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string big = std::string(folder) + "/BIG.BIN", small = std::string(folder) + "/SMALL.BIN";
    if (!WriteChunkedFile(big, 64) || !WriteChunkedFile(small, 1)) return 1;
    Measured m4, m64, check;
    const bool ok = RunChild(argv[0], "VERIFY", big, check) && RunChild(argv[0], "VERIFY", small, check) &&
                    RunChild(argv[0], "ONE", big, m4) && RunChild(argv[0], "ONE", small, m64);
    std::remove(big.c_str());
    std::remove(small.c_str());
    rmdir(folder);
    if (!ok) {
        std::fprintf(stderr, "flash_bench: a measurement failed\n");
        return 1;
    }
    const double rssRatio = static_cast<double>(m4.peakKb) / static_cast<double>(m64.peakKb);
    std::printf("image     peak RSS   flash (median)  plain read  flash/read\n");
    std::printf("%5ld KB  %6ld KB  %10.3f ms  %8.3f ms  %8.2f\n", m4.size / 1024, m4.peakKb, m4.flash * 1e3,
                m4.read * 1e3, m4.flash / m4.read);
    std::printf("%5ld KB  %6ld KB  %10.3f ms  %8.3f ms  %8.2f\n", m64.size / 1024, m64.peakKb, m64.flash * 1e3,
                m64.read * 1e3, m64.flash / m64.read);
    std::printf("peak RSS 4 MB / 64 KB: %.3f (within 5%%: %s)\n", rssRatio,
                rssRatio <= 1.05 && rssRatio >= 0.95 ? "yes" : "no");
    return 0;
}
