// A DownloadWindow without a screen, for driving StartDownload and
// ProgressTick directly: it keeps the boxes' texts, the status, the bar and
// whether the window was closed, and lets everything else pass.
#pragma once

#include <string>
#include <vector>

#include "flash/download_window.h"

namespace quillan::test_support {

class RecordingDownloadWindow : public DownloadWindow {
public:
    void Show(const Notice& notice) override { shown.push_back(notice.text); }
    void SetStatus(const std::string& text) override { status = text; }
    int Progress() const override { return position; }
    void SetProgress(int p) override { position = p; }
    void ProcessMessages() override {}
    void PaintNow() override {}
    void SetProgressTimer(bool) override {}
    void HoldUserInput(bool) override {}
    void CaptureMouse(bool) override {}
    void ShowHourglass(bool) override {}
    void RefuseSessionEnd(bool) override {}
    void CloseMainWindow() override { closed = true; }

    std::vector<std::string> shown;  // each box's text, in order
    std::string status;
    int position = 0;
    bool closed = false;
};

}  // namespace quillan::test_support
