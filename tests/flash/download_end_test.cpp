// How a download ends: a refused piece or no thread for the last one leaves
// the program idle; the worker's end restarts Windows (through the privilege
// on the NT family) or closes a test run's window; a failed last piece still
// restarts; and after the worker's end nothing starts another download.
#include <functional>

#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

struct RefusedChunkCase {
    const char* name;
    std::vector<uint8_t> cdbPrefix;
    Lines sent;  // after the disc check
};
void PrintTo(const RefusedChunkCase& c, std::ostream* os) { *os << c.name; }
using EachPieceFailing = DownloadCases<RefusedChunkCase>;

TEST_P(EachPieceFailing, EachPieceFailingInTurn) {
    const RefusedChunkCase& c = GetParam();
    sim::DriveSettings drive = XdDrive();
    drive.faults.push_back(RefuseCdb(c.cdbPrefix, MediumError(), 1));
    sim::SimDrive* simDrive = Prepare(ChunkedFile(Info(), 3, 16), drive);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(simDrive), AfterTheDiscCheck(c.sent));
    ExpectRefusedStart(kCommandFailed);
}

INSTANTIATE_TEST_SUITE_P(Download, EachPieceFailing, ::testing::ValuesIn(std::vector<RefusedChunkCase>{
    {"first chunk", kFirstChunkCdb, {kChunkFirst}},
    {"middle chunk", kMiddleChunkCdb, {kChunkFirst, kChunkMiddle}},
}), CaseName<RefusedChunkCase>);

using WorkerCannotStart = DownloadCases<LayoutCase>;

TEST_P(WorkerCannotStart, WorkerThatCannotStartIsACommandFailure) {
    const LayoutCase& c = GetParam();
    Prepare(c.bytes, c.drive);
    host.workerStartFails = true;
    backend.journal.clear();
    form->ToolButton2Click();
    Lines seen;
    for (const std::string& entry : backend.journal)
        if (entry.rfind("Timer1", 0) == 0 || entry.rfind("message", 0) == 0) seen.push_back(entry);
    EXPECT_EQ(seen, (Lines{"Timer1 on", "Timer1 off", std::string("message: ") + kCommandFailed}));
    EXPECT_EQ(Result(), "START\r\n");
    ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(Download, WorkerCannotStart, ::testing::ValuesIn(LayoutsWithoutTheBootBlock()),
                         CaseName<LayoutCase>);

// Refused pieces, or no thread for the last one, leave the program idle, and
// the status says the download failed, as the worker says it. A start that
// ends before "Wait.." leaves the status as it was.
struct FailedStartCase {
    const char* name;
    std::vector<uint8_t> bytes;
    sim::DriveSettings drive;
    bool noThread, fileGone;
    const char* message;
    const char* status;
};
void PrintTo(const FailedStartCase& c, std::ostream* os) { *os << c.name; }
using FailedStart = DownloadCases<FailedStartCase>;

TEST_P(FailedStart, AFailedStartSaysFail) {
    const FailedStartCase& c = GetParam();
    Prepare(c.bytes, c.drive);
    ASSERT_EQ(form->StaticText5.Text(), "Ready");
    host.workerStartFails = c.noThread;
    if (c.fileGone) std::filesystem::remove(FilePath());
    form->ToolButton2Click();
    EXPECT_EQ(NewMessages(), Lines{c.message});
    EXPECT_EQ(form->StaticText5.Text(), c.status);
    ExpectIdle();
}

std::vector<FailedStartCase> FailedStarts() {
    sim::DriveSettings chunkRefused = XdDrive();
    chunkRefused.faults.push_back(RefuseCdb(kFirstChunkCdb, MediumError()));
    sim::DriveSettings blockRefused = XdDrive("");
    blockRefused.faults.push_back(RefuseCdb({0x1D, 0x00, 0x00, 0x80, 0x08}, MediumError(), 2));
    sim::DriveSettings discLoaded = XdDrive();
    discLoaded.discLoaded = true;
    const std::vector<uint8_t> chunked = ChunkedFile(Info(), 3, 16);
    return {
        {"chunked, first piece refused", chunked, chunkRefused, false, false, kCommandFailed, "Fail"},
        {"flash pages, second block refused", MarkedFile(3 * 32768, Info()), blockRefused, false, false,
         kCommandFailed, "Fail"},
        {"no thread for the last piece", chunked, XdDrive(), true, false, kCommandFailed, "Fail"},
        {"file gone", chunked, XdDrive(), false, true, kFileNotOpened, "Ready"},
        {"disc in the drive", chunked, discLoaded, false, false, kRemoveDisc, "Ready"},
    };
}

INSTANTIATE_TEST_SUITE_P(Download, FailedStart, ::testing::ValuesIn(FailedStarts()), CaseName<FailedStartCase>);

TEST_F(Download, FinalCommandFailing) {
    sim::DriveSettings drive = XdDrive();
    drive.faults.push_back(RefuseCdb(kLastChunkCdb, sim::CommandResult::Aspi(0x02)));
    Prepare(ChunkedFile(Info(), 3, 16), drive);  // 80 KB: 5 ticks expected
    form->ToolButton2Click();
    form->Timer1Timer();
    form->Timer1Timer();
    EXPECT_EQ(form->ProgressBar1.Position(), 20);
    host.RunWorker();
    EXPECT_EQ(Result(), "FAIL0\r\n");
    EXPECT_EQ(form->StaticText5.Text(), "Fail");
    EXPECT_EQ(NewMessages(), Lines{" Download Fail!! \nRestart WINDOWS"});
    EXPECT_EQ(backend.Messages().back().icon, toolkit::BoxIcon::Error);
    // No jump to 100; the bar goes on by the estimate and the restart still comes.
    EXPECT_EQ(form->ProgressBar1.Position(), 20);
    form->Timer1Timer();
    EXPECT_EQ(form->ProgressBar1.Position(), 40);
    EXPECT_EQ(host.directRestarts, 1);
    EXPECT_FALSE(form->Timer1.Enabled());
}

TEST_F(Download, TestRunEndsByClosingTheWindow) {
    sim::SimDrive* drive = Prepare(ChunkedFile(Info(), 2, 16), {}, "-TEST fw.bin");
    form->ToolButton2Click();
    host.RunWorker();
    EXPECT_EQ(drive->LastCompletion(), sim::Completion::LastChunk);
    EXPECT_EQ(NewMessages(), Lines{});
    EXPECT_EQ(ReadAll(TestResultPath), "COMPLETE\r\n");
    form->Timer1Timer();
    EXPECT_TRUE(backend.closed);
    EXPECT_EQ(host.directRestarts + host.restarts, 0);
}

TEST_F(Download, NtFamilyRestartsThroughThePrivilege) {
    Prepare(ChunkedFile(Info(), 2, 16));
    RunModes flags;
    flags.ntPlatform = true;
    StartDownload(*form, flags, 0);
    host.RunWorker();
    ProgressTick(*form, flags);
    EXPECT_EQ(host.restarts, 1);
    EXPECT_EQ(host.directRestarts, 0);
}

// The worker has sent the final command and the restart did not come (refused
// on the NT family, or an ExitWindowsEx of Windows 9x that failed): the drive
// must not get the image a second time, and the window and the result file
// keep what the download ended with.
struct AfterTheEndCase {
    const char* name;
    bool nt;
    std::function<void(TMainForm&)> command;
};
void PrintTo(const AfterTheEndCase& c, std::ostream* os) { *os << c.name; }
using AfterTheWorkersEnd = DownloadCases<AfterTheEndCase>;

TEST_P(AfterTheWorkersEnd, AfterTheWorkersEndNothingStartsAnotherDownload) {
    const AfterTheEndCase& c = GetParam();
    const std::vector<uint8_t> bytes = ChunkedFile(Info(), 2, 16);
    AddDrive(0, 1, XdDrive());
    sim::SimDrive* flashed = Prepare(bytes);
    form->runModes.ntPlatform = c.nt;
    host.restartAccepted = false;
    form->ToolButton2Click();
    RunToTheEnd();
    ASSERT_EQ(host.restarts + host.directRestarts, 1);
    ASSERT_EQ(flashed->Image(), bytes);
    ASSERT_EQ(Result(), "COMPLETE\r\n");
    NewMessages();
    const size_t commands = CommandCount();
    backend.nextOpenPath = FilePath();

    c.command(*form);
    EXPECT_EQ(CommandCount(), commands);
    EXPECT_EQ(host.workersStarted, 1);
    EXPECT_EQ(NewMessages(), Lines{});
    EXPECT_EQ(Result(), "COMPLETE\r\n");
    EXPECT_EQ(form->StaticText5.Text(), "Ok");
    EXPECT_EQ(form->ProgressBar1.Position(), 100);
    EXPECT_EQ(form->ComboBox1.ItemIndex(), 0);
    EXPECT_FALSE(form->Timer1.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Download, AfterTheWorkersEnd, ::testing::ValuesIn(std::vector<AfterTheEndCase>{
    {"Start Download, restart refused on the NT family", true, [](TMainForm& f) { f.Image3.onClick(); }},
    {"Start Download, Windows 9x still running", false, [](TMainForm& f) { f.Image3.onClick(); }},
    {"the automatic start's timer", false, [](TMainForm& f) { f.Timer3Timer(); }},
    {"opening a file", false, [](TMainForm& f) { f.Image2.onClick(); }},
    {"choosing the other drive", false, [](TMainForm& f) { f.ComboBox1.Choose(1); }},
}), CaseName<AfterTheEndCase>);

}  // namespace
}  // namespace quillan::test_support
