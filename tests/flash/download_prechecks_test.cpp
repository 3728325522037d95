// The checks before the first piece: the DMA mode of the XN-870 on the NT
// family, the disc, the power supply, the test run's quiet disc check, the
// automatic start's skipped one, a list without a drive of ours, and the file
// (gone, replaced, grown or cut since it was loaded; on Windows nobody writes
// to it while the download runs).
#include <algorithm>

#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

const char kDma[] = "DMA mode is not supported by this drive.\n"
                    "Exit the application, switch the transfer mode to PIO mode,\n"
                    "and attempt to flash the drive.";
const char kPio[] = "This application support PIO mode only for stable download.\n"
                    "Exit the application, switch to PIO mode and attempt again.";

struct PreCheckCase {
    const char* name;
    const char* code;
    int position;  // -1: the drive has no port position
    bool keyExists;
    std::vector<uint8_t> dma;  // empty: no value
    bool disc;
    Lines messages;
    const char* result;
    bool closed;
    Lines sentAfterChecks;
};
void PrintTo(const PreCheckCase& c, std::ostream* os) { *os << c.name; }
using PreCheck = DownloadCases<PreCheckCase>;

// The DMA check of the XN-870 on the NT family, and the disc check.
TEST_P(PreCheck, PreCheckMatrix) {
    const PreCheckCase& c = GetParam();
    const std::string key = "Hardware\\DeviceMap\\Scsi\\Scsi Port ";
    sim::DriveSettings xn870 = DriveOf("HALVERN ", "CD-ROM XN-870   ", "1.00", c.code);
    InfoBlock info = Info();
    info.model = "HALVERN CD-ROM XN-870   ";
    info.code = c.code;
    info.chunkCount = 2;
    sim::SimDrive* drive = Prepare(ChunkedFile(info, 2, 16), xn870, "-LIVE");
    if (c.disc) drive = LoadDisc(xn870);
    PortPositions = {};
    if (c.position >= 0) PortPositions = {{c.position}, 1};
    const std::string portKey = key + std::to_string(c.position < 0 ? 0 : c.position / 2);
    if (c.keyExists) {
        host.keys[portKey] = {};
        if (!c.dma.empty()) host.keys[portKey]["DMAEnabled"] = c.dma;
    }
    RunModes flags;
    flags.ntPlatform = true;
    flags.liveMode = true;
    ShrinkFile(100);  // a start that gets past the checks finds the file changed
    StartDownload(*form, flags, 0);
    EXPECT_EQ(NewMessages(), c.messages);
    EXPECT_EQ(Result(), c.result);
    EXPECT_EQ(backend.closed, c.closed);
    const Lines sent = Sent(drive);
    const size_t checks = c.disc ? 1 : 5;
    ASSERT_GE(sent.size(), checks);
    EXPECT_EQ(Lines(sent.begin(), sent.begin() + checks), Repeat(kTur, static_cast<int>(checks)));
    EXPECT_EQ(Lines(sent.begin() + checks, sent.end()), c.sentAfterChecks);
    if (c.position >= 0 && c.keyExists) {
        EXPECT_EQ(host.calls.back(), "close " + portKey);
    }
}

INSTANTIATE_TEST_SUITE_P(Download, PreCheck, ::testing::ValuesIn(std::vector<PreCheckCase>{
    {"even position, bit 0 set", "XNA", 0, true, {0x01, 0, 0, 0}, false, {kDma}, "FAIL2\r\n", true, {}},
    {"even position, only bit 1", "XNA", 2, true, {0x02, 0, 0, 0}, false, {kFileNotOpened}, "START\r\n", false, {}},
    {"odd position, bit 1 set, GNE wording", "GNE", 1, true, {0x02, 0, 0, 0}, false, {kPio}, "FAIL2\r\n", true, {}},
    {"key missing", "XNA", 3, false, {}, false, {"Reg Read Fail", "Registry Error !!"}, "FAIL3\r\n", false, {}},
    {"value missing", "XNA", 3, true, {}, false, {"Registry Error !!"}, "FAIL3\r\n", false, {}},
    {"no port position", "XNA", -1, true, {}, false, {"Registry Error !!"}, "FAIL3\r\n", false, {}},
    {"disc beats the DMA bit", "YNE", 0, true, {0x01, 0, 0, 0}, true, {kRemoveDisc}, "FAIL4\r\n", false, {kEject}},
    {"disc beats a missing key", "XNA", 0, false, {}, true, {"Reg Read Fail", kRemoveDisc}, "FAIL4\r\n", false, {kEject}},
}), CaseName<PreCheckCase>);

// The power supply is asked only once the other pre-checks have passed. On
// battery below 25 % nothing is sent, FAIL5 tells the calling script, and the
// program stays idle, so that the user can plug in and start again; an
// unknown AC state or charge does not refuse.
const char kLowBattery[] = "Low Battery !!\nConnect the Power Adapter, then Start Download again.";

struct PowerCase {
    const char* name;
    PowerStatus power;
    bool disc;
    const char* logged;  // the decision's line, "" when the power is not asked
    Lines messages;
    const char* result;
};
void PrintTo(const PowerCase& c, std::ostream* os) { *os << c.name; }
using PowerAtTheStart = DownloadCases<PowerCase>;

TEST_P(PowerAtTheStart, PowerSupplyAtTheStart) {
    const PowerCase& c = GetParam();
    const std::vector<uint8_t> bytes = ChunkedFile(Info(), 3, 16);
    sim::SimDrive* drive = Prepare(bytes);
    if (c.disc) drive = LoadDisc(XdDrive());
    host.power = c.power;
    backend.journal.clear();
    form->ToolButton2Click();
    const bool refused = std::string(c.result) != "START\r\n";
    const Lines tries = c.disc ? Lines{kTur, kEject} : Repeat(kTur, 5);
    EXPECT_EQ(Sent(drive), Join({tries, refused ? Lines{} : Lines{kChunkFirst, kChunkMiddle}}));
    EXPECT_EQ(NewMessages(), c.messages);
    if (!c.messages.empty()) {
        EXPECT_EQ(backend.Messages().back().icon, toolkit::BoxIcon::Error);
        EXPECT_TRUE(backend.Messages().back().systemModal);
        EXPECT_TRUE(backend.Messages().back().owned);
    }
    EXPECT_EQ(Result(), c.result);
    const std::string log = Log();
    if (*c.logged != '\0') {
        EXPECT_EQ(Occurrences(log, std::string("window power at the start: ") + c.logged + "\r\n"), 1u) << log;
    } else {
        EXPECT_EQ(Occurrences(log, "power at the start"), 0u);
    }
    EXPECT_EQ(host.workersStarted, refused ? 0 : 1);
    if (!refused) {
        RunToTheEnd();
        EXPECT_EQ(drive->Image(), bytes);
        return;
    }
    // Idle: nothing was held, and a start once the adapter is in goes through.
    EXPECT_EQ(std::count(backend.journal.begin(), backend.journal.end(), "keep awake"), 0);
    ExpectIdle();
    host.power = {kAcOnline, c.power.batteryPercent};
    form->ToolButton2Click();
    RunToTheEnd();
    EXPECT_EQ(Result(), "COMPLETE\r\n");
    ExpectFlashedAndRestarted(drive, bytes);
}

INSTANTIATE_TEST_SUITE_P(Download, PowerAtTheStart, ::testing::ValuesIn(std::vector<PowerCase>{
    {"AC online, battery low", {kAcOnline, 10}, false, "AC online, battery 10 %: the download goes on", {}, "START\r\n"},
    {"battery 80 %", {kAcOffline, 80}, false, "AC offline, battery 80 %: the download goes on", {}, "START\r\n"},
    {"battery 25 %", {kAcOffline, 25}, false, "AC offline, battery 25 %: the download goes on", {}, "START\r\n"},
    {"battery 24 %", {kAcOffline, 24}, false, "AC offline, battery 24 %: refused, on battery below 25 %", {kLowBattery}, "FAIL5\r\n"},
    {"battery 10 %", {kAcOffline, 10}, false, "AC offline, battery 10 %: refused, on battery below 25 %", {kLowBattery}, "FAIL5\r\n"},
    {"battery, charge unknown", {kAcOffline, kPowerUnknown}, false, "AC offline, battery unknown: the download goes on", {}, "START\r\n"},
    {"AC unknown, 10 %", {kPowerUnknown, 10}, false, "AC unknown, battery 10 %: the download goes on", {}, "START\r\n"},
    {"all unknown", {kPowerUnknown, kPowerUnknown}, false, "AC unknown, battery unknown: the download goes on", {}, "START\r\n"},
    // The disc keeps its outcome and its line.
    {"battery 10 %, disc in the drive", {kAcOffline, 10}, true, "", {kRemoveDisc}, "FAIL4\r\n"},
}), CaseName<PowerCase>);

TEST_F(Download, TestModeWithADiscSendsNoEjectAndShowsNothing) {
    Prepare(ChunkedFile(Info(), 2, 16), XdDrive(), "-TEST fw.bin");
    sim::SimDrive* simDrive = LoadDisc(XdDrive());
    form->ToolButton2Click();
    EXPECT_EQ(Sent(simDrive), Repeat(kTur, 1));
    EXPECT_EQ(NewMessages(), Lines{});
    EXPECT_EQ(ReadAll(TestResultPath), "FAIL4\r\n");
    EXPECT_TRUE(simDrive->DiscLoaded());
}

TEST_F(Download, AutoStartModeSkipsTheDiscCheck) {
    sim::SimDrive* drive = Prepare(ChunkedFile(Info(), 2, 16));
    FirmwareImage.StartupReady = true;
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), Lines{kChunkFirst});
}

// A hard disk at adapter 0, target 0 answers everything but is no drive of ours.
sim::DriveSettings HardDisk() {
    sim::DriveSettings disk;
    disk.deviceType = 0x00;
    disk.driveCode = "XDA";
    return disk;
}

TEST_F(Download, NoDriveListedNothingIsSent) {
    sim::SimDrive* hardDisk = AddDrive(0, 0, HardDisk());
    host.commandLine = "q.exe -NOCHECK";
    Create();
    file_ = std::make_unique<TempFile>(ChunkedFile(Info(), 2, 16));
    backend.nextOpenPath = file_->Path();
    form->ToolButton1Click();
    ASSERT_NE(FirmwareImage.Size, 0);  // accepted: -NOCHECK skips the model check
    const size_t probes = hardDisk->Log().size();
    form->ToolButton2Click();
    EXPECT_EQ(hardDisk->Log().size(), probes);
    EXPECT_EQ(MessageTexts().back(), "DRIVE NOT FOUND!!");
    EXPECT_EQ(host.workersStarted, 0);
}

// The list is empty: no file can have passed the rules (only -NOCHECK lets
// one through, NoDriveListedNothingIsSent), so Start Download ends as it does
// without a usable file: START for the calling script, "Flash File Not
// Opened!!" for the user, and nothing for the device that is not listed.
struct NoDriveCase {
    const char* name;
    bool startupFile;  // AUTORUN.BIN beside the program
    bool openByHand;   // the user opens a file, which the rules refuse
};
void PrintTo(const NoDriveCase& c, std::ostream* os) { *os << c.name; }
using NoDriveListed = DownloadCases<NoDriveCase>;

TEST_P(NoDriveListed, NoDriveListedEndsAsWithoutAUsableFile) {
    const NoDriveCase& c = GetParam();
    sim::SimDrive* hardDisk = AddDrive(0, 0, HardDisk());
    host.commandLine = "q.exe -LIVE";
    file_ = std::make_unique<TempFile>(ChunkedFile(Info(), 2, 16), "AUTORUN.BIN");
    if (c.startupFile) {
        FirmwareImage.Path = file_->Path();
        FirmwareImage.StartupReady = true;
    }
    Create();
    if (c.openByHand) {
        backend.nextOpenPath = file_->Path();
        form->ToolButton1Click();
    }
    ASSERT_EQ(form->driveListCount, 0);
    ASSERT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(Result(), "FAIL0\r\n");
    const size_t probes = hardDisk->Log().size();
    const std::string status = form->StaticText5.Text();
    form->ToolButton2Click();
    EXPECT_EQ(hardDisk->Log().size(), probes);
    EXPECT_EQ(MessageTexts().back(), kFileNotOpened);
    EXPECT_EQ(Result(), "START\r\n");
    EXPECT_EQ(form->StaticText5.Text(), status);
    ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(Download, NoDriveListed, ::testing::ValuesIn(std::vector<NoDriveCase>{
    {"no file at all", false, false},
    {"a file opened by hand, refused", false, true},
    {"a start-up file that fits no drive", true, false},
}), CaseName<NoDriveCase>);

TEST_F(Download, NoFileNoDownload) {
    sim::SimDrive* drive = Prepare(ChunkedFile(Info(), 2, 16));
    std::filesystem::remove(FilePath());
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck());
    EXPECT_EQ(NewMessages(), Lines{kFileNotOpened});
    EXPECT_EQ(Result(), "START\r\n");
}

// After a change of drive the loaded file is gone too.
TEST_F(Download, NoFileAfterAChangeOfDrive) {
    Prepare(ChunkedFile(Info(), 2, 16));
    AddDrive(0, 1, XdDrive());
    FirmwareImage.Size = 0;  // what a change of drive leaves
    form->ToolButton2Click();
    EXPECT_EQ(NewMessages(), Lines{kFileNotOpened});
    EXPECT_EQ(host.workersStarted, 0);
}

std::vector<uint8_t> OtherModelLike(const std::vector<uint8_t>& like) {
    InfoBlock other = Info();
    other.model = "HALVERN DVD-ROM XD-341  ";
    std::vector<uint8_t> bytes = ImageBytes(like.size(), 9);
    PutBlock(bytes, like.size() - 48, other);
    return bytes;
}
std::vector<uint8_t> Grown(std::vector<uint8_t> bytes) {
    bytes.resize(bytes.size() + 1024, 0x5A);
    return bytes;
}

struct ChangedFileCase {
    const char* name;
    std::vector<uint8_t> loaded;
    std::vector<uint8_t> onDisk;
    sim::DriveSettings drive;
};
void PrintTo(const ChangedFileCase& c, std::ostream* os) { *os << c.name; }
using FileChanged = DownloadCases<ChangedFileCase>;

// Between loading and the download the file was replaced by another
// model's image of the same size, grew, or shrank: the download sends
// nothing after the disc check, whichever way the file would go.
TEST_P(FileChanged, FileChangedSinceLoadingSendsNothing) {
    const ChangedFileCase& c = GetParam();
    sim::SimDrive* drive = Prepare(c.loaded, c.drive);
    {
        std::ofstream rewrite(FilePath(), std::ios::binary | std::ios::trunc);
        rewrite.write(reinterpret_cast<const char*>(c.onDisk.data()), static_cast<std::streamsize>(c.onDisk.size()));
    }
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck());
    ExpectRefusedStart(kFileNotOpened);
    EXPECT_EQ(form->StaticText5.Text(), "Ready");
}

std::vector<ChangedFileCase> ChangedFiles() {
    const std::vector<uint8_t> chunked = ChunkedFile(Info(), 3, 16);
    const std::vector<uint8_t> single = TrailerFile(65536, Info());
    const std::vector<uint8_t> boot = BootFile();
    return {
        {"chunked, replaced", chunked, OtherModelLike(chunked), XdDrive()},
        {"chunked, grown", chunked, Grown(chunked), XdDrive()},
        {"chunked, shrunk into its second piece", chunked, Part(chunked, 0, 32768 + 1000), XdDrive()},
        {"single command, replaced", single, OtherModelLike(single), XdDrive()},
        {"single command, grown", single, Grown(single), XdDrive()},
        {"single command, shrunk past its first 4 KB", single, Part(single, 0, 8000), XdDrive()},
        {"boot block, replaced", boot, OtherModelLike(boot), BootDrive()},
        {"boot block, grown", boot, Grown(boot), BootDrive()},
        {"boot block, shrunk into the boot block", boot, Part(boot, 0, kBootImageSize + 16384), BootDrive()},
    };
}

INSTANTIATE_TEST_SUITE_P(Download, FileChanged, ::testing::ValuesIn(ChangedFiles()), CaseName<ChangedFileCase>);

#ifdef _WIN32
// From the check before the first command to the end of the download nobody
// can write to the file; afterwards they can again.
TEST_F(Download, NobodyWritesTheFileWhileTheDownloadRuns) {
    Prepare(ChunkedFile(Info(), 3, 16));
    const auto writable = [this] {
        std::FILE* writer = std::fopen(FilePath().c_str(), "r+b");
        if (writer != nullptr) std::fclose(writer);
        return writer != nullptr;
    };
    ASSERT_TRUE(writable());
    form->ToolButton2Click();
    ASSERT_EQ(host.workersStarted, 1);
    EXPECT_FALSE(writable());
    host.RunWorker();
    EXPECT_FALSE(writable());
    form->Timer1Timer();  // the run ends
    EXPECT_TRUE(writable());
}
#endif

}  // namespace
}  // namespace quillan::test_support
