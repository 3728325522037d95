// The toolkit on plain Win32. The main window (class "TMainForm") and each
// dialog form are top-level windows; text fields, the drop-down list and push
// buttons are child windows; captions, pictures and the progress bar have no
// window of their own and are drawn by the window they sit on, in the order
// they were created, through one off-screen bitmap.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/toolkit/backend.h"
#include "platform/scoped_win32.h"

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
    // For the host: the shutdown screen names this window with its reason.
    HWND MainWindow() const { return mainWindow_; }

    void ControlCreated(Control& control) override;
    void ControlChanged(Control& control) override;
    void ControlMoved(Control& control, Bounds before) override;
    void TimerCreated(Timer& timer) override;
    void TimerChanged(Timer& timer) override;
    void TimerDestroyed(Timer& timer) override;
    int ShowMessage(const MessageBoxRequest& request) override;
    bool RunOpenDialog(const std::string& filter, std::string& path) override;
    void SetMainWindowSize(int width, int height) override;
    void SetMainWindowShape(const WindowShape& shape) override;
    void SetMainWindowTitle(const std::string& title) override;
    void CloseMainWindow() override;
    void HoldUserInput(bool held) override;
    void CaptureMouse(bool held) override;
    void ShowHourglass(bool shown) override;
    void ProcessMessages() override;
    void PaintNow() override;
    void FormCreated(Form& form) override;
    void FormDestroyed(Form& form) override;
    void ShowModal(Form& form) override;
    void HideForm(Form& form) override;
    std::vector<uint8_t> ResourceBytes(const char* name) override;
    void BeginWindowDrag() override;
    void CursorOffset(int& dx, int& dy) override;

private:
    // A top-level window's own data, which the window points at
    // (GWLP_USERDATA): the backend its messages go to, what it draws itself,
    // and the form it stands for.
    struct Surface {
        Win32Backend* backend = nullptr;
        Form* form = nullptr;
        COLORREF background = 0;
        std::vector<Control*> drawn;
        Control* captured = nullptr;  // the picture a mouse button went down on
        HWND tooltip = nullptr;
        std::set<const Control*> hinted;  // the pictures the tooltip has a tool for
    };

    // The window (win32_window.cpp): its data, its procedure, its input.
    Surface& Attach(HWND window);
    void Detach(HWND window);
    static Surface* SurfaceOf(HWND window);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, Surface& surface, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows a handler's exception and ends the message loop.
    void EndOnEscapedException(const char* what);
    bool Mouse(HWND window, Surface& surface, UINT message, WPARAM wParam, LPARAM lParam);

    // Painting (win32_painting.cpp).
    void Paint(HWND window, Surface& surface);

    // Child controls and what the window draws for them
    // (win32_child_controls.cpp).
    static RECT RectOf(const Bounds& bounds);
    HWND OwnerWindow(const Control& control) const;
    void AddHint(Surface& surface, HWND window, Image& image);
    // The tooltip asks for the hint of the picture it is about to show it for.
    void GiveHintText(Surface& surface, NMHDR* request);
    // A child control's notification; false when the child is none of ours.
    bool ChildCommand(HWND child, WORD notification);
    HBRUSH BrushFor(Colour colour);
    LRESULT ColourStatic(HWND window, HDC dc, HWND child);
    // The drop-down list's own procedure in front of the system's: while a
    // download holds the window the list takes no input, yet it stays
    // enabled, so that it is drawn as when idle and stays readable (a
    // disabled one is greyed).
    static LRESULT CALLBACK ComboProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
    static WNDPROC systemComboProc_;
    ComboBox* DroppedComboBox(HWND window) const;

    HINSTANCE instance_;
    HWND mainWindow_ = nullptr;
    ScopedGdiObject<HFONT> font_;
    int width_ = 400;
    int height_ = 200;
    bool movingWindow_ = false;  // the system moves the main window with the mouse
    std::map<HWND, Surface> surfaces_;  // the data of each live window of ours
    std::map<HWND, Control*> children_;
    std::map<UINT_PTR, Timer*> timers_;
    std::map<Colour, ScopedGdiObject<HBRUSH>> brushes_;
    UINT_PTR nextTimerId_ = 1;
    bool busyCursor_ = false;
    bool downloadCapture_ = false;  // a download holds the mouse: no button reacts
    bool ending_ = false;           // a handler's exception is being shown
    bool inputHeld_ = false;        // a download holds the window: no input, no closing
};

}  // namespace quillan::toolkit
