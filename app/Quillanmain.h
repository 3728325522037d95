// The main window, TMainForm: its controls, the run-mode flags and the state
// its handlers share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/toolkit/backend.h"
#include "app/toolkit/controls.h"
#include "flash/download.h"
#include "flash/download_window.h"

namespace quillan {

class TMainForm : public DownloadWindow {
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

    // DownloadWindow: what the download changes on the window.
    void Show(const Notice& notice) override;
    void SetStatus(const std::string& text) override;
    int Progress() const override;
    void SetProgress(int position) override;
    void ProcessMessages() override;
    void SetProgressTimer(bool enabled) override;
    void CloseMainWindow() override;

    // Run-mode flags, fixed after FormCreate has read the command line.
    bool testMode = false;
    bool noCheckMode = false;
    bool liveMode = false;
    bool ntPlatform = false;

    uint8_t selectedDrive = 0;
    uint8_t driveListCount = 0;
    uint8_t listToDevice[26] = {};
    // Derived from the selected drive each time the selection changes.
    bool BootFirmwareDrive = false;
    bool K300ComDrive = false;
    bool autoStartScheduled = false;

    toolkit::Label Label1, Label2, Label3, Label4, Label5, Label6;
    toolkit::ComboBox ComboBox1;
    toolkit::StaticText StaticText1, StaticText2, StaticText3, StaticText4, StaticText5;
    toolkit::ProgressBar ProgressBar1;
    toolkit::Timer Timer1, Timer2, Timer3;
    toolkit::OpenDialog OpenDialog1;

private:
    void ApplyCommandLine();
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
    void StartupDiscCheck();
    RunFlags Flags() const;
    void RecomputeDriveFlags();
    uint8_t SelectedDevice() const { return listToDevice[selectedDrive]; }
    int ShowBox(const std::string& text, const char* caption, toolkit::BoxIcon icon,
                bool systemModal, bool owned);

    toolkit::Backend& backend_;
};

}  // namespace quillan
