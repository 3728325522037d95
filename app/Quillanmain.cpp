#include "app/Quillanmain.h"

#include "app/command_line.h"
#include "drive/discovery.h"
#include "firmware/firmware_image.h"
#include "platform/host.h"

namespace quillan {

using toolkit::BoxIcon;
using toolkit::Rgb;

namespace {
const char kTitle[] = "Quillan";
const char kMessageCaption[] = "MESSAGE";
const char kTestFolder[] = "C:\\FLASHTEST\\";
}  // namespace

TMainForm::TMainForm(toolkit::Backend& backend)
    : Label1(backend, "Label1", {45, 60, 74, 13}, "Drive :"),
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
      Timer1(backend, "Timer1", 1000, false),
      Timer2(backend, "Timer2", 100, true),
      Timer3(backend, "Timer3", 1000, false),
      OpenDialog1(backend, "DOWNLOAD FILE(*.BIN)|*.BIN"),
      backend_(backend) {}

int TMainForm::ShowBox(const std::string& text, const char* caption, BoxIcon icon,
                       bool systemModal, bool owned) {
    toolkit::MessageBoxRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = icon;
    request.systemModal = systemModal;
    request.owned = owned;
    return backend_.ShowMessage(request);
}

void TMainForm::FormCreate() {
    backend_.SetMainWindowTitle(kTitle);
    ApplyCommandLine();
    ProgressBar1.SetBackground(Rgb(160, 192, 240));
    ShapeWindow();
    ProbeDefaultFile();
    VersionTest();
    DiscoverDrives();
    StartupLoad();
}

void TMainForm::ApplyCommandLine() {
    const char* commandLine = CurrentHost().CommandLine();
    const RunMode mode = RunModeFromWord(CommandLineWord(commandLine, 1));
    if (mode.testMode) {
        testMode = true;
        FirmwareImage.Path = kTestFolder + CommandLineWord(commandLine, 2);
    }
    if (mode.noCheckMode) {
        noCheckMode = true;
        // Shown before the main window exists, so it has no owner.
        ShowBox("-Nocheck Use!!", kMessageCaption, BoxIcon::None, true, false);
    }
    if (mode.liveMode) liveMode = true;
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

void TMainForm::ProbeDefaultFile() {}

void TMainForm::VersionTest() {
    ntPlatform = CurrentHost().PlatformId() == kPlatformWin32Nt;
    if (ntPlatform) ScanPortPositions();
}

void TMainForm::DiscoverDrives() {
    if (FindDrives() == 0) {
        // Still during creation: the box comes before the window, unowned.
        ShowBox("DRIVE NOT FOUND!!", kMessageCaption, BoxIcon::Error, true, false);
    }
}

void TMainForm::StartupLoad() {}

}  // namespace quillan
