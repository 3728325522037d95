// The toolkit on plain Win32: one top-level window of class "TMainForm" and a
// child window per control.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "app/toolkit/backend.h"

namespace quillan::toolkit {

class Win32Backend : public Backend {
public:
    explicit Win32Backend(HINSTANCE instance);
    ~Win32Backend() override;

    // Creates the hidden main window; false when there is no display.
    bool CreateMainWindow(const char* className, const char* title);
    void ShowMainWindow();
    // Runs until the main window is gone.
    void RunMessageLoop();
    HWND MainWindow() const { return mainWindow_; }
    // Key preview: every key press reaches the form before its controls.
    std::function<void(uint16_t)> keyDown;

    void ControlCreated(Control& control) override;
    void ControlChanged(Control& control) override;
    void TimerCreated(Timer& timer) override;
    void TimerChanged(Timer& timer) override;
    void TimerDestroyed(Timer& timer) override;
    int ShowMessage(const MessageBoxRequest& request) override;
    bool RunOpenDialog(const std::string& filter, std::string& path) override;
    void SetMainWindowSize(int width, int height) override;
    void SetMainWindowShape(const WindowShape& shape) override;
    void SetMainWindowTitle(const std::string& title) override;
    void CloseMainWindow() override;
    void ProcessMessages() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HBRUSH BrushFor(Colour colour);
    LRESULT ColourStatic(HDC dc, HWND child);

    HINSTANCE instance_;
    HWND mainWindow_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH background_ = nullptr;
    int width_ = 400;
    int height_ = 200;
    std::map<HWND, Control*> controls_;
    std::map<UINT_PTR, Timer*> timers_;
    std::map<Colour, HBRUSH> brushes_;
    UINT_PTR nextTimerId_ = 1;
    bool busyCursor_ = false;
};

}  // namespace quillan::toolkit
