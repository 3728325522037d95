// What the drive assembles from each kind of download, compared with the
// synthesized firmware that was sent.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/sim_drive.h"
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

constexpr size_t kChunk = 32 * 1024;
const auto kGood = CommandResult::Kind::Good;

// Chunked FLASH DOWNLOAD: first (00), middles (FF), last (size in KB); one
// chunk is the whole image in a single last command.
class ChunkedDownload : public ::testing::TestWithParam<int> {};

TEST_P(ChunkedDownload, AssemblesChunksInOrder) {
    const int chunks = GetParam();
    const Bytes firmware = Pattern(kChunk * (chunks - 1) + 16 * 1024, 1);
    SimDrive drive;
    for (int i = 0; i < chunks; ++i) {
        const bool last = i == chunks - 1;
        EXPECT_EQ(drive.Completions(Completion::LastChunk), 0u);
        ASSERT_EQ(RunOut(drive, FlashDownloadCdb(last ? 16 : (i == 0 ? 0x00 : 0xFF)),
                         Slice(firmware, i * kChunk, last ? 16 * 1024 : kChunk)).kind, kGood);
    }
    EXPECT_EQ(drive.Image(), firmware);
    EXPECT_EQ(drive.Completions(Completion::LastChunk), 1u);
    EXPECT_EQ(drive.LastCompletion(), Completion::LastChunk);
    EXPECT_FALSE(drive.ChunkedDownloadOpen());
}

INSTANTIATE_TEST_SUITE_P(Download, ChunkedDownload, ::testing::Values(1, 2, 3));

// Each refused FLASH DOWNLOAD leaves the image as it was.
TEST(ChunkedDownload, RefusedChunksAssembleNothing) {
    const struct {
        const char* name;
        bool afterFirstChunk;
        Bytes cdb;
        size_t length;
        Bytes sense;
    } cases[] = {
        {"MiddleWithoutFirst", false, FlashDownloadCdb(0xFF), kChunk, {5, 0x2C, 0}},
        {"FirstNotWholeKB", false, FlashDownloadCdb(0x00), 1000, {5, 0x24, 0}},
        {"MiddleSizeDiffers", true, FlashDownloadCdb(0xFF), kChunk - 1024, {5, 0x24, 0}},
        {"LastSizeNotMM", true, FlashDownloadCdb(0x02), 1024, {5, 0x24, 0}},
        {"SingleWrongSize", false, FlashDownloadCdb(0x01, 0xF0), 1000, {5, 0x24, 0}},
        {"SingleWrongMM", false, FlashDownloadCdb(0x02, 0xF0), 2048, {5, 0x24, 0}},
        {"UnknownMode", false, FlashDownloadCdb(0x01, 0x01), 1024, {5, 0x24, 0}},
        {"ReservedByteSet", false, {0xFF, 0, 0x01, 0, 0, 0x01, 0, 0, 0, 0, 0, 1}, 1024, {5, 0x24, 0}},
        {"SixByteCdb", false, {0xFF, 0, 0x01, 0, 0, 0x01}, 1024, {5, 0x24, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDrive drive;
        const Bytes first = Pattern(kChunk, 2);
        if (c.afterFirstChunk) {
            EXPECT_EQ(RunOut(drive, FlashDownloadCdb(0x00), first).kind, kGood);
        }
        EXPECT_TRUE(IsCheck(RunOut(drive, c.cdb, Pattern(c.length, 3)), c.sense[0], c.sense[1], c.sense[2]));
        EXPECT_EQ(drive.Image(), c.afterFirstChunk ? first : Bytes());
        EXPECT_TRUE(drive.SingleCommandData().empty());
        EXPECT_EQ(drive.LastCompletion(), Completion::None);
    }
}

TEST(SingleCommandDownload, KeepsTheKilobyte) {
    SimDrive drive;
    const Bytes data = Pattern(1024, 4);
    EXPECT_EQ(RunOut(drive, FlashDownloadCdb(0x01, 0xF0), data).kind, kGood);
    EXPECT_EQ(drive.SingleCommandData(), data);
    EXPECT_TRUE(drive.Image().empty());
    EXPECT_EQ(drive.Completions(Completion::SingleCommand), 1u);
}

// 0xC0 pages: block n lands at (n-1)*32 KB whatever the order; the closing
// page completes the download.
class PageDownload : public ::testing::TestWithParam<std::vector<uint8_t>> {};

TEST_P(PageDownload, PlacesBlocksByNumber) {
    const std::vector<uint8_t>& order = GetParam();
    const Bytes firmware = Pattern(4 * kChunk, 5);
    SimDrive drive;
    for (uint8_t n : order)
        ASSERT_EQ(SendPage(drive, Page(0xC0, static_cast<uint16_t>(n << 8), Slice(firmware, (n - 1) * kChunk, kChunk))).kind, kGood);
    EXPECT_EQ(drive.Completions(Completion::PageClosing), 0u);
    EXPECT_EQ(SendPage(drive, Page(0xC0, 0x0000)).kind, kGood);
    EXPECT_EQ(drive.Image(), firmware);
    EXPECT_EQ(drive.PageBlocks(), order);
    EXPECT_EQ(drive.Completions(Completion::PageClosing), 1u);
    EXPECT_EQ(drive.FlashPageCount(0xC0), 5u);
}

INSTANTIATE_TEST_SUITE_P(Download, PageDownload,
                         ::testing::Values(std::vector<uint8_t>{1, 2, 3, 4}, std::vector<uint8_t>{3, 1, 4, 2}));

TEST(PageDownload, ClosingWithoutBlocksIsASequenceError) {
    SimDrive drive;
    EXPECT_TRUE(IsCheck(SendPage(drive, Page(0xC0, 0x0000)), 5, 0x2C, 0));
    EXPECT_EQ(drive.Completions(Completion::PageClosing), 0u);
}

// 512 0xD9 pieces at 0x8000..0xFFC0 make the 32 KB boot block; it completes
// only with the last missing piece.
class BootDownload : public ::testing::TestWithParam<bool> {};

TEST_P(BootDownload, PlacesPiecesByAddress) {
    const Bytes boot = Pattern(32768, 6);
    std::vector<int> pieces(512);
    for (int i = 0; i < 512; ++i) pieces[i] = GetParam() ? 511 - i : i;
    SimDrive drive;
    for (int i : pieces) {
        EXPECT_EQ(drive.Completions(Completion::BootBlock), 0u);
        ASSERT_EQ(SendPage(drive, BootPiece(static_cast<uint16_t>(0x8000 + 64 * i), Slice(boot, i * 64, 64))).kind, kGood);
    }
    EXPECT_EQ(drive.BootBlock(), boot);
    EXPECT_EQ(drive.BootPiecesReceived(), 512u);
    EXPECT_EQ(drive.Completions(Completion::BootBlock), 1u);
}

INSTANTIATE_TEST_SUITE_P(Download, BootDownload, ::testing::Values(false, true));

}  // namespace
}  // namespace quillan::sim::test
