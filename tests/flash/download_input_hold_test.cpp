// The user's input held off while the drive is written: neither the boot-block
// update, which lets the window's messages through, nor the worker's last
// piece, with both threads real, lets a click or a key reach the window.
#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "app/Quillanabout.h"
#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

struct InputCase {
    const char* name;
    std::function<void(TMainForm&, toolkit::HeadlessBackend&)> give;
};
void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }
using InputDuringTheBootBlock = DownloadCases<InputCase>;

// While the boot-block update lets the window's messages through, the user's
// input must not reach the window: a drive change would rewrite the buffer
// and talk to the other drive between two pieces.
TEST_P(InputDuringTheBootBlock, InputWhileTheBootBlockUpdateLetsMessagesThrough) {
    const InputCase& c = GetParam();
    const std::vector<uint8_t> bytes = BootFile();
    sim::SimDrive* other = AddDrive(0, 1, OtherDrive());
    sim::SimDrive* drive = Prepare(bytes, BootDrive());
    TAboutForm about(backend);
    form->AboutForm = &about;
    const size_t otherHeard = other->Log().size();
    const toolkit::Bounds startButton = form->Image3.GetBounds();
    InfoBlock another = Info();
    another.model = "BRISKO  CD-RW CR-5224   ";
    TempFile anotherFile(ChunkedFile(another, 2, 16), "OTHER.BIN");
    backend.nextOpenPath = anotherFile.Path();
    int pumps = 0;
    backend.onProcessMessages = [&] {
        if (++pumps == 3) c.give(*form, backend);
    };
    backend.journal.clear();
    form->ToolButton2Click();
    RunToTheEnd();
    ExpectBootBlockAndImage(drive, bytes);
    EXPECT_EQ(other->Log().size(), otherHeard);
    EXPECT_EQ(NewMessages(), Lines{kDownloadOk});
    EXPECT_EQ(form->selectedDrive, 0);
    EXPECT_EQ(form->ComboBox1.ItemIndex(), 0);
    EXPECT_EQ(host.workersStarted, 1);
    EXPECT_FALSE(about.Form().Visible());
    EXPECT_FALSE(backend.closed);
    EXPECT_EQ(form->Image3.GetBounds().left, startButton.left);
    EXPECT_EQ(std::count(backend.journal.begin(), backend.journal.end(), "drag"), 0);
    EXPECT_EQ(host.directRestarts, 1);
    // The run is over: the window takes input again.
    form->Image5.onClick();
    EXPECT_TRUE(backend.closed);
}

using Form = TMainForm&;
using Backend = toolkit::HeadlessBackend&;
INSTANTIATE_TEST_SUITE_P(Download, InputDuringTheBootBlock, ::testing::ValuesIn(std::vector<InputCase>{
    {"another drive chosen", [](Form f, Backend) { f.ComboBox1.Choose(1); }},
    {"F9", [](Form, Backend b) { b.onKeyDown(0x78); }},
    {"open button", [](Form f, Backend) { f.Image2.onClick(); }},
    {"start button", [](Form f, Backend) { f.Image3.onClick(); }},
    {"about button", [](Form f, Backend) { f.Image4.onClick(); }},
    {"exit button", [](Form f, Backend) { f.Image5.onClick(); }},
    {"start button pressed", [](Form f, Backend) { f.Image3.onMouseDown(toolkit::MouseButton::Left, 3, 3); }},
    {"window dragged", [](Form, Backend b) { b.onFormMouseDown(toolkit::MouseButton::Left); }},
}), CaseName<InputCase>);

// The worker's final command, held until the test lets it go, so that the
// window's thread takes the user's input while the last piece is under way.
struct FinalCommandGate {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread::id windowThread = std::this_thread::get_id();
    bool inside = false;
    bool released = false;
};
FinalCommandGate* finalCommandGate = nullptr;

uint32_t SendHoldingTheWorker(void* srb) {
    FinalCommandGate& gate = *finalCommandGate;
    if (std::this_thread::get_id() != gate.windowThread) {
        std::unique_lock<std::mutex> lock(gate.mutex);
        gate.inside = true;
        gate.changed.notify_all();
        gate.changed.wait(lock, [&] { return gate.released; });
    }
    return sim::SimSendASPI32Command(srb);
}

// Both threads real: the user changes the drive, asks for F9, starts again
// and presses exit while the worker sends the last piece, and keeps pressing
// exit while the timer polls for the worker's end. The last piece goes out
// whole, the other drive hears nothing, and the run ends in the restart.
TEST_F(Download, InputWhileTheWorkerSendsTheLastPiece) {
    sim::SimDrive* other = AddDrive(0, 1, OtherDrive());
    host.realThread = true;
    const std::vector<uint8_t> bytes = ChunkedFile(Info(), 3, 16);
    sim::SimDrive* drive = Prepare(bytes);
    const size_t otherHeard = other->Log().size();
    FinalCommandGate gate;
    finalCommandGate = &gate;
    SendASPI32Command = SendHoldingTheWorker;

    form->ToolButton2Click();
    {
        std::unique_lock<std::mutex> lock(gate.mutex);
        gate.changed.wait(lock, [&] { return gate.inside; });
    }
    form->ComboBox1.Choose(1);
    backend.onKeyDown(0x78);
    form->Image3.onClick();
    form->Image5.onClick();
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.released = true;
    }
    gate.changed.notify_all();
    do {
        form->Image5.onClick();
        form->Timer1Timer();
    } while (form->Timer1.Enabled());
    host.JoinWorker();
    SendASPI32Command = sim::SimSendASPI32Command;
    finalCommandGate = nullptr;

    EXPECT_EQ(other->Log().size(), otherHeard);
    EXPECT_EQ(Result(), "COMPLETE\r\n");
    EXPECT_EQ(form->selectedDrive, 0);
    EXPECT_EQ(form->ComboBox1.ItemIndex(), 0);
    EXPECT_FALSE(backend.closed);
    ExpectFlashedAndRestarted(drive, bytes);
}

}  // namespace
}  // namespace quillan::test_support
