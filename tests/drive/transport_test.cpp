// The transport's contract: status values, and exactly which bytes of the
// caller's buffer change on a failed command, on both transports.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "drive/aspi_entry_points.h"
#include "state/program_state.h"
#ifndef _WIN32
#include "drive/drive_device_stand_in.h"
#endif
#include "drive/pass_through_block.h"
#include "drive/transport.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/sim_machine.h"

namespace quillan {
namespace {

const uint8_t kTestUnitReady[6] = {0x00, 0, 0, 0, 0, 0};
const uint8_t kFlashLastChunk[12] = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x01, 0, 0, 0, 0x00, 0, 0};

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

// Only bytes 2, 12 and 13 may differ, and they must hold the sense bytes.
void ExpectOnlySenseBytesChanged(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                                 uint8_t key, uint8_t asc, uint8_t ascq) {
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (i == 2 || i == 12 || i == 13) continue;
        ASSERT_EQ(before[i], after[i]) << "byte " << i << " changed";
    }
    EXPECT_EQ(after[2], key);
    EXPECT_EQ(after[12], asc);
    EXPECT_EQ(after[13], ascq);
}

class AspiTransport : public test_support::SimMachineTest {};

TEST_F(AspiTransport, StatusAndSenseBytesForEachOutcome) {
    sim::DriveSettings noDisc;
    noDisc.discLoaded = false;
    aspi.AddDrive(0, 0, noDisc);
    sim::DriveSettings failing;
    sim::FaultRule flashFails;
    flashFails.cdbPrefix = {0xFF, 0x00, 0x01};
    flashFails.result = sim::CommandResult::Check(0x03, 0x0C, 0x02);
    failing.faults.push_back(flashFails);
    aspi.AddDrive(0, 1, failing);
    aspi.AddDrive(0, 2);

    // No data, disc missing: CHECK CONDITION 02/3A/00 reaches bytes 2, 12, 13.
    std::vector<uint8_t> before = Pattern(64), buffer = before;
    EXPECT_EQ(AspiExecute(0, 0, kTestUnitReady, 6, buffer.data(), 0, kDataIn), kStatusCheckCondition);
    ExpectOnlySenseBytesChanged(before, buffer, 0x02, 0x3A, 0x00);

    // Data out carrying firmware: the same three bytes of the firmware buffer change.
    before = Pattern(1024);
    buffer = before;
    EXPECT_EQ(AspiExecute(0, 1, kFlashLastChunk, 12, buffer.data(), 1024, kDataOut), kStatusCheckCondition);
    ExpectOnlySenseBytesChanged(before, buffer, 0x03, 0x0C, 0x02);

    // Good completion without data leaves the buffer alone.
    before = Pattern(64);
    buffer = before;
    EXPECT_EQ(AspiExecute(0, 2, kTestUnitReady, 6, buffer.data(), 0, kDataIn), kStatusGood);
    EXPECT_EQ(buffer, before);

    // The layer's own failures come back as they are; the buffer is untouched.
    EXPECT_EQ(AspiExecute(3, 0, kTestUnitReady, 6, buffer.data(), 0, kDataIn), 0x81);  // SS_INVALID_HA
    EXPECT_EQ(AspiExecute(0, 5, kTestUnitReady, 6, buffer.data(), 0, kDataIn), 0x82);  // SS_NO_DEVICE
    EXPECT_EQ(buffer, before);
}

TEST_F(AspiTransport, RequestBlockFields) {
    aspi.AddDrive(1, 4);
    std::vector<sim::AspiEvent> events;
    aspi.SetEventSink([&](const sim::AspiEvent& e) { events.push_back(e); });
    std::vector<uint8_t> buffer(1024, 0);
    AspiExecute(1, 4, kTestUnitReady, 6, buffer.data(), 0, kDataIn);
    AspiExecute(1, 4, kFlashLastChunk, 12, buffer.data(), 1024, kDataOut);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].srbCmd, SC_EXEC_SCSI_CMD);
    EXPECT_EQ(events[0].flags, SRB_DIR_IN);
    EXPECT_EQ(events[0].adapter, 1);
    EXPECT_EQ(events[0].target, 4);
    EXPECT_EQ(events[0].lun, 0);
    EXPECT_EQ(events[0].cdb, std::vector<uint8_t>(kTestUnitReady, kTestUnitReady + 6));
    EXPECT_EQ(events[1].flags, SRB_DIR_OUT);
    EXPECT_EQ(events[1].bufferLength, 1024u);
    EXPECT_EQ(events[1].cdb, std::vector<uint8_t>(kFlashLastChunk, kFlashLastChunk + 12));
}

TEST_F(AspiTransport, SendDriveCommandUsesTheTableEntry) {
    aspi.AddDrive(0, 0);
    sim::SimDrive* second = aspi.AddDrive(1, 3);
    TheDeviceTable.aspiHostAdapters[1] = 1;
    TheDeviceTable.aspiTargets[1] = 3;
    TheDeviceTable.driveCount = 2;
    std::vector<uint8_t> buffer(8);
    EXPECT_EQ(SendDriveCommand(1, kTestUnitReady, 6, buffer.data(), 0, kDataIn), kStatusGood);
    EXPECT_EQ(second->Log().size(), 1u);
    // An index past the table reaches no drive at all.
    EXPECT_NE(SendDriveCommand(8, kTestUnitReady, 6, buffer.data(), 0, kDataIn), kStatusGood);
    EXPECT_EQ(second->Log().size(), 1u);
}

// Both pointer sizes: the 32-bit program's 44-byte structure and the 64-bit
// build's 56-byte one, every byte of the block.
TEST(PassThroughBlock, EveryFieldTheProgramSets) {
    const uint8_t cdb[12] = {0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF, 0, 0, 0, 0, 0, 0xAB};
    struct Layout {
        const PassThroughLayout* layout;
        uint8_t length;
        size_t pointerAt;
        std::vector<uint8_t> pointer;  // 0x0000_7FFE_1234_5678 as it lands
        size_t senseOffsetAt;
        uint8_t senseOffset;
        size_t cdbAt;
    } layouts[] = {
        {&kPassThrough32, 44, 20, {0x78, 0x56, 0x34, 0x12}, 24, 48, 28},
        {&kPassThrough64, 56, 24, {0x78, 0x56, 0x34, 0x12, 0xFE, 0x7F, 0, 0}, 32, 56, 36},
    };
    struct Direction {
        uint8_t direction;
        uint8_t dataIn;
    } directions[] = {{kDataIn, 1}, {kDataOut, 0}, {7, 0}};
    for (const Layout& l : layouts) {
        for (const Direction& d : directions) {
            PassThroughBlock block;
            std::memset(block, 0xEE, sizeof(block));
            BuildPassThroughBlock(block, *l.layout, cdb, 12, 0x7FFE12345678ull, 0x8008, d.direction);
            std::vector<uint8_t> expected(kPassThroughBlockSize, 0);
            expected[0] = l.length;
            expected[4] = 1;  // TargetId
            expected[6] = 12;
            expected[7] = 24;
            expected[8] = d.dataIn;
            expected[12] = 0x08;  // transfer length 0x8008
            expected[13] = 0x80;
            expected[16] = 60;  // seconds
            std::copy(l.pointer.begin(), l.pointer.end(), expected.begin() + l.pointerAt);
            expected[l.senseOffsetAt] = l.senseOffset;
            std::copy(cdb, cdb + 12, expected.begin() + l.cdbAt);
            EXPECT_EQ(std::vector<uint8_t>(block, block + kPassThroughBlockSize), expected)
                << "structure of " << int(l.length) << " bytes, direction " << int(d.direction);
        }
    }
}

TEST(PassThroughBlock, OutcomeAndSenseCopy) {
    for (const PassThroughLayout* layout : {&kPassThrough32, &kPassThrough64}) {
        PassThroughBlock block = {};
        block[layout->sense + 2] = 0x05;
        block[layout->sense + 12] = 0x26;
        block[layout->sense + 13] = 0x01;
        const std::vector<uint8_t> before = Pattern(32768);

        std::vector<uint8_t> data = before;
        EXPECT_EQ(PassThroughOutcome(block, *layout, false, data.data()), -1);
        EXPECT_EQ(data, before);

        EXPECT_EQ(PassThroughOutcome(block, *layout, true, data.data()), 1);  // ScsiStatus 0
        EXPECT_EQ(data, before);

        block[2] = 0x02;  // CHECK CONDITION
        EXPECT_EQ(PassThroughOutcome(block, *layout, true, data.data()), 4);
        ExpectOnlySenseBytesChanged(before, data, 0x05, 0x26, 0x01);
    }
}

#ifndef _WIN32  // the stand-in exists only where there are no real devices
// The pass-through path end to end through a stand-in device whose control
// call fails: the 8-bit status is 255, not 4.
TEST(PassThroughTransport, FailedControlCallGives255) {
    static const DriveDeviceStandIn standIn = {
        [](const char*) -> DeviceHandle { return 5; },
        [](DeviceHandle, PassThroughBlock&, uint8_t*) { return false; },
        nullptr};
    SetDriveDeviceStandIn(&standIn);
    TransportSelector = Transport::PassThrough;
    TheDeviceTable = {};
    TheDeviceTable.deviceHandles[0] = HeldDevice(5);
    const std::vector<uint8_t> before = Pattern(16);
    std::vector<uint8_t> data = before;
    EXPECT_EQ(SendDriveCommand(0, kTestUnitReady, 6, data.data(), 0, kDataIn), 255);
    EXPECT_EQ(data, before);
    SetDriveDeviceStandIn(nullptr);
    TransportSelector = Transport::Aspi;
}
#endif

}  // namespace
}  // namespace quillan
