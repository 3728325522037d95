// What a download needs of the main window; TMainForm provides it.
#pragma once

#include <string>

#include "flash/notice.h"

namespace quillan {

class DownloadWindow {
public:
    virtual ~DownloadWindow() = default;
    virtual void Show(const Notice& notice) = 0;
    virtual void SetStatus(const std::string& text) = 0;   // StaticText5
    virtual int Progress() const = 0;                      // ProgressBar1
    virtual void SetProgress(int position) = 0;
    virtual void ProcessMessages() = 0;
    // Paints what changed now: the window's thread is about to block in a
    // drive command, and the user must see the status and the bar first.
    virtual void PaintNow() = 0;
    virtual void SetProgressTimer(bool enabled) = 0;       // Timer1
    // While held, no user input reaches the window (keys, mouse, the drive
    // list, closing it); the program's message boxes still take theirs.
    virtual void HoldUserInput(bool held) = 0;
    // While the drive is written the window holds the mouse and shows the
    // hourglass. The worker thread calls these too: each takes effect on the
    // window's own thread, in the order asked, before it returns.
    virtual void CaptureMouse(bool held) = 0;
    virtual void ShowHourglass(bool shown) = 0;
    // While refused, the window answers Windows' question before a shutdown,
    // restart or log-off with no, and logs each answer it gives so. Window's
    // thread only.
    virtual void RefuseSessionEnd(bool refused) = 0;
    virtual void CloseMainWindow() = 0;
};

}  // namespace quillan
