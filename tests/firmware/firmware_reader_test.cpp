// ReadFirmwareFile on synthesized files of every layout.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "state/program_state.h"
#include "firmware/firmware_reader.h"
#include "support/firmware_files.h"

namespace quillan {
namespace {

using test_support::ChunkedFile;
using test_support::InfoBlock;
using test_support::MarkedFile;
using test_support::TempFile;
using test_support::TrailerFile;

struct Loaded {
    bool ok;
    std::vector<std::string> messages;
};

Loaded Load(const std::vector<uint8_t>& bytes) {
    TempFile file(bytes);
    Loaded loaded{false, {}};
    FirmwareImage.Path = file.Path();
    loaded.ok = ReadFirmwareFile(file.Path(), [&](const std::string& m) { loaded.messages.push_back(m); });
    return loaded;
}

InfoBlock Model(const char* model, const char* revision = "1.10") {
    InfoBlock info;
    info.model = model;
    info.revision = revision;
    return info;
}

TEST(FirmwareReader, Layouts) {
    const InfoBlock plain = Model("HALVERN DVD-ROM XD-340  ");
    const InfoBlock boot = Model("VELMORICCD/DVDW VM-R916A", "r1.3");
    InfoBlock chunks32x8 = plain;
    chunks32x8.chunkKb = 32;
    chunks32x8.chunkCount = 8;
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t size;
        bool marked, trimmed, single;
        int32_t chunkKb, chunkCount;
        const char* code;
        int32_t codeCheck;
    } cases[] = {
        {"marked, any length", MarkedFile(50000, plain), 50000, true, false, false, 32, 1, "1. ", 4},
        {"marked boot model at 256 KB", MarkedFile(262144, boot), 262144, true, false, false, 32, 8, "R1 ", 4},
        {"marked boot model past 256 KB", MarkedFile(262145, boot), 196609, true, true, false, 32, 6, "R1 ", 4},
        {"marked other model 300,000", MarkedFile(300000, plain), 300000, true, false, false, 32, 9, "1. ", 4},
        {"marked, 255 blocks: the most one byte numbers", MarkedFile(255 * 32768, plain), 255 * 32768, true, false,
         false, 32, 255, "1. ", 4},
        {"chunked 32 KB x 8", TrailerFile(245760, chunks32x8), 245760, false, false, false, 32, 8, "XDA", 4},
        {"single command, garbage chunk bytes",
         [] { InfoBlock i; i.chunkKb = 0xEE; i.chunkCount = 0x77; return TrailerFile(65536, i); }(),
         65536, false, false, true, 0xEE, 0x77, "XDA", 4},
    };
    for (const Case& c : cases) {
        const Loaded loaded = Load(c.bytes);
        ASSERT_TRUE(loaded.ok) << c.name << ": " << (loaded.messages.empty() ? "" : loaded.messages[0]);
        EXPECT_TRUE(loaded.messages.empty()) << c.name;
        EXPECT_EQ(FirmwareImage.Size, c.size) << c.name;
        EXPECT_EQ(FirmwareImage.Marked, c.marked) << c.name;
        EXPECT_EQ(FirmwareImage.Trimmed, c.trimmed) << c.name;
        EXPECT_EQ(FirmwareImage.SingleCommand, c.single) << c.name;
        EXPECT_EQ(FirmwareImage.ChunkKb, c.chunkKb) << c.name;
        EXPECT_EQ(FirmwareImage.ChunkCount, c.chunkCount) << c.name;
        EXPECT_STREQ(FirmwareImage.Code, c.code) << c.name;
        EXPECT_EQ(FirmwareImage.CodeCheck, c.codeCheck) << c.name;
    }
}

TEST(FirmwareReader, AlternativeBlockWhenTheTrailerStartsWithFF) {
    InfoBlock real = Model("HALVERN CD-ROM XN-870   ", "2.00");
    real.chunkKb = 64;
    real.chunkCount = 2;
    std::vector<uint8_t> file = TrailerFile(131072, real);
    test_support::PutBlock(file, 131072 - 65584, real);
    file[131072 - 48] = 0xFF;  // the trailer place holds no block
    const Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.ok);
    EXPECT_STREQ(FirmwareImage.Model, "HALVERN CD-ROM XN-870   ");
    EXPECT_STREQ(FirmwareImage.Revision, "2.00");
}

TEST(FirmwareReader, ChunkCheckAndItsFigures) {
    InfoBlock info = Model("HALVERN DVD-ROM XD-340  ");
    const struct Case {
        const char* name;
        uint8_t chunkKb, chunkCount;
        size_t length;
        const char* message;  // empty: accepted
    } cases[] = {
        {"consistent", 32, 8, 245760, ""},
        {"one byte more", 32, 8, 245761, "File Open Fail (No Flash File) !!\n32768b 16Kb 8Cmd"},
        {"last piece negative wraps", 64, 8, 65536 * 3, "File Open Fail (No Flash File) !!\n65536b 0Kb 8Cmd"},
        {"last piece above 255 KB wraps", 1, 2, 300 * 1024, "File Open Fail (No Flash File) !!\n1024b 43Kb 2Cmd"},
        {"pieces larger than the buffer", 96, 2, 192 * 1024, "File Open Fail (No Flash File) !!\n98304b 96Kb 2Cmd"},
        {"last piece larger than the buffer", 32, 2, 32 * 1024 + 100 * 1024, "File Open Fail (No Flash File) !!\n32768b 100Kb 2Cmd"},
        {"no pieces at all", 48, 0, 60 * 1024, "File Open Fail (No Flash File) !!\n49152b 108Kb 0Cmd"},
        {"one piece of 64 KB", 64, 1, 65536 + 1024, "File Open Fail (No Flash File) !!\n65536b 65Kb 1Cmd"},
        // Pieces of 0 KB would go out as commands without data.
        {"chunks of 0 KB", 0, 3, 60 * 1024, "File Open Fail (No Flash File) !!\n0b 60Kb 3Cmd"},
        {"last piece of 0 KB", 24, 3, 48 * 1024, "File Open Fail (No Flash File) !!\n24576b 0Kb 3Cmd"},
        {"last piece of 0 KB after three", 20, 4, 60 * 1024, "File Open Fail (No Flash File) !!\n20480b 0Kb 4Cmd"},
        // A single piece is the last one: the chunk size is never used.
        {"one piece, chunk size past the buffer", 96, 1, 60 * 1024, ""},
        {"one piece, chunk size 0", 0, 1, 60 * 1024, ""},
        // Without the marker any length has the trailer layout.
        {"trailer file shorter than the marker's place", 8, 5, 40 * 1024, ""},
        {"one piece of 1 KB", 32, 1, 1024, ""},
    };
    for (const Case& c : cases) {
        info.chunkKb = c.chunkKb;
        info.chunkCount = c.chunkCount;
        const Loaded loaded = Load(TrailerFile(c.length, info));
        if (c.message[0] == '\0') {
            EXPECT_TRUE(loaded.ok) << c.name << ": " << (loaded.messages.empty() ? "" : loaded.messages[0]);
            continue;
        }
        EXPECT_FALSE(loaded.ok) << c.name;
        EXPECT_EQ(FirmwareImage.Size, 0) << c.name;
        EXPECT_EQ(loaded.messages, std::vector<std::string>{c.message}) << c.name;
    }
    // A marked file's block number is one byte: a 256th block would go out
    // as block 0.
    const Loaded tooMany = Load(MarkedFile(256 * 32768, info));
    EXPECT_FALSE(tooMany.ok);
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(tooMany.messages, std::vector<std::string>{"File Open Fail (No Flash File) !!\n32768b 32Kb 256Cmd"});
}

TEST(FirmwareReader, TextFieldsAndModelSubstitution) {
    const struct Case {
        const char* model;
        const char* revision;
        const char* code;
        const char* expectedModel;
        const char* expectedCode;
    } cases[] = {
        {"HALVERN CD-R/RW XW-710B ", "BC03", "abc", "OSTRANDE CD-RW KR5120E  ", "ABC"},
        {"HALVERN CD-R/RW XW-710F ", "FC01", "x1y", "OSTRANDE CD-RW KR5124E  ", "X1Y"},
        {"HALVERN CD-R/RW XW-710B ", "BQ10", "ZzZ", "ZUL     CD-R/RW XW-710B ", "ZZZ"},
        {"HALVERN CD-R/RW XW-710B ", "bc03", "abc", "HALVERN CD-R/RW XW-710B ", "ABC"},
        {"HALVERN CD-R/RW XW-710F ", "BC03", "abc", "HALVERN CD-R/RW XW-710F ", "ABC"},
        {"halvern dvd-rom xd-340  ", "a1.0", "gne", "halvern dvd-rom xd-340  ", "GNE"},
    };
    for (const Case& c : cases) {
        InfoBlock info = Model(c.model, c.revision);
        info.code = c.code;
        info.codeCheck = 1;
        ASSERT_TRUE(Load(ChunkedFile(info, 1, 60)).ok) << c.model;
        EXPECT_STREQ(FirmwareImage.Model, c.expectedModel) << c.model << c.revision;
        EXPECT_STREQ(FirmwareImage.Revision, c.revision);
        EXPECT_STREQ(FirmwareImage.Code, c.expectedCode);
        EXPECT_EQ(FirmwareImage.CodeCheck, 1);
    }
}

TEST(FirmwareReader, ShortFilesAndBadPathsAreRefusedWithNothingCarriedOver) {
    // First a good marked boot-block file, so that every flag is set.
    ASSERT_TRUE(Load(MarkedFile(300000, Model("VELMORICCD/DVDW VM-R916A"))).ok);
    ASSERT_TRUE(FirmwareImage.Trimmed);

    InfoBlock info;
    std::vector<uint8_t> alternativeTooShort = TrailerFile(60000, info);
    alternativeTooShort[60000 - 48] = 0xFF;
    std::vector<uint8_t> markedTooShort(0xBF20, 0x11);
    const uint8_t marker[4] = {0x05, 0x80, 0x00, 0x32};
    std::memcpy(markedTooShort.data() + 0xBF00, marker, 4);
    const struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"shorter than the trailer block", std::vector<uint8_t>(47, 0x22)},
        {"marked, block cut off", markedTooShort},
        {"marked, cut off inside the probe", std::vector<uint8_t>(markedTooShort.begin(), markedTooShort.begin() + 0xBF05)},
        {"alternative block before the start", alternativeTooShort},
    };
    for (const Case& c : cases) {
        const Loaded loaded = Load(c.bytes);
        EXPECT_FALSE(loaded.ok) << c.name;
        EXPECT_EQ(FirmwareImage.Size, 0) << c.name;
        EXPECT_FALSE(FirmwareImage.Trimmed) << c.name;
        EXPECT_STREQ(FirmwareImage.Model, "") << c.name;
        ASSERT_EQ(loaded.messages.size(), 1u) << c.name;
        EXPECT_EQ(loaded.messages[0], "File Open Fail (No Flash File) !!\n0b 0Kb 0Cmd") << c.name;
    }

    std::vector<std::string> messages;
    const auto show = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_FALSE(ReadFirmwareFile("/no/such/folder/FW.BIN", show));
    EXPECT_FALSE(ReadFirmwareFile(std::string(260, 'a'), show));  // longer than MAX_PATH allows
    EXPECT_EQ(messages, (std::vector<std::string>{"File Not Opened!!", "File Not Opened!!"}));
    EXPECT_EQ(FirmwareImage.Size, 0);
}

TEST(FirmwareReader, DownloadInfoFigures) {
    EXPECT_EQ(DownloadInfoText(32, 8), "Download File Info. !!\n(32768b 224Kb 8Cmd)\n");
    EXPECT_EQ(DownloadInfoText(60, 1), "Download File Info. !!\n(61440b 0Kb 1Cmd)\n");
    EXPECT_EQ(DownloadInfoText(96, 2), "Download File Info. !!\n(98304b 224Kb 2Cmd)\n");
}

}  // namespace
}  // namespace quillan
