// The download, byte for byte against the simulated drive: which commands go
// out, from which thread, in which order, and what the user and the calling
// script are told. The expected tables are written out by hand.
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/Quillanabout.h"
#include "flash/download.h"
#include "flash/result_file.h"
#include "support/command_log.h"
#include "support/firmware_files.h"
#include "support/main_form_fixture.h"
#include "platform/run_log.h"
#include "support/scratch_dir.h"

namespace quillan {
namespace {

using test_support::Describe;
using test_support::InfoBlock;
using Lines = std::vector<std::string>;

const char kModel[] = "HALVERN DVD-ROM XD-340  ";
const std::string kTur = "000000000000 0";
const std::string kChunkFirst = "ff0001000000000000000000 32768";
const std::string kChunkMiddle = "ff00010000ff000000000000 32768";
const std::string kChunkLast16 = "ff0001000010000000000000 16384";
const std::string kPage40 = "1d0000000800 8 8800000400400000";
const std::string kReceive = "1c0000000800 8";
const std::string kPageF0 = "1d0000000800 8 8800000400f0ff00";
const std::string kClosing = "1d0000000800 8 8800000400c00000";

std::string Block(int n) {
    char page[17];
    std::snprintf(page, sizeof(page), "8800800400c0%02x00", n);
    return std::string("1d0000800800 32776 ") + page;
}

Lines Repeat(const std::string& line, int n) { return Lines(static_cast<size_t>(n), line); }

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Download : public test_support::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        scratch_ = test_support::FreshScratchDir("quillan-dl");
        LiveResultPath = (scratch_ / "QUILLAN.TMP").string();
        TestResultPath = (scratch_ / "TEST.TMP").string();
        host = test_support::FakeHost(&backend.journal);  // fresh records for each case
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
        if (drive.vendor == sim::DriveSettings().vendor)
            drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
        sim::SimDrive* simDrive = AddDrive(0, 0, drive);
        host.commandLine = std::string("q.exe ") + options;
        Create();
        file_ = std::make_unique<test_support::TempFile>(bytes);
        backend.nextOpenPath = file_->Path();
        form->ToolButton1Click();
        EXPECT_NE(FirmwareImage.Size, 0) << "the file was not accepted";
        mark_ = simDrive->Log().size();
        messagesBefore_ = backend.Messages().size();
        return simDrive;
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
    const std::string& FilePath() const { return file_->Path(); }
    void ShrinkFile(size_t length) { std::filesystem::resize_file(file_->Path(), length); }

    std::filesystem::path scratch_;
    std::unique_ptr<test_support::TempFile> file_;
    size_t mark_ = 0;
    size_t messagesBefore_ = 0;
};

InfoBlock Info(uint8_t chunkKb = 32) {
    InfoBlock info;
    info.model = kModel;
    info.revision = "1.20";
    info.code = "XDA";
    info.chunkKb = chunkKb;
    return info;
}

TEST_F(Download, ChunkedInOneTwoAndThreePieces) {
    const struct Case {
        uint8_t chunkKb, count, lastKb;
        Lines fromWindow;  // after the five TEST UNIT READY of the disc check
        Lines fromWorker;
    } cases[] = {
        {32, 3, 16, {kChunkFirst, kChunkMiddle}, {kChunkLast16}},
        {32, 2, 16, {kChunkFirst}, {kChunkLast16}},
        {60, 1, 60, {}, {"ff000100003c000000000000 61440"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " chunks");
        TearDown();
        SetUp();
        const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(c.chunkKb), c.count, c.lastKb);
        sim::SimDrive* drive = Prepare(bytes);
        form->ToolButton2Click();
        EXPECT_EQ(Sent(drive), Join({Repeat(kTur, 5), c.fromWindow}));
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
        EXPECT_EQ(NewMessages(), Lines{"  Download Ok!!  \nRestart WINDOWS"});
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
}

TEST_F(Download, SingleCommandSkipsTheFirst4KB) {
    InfoBlock info = Info();
    info.chunkKb = 0x11;  // ignored for this kind of file
    info.chunkCount = 0x22;
    const std::vector<uint8_t> bytes = test_support::TrailerFile(65536, info);
    sim::SimDrive* drive = Prepare(bytes);
    ASSERT_TRUE(FirmwareImage.SingleCommand);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), Repeat(kTur, 5));
    EXPECT_EQ(FirmwareImage.ChunkKb, 60);
    host.RunWorker();
    EXPECT_EQ(Sent(drive), Lines{"ff0001000001000000f00000 1024"});
    EXPECT_EQ(drive->SingleCommandData(), std::vector<uint8_t>(bytes.begin() + 4096, bytes.begin() + 5120));
    EXPECT_EQ(Result(), "COMPLETE\r\n");
}

TEST_F(Download, FlashPagesWithAndWithoutTheBootBlock) {
    // A marked file of four blocks (and some bytes no block carries).
    // Marked files take their code from the revision: "1. " on both sides.
    InfoBlock plain = Info();
    const std::vector<uint8_t> four = test_support::MarkedFile(4 * 32768 + 1000, plain);
    sim::SimDrive* drive = Prepare(four, test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10"));
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), Join({Repeat(kTur, 5), {kPage40, kReceive, kPageF0, Block(1), Block(2), Block(3), Block(4)}}));
    host.RunWorker();
    EXPECT_EQ(Sent(drive), Lines{kClosing});
    EXPECT_EQ(drive->Image(), std::vector<uint8_t>(four.begin(), four.begin() + 4 * 32768));
    EXPECT_EQ(Result(), "COMPLETE\r\n");

    // The boot-block model: 512 pieces of its tail block first.
    TearDown();
    SetUp();
    InfoBlock boot = Info();
    boot.model = "VELMORICCD/DVDW VM-R916A";
    const std::vector<uint8_t> trimmed = test_support::MarkedFile(7 * 32768 + 65536, boot);
    sim::DriveSettings velmoric = test_support::DriveOf("VELMORIC", "CD/DVDW VM-R916A", "1.10", "1. ");
    velmoric.page40Accepted = true;
    velmoric.driveCode.clear();
    drive = Prepare(trimmed, velmoric);
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
    EXPECT_EQ(Sent(drive), Join({Repeat(kTur, 5),
                                 {"1d0000000800 8 8800000400dc0000", "1d0000000800 8 8800000400db0000",
                                  "1d0000000800 8 8800000400d80080"},
                                 pieces, {kPage40, kReceive, kPageF0}, blocks}));
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
    const size_t size = 7 * 32768;
    EXPECT_EQ(drive->BootBlock(), std::vector<uint8_t>(trimmed.begin() + size, trimmed.begin() + size + 32768));
    EXPECT_EQ(drive->Image(), std::vector<uint8_t>(trimmed.begin(), trimmed.begin() + size));
}

// A refused boot-block piece leaves its sense key in byte 2 of the buffer,
// the high byte of the next page's length: each piece writes its whole header.
TEST_F(Download, BootBlockPiecesAfterARefusedOne) {
    InfoBlock boot = Info();
    boot.model = "VELMORICCD/DVDW VM-R916A";
    const size_t size = 7 * 32768;  // past 256 KB with the boot block
    const std::vector<uint8_t> bytes = test_support::MarkedFile(size + 65536, boot);
    const auto piece = [](uint16_t address) {
        return std::vector<uint8_t>{0x88, 0x00, 0x00, 0x48, 0x00, 0xD9,
                                    static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    };
    const struct Case {
        const char* name;
        std::vector<uint8_t> refusedPage;
        sim::CommandResult result;
        size_t piecesSent, piecesKept;
    } cases[] = {
        {"third piece, illegal request", piece(0x8080), sim::CommandResult::Check(0x05, 0x26, 0x00), 512, 511},
        {"first piece, medium error", piece(0x8000), sim::CommandResult::Check(0x03, 0x0C, 0x00), 512, 511},
        {"last piece, hardware error", piece(0xFFC0), sim::CommandResult::Check(0x04, 0x44, 0x00), 512, 511},
        // The erase page's status is not examined; a refused begin page
        // leaves out the rest of the boot-block update.
        {"erase page refused", {0x88, 0x00, 0x00, 0x04, 0x00, 0xDB}, sim::CommandResult::Check(0x05, 0x26, 0x00), 512, 512},
        {"begin page refused", {0x88, 0x00, 0x00, 0x04, 0x00, 0xDC}, sim::CommandResult::Check(0x05, 0x26, 0x00), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::DriveSettings velmoric = test_support::DriveOf("VELMORIC", "CD/DVDW VM-R916A", "1.10");
        sim::FaultRule refused;
        refused.dataPrefix = c.refusedPage;
        refused.result = c.result;
        velmoric.faults.push_back(refused);
        sim::SimDrive* drive = Prepare(bytes, velmoric);
        form->ToolButton2Click();
        size_t sent = 0;
        int firstMalformed = -1;
        for (const auto& entry : drive->Log()) {
            if (entry.dataOut.size() != 76) continue;
            std::vector<uint8_t> expected = piece(static_cast<uint16_t>(0x8000 + 64 * sent));
            expected.insert(expected.end(), {0x00, 0x40});
            expected.insert(expected.end(), bytes.begin() + size + 64 * sent, bytes.begin() + size + 64 * (sent + 1));
            expected.insert(expected.end(), {0x00, 0x00});
            if (entry.dataOut != expected && firstMalformed < 0) firstMalformed = static_cast<int>(sent);
            ++sent;
        }
        EXPECT_EQ(firstMalformed, -1);
        EXPECT_EQ(sent, c.piecesSent);
        EXPECT_EQ(drive->BootPiecesReceived(), c.piecesKept);
        EXPECT_EQ(host.workersStarted, 1);
        host.RunWorker();
        EXPECT_EQ(drive->Image(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
    }
}

// The window's thread blocks in each drive command: "Wait.." must be on the
// screen before the first one goes out, whichever way the file goes.
TEST_F(Download, WaitIsOnTheScreenBeforeTheFirstPiece) {
    InfoBlock boot = Info();
    boot.model = "VELMORICCD/DVDW VM-R916A";
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* driveCode;
        const char* model;
    } cases[] = {
        {"chunked", test_support::ChunkedFile(Info(), 3, 16), "XDA", "DVD-ROM XD-340  "},
        {"single command", test_support::TrailerFile(65536, Info()), "XDA", "DVD-ROM XD-340  "},
        {"flash pages", test_support::MarkedFile(2 * 32768, Info()), "", "DVD-ROM XD-340  "},
        {"boot block", test_support::MarkedFile(7 * 32768 + 65536, boot), "", "CD/DVDW VM-R916A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const bool velmoric = std::string(c.model) == "CD/DVDW VM-R916A";
        Prepare(c.bytes, test_support::DriveOf(velmoric ? "VELMORIC" : "HALVERN ", c.model, "1.10", c.driveCode));
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
            if (event.bufferLength == 76 && bootPieces++ > 0 && barOnScreen != 100 * (bootPieces - 2) / 512)
                ++barsBehind;
        });
        form->ToolButton2Click();
        host.RunWorker();
        EXPECT_EQ(atFirstPiece, "Wait..");
        EXPECT_EQ(barsBehind, 0);
    }
}

// While the boot-block update lets the window's messages through, the user's
// input must not reach the window: a drive change would rewrite the buffer
// and talk to the other drive between two pieces.
TEST_F(Download, InputWhileTheBootBlockUpdateLetsMessagesThrough) {
    InfoBlock boot = Info();
    boot.model = "VELMORICCD/DVDW VM-R916A";
    const size_t size = 7 * 32768;
    const std::vector<uint8_t> bytes = test_support::MarkedFile(size + 65536, boot);
    using Input = std::function<void(TMainForm&, toolkit::HeadlessBackend&)>;
    const struct Case {
        const char* name;
        Input give;
    } cases[] = {
        {"another drive chosen", [](TMainForm& f, toolkit::HeadlessBackend&) { f.ComboBox1.Choose(1); }},
        {"F9", [](TMainForm&, toolkit::HeadlessBackend& b) { b.onKeyDown(0x78); }},
        {"open button", [](TMainForm& f, toolkit::HeadlessBackend&) { f.Image2.onClick(); }},
        {"start button", [](TMainForm& f, toolkit::HeadlessBackend&) { f.Image3.onClick(); }},
        {"about button", [](TMainForm& f, toolkit::HeadlessBackend&) { f.Image4.onClick(); }},
        {"exit button", [](TMainForm& f, toolkit::HeadlessBackend&) { f.Image5.onClick(); }},
        {"start button pressed", [](TMainForm& f, toolkit::HeadlessBackend&) {
             f.Image3.onMouseDown(toolkit::MouseButton::Left, 3, 3);
         }},
        {"window dragged", [](TMainForm&, toolkit::HeadlessBackend& b) { b.onFormMouseDown(toolkit::MouseButton::Left); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::SimDrive* other = AddDrive(0, 1, test_support::DriveOf("BRISKO  ", "CD-RW CR-5224   ", "2.00", "CRA"));
        sim::SimDrive* drive = Prepare(bytes, test_support::DriveOf("VELMORIC", "CD/DVDW VM-R916A", "1.10"));
        TAboutForm about(backend);
        form->AboutForm = &about;
        const size_t otherHeard = other->Log().size();
        const toolkit::Bounds startButton = form->Image3.GetBounds();
        InfoBlock another = Info();
        another.model = "BRISKO  CD-RW CR-5224   ";
        test_support::TempFile anotherFile(test_support::ChunkedFile(another, 2, 16), "OTHER.BIN");
        backend.nextOpenPath = anotherFile.Path();
        int pumps = 0;
        backend.onProcessMessages = [&] {
            if (++pumps == 3) c.give(*form, backend);
        };
        backend.journal.clear();
        form->ToolButton2Click();
        host.RunWorker();
        form->Timer1Timer();
        EXPECT_EQ(drive->BootBlock(), std::vector<uint8_t>(bytes.begin() + size, bytes.begin() + size + 32768));
        EXPECT_EQ(drive->Image(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
        EXPECT_EQ(other->Log().size(), otherHeard);
        EXPECT_EQ(NewMessages(), Lines{"  Download Ok!!  \nRestart WINDOWS"});
        EXPECT_EQ(form->selectedDrive, 0);
        EXPECT_EQ(form->ComboBox1.ItemIndex(), 0);
        EXPECT_EQ(host.workersStarted, 1);
        EXPECT_FALSE(about.Form().Visible());
        EXPECT_FALSE(backend.closed);
        EXPECT_EQ(form->Image3.GetBounds().left, startButton.left);
        EXPECT_EQ(std::count(backend.journal.begin(), backend.journal.end(), "drag"), 0);
        EXPECT_EQ(host.directRestarts, 1);
        // The run is over: the window takes input again.
        form->Image5.onClick();
        EXPECT_TRUE(backend.closed);
    }
}

// The worker's final command, held until the test lets it go, so that the
// window's thread takes the user's input while the last piece is under way.
struct FinalCommandGate {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread::id windowThread = std::this_thread::get_id();
    bool inside = false;
    bool released = false;
};
FinalCommandGate* finalCommandGate = nullptr;

uint32_t SendHoldingTheWorker(void* srb) {
    FinalCommandGate& gate = *finalCommandGate;
    if (std::this_thread::get_id() != gate.windowThread) {
        std::unique_lock<std::mutex> lock(gate.mutex);
        gate.inside = true;
        gate.changed.notify_all();
        gate.changed.wait(lock, [&] { return gate.released; });
    }
    return sim::SimSendASPI32Command(srb);
}

// Both threads real: the user changes the drive, asks for F9, starts again
// and presses exit while the worker sends the last piece, and keeps pressing
// exit while the timer polls for the worker's end. The last piece goes out
// whole, the other drive hears nothing, and the run ends in the restart.
TEST_F(Download, InputWhileTheWorkerSendsTheLastPiece) {
    sim::SimDrive* other = AddDrive(0, 1, test_support::DriveOf("BRISKO  ", "CD-RW CR-5224   ", "2.00", "CRA"));
    host.realThread = true;
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 3, 16);
    sim::SimDrive* drive = Prepare(bytes);
    const size_t otherHeard = other->Log().size();
    FinalCommandGate gate;
    finalCommandGate = &gate;
    SendASPI32Command = SendHoldingTheWorker;

    form->ToolButton2Click();
    {
        std::unique_lock<std::mutex> lock(gate.mutex);
        gate.changed.wait(lock, [&] { return gate.inside; });
    }
    form->ComboBox1.Choose(1);
    backend.onKeyDown(0x78);
    form->Image3.onClick();
    form->Image5.onClick();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.released = true;
    }
    gate.changed.notify_all();
    do {
        form->Image5.onClick();
        form->Timer1Timer();
    } while (form->Timer1.Enabled());
    host.JoinWorker();
    SendASPI32Command = sim::SimSendASPI32Command;
    finalCommandGate = nullptr;

    EXPECT_EQ(drive->Image(), bytes);
    EXPECT_EQ(other->Log().size(), otherHeard);
    EXPECT_EQ(Result(), "COMPLETE\r\n");
    EXPECT_EQ(NewMessages(), Lines{"  Download Ok!!  \nRestart WINDOWS"});
    EXPECT_EQ(form->selectedDrive, 0);
    EXPECT_EQ(form->ComboBox1.ItemIndex(), 0);
    EXPECT_FALSE(backend.closed);
    EXPECT_EQ(host.directRestarts, 1);
}

TEST_F(Download, AFailedF0StillSendsTheFirstBlock) {
    sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10");
    sim::FaultRule f0Fails;
    f0Fails.dataPrefix = {0x88, 0x00, 0x00, 0x04, 0x00, 0xF0};
    f0Fails.result = sim::CommandResult::Check(0x05, 0x26, 0x00);
    drive.faults.push_back(f0Fails);
    sim::SimDrive* simDrive = Prepare(test_support::MarkedFile(2 * 32768, Info()), drive);
    form->ToolButton2Click();
    EXPECT_EQ(Sent(simDrive), Join({Repeat(kTur, 5), {kPage40, kReceive, kPageF0, Block(1), Block(2)}}));
    EXPECT_EQ(host.workersStarted, 1);
    EXPECT_EQ(NewMessages(), Lines{});
}

TEST_F(Download, EachPieceFailingInTurn) {
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 3, 16);
    const struct Case {
        const char* name;
        std::vector<uint8_t> cdbPrefix;
        uint32_t match;
        Lines sent;
    } cases[] = {
        {"first chunk", {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00}, 1, {kChunkFirst}},
        {"middle chunk", {0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF}, 1, {kChunkFirst, kChunkMiddle}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
        sim::FaultRule fails;
        fails.cdbPrefix = c.cdbPrefix;
        fails.matchNumber = c.match;
        fails.result = sim::CommandResult::Check(0x03, 0x0C, 0x00);
        drive.faults.push_back(fails);
        sim::SimDrive* simDrive = Prepare(bytes, drive);
        form->ToolButton2Click();
        EXPECT_EQ(Sent(simDrive), Join({Repeat(kTur, 5), c.sent}));
        EXPECT_EQ(NewMessages(), Lines{"Flash Cmd Fail!!"});
        EXPECT_EQ(Result(), "START\r\n");
        EXPECT_EQ(host.workersStarted, 0);
        EXPECT_FALSE(form->Timer1.Enabled());
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(backend.hourglass);
    }
}

// What support reads after a chunked download whose second piece the drive
// refused: which drive, which file, the power supply, each command and the
// drive's answer, the box the user saw, the result line the calling script
// got, and the keep-awake request with its release.
TEST_F(Download, RunLogOfAFailedChunkedDownload) {
    SetRunLogClock([] { return std::string("12:00:00.000"); });
    sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
    sim::FaultRule fails;
    fails.cdbPrefix = {0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF};
    fails.result = sim::CommandResult::Check(0x03, 0x0C, 0x00);
    drive.faults.push_back(fails);
    Prepare(test_support::ChunkedFile(Info(), 3, 16), drive);
    form->ToolButton2Click();
    SetRunLogClock(nullptr);

    // The log lies beside the result file; each line is stamped and ends CR LF.
    std::ifstream in(scratch_ / "QUILLAN.LOG", std::ios::binary);
    Lines log;
    for (std::string line; std::getline(in, line);) {
        ASSERT_EQ(line.back(), '\r');
        log.push_back(line.substr(0, line.size() - 1));
    }
    const std::string t = "12:00:00.000 window ";
    const std::string result = (scratch_ / "QUILLAN.TMP").string();
    const auto from = std::find_if(log.begin(), log.end(), [&](const std::string& l) {
        return l.rfind(t + "file \"", 0) == 0;
    });
    ASSERT_NE(from, log.end()) << "no line for the loaded file";
    EXPECT_EQ(from->substr(0, from->find(": 81920")), t + "file \"" + file_->Path() + "\"");
    EXPECT_NE(from->find(": 81920 bytes, layout trailer, model \"HALVERN DVD-ROM XD-340  \" revision \"1.20\" code "
                         "\"XDA\", image 81920 bytes in 3 x 32 KB, sha-256 "),
              std::string::npos)
        << *from;
    const std::string tur = t + "command 00 00 00 00 00 00, in 0 -> status 4, sense 2/3A/00";
    const Lines expected = {
        t + "opened file for list entry 0: accepted",
        tur, tur, tur, tur, tur,
        t + "power at the start: AC online, battery unknown: the download goes on",
        t + "sleep held off: Windows is asked to keep the system awake",
        t + "result START written to " + result,
        t + "command FF 00 01 00 00 00 00 00 00 00 00 00, out 32768 -> status 1 good",
        t + "command FF 00 01 00 00 FF 00 00 00 00 00 00, out 32768 -> status 4, sense 3/0C/00",
        t + "box \"MESSAGE\": Flash Cmd Fail!!",
        t + "sleep allowed again: the keep-awake request is withdrawn",
    };
    EXPECT_EQ(Lines(from + 1, log.end()), expected);
    EXPECT_EQ(log.front(), t + "start: Quillan 3.23.3, command line \"q.exe -LIVE\", Windows 4.10.2222");
    EXPECT_NE(std::find(log.begin(), log.end(),
                        t + "drive 0 found at ha 0 target 0: \"HALVERN \" \"DVD-ROM XD-340  \" \"1.10\""),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        t + "identity of device 0: \"HALVERN DVD-ROM XD-340  \" \"1.10\" code \"XDA\" (read from the drive)"),
              log.end());
}

TEST_F(Download, WorkerThatCannotStartIsACommandFailure) {
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* driveCode;  // marked files take theirs from the revision
    } cases[] = {
        {"chunked", test_support::ChunkedFile(Info(), 3, 16), "XDA"},
        {"single command", test_support::TrailerFile(65536, Info()), "XDA"},
        {"flash pages", test_support::MarkedFile(2 * 32768, Info()), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Prepare(c.bytes, test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", c.driveCode));
        host.workerStartFails = true;
        backend.journal.clear();
        form->ToolButton2Click();
        Lines seen;
        for (const std::string& entry : backend.journal)
            if (entry.rfind("Timer1", 0) == 0 || entry.rfind("message", 0) == 0) seen.push_back(entry);
        EXPECT_EQ(seen, (Lines{"Timer1 on", "Timer1 off", "message: Flash Cmd Fail!!"}));
        EXPECT_FALSE(form->Timer1.Enabled());
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(backend.hourglass);
        EXPECT_EQ(Result(), "START\r\n");
    }
}

TEST_F(Download, FinalCommandFailing) {
    sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
    sim::FaultRule lastFails;
    lastFails.cdbPrefix = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x10};
    lastFails.result = sim::CommandResult::Aspi(0x02);
    drive.faults.push_back(lastFails);
    Prepare(test_support::ChunkedFile(Info(), 3, 16), drive);  // 80 KB: 5 ticks expected
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
    sim::SimDrive* drive = Prepare(test_support::ChunkedFile(Info(), 2, 16), {}, "-TEST fw.bin");
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
    Prepare(test_support::ChunkedFile(Info(), 2, 16));
    RunModes flags;
    flags.ntPlatform = true;
    StartDownload(*form, flags, 0);
    host.RunWorker();
    ProgressTick(*form, flags);
    EXPECT_EQ(host.restarts, 1);
    EXPECT_EQ(host.directRestarts, 0);
}

// Between loading and the download the file was replaced by another
// model's image of the same size, grew, or shrank: the download sends
// nothing after the disc check, whichever way the file would go.
TEST_F(Download, FileChangedSinceLoadingSendsNothing) {
    InfoBlock boot = Info();
    boot.model = "VELMORICCD/DVDW VM-R916A";
    sim::DriveSettings velmoric = test_support::DriveOf("VELMORIC", "CD/DVDW VM-R916A", "1.10");
    InfoBlock other = Info();
    other.model = "HALVERN DVD-ROM XD-341  ";
    const std::vector<uint8_t> chunked = test_support::ChunkedFile(Info(), 3, 16);
    const std::vector<uint8_t> single = test_support::TrailerFile(65536, Info());
    const std::vector<uint8_t> bootBlock = test_support::MarkedFile(7 * 32768 + 65536, boot);
    const auto otherModel = [&](const std::vector<uint8_t>& like) {
        std::vector<uint8_t> bytes = test_support::ImageBytes(like.size(), 9);
        test_support::PutBlock(bytes, like.size() - 48, other);
        return bytes;
    };
    const auto grown = [](std::vector<uint8_t> bytes) {
        bytes.resize(bytes.size() + 1024, 0x5A);
        return bytes;
    };
    const auto cut = [](const std::vector<uint8_t>& bytes, size_t length) {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(length));
    };
    const struct Case {
        const char* name;
        const std::vector<uint8_t>& loaded;
        std::vector<uint8_t> onDisk;
        bool boot;
    } cases[] = {
        {"chunked, replaced", chunked, otherModel(chunked), false},
        {"chunked, grown", chunked, grown(chunked), false},
        {"chunked, shrunk into its second piece", chunked, cut(chunked, 32768 + 1000), false},
        {"single command, replaced", single, otherModel(single), false},
        {"single command, grown", single, grown(single), false},
        {"single command, shrunk past its first 4 KB", single, cut(single, 8000), false},
        {"boot block, replaced", bootBlock, otherModel(bootBlock), true},
        {"boot block, grown", bootBlock, grown(bootBlock), true},
        {"boot block, shrunk into the boot block", bootBlock, cut(bootBlock, 7 * 32768 + 16384), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::SimDrive* drive = c.boot ? Prepare(c.loaded, velmoric) : Prepare(c.loaded);
        {
            std::ofstream rewrite(FilePath(), std::ios::binary | std::ios::trunc);
            rewrite.write(reinterpret_cast<const char*>(c.onDisk.data()), static_cast<std::streamsize>(c.onDisk.size()));
        }
        form->ToolButton2Click();
        EXPECT_EQ(Sent(drive), Repeat(kTur, 5));
        EXPECT_EQ(NewMessages(), Lines{"Flash File Not Opened!!"});
        EXPECT_EQ(Result(), "START\r\n");
        EXPECT_EQ(host.workersStarted, 0);
        EXPECT_FALSE(form->Timer1.Enabled());
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(backend.hourglass);
        EXPECT_EQ(form->StaticText5.Text(), "Ready");
    }
}

#ifdef _WIN32
// From the check before the first command to the end of the download nobody
// can write to the file; afterwards they can again.
TEST_F(Download, NobodyWritesTheFileWhileTheDownloadRuns) {
    Prepare(test_support::ChunkedFile(Info(), 3, 16));
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

// A read that falls short after the check sends no partial piece. Only
// natively can the file be cut then: Windows keeps writers out until the
// download ends, and the whole image goes out.
TEST_F(Download, ShortReadInTheMiddleSendsNoPartialPiece) {
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 3, 16);
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
        EXPECT_EQ(Sent(drive), Join({Repeat(kTur, 5), {kChunkFirst}}));
        EXPECT_EQ(NewMessages(), Lines{"Flash Cmd Fail!!"});
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(backend.hourglass);
        EXPECT_EQ(host.workersStarted, 0);
    } else {
        host.RunWorker();
        EXPECT_EQ(drive->Image(), bytes);
        form->Timer1Timer();
    }
}

TEST_F(Download, NoFileNoDownload) {
    sim::SimDrive* drive = Prepare(test_support::ChunkedFile(Info(), 2, 16));
    std::filesystem::remove(FilePath());
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), Repeat(kTur, 5));
    EXPECT_EQ(NewMessages(), Lines{"Flash File Not Opened!!"});
    EXPECT_EQ(Result(), "START\r\n");

    // After a change of drive the loaded file is gone too.
    TearDown();
    SetUp();
    Prepare(test_support::ChunkedFile(Info(), 2, 16));
    AddDrive(0, 1, test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
    FirmwareImage.Size = 0;  // what a change of drive leaves
    form->ToolButton2Click();
    EXPECT_EQ(NewMessages(), Lines{"Flash File Not Opened!!"});
    EXPECT_EQ(host.workersStarted, 0);
}

// The DMA check of the XN-870 on the NT family, and the disc check.
TEST_F(Download, PreCheckMatrix) {
    const std::string key = "Hardware\\DeviceMap\\Scsi\\Scsi Port ";
    const char* kDma = "DMA mode is not supported by this drive.\n"
                       "Exit the application, switch the transfer mode to PIO mode,\n"
                       "and attempt to flash the drive.";
    const char* kPio = "This application support PIO mode only for stable download.\n"
                       "Exit the application, switch to PIO mode and attempt again.";
    const char* kDisc = "Remove the Disc in the Drive !!";
    const struct Case {
        const char* name;
        const char* code;
        int position;  // -1: the drive has no port position
        bool keyExists;
        std::vector<uint8_t> dma;  // empty: no value
        bool disc;
        const char* options;
        Lines messages;
        const char* result;
        bool closed;
        Lines sentAfterChecks;
    } cases[] = {
        {"even position, bit 0 set", "XNA", 0, true, {0x01, 0, 0, 0}, false, "-LIVE", {kDma}, "FAIL2\r\n", true, {}},
        {"even position, only bit 1", "XNA", 2, true, {0x02, 0, 0, 0}, false, "-LIVE", {"Flash File Not Opened!!"}, "START\r\n", false, {}},
        {"odd position, bit 1 set, GNE wording", "GNE", 1, true, {0x02, 0, 0, 0}, false, "-LIVE", {kPio}, "FAIL2\r\n", true, {}},
        {"key missing", "XNA", 3, false, {}, false, "-LIVE", {"Reg Read Fail", "Registry Error !!"}, "FAIL3\r\n", false, {}},
        {"value missing", "XNA", 3, true, {}, false, "-LIVE", {"Registry Error !!"}, "FAIL3\r\n", false, {}},
        {"no port position", "XNA", -1, true, {}, false, "-LIVE", {"Registry Error !!"}, "FAIL3\r\n", false, {}},
        {"disc beats the DMA bit", "YNE", 0, true, {0x01, 0, 0, 0}, true, "-LIVE", {kDisc}, "FAIL4\r\n", false, {"1b0000000200 0"}},
        {"disc beats a missing key", "XNA", 0, false, {}, true, "-LIVE", {"Reg Read Fail", kDisc}, "FAIL4\r\n", false, {"1b0000000200 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::DriveSettings xn870 = test_support::DriveOf("HALVERN ", "CD-ROM XN-870   ", "1.00", c.code);
        InfoBlock info = Info();
        info.model = "HALVERN CD-ROM XN-870   ";
        info.code = c.code;
        info.chunkCount = 2;
        sim::SimDrive* drive = Prepare(test_support::ChunkedFile(info, 2, 16), xn870, c.options);
        if (c.disc) {
            // Load a disc after start-up (the file was opened without one).
            sim::DriveSettings loaded = xn870;
            loaded.discLoaded = true;
            drive = AddDrive(0, 0, loaded);
            mark_ = 0;
        }
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
}

TEST_F(Download, TestModeWithADiscSendsNoEjectAndShowsNothing) {
    sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
    sim::SimDrive* simDrive = Prepare(test_support::ChunkedFile(Info(), 2, 16), drive, "-TEST fw.bin");
    drive.discLoaded = true;
    simDrive = AddDrive(0, 0, drive);
    mark_ = 0;
    form->ToolButton2Click();
    EXPECT_EQ(Sent(simDrive), Repeat(kTur, 1));
    EXPECT_EQ(NewMessages(), Lines{});
    EXPECT_EQ(ReadAll(TestResultPath), "FAIL4\r\n");
    EXPECT_TRUE(simDrive->DiscLoaded());
}

TEST_F(Download, AutoStartModeSkipsTheDiscCheck) {
    sim::SimDrive* drive = Prepare(test_support::ChunkedFile(Info(), 2, 16));
    FirmwareImage.StartupReady = true;
    form->ToolButton2Click();
    EXPECT_EQ(Sent(drive), Lines{kChunkFirst});
}

// Puts the current folder back when the test leaves, as the file dialog
// does not.
class CurrentFolderKept {
public:
    CurrentFolderKept() : kept_(std::filesystem::current_path()) {}
    ~CurrentFolderKept() { std::filesystem::current_path(kept_); }

private:
    std::filesystem::path kept_;
};

// The automatic start flashes the AUTORUN.BIN that start-up checked, found by
// its full path, and only once no dialog or message box of the program is
// open; a file opened by hand in the meantime ends it without a download.
TEST_F(Download, AutomaticStartFlashesOnlyTheFileStartUpChecked) {
    const std::vector<uint8_t> checked = test_support::ChunkedFile(Info(), 3, 16);
    InfoBlock otherModel = Info();
    otherModel.model = "HALVERN DVD-ROM XD-341  ";
    const std::vector<uint8_t> otherFolders = test_support::ChunkedFile(otherModel, 2, 16);
    const std::vector<uint8_t> byHand = test_support::ChunkedFile(Info(), 2, 32);
    const std::filesystem::path here = scratch_ / "here", there = scratch_ / "there";
    std::function<void()> timer3Fires;  // the timer's tick, whenever it comes
    using Action = std::function<void(TMainForm&, TAboutForm&)>;
    const struct Case {
        const char* name;
        Action meanwhile;  // what the user does; the timer may fire in it
        bool flashed;
    } cases[] = {
        {"the file dialog browses to another folder and is cancelled",
         [&](TMainForm& f, TAboutForm&) {
             backend.nextOpenPath.clear();
             backend.whileModal = [&] {
                 std::filesystem::current_path(there);
                 timer3Fires();
             };
             f.Image2.onClick();
         },
         true},
        {"the F9 box shows",
         [&](TMainForm&, TAboutForm&) {
             backend.whileModal = timer3Fires;
             backend.onKeyDown(0x78);
         },
         true},
        {"the About box shows",
         [&](TMainForm& f, TAboutForm& about) {
             f.Image4.onClick();
             timer3Fires();
             about.Button1Click();
         },
         true},
        {"a file is opened by hand",
         [&](TMainForm& f, TAboutForm&) {
             backend.nextOpenPath = (there / "BYHAND.BIN").string();
             f.Image2.onClick();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        CurrentFolderKept folder;
        std::filesystem::create_directories(here);
        std::filesystem::create_directories(there);
        const auto write = [](const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        };
        write(here / "AUTORUN.BIN", checked);
        write(there / "AUTORUN.BIN", otherFolders);
        write(there / "BYHAND.BIN", byHand);
        std::filesystem::current_path(here);
        LiveResultPath = "QUILLAN.TMP";
        sim::SimDrive* drive = AddDrive(0, 0, test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
        host.commandLine = "q.exe -LIVE";
        Create();
        TAboutForm about(backend);
        form->AboutForm = &about;
        form->FormShow();
        ASSERT_TRUE(form->Timer3.Enabled());
        timer3Fires = [&] {
            if (form->Timer3.Enabled()) form->Timer3Timer();
        };
        const auto flashCommands = [&] {  // FLASH DOWNLOAD, not READ DRIVE CODE
            return std::count_if(drive->Log().begin(), drive->Log().end(),
                                 [](const sim::LogEntry& e) { return e.cdb[0] == 0xFF && e.cdb[2] == 0x01; });
        };

        c.meanwhile(*form, about);
        backend.whileModal = nullptr;
        EXPECT_EQ(flashCommands(), 0) << "flashed while a dialog or box was open";
        timer3Fires();
        host.RunWorker();
        EXPECT_FALSE(form->Timer3.Enabled());
        if (c.flashed) {
            form->Timer1Timer();  // the run ends, and lets go of the file
            EXPECT_EQ(host.directRestarts, 1);
            EXPECT_EQ(drive->Image(), checked);
            EXPECT_EQ(ReadAll((here / "QUILLAN.TMP").string()), "COMPLETE\r\n");
            EXPECT_FALSE(std::filesystem::exists(there / "QUILLAN.TMP"));
        } else {
            EXPECT_EQ(flashCommands(), 0);
            EXPECT_EQ(ReadAll((here / "QUILLAN.TMP").string()), "FAIL0\r\n");
            // Start-up never checked the hand-opened file's drive for a disc
            // put in since: the user's own start does.
            const size_t before = drive->Log().size();
            form->ToolButton2Click();
            const Lines sent = Describe(drive->Log(), before);
            ASSERT_GE(sent.size(), 5u);
            EXPECT_EQ(Lines(sent.begin(), sent.begin() + 5), Repeat(kTur, 5));
            host.RunWorker();
            form->Timer1Timer();
        }
    }
}

TEST_F(Download, NoDriveListedNothingIsSent) {
    // A hard disk at adapter 0, target 0 answers everything but is no drive of ours.
    sim::DriveSettings disk;
    disk.deviceType = 0x00;
    disk.driveCode = "XDA";
    sim::SimDrive* hardDisk = AddDrive(0, 0, disk);
    host.commandLine = "q.exe -NOCHECK";
    Create();
    file_ = std::make_unique<test_support::TempFile>(test_support::ChunkedFile(Info(), 2, 16));
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
TEST_F(Download, NoDriveListedEndsAsWithoutAUsableFile) {
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 2, 16);
    const struct Case {
        const char* name;
        bool startupFile;  // AUTORUN.BIN beside the program
        bool openByHand;   // the user opens a file, which the rules refuse
    } cases[] = {
        {"no file at all", false, false},
        {"a file opened by hand, refused", false, true},
        {"a start-up file that fits no drive", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        // A hard disk at adapter 0, target 0 answers everything but is no drive of ours.
        sim::DriveSettings disk;
        disk.deviceType = 0x00;
        disk.driveCode = "XDA";
        sim::SimDrive* hardDisk = AddDrive(0, 0, disk);
        host.commandLine = "q.exe -LIVE";
        file_ = std::make_unique<test_support::TempFile>(bytes, "AUTORUN.BIN");
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
        EXPECT_EQ(MessageTexts().back(), "Flash File Not Opened!!");
        EXPECT_EQ(Result(), "START\r\n");
        EXPECT_EQ(form->StaticText5.Text(), status);
        EXPECT_EQ(host.workersStarted, 0);
        EXPECT_FALSE(backend.inputHeld);
        EXPECT_FALSE(backend.captured);
    }
}

// Refused pieces, or no thread for the last one, leave the program idle, and
// the status says the download failed, as the worker says it. A start that
// ends before "Wait.." leaves the status as it was.
TEST_F(Download, AFailedStartSaysFail) {
    sim::FaultRule chunkRefused;
    chunkRefused.cdbPrefix = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00};
    chunkRefused.result = sim::CommandResult::Check(0x03, 0x0C, 0x00);
    sim::FaultRule blockRefused;
    blockRefused.cdbPrefix = {0x1D, 0x00, 0x00, 0x80, 0x08};
    blockRefused.matchNumber = 2;
    blockRefused.result = sim::CommandResult::Check(0x03, 0x0C, 0x00);
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* driveCode;  // marked files take theirs from the revision
        std::vector<sim::FaultRule> faults;
        bool noThread, discLoaded, fileGone;
        const char* message;
        const char* status;
    } cases[] = {
        {"chunked, first piece refused", test_support::ChunkedFile(Info(), 3, 16), "XDA", {chunkRefused}, false, false,
         false, "Flash Cmd Fail!!", "Fail"},
        {"flash pages, second block refused", test_support::MarkedFile(3 * 32768, Info()), "", {blockRefused}, false,
         false, false, "Flash Cmd Fail!!", "Fail"},
        {"no thread for the last piece", test_support::ChunkedFile(Info(), 3, 16), "XDA", {}, true, false, false,
         "Flash Cmd Fail!!", "Fail"},
        {"file gone", test_support::ChunkedFile(Info(), 3, 16), "XDA", {}, false, false, true,
         "Flash File Not Opened!!", "Ready"},
        {"disc in the drive", test_support::ChunkedFile(Info(), 3, 16), "XDA", {}, false, true, false,
         "Remove the Disc in the Drive !!", "Ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::DriveSettings drive = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", c.driveCode);
        drive.faults = c.faults;
        drive.discLoaded = c.discLoaded;
        Prepare(c.bytes, drive);
        ASSERT_EQ(form->StaticText5.Text(), "Ready");
        host.workerStartFails = c.noThread;
        if (c.fileGone) std::filesystem::remove(FilePath());
        form->ToolButton2Click();
        EXPECT_EQ(NewMessages(), Lines{c.message});
        EXPECT_EQ(form->StaticText5.Text(), c.status);
        EXPECT_EQ(host.workersStarted, 0);
        EXPECT_FALSE(backend.inputHeld);
    }
}

// The worker has sent the final command and the restart did not come (refused
// on the NT family, or an ExitWindowsEx of Windows 9x that failed): the drive
// must not get the image a second time, and the window and the result file
// keep what the download ended with.
TEST_F(Download, AfterTheWorkersEndNothingStartsAnotherDownload) {
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 2, 16);
    const struct Case {
        const char* name;
        bool nt;
        std::function<void(TMainForm&)> command;
    } cases[] = {
        {"Start Download, restart refused on the NT family", true, [](TMainForm& f) { f.Image3.onClick(); }},
        {"Start Download, Windows 9x still running", false, [](TMainForm& f) { f.Image3.onClick(); }},
        {"the automatic start's timer", false, [](TMainForm& f) { f.Timer3Timer(); }},
        {"opening a file", false, [](TMainForm& f) { f.Image2.onClick(); }},
        {"choosing the other drive", false, [](TMainForm& f) { f.ComboBox1.Choose(1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        AddDrive(0, 1, test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
        sim::SimDrive* flashed = Prepare(bytes);
        form->runModes.ntPlatform = c.nt;
        host.restartAccepted = false;
        form->ToolButton2Click();
        host.RunWorker();
        form->Timer1Timer();
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
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// The power supply is asked only once the other pre-checks have passed. On
// battery below 25 % nothing is sent, FAIL5 tells the calling script, and the
// program stays idle, so that the user can plug in and start again; an
// unknown AC state or charge does not refuse.
TEST_F(Download, PowerSupplyAtTheStart) {
    const char* kLow = "Low Battery !!\nConnect the Power Adapter, then Start Download again.";
    const char* kDisc = "Remove the Disc in the Drive !!";
    const struct Case {
        const char* name;
        PowerStatus power;
        bool disc;
        const char* logged;  // the decision's line, "" when the power is not asked
        Lines messages;
        const char* result;
    } cases[] = {
        {"AC online, battery low", {kAcOnline, 10}, false, "AC online, battery 10 %: the download goes on", {}, "START\r\n"},
        {"battery 80 %", {kAcOffline, 80}, false, "AC offline, battery 80 %: the download goes on", {}, "START\r\n"},
        {"battery 25 %", {kAcOffline, 25}, false, "AC offline, battery 25 %: the download goes on", {}, "START\r\n"},
        {"battery 24 %", {kAcOffline, 24}, false, "AC offline, battery 24 %: refused, on battery below 25 %", {kLow}, "FAIL5\r\n"},
        {"battery 10 %", {kAcOffline, 10}, false, "AC offline, battery 10 %: refused, on battery below 25 %", {kLow}, "FAIL5\r\n"},
        {"battery, charge unknown", {kAcOffline, kPowerUnknown}, false, "AC offline, battery unknown: the download goes on", {}, "START\r\n"},
        {"AC unknown, 10 %", {kPowerUnknown, 10}, false, "AC unknown, battery 10 %: the download goes on", {}, "START\r\n"},
        {"all unknown", {kPowerUnknown, kPowerUnknown}, false, "AC unknown, battery unknown: the download goes on", {}, "START\r\n"},
        // The disc keeps its outcome and its line.
        {"battery 10 %, disc in the drive", {kAcOffline, 10}, true, "", {kDisc}, "FAIL4\r\n"},
    };
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 3, 16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::SimDrive* drive = Prepare(bytes);
        if (c.disc) {
            sim::DriveSettings loaded = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
            loaded.discLoaded = true;
            drive = AddDrive(0, 0, loaded);
            mark_ = 0;
        }
        host.power = c.power;
        backend.journal.clear();
        form->ToolButton2Click();
        const bool refused = std::string(c.result) != "START\r\n";
        const Lines tries = c.disc ? Lines{kTur, "1b0000000200 0"} : Repeat(kTur, 5);
        EXPECT_EQ(Sent(drive), Join({tries, refused ? Lines{} : Lines{kChunkFirst, kChunkMiddle}}));
        EXPECT_EQ(NewMessages(), c.messages);
        if (!c.messages.empty()) {
            EXPECT_EQ(backend.Messages().back().icon, toolkit::BoxIcon::Error);
            EXPECT_TRUE(backend.Messages().back().systemModal);
            EXPECT_TRUE(backend.Messages().back().owned);
        }
        EXPECT_EQ(Result(), c.result);
        const std::string log = ReadAll((scratch_ / "QUILLAN.LOG").string());
        if (*c.logged != '\0') {
            EXPECT_EQ(Occurrences(log, std::string("window power at the start: ") + c.logged + "\r\n"), 1u) << log;
        } else {
            EXPECT_EQ(Occurrences(log, "power at the start"), 0u);
        }
        EXPECT_EQ(host.workersStarted, refused ? 0 : 1);
        if (!refused) {
            host.RunWorker();
            form->Timer1Timer();
            EXPECT_EQ(drive->Image(), bytes);
            continue;
        }
        // Idle: nothing was held, and a start once the adapter is in goes through.
        EXPECT_EQ(std::count(backend.journal.begin(), backend.journal.end(), "keep awake"), 0);
        EXPECT_FALSE(backend.inputHeld);
        EXPECT_FALSE(backend.captured);
        EXPECT_FALSE(form->Timer1.Enabled());
        host.power = {kAcOnline, c.power.batteryPercent};
        form->ToolButton2Click();
        host.RunWorker();
        form->Timer1Timer();
        EXPECT_EQ(drive->Image(), bytes);
        EXPECT_EQ(Result(), "COMPLETE\r\n");
        EXPECT_EQ(host.directRestarts, 1);
    }
}

// From the passed pre-checks to the download's end, and only then, Windows
// is kept awake, the window refuses the end of the session (each refusal in
// the log) and the shutdown screen has the program's reason. Every way out
// gives them back, and before the program's own restart: asked any later,
// the restart would be refused by the program itself.
TEST_F(Download, OutsideHeldOffFromThePreChecksToTheEnd) {
    enum class End { Restart, RestartNt, WindowClosed, CommandFailed, FileNotOpened };
    sim::DriveSettings refusesTheMiddle = test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA");
    sim::FaultRule middle;
    middle.cdbPrefix = {0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF};
    middle.result = sim::CommandResult::Check(0x03, 0x0C, 0x00);
    refusesTheMiddle.faults.push_back(middle);
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        sim::DriveSettings drive;
        const char* options;
        End end;
        int pumps;  // the window's messages taken between pieces, the end refused each time
    } cases[] = {
        {"chunked, restart on Windows 9x", test_support::ChunkedFile(Info(), 3, 16), {}, "-LIVE", End::Restart, 2},
        {"chunked, restart on the NT family", test_support::ChunkedFile(Info(), 3, 16), {}, "-LIVE", End::RestartNt, 2},
        {"flash pages, restart", test_support::MarkedFile(2 * 32768, Info()),
         test_support::DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10"), "-LIVE", End::Restart, 2},
        {"test run: the window closes", test_support::ChunkedFile(Info(), 3, 16), {}, "-TEST fw.bin", End::WindowClosed, 2},
        {"a piece refused", test_support::ChunkedFile(Info(), 3, 16), refusesTheMiddle, "-LIVE", End::CommandFailed, 1},
        {"the file changed", test_support::ChunkedFile(Info(), 3, 16), {}, "-LIVE", End::FileNotOpened, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
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
            host.RunWorker();
            form->Timer1Timer();
        }
        const bool restarts = c.end == End::Restart || c.end == End::RestartNt;
        EXPECT_EQ(host.directRestarts + host.restarts, restarts ? 1 : 0);
        if (restarts) {
            EXPECT_TRUE(givenBackAtRestart) << "as the program's own restart is asked";
        }
        EXPECT_EQ(backend.closed, c.end == End::WindowClosed);
        EXPECT_TRUE(givenBack()) << "after the end";
        const std::string log = ReadAll((scratch_ / "QUILLAN.LOG").string());
        EXPECT_EQ(Occurrences(log, "window sleep held off: Windows is asked to keep the system awake\r\n"), 1u);
        EXPECT_EQ(Occurrences(log, "window sleep allowed again: the keep-awake request is withdrawn\r\n"), 1u);
        EXPECT_EQ(Occurrences(log, "window end of the session refused: the drive is being written\r\n"),
                  static_cast<size_t>(refusals));
        EXPECT_EQ(Occurrences(log, "window the session ends by force while the drive is being written\r\n"),
                  workerSends ? 1u : 0u);
    }
}

TEST(ResultFile, OneLineReplacedEachTimeAndOnlyWhereAsked) {
    const std::filesystem::path folder = test_support::FreshScratchDir("quillan-result");
    LiveResultPath = (folder / "LIVE.TMP").string();
    TestResultPath = (folder / "missing-folder" / "TEST.TMP").string();
    WriteResultLine("START\n", true, false);
    WriteResultLine(FailLine(4), true, false);
    EXPECT_EQ(ReadAll(LiveResultPath), "FAIL4\r\n");
    WriteResultLine("COMPLETE\n", false, false);  // neither mode: nothing written
    EXPECT_EQ(ReadAll(LiveResultPath), "FAIL4\r\n");
    WriteResultLine("COMPLETE\n", false, true);  // the test folder is missing: skipped quietly
    EXPECT_FALSE(std::filesystem::exists(TestResultPath));
    std::filesystem::remove_all(folder);
}

TEST(ProgressEstimate, ExpectedTicks) {
    const struct {
        int32_t size, ticks;
    } cases[] = {{64 * 1024, 4}, {1024 * 1024, 70}, {2048 * 1024, 140}, {14 * 1024, 1}, {0, 1}, {15 * 1024, 1}};
    for (const auto& c : cases) EXPECT_EQ(ExpectedTicks(c.size), c.ticks) << c.size;
}

// No folder takes the log (the program's own, the temporary one): the flash
// runs and ends exactly as it does with one.
TEST_F(Download, AFlashWithoutAWritableLogEndsAsBefore) {
    const std::vector<uint8_t> bytes = test_support::ChunkedFile(Info(), 3, 16);
    sim::SimDrive* drive = nullptr;
    {
        host.programFolder = (scratch_ / "no such folder" / "").string();
        host.tempFolder = host.programFolder;
        drive = Prepare(bytes, {}, "");
    }
    ASSERT_FALSE(RunLogOpen());
    form->ToolButton2Click();
    host.RunWorker();
    form->Timer1Timer();
    EXPECT_EQ(drive->Image(), bytes);
    EXPECT_EQ(NewMessages(), Lines{"  Download Ok!!  \nRestart WINDOWS"});
    EXPECT_EQ(host.directRestarts, 1);
}

TEST_F(Download, BarFor64KBImage) {
    Prepare(test_support::ChunkedFile(Info(), 2, 32));  // 64 KB
    form->ToolButton2Click();
    std::vector<int> positions;
    for (int tick = 0; tick < 6; ++tick) {
        form->Timer1Timer();
        positions.push_back(form->ProgressBar1.Position());
    }
    EXPECT_EQ(positions, (std::vector<int>{0, 25, 50, 75, 100, 100}));
    EXPECT_EQ(host.directRestarts, 0);  // the worker has not finished
}

}  // namespace
}  // namespace quillan
