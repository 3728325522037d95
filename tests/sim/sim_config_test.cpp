// The configuration parser: a full file, and every kind of error naming its
// line with nothing of the file handed out.
#include <gtest/gtest.h>

#include "drive/aspi_types.h"
#include "sim/sim_config.h"
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

const char kGoodFile[] = R"(# two drives
adapters 3
support-status 0x04
log "/tmp/sim log.txt"   # quoted: has a blank
image-dir "C:\sim\images"  # backslashes kept

drive 0 1
  vendor "HALVERN "
  product "CDRW/DVD XM-590B"
  revision 1.0A
  vendor-specific "a\"b"
  type 0x05
  disc no
  page40 refuse
  code xYz
  delay-ms 250
  fault cdb 1D data "88 00 00 04 00 DC" check 05/26/00
  fault command 7 aspi 82

drive 2 0
  fault cdb FF0001 match 3 check 03/0C/00
)";

TEST(SimConfig, ParsesEverySetting) {
    const ConfigParse p = ParseSimConfig(kGoodFile);
    ASSERT_TRUE(p.ok) << p.message;
    const SimConfig& c = p.config;
    EXPECT_EQ(c.adapters, 3);
    EXPECT_EQ(c.supportStatus, 0x04);
    EXPECT_EQ(c.logPath, "/tmp/sim log.txt");
    EXPECT_EQ(c.imageDir, "C:\\sim\\images");
    ASSERT_EQ(c.drives.size(), 2u);

    const DriveConfig& a = c.drives[0];
    EXPECT_EQ((std::vector<int>{a.adapter, a.target, a.line}), (std::vector<int>{0, 1, 7}));
    EXPECT_EQ(a.settings.vendor, "HALVERN ");
    EXPECT_EQ(a.settings.product, "CDRW/DVD XM-590B");
    EXPECT_EQ(a.settings.revision, "1.0A");
    EXPECT_EQ(a.settings.vendorSpecific, "a\"b");
    EXPECT_EQ(a.settings.deviceType, 0x05);
    EXPECT_FALSE(a.settings.discLoaded || a.settings.page40Accepted);
    EXPECT_EQ(a.settings.driveCode, "xYz");
    EXPECT_EQ(a.settings.delayMs, 250u);
    ASSERT_EQ(a.settings.faults.size(), 2u);
    EXPECT_EQ(a.settings.faults[0].cdbPrefix, Bytes{0x1D});
    EXPECT_EQ(a.settings.faults[0].dataPrefix, (Bytes{0x88, 0x00, 0x00, 0x04, 0x00, 0xDC}));
    EXPECT_TRUE(IsCheck(a.settings.faults[0].result, 0x05, 0x26, 0x00));
    EXPECT_EQ(a.settings.faults[1].commandNumber, 7u);
    EXPECT_EQ(a.settings.faults[1].result.kind, CommandResult::Kind::AspiStatus);
    EXPECT_EQ(a.settings.faults[1].result.aspiStatus, 0x82);

    const DriveConfig& b = c.drives[1];
    EXPECT_EQ(b.settings.vendor, DriveSettings().vendor);  // defaults where not given
    EXPECT_TRUE(b.settings.discLoaded);
    EXPECT_TRUE(b.settings.driveCode.empty());
    ASSERT_EQ(b.settings.faults.size(), 1u);
    EXPECT_EQ(b.settings.faults[0].cdbPrefix, (Bytes{0xFF, 0x00, 0x01}));
    EXPECT_EQ(b.settings.faults[0].matchNumber, 3u);

    auto aspi = MakeSimAspi(c);
    EXPECT_EQ(aspi->GetASPI32SupportInfo(), 0x0403u);
    ASSERT_NE(aspi->Drive(2, 0), nullptr);
    EXPECT_EQ(aspi->Drive(0, 1)->Settings().driveCode, "xYz");
}

// Each error names its line and hands out nothing of the file. The valid
// lines in front make sure the error is not simply the first line.
TEST(SimConfig, ErrorsRefuseTheWholeFileNamingTheLine) {
    const std::string ok = "log /tmp/x\ndrive 0 0\nvendor V\n";
    const struct {
        std::string text;
        int line;
        const char* message;
    } cases[] = {
        {ok + "vendr X\n", 4, "unknown setting 'vendr'"},
        {"vendor X\n", 1, "'vendor' outside a drive section"},
        {ok + "adapters 2\n", 4, "global setting 'adapters' must come before the first drive section"},
        {"log a\nlog b\n", 2, "'log' given twice"},
        {ok + "vendor W\n", 4, "'vendor' given twice"},
        {ok + "drive 0 0\n", 4, "drive 0 0 already defined on line 2"},
        {ok + "drive 0 8\n", 4, "target must be a number 0..7"},
        {ok + "drive 1\n", 4, "expected 'drive <adapter> <target>'"},
        {ok + "product \"12345678901234567\"\n", 4, "'product' is longer than 16 characters"},
        {ok + "revision 1 0\n", 4, "'revision' takes one value (quote texts with blanks)"},
        {ok + "product \"abc\n", 4, "unterminated quoted string"},
        {ok + "disc maybe\n", 4, "disc must be yes or no"},
        {ok + "page40 yes\n", 4, "page40 must be accept or refuse"},
        {ok + "code ABCD\n", 4, "code must be 3 printable characters or none"},
        {ok + "type 0x1G\n", 4, "type must be a hex byte"},
        {ok + "delay-ms -5\n", 4, "delay-ms must be a number 0..600000"},
        {ok + "fault cdb 1D\n", 4, "fault: needs 'check KK/AA/QQ' or 'aspi HH'"},
        {ok + "fault check 05/26/00 aspi 82\n", 4, "fault: give one of check or aspi, once"},
        {ok + "fault cdb 1D0 check 05/26/00\n", 4, "fault: cdb must be hex bytes"},
        {ok + "fault check 05/26 aspi 82\n", 4, "fault: check must be KK/AA/QQ in hex"},
        {ok + "fault command 0 aspi 82\n", 4, "fault: command must be a number from 1"},
        {ok + "fault lun 1 aspi 82\n", 4, "fault: unknown word 'lun'"},
        {ok + "fault aspi\n", 4, "fault: 'aspi' needs a value"},
        {"adapters 1\ndrive 0 0\n\ndrive 1 2\n", 4, "drive on adapter 1 but adapters is 1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ConfigParse p = ParseSimConfig(c.text);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.line, c.line);
        EXPECT_EQ(p.message, "line " + std::to_string(c.line) + ": " + c.message);
        EXPECT_TRUE(p.config.drives.empty());
        EXPECT_TRUE(p.config.logPath.empty());
        EXPECT_FALSE(p.config.adapters.has_value());
    }
}

TEST(SimConfig, UnreadableFileIsAnError) {
    const ConfigParse p = LoadSimConfig("/nonexistent/quillan-sim.conf");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.message, "cannot read /nonexistent/quillan-sim.conf");
}

}  // namespace
}  // namespace quillan::sim::test
