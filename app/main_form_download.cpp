// TMainForm: the download command and what the download changes on the window.
#include "app/Quillanmain.h"

#include "flash/download.h"
#include "platform/run_log.h"

namespace quillan {

void TMainForm::ToolButton2Click() {
    // A download runs already: the automatic start's timer may fire while
    // the boot-block update lets messages through.
    if (userInputHeld_) return;
    // With no drive listed there is no drive to check or flash: drive index
    // 0 would be whatever answers first, perhaps not an optical drive at all.
    if (driveListCount == 0) {
        StartWithoutDrive(*this, runModes);
        EndSilentRun(*this, runModes, "no drive");
        return;
    }
    if (!StartDownload(*this, runModes, SelectedDriveIndex()))
        EndSilentRun(*this, runModes, "the download ended before the worker");
}

void TMainForm::Timer1Timer() { ProgressTick(*this, runModes); }

void TMainForm::SetStatus(const std::string& text) { StaticText5.SetText(text); }

int TMainForm::Progress() const { return ProgressBar1.Position(); }

void TMainForm::SetProgress(int position) { ProgressBar1.SetPosition(position); }

void TMainForm::ProcessMessages() { backend_.ProcessMessages(); }

void TMainForm::PaintNow() { backend_.PaintNow(); }

void TMainForm::SetProgressTimer(bool enabled) { Timer1.SetEnabled(enabled); }

void TMainForm::CloseMainWindow() { backend_.CloseMainWindow(); }

void TMainForm::HoldUserInput(bool held) {
    userInputHeld_ = held;
    backend_.HoldUserInput(held);
}

void TMainForm::CaptureMouse(bool held) { backend_.CaptureMouse(held); }

void TMainForm::ShowHourglass(bool shown) { backend_.ShowHourglass(shown); }

void TMainForm::RefuseSessionEnd(bool refused) { sessionEndRefused_ = refused; }

bool TMainForm::QueryEndSession() {
    if (!sessionEndRefused_) return true;
    LogLine("end of the session refused: the drive is being written");
    return false;
}

// Windows ends the session whatever the answer (a forced shutdown): support
// must learn from the log that the drive may be left half written.
void TMainForm::EndSession(bool ending) {
    if (ending && sessionEndRefused_) LogLine("the session ends by force while the drive is being written");
}

void TMainForm::OnInput(void (TMainForm::*handler)()) {
    if (!userInputHeld_) (this->*handler)();
}

}  // namespace quillan
