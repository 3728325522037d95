// FormCreate on the headless toolkit: its order, the window's shape, the
// options and the no-drive path.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Quillanmain.h"
#include "app/toolkit/headless_backend.h"
#include "drive/aspi_entry_points.h"
#include "state/program_state.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/scratch_dir.h"
#include "support/sim_machine.h"

namespace quillan {
namespace {

using toolkit::BoxIcon;

class FormCreateTest : public test_support::SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        host.SetJournal(&backend.journal);
    }
    toolkit::HeadlessBackend backend;
};

TEST_F(FormCreateTest, StepsInOrderWithTheShapedWindow) {
    aspi.AddDrive(0, 0);
    TMainForm form(backend);
    form.FormCreate();

    const std::vector<std::string> expected = {"title", "command line", "size", "shape", "platform",
                                               "platform"};
    ASSERT_GE(backend.journal.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(backend.journal.begin(), backend.journal.begin() + expected.size()),
              expected);
    EXPECT_EQ(backend.title, "Quillan");
    EXPECT_EQ(backend.width, 400);
    EXPECT_EQ(backend.height, 200);
    const toolkit::RoundRect outline = {0, 0, 400, 200, 50, 50};
    EXPECT_EQ(std::memcmp(&backend.shape.outline, &outline, sizeof(outline)), 0);
    const toolkit::RoundRect notches[4] = {
        {100, -5, 300, 6, 10, 10}, {100, 195, 300, 205, 10, 10}, {-5, 50, 5, 150, 10, 10}, {395, 50, 405, 150, 10, 10}};
    ASSERT_EQ(backend.shape.notches.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(&backend.shape.notches[i], &notches[i], sizeof(notches[i])), 0) << i;
    EXPECT_EQ(form.ProgressBar1.Background(), toolkit::Rgb(160, 192, 240));
    EXPECT_FALSE(form.runModes.ntPlatform);
    EXPECT_EQ(TheDeviceTable.driveCount, 1);
    EXPECT_TRUE(backend.Messages().empty());
    // The timers as the form sets them.
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_TRUE(form.Timer2.Enabled());
    EXPECT_EQ(form.Timer2.Interval(), 100u);
    EXPECT_FALSE(form.Timer3.Enabled());
}

TEST_F(FormCreateTest, NoDriveFoundIsReportedAndNothingIsSent) {
    host.commandLine = "Q.EXE -nocheck";
    TMainForm form(backend);
    form.FormCreate();
    const auto messages = backend.Messages();
    ASSERT_EQ(messages.size(), 2u);
    // -NOCHECK comes first: it is read before the drives are looked for.
    EXPECT_EQ(messages[0].text, "-Nocheck Use!!");
    EXPECT_EQ(messages[0].caption, "MESSAGE");
    EXPECT_EQ(messages[0].icon, BoxIcon::None);
    EXPECT_TRUE(messages[0].systemModal);
    EXPECT_FALSE(messages[0].owned);
    EXPECT_EQ(messages[1].text, "DRIVE NOT FOUND!!");
    EXPECT_EQ(messages[1].caption, "MESSAGE");
    EXPECT_EQ(messages[1].icon, BoxIcon::Error);
    EXPECT_TRUE(messages[1].systemModal);
    EXPECT_FALSE(messages[1].owned);
    EXPECT_TRUE(form.runModes.noCheckMode);
    EXPECT_EQ(TheDeviceTable.driveCount, 0);
}

// Run in a scratch folder: natively "C:\FLASHTEST\FW.BIN" is just a file name
// there, under Wine it is the real test folder.
TEST_F(FormCreateTest, TestModeTakesItsFileFromTheTestFolder) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path scratch = test_support::FreshScratchDir("quillan-formcreate");
    std::filesystem::current_path(scratch);
#ifdef _WIN32
    std::filesystem::create_directories("C:\\FLASHTEST");
#endif
    {
        std::ofstream file("C:\\FLASHTEST\\FW.BIN", std::ios::binary);
        file << "too short to be firmware";
    }
    const struct {
        const char* line;
        const char* path;
        std::vector<std::string> messages;
    } cases[] = {
        // The file opens, so it is read (and refused as no flash file): the
        // path it was looked for under stays.
        {"q.exe -test fw.bin", "C:\\FLASHTEST\\FW.BIN", {"File Open Fail (No Flash File) !!\n0b 0Kb 0Cmd"}},
        // Nothing to open: the path is dropped.
        {"q.exe -TEST", "", {}},
        {"q.exe -LIVE fw.bin", "", {}},
    };
    aspi.AddDrive(0, 0);
    for (const auto& c : cases) {
        FirmwareImage = FirmwareImageRecord();
        host.commandLine = c.line;
        toolkit::HeadlessBackend quiet;
        TMainForm form(quiet);
        form.FormCreate();
        EXPECT_EQ(FirmwareImage.Path, c.path) << c.line;
        std::vector<std::string> texts;
        for (const auto& m : quiet.Messages()) texts.push_back(m.text);
        EXPECT_EQ(texts, c.messages) << c.line;
    }
    std::filesystem::current_path(previous);
    // The -LIVE case keeps its log beside its result file, in the scratch
    // folder: Windows removes no open file.
    CloseRunLog();
    std::filesystem::remove_all(scratch);
#ifdef _WIN32
    std::filesystem::remove("C:\\FLASHTEST\\FW.BIN");
#endif
}

TEST_F(FormCreateTest, NtFamilyScansPortsBeforeLookingForDrives) {
    host.platformId = kPlatformWin32Nt;
    TMainForm form(backend);
    form.FormCreate();
    EXPECT_TRUE(form.runModes.ntPlatform);
    // Four port positions are tried, then discovery asks the platform again.
    std::vector<std::string> tail;
    for (const std::string& entry : backend.journal)
        if (entry == "platform" || entry.rfind("open ", 0) == 0) tail.push_back(entry.substr(0, 5));
    EXPECT_EQ(tail, (std::vector<std::string>{"platf", "open ", "open ", "open ", "open ", "platf"}));
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, "DRIVE NOT FOUND!!");
}

}  // namespace
}  // namespace quillan
