// Each command's bytes as the simulated drive receives them, and the two
// procedures built from them.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drive/aspi_entry_points.h"
#include "drive/command_set.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/sim_machine.h"

namespace quillan {
namespace {

using Bytes = std::vector<uint8_t>;

class CommandSet : public test_support::SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        TheDeviceTable.aspiTargets[0] = 2;
        TheDeviceTable.driveCount = 1;
        std::memset(CommandData, 0xA5, sizeof(CommandData));
    }
    sim::SimDrive* AddDrive(sim::DriveSettings settings = {}) { return aspi.AddDrive(0, 2, settings); }
};

Bytes Head(const Bytes& data, size_t n) { return Bytes(data.begin(), data.begin() + std::min(n, data.size())); }

TEST_F(CommandSet, EveryCommandOnTheWire) {
    sim::DriveSettings settings;
    settings.driveCode = "ABC";
    sim::SimDrive* drive = AddDrive(settings);
    const uint8_t device = 0;

    SendInquiry(device, 12);
    SendInquiry(device, 6);
    SendTestUnitReady(device);
    SendEject(device);
    PutFlashPageHeader(kPageIdentify, 0x0000, kPageListShort);
    SendFlashPage(device, kPageListShort);
    SendReceiveDiagnosticResults(device);
    PutFlashPageHeader(kPagePrepare, 0xFF00, kPageListShort);
    SendFlashPage(device, kPageListShort);
    PutFlashPageHeader(kPageBlock, 0x0100, kPageListBlock);
    SendFlashPage(device, kPageListBlock);
    PutFlashPageHeader(kPageBlock, 0x0000, kPageListShort);
    SendFlashPage(device, kPageListShort);
    PutFlashPageHeader(kPageBootBegin, 0x0000, kPageListShort);
    SendFlashPage(device, kPageListShort);
    PutFlashPageHeader(kPageBootErase, 0x0000, kPageListShort);
    SendFlashPage(device, kPageListShort);
    PutFlashPageHeader(kPageBootSelect, 0x0080, kPageListShort);
    SendFlashPage(device, kPageListShort);
    PutFlashPageHeader(kPageBootPiece, 0xFFC0, kPageListBootPiece);
    CommandData[8] = 0x00;
    CommandData[9] = 0x40;
    CommandData[74] = CommandData[75] = 0x00;
    SendFlashPage(device, kPageListBootPiece);
    SendFlashDownload(device, 0x00, 0x00, 32768);
    SendFlashDownload(device, 0xFF, 0x00, 32768);
    SendFlashDownload(device, 0x10, 0x00, 16384);
    SendFlashDownload(device, 0x01, 0xF0, 1024);
    SendReadDriveCode(device);

    const struct Expected {
        Bytes cdb;
        uint32_t length;
        sim::Direction direction;
        Bytes dataHead;  // out-data's first bytes
    } expected[] = {
        {{0x12, 0, 0, 0, 0x60, 0, 0, 0, 0, 0, 0, 0}, 96, sim::Direction::In, {}},
        {{0x12, 0, 0, 0, 0x60, 0}, 96, sim::Direction::In, {}},
        {{0x00, 0, 0, 0, 0, 0}, 0, sim::Direction::In, {}},
        {{0x1B, 0, 0, 0, 0x02, 0}, 0, sim::Direction::In, {}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0x40, 0, 0}},
        {{0x1C, 0, 0, 0, 0x08, 0}, 8, sim::Direction::In, {}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0xF0, 0xFF, 0}},
        {{0x1D, 0, 0, 0x80, 0x08, 0}, 32776, sim::Direction::Out, {0x88, 0, 0x80, 4, 0, 0xC0, 0x01, 0}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0xC0, 0, 0}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0xDC, 0, 0}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0xDB, 0, 0}},
        {{0x1D, 0, 0, 0x00, 0x08, 0}, 8, sim::Direction::Out, {0x88, 0, 0, 4, 0, 0xD8, 0, 0x80}},
        {{0x1D, 0, 0, 0x00, 0x4C, 0}, 76, sim::Direction::Out, {0x88, 0, 0, 0x48, 0, 0xD9, 0xFF, 0xC0, 0x00, 0x40}},
        {{0xFF, 0, 1, 0, 0, 0x00, 0, 0, 0, 0x00, 0, 0}, 32768, sim::Direction::Out, {}},
        {{0xFF, 0, 1, 0, 0, 0xFF, 0, 0, 0, 0x00, 0, 0}, 32768, sim::Direction::Out, {}},
        {{0xFF, 0, 1, 0, 0, 0x10, 0, 0, 0, 0x00, 0, 0}, 16384, sim::Direction::Out, {}},
        {{0xFF, 0, 1, 0, 0, 0x01, 0, 0, 0, 0xF0, 0, 0}, 1024, sim::Direction::Out, {}},
        {{0xFF, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA}, 8, sim::Direction::In, {}},
    };
    const auto& log = drive->Log();
    ASSERT_EQ(log.size(), std::size(expected));
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].cdb, expected[i].cdb) << "command " << i;
        EXPECT_EQ(log[i].transferLength, expected[i].length) << "command " << i;
        EXPECT_EQ(log[i].direction, expected[i].direction) << "command " << i;
        if (!expected[i].dataHead.empty()) {
            EXPECT_EQ(Head(log[i].dataOut, expected[i].dataHead.size()), expected[i].dataHead) << "command " << i;
        }
        if (expected[i].direction == sim::Direction::Out) {
            EXPECT_EQ(log[i].dataOut.size(), expected[i].length) << "command " << i;
        }
        EXPECT_EQ(log[i].result.kind, sim::CommandResult::Kind::Good) << "command " << i << " " << log[i].note;
    }
}

// Reset() is a fresh start: every template byte a send rewrote, the buffer,
// what start-up found, the drive and file last looked at, the progress state,
// how far the run got, where its result line goes, and what was plugged in.
TEST_F(CommandSet, ResetLeavesNothingOfEarlierCommands) {
    sim::DriveSettings settings;
    settings.driveCode = "ABC";
    AddDrive(settings);
    SendFlashDownload(0, 0xFF, 0xF0, 1024);
    PutFlashPageHeader(kPageBlock, 0x0100, kPageListBlock);
    SendFlashPage(0, kPageListBlock);
    SendInquiry(0, 6);
    QueryDriveIdentity(0);
    TransportSelector = Transport::PassThrough;
    PortPositions.count = 1;
    FirmwareImage.Path = "OTHER.BIN";
    FirmwareImage.Size = 4096;
    BusyFlag = 0;
    TickCounter = 7;
    WorkerStarted = true;
    Program.SilentOutcome = SilentExit::Flashed;
    LiveResultPath = "ELSEWHERE.TMP";
    const CommandTemplates initial;
    ASSERT_NE(std::memcmp(&Program.Templates, &initial, sizeof(CommandTemplates)), 0)
        << "the sends should have rewritten template bytes";

    Program.Reset();
    const auto fresh = std::make_unique<ProgramState>();
    EXPECT_EQ(std::memcmp(&Program.Templates, &fresh->Templates, sizeof(CommandTemplates)), 0);
    EXPECT_EQ(Bytes(CommandData, CommandData + kCommandDataSize), Bytes(kCommandDataSize, 0));
    EXPECT_EQ(std::memcmp(&TheDeviceTable, &fresh->TheDeviceTable, sizeof(DeviceTable)), 0);
    EXPECT_EQ(std::memcmp(&DriveIdentity, &fresh->DriveIdentity, sizeof(DriveIdentityRecord)), 0);
    EXPECT_EQ(TransportSelector, Transport::Aspi);
    EXPECT_EQ(PortPositions.count, 0);
    EXPECT_EQ(FirmwareImage.Path, "AUTORUN.BIN");
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(BusyFlag.load(), 1);
    EXPECT_EQ(TickCounter, 0);
    EXPECT_FALSE(WorkerStarted);
    EXPECT_EQ(Program.SilentOutcome, SilentExit::NothingSent);
    EXPECT_EQ(LiveResultPath, kLiveResultPath);
    EXPECT_EQ(Program.Plugged.CurrentHost, nullptr);
    EXPECT_EQ(SendASPI32Command, nullptr);
}

TEST_F(CommandSet, QueryDriveIdentity) {
    const struct Case {
        const char* name;
        bool page40;
        std::string driveCode;  // READ DRIVE CODE answer; empty: refused
        const char* revision;
        const char* vendorSpecific;
        const char* expectedCode;
        bool direct;
        size_t commands;
        uint32_t paused;
    } cases[] = {
        {"page 0x40 accepted: code from the revision", true, "GNE", "K301", "COM", "K3 ", false, 3, 0},
        {"code read from the drive, upper-cased", false, "gne", "1.00", "XYZ", "GNE", true, 3, 100},
        {"no code from the drive: INQUIRY bytes 36-38", false, "", "1.00", "xd1", "XD1", false, 3, 100},
    };
    for (const Case& c : cases) {
        sim::DriveSettings settings;
        settings.vendor = "HALVERN ";
        settings.product = "DVD-ROM XD-340  ";
        settings.revision = c.revision;
        settings.vendorSpecific = c.vendorSpecific;
        settings.page40Accepted = c.page40;
        settings.driveCode = c.driveCode;
        sim::SimDrive* drive = AddDrive(settings);
        host.pauses.clear();
        EXPECT_EQ(QueryDriveIdentity(0), 1);
        EXPECT_STREQ(DriveIdentity.driveModel, "HALVERN DVD-ROM XD-340  ") << c.name;
        EXPECT_STREQ(DriveIdentity.driveRevision, c.revision) << c.name;
        EXPECT_STREQ(DriveIdentity.driveCode, c.expectedCode) << c.name;
        EXPECT_EQ(DriveIdentity.codeReadDirectly, c.direct) << c.name;
        // INQUIRY, page 0x40, then INQUIRY again or READ DRIVE CODE + INQUIRY.
        const auto& log = drive->Log();
        ASSERT_EQ(log.size(), c.page40 ? 3u : 4u) << c.name;
        EXPECT_EQ(log[0].cdb[0], 0x12);
        EXPECT_EQ(log[1].cdb[0], 0x1D);
        if (!c.page40) {
            EXPECT_EQ(log[2].cdb, (Bytes{0xFF, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA}));
        }
        EXPECT_EQ(log.back().cdb, (Bytes{0x12, 0, 0, 0, 0x60, 0})) << c.name;
        EXPECT_EQ(host.TotalPause(), c.paused) << c.name;
    }
}

TEST_F(CommandSet, DriveCodeOnlyWhenTheReplySaysSo) {
    sim::DriveSettings settings;
    settings.page40Accepted = false;
    settings.driveCode = "ABC";
    settings.driveCodeTag = 0x05;  // the drive answers, but not with 00 06
    settings.vendorSpecific = "inq";
    AddDrive(settings);
    QueryDriveIdentity(0);
    EXPECT_STREQ(DriveIdentity.driveCode, "INQ");
    EXPECT_FALSE(DriveIdentity.codeReadDirectly);
}

TEST_F(CommandSet, CheckDiscLoaded) {
    const struct Case {
        bool disc;
        bool loaded;
        size_t commands;
        std::vector<uint32_t> pauses;
    } cases[] = {
        {true, true, 1, {100}},
        {false, false, 5, {100, 100, 100, 100, 100}},
    };
    for (const Case& c : cases) {
        sim::DriveSettings settings;
        settings.discLoaded = c.disc;
        sim::SimDrive* drive = AddDrive(settings);
        host.pauses.clear();
        EXPECT_EQ(CheckDiscLoaded(0), c.loaded);
        EXPECT_EQ(drive->Log().size(), c.commands);
        for (const auto& entry : drive->Log()) EXPECT_EQ(entry.cdb, (Bytes{0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(host.pauses, c.pauses);
    }
}

}  // namespace
}  // namespace quillan
