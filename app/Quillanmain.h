// The main window, TMainForm: its controls, the run-mode flags and the state
// its handlers share.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/toolkit/backend.h"
#include "app/skin_buttons.h"
#include "app/toolkit/controls.h"
#include "firmware/compatibility.h"
#include "flash/download.h"
#include "flash/download_window.h"

namespace quillan {

class TAboutForm;

class TMainForm : public DownloadWindow, private SkinButtons::Painter {
public:
    explicit TMainForm(toolkit::Backend& backend);

    // Runs while the window is being created, before it is shown.
    void FormCreate();
    // The open command: file dialog, read, the open-command checks.
    void ToolButton1Click();
    // The drive list's change event.
    void ComboBox1Change();
    // Key preview: F9 shows the loaded file's download figures.
    void FormKeyDown(uint16_t key);
    // The window is shown: schedules the automatic start once.
    void FormShow();
    // "Start Download".
    void ToolButton2Click();
    void Timer1Timer();
    void Timer3Timer();
    // "About Quillan": the About box, modally.
    void ToolButton3Click();
    // "Exit".
    void Image5Click();
    // What the process returns once the window has closed: how a "-SILENT"
    // run ended (see SilentExit), 0 for every other run.
    int ExitCode() const;

    // The skin: hover, press and dragging.
    void FormMouseDown(toolkit::MouseButton button);
    void Image1MouseMove();
    void Image2MouseMove();
    void Image3MouseMove();
    void Image4MouseMove();
    void Image5MouseMove();
    void Image2MouseDown();
    void Image3MouseDown();
    void Image4MouseDown();
    void Image5MouseDown();
    void Image2MouseUp();
    void Image3MouseUp();
    void Image4MouseUp();
    void Image5MouseUp();
    void Timer2Timer();
    const SkinButtonFlags& ButtonFlags(int button) const { return buttons_.Flags(button); }

    TAboutForm* AboutForm = nullptr;

    // DownloadWindow: what the download changes on the window.
    void Show(const Notice& notice) override;
    void SetStatus(const std::string& text) override;
    int Progress() const override;
    void SetProgress(int position) override;
    void ProcessMessages() override;
    void PaintNow() override;
    void SetProgressTimer(bool enabled) override;
    void HoldUserInput(bool held) override;
    void CaptureMouse(bool held) override;
    void ShowHourglass(bool shown) override;
    void RefuseSessionEnd(bool refused) override;
    void CloseMainWindow() override;

    // Run-mode flags, fixed after FormCreate has read the command line.
    RunModes runModes;

    // The drive list's words: a list position is an entry of ComboBox1, a
    // drive index a place in TheDeviceTable; listToDevice maps the one to
    // the other.
    uint8_t selectedDrive = 0;  // list position
    uint8_t driveListCount = 0;
    uint8_t listToDevice[26] = {};
    // Derived from the selected drive each time the selection changes.
    DriveFlags driveFlags;
    bool autoStartScheduled = false;

    // Declared in drawing order: the background first, the buttons on top.
    toolkit::Image Image1;
    toolkit::Label Label1, Label2, Label3, Label4, Label5, Label6;
    toolkit::ComboBox ComboBox1;
    toolkit::StaticText StaticText1, StaticText2, StaticText3, StaticText4, StaticText5;
    toolkit::ProgressBar ProgressBar1;
    toolkit::Image Image2, Image3, Image4, Image5;
    // The button faces: highlight (6, 7, 8, 12) and normal (9, 10, 11, 13).
    toolkit::Image Image6, Image7, Image8, Image9, Image10, Image11, Image12, Image13;
    toolkit::Timer Timer1, Timer2, Timer3;
    toolkit::OpenDialog OpenDialog1;

private:
    void ShowFace(int button, bool highlight) override;
    void MoveButton(int button, int left, int top) override;
    toolkit::Image& ButtonImage(int button);
    void LoadPictures();
    void WireSkin();
    void ApplyCommandLine();
    void OpenLog();
    std::string commandLine_;  // as the program was started, for the log
    void ShapeWindow();
    void ProbeDefaultFile();
    void VersionTest();
    void DiscoverDrives();
    void StartupLoad();
    void FillDriveList();
    void StartupSelection();
    void MatchStartupFile();
    void ShowStartupMatch();
    void CheckOpenedFile(const std::string& displayName);
    void ResetFileFields();
    // The five fields for a loaded file: its name and size in KB, and a status.
    void ShowFileFields(const std::string& fileName, int32_t kilobytes, const char* status);
    void StartupDiscCheck();
    void RecomputeDriveFlags();
    uint8_t SelectedDriveIndex() const { return listToDevice[selectedDrive]; }
    // Windows asks whether the session may end, then says whether it does.
    bool QueryEndSession();
    void EndSession(bool ending);
    // The user's input reaches `handler` only while no download holds the window.
    void OnInput(void (TMainForm::*handler)());
    // A dialog or message box of the program is open (the worker's too).
    bool DialogOpen() const;
    // Counts one open dialog or box for its lifetime.
    struct DialogShowing {
        explicit DialogShowing(std::atomic<int>& open) : open_(open) { ++open_; }
        ~DialogShowing() { --open_; }
        DialogShowing(const DialogShowing&) = delete;
        DialogShowing& operator=(const DialogShowing&) = delete;
        std::atomic<int>& open_;
    };

    toolkit::Backend& backend_;
    SkinButtons buttons_{*this};
    bool userInputHeld_ = false;     // a download holds the window
    bool sessionEndRefused_ = false;  // the drive is being written
    std::atomic<int> dialogsOpen_{0};
    // The start-up file as start-up named it, for the window's field.
    std::string startupFileName_;
    // The automatic start is for the file start-up checked, not for one
    // opened by hand since.
    bool fileOpenedByHand_ = false;
};

}  // namespace quillan
