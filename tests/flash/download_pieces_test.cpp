// The pieces on the wire, byte for byte against the simulated drive: which
// commands go out, from which thread, in which order, for each layout of the
// file; and what the screen shows meanwhile ("Wait..", the bar). The
// expected tables are written out by hand.
#include <system_error>

#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

struct ChunkCase {
    const char* name;
    uint8_t chunkKb, count, lastKb;
    Lines fromWindow;  // after the five TEST UNIT READY of the disc check
    Lines fromWorker;
};
void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.name; }
using ChunkedDownload = DownloadCases<ChunkCase>;

TEST_P(ChunkedDownload, ChunkedInOneTwoAndThreePieces) {
    const ChunkCase& c = GetParam();
    const std::vector<uint8_t> bytes = ChunkedFile(Info(c.chunkKb), c.count, c.lastKb);
    sim::SimDrive* drive = Prepare(bytes);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck(c.fromWindow));
    EXPECT_EQ(Result(), "START\r\n");
    EXPECT_TRUE(form->Timer1.Enabled());
    EXPECT_EQ(BusyFlag, 1);
    EXPECT_EQ(form->StaticText5.Text(), "Wait..");
    EXPECT_TRUE(backend.captured);
    EXPECT_TRUE(backend.hourglass);
    EXPECT_EQ(host.terminated, Lines{"directcd.exe"});

    host.RunWorker();
    EXPECT_EQ(Sent(drive), c.fromWorker);
    EXPECT_EQ(drive->Image(), bytes);
    EXPECT_EQ(Result(), "COMPLETE\r\n");
    EXPECT_EQ(form->ProgressBar1.Position(), 100);
    EXPECT_EQ(form->StaticText5.Text(), "Ok");
    EXPECT_FALSE(backend.captured);
    EXPECT_FALSE(backend.hourglass);
    EXPECT_EQ(NewMessages(), Lines{kDownloadOk});
    const auto end = backend.Messages().back();
    EXPECT_EQ(end.icon, toolkit::BoxIcon::None);
    EXPECT_TRUE(end.systemModal);
    EXPECT_TRUE(end.owned);
    EXPECT_EQ(BusyFlag, 0);

    form->Timer1Timer();  // the next tick ends the run: Windows 9x restarts directly
    EXPECT_FALSE(form->Timer1.Enabled());
    EXPECT_EQ(host.directRestarts, 1);
    EXPECT_EQ(host.restarts, 0);
}

INSTANTIATE_TEST_SUITE_P(Download, ChunkedDownload, ::testing::ValuesIn(std::vector<ChunkCase>{
    {"3 chunks", 32, 3, 16, {kChunkFirst, kChunkMiddle}, {kChunkLast16}},
    {"2 chunks", 32, 2, 16, {kChunkFirst}, {kChunkLast16}},
    {"1 chunk", 60, 1, 60, {}, {"ff000100003c000000000000 61440"}},
}), CaseName<ChunkCase>);

TEST_F(Download, SingleCommandSkipsTheFirst4KB) {
    InfoBlock info = Info();
    info.chunkKb = 0x11;  // ignored for this kind of file
    info.chunkCount = 0x22;
    const std::vector<uint8_t> bytes = TrailerFile(65536, info);
    sim::SimDrive* drive = Prepare(bytes);
    ASSERT_TRUE(FirmwareImage.SingleCommand);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck());
    EXPECT_EQ(FirmwareImage.ChunkKb, 60);
    host.RunWorker();
    EXPECT_EQ(Sent(drive), Lines{"ff0001000001000000f00000 1024"});
    EXPECT_EQ(drive->SingleCommandData(), Part(bytes, 4096, 1024));
    EXPECT_EQ(Result(), "COMPLETE\r\n");
}

// A marked file of four blocks (and some bytes no block carries). Marked
// files take their code from the revision: "1. " on both sides.
TEST_F(Download, FlashPagesWithoutTheBootBlock) {
    const std::vector<uint8_t> four = MarkedFile(4 * 32768 + 1000, Info());
    sim::SimDrive* drive = Prepare(four, XdDrive(""));
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck({kPage40, kReceive, kPageF0, Block(1), Block(2), Block(3), Block(4)}));
    host.RunWorker();
    EXPECT_EQ(Sent(drive), Lines{kClosing});
    EXPECT_EQ(drive->Image(), Part(four, 0, 4 * 32768));
    EXPECT_EQ(Result(), "COMPLETE\r\n");
}

// The boot-block model: 512 pieces of its tail block first.
TEST_F(Download, FlashPagesWithTheBootBlock) {
    const std::vector<uint8_t> trimmed = BootFile();
    sim::SimDrive* drive = Prepare(trimmed, BootDrive());
    ASSERT_TRUE(FirmwareImage.Trimmed);
    form->ToolButton2Click();
    Lines pieces;
    for (int i = 0; i < 512; ++i) {
        char page[17];
        std::snprintf(page, sizeof(page), "8800004800d9%04x", 0x8000 + 64 * i);
        pieces.push_back(std::string("1d0000004c00 76 ") + page);
    }
    Lines blocks;
    for (int n = 1; n <= 7; ++n) blocks.push_back(Block(n));
    EXPECT_EQ(Sent(drive), AfterTheDiscCheck(Join({{"1d0000000800 8 8800000400dc0000", "1d0000000800 8 8800000400db0000",
                                                    "1d0000000800 8 8800000400d80080"},
                                                   pieces, {kPage40, kReceive, kPageF0}, blocks})));
    // Every 0xD9 page carries the data length 00 40 and ends in 00 00.
    for (const auto& entry : drive->Log()) {
        if (entry.dataOut.size() != 76) continue;
        EXPECT_EQ(entry.dataOut[8], 0x00);
        EXPECT_EQ(entry.dataOut[9], 0x40);
        EXPECT_EQ(entry.dataOut[74], 0x00);
        EXPECT_EQ(entry.dataOut[75], 0x00);
    }
    EXPECT_EQ(form->ProgressBar1.Position(), 99);  // 100 x 511 / 512
    EXPECT_GE(backend.processMessagesCalls, 512);
    // The bar, left at 99, falls back to 0 at the first tick.
    form->Timer1Timer();
    EXPECT_EQ(form->ProgressBar1.Position(), 0);
    host.RunWorker();
    EXPECT_EQ(Sent(drive), Lines{kClosing});
    ExpectBootBlockAndImage(drive, trimmed);
}

// A refused boot-block piece leaves its sense key in byte 2 of the buffer,
// the high byte of the next page's length: each piece writes its whole header.
std::vector<uint8_t> BootPiecePage(uint16_t address) {
    return {0x88, 0x00, 0x00, 0x48, 0x00, 0xD9, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
}

struct RefusedPieceCase {
    const char* name;
    std::vector<uint8_t> refusedPage;
    sim::CommandResult result;
    size_t piecesSent, piecesKept;
};
void PrintTo(const RefusedPieceCase& c, std::ostream* os) { *os << c.name; }
using BootBlockPieces = DownloadCases<RefusedPieceCase>;

TEST_P(BootBlockPieces, BootBlockPiecesAfterARefusedOne) {
    const RefusedPieceCase& c = GetParam();
    const std::vector<uint8_t> bytes = BootFile();
    sim::DriveSettings velmoric = BootDrive();
    velmoric.faults.push_back(RefuseData(c.refusedPage, c.result));
    sim::SimDrive* drive = Prepare(bytes, velmoric);
    form->ToolButton2Click();
    size_t sent = 0;
    int firstMalformed = -1;
    for (const auto& entry : drive->Log()) {
        if (entry.dataOut.size() != 76) continue;
        std::vector<uint8_t> expected = BootPiecePage(static_cast<uint16_t>(0x8000 + 64 * sent));
        expected.insert(expected.end(), {0x00, 0x40});
        const std::vector<uint8_t> data = Part(bytes, kBootImageSize + 64 * sent, 64);
        expected.insert(expected.end(), data.begin(), data.end());
        expected.insert(expected.end(), {0x00, 0x00});
        if (entry.dataOut != expected && firstMalformed < 0) firstMalformed = static_cast<int>(sent);
        ++sent;
    }
    EXPECT_EQ(firstMalformed, -1);
    EXPECT_EQ(sent, c.piecesSent);
    EXPECT_EQ(drive->BootPiecesReceived(), c.piecesKept);
    EXPECT_EQ(host.workersStarted, 1);
    host.RunWorker();
    EXPECT_EQ(drive->Image(), Part(bytes, 0, kBootImageSize));
}

INSTANTIATE_TEST_SUITE_P(Download, BootBlockPieces, ::testing::ValuesIn(std::vector<RefusedPieceCase>{
    {"third piece, illegal request", BootPiecePage(0x8080), IllegalRequest(), 512, 511},
    {"first piece, medium error", BootPiecePage(0x8000), MediumError(), 512, 511},
    {"last piece, hardware error", BootPiecePage(0xFFC0), sim::CommandResult::Check(0x04, 0x44, 0x00), 512, 511},
    // The erase page's status is not examined; a refused begin page leaves
    // out the rest of the boot-block update.
    {"erase page refused", {0x88, 0x00, 0x00, 0x04, 0x00, 0xDB}, IllegalRequest(), 512, 512},
    {"begin page refused", {0x88, 0x00, 0x00, 0x04, 0x00, 0xDC}, IllegalRequest(), 0, 0},
}), CaseName<RefusedPieceCase>);

TEST_F(Download, AFailedF0StillSendsTheFirstBlock) {
    sim::DriveSettings drive = XdDrive("");
    drive.faults.push_back(RefuseData({0x88, 0x00, 0x00, 0x04, 0x00, 0xF0}, IllegalRequest()));
    sim::SimDrive* simDrive = Prepare(MarkedFile(2 * 32768, Info()), drive);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(simDrive), AfterTheDiscCheck({kPage40, kReceive, kPageF0, Block(1), Block(2)}));
    EXPECT_EQ(host.workersStarted, 1);
    EXPECT_EQ(NewMessages(), Lines{});
}

// A read that falls short after the check sends no partial piece. Only
// natively can the file be cut then: Windows keeps writers out until the
// download ends, and the whole image goes out.
TEST_F(Download, ShortReadInTheMiddleSendsNoPartialPiece) {
    const std::vector<uint8_t> bytes = ChunkedFile(Info(), 3, 16);
    sim::SimDrive* drive = Prepare(bytes);
    bool cut = false;
    aspi.SetEventSink([&](const sim::AspiEvent& event) {
        const bool firstPiece = event.cdb.size() > 5 && event.cdb[0] == 0xFF && event.cdb[2] == 0x01;
        if (!firstPiece || cut) return;
        std::error_code refused;
        std::filesystem::resize_file(FilePath(), 32768 + 1000, refused);
        cut = !refused;
    });
    form->ToolButton2Click();
#ifdef _WIN32
    EXPECT_FALSE(cut);
#else
    EXPECT_TRUE(cut);
#endif
    if (cut) {
        EXPECT_EQ(Sent(drive), AfterTheDiscCheck({kChunkFirst}));
        EXPECT_EQ(NewMessages(), Lines{kCommandFailed});
        ExpectIdle();
    } else {
        host.RunWorker();
        EXPECT_EQ(drive->Image(), bytes);
        form->Timer1Timer();
    }
}

using WaitOnTheScreen = DownloadCases<LayoutCase>;

// The window's thread blocks in each drive command: "Wait.." must be on the
// screen before the first one goes out, whichever way the file goes.
TEST_P(WaitOnTheScreen, WaitIsOnTheScreenBeforeTheFirstPiece) {
    const LayoutCase& c = GetParam();
    Prepare(c.bytes, c.drive);
    std::string onScreen = "never painted";
    int barOnScreen = -1;
    backend.onPaint = [&] {
        onScreen = form->StaticText5.Text();
        barOnScreen = form->ProgressBar1.Position();
    };
    std::string atFirstPiece;
    int bootPieces = 0, barsBehind = 0;
    aspi.SetEventSink([&](const sim::AspiEvent& event) {
        const bool piece = !event.cdb.empty() && (event.cdb[0] == 0xFF || event.cdb[0] == 0x1D);
        if (piece && atFirstPiece.empty()) atFirstPiece = onScreen;
        // Each boot-block piece after the first goes out with the bar its
        // predecessor set already on the screen.
        if (event.bufferLength == 76 && bootPieces++ > 0 && barOnScreen != 100 * (bootPieces - 2) / 512) ++barsBehind;
    });
    form->ToolButton2Click();
    host.RunWorker();
    EXPECT_EQ(atFirstPiece, "Wait..");
    EXPECT_EQ(barsBehind, 0);
}

INSTANTIATE_TEST_SUITE_P(Download, WaitOnTheScreen, ::testing::ValuesIn(EachLayout()), CaseName<LayoutCase>);

TEST_F(Download, BarFor64KBImage) {
    Prepare(ChunkedFile(Info(), 2, 32));  // 64 KB
    form->ToolButton2Click();
    std::vector<int> positions;
    for (int tick = 0; tick < 6; ++tick) {
        form->Timer1Timer();
        positions.push_back(form->ProgressBar1.Position());
    }
    EXPECT_EQ(positions, (std::vector<int>{0, 25, 50, 75, 100, 100}));
    EXPECT_EQ(host.directRestarts, 0);  // the worker has not finished
}

TEST(ProgressEstimate, ExpectedTicks) {
    const struct {
        int32_t size, ticks;
    } cases[] = {{64 * 1024, 4}, {1024 * 1024, 70}, {2048 * 1024, 140}, {14 * 1024, 1}, {0, 1}, {15 * 1024, 1}};
    for (const auto& c : cases) EXPECT_EQ(ExpectedTicks(c.size), c.ticks) << c.size;
}

}  // namespace
}  // namespace quillan::test_support
