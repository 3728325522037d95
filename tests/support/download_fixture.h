// The download tests' machine: a main form on one simulated drive, a
// synthesized firmware file opened by hand, the result file and the run log
// in a scratch folder of the test's own; the commands and the messages since
// the last look; and the checks the download tests make again and again.
#pragma once

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flash/download.h"
#include "flash/result_file.h"
#include "support/command_log.h"
#include "support/firmware_files.h"
#include "support/main_form_fixture.h"
#include "support/scratch_dir.h"

namespace quillan::test_support {

using Lines = std::vector<std::string>;

// The commands as Describe writes them.
const char kModel[] = "HALVERN DVD-ROM XD-340  ";
const char kBootModel[] = "VELMORICCD/DVDW VM-R916A";
const std::string kTur = "000000000000 0";
const std::string kEject = "1b0000000200 0";
const std::string kChunkFirst = "ff0001000000000000000000 32768";
const std::string kChunkMiddle = "ff00010000ff000000000000 32768";
const std::string kChunkLast16 = "ff0001000010000000000000 16384";
const std::string kPage40 = "1d0000000800 8 8800000400400000";
const std::string kReceive = "1c0000000800 8";
const std::string kPageF0 = "1d0000000800 8 8800000400f0ff00";
const std::string kClosing = "1d0000000800 8 8800000400c00000";

// What the user is told.
const char kDownloadOk[] = "  Download Ok!!  \nRestart WINDOWS";
const char kCommandFailed[] = "Flash Cmd Fail!!";
const char kFileNotOpened[] = "Flash File Not Opened!!";
const char kRemoveDisc[] = "Remove the Disc in the Drive !!";

// The CDB prefixes of the chunked pieces: the first, the middle, the last.
const std::vector<uint8_t> kFirstChunkCdb = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00};
const std::vector<uint8_t> kMiddleChunkCdb = {0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF};
const std::vector<uint8_t> kLastChunkCdb = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x10};

// The flash page of the nth 32 KB block.
inline std::string Block(int n) {
    char page[17];
    std::snprintf(page, sizeof(page), "8800800400c0%02x00", n);
    return std::string("1d0000800800 32776 ") + page;
}

inline Lines Repeat(const std::string& line, int n) { return Lines(static_cast<size_t>(n), line); }

inline Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The five TEST UNIT READY of the disc check, then `more`.
inline Lines AfterTheDiscCheck(const Lines& more = {}) { return Join({Repeat(kTur, 5), more}); }

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

inline InfoBlock Info(uint8_t chunkKb = 32) {
    InfoBlock info;
    info.model = kModel;
    info.revision = "1.20";
    info.code = "XDA";
    info.chunkKb = chunkKb;
    return info;
}

// The model whose flash-page download updates its boot block first.
inline InfoBlock BootInfo() {
    InfoBlock info = Info();
    info.model = kBootModel;
    return info;
}

// A boot-block model's file: seven 32 KB blocks, then the 32 KB boot block
// and bytes no piece carries.
constexpr size_t kBootImageSize = 7 * 32768;
inline std::vector<uint8_t> BootFile() { return MarkedFile(kBootImageSize + 65536, BootInfo()); }

inline std::vector<uint8_t> Part(const std::vector<uint8_t>& bytes, size_t from, size_t length) {
    return std::vector<uint8_t>(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + length));
}

// The drive the files fit: with a code for the trailer layout, without one
// for the marked layout (which takes its code from the revision).
inline sim::DriveSettings XdDrive(const std::string& code = "XDA") {
    return DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", code);
}
inline sim::DriveSettings BootDrive() { return DriveOf("VELMORIC", "CD/DVDW VM-R916A", "1.10"); }
inline sim::DriveSettings OtherDrive() { return DriveOf("BRISKO  ", "CD-RW CR-5224   ", "2.00", "CRA"); }

// A drive that answers the commands starting with `cdbPrefix` (the nth such
// one alone when `matchNumber` is given) with `result`.
inline sim::FaultRule RefuseCdb(const std::vector<uint8_t>& cdbPrefix, sim::CommandResult result,
                                uint32_t matchNumber = 0) {
    sim::FaultRule rule;
    rule.cdbPrefix = cdbPrefix;
    rule.matchNumber = matchNumber;
    rule.result = result;
    return rule;
}
inline sim::FaultRule RefuseData(const std::vector<uint8_t>& dataPrefix, sim::CommandResult result) {
    sim::FaultRule rule;
    rule.dataPrefix = dataPrefix;
    rule.result = result;
    return rule;
}
inline sim::CommandResult MediumError() { return sim::CommandResult::Check(0x03, 0x0C, 0x00); }
inline sim::CommandResult IllegalRequest() { return sim::CommandResult::Check(0x05, 0x26, 0x00); }

// A file of one layout, with the drive it fits.
struct LayoutCase {
    const char* name;
    std::vector<uint8_t> bytes;
    sim::DriveSettings drive;
};
inline void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
inline std::vector<LayoutCase> LayoutsWithoutTheBootBlock() {
    return {
        {"chunked", ChunkedFile(Info(), 3, 16), XdDrive()},
        {"single command", TrailerFile(65536, Info()), XdDrive()},
        {"flash pages", MarkedFile(2 * 32768, Info()), XdDrive("")},
    };
}
inline std::vector<LayoutCase> EachLayout() {
    std::vector<LayoutCase> layouts = LayoutsWithoutTheBootBlock();
    layouts.push_back({"boot block", BootFile(), BootDrive()});
    return layouts;
}

// A boot-block model's download ended with its boot block and image flashed.
inline void ExpectBootBlockAndImage(const sim::SimDrive* drive, const std::vector<uint8_t>& bytes) {
    EXPECT_EQ(drive->BootBlock(), Part(bytes, kBootImageSize, 32768));
    EXPECT_EQ(drive->Image(), Part(bytes, 0, kBootImageSize));
}

// A parameterised test case's name from the table's own words.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        const bool word = std::isalnum(static_cast<unsigned char>(*c)) != 0;
        if (word)
            name += *c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    return name;
}

class Download : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        scratch_ = FreshScratchDir("quillan-dl");
        LiveResultPath = (scratch_ / "QUILLAN.TMP").string();
        TestResultPath = (scratch_ / "TEST.TMP").string();
        host = FakeHost(&backend.journal);  // fresh records for each case
        backend.closed = false;
        backend.captured = false;
        backend.hourglass = false;
    }
    void TearDown() override {
        MainFormTest::TearDown();
        file_.reset();
        std::filesystem::remove_all(scratch_);
    }

    // One fitting drive, no disc, the file opened by hand under `options`.
    sim::SimDrive* Prepare(const std::vector<uint8_t>& bytes, sim::DriveSettings drive = {},
                           const char* options = "-LIVE") {
        if (drive.vendor == sim::DriveSettings().vendor) drive = XdDrive();
        sim::SimDrive* simDrive = AddDrive(0, 0, drive);
        host.commandLine = std::string("q.exe ") + options;
        Create();
        file_ = std::make_unique<TempFile>(bytes);
        backend.nextOpenPath = file_->Path();
        form->ToolButton1Click();
        EXPECT_NE(FirmwareImage.Size, 0) << "the file was not accepted";
        mark_ = simDrive->Log().size();
        messagesBefore_ = backend.Messages().size();
        return simDrive;
    }

    // A disc put into drive 0 after the file was opened without one.
    sim::SimDrive* LoadDisc(sim::DriveSettings drive) {
        drive.discLoaded = true;
        mark_ = 0;
        return AddDrive(0, 0, drive);
    }

    // Commands since the last call.
    Lines Sent(const sim::SimDrive* drive) {
        Lines lines = Describe(drive->Log(), mark_);
        mark_ = drive->Log().size();
        return lines;
    }
    Lines NewMessages() {
        Lines texts;
        const auto all = backend.Messages();
        for (size_t i = messagesBefore_; i < all.size(); ++i) texts.push_back(all[i].text);
        messagesBefore_ = all.size();
        return texts;
    }
    std::string Result() const { return ReadAll(LiveResultPath); }
    std::string Log() const { return ReadAll((scratch_ / "QUILLAN.LOG").string()); }
    const std::string& FilePath() const { return file_->Path(); }
    void ShrinkFile(size_t length) { std::filesystem::resize_file(file_->Path(), length); }

    // The worker's last piece, and the timer's tick that ends the run.
    void RunToTheEnd() {
        host.RunWorker();
        form->Timer1Timer();
    }

    // A start that handed no last piece to a worker leaves the program idle:
    // no worker, no timer, the mouse, the cursor and the input let go.
    void ExpectIdle() {
        SCOPED_TRACE("the program idle");
        EXPECT_EQ(host.workersStarted, 0);
        EXPECT_FALSE(form->Timer1.Enabled());
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(backend.hourglass);
        EXPECT_FALSE(backend.inputHeld);
    }

    // A start refused before any piece: the user told `message`, the
    // calling script START, the program idle.
    void ExpectRefusedStart(const std::string& message) {
        EXPECT_EQ(NewMessages(), Lines{message});
        EXPECT_EQ(Result(), "START\r\n");
        ExpectIdle();
    }

    // A run that ended well on Windows 9x: the drive has `image`, the user
    // was told, and Windows restarted directly.
    void ExpectFlashedAndRestarted(const sim::SimDrive* drive, const std::vector<uint8_t>& image) {
        SCOPED_TRACE("flashed and restarted");
        EXPECT_EQ(drive->Image(), image);
        EXPECT_EQ(NewMessages(), Lines{kDownloadOk});
        EXPECT_EQ(host.directRestarts, 1);
    }

    std::filesystem::path scratch_;
    std::unique_ptr<TempFile> file_;
    size_t mark_ = 0;
    size_t messagesBefore_ = 0;
};

// A download test run once for each row of its table, each in a fresh fixture.
template <typename Case>
class DownloadCases : public Download, public ::testing::WithParamInterface<Case> {};

}  // namespace quillan::test_support
