// What a toolkit backend does for the controls and the forms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/toolkit/controls.h"

namespace quillan::toolkit {

enum class BoxIcon { None, Error, Warning, Information };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    bool systemModal = false;
    bool owned = false;  // owned by the main window, else no owner
};

// A rounded rectangle as CreateRoundRectRgn takes it.
struct RoundRect {
    int left, top, right, bottom, ellipseWidth, ellipseHeight;
};

// The window's outline: `outline` minus every notch.
struct WindowShape {
    RoundRect outline;
    std::vector<RoundRect> notches;
};

class Backend {
public:
    virtual ~Backend() = default;
    // A control announces itself from its base's constructor: only what the
    // base holds (its kind, place and first text) may be read then; the rest
    // of it is built once ControlCreated returns. It announces every change
    // of its state, and its going, when nothing but the base is left.
    virtual void ControlCreated(Control& control) = 0;
    virtual void ControlChanged(Control& control) = 0;
    virtual void ControlMoved(Control& control, Bounds before) = 0;
    virtual void ControlDestroyed(Control& control) = 0;
    virtual void TimerCreated(Timer& timer) = 0;
    virtual void TimerChanged(Timer& timer) = 0;
    virtual void TimerDestroyed(Timer& timer) = 0;
    // Returns the button pressed (IDOK = 1 and so on).
    virtual int ShowMessage(const MessageBoxRequest& request) = 0;
    // True with `path` filled when the user chose a file.
    virtual bool RunOpenDialog(const std::string& filter, std::string& path) = 0;
    virtual void SetMainWindowSize(int width, int height) = 0;
    virtual void SetMainWindowShape(const WindowShape& shape) = 0;
    virtual void SetMainWindowTitle(const std::string& title) = 0;
    virtual void CloseMainWindow() = 0;
    // While held, the main window and its controls take no user input, and
    // the user cannot close it; message boxes are not affected.
    virtual void HoldUserInput(bool held) = 0;
    // While a download writes the drive the main window holds the mouse (no
    // button reacts, it cannot be closed) and the cursor is the hourglass.
    // Any thread may call these: they run on the window's thread, in the
    // order called, and return once done.
    virtual void CaptureMouse(bool held) = 0;
    virtual void ShowHourglass(bool shown) = 0;
    virtual void ProcessMessages() = 0;
    // Paints the main window and its controls at once, without waiting for
    // the message loop.
    virtual void PaintNow() = 0;

    virtual void FormCreated(Form& form) = 0;
    virtual void FormDestroyed(Form& form) = 0;
    // Shows the form modally: returns once it is hidden; the main window
    // takes no input meanwhile.
    virtual void ShowModal(Form& form) = 0;
    virtual void HideForm(Form& form) = 0;

    // A picture built into the program (empty when there is none).
    virtual std::vector<uint8_t> ResourceBytes(const char* name) = 0;
    // The system moves the main window with the mouse until the button is up.
    virtual void BeginWindowDrag() = 0;
    // The cursor relative to the main window's top-left corner, on screen.
    virtual void CursorOffset(int& dx, int& dy) = 0;

    // Main-window events outside any control: key preview and a mouse button
    // going down on the window's own surface.
    std::function<void(uint16_t key)> onKeyDown;
    std::function<void(MouseButton button)> onFormMouseDown;
    // The end of the Windows session: asked whether it may end (true: yes),
    // then told whether it does end.
    std::function<bool()> onQueryEndSession;
    std::function<void(bool ending)> onEndSession;
};

}  // namespace quillan::toolkit
