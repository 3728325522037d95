// The drive's answer to each command: status, exact sense, reply bytes, and
// that nothing lands past the transfer length.
#include <gtest/gtest.h>

#include <string>

#include "sim/sim_drive.h"
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

Bytes With(Bytes b, size_t at, uint8_t value) {
    b[at] = value;
    return b;
}

// INQUIRY reply of the drive below, written out from the field layout.
Bytes ExpectedInquiry(size_t n) {
    Bytes d(96, 0);
    d[0] = 0x05, d[1] = 0x80, d[4] = 91;
    const std::string fields = "HAL     CDRW/DVD XM-590B1.0Aab ";  // vendor, product, revision, vendor-specific
    std::copy(fields.begin(), fields.end(), d.begin() + 8);
    return Slice(d, 0, n);
}

DriveSettings Drive(bool ready) {
    DriveSettings s;
    s.vendor = "HAL", s.product = "CDRW/DVD XM-590B", s.revision = "1.0A", s.vendorSpecific = "ab";
    s.discLoaded = s.page40Accepted = ready;
    s.driveCode = ready ? "XyZ" : "";
    return s;
}

struct AnswerCase {
    const char* name;
    bool ready;  // disc, page 0x40 accepted, drive code "XyZ"
    Bytes cdb;
    Direction direction;
    Bytes data;   // out-data; for In only its size counts (the transfer length)
    Bytes sense;  // key, ASC, ASCQ; empty: GOOD
    Bytes reply;  // expected bytes in the host buffer
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class Answers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(Answers, StatusSenseAndReplyBytes) {
    const AnswerCase& c = GetParam();
    SimDrive drive(Drive(c.ready));
    const size_t transfer = c.data.size();
    Bytes buffer = c.direction == Direction::In ? Bytes(transfer, kGuard) : c.data;
    buffer.resize(transfer + 16, kGuard);
    const CommandResult r =
        drive.Execute(c.cdb.data(), c.cdb.size(), buffer.data(), static_cast<uint32_t>(transfer), c.direction);

    const Bytes sense = c.sense.empty() ? Bytes{0, 0, 0} : c.sense;
    EXPECT_EQ(r.kind, c.sense.empty() ? CommandResult::Kind::Good : CommandResult::Kind::CheckCondition);
    EXPECT_TRUE(c.sense.empty() || IsCheck(r, sense[0], sense[1], sense[2]));
    EXPECT_EQ(r.bytesIn, c.reply.size());
    if (c.direction == Direction::In) {
        Bytes expected = c.reply;
        expected.resize(transfer + 16, kGuard);  // untouched past the reply
        EXPECT_EQ(buffer, expected);
    }
    if (!c.sense.empty()) {  // a refused command assembles nothing
        EXPECT_TRUE(drive.Image().empty());
        EXPECT_TRUE(drive.BootBlock().empty());
        EXPECT_EQ(drive.FlashPageCount(c.data.size() > 5 ? c.data[5] : 0), 0u);
    }
}

const auto In = Direction::In;
const auto Out = Direction::Out;
const Bytes kNone;
const Bytes kF0 = Page(0xF0, 0xFF00);
const Bytes kPiece = Pattern(64, 9);

// Every malformed flash page is refused with 05/26/00.
AnswerCase Malformed(const char* name, Bytes page, size_t listLength = 0) {
    const Bytes cdb = SendDiagnosticCdb(listLength ? listLength : page.size());
    return AnswerCase{name, true, cdb, Direction::Out, std::move(page), {5, 0x26, 0}, {}};
}

INSTANTIATE_TEST_SUITE_P(
    Drive, Answers,
    ::testing::Values(
        AnswerCase{"InquiryProbe", true, kInquiryProbe, In, Bytes(36), kNone, ExpectedInquiry(36)},
        AnswerCase{"InquiryFull", true, kInquiry, In, Bytes(96), kNone, ExpectedInquiry(96)},
        AnswerCase{"InquiryTwelveByteCdb", true, kInquiry12, In, Bytes(96), kNone, ExpectedInquiry(96)},
        AnswerCase{"InquiryCutToTransfer", true, kInquiry, In, Bytes(40), kNone, ExpectedInquiry(40)},
        AnswerCase{"InquiryCutToAllocation", true, kInquiryProbe, In, Bytes(96), kNone, ExpectedInquiry(36)},
        AnswerCase{"InquiryPaddingNotZero", true, {0x12, 0, 0, 0, 0x60, 0, 0, 0, 0, 0, 0, 1}, In, Bytes(96), {5, 0x24, 0}, kNone},
        AnswerCase{"InquiryEvpd", true, {0x12, 1, 0, 0, 0x60, 0}, In, Bytes(96), {5, 0x24, 0}, kNone},
        AnswerCase{"TestUnitReadyDisc", true, kTestUnitReady, In, kNone, kNone, kNone},
        AnswerCase{"TestUnitReadyNoDisc", false, kTestUnitReady, In, kNone, {2, 0x3A, 0}, kNone},
        AnswerCase{"Eject", true, kEject, Out, kNone, kNone, kNone},
        AnswerCase{"ReceiveDiagnostic", true, kReceiveDiagnostic, In, Bytes(8), kNone, Bytes(8, 0)},
        AnswerCase{"ReadDriveCode", true, kReadDriveCode, In, Bytes(8), kNone, {0, 6, 0, 0, 'X', 'y', 'Z', 0}},
        AnswerCase{"ReadDriveCodeCutToTransfer", true, kReadDriveCode, In, Bytes(4), kNone, {0, 6, 0, 0}},
        AnswerCase{"ReadDriveCodeNone", false, kReadDriveCode, In, Bytes(8), {5, 0x20, 0}, kNone},
        AnswerCase{"ReadDriveCodeWrongDirection", true, kReadDriveCode, Out, Bytes(8), {5, 0x24, 0}, kNone},
        AnswerCase{"UnknownOpcode", true, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, In, Bytes(8), {5, 0x20, 0}, kNone},
        AnswerCase{"UnknownVendorCommand", true, {0xFF, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0}, In, Bytes(8), {5, 0x20, 0}, kNone},
        AnswerCase{"Page40Accepted", true, SendDiagnosticCdb(8), Out, Page(0x40, 0x0000), kNone, kNone},
        AnswerCase{"Page40Refused", false, SendDiagnosticCdb(8), Out, Page(0x40, 0x0000), {5, 0x26, 0}, kNone},
        AnswerCase{"PageF0", true, SendDiagnosticCdb(8), Out, Page(0xF0, 0xFF00), kNone, kNone},
        AnswerCase{"PageDC", true, SendDiagnosticCdb(8), Out, Page(0xDC, 0x0000), kNone, kNone},
        AnswerCase{"PageDB", true, SendDiagnosticCdb(8), Out, Page(0xDB, 0x0000), kNone, kNone},
        AnswerCase{"PageD8", true, SendDiagnosticCdb(8), Out, Page(0xD8, 0x0080), kNone, kNone},
        Malformed("PageCode", With(kF0, 0, 0x89)), Malformed("Byte1", With(kF0, 1, 0x01)),
        Malformed("PageLength", With(kF0, 3, 0x05)), Malformed("Byte4", With(kF0, 4, 0x01)),
        Malformed("UnknownFunction", Page(0x41, 0x0000)), Malformed("ListLengthNotTransfer", kF0, 76),
        Malformed("ShorterThanHeader", {0x88, 0x00, 0x00, 0x02, 0x00, 0xF0}),
        Malformed("Page40Argument", Page(0x40, 0x0001)), Malformed("Page40WithData", Page(0x40, 0x0000, Bytes(4))),
        Malformed("F0Argument", Page(0xF0, 0xFF01)), Malformed("D8Argument", Page(0xD8, 0x0000)),
        Malformed("DCArgument", Page(0xDC, 0x0100)), Malformed("C0BlockWithoutData", Page(0xC0, 0x0100)),
        Malformed("C0BlockShort", Page(0xC0, 0x0100, Bytes(32767))),
        Malformed("C0Byte7", Page(0xC0, 0x0101, Bytes(32768))),
        Malformed("C0ClosingWithData", Page(0xC0, 0x0000, Bytes(64))),
        Malformed("D9BelowRange", BootPiece(0x7FC0, kPiece)), Malformed("D9NotAligned", BootPiece(0x8020, kPiece)),
        Malformed("D9DataLength", With(BootPiece(0x8000, kPiece), 9, 0x41)),
        Malformed("D9Trailer", With(BootPiece(0x8000, kPiece), 75, 0x01)),
        Malformed("D9Short", Page(0xD9, 0x8000, Cat({{0x00, 0x40}, kPiece, {0x00}})))),
    [](const auto& info) { return std::string(info.param.name); });

// The log holds every command as sent, in order, with its result; eject
// changes what TEST UNIT READY answers.
TEST(DriveLog, RecordsEveryCommandInOrder) {
    SimDrive drive;
    RunIn(drive, kInquiryProbe, 36);
    RunIn(drive, kTestUnitReady, 0);
    RunOut(drive, kEject, {});
    RunIn(drive, kTestUnitReady, 0);
    SendPage(drive, kF0);

    const struct {
        Bytes cdb;
        uint32_t length;
        Direction direction;
        Bytes dataOut;
        Bytes sense;
    } expected[] = {{kInquiryProbe, 36, In, {}, {}}, {kTestUnitReady, 0, In, {}, {}}, {kEject, 0, Out, {}, {}},
                    {kTestUnitReady, 0, In, {}, {2, 0x3A, 0}}, {SendDiagnosticCdb(8), 8, Out, kF0, {}}};
    ASSERT_EQ(drive.Log().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const LogEntry& e = drive.Log()[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(e.number, i + 1);
        EXPECT_EQ(e.cdb, expected[i].cdb);
        EXPECT_EQ(e.transferLength, expected[i].length);
        EXPECT_EQ(e.direction, expected[i].direction);
        EXPECT_EQ(e.dataOut, expected[i].dataOut);
        const Bytes& sense = expected[i].sense;
        EXPECT_TRUE(sense.empty() ? e.result.kind == CommandResult::Kind::Good
                                  : bool(IsCheck(e.result, sense[0], sense[1], sense[2])));
    }
    EXPECT_EQ(drive.Log()[0].result.bytesIn, 36u);
    EXPECT_FALSE(drive.DiscLoaded());
}

}  // namespace
}  // namespace quillan::sim::test
