// Windows held off while the drive is written: kept awake, the end of the
// session refused with the program's reason, and every way out gives them
// back before the program's own restart.
#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

enum class End { Restart, RestartNt, WindowClosed, CommandFailed, FileNotOpened };

struct OutsideCase {
    const char* name;
    std::vector<uint8_t> bytes;
    sim::DriveSettings drive;
    const char* options;
    End end;
    int pumps;  // the window's messages taken between pieces, the end refused each time
};
void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }
using OutsideHeldOff = DownloadCases<OutsideCase>;

// From the passed pre-checks to the download's end, and only then, Windows
// is kept awake, the window refuses the end of the session (each refusal in
// the log) and the shutdown screen has the program's reason. Every way out
// gives them back, and before the program's own restart: asked any later,
// the restart would be refused by the program itself.
TEST_P(OutsideHeldOff, OutsideHeldOffFromThePreChecksToTheEnd) {
    const OutsideCase& c = GetParam();
    Prepare(c.bytes, c.drive, c.options);
    if (c.end == End::RestartNt) form->runModes.ntPlatform = true;
    if (c.end == End::FileNotOpened) ShrinkFile(100);
    const auto mayEnd = [&] { return backend.onQueryEndSession(); };
    const auto heldOff = [&] { return host.awake && !host.shutdownBlockReason.empty() && !mayEnd(); };
    const auto givenBack = [&] { return !host.awake && host.shutdownBlockReason.empty() && mayEnd(); };
    EXPECT_TRUE(givenBack()) << "before the start";
    int pumpsHeldOff = 0, pumpsNot = 0;
    backend.onProcessMessages = [&] { ++(heldOff() ? pumpsHeldOff : pumpsNot); };
    bool givenBackAtRestart = false;
    host.onRestart = [&] {
        givenBackAtRestart = givenBack();
        backend.onEndSession(true);  // the restart's own end of the session: nothing forced
    };
    form->ToolButton2Click();
    backend.onProcessMessages = nullptr;
    EXPECT_EQ(pumpsHeldOff, c.pumps);
    EXPECT_EQ(pumpsNot, 0);
    int refusals = pumpsHeldOff;
    const bool workerSends = c.end == End::Restart || c.end == End::RestartNt || c.end == End::WindowClosed;
    EXPECT_EQ(host.workersStarted, workerSends ? 1 : 0);
    if (workerSends) {
        EXPECT_TRUE(heldOff()) << "while the worker sends the last piece";
        ++refusals;
        backend.onEndSession(true);  // a forced shutdown now
        RunToTheEnd();
    }
    const bool restarts = c.end == End::Restart || c.end == End::RestartNt;
    EXPECT_EQ(host.directRestarts + host.restarts, restarts ? 1 : 0);
    if (restarts) {
        EXPECT_TRUE(givenBackAtRestart) << "as the program's own restart is asked";
    }
    EXPECT_EQ(backend.closed, c.end == End::WindowClosed);
    EXPECT_TRUE(givenBack()) << "after the end";
    const std::string log = Log();
    EXPECT_EQ(Occurrences(log, "window sleep held off: Windows is asked to keep the system awake\r\n"), 1u);
    EXPECT_EQ(Occurrences(log, "window sleep allowed again: the keep-awake request is withdrawn\r\n"), 1u);
    EXPECT_EQ(Occurrences(log, "window end of the session refused: the drive is being written\r\n"),
              static_cast<size_t>(refusals));
    EXPECT_EQ(Occurrences(log, "window the session ends by force while the drive is being written\r\n"),
              workerSends ? 1u : 0u);
}

std::vector<OutsideCase> WaysOut() {
    sim::DriveSettings refusesTheMiddle = XdDrive();
    refusesTheMiddle.faults.push_back(RefuseCdb(kMiddleChunkCdb, MediumError()));
    const std::vector<uint8_t> chunked = ChunkedFile(Info(), 3, 16);
    return {
        {"chunked, restart on Windows 9x", chunked, {}, "-LIVE", End::Restart, 2},
        {"chunked, restart on the NT family", chunked, {}, "-LIVE", End::RestartNt, 2},
        {"flash pages, restart", MarkedFile(2 * 32768, Info()), XdDrive(""), "-LIVE", End::Restart, 2},
        {"test run: the window closes", chunked, {}, "-TEST fw.bin", End::WindowClosed, 2},
        {"a piece refused", chunked, refusesTheMiddle, "-LIVE", End::CommandFailed, 1},
        {"the file changed", chunked, {}, "-LIVE", End::FileNotOpened, 0},
    };
}

INSTANTIATE_TEST_SUITE_P(Download, OutsideHeldOff, ::testing::ValuesIn(WaysOut()), CaseName<OutsideCase>);

}  // namespace
}  // namespace quillan::test_support
