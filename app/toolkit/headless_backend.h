// A backend with no windows: it keeps what would have been shown, answers
// message boxes and the file dialog from presets, and never waits.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "app/toolkit/backend.h"

namespace quillan::toolkit {

class HeadlessBackend : public Backend {
public:
    void ControlCreated(Control&) override {}
    void ControlChanged(Control&) override {}
    void TimerCreated(Timer&) override {}
    void TimerChanged(Timer&) override {}
    void TimerDestroyed(Timer&) override {}
    int ShowMessage(const MessageBoxRequest& request) override;
    bool RunOpenDialog(const std::string& filter, std::string& path) override;
    void SetMainWindowSize(int width, int height) override;
    void SetMainWindowShape(const WindowShape& shape) override;
    void SetMainWindowTitle(const std::string& title) override;
    void CloseMainWindow() override;
    void ProcessMessages() override { ++processMessagesCalls; }

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
    int processMessagesCalls = 0;
    // What the form asked for, in order ("title", "size", "shape", "message: <text>"),
    // so tests can check the order of a whole sequence.
    std::vector<std::string> journal;

private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxRequest> messages_;
};

}  // namespace quillan::toolkit
