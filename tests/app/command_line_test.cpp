// Command-line words and the run mode they select.
#include <string>

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace quillan {
namespace {

TEST(CommandLineWords, Table) {
    const struct {
        const char* line;
        int n;
        const char* word;
    } cases[] = {
        {"C:\\Q\\quillan.exe -live", 1, "-LIVE"},
        {"C:\\Q\\quillan.exe -live", 0, "C:\\Q\\QUILLAN.EXE"},
        {"quillan.exe    -test   fw.bin  ", 2, "FW.BIN"},
        {"quillan.exe -test", 2, ""},
        {"quillan.exe", 1, ""},
        {"", 0, ""},
        // Quotes are ordinary: a path with a blank splits into words.
        {"\"C:\\Program Files\\quillan.exe\" -LIVE", 1, "FILES\\QUILLAN.EXE\""},
        {"\"C:\\Program Files\\quillan.exe\" -LIVE", 2, "-LIVE"},
        // Tabs do not separate words; only a..z are upper-cased.
        {"q.exe\t-live", 0, "Q.EXE\t-LIVE"},
        {"q.exe \xe9t\xe9", 1, "\xe9T\xe9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandLineWord(c.line, c.n), c.word) << c.line << " word " << c.n;
}

TEST(CommandLineWords, LongLinesAreCutAtTheWorkingBuffer) {
    // 5000 characters: a program path and one huge word; only 999 are read,
    // and the huge word, cut by them, is not taken.
    std::string line = "q.exe " + std::string(4994, 'a');
    ASSERT_EQ(line.size(), 5000u);
    EXPECT_EQ(CommandLineWord(line.c_str(), 0), "Q.EXE");
    EXPECT_EQ(CommandLineWord(line.c_str(), 1), "");
    EXPECT_EQ(CommandLineWord(line.c_str(), 2), "");

    // An option that starts beyond the buffer is never seen.
    std::string late = std::string(998, 'x') + " -LIVE";
    EXPECT_EQ(CommandLineWord(late.c_str(), 1), "");
}

// A word that the 999-character cut falls inside would name something the
// caller never wrote ("FW.BINX.OLD" cut to "FW.BIN"): it is absent, like any
// word after it. A word that ends right at the cut is whole.
TEST(CommandLineWords, AWordTheCutFallsInsideIsAbsent) {
    const std::string head = "q.exe -TEST";  // 11 characters
    const struct Case {
        const char* name;
        std::string line;
        int n;
        std::string word;
    } cases[] = {
        {"file name cut inside", head + std::string(999 - 11 - 6, ' ') + "FW.BINX.OLD", 2, ""},
        {"file name ends at the cut, a blank after", head + std::string(999 - 11 - 6, ' ') + "fw.bin x", 2,
         "FW.BIN"},
        {"file name ends the line at the cut", head + std::string(999 - 11 - 6, ' ') + "fw.bin", 2, "FW.BIN"},
        {"file name ends one before the cut", head + std::string(999 - 11 - 7, ' ') + "fw.bin" + " " + "zz", 2,
         "FW.BIN"},
        {"option cut inside: -LIVEX is not -LIVE", "q.exe" + std::string(999 - 5 - 5, ' ') + "-LIVEX", 1, ""},
        {"words before the cut one stay", head + std::string(999 - 11 - 6, ' ') + "FW.BINX.OLD", 1, "-TEST"},
    };
    for (const Case& c : cases) {
        ASSERT_GE(c.line.size(), 999u) << c.name;
        EXPECT_EQ(CommandLineWord(c.line.c_str(), c.n), c.word) << c.name;
    }
    // The unattended run the cut name would have started: -TEST without its file.
    const std::string cut = head + std::string(999 - 11 - 6, ' ') + "FW.BINX.OLD";
    EXPECT_TRUE(RunModesFromWord(CommandLineWord(cut.c_str(), 1)).testMode);
    EXPECT_EQ(CommandLineWord(cut.c_str(), 2), "");
}

TEST(RunMode, OnlyWordOneCountsAndOneOptionAtATime) {
    const struct {
        const char* line;
        bool test, noCheck, live;
    } cases[] = {
        {"q.exe -LIVE", false, false, true},
        {"q.exe -live -TEST", false, false, true},
        {"q.exe -Test a.bin", true, false, false},
        {"q.exe -nocheck", false, true, false},
        {"q.exe x -LIVE", false, false, false},
        {"q.exe -LIVEX", false, false, false},
    };
    for (const auto& c : cases) {
        const RunModes mode = RunModesFromWord(CommandLineWord(c.line, 1));
        EXPECT_EQ(mode.testMode, c.test) << c.line;
        EXPECT_EQ(mode.noCheckMode, c.noCheck) << c.line;
        EXPECT_EQ(mode.liveMode, c.live) << c.line;
    }
}

}  // namespace
}  // namespace quillan
