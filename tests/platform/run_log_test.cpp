// The run log's own rules: it turns into QUILLAN.OLD before passing 1 MB,
// lines from two threads never mix, and a folder it cannot write to costs
// nothing but the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/run_log.h"
#include "support/scratch_dir.h"

namespace quillan {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RunLog, BecomesTheOldLogBeforePassingOneMegabyte) {
    const std::filesystem::path dir = test_support::FreshScratchDir("quillan-log");
    const std::string folder = (dir / "").string();
    const struct Case {
        const char* name;
        long before;      // bytes already in QUILLAN.LOG
        bool rotated;
    } cases[] = {
        {"room for the line", kRunLogLimit - 14, false},  // "window after\r\n" is 14 bytes
        {"one byte short", kRunLogLimit - 13, true},
        {"already past the limit", kRunLogLimit + 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / kOldRunLogName);
        std::ofstream(dir / kOldRunLogName) << "an older run";
        const std::string earlier(static_cast<size_t>(c.before), 'e');
        std::ofstream(dir / kRunLogName, std::ios::binary) << earlier;
        ASSERT_TRUE(OpenRunLog(folder));
        LogLine("after");
        CloseRunLog();
        if (c.rotated) {
            EXPECT_EQ(ReadAll(dir / kOldRunLogName), earlier);
            EXPECT_EQ(ReadAll(dir / kRunLogName), "window after\r\n");
        } else {
            EXPECT_EQ(ReadAll(dir / kOldRunLogName), "an older run");
            EXPECT_EQ(ReadAll(dir / kRunLogName), earlier + "window after\r\n");
        }
    }
}

TEST(RunLog, AFolderThatCannotBeWrittenLogsNothing) {
    const std::filesystem::path dir = test_support::FreshScratchDir("quillan-log");
    EXPECT_FALSE(OpenRunLog((dir / "missing" / "").string()));
    EXPECT_FALSE(RunLogOpen());
    LogLine("nowhere");
    const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x24, 0};
    LogCommand(cdb, 6, 0, 36, 1, nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

// Both of the program's threads write; every line must arrive whole.
TEST(RunLog, LinesOfTwoThreadsNeverMix) {
    const std::filesystem::path dir = test_support::FreshScratchDir("quillan-log");
    ASSERT_TRUE(OpenRunLog((dir / "").string()));
    constexpr int kLines = 2000;
    const std::string window(200, 'w'), worker(200, 'k');
    std::thread second([&] {
        SetRunLogThreadName("worker");
        for (int i = 0; i < kLines; ++i) LogLine(worker);
    });
    for (int i = 0; i < kLines; ++i) LogLine(window);
    second.join();
    CloseRunLog();
    std::ifstream in(dir / kRunLogName, std::ios::binary);
    int windowLines = 0, workerLines = 0, other = 0;
    for (std::string line; std::getline(in, line);) {
        if (line == "window " + window + "\r")
            ++windowLines;
        else if (line == "worker " + worker + "\r")
            ++workerLines;
        else
            ++other;
    }
    EXPECT_EQ(windowLines, kLines);
    EXPECT_EQ(workerLines, kLines);
    EXPECT_EQ(other, 0);
}

}  // namespace
}  // namespace quillan
