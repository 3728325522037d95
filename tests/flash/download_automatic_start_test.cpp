// The automatic start: the AUTORUN.BIN start-up checked, and only that file,
// once no dialog or message box of the program is open.
#include <algorithm>
#include <functional>

#include "app/Quillanabout.h"
#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

// Puts the current folder back when the test leaves, as the file dialog
// does not.
class CurrentFolderKept {
public:
    CurrentFolderKept() : kept_(std::filesystem::current_path()) {}
    ~CurrentFolderKept() { std::filesystem::current_path(kept_); }

private:
    std::filesystem::path kept_;
};

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What the user does before the automatic start's timer fires; the timer may
// fire in it.
struct Meanwhile {
    TMainForm& form;
    TAboutForm& about;
    toolkit::HeadlessBackend& backend;
    const std::filesystem::path& there;  // another folder, with its own AUTORUN.BIN
    const std::function<void()>& timer3Fires;
};

struct AutomaticStartCase {
    const char* name;
    std::function<void(const Meanwhile&)> meanwhile;
    bool flashed;
};
void PrintTo(const AutomaticStartCase& c, std::ostream* os) { *os << c.name; }
using AutomaticStart = DownloadCases<AutomaticStartCase>;

// The automatic start flashes the AUTORUN.BIN that start-up checked, found by
// its full path, and only once no dialog or message box of the program is
// open; a file opened by hand in the meantime ends it without a download.
TEST_P(AutomaticStart, AutomaticStartFlashesOnlyTheFileStartUpChecked) {
    const AutomaticStartCase& c = GetParam();
    const std::vector<uint8_t> checked = ChunkedFile(Info(), 3, 16);
    InfoBlock otherModel = Info();
    otherModel.model = "HALVERN DVD-ROM XD-341  ";
    const std::filesystem::path here = scratch_ / "here", there = scratch_ / "there";
    CurrentFolderKept folder;
    std::filesystem::create_directories(here);
    std::filesystem::create_directories(there);
    WriteFile(here / "AUTORUN.BIN", checked);
    WriteFile(there / "AUTORUN.BIN", ChunkedFile(otherModel, 2, 16));
    WriteFile(there / "BYHAND.BIN", ChunkedFile(Info(), 2, 32));
    std::filesystem::current_path(here);
    LiveResultPath = "QUILLAN.TMP";
    sim::SimDrive* drive = AddDrive(0, 0, XdDrive());
    host.commandLine = "q.exe -LIVE";
    Create();
    TAboutForm about(backend);
    form->AboutForm = &about;
    form->FormShow();
    ASSERT_TRUE(form->Timer3.Enabled());
    const std::function<void()> timer3Fires = [&] {
        if (form->Timer3.Enabled()) form->Timer3Timer();
    };
    const auto flashCommands = [&] {  // FLASH DOWNLOAD, not READ DRIVE CODE
        return std::count_if(drive->Log().begin(), drive->Log().end(),
                             [](const sim::LogEntry& e) { return e.cdb[0] == 0xFF && e.cdb[2] == 0x01; });
    };

    c.meanwhile({*form, about, backend, there, timer3Fires});
    backend.whileModal = nullptr;
    EXPECT_EQ(flashCommands(), 0) << "flashed while a dialog or box was open";
    timer3Fires();
    host.RunWorker();
    EXPECT_FALSE(form->Timer3.Enabled());
    if (c.flashed) {
        form->Timer1Timer();  // the run ends, and lets go of the file
        EXPECT_EQ(host.directRestarts, 1);
        EXPECT_EQ(drive->Image(), checked);
        EXPECT_EQ(ReadAll((here / "QUILLAN.TMP").string()), "COMPLETE\r\n");
        EXPECT_FALSE(std::filesystem::exists(there / "QUILLAN.TMP"));
        return;
    }
    EXPECT_EQ(flashCommands(), 0);
    EXPECT_EQ(ReadAll((here / "QUILLAN.TMP").string()), "FAIL0\r\n");
    // Start-up never checked the hand-opened file's drive for a disc put in
    // since: the user's own start does.
    const size_t before = drive->Log().size();
    form->ToolButton2Click();
    const Lines sent = Describe(drive->Log(), before);
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(Lines(sent.begin(), sent.begin() + 5), Repeat(kTur, 5));
    RunToTheEnd();
}

INSTANTIATE_TEST_SUITE_P(Download, AutomaticStart, ::testing::ValuesIn(std::vector<AutomaticStartCase>{
    {"the file dialog browses to another folder and is cancelled", [](const Meanwhile& m) {
         m.backend.nextOpenPath.clear();
         m.backend.whileModal = [&m] {
             std::filesystem::current_path(m.there);
             m.timer3Fires();
         };
         m.form.Image2.onClick();
     }, true},
    {"the F9 box shows", [](const Meanwhile& m) {
         m.backend.whileModal = m.timer3Fires;
         m.backend.onKeyDown(0x78);
     }, true},
    {"the About box shows", [](const Meanwhile& m) {
         m.form.Image4.onClick();
         m.timer3Fires();
         m.about.Button1Click();
     }, true},
    {"a file is opened by hand", [](const Meanwhile& m) {
         m.backend.nextOpenPath = (m.there / "BYHAND.BIN").string();
         m.form.Image2.onClick();
     }, false},
}), CaseName<AutomaticStartCase>);

}  // namespace
}  // namespace quillan::test_support
