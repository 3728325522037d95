// Fault rules hit exactly the commands they name, return the injected result
// and leave the faulted command without effect.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/sim_drive.h"
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

constexpr size_t kChunk = 32 * 1024;
const CommandResult kMediumError = CommandResult::Check(0x03, 0x0C, 0x00);
const CommandResult kNoDevice = CommandResult::Aspi(0x82);

struct FaultCase {
    const char* name;
    FaultRule rule;
    std::vector<uint32_t> faulted;  // command numbers expected to fail
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class Faults : public ::testing::TestWithParam<FaultCase> {};

// A flasher-like sequence: probe, ready check, three steps, a 4-chunk download.
TEST_P(Faults, HitOnlyTheNamedCommands) {
    const FaultCase& c = GetParam();
    DriveSettings settings;
    settings.faults = {c.rule};
    SimDrive drive(settings);
    const Bytes firmware = Pattern(4 * kChunk, 7);
    RunIn(drive, kInquiryProbe, 36);
    RunIn(drive, kTestUnitReady, 0);
    SendPage(drive, Page(0x40, 0x0000));
    SendPage(drive, Page(0xDC, 0x0000));
    SendPage(drive, Page(0xDB, 0x0000));
    for (int i = 0; i < 4; ++i) RunOut(drive, FlashDownloadCdb(i == 0 ? 0x00 : (i == 3 ? 32 : 0xFF)), Slice(firmware, i * kChunk, kChunk));

    auto isFaulted = [&](uint32_t n) { return std::count(c.faulted.begin(), c.faulted.end(), n) > 0; };
    ASSERT_EQ(drive.Log().size(), 9u);
    for (const LogEntry& e : drive.Log()) {
        SCOPED_TRACE(e.number);
        EXPECT_EQ(e.faulted, isFaulted(e.number));
        const CommandResult expected = isFaulted(e.number) ? c.rule.result : CommandResult::Good();
        EXPECT_EQ(e.result.kind, expected.kind);
        EXPECT_EQ(e.result.sense, expected.sense);
        EXPECT_EQ(e.result.aspiStatus, expected.aspiStatus);
    }
    Bytes image;  // exactly the chunks (commands 6..9) that were not faulted
    for (uint32_t n = 6; n <= 9; ++n)
        if (!isFaulted(n)) image = Cat({image, Slice(firmware, (n - 6) * kChunk, kChunk)});
    EXPECT_EQ(drive.Image(), image);
}

FaultRule Rule(uint32_t command, Bytes cdb, Bytes data, uint32_t match, CommandResult result) {
    return FaultRule{command, std::move(cdb), std::move(data), match, result};
}

INSTANTIATE_TEST_SUITE_P(
    Drive, Faults,
    ::testing::Values(
        FaultCase{"NthOverall", Rule(3, {}, {}, 0, kMediumError), {3}},
        FaultCase{"CdbPrefix", Rule(0, {0x1D}, {}, 0, kMediumError), {3, 4, 5}},
        FaultCase{"CdbAndDataPrefix", Rule(0, {0x1D}, {0x88, 0x00, 0x00, 0x04, 0x00, 0xDC}, 0, kMediumError), {4}},
        FaultCase{"NthMatch", Rule(0, {0xFF, 0x00, 0x01}, {}, 3, kNoDevice), {8}},
        FaultCase{"AspiStatus", Rule(0, {0x00}, {}, 0, kNoDevice), {2}},
        FaultCase{"OverallAndPrefixBothRequired", Rule(4, {0x12}, {}, 0, kMediumError), {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A faulted command writes nothing and changes nothing.
TEST(Faults, FaultedCommandHasNoEffect) {
    DriveSettings settings;
    settings.faults = {Rule(0, {}, {}, 0, kMediumError)};  // every command
    SimDrive drive(settings);
    const Reply inquiry = RunIn(drive, kInquiry, 96);
    EXPECT_EQ(inquiry.buffer, Bytes(96 + 16, kGuard));
    EXPECT_EQ(inquiry.result.bytesIn, 0u);
    RunOut(drive, kEject, {});
    RunOut(drive, FlashDownloadCdb(0x01, 0xF0), Pattern(1024, 8));
    SendPage(drive, Page(0xC0, 0x0100, Pattern(kChunk, 8)));
    SendPage(drive, BootPiece(0x8000, Pattern(64, 8)));
    EXPECT_TRUE(drive.DiscLoaded());
    EXPECT_TRUE(drive.SingleCommandData().empty());
    EXPECT_TRUE(drive.Image().empty());
    EXPECT_TRUE(drive.BootBlock().empty());
    EXPECT_EQ(drive.LastCompletion(), Completion::None);
}

}  // namespace
}  // namespace quillan::sim::test
