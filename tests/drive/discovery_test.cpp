// Discovery: which drives are found, in which order, and what is recorded.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drive/aspi_entry_points.h"
#include "state/program_state.h"
#include "drive/discovery.h"
#ifndef _WIN32
#include "drive/drive_device_stand_in.h"
#endif
#include "drive/transport.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/fake_host.h"
#include "support/sim_machine.h"

namespace quillan {
namespace {

class AspiDiscovery : public test_support::SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        std::memset(static_cast<void*>(&TheDeviceTable), 0xCC, sizeof(TheDeviceTable));
    }
    std::vector<std::pair<int, int>> Found() const {
        std::vector<std::pair<int, int>> found;
        for (int i = 0; i < TheDeviceTable.driveCount; ++i)
            found.push_back({TheDeviceTable.aspiHostAdapters[i], TheDeviceTable.aspiTargets[i]});
        return found;
    }
};

TEST_F(AspiDiscovery, AdapterThenTargetOrderAndWholeByteDeviceType) {
    aspi.AddDrive(1, 3);
    aspi.AddDrive(0, 1);
    aspi.AddDrive(0, 0);
    sim::DriveSettings qualifierOne;
    qualifierOne.deviceType = 0x25;  // CD/DVD type with peripheral qualifier 1
    aspi.AddDrive(0, 4, qualifierOne);
    sim::DriveSettings disk;
    disk.deviceType = 0x00;
    aspi.AddDrive(1, 0, disk);

    EXPECT_EQ(FindDrives(), 3);
    EXPECT_EQ(TransportSelector, Transport::Aspi);
    EXPECT_EQ(Found(), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 3}}));
    // Every target of every adapter is probed with the 36-byte INQUIRY.
    const std::vector<uint8_t> probe = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
    for (auto [where, drive] : aspi.Drives()) {
        ASSERT_EQ(drive->Log().size(), 1u);
        EXPECT_EQ(drive->Log()[0].cdb, probe);
        EXPECT_EQ(drive->Log()[0].transferLength, 36u);
    }
}

TEST_F(AspiDiscovery, NinthDriveIsNotWrittenPastTheTable) {
    for (uint8_t t = 0; t < 8; ++t) aspi.AddDrive(0, t);
    sim::SimDrive* ninth = aspi.AddDrive(1, 0);
    EXPECT_EQ(FindDrives(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(TheDeviceTable.aspiHostAdapters[i], 0) << i;
        EXPECT_EQ(TheDeviceTable.aspiTargets[i], i) << i;
    }
    EXPECT_TRUE(ninth->Log().empty());
}

TEST_F(AspiDiscovery, NoUsableAdapterMeansNoDriveAndNoProbe) {
    sim::SimDrive* drive = aspi.AddDrive(0, 0);
    aspi.ForceSupportStatus(0x04);  // a count, but not a completed answer
    EXPECT_EQ(FindDrives(), 0);
    EXPECT_TRUE(drive->Log().empty());

    SendASPI32Command = nullptr;  // the layer did not load
    GetASPI32SupportInfo = nullptr;
    EXPECT_EQ(FindDrives(), 0);
}

#ifndef _WIN32  // the stand-in exists only where there are no real devices
// NT family: letters a..z through the pass-through; d: and f: are optical
// drives, e: opens but answers as another device and must be closed.
struct FakeLetters {
    static inline std::vector<std::string> opened;
    static inline std::vector<DeviceHandle> closed;
    static DeviceHandle Open(const char* root) {
        opened.push_back(root);
        if (root[0] == 'd' || root[0] == 'e' || root[0] == 'f') return 100 + root[0];
        return kInvalidDevice;
    }
    static bool Submit(DeviceHandle device, PassThroughBlock& block, uint8_t* data) {
        data[0] = device == 100 + 'e' ? 0x00 : 0x05;
        block[2] = 0;
        return true;
    }
    static void Close(DeviceHandle device) { closed.push_back(device); }
};

TEST(PassThroughDiscovery, LettersInOrderAndRejectedHandlesClosed) {
    test_support::FakeHost host;
    host.platformId = kPlatformWin32Nt;
    SetCurrentHost(&host);
    static const DriveDeviceStandIn standIn = {FakeLetters::Open, FakeLetters::Submit, FakeLetters::Close};
    SetDriveDeviceStandIn(&standIn);
    FakeLetters::opened.clear();
    FakeLetters::closed.clear();

    EXPECT_EQ(FindDrives(), 2);
    EXPECT_EQ(TransportSelector, Transport::PassThrough);
    EXPECT_EQ(TheDeviceTable.deviceHandles[0].get(), 100 + 'd');
    EXPECT_EQ(TheDeviceTable.deviceHandles[1].get(), 100 + 'f');
    ASSERT_EQ(FakeLetters::opened.size(), 26u);
    EXPECT_EQ(FakeLetters::opened.front(), "a:");
    EXPECT_EQ(FakeLetters::opened.back(), "z:");
    EXPECT_EQ(FakeLetters::closed, std::vector<DeviceHandle>{100 + 'e'});

    Program.Reset();  // the stand-in, the host and the transport
}
#endif

TEST(PortPositionScan, OnlyKeysWithADeviceNameAreListed) {
    test_support::FakeHost host;
    const std::string base = "Hardware\\DeviceMap\\Scsi\\Scsi Port ";
    const std::string key0 = base + "0\\Scsi Bus 0\\Target Id 0\\Logical Unit Id 0";
    const std::string key2 = base + "1\\Scsi Bus 0\\Target Id 0\\Logical Unit Id 0";
    host.keys[key0] = {};
    host.keys[key2] = {{"DeviceName", {'C', 'd', 'R', 'o', 'm', '0', 0}}};
    SetCurrentHost(&host);
    PortPositions = {};

    ScanPortPositions();
    EXPECT_EQ(PortPositions.count, 1);
    EXPECT_EQ(PortPositions.positions[0], 2);
    const std::vector<std::string> expected = {
        "open " + key0, "query DeviceName 36", "flush " + key0, "close " + key0,
        "open " + base + "0\\Scsi Bus 0\\Target Id 1\\Logical Unit Id 0",
        "open " + key2, "query DeviceName 36", "flush " + key2, "close " + key2,
        "open " + base + "1\\Scsi Bus 0\\Target Id 1\\Logical Unit Id 0",
    };
    EXPECT_EQ(host.calls, expected);
    Program.Reset();
}

}  // namespace
}  // namespace quillan
