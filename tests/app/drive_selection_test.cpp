// The drive list, the start-up selection and a change of drive.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/firmware_files.h"
#include "support/main_form_fixture.h"

namespace quillan {
namespace {

using test_support::DriveOf;

class DriveSelection : public test_support::MainFormTest {};

TEST_F(DriveSelection, OneDriveAndChoosingItAgain) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10"));
    TMainForm& f = Create();
    ASSERT_EQ(f.ComboBox1.Items(), std::vector<std::string>{"HALVERN DVD-ROM XD-340  1.10"});
    EXPECT_EQ(f.ComboBox1.ItemIndex(), 0);
    EXPECT_EQ(f.driveListCount, 1);
    const size_t commands = CommandCount();
    f.ComboBox1.Choose(0);
    EXPECT_EQ(CommandCount(), commands);
    EXPECT_TRUE(backend.Messages().empty());
}

TEST_F(DriveSelection, SilentDriveIsLeftOutAndCommandsGoToTheOther) {
    sim::DriveSettings silent = DriveOf("BRISKO  ", "CD-RW CR-5224   ", "2.00");
    sim::FaultRule listInquiryFails;
    listInquiryFails.cdbPrefix = {0x12, 0, 0, 0, 0x60, 0, 0, 0, 0, 0, 0, 0};
    listInquiryFails.result = sim::CommandResult::Check(0x02, 0x04, 0x01);
    silent.faults.push_back(listInquiryFails);
    sim::SimDrive* first = AddDrive(0, 0, silent);
    sim::SimDrive* second = AddDrive(0, 1, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10"));
    TMainForm& f = Create();
    EXPECT_EQ(f.ComboBox1.Items(), std::vector<std::string>{"HALVERN DVD-ROM XD-340  1.10"});
    EXPECT_EQ(f.listToDevice[0], 1);
    // The first drive heard the discovery probe and its list INQUIRY only.
    ASSERT_EQ(first->Log().size(), 2u);
    EXPECT_GT(second->Log().size(), 2u);
    EXPECT_STREQ(DriveIdentity.driveModel, "HALVERN DVD-ROM XD-340  ");
    EXPECT_TRUE(backend.Messages().empty());
}

TEST_F(DriveSelection, ChangeRecomputesFlagsFromTheNewDrive) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "B1.0"));
    sim::DriveSettings k300 = DriveOf("HALVERN ", "CDRW/DVD XM-590B", "K300");
    k300.vendorSpecific = "COM";
    AddDrive(0, 1, k300);
    AddDrive(0, 2, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.20", "xda"));
    TMainForm& f = Create();
    EXPECT_TRUE(f.driveFlags.BootFirmwareDrive);
    EXPECT_FALSE(f.driveFlags.K300ComDrive);

    f.ComboBox1.Choose(1);
    EXPECT_FALSE(f.driveFlags.BootFirmwareDrive);
    EXPECT_TRUE(f.driveFlags.K300ComDrive);
    EXPECT_STREQ(DriveIdentity.driveCode, "K3 ");

    f.ComboBox1.Choose(2);
    EXPECT_EQ(f.selectedDrive, 2);
    EXPECT_FALSE(f.driveFlags.BootFirmwareDrive);
    EXPECT_FALSE(f.driveFlags.K300ComDrive);
    EXPECT_STREQ(DriveIdentity.driveRevision, "1.20");
    EXPECT_STREQ(DriveIdentity.driveCode, "XDA");
    EXPECT_TRUE(DriveIdentity.codeReadDirectly);

    // The box names the new drive's 24-character model, blanks included.
    const auto messages = backend.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "HALVERN CDRW/DVD XM-590B");
    EXPECT_EQ(messages[1].text, "HALVERN DVD-ROM XD-340  ");
    EXPECT_EQ(messages[1].caption, "Change Drive");
    EXPECT_EQ(messages[1].icon, toolkit::BoxIcon::None);
    EXPECT_TRUE(messages[1].systemModal);
    EXPECT_TRUE(messages[1].owned);
}

TEST_F(DriveSelection, ChangeDropsTheOpenedFile) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
    AddDrive(0, 1, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10", "XDA"));
    TMainForm& f = Create();
    test_support::InfoBlock info;
    info.chunkKb = 32;
    test_support::TempFile file(test_support::ChunkedFile(info, 8, 16));
    backend.nextOpenPath = file.Path();
    f.ToolButton1Click();
    ASSERT_EQ(f.StaticText5.Text(), "Ready");
    ASSERT_NE(FirmwareImage.Size, 0);

    f.ComboBox1.Choose(1);
    EXPECT_EQ(FirmwareImage.Size, 0);
    EXPECT_EQ(FirmwareImage.Path, file.Path());
    EXPECT_EQ(f.StaticText1.Text(), "");
    EXPECT_EQ(f.StaticText4.Text(), "Not Open");
    EXPECT_EQ(f.StaticText5.Text(), "");
    const size_t shown = backend.Messages().size();
    f.FormKeyDown(0x78);
    EXPECT_EQ(backend.Messages().size(), shown);
}

TEST_F(DriveSelection, ShortItemTextIsPaddedWithBlanks) {
    AddDrive(0, 0, DriveOf("HALVERN ", "DVD-ROM XD-340  ", "1.10"));
    // A zero byte inside the product field ends the item text early.
    AddDrive(0, 1, DriveOf("ODD     ", std::string("CD\0ROM", 6), "9.99"));
    TMainForm& f = Create();
    ASSERT_EQ(f.ComboBox1.Items().size(), 2u);
    EXPECT_EQ(f.ComboBox1.Items()[1], "ODD     CD");
    f.ComboBox1.Choose(1);
    ASSERT_FALSE(backend.Messages().empty());
    EXPECT_EQ(backend.Messages().back().text, "ODD     CD              ");
}

}  // namespace
}  // namespace quillan
