// What the Win32 backend asks of a control, whatever its kind: one class per
// kind answers it (win32_child_peers.h for the controls with a child window
// of their own, win32_drawn_peers.h for those their window draws). The
// backend makes a control's peer from its kind when the control is created,
// finds it from the control or from its child window, and destroys it when
// the control goes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/toolkit/controls.h"

namespace quillan::toolkit {

class Win32Backend;

inline RECT RectOf(const Bounds& b) { return RECT{b.left, b.top, b.left + b.width, b.top + b.height}; }

// 0x00RRGGBB, the layout of a 32-bit top-down DIB.
inline uint32_t DibPixel(Colour colour) {
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

// A window's off-screen bitmap while it is painted: 32-bit top-down pixels,
// and a memory DC on them with the toolkit's font and a transparent
// background.
struct Canvas {
    uint32_t* pixels;
    int width;
    int height;
    HDC dc;
    bool onForm;  // a dialog form, drawn in the system's colours; else the main window
};

class Win32Peer {
public:
    virtual ~Win32Peer() = default;
    Win32Peer(const Win32Peer&) = delete;
    Win32Peer& operator=(const Win32Peer&) = delete;

    const Control& GetControl() const { return control_; }
    // The window the control sits on: the main window or a dialog form's.
    HWND OwnerWindow() const { return ownerWindow_; }

    // The control's state changed: show it.
    virtual void Update() = 0;
    // A notification from the control's child window (WM_COMMAND).
    virtual void Command(WORD) {}
    // WM_CTLCOLOR*: sets up `dc` and gives the background's brush; none:
    // the system's colours.
    virtual HBRUSH Colours(HDC) { return nullptr; }
    // Draws the control into its window's bitmap.
    virtual void Paint(const Canvas&) {}
    // The hint the tooltip shows for the control; none: no text.
    virtual const char* Hint() const { return nullptr; }
    // The mouse over the control, at (x, y) from its top-left corner: only a
    // control that TakesMouse gets it.
    virtual bool TakesMouse() const { return false; }
    virtual void MouseDown(MouseButton, int, int) {}
    virtual void MouseUp(MouseButton, int, int) {}
    virtual void MouseMove(int, int) {}
    virtual void Click() {}

protected:
    Win32Peer(Win32Backend& backend, Control& control, HWND owner)
        : backend_(backend), control_(control), ownerWindow_(owner) {}
    // The control as the class its kind names. The peer is made while only
    // the control's base is built, and destroyed when only the base is left:
    // neither its constructor nor its destructor may call this.
    template <typename Kind>
    Kind& As() const {
        return static_cast<Kind&>(control_);
    }

    Win32Backend& backend_;

private:
    Control& control_;
    HWND ownerWindow_;
};

}  // namespace quillan::toolkit
