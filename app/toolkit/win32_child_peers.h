// The controls with a child window of their own: a text field (STATIC), the
// drop-down list (COMBOBOX) and a push button (BUTTON). Each window is made
// with its peer, found from its HWND, and destroyed with the peer unless it
// went with the window it sits on.
#pragma once

#include "app/toolkit/win32_peer.h"

namespace quillan::toolkit {

class ChildWindowPeer : public Win32Peer {
public:
    ~ChildWindowPeer() override;
    HWND Window() const { return window_; }
    // The window it sits on is being destroyed, and its child windows with it.
    void WindowGone() { window_ = nullptr; }
    // Shows the control's text.
    void Update() override;

protected:
    ChildWindowPeer(Win32Backend& backend, Control& control, HWND owner, HWND window);
    HWND window_;
};

class StaticTextPeer : public ChildWindowPeer {
public:
    StaticTextPeer(Win32Backend& backend, Control& control, HWND owner);
    HBRUSH Colours(HDC dc) override;
};

// While a download holds the window the list takes no input, yet it stays
// enabled, so that it is drawn as when idle and stays readable (a disabled
// one is greyed): its own window procedure stands in front of the system's.
class ComboBoxPeer : public ChildWindowPeer {
public:
    ComboBoxPeer(Win32Backend& backend, Control& control, HWND owner);
    ~ComboBoxPeer() override;
    void Update() override;
    void Command(WORD notification) override;
    HBRUSH Colours(HDC dc) override;
    // Closes the list part if it is open.
    void CloseList();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC systemProcedure_ = nullptr;
};

class PushButtonPeer : public ChildWindowPeer {
public:
    PushButtonPeer(Win32Backend& backend, Control& control, HWND owner);
    void Command(WORD notification) override;
};

}  // namespace quillan::toolkit
