// The ASPI front: request validation, status and sense hand-back, support
// info, adapter inquiry, device type, and the in-process entry points.
#include <gtest/gtest.h>

#include <optional>

#include "drive/aspi_types.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

class AspiFront : public ::testing::Test {
protected:
    void SetUp() override {
        DriveSettings noDisc;
        noDisc.discLoaded = false;
        aspi.AddDrive(0, 1);
        aspi.AddDrive(1, 3, noDisc);
    }
    SimAspi aspi;
    Bytes buffer = Bytes(96, kGuard);
};

TEST_F(AspiFront, InvalidRequestsNeverReachTheDrive) {
    const struct {
        const char* name;
        void (*change)(SRB_ExecSCSICmd&);
        uint8_t status;
    } cases[] = {{"AdapterBeyondCount", [](SRB_ExecSCSICmd& s) { s.SRB_HaId = 2; }, SS_INVALID_HA},
                 {"NoDriveAtTarget", [](SRB_ExecSCSICmd& s) { s.SRB_Target = 2; }, SS_NO_DEVICE},
                 {"TargetBeyond7", [](SRB_ExecSCSICmd& s) { s.SRB_Target = 8; }, SS_NO_DEVICE},
                 {"Lun1", [](SRB_ExecSCSICmd& s) { s.SRB_Lun = 1; }, SS_NO_DEVICE},
                 {"CdbLength0", [](SRB_ExecSCSICmd& s) { s.SRB_CDBLen = 0; }, SS_INVALID_SRB},
                 {"CdbLength17", [](SRB_ExecSCSICmd& s) { s.SRB_CDBLen = 17; }, SS_INVALID_SRB},
                 {"NullBuffer", [](SRB_ExecSCSICmd& s) { s.SRB_BufPointer = nullptr; }, SS_INVALID_SRB},
                 {"NoDirection", [](SRB_ExecSCSICmd& s) { s.SRB_Flags = 0x00; }, SS_INVALID_SRB},
                 {"BothDirections", [](SRB_ExecSCSICmd& s) { s.SRB_Flags = 0x18; }, SS_INVALID_SRB},
                 {"Posting", [](SRB_ExecSCSICmd& s) { s.SRB_Flags = SRB_DIR_IN | 0x01; }, SS_INVALID_SRB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExecBlock b = Exec(0, 1, kInquiry, buffer.data(), 96, SRB_DIR_IN);
        c.change(b.srb);
        EXPECT_EQ(aspi.SendASPI32Command(&b.srb), c.status);
        EXPECT_EQ(b.srb.SRB_Status, c.status);
    }
    EXPECT_TRUE(aspi.Drive(0, 1)->Log().empty());
    EXPECT_EQ(buffer, Bytes(96, kGuard));
}

TEST_F(AspiFront, GoodCommandCompletes) {
    ExecBlock b = Exec(0, 1, kInquiry, buffer.data(), 40, SRB_DIR_IN);
    EXPECT_EQ(aspi.SendASPI32Command(&b.srb), SS_COMP);
    EXPECT_EQ(b.srb.SRB_Status, SS_COMP);
    EXPECT_EQ(b.srb.SRB_TargStat, 0);
    EXPECT_EQ(b.srb.SRB_HaStat, 0);
    EXPECT_EQ(Slice(buffer, 0, 2), (Bytes{0x05, 0x80}));
    EXPECT_EQ(Slice(buffer, 40, 56), Bytes(56, kGuard));
    EXPECT_EQ(aspi.Drive(0, 1)->Log().at(0).cdb, kInquiry);
}

// CHECK CONDITION: SS_ERR, target status 2, and exactly min(SenseLen, 18) sense bytes.
TEST_F(AspiFront, SenseHandBackCopiesOnlyWhatTheCallerAskedFor) {
    for (uint8_t senseLen : {0, 14, 18, 32}) {
        SCOPED_TRACE(int(senseLen));
        ExecBlock b = Exec(1, 3, kTestUnitReady, nullptr, 0, SRB_DIR_IN);
        b.srb.SRB_SenseLen = senseLen;
        EXPECT_EQ(aspi.SendASPI32Command(&b.srb), SS_ERR);
        EXPECT_EQ(b.srb.SRB_TargStat, STATUS_CHKCOND);
        Bytes expected = Slice(Sense(0x02, 0x3A, 0x00), 0, std::min<size_t>(senseLen, 18));
        expected.resize(sizeof b.srb.SenseArea + sizeof b.senseTail, kGuard);
        EXPECT_EQ(Bytes(b.srb.SenseArea, b.srb.SenseArea + expected.size()), expected);
    }
}

TEST_F(AspiFront, InjectedStatusWritesNothing) {
    DriveSettings settings;
    settings.faults.push_back(FaultRule{0, {0x12}, {}, 0, CommandResult::Aspi(SS_ABORTED)});
    aspi.AddDrive(0, 1, settings);
    ExecBlock b = Exec(0, 1, kInquiry, buffer.data(), 96, SRB_DIR_IN);
    EXPECT_EQ(aspi.SendASPI32Command(&b.srb), SS_ABORTED);
    EXPECT_EQ(b.srb.SRB_TargStat, 0);
    EXPECT_EQ(buffer, Bytes(96, kGuard));
    EXPECT_EQ(b.srb.SenseArea[2], kGuard);
}

TEST(SupportInfo, StatusAndCount) {
    const struct {
        std::vector<uint8_t> adapters;  // one drive on each
        std::optional<uint8_t> count, forced;
        uint32_t value;
    } cases[] = {{{}, std::nullopt, std::nullopt, 0xE800},
                 {{0, 2}, std::nullopt, std::nullopt, 0x0103},  // highest adapter + 1
                 {{0}, 5, std::nullopt, 0x0105},
                 {{0, 1}, std::nullopt, 0x04, 0x0402}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SimAspi aspi;
        for (uint8_t ha : c.adapters) aspi.AddDrive(ha, 0);
        aspi.SetAdapterCount(c.count);
        aspi.ForceSupportStatus(c.forced);
        EXPECT_EQ(aspi.GetASPI32SupportInfo(), c.value);
        EXPECT_EQ(aspi.SupportInfoCalls(), std::vector<uint32_t>{c.value});
    }
}

TEST_F(AspiFront, AdapterInquiryDeviceTypeAndUnknownRequests) {
    SRB_HAInquiry ha{};
    ha.SRB_Cmd = SC_HA_INQUIRY;
    ha.SRB_HaId = 1;
    EXPECT_EQ(aspi.SendASPI32Command(&ha), SS_COMP);
    EXPECT_EQ(ha.HA_Count, 2);
    ha.SRB_HaId = 2;
    EXPECT_EQ(aspi.SendASPI32Command(&ha), SS_INVALID_HA);

    SRB_GDEVBlock dev{};
    dev.SRB_Cmd = SC_GET_DEV_TYPE;
    dev.SRB_HaId = 1;
    dev.SRB_Target = 3;
    EXPECT_EQ(aspi.SendASPI32Command(&dev), SS_COMP);
    EXPECT_EQ(dev.SRB_DeviceType, 0x05);
    dev.SRB_Target = 4;
    EXPECT_EQ(aspi.SendASPI32Command(&dev), SS_NO_DEVICE);

    SRB_Header other{};
    other.SRB_Cmd = 0x07;
    EXPECT_EQ(aspi.SendASPI32Command(&other), SS_INVALID_CMD);
    EXPECT_EQ(other.SRB_Status, SS_INVALID_CMD);
}

TEST_F(AspiFront, FreeFunctionsForwardToTheActiveInstance) {
    EXPECT_EQ(SimGetASPI32SupportInfo(), 0xE800u);  // none active
    {
        ScopedActiveSimAspi active(aspi);
        SendAspi32CommandFn send = &SimSendASPI32Command;
        GetAspi32SupportInfoFn info = &SimGetASPI32SupportInfo;
        EXPECT_EQ(info(), 0x0102u);
        ExecBlock b = Exec(0, 1, kTestUnitReady, nullptr, 0, SRB_DIR_OUT);
        EXPECT_EQ(send(&b.srb), SS_COMP);
        EXPECT_EQ(aspi.Drive(0, 1)->Log().size(), 1u);
    }
    EXPECT_EQ(ActiveSimAspi(), nullptr);
}

}  // namespace
}  // namespace quillan::sim::test
