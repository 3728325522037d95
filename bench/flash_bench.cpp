// What one flash costs the program itself, in time and in memory: from
// loading the firmware file (its information block and its SHA-256 digest)
// through the download (the digest taken again, the file read in pieces and
// sent) to the end of the run, for the chunked way at three sizes and the
// flash-page way at two. The same file is also read once plainly, for scale.
//
// Every file is measured in a child process of its own, against a drive that
// answers every command at once and keeps nothing, so that the time and the
// memory are the program's and not the drive's. Before that, another child
// flashes the same file on the simulated drive, which keeps what it receives,
// and checks that the drive got exactly the file: the figures are those of a
// flash that works.
//
//   flash_bench                    synthesizes the files, runs it all, prints the table
//   flash_bench MEASURE PATH       (internal) times one file and takes its peak memory
//   flash_bench VERIFY WAY PATH    (internal) flashes one file on the simulated drive
//   flash_bench HOLD PATH          (internal) the peak of holding the whole file in memory
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "drive/aspi_entry_points.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "firmware/firmware_reader.h"
#include "flash/download.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/fake_host.h"
#include "support/firmware_files.h"
#include "support/recording_download_window.h"

namespace {

using namespace quillan;
using Clock = std::chrono::steady_clock;
namespace support = quillan::test_support;  // the fake host, the synthesized files, the window

// ---- memory -------------------------------------------------------------

// A field of /proc/self/status in KB (VmRSS: resident now, VmHWM: its peak),
// read without the heap so that reading it does not move it.
long StatusKb(const char* field) {
    char text[4096];
    const int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0) return -1;
    const ssize_t got = read(fd, text, sizeof(text) - 1);
    close(fd);
    if (got <= 0) return -1;
    text[got] = '\0';
    const char* at = std::strstr(text, field);
    return at == nullptr ? -1 : std::strtol(at + std::strlen(field), nullptr, 10);
}

// Makes every page of the program's and its libraries' code and constants
// resident, so that the first run of some code does not count as memory the
// flash took.
void LoadAllCode() {
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr) return;
    char line[512];
    const long page = sysconf(_SC_PAGESIZE);
    while (std::fgets(line, sizeof(line), maps) != nullptr) {
        unsigned long from = 0, to = 0;
        char mode[5] = {};
        char path[256] = {};
        if (std::sscanf(line, "%lx-%lx %4s %*s %*s %*s %255s", &from, &to, mode, path) != 4) continue;
        if (mode[0] != 'r' || mode[1] == 'w' || path[0] != '/') continue;
        for (unsigned long at = from; at < to; at += static_cast<unsigned long>(page))
            (void)*reinterpret_cast<const volatile uint8_t*>(at);
    }
    std::fclose(maps);
}

// The process's baseline: its code resident, and the peak set back to what
// is resident now, so that the peak read later is what came after. Where the
// peak cannot be set back it is the process's peak since it started, which
// for these children is their small start-up.
long Baseline() {
    LoadAllCode();
    const int fd = open("/proc/self/clear_refs", O_WRONLY);
    if (fd >= 0) {
        const ssize_t wrote = write(fd, "5", 1);
        close(fd);
        (void)wrote;
    }
    return StatusKb("VmRSS:");
}

long PeakAbove(long baselineKb) { return StatusKb("VmHWM:") - baselineKb; }

// ---- the drive that keeps nothing ---------------------------------------

// Takes every command at once. The simulated drive is not used for timing:
// it keeps the blocks of a flash-page download whatever it is told, which
// would show here as the program's memory, and its log and its checks would
// count as the program's time. TEST UNIT READY finds no disc, so the
// download's own disc check passes as it does for a drive being flashed.
struct CountingDrive {
    uint64_t commands = 0;
    uint64_t bytesOut = 0;
};
CountingDrive countingDrive;

uint32_t CountingDriveCommand(void* request) {
    auto* srb = static_cast<SRB_ExecSCSICmd*>(request);
    ++countingDrive.commands;
    const bool testUnitReady = srb->SRB_CDBLen > 0 && srb->CDBByte[0] == 0x00;
    if (testUnitReady) {
        srb->SenseArea[2] = 0x02;   // NOT READY
        srb->SenseArea[12] = 0x3A;  // medium not present
        srb->SenseArea[13] = 0x00;
        srb->SRB_TargStat = STATUS_CHKCOND;
        srb->SRB_Status = SS_ERR;
    } else {
        if (srb->SRB_Flags == SRB_DIR_OUT)
            countingDrive.bytesOut += srb->SRB_BufLen;
        else if (srb->SRB_BufLen > 0)
            std::memset(srb->SRB_BufPointer, 0, srb->SRB_BufLen);
        srb->SRB_Status = SS_COMP;
    }
    return srb->SRB_Status;
}

// ---- one flash ------------------------------------------------------------

// The run log's stamp as the program makes it: local time to the millisecond.
std::string BenchClock() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local = {};
    localtime_r(&seconds, &local);
    char stamp[96];
    std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
    return stamp;
}

// Loads the file as opening it by hand does and flashes it on drive 0: the
// pre-checks, the pieces from this thread, the worker's last command, and the
// timer's tick that ends the run. The host records the disc check's pauses
// and runs the worker here, at once. Returns the seconds the load and the
// download took; false when either failed.
bool FlashOnce(support::FakeHost& host, support::RecordingDownloadWindow& window, SendAspi32CommandFn drive,
               const std::string& logFolder, const std::string& path, double& loadSeconds, double& downloadSeconds) {
    host = support::FakeHost();  // one flash's records at a time
    window = support::RecordingDownloadWindow();
    // Each flash the first of its run (a run downloads only once), with this
    // bench's host, drive and clock, and the run log when one is measured.
    Program.Reset();
    SetRunLogClock(BenchClock);
    SetCurrentHost(&host);
    SendASPI32Command = drive;
    if (!logFolder.empty() && !OpenRunLog(logFolder)) return false;
    const auto start = Clock::now();
    FirmwareImage.Path = path;
    const bool loaded = ReadFirmwareFile(path, [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
    const auto afterLoad = Clock::now();
    if (!loaded) return false;
    StartDownload(window, RunModes{}, 0);
    host.RunWorker();
    ProgressTick(window, RunModes{});
    const auto end = Clock::now();
    loadSeconds = std::chrono::duration<double>(afterLoad - start).count();
    downloadSeconds = std::chrono::duration<double>(end - afterLoad).count();
    return window.status == "Ok";
}

// One plain pass over the file in 64 KB reads, into a buffer made beforehand.
double PlainReadSeconds(const std::string& path, std::vector<uint8_t>& buffer) {
    const auto start = Clock::now();
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    while (read(fd, buffer.data(), buffer.size()) > 0) {
    }
    close(fd);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The median of the first `count` values.
double Median(const std::vector<double>& values, int count) {
    std::vector<double> sorted(values.begin(), values.begin() + count);
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

long long FileBytes(const std::string& path) {
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

constexpr int kMinRounds = 21;
constexpr int kMaxRounds = 1001;
constexpr double kMinSeconds = 1.0;


// Each round flashes twice, without and with the run log written to
// `logFolder`, so that what the log adds is measured against the same
// moment's machine.
int Measure(const std::string& path, const std::string& logFolder) {
    support::FakeHost host;
    support::RecordingDownloadWindow window;
    const long long fileBytes = FileBytes(path);
    // The bench's own memory is all made and written before the baseline.
    std::vector<double> load(kMaxRounds), download(kMaxRounds), flash(kMaxRounds), plain(kMaxRounds),
        logged(kMaxRounds);
    std::vector<uint8_t> buffer(65536);
    if (fileBytes <= 0 || PlainReadSeconds(path, buffer) < 0) return 1;  // also warms the file cache

    const long baselineKb = Baseline();
    uint64_t commandsPerFlash = 0;
    const auto start = Clock::now();
    int rounds = 0;
    while (rounds < kMaxRounds) {
        const uint64_t commandsBefore = countingDrive.commands, bytesBefore = countingDrive.bytesOut;
        double loadSeconds = 0, downloadSeconds = 0;
        if (!FlashOnce(host, window, CountingDriveCommand, "", path, loadSeconds, downloadSeconds) ||
            countingDrive.bytesOut - bytesBefore < static_cast<uint64_t>(fileBytes)) {
            std::fprintf(stderr, "%s: the flash failed or sent less than the file\n", path.c_str());
            return 1;
        }
        commandsPerFlash = countingDrive.commands - commandsBefore;
        double loggedLoad = 0, loggedDownload = 0;
        if (!FlashOnce(host, window, CountingDriveCommand, logFolder, path, loggedLoad, loggedDownload)) return 1;
        CloseRunLog();
        logged[rounds] = loggedLoad + loggedDownload;
        load[rounds] = loadSeconds;
        download[rounds] = downloadSeconds;
        flash[rounds] = loadSeconds + downloadSeconds;
        plain[rounds] = PlainReadSeconds(path, buffer);
        ++rounds;
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        if (rounds >= kMinRounds && spent >= kMinSeconds && rounds % 2 == 1) break;
    }
    const long peakKb = PeakAbove(baselineKb);
    std::printf("%lld %llu %ld %.9f %.9f %.9f %.9f %d %.9f\n", fileBytes,
                static_cast<unsigned long long>(commandsPerFlash), peakKb, Median(load, rounds),
                Median(download, rounds), Median(flash, rounds), Median(plain, rounds), rounds,
                Median(logged, rounds));
    return 0;
}

// The check the figures rest on: the simulated drive, keeping what it gets,
// has exactly the file as its image after one flash, and the download ended
// the way it should have (the last chunk, or the closing flash page).
int Verify(const std::string& way, const std::string& path) {
    support::FakeHost host;
    sim::SimAspi aspi;
    sim::DriveSettings settings;
    settings.discLoaded = false;
    const sim::SimDrive* drive = aspi.AddDrive(0, 0, settings);
    const sim::ScopedActiveSimAspi active(aspi);
    support::RecordingDownloadWindow window;
    double loadSeconds = 0, downloadSeconds = 0;
    if (!FlashOnce(host, window, sim::SimSendASPI32Command, "", path, loadSeconds, downloadSeconds)) {
        const char* told = window.shown.empty() ? "" : window.shown.back().c_str();
        std::fprintf(stderr, "%s: the flash failed: %s\n", path.c_str(), told);
        return 1;
    }
    const sim::Completion expected = way == "chunked" ? sim::Completion::LastChunk : sim::Completion::PageClosing;
    std::vector<uint8_t> bytes(static_cast<size_t>(FileBytes(path)));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const bool read = file != nullptr && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) std::fclose(file);
    if (!read || drive->Image() != bytes || drive->Completions(expected) != 1) {
        std::fprintf(stderr, "%s: the drive did not get exactly the file the %s way\n", path.c_str(), way.c_str());
        return 1;
    }
    return 0;
}

// What the column would show for a program that held the whole image: the
// file read whole into memory, in a process measured the same way.
int Hold(const std::string& path) {
    const long long fileBytes = FileBytes(path);
    if (fileBytes <= 0) return 1;
    const long baselineKb = Baseline();
    std::vector<uint8_t> image(static_cast<size_t>(fileBytes));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const bool read = file != nullptr && std::fread(image.data(), 1, image.size(), file) == image.size();
    if (file != nullptr) std::fclose(file);
    if (!read) return 1;
    std::printf("%ld\n", PeakAbove(baselineKb));
    return 0;
}

// ---- the files and the table --------------------------------------------

// A chunked file names its chunk count in one byte and its pieces travel
// through the 64 KB command buffer: 255 chunks of 64 KB is the largest image
// the chunked way can describe.
constexpr int kChunkKb = 64;
constexpr int kMostChunks = 255;

// The chunked rows all use 64 KB chunks, so that they differ only in how many
// there are. A file of exactly 64 KB is always a single-command download, so
// the smallest chunked row is one chunk more than that: 64 KB and 1 KB.
struct Row {
    const char* way;  // "chunked" or "flash pages"
    std::vector<uint8_t> (*make)();
};

support::InfoBlock BenchInfo() {
    support::InfoBlock info;
    info.revision = "1.20";
    info.chunkKb = kChunkKb;
    return info;
}

const Row kRows[] = {
    {"chunked", [] { return support::ChunkedFile(BenchInfo(), 2, 1); }},
    {"chunked", [] { return support::ChunkedFile(BenchInfo(), 64, kChunkKb); }},
    {"chunked", [] { return support::ChunkedFile(BenchInfo(), kMostChunks, kChunkKb); }},
    // The marked layout goes out as 32 KB flash pages.
    {"flash pages", [] { return support::MarkedFile(64 * 1024, BenchInfo()); }},
    {"flash pages", [] { return support::MarkedFile(4096 * 1024, BenchInfo()); }},
};
constexpr size_t kRowCount = sizeof(kRows) / sizeof(kRows[0]);
constexpr size_t kLargestRow = 2;  // the largest chunked file

struct Measured {
    long long bytes = 0;
    unsigned long long commands = 0;
    long peakKb = 0;
    double load = 0, download = 0, flash = 0, plain = 0;
    double flashLogged = 0;
    int rounds = 0;
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && wrote;
}

// Runs this program in a mode of its own; `out` gets its standard output.
bool RunChild(const char* self, const std::string& arguments, std::string& out) {
    std::FILE* pipe = popen((std::string(self) + " " + arguments).c_str(), "r");
    if (pipe == nullptr) return false;
    char piece[256];
    size_t got;
    while ((got = std::fread(piece, 1, sizeof(piece), pipe)) > 0) out.append(piece, got);
    return pclose(pipe) == 0;
}

bool MeasureRow(const char* self, const Row& row, const std::string& path, const std::string& logFolder,
                Measured& m) {
    std::string out;
    if (!RunChild(self, std::string("VERIFY '") + row.way + "' " + path, out)) return false;
    out.clear();
    if (!RunChild(self, "MEASURE " + path + " " + logFolder, out)) return false;
    return std::sscanf(out.c_str(), "%lld %llu %ld %lf %lf %lf %lf %d %lf", &m.bytes, &m.commands, &m.peakKb,
                       &m.load, &m.download, &m.flash, &m.plain, &m.rounds, &m.flashLogged) == 9;
}

int RunAll(const char* self) {
    char folder[] = "/tmp/quillan-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    std::string paths[kRowCount];
    Measured measured[kRowCount];
    long holdKb = -1;
    bool ok = true;
    for (size_t i = 0; i < kRowCount && ok; ++i) {
        paths[i] = std::string(folder) + "/FW" + std::to_string(i) + ".BIN";
        ok = WriteFile(paths[i], kRows[i].make()) &&
             MeasureRow(self, kRows[i], paths[i], std::string(folder) + "/", measured[i]);
    }
    std::string held;
    ok = ok && RunChild(self, "HOLD " + paths[kLargestRow], held) && std::sscanf(held.c_str(), "%ld", &holdKb) == 1;
    for (const std::string& path : paths)
        if (!path.empty()) std::remove(path.c_str());
    std::remove((std::string(folder) + "/" + kRunLogName).c_str());
    std::remove((std::string(folder) + "/" + kOldRunLogName).c_str());
    rmdir(folder);
    if (!ok) {
        std::fprintf(stderr, "flash_bench: a measurement failed\n");
        return 1;
    }

    std::printf("One flash, from loading the file to the end of the run, on a drive that answers\n"
                "at once and keeps nothing; each file in a process of its own. Commands: all the\n"
                "drive got, the disc check's five included. Peak: the process's peak resident\n"
                "memory above its baseline. Times: medians over the rounds; flash = load + download;\n"
                "logged: the same flash writing QUILLAN.LOG, and what the log adds.\n\n");
    std::printf("%-11s %9s %8s %10s %8s %8s %8s %8s %7s %8s %6s %6s\n", "way", "image", "commands", "peak", "load",
                "download", "flash", "plain", "flash/", "logged", "log", "rounds");
    std::printf("%-11s %9s %8s %10s %8s %8s %8s %8s %7s %8s %6s %6s\n", "", "", "", "", "ms", "ms", "ms", "read ms",
                "read", "ms", "adds", "");
    for (size_t i = 0; i < kRowCount; ++i) {
        const Measured& m = measured[i];
        std::printf("%-11s %6lld KB %8llu %7ld KB %8.3f %8.3f %8.3f %8.3f %7.0f %8.3f %5.1f%% %6d\n", kRows[i].way,
                    m.bytes / 1024, m.commands, m.peakKb, m.load * 1e3, m.download * 1e3, m.flash * 1e3,
                    m.plain * 1e3, m.flash / m.plain, m.flashLogged * 1e3, 100 * (m.flashLogged / m.flash - 1),
                    m.rounds);
    }
    std::printf("\nFor scale: holding the %lld KB file whole in memory peaks %ld KB above baseline.\n",
                measured[kLargestRow].bytes / 1024, holdKb);
    std::printf("No chunked file is larger than %d chunks of %d KB (%d KB): that largest one is measured.\n",
                kMostChunks, kChunkKb, kMostChunks * kChunkKb);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "MEASURE") == 0) return Measure(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "VERIFY") == 0) return Verify(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "HOLD") == 0) return Hold(argv[2]);
    if (argc == 1) return RunAll(argv[0]);
    std::fprintf(stderr, "usage: flash_bench\n");
    return 2;
}
