#include "app/toolkit/win32_child_peers.h"

#include "app/toolkit/win32_backend.h"

namespace quillan::toolkit {
namespace {

constexpr UINT kMouseLast = 0x020E;    // WM_MOUSEHWHEEL, the last mouse message of any Windows
constexpr UINT kNcMouseLast = 0x00AD;  // WM_NCXBUTTONDBLCLK

// Keys, characters and the mouse, in the client area and on the frame.
bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= kMouseLast) ||
           (message >= WM_NCMOUSEMOVE && message <= kNcMouseLast);
}

// A visible child window at the control's place, showing its text.
HWND CreateChild(Win32Backend& backend, const Control& control, HWND owner, DWORD exStyle, const char* windowClass,
                 DWORD style, int height, HMENU id = nullptr) {
    const Bounds& b = control.GetBounds();
    return CreateWindowExA(exStyle, windowClass, control.Text().c_str(), WS_CHILD | WS_VISIBLE | style, b.left,
                           b.top, b.width, height, owner, id, backend.Instance(), nullptr);
}

}  // namespace

ChildWindowPeer::ChildWindowPeer(Win32Backend& backend, Control& control, HWND owner, HWND window)
    : Win32Peer(backend, control, owner), window_(window) {}

ChildWindowPeer::~ChildWindowPeer() {
    if (window_ == nullptr) return;
    // Its last messages find no control any more.
    backend_.ForgetChild(window_);
    DestroyWindow(window_);
}

void ChildWindowPeer::Update() { SetWindowTextA(window_, GetControl().Text().c_str()); }

StaticTextPeer::StaticTextPeer(Win32Backend& backend, Control& control, HWND owner)
    : ChildWindowPeer(backend, control, owner,
                      CreateChild(backend, control, owner, WS_EX_STATICEDGE, "STATIC", SS_LEFT | SS_NOPREFIX,
                                  control.GetBounds().height)) {}

HBRUSH StaticTextPeer::Colours(HDC dc) {
    const Colour colour = As<StaticText>().GetColour();
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, colour);
    return backend_.BrushFor(colour);
}

// No typed text, no tab stop; the list part may grow to 100 pixels.
ComboBoxPeer::ComboBoxPeer(Win32Backend& backend, Control& control, HWND owner)
    : ChildWindowPeer(backend, control, owner,
                      CreateChild(backend, control, owner, 0, "COMBOBOX", WS_VSCROLL | CBS_DROPDOWNLIST, 100)) {
    if (window_ == nullptr) return;
    SendMessageA(window_, CB_SETITEMHEIGHT, 0, 13);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    systemProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboBoxPeer::Procedure)));
}

ComboBoxPeer::~ComboBoxPeer() {
    backend_.ListClosed(*this);
    // The window, destroyed next, has the system's procedure alone again.
    if (window_ != nullptr) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProcedure_));
}

LRESULT CALLBACK ComboBoxPeer::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* peer = reinterpret_cast<const ComboBoxPeer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (peer->backend_.InputHeld() && IsUserInput(message)) return 0;
    return CallWindowProcA(peer->systemProcedure_, window, message, wParam, lParam);
}

void ComboBoxPeer::Update() {
    const ComboBox& list = As<ComboBox>();
    const LRESULT shown = SendMessageA(window_, CB_GETCOUNT, 0, 0);
    for (size_t i = static_cast<size_t>(shown < 0 ? 0 : shown); i < list.Items().size(); ++i)
        SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.Items()[i].c_str()));
    SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
}

void ComboBoxPeer::Command(WORD notification) {
    switch (notification) {
    case CBN_SELCHANGE:
        As<ComboBox>().Choose(static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0)));
        break;
    // The list part is a window of the system's own: while it is open, the
    // backend gives it this list's colours.
    case CBN_DROPDOWN:
        backend_.ListOpened(*this);
        break;
    case CBN_CLOSEUP:
        backend_.ListClosed(*this);
        break;
    default:
        break;
    }
}

HBRUSH ComboBoxPeer::Colours(HDC dc) {
    const Colour colour = As<ComboBox>().GetColour();
    SetBkColor(dc, colour);
    return backend_.BrushFor(colour);
}

void ComboBoxPeer::CloseList() { SendMessageA(window_, CB_SHOWDROPDOWN, FALSE, 0); }

PushButtonPeer::PushButtonPeer(Win32Backend& backend, Control& control, HWND owner)
    : ChildWindowPeer(backend, control, owner,
                      CreateChild(backend, control, owner, 0, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON,
                                  control.GetBounds().height,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)))) {}

void PushButtonPeer::Command(WORD notification) {
    if (notification == BN_CLICKED) As<PushButton>().Click();
}

}  // namespace quillan::toolkit
