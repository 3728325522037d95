// A backend with no windows: it keeps what would have been shown, answers
// message boxes and the file dialog from presets, and never waits.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/toolkit/backend.h"

namespace quillan::toolkit {

class HeadlessBackend : public Backend {
public:
    void ControlCreated(Control&) override {}
    void ControlChanged(Control&) override {}
    void ControlMoved(Control&, Bounds) override {}
    void ControlDestroyed(Control&) override {}
    void TimerCreated(Timer&) override {}
    void TimerChanged(Timer& timer) override;
    void TimerDestroyed(Timer&) override {}
    int ShowMessage(const MessageBoxRequest& request) override;
    bool RunOpenDialog(const std::string& filter, std::string& path) override;
    void SetMainWindowSize(int width, int height) override;
    void SetMainWindowShape(const WindowShape& shape) override;
    void SetMainWindowTitle(const std::string& title) override;
    void CloseMainWindow() override;
    void HoldUserInput(bool held) override {
        inputHeld = held;
        journal.push_back(held ? "input held" : "input back");
    }
    // The worker thread calls these too.
    void CaptureMouse(bool held) override;
    void ShowHourglass(bool shown) override;
    void ProcessMessages() override {
        ++processMessagesCalls;
        if (onProcessMessages) onProcessMessages();
    }
    void PaintNow() override {
        journal.push_back("paint");
        if (onPaint) onPaint();
    }
    void FormCreated(Form&) override {}
    void FormDestroyed(Form&) override {}
    // Records the showing and returns at once; the form stays visible until
    // something hides it.
    void ShowModal(Form& form) override { journal.push_back("show modal " + form.Caption()); }
    void HideForm(Form& form) override { journal.push_back("hide " + form.Caption()); }
    std::vector<uint8_t> ResourceBytes(const char* name) override;
    void BeginWindowDrag() override { journal.push_back("drag"); }
    void CursorOffset(int& dx, int& dy) override {
        dx = cursorDx;
        dy = cursorDy;
    }

    // Pictures the program would find built in, by name.
    std::map<std::string, std::vector<uint8_t>> resources;
    int cursorDx = 0;
    int cursorDy = 0;

    // Message boxes in the order shown (the worker thread may add one).
    std::vector<MessageBoxRequest> Messages() const;
    // The next file dialog returns this path; an empty text cancels it.
    std::string nextOpenPath;
    std::string lastDialogFilter;

    int width = 0;
    int height = 0;
    WindowShape shape{};
    bool shaped = false;
    std::string title;
    bool closed = false;
    bool inputHeld = false;
    bool captured = false;
    bool hourglass = false;
    int processMessagesCalls = 0;
    // Runs while a message box or the file dialog shows, as their own message
    // loops would run the window's timers.
    std::function<void()> whileModal;
    // Runs at each ProcessMessages: a test delivers the user's input there.
    std::function<void()> onProcessMessages;
    // Runs at each PaintNow: a test reads there what the screen would show.
    std::function<void()> onPaint;
    // What the form asked for, in order ("title", "size", "shape",
    // "message: <text>", "Timer1 on", "capture", "hourglass"),
    // so tests can check the order of a whole sequence.
    std::vector<std::string> journal;

private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxRequest> messages_;
};

}  // namespace quillan::toolkit
