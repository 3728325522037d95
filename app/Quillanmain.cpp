#include "app/Quillanmain.h"

#include <cstdio>
#include <string>

#include "app/Quillanabout.h"
#include "app/command_line.h"
#include "drive/command_set.h"
#include "drive/discovery.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "firmware/firmware_reader.h"
#include "flash/download.h"
#include "flash/result_file.h"
#include "platform/host.h"
#include "platform/scoped_file.h"

namespace quillan {

using toolkit::BoxIcon;
using toolkit::Rgb;

namespace {
const char kTitle[] = "Quillan";
const char kTestFolder[] = "C:\\FLASHTEST\\";

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// A box's text on one line of the log.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    return line;
}
}  // namespace

TMainForm::TMainForm(toolkit::Backend& backend)
    : Image1(backend, "Image1", {0, 0, 400, 200}),
      Label1(backend, "Label1", {45, 60, 74, 13}, "Drive :"),
      Label2(backend, "Label2", {12, 83, 107, 13}, "Model Name :"),
      Label3(backend, "Label3", {12, 99, 107, 13}, "Old Version :"),
      Label4(backend, "Label4", {12, 115, 107, 13}, "New Version :"),
      Label5(backend, "Label5", {12, 131, 107, 13}, "Download File :"),
      Label6(backend, "Label6", {12, 147, 107, 13}, "Status :"),
      ComboBox1(backend, "ComboBox1", {119, 56, 260, 21}, Rgb(192, 224, 255)),
      StaticText1(backend, "StaticText1", {120, 83, 235, 15}, Rgb(255, 255, 208), ""),
      StaticText2(backend, "StaticText2", {120, 99, 41, 15}, Rgb(255, 255, 208), ""),
      StaticText3(backend, "StaticText3", {120, 115, 41, 15}, Rgb(255, 255, 208), ""),
      StaticText4(backend, "StaticText4", {120, 131, 201, 15}, Rgb(192, 224, 255), "Not Open"),
      StaticText5(backend, "StaticText5", {120, 147, 73, 15}, Rgb(255, 221, 208), ""),
      ProgressBar1(backend, "ProgressBar1", {31, 168, 337, 16}),
      Image2(backend, "Image2", {8, 8, 26, 25}),
      Image3(backend, "Image3", {36, 8, 26, 25}),
      Image4(backend, "Image4", {64, 8, 26, 25}),
      Image5(backend, "Image5", {362, 8, 26, 25}),
      Image6(backend, "Image6", {16, 216, 26, 25}),
      Image7(backend, "Image7", {48, 216, 26, 25}),
      Image8(backend, "Image8", {80, 216, 26, 25}),
      Image9(backend, "Image9", {16, 248, 26, 25}),
      Image10(backend, "Image10", {48, 248, 26, 25}),
      Image11(backend, "Image11", {80, 248, 26, 25}),
      Image12(backend, "Image12", {112, 216, 26, 25}),
      Image13(backend, "Image13", {112, 248, 26, 25}),
      Timer1(backend, "Timer1", 1000, false),
      Timer2(backend, "Timer2", 100, true),
      Timer3(backend, "Timer3", 1000, false),
      OpenDialog1(backend, "DOWNLOAD FILE(*.BIN)|*.BIN"),
      backend_(backend) {
    ComboBox1.onChange = [this] {
        // During a download, and after it, the list shows the drive flashed.
        if (userInputHeld_ || WorkerStarted)
            ComboBox1.SetItemIndex(selectedDrive);
        else
            ComboBox1Change();
    };
    Timer1.onTimer = [this] { Timer1Timer(); };
    Timer2.onTimer = [this] { Timer2Timer(); };
    Timer3.onTimer = [this] { Timer3Timer(); };
    backend_.onQueryEndSession = [this] { return QueryEndSession(); };
    backend_.onEndSession = [this](bool ending) { EndSession(ending); };
    LoadPictures();
    WireSkin();
}

void TMainForm::Show(const Notice& notice) {
    const DialogShowing showing(dialogsOpen_);
    toolkit::MessageBoxRequest request;
    request.text = notice.text;
    request.caption = notice.caption;
    request.icon = notice.errorIcon ? BoxIcon::Error : BoxIcon::None;
    request.systemModal = notice.systemModal;
    request.owned = notice.owned;
    if (runModes.silentMode) {
        // Nobody would press OK: the box goes to the log and the run goes on
        // as if it had been pressed.
        LogLine("box \"" + notice.caption + "\" not shown (-SILENT): " + OneLine(notice.text));
        return;
    }
    LogLine("box \"" + notice.caption + "\": " + OneLine(notice.text));
    backend_.ShowMessage(request);
}

bool TMainForm::DialogOpen() const {
    return dialogsOpen_ > 0 || (AboutForm != nullptr && AboutForm->Form().Visible());
}

void TMainForm::FormCreate() {
    backend_.SetMainWindowTitle(kTitle);
    ApplyCommandLine();
    // The result line goes to the folder the program started in. A folder
    // too deep to be named whole with the file's name leaves the name
    // relative: the current folder is still that folder when the line is
    // written, since nothing in the program moves it (the file dialog keeps it).
    LiveResultPath = CurrentHost().FullPath(LiveResultPath);
    OpenLog();
    ProgressBar1.SetBackground(Rgb(160, 192, 240));
    ShapeWindow();
    ProbeDefaultFile();
    VersionTest();
    DiscoverDrives();
    StartupLoad();
}

void TMainForm::OpenLog() {
    // Where support looks for it: beside the result file a calling script
    // reads, or beside the program (else the user's temporary folder).
    Host& host = CurrentHost();
    if (runModes.liveMode)
        OpenRunLog(FolderOf(LiveResultPath));
    else if (runModes.testMode)
        OpenRunLog(FolderOf(TestResultPath));
    else if (!OpenRunLog(host.ProgramFolder()))
        OpenRunLog(host.TempFolder());
    LogLine(std::string("start: Quillan ") + QUILLAN_VERSION + ", command line \"" + commandLine_ +
            "\", Windows " + host.WindowsVersion());
}

void TMainForm::ApplyCommandLine() {
    const char* commandLine = CurrentHost().CommandLine();
    commandLine_ = commandLine != nullptr ? commandLine : "";
    const RunModes mode = RunModesFromWord(CommandLineWord(commandLine, 1));
    if (mode.testMode) {
        runModes.testMode = true;
        FirmwareImage.Path = kTestFolder + CommandLineWord(commandLine, 2);
    }
    if (mode.noCheckMode) {
        runModes.noCheckMode = true;
        // Shown before the main window exists, so it has no owner.
        Show(Notice::Plain("-Nocheck Use!!").Unowned());
    }
    if (mode.liveMode) runModes.liveMode = true;
    if (mode.silentMode) runModes.silentMode = true;
}

void TMainForm::ShapeWindow() {
    backend_.SetMainWindowSize(400, 200);
    toolkit::WindowShape shape;
    shape.outline = {0, 0, 400, 200, 50, 50};
    shape.notches = {
        {100, -5, 300, 6, 10, 10},    // top
        {100, 195, 300, 205, 10, 10}, // bottom
        {-5, 50, 5, 150, 10, 10},     // left
        {395, 50, 405, 150, 10, 10},  // right
    };
    backend_.SetMainWindowShape(shape);
}

void TMainForm::ProbeDefaultFile() {
    // Fixed now by its full path where it can be named whole: another folder
    // may hold another AUTORUN.BIN, and the name must not depend on where
    // the current folder is later.
    startupFileName_ = FirmwareImage.Path;
    FirmwareImage.Path = CurrentHost().FullPath(FirmwareImage.Path);
    const ScopedFile file(std::fopen(FirmwareImage.Path.c_str(), "rb"));
    if (!file) return;
    FirmwareImage.StartupReady = true;
}

void TMainForm::VersionTest() {
    runModes.ntPlatform = CurrentHost().PlatformId() == kPlatformWin32Nt;
    if (runModes.ntPlatform) ScanPortPositions();
}

void TMainForm::DiscoverDrives() {
    if (FindDrives() == 0) {
        // Still during creation: the box comes before the window, unowned.
        Show(Notice::Error("DRIVE NOT FOUND!!").Unowned());
    }
}

void TMainForm::StartupLoad() {
    FillDriveList();
    StartupSelection();
    if (FirmwareImage.StartupReady) {
        if (!ReadFirmwareFile(FirmwareImage.Path, [this](const std::string& text) {
                Show(Notice::Error(text));
            })) {
            FirmwareImage.StartupReady = false;
        } else {
            MatchStartupFile();
            if (FirmwareImage.StartupReady) StartupDiscCheck();
        }
    } else {
        FirmwareImage.Path.clear();
    }
    // No automatic download in this run: tell the calling script now.
    if (!FirmwareImage.StartupReady) WriteResultLine("FAIL0\n", runModes.liveMode, runModes.testMode);
}

void TMainForm::StartupDiscCheck() {
    if (!CheckDiscLoaded(SelectedDriveIndex()) || runModes.testMode) return;
    // The file stays loaded; only the automatic start is given up.
    FirmwareImage.StartupReady = false;
    SendEject(SelectedDriveIndex());
    Show(Notice::Error("Remove the Disc in the Drive !!"));
}

void TMainForm::FormShow() {
    if (!FirmwareImage.StartupReady) {
        // Start-up wrote FAIL0: no download will come by itself.
        EndSilentRun(*this, runModes, "no automatic start");
        return;
    }
    if (autoStartScheduled) return;
    autoStartScheduled = true;
    Timer3.SetEnabled(true);
}

void TMainForm::Timer3Timer() {
    // Not under a dialog or box of the program: the next tick tries again.
    if (DialogOpen()) return;
    Timer3.SetEnabled(false);
    // The user started a download himself (it may be over already: the
    // result line it left stands).
    if (userInputHeld_ || WorkerStarted) return;
    if (fileOpenedByHand_) {
        // No automatic download in this run: tell the calling script.
        WriteResultLine("FAIL0\n", runModes.liveMode, runModes.testMode);
        EndSilentRun(*this, runModes, "no automatic start");
        return;
    }
    ToolButton2Click();
}

int TMainForm::ExitCode() const {
    return runModes.silentMode ? static_cast<int>(Program.SilentOutcome) : 0;
}

}  // namespace quillan
