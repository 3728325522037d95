// Which drive the default file fits at start-up.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/firmware_files.h"
#include "support/main_form_fixture.h"

namespace quillan {
namespace {

using test_support::DriveOf;
using test_support::InfoBlock;

class StartupMatch : public test_support::MainFormTest {
protected:
    // Creates the form with `bytes` as the default file.
    TMainForm& CreateWithDefaultFile(const std::vector<uint8_t>& bytes) {
        file = std::make_unique<test_support::TempFile>(bytes, "AUTORUN.BIN");
        FirmwareImage.Path = file->Path();
        FirmwareImage.StartupReady = true;
        return Create();
    }
    std::unique_ptr<test_support::TempFile> file;
};

InfoBlock FileFor(const char* model, const char* code, uint8_t codeCheck = 4) {
    InfoBlock info;
    info.model = model;
    info.revision = "1.50";
    info.code = code;
    info.codeCheck = codeCheck;
    info.chunkKb = 32;
    return info;
}

TEST_F(StartupMatch, FirstFittingDriveIsSelectedAndShown) {
    AddDrive(0, 0, DriveOf("BRISKO  ", "CD-RW CR-5224   ", "2.00", "CRA"));
    AddDrive(0, 1, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "B1.0", "XDA"));
    TMainForm& f = CreateWithDefaultFile(test_support::ChunkedFile(FileFor("HALVERN DVD-ROM XD-340  ", "XDA"), 2, 28));
    EXPECT_EQ(f.selectedDrive, 1);
    EXPECT_EQ(f.ComboBox1.ItemIndex(), 1);
    EXPECT_TRUE(f.driveFlags.BootFirmwareDrive);  // the flags describe the selected drive
    EXPECT_TRUE(FirmwareImage.StartupReady);
    EXPECT_EQ(FirmwareImage.Size, 60 * 1024);
    EXPECT_EQ(f.StaticText1.Text(), "HALVERN DVD-ROM XD-340  ");
    EXPECT_EQ(f.StaticText2.Text(), "B1.0");
    EXPECT_EQ(f.StaticText3.Text(), "1.50");
    EXPECT_EQ(f.StaticText4.Text(), file->Path() + " (60 K)");
    EXPECT_EQ(f.StaticText5.Text(), "READY");
    EXPECT_TRUE(backend.Messages().empty());
}

TEST_F(StartupMatch, CodeDecidesBetweenDrivesOfOneModel) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
    AddDrive(0, 1, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDB"));
    TMainForm& f = CreateWithDefaultFile(test_support::ChunkedFile(FileFor("HALVERN DVD-ROM XD-340  ", "xdb"), 2, 28));
    EXPECT_EQ(f.selectedDrive, 1);
    EXPECT_STREQ(DriveIdentity.driveCode, "XDB");
}

TEST_F(StartupMatch, NoFitFallsBackToTheFirstEntryWithoutAWord) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "B1.0", "XDA"));
    AddDrive(0, 1, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDB"));
    TMainForm& f = CreateWithDefaultFile(test_support::ChunkedFile(FileFor("HALVERN DVD-ROM XD-340  ", "XDC"), 2, 28));
    EXPECT_EQ(f.selectedDrive, 0);
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_FALSE(FirmwareImage.StartupReady);
    // Entry 0 was queried last, so identity and flags describe it.
    EXPECT_STREQ(DriveIdentity.driveCode, "XDA");
    EXPECT_TRUE(f.driveFlags.BootFirmwareDrive);
    EXPECT_EQ(f.StaticText4.Text(), "Not Open");
    EXPECT_TRUE(backend.Messages().empty());
}

TEST_F(StartupMatch, BriskoFitsAtStartupButNotByHand) {
    AddDrive(0, 0, DriveOf("BRISKO  ", "DVD-ROM XD-340B ", "1A00", "XDA"));
    const std::vector<uint8_t> bytes =
        test_support::ChunkedFile(FileFor("HALVERN DVD-ROM XD-340  ", "XDA"), 2, 28);  // revision 1.50
    TMainForm& f = CreateWithDefaultFile(bytes);
    EXPECT_EQ(f.StaticText5.Text(), "READY");
    EXPECT_NE(FirmwareImage.Size, 0);

    backend.nextOpenPath = file->Path();
    f.ToolButton1Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"This Firmware is not compatible with the selected drive."});
    EXPECT_EQ(FirmwareImage.Size, 0);
}

TEST_F(StartupMatch, TheK300DriveIsNeverFlashedUnattended) {
    sim::DriveSettings k300 = DriveOf("HALVERN ", "CDRW/DVD XM-590B", "K300");
    k300.vendorSpecific = "COM";
    AddDrive(0, 0, k300);
    InfoBlock info = FileFor("HALVERN CDRW/DVD XM-590B", "K3 ", 1);
    info.revision = "K301";
    TMainForm& f = CreateWithDefaultFile(test_support::ChunkedFile(info, 2, 28));
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_FALSE(FirmwareImage.StartupReady);
    EXPECT_TRUE(f.driveFlags.K300ComDrive);
}

TEST_F(StartupMatch, EmptyDriveListSendsNothing) {
    TMainForm& f = CreateWithDefaultFile(test_support::ChunkedFile(FileFor("HALVERN DVD-ROM XD-340  ", "XDA"), 2, 28));
    EXPECT_EQ(f.driveListCount, 0);
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_FALSE(FirmwareImage.StartupReady);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"DRIVE NOT FOUND!!"});
}

}  // namespace
}  // namespace quillan
