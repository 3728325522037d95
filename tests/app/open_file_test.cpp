// The open command: dialog, reading, the checks against the selected drive,
// what the fields show afterwards, and F9.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/firmware_files.h"
#include "support/main_form_fixture.h"

namespace quillan {
namespace {

using test_support::DriveOf;
using test_support::InfoBlock;

const char kModel[] = "HALVERN DVD-ROM XD-340  ";
const char kIncompatible[] = "This Firmware is not compatible with the selected drive.";
const char kIncompatibleCode[] =
    "This Firmware is not compatible with the selected drive.\n"
    "Contact your system manufacturer for information\n"
    "on firmware updates available for this drive.";
const char kOld[] = "Old Version Opened!!";
const char kK301[] = "You Must Download K301COM Version !!";

class OpenFile : public test_support::MainFormTest {
protected:
    // Opens a synthesized file by hand; returns the messages it caused.
    std::vector<std::string> Open(const std::vector<uint8_t>& bytes, const std::string& name = "fw_new.bin") {
        test_support::TempFile file(bytes, name);
        backend.nextOpenPath = file.Path();
        const size_t before = backend.Messages().size();
        form->ToolButton1Click();
        std::vector<std::string> texts = MessageTexts();
        return std::vector<std::string>(texts.begin() + static_cast<long>(before), texts.end());
    }
};

InfoBlock File(const char* model, const char* revision, const char* code, uint8_t codeCheck = 4) {
    InfoBlock info;
    info.model = model;
    info.revision = revision;
    info.code = code;
    info.codeCheck = codeCheck;
    info.chunkKb = 32;
    return info;
}

TEST_F(OpenFile, ChecksInOrder) {
    const struct Case {
        const char* name;
        const char* driveRevision;
        const char* driveCode;  // read directly when not empty
        const char* vendorSpecific;
        bool marked;
        InfoBlock file;
        bool noCheck;
        std::vector<std::string> messages;
        bool accepted;
    } cases[] = {
        {"same model and code", "1.10", "XDA", "", false, File(kModel, "1.10", "XDA"), false, {}, true},
        {"drive newer: warning", "1.20", "", "", false, File(kModel, "1.10", "1.", 1), false, {kOld}, true},
        {"drive older: no warning", "1.10", "", "", false, File(kModel, "1.20", "1.", 1), false, {}, true},
        {"character 0 takes no part", "2.00", "", "", false, File(kModel, "1.50", "2.", 1), false, {}, true},
        {"code read directly: characters 2-3 only", "1A30", "XDA", "", false, File(kModel, "1B29", "XDA"), false, {kOld}, true},
        {"code not read directly: characters 1-3", "1A30", "", "", false, File(kModel, "1B29", "1A", 1), false, {}, true},
        {"other model", "1.10", "XDA", "", false, File("HALVERN DVD-ROM XD-341  ", "1.10", "XDA"), false, {kIncompatible}, false},
        {"other model, -NOCHECK", "1.10", "XDA", "", false, File("HALVERN DVD-ROM XD-341  ", "1.10", "XXX"), true, {}, true},
        {"other code", "1.10", "XDA", "", false, File(kModel, "1.10", "XDB"), false, {kIncompatibleCode}, false},
        {"other code, -NOCHECK", "1.10", "XDA", "", false, File(kModel, "1.10", "XDB"), true, {}, true},
        {"other code, CodeCheck 1", "1.10", "XDA", "", false, File(kModel, "1.10", "XDB", 1), false, {}, true},
        {"BOOT drive: no code check, no warning", "BOOT", "XDA", "", false, File(kModel, "0.01", "ZZZ"), false, {}, true},
        {"BOOT drive, -NOCHECK", "BOOT", "XDA", "", false, File(kModel, "0.01", "ZZZ"), true, {}, true},
        {"drive newer, -NOCHECK still warns", "1.20", "", "", false, File(kModel, "1.10", "1.", 1), true, {kOld}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sim::DriveSettings drive = DriveOf("HALVERN ", "DVD-ROM XD-340  ", c.driveRevision, c.driveCode);
        drive.vendorSpecific = c.vendorSpecific;
        AddDrive(0, 0, drive);
        host.commandLine = c.noCheck ? "q.exe -NOCHECK" : "q.exe";
        Create();
        const auto shown = Open(test_support::ChunkedFile(c.file, 2, 28), "fw_new.bin");
        EXPECT_EQ(shown, c.messages);
        for (const auto& m : backend.Messages()) {
            if (m.text == kOld || m.text == kIncompatible || m.text == kIncompatibleCode) {
                EXPECT_EQ(m.caption, "MESSAGE");
                EXPECT_EQ(m.icon, toolkit::BoxIcon::Error);
                EXPECT_TRUE(m.owned);
                EXPECT_FALSE(m.systemModal);
            }
        }
        if (c.accepted) {
            EXPECT_EQ(FirmwareImage.Size, 60 * 1024);
            EXPECT_EQ(form->StaticText1.Text(), std::string(c.file.model));
            EXPECT_EQ(form->StaticText2.Text(), c.driveRevision);
            EXPECT_EQ(form->StaticText3.Text(), c.file.revision);
            EXPECT_EQ(form->StaticText4.Text(), "FW_NEW.BIN (60 K)");
            EXPECT_EQ(form->StaticText5.Text(), "Ready");
        } else {
            EXPECT_EQ(FirmwareImage.Size, 0);
            EXPECT_EQ(form->StaticText1.Text(), "");
            EXPECT_EQ(form->StaticText4.Text(), "Not Open");
            EXPECT_EQ(form->StaticText5.Text(), "");
        }
    }
}

TEST_F(OpenFile, K301RuleForTheComDrive) {
    sim::DriveSettings k300 = DriveOf("HALVERN ", "CDRW/DVD XM-590B", "K300");
    k300.vendorSpecific = "COM";
    AddDrive(0, 0, k300);
    host.commandLine = "q.exe -NOCHECK";
    Create();
    ASSERT_TRUE(form->driveFlags.K300ComDrive);
    const char* model = "HALVERN CDRW/DVD XM-590B";
    // -NOCHECK does not lift it; a marked file is never refused by it.
    EXPECT_EQ(Open(test_support::ChunkedFile(File(model, "K300", "K3 "), 2, 28)), std::vector<std::string>{kK301});
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(Open(test_support::ChunkedFile(File(model, "K301", "K3 "), 2, 28)), std::vector<std::string>{});
    EXPECT_NE(FirmwareImage.Size, 0);
    EXPECT_EQ(Open(test_support::MarkedFile(100000, File(model, "K400", ""))), std::vector<std::string>{});
    EXPECT_NE(FirmwareImage.Size, 0);
}

TEST_F(OpenFile, DialogNamesAndF9) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
    Create();
    InfoBlock info = File(kModel, "1.10", "xda");
    test_support::TempFile file(test_support::ChunkedFile(info, 8, 16), "Mixed_Case.bin");
    backend.nextOpenPath = file.Path();
    form->ToolButton1Click();
    EXPECT_EQ(backend.lastDialogFilter, "DOWNLOAD FILE(*.BIN)|*.BIN");
    EXPECT_EQ(FirmwareImage.Path, file.Path());
    EXPECT_EQ(form->StaticText4.Text(), "MIXED_CASE.BIN (240 K)");

    form->FormKeyDown(0x77);  // F8: nothing
    form->FormKeyDown(0x78);
    ASSERT_EQ(backend.Messages().size(), 1u);
    const auto f9 = backend.Messages()[0];
    EXPECT_EQ(f9.text, "Download File Info. !!\n(32768b 224Kb 8Cmd)\n");
    EXPECT_EQ(f9.caption, "MESSAGE");
    EXPECT_EQ(f9.icon, toolkit::BoxIcon::None);
    EXPECT_TRUE(f9.systemModal);
    EXPECT_TRUE(f9.owned);

    // Cancelling the dialog leaves the loaded file as it was.
    backend.nextOpenPath.clear();
    form->ToolButton1Click();
    EXPECT_EQ(FirmwareImage.Path, file.Path());
    EXPECT_EQ(FirmwareImage.Size, 240 * 1024);

    // A file that does not read keeps the fields as they were, with no file.
    backend.nextOpenPath = "/no/such/FW.BIN";
    form->ToolButton1Click();
    EXPECT_EQ(MessageTexts().back(), "File Not Opened!!");
    EXPECT_EQ(backend.Messages().back().icon, toolkit::BoxIcon::Error);
    EXPECT_TRUE(backend.Messages().back().systemModal);
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(form->StaticText4.Text(), "MIXED_CASE.BIN (240 K)");
    const size_t shown = backend.Messages().size();
    form->FormKeyDown(0x78);
    EXPECT_EQ(backend.Messages().size(), shown);
}

// A drive code is three bytes, and a zero byte among them is part of it: the
// file's code and the drive's are upper-cased in all three, so a code written
// in small letters on one side still fits the same code on the other, and
// codes that differ stay apart.
TEST_F(OpenFile, CodesWithZeroBytesAreUpperCasedInAllThree) {
    const std::string z(1, '\0');
    const struct Case {
        const char* name;
        std::string fileCode;
        std::string driveCode;  // read from the drive
        std::string keptFileCode, keptDriveCode;
        bool accepted;
    } cases[] = {
        {"file 00 61 00, drive 00 41 00", z + "a" + z, z + "A" + z, z + "A" + z, z + "A" + z, true},
        {"file 00 41 00, drive 00 61 00", z + "A" + z, z + "a" + z, z + "A" + z, z + "A" + z, true},
        {"file 61 00 62, drive 41 00 62", "a" + z + "b", "A" + z + "b", "A" + z + "B", "A" + z + "B", true},
        {"file 00 00 7A, drive 00 00 5A", z + z + "z", z + z + "Z", z + z + "Z", z + z + "Z", true},
        {"file 00 61 00, drive 00 62 00", z + "a" + z, z + "b" + z, z + "A" + z, z + "B" + z, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", c.driveCode));
        Create();
        ASSERT_TRUE(DriveIdentity.codeReadDirectly);
        EXPECT_EQ(std::string(DriveIdentity.driveCode, 3), c.keptDriveCode);
        InfoBlock info = File(kModel, "1.10", "");
        info.code = c.fileCode;
        EXPECT_EQ(Open(test_support::ChunkedFile(info, 2, 16)),
                  c.accepted ? std::vector<std::string>{} : std::vector<std::string>{kIncompatibleCode});
        EXPECT_EQ(std::string(FirmwareImage.Code, 3), c.keptFileCode);
        EXPECT_EQ(FirmwareImage.Size != 0, c.accepted);
    }
}

}  // namespace
}  // namespace quillan
