#include "app/Quillanmain.h"

#include "app/Quillanabout.h"
#include "app/command_line.h"
#include "app/jpeg_decoder.h"
#include "app/picture_file.h"
#include <cstdio>
#include <cstring>

#include "drive/command_set.h"
#include "drive/device_table.h"
#include "drive/discovery.h"
#include "drive/transport.h"
#include "firmware/compatibility.h"
#include "firmware/firmware_reader.h"
#include "flash/result_file.h"
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
    ComboBox1.onChange = [this] { ComboBox1Change(); };
    Timer1.onTimer = [this] { Timer1Timer(); };
    Timer2.onTimer = [this] { Timer2Timer(); };
    Timer3.onTimer = [this] { Timer3Timer(); };
    LoadPictures();
    WireSkin();
}

void TMainForm::LoadPictures() {
    // A damaged background leaves the plain window colour, nothing worse.
    const std::vector<uint8_t> jpeg = backend_.ResourceBytes("BACKGROUND");
    DecodedPicture background;
    if (DecodeJpeg(jpeg.data(), jpeg.size(), background) && background.width == 400 && background.height == 200)
        Image1.SetPicture(background.width, background.height, std::move(background.rgb));
    toolkit::Image* sprites[] = {&Image6, &Image7, &Image8, &Image9, &Image10, &Image11, &Image12, &Image13};
    const char* names[] = {"IMAGE6", "IMAGE7", "IMAGE8", "IMAGE9", "IMAGE10", "IMAGE11", "IMAGE12", "IMAGE13"};
    for (size_t i = 0; i < 8; ++i) {
        const std::vector<uint8_t> ppm = backend_.ResourceBytes(names[i]);
        DecodedPicture sprite;
        if (DecodePpm(ppm.data(), ppm.size(), sprite, 64))
            sprites[i]->SetPicture(sprite.width, sprite.height, std::move(sprite.rgb));
    }
}

void TMainForm::WireSkin() {
    using toolkit::MouseButton;
    toolkit::Image* buttons[] = {&Image2, &Image3, &Image4, &Image5};
    const char* hints[] = {"Download File Open", "Start Download", "About Quillan", "Exit"};
    using Handler = void (TMainForm::*)();
    const Handler moves[] = {&TMainForm::Image2MouseMove, &TMainForm::Image3MouseMove,
                             &TMainForm::Image4MouseMove, &TMainForm::Image5MouseMove};
    const Handler downs[] = {&TMainForm::Image2MouseDown, &TMainForm::Image3MouseDown,
                             &TMainForm::Image4MouseDown, &TMainForm::Image5MouseDown};
    const Handler ups[] = {&TMainForm::Image2MouseUp, &TMainForm::Image3MouseUp, &TMainForm::Image4MouseUp,
                           &TMainForm::Image5MouseUp};
    for (int i = 0; i < kSkinButtonCount; ++i) {
        buttons[i]->transparent = true;
        buttons[i]->hint = hints[i];
        buttons[i]->onMouseMove = [this, h = moves[i]](int, int) { (this->*h)(); };
        buttons[i]->onMouseDown = [this, h = downs[i]](MouseButton, int, int) { (this->*h)(); };
        buttons[i]->onMouseUp = [this, h = ups[i]](MouseButton, int, int) { (this->*h)(); };
    }
    Image2.onClick = [this] { ToolButton1Click(); };
    Image3.onClick = [this] { ToolButton2Click(); };
    Image4.onClick = [this] { ToolButton3Click(); };
    Image5.onClick = [this] { Image5Click(); };
    Image1.onMouseMove = [this](int, int) { Image1MouseMove(); };
    Image1.onMouseDown = [this](MouseButton b, int, int) { FormMouseDown(b); };
    backend_.onFormMouseDown = [this](MouseButton b) { FormMouseDown(b); };
    backend_.onKeyDown = [this](uint16_t key) { FormKeyDown(key); };
}

toolkit::Image& TMainForm::ButtonImage(int button) {
    toolkit::Image* images[] = {&Image2, &Image3, &Image4, &Image5};
    return *images[button];
}

void TMainForm::ShowFace(int button, bool highlight) {
    toolkit::Image* highlights[] = {&Image6, &Image7, &Image8, &Image12};
    toolkit::Image* normals[] = {&Image9, &Image10, &Image11, &Image13};
    ButtonImage(button).CopyPictureFrom(highlight ? *highlights[button] : *normals[button]);
}

void TMainForm::MoveButton(int button, int left, int top) { ButtonImage(button).SetPosition(left, top); }

void TMainForm::Image1MouseMove() { buttons_.MouseMoveOverBackground(); }
void TMainForm::Image2MouseMove() { buttons_.MouseMoveOverButton(0); }
void TMainForm::Image3MouseMove() { buttons_.MouseMoveOverButton(1); }
void TMainForm::Image4MouseMove() { buttons_.MouseMoveOverButton(2); }
void TMainForm::Image5MouseMove() { buttons_.MouseMoveOverButton(3); }
void TMainForm::Image2MouseDown() { buttons_.MouseDown(0); }
void TMainForm::Image3MouseDown() { buttons_.MouseDown(1); }
void TMainForm::Image4MouseDown() { buttons_.MouseDown(2); }
void TMainForm::Image5MouseDown() { buttons_.MouseDown(3); }
void TMainForm::Image2MouseUp() { buttons_.MouseUp(0); }
void TMainForm::Image3MouseUp() { buttons_.MouseUp(1); }
void TMainForm::Image4MouseUp() { buttons_.MouseUp(2); }
void TMainForm::Image5MouseUp() { buttons_.MouseUp(3); }

void TMainForm::Timer2Timer() {
    int dx = 0, dy = 0;
    backend_.CursorOffset(dx, dy);
    buttons_.HoverResetTick(dx, dy);
}

void TMainForm::FormMouseDown(toolkit::MouseButton) {
    // No title bar: the whole panel drags, with any mouse button.
    backend_.BeginWindowDrag();
}

void TMainForm::ToolButton3Click() {
    if (AboutForm != nullptr) AboutForm->Form().ShowModal();
}

void TMainForm::Image5Click() { backend_.CloseMainWindow(); }

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

void TMainForm::ProbeDefaultFile() {
    std::FILE* file = std::fopen(FirmwareImage.Path.c_str(), "rb");
    if (file == nullptr) return;
    std::fclose(file);
    FirmwareImage.StartupReady = true;
}

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

void TMainForm::StartupLoad() {
    FillDriveList();
    StartupSelection();
    if (FirmwareImage.StartupReady) {
        if (!ReadFirmwareFile(FirmwareImage.Path, [this](const std::string& text) {
                ShowBox(text, kMessageCaption, BoxIcon::Error, true, true);
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
    if (!FirmwareImage.StartupReady) WriteResultLine("FAIL0\n", liveMode, testMode);
}

void TMainForm::StartupDiscCheck() {
    if (!CheckDiscLoaded(SelectedDevice()) || testMode) return;
    // The file stays loaded; only the automatic start is given up.
    FirmwareImage.StartupReady = false;
    SendEject(SelectedDevice());
    ShowBox("Remove the Disc in the Drive !!", kMessageCaption, BoxIcon::Error, true, true);
}

void TMainForm::FormShow() {
    if (autoStartScheduled || !FirmwareImage.StartupReady) return;
    autoStartScheduled = true;
    Timer3.SetEnabled(true);
}

void TMainForm::Timer3Timer() {
    Timer3.SetEnabled(false);
    ToolButton2Click();
}

RunFlags TMainForm::Flags() const {
    RunFlags flags;
    flags.testMode = testMode;
    flags.liveMode = liveMode;
    flags.ntPlatform = ntPlatform;
    return flags;
}

void TMainForm::ToolButton2Click() {
    // With no drive listed there is no device to flash: index 0 of the
    // device table would be whatever answers first, perhaps not an optical
    // drive at all. (A file can still be accepted then, under -NOCHECK.)
    if (driveListCount == 0) {
        ShowBox("DRIVE NOT FOUND!!", kMessageCaption, BoxIcon::Error, true, true);
        return;
    }
    StartDownload(*this, Flags(), SelectedDevice());
}

void TMainForm::Timer1Timer() { ProgressTick(*this, Flags()); }

void TMainForm::Show(const Notice& notice) {
    ShowBox(notice.text, notice.caption.c_str(), notice.errorIcon ? BoxIcon::Error : BoxIcon::None,
            notice.systemModal, notice.owned);
}

void TMainForm::SetStatus(const std::string& text) { StaticText5.SetText(text); }

int TMainForm::Progress() const { return ProgressBar1.Position(); }

void TMainForm::SetProgress(int position) { ProgressBar1.SetPosition(position); }

void TMainForm::ProcessMessages() { backend_.ProcessMessages(); }

void TMainForm::SetProgressTimer(bool enabled) { Timer1.SetEnabled(enabled); }

void TMainForm::CloseMainWindow() { backend_.CloseMainWindow(); }

void TMainForm::FillDriveList() {
    for (uint8_t device = 0; device < TheDeviceTable.driveCount; ++device) {
        // A drive that does not answer is left out, without a word.
        if (SendInquiry(device, 12) != kStatusGood) continue;
        CommandData[36] = 0;
        const char* text = reinterpret_cast<const char*>(CommandData + 8);
        ComboBox1.AddItem(std::string(text, strnlen(text, 28)));
        listToDevice[driveListCount] = device;
        ++driveListCount;
    }
}

void TMainForm::RecomputeDriveFlags() {
    // The last INQUIRY reply QueryDriveIdentity received is still in the buffer.
    BootFirmwareDrive = IsBootFirmwareRevision(DriveIdentity.driveRevision);
    K300ComDrive = IsK300ComDrive(CommandData);
}

void TMainForm::StartupSelection() {
    if (driveListCount == 0) return;
    selectedDrive = 0;
    ComboBox1.SetItemIndex(0);
    K300ComDrive = SendInquiry(SelectedDevice(), 12) == kStatusGood && IsK300ComDrive(CommandData);
    QueryDriveIdentity(SelectedDevice());
    BootFirmwareDrive = IsBootFirmwareRevision(DriveIdentity.driveRevision);
}

void TMainForm::MatchStartupFile() {
    for (uint8_t entry = 0; entry < driveListCount; ++entry) {
        QueryDriveIdentity(listToDevice[entry]);
        if (!FitsAtStartup(DriveIdentity, FirmwareImage)) continue;
        selectedDrive = entry;
        ComboBox1.SetItemIndex(entry);
        RecomputeDriveFlags();
        if (RefusedAtStartup(DriveIdentity)) break;
        ShowStartupMatch();
        return;
    }
    // No drive fits: the file is dropped without a word and entry 0 is
    // selected again, described by its own data.
    FirmwareImage.Size = 0;
    FirmwareImage.StartupReady = false;
    if (driveListCount == 0) return;
    selectedDrive = 0;
    ComboBox1.SetItemIndex(0);
    QueryDriveIdentity(SelectedDevice());
    RecomputeDriveFlags();
}

void TMainForm::ShowStartupMatch() {
    char download[200];
    std::snprintf(download, sizeof(download), "%s (%d K)", FirmwareImage.Path.c_str(),
                  static_cast<int>(FirmwareImage.Size / 1024));
    StaticText1.SetText(FirmwareImage.Model);
    StaticText2.SetText(DriveIdentity.driveRevision);
    StaticText3.SetText(FirmwareImage.Revision);
    StaticText4.SetText(download);
    StaticText5.SetText("READY");
}

void TMainForm::ResetFileFields() {
    StaticText1.SetText("");
    StaticText2.SetText("");
    StaticText3.SetText("");
    StaticText4.SetText("Not Open");
    StaticText5.SetText("");
}

void TMainForm::ComboBox1Change() {
    const int index = ComboBox1.ItemIndex();
    if (index < 0 || index >= driveListCount || index == selectedDrive) return;
    selectedDrive = static_cast<uint8_t>(index);
    ResetFileFields();
    // A file opened for the previous drive must be opened again.
    FirmwareImage.Size = 0;
    // The item's text stands for the drive until it has answered; a short
    // text (a zero byte in the drive's fields) is padded with blanks so that
    // model and revision keep their widths.
    std::string item = ComboBox1.Items()[selectedDrive];
    item.resize(28, ' ');
    std::memcpy(DriveIdentity.driveModel, item.data(), 24);
    DriveIdentity.driveModel[24] = '\0';
    std::memcpy(DriveIdentity.driveRevision, item.data() + 24, 4);
    DriveIdentity.driveRevision[4] = '\0';
    ShowBox(DriveIdentity.driveModel, "Change Drive", BoxIcon::None, true, true);
    QueryDriveIdentity(SelectedDevice());
    RecomputeDriveFlags();
}

void TMainForm::ToolButton1Click() {
    if (!OpenDialog1.Execute()) return;
    const std::string& chosen = OpenDialog1.FileName();
    const size_t slash = chosen.find_last_of("\\/:");
    std::string displayName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    for (char& c : displayName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    FirmwareImage.Path = chosen;
    if (!ReadFirmwareFile(FirmwareImage.Path, [this](const std::string& text) {
            ShowBox(text, kMessageCaption, BoxIcon::Error, true, true);
        }))
        return;
    CheckOpenedFile(displayName);
}

void TMainForm::CheckOpenedFile(const std::string& displayName) {
    const DriveFlags flags{BootFirmwareDrive, K300ComDrive};
    const OpenVerdict verdict = CheckOpenedFileRules(DriveIdentity, flags, FirmwareImage, noCheckMode);
    if (verdict != OpenVerdict::Accept) {
        ShowBox(RefusalText(verdict), kMessageCaption, BoxIcon::Error, false, true);
    }
    if (verdict != OpenVerdict::Accept && verdict != OpenVerdict::AcceptOlderThanDrive) {
        ResetFileFields();
        FirmwareImage.Size = 0;
        return;
    }
    // The length on disk, before any boot block was split off.
    const int32_t fileLength = FirmwareImage.Size + (FirmwareImage.Trimmed ? 65536 : 0);
    char download[200];
    std::snprintf(download, sizeof(download), "%s (%d K)", displayName.c_str(),
                  static_cast<int>(fileLength / 1024));
    StaticText1.SetText(FirmwareImage.Model);
    StaticText2.SetText(DriveIdentity.driveRevision);
    StaticText3.SetText(FirmwareImage.Revision);
    StaticText4.SetText(download);
    StaticText5.SetText("Ready");
}

void TMainForm::FormKeyDown(uint16_t key) {
    constexpr uint16_t kF9 = 0x78;
    if (key != kF9 || FirmwareImage.Size == 0) return;
    ShowBox(DownloadInfoText(FirmwareImage.ChunkKb, FirmwareImage.ChunkCount), kMessageCaption,
            BoxIcon::None, true, true);
}

}  // namespace quillan
