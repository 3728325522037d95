// The Win32 backend's windows: the main window and the dialog forms, their
// data (kept on each window), the window procedure that routes messages and
// input, the message loops, message boxes and the file dialog.
#include "app/toolkit/win32_backend.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <exception>
#include <vector>

#include "app/toolkit/escaped_exception.h"
#include "app/toolkit/key_preview.h"
#include "app/toolkit/win32_child_peers.h"
#include "app/toolkit/win32_drawn_peers.h"

namespace quillan::toolkit {
namespace {

static_assert(kKeyDownMessage == WM_KEYDOWN && kSysKeyDownMessage == WM_SYSKEYDOWN && kF9Key == VK_F9,
              "the key preview's rule speaks of these messages and this key");

const Colour kWindowColour = Rgb(6, 32, 64);
const char kFormClass[] = "TAboutForm";
constexpr UINT kDragCommand = 0xF012;  // SC_MOVE | HTCAPTION: move as if by the title bar
// Sent to the main window so that capture and cursor change on its own
// thread, also when the download's worker thread asks: both belong to the
// thread of the window.
constexpr UINT kSetMouseCapture = WM_APP + 1;  // wParam 1: take, 0: release
constexpr UINT kSetBusyCursor = WM_APP + 2;    // wParam 1: hourglass, 0: arrow

UINT IconFlag(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Error: return MB_ICONERROR;
    case BoxIcon::Warning: return MB_ICONWARNING;
    case BoxIcon::Information: return MB_ICONINFORMATION;
    case BoxIcon::None: break;
    }
    return 0;
}

MouseButton ButtonOf(UINT message) {
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return MouseButton::Right;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return MouseButton::Middle;
    return MouseButton::Left;
}

bool Inside(const Bounds& b, int x, int y) {
    return x >= b.left && y >= b.top && x < b.left + b.width && y < b.top + b.height;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // Tahoma bold, 11 pixels high, ANSI.
    font_.Reset(CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    WNDCLASSA formClass = {};
    formClass.lpfnWndProc = WindowProc;
    formClass.hInstance = instance_;
    formClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    formClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    formClass.lpszClassName = kFormClass;
    RegisterClassA(&formClass);
}

Win32Backend::~Win32Backend() {
    // A window that outlives its backend (a handler's exception ended the
    // loop) takes the system's default way from now on.
    for (const auto& entry : surfaces_) SetWindowLongPtrA(entry.first, GWLP_USERDATA, 0);
}

Win32Backend::Surface& Win32Backend::Attach(HWND window) {
    Surface& surface = surfaces_[window];
    surface.backend = this;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&surface));
    return surface;
}

void Win32Backend::Detach(HWND window) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    surfaces_.erase(window);
    ForgetChildrenOf(window);
}

Win32Backend::Surface* Win32Backend::SurfaceOf(HWND window) {
    return reinterpret_cast<Surface*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool Win32Backend::CreateMainWindow(const char* className, const char* title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0) return false;
    // Borderless and on top of normal windows; its design size, cut later.
    mainWindow_ = CreateWindowExA(WS_EX_TOPMOST, className, title, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400,
                                  415, nullptr, nullptr, instance_, nullptr);
    if (mainWindow_ == nullptr) return false;
    Attach(mainWindow_).background = kWindowColour;
    return true;
}

void Win32Backend::ShowMainWindow() {
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
    SetWindowPos(mainWindow_, HWND_TOPMOST, left, top, width_, height_, SWP_SHOWWINDOW);
    UpdateWindow(mainWindow_);
}

void Win32Backend::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Key preview: the form sees every key before its controls.
        if (onKeyDown && PreviewsKey(message.message, static_cast<uint16_t>(message.wParam)))
            onKeyDown(static_cast<uint16_t>(message.wParam));
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Win32Backend::ProcessMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pictures take the mouse the way the user expects of buttons: the one a
// button went down on keeps getting the mouse until the button is up, and a
// left-button release still over it is a click.
bool Win32Backend::Mouse(HWND window, Surface& surface, UINT message, WPARAM, LPARAM lParam) {
    if (downloadCapture_ || inputHeld_) return true;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    Win32Peer* hit = nullptr;
    for (auto it = surface.drawn.rbegin(); it != surface.drawn.rend(); ++it) {
        if ((*it)->TakesMouse() && Inside((*it)->GetControl().GetBounds(), x, y)) {
            hit = *it;
            break;
        }
    }
    Win32Peer* target = surface.captured != nullptr ? surface.captured : hit;
    const int lx = target != nullptr ? x - target->GetControl().GetBounds().left : x;
    const int ly = target != nullptr ? y - target->GetControl().GetBounds().top : y;
    switch (message) {
    case WM_MOUSEMOVE:
        if (target != nullptr) target->MouseMove(lx, ly);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (target == nullptr) {
            if (window == mainWindow_ && onFormMouseDown) onFormMouseDown(ButtonOf(message));
            return true;
        }
        surface.captured = target;
        SetCapture(window);
        target->MouseDown(ButtonOf(message), lx, ly);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (target == nullptr) return true;
        surface.captured = nullptr;
        ReleaseCapture();
        const bool over = Inside(target->GetControl().GetBounds(), x, y);
        target->MouseUp(ButtonOf(message), lx, ly);
        if (over && message == WM_LBUTTONUP) target->Click();
        return true;
    }
    default:
        return false;
    }
}

void Win32Backend::TimerCreated(Timer& timer) {
    timer.native = nextTimerId_++;
    timers_[timer.native] = &timer;
    if (timer.Enabled()) TimerChanged(timer);
}

void Win32Backend::TimerChanged(Timer& timer) {
    if (mainWindow_ == nullptr) return;
    if (timer.Enabled())
        SetTimer(mainWindow_, timer.native, timer.Interval(), nullptr);
    else
        KillTimer(mainWindow_, timer.native);
}

void Win32Backend::TimerDestroyed(Timer& timer) {
    if (mainWindow_ != nullptr && IsWindow(mainWindow_)) KillTimer(mainWindow_, timer.native);
    timers_.erase(timer.native);
}

int Win32Backend::ShowMessage(const MessageBoxRequest& request) {
    UINT flags = MB_OK | IconFlag(request.icon) | (request.systemModal ? MB_SYSTEMMODAL : MB_APPLMODAL);
    HWND owner = request.owned ? mainWindow_ : nullptr;
    const int pressed = MessageBoxA(owner, request.text.c_str(), request.caption.c_str(), flags);
    // What the box covered is drawn again now, not when the message loop next
    // runs: a handler may go on with slow work (a drive's answers) after the
    // box, and the window must not show a box that is gone meanwhile.
    if (mainWindow_ != nullptr)
        RedrawWindow(mainWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return pressed;
}

bool Win32Backend::RunOpenDialog(const std::string& filter, std::string& path) {
    // "Name|pattern" pairs become the dialog's double-zero-terminated list.
    std::vector<char> pairs(filter.begin(), filter.end());
    for (char& c : pairs)
        if (c == '|') c = '\0';
    pairs.push_back('\0');
    pairs.push_back('\0');
    char chosen[1024] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = mainWindow_;
    dialog.lpstrFilter = pairs.data();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof(chosen);
    // The current folder stays where the run started, whatever folder the
    // user browses to: a result line or a start-up file may be known there
    // only by a relative name (a folder too deep to name whole). Not every
    // Windows keeps the folder for the open dialog as the flag asks, so it
    // is also put back by hand.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    char folder[MAX_PATH];
    const DWORD kept = GetCurrentDirectoryA(sizeof(folder), folder);
    const BOOL opened = GetOpenFileNameA(&dialog);
    if (kept != 0 && kept < sizeof(folder)) SetCurrentDirectoryA(folder);
    if (!opened) return false;
    path = chosen;
    return true;
}

void Win32Backend::SetMainWindowSize(int width, int height) {
    width_ = width;
    height_ = height;
    SetWindowPos(mainWindow_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Backend::SetMainWindowShape(const WindowShape& shape) {
    const RoundRect& o = shape.outline;
    ScopedGdiObject<HRGN> region(
        CreateRoundRectRgn(o.left, o.top, o.right, o.bottom, o.ellipseWidth, o.ellipseHeight));
    for (const RoundRect& n : shape.notches) {
        const ScopedGdiObject<HRGN> notch(
            CreateRoundRectRgn(n.left, n.top, n.right, n.bottom, n.ellipseWidth, n.ellipseHeight));
        CombineRgn(region.Get(), region.Get(), notch.Get(), RGN_DIFF);
    }
    // Once set, the region belongs to the window.
    if (SetWindowRgn(mainWindow_, region.Get(), TRUE) != 0) region.Release();
}

void Win32Backend::SetMainWindowTitle(const std::string& title) { SetWindowTextA(mainWindow_, title.c_str()); }

void Win32Backend::CloseMainWindow() { PostMessageA(mainWindow_, WM_CLOSE, 0, 0); }

void Win32Backend::HoldUserInput(bool held) {
    inputHeld_ = held;
    if (!held) return;
    // The drive list is a window of its own: while held it drops every key
    // and click (ComboBoxPeer), and an open list closes. Keys then go to the
    // main window, whose form handlers and closing the hold keeps out. The
    // text fields take no input at all: clicks on them reach the main window.
    // Nothing is disabled, so everything reads as when idle.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(mainWindow_, focus)) SetFocus(mainWindow_);
    if (openList_ != nullptr && openList_->OwnerWindow() == mainWindow_) openList_->CloseList();
}

// SendMessage runs these on the window's thread and returns only after,
// so the worker's steps keep their order.
void Win32Backend::CaptureMouse(bool held) { SendMessageA(mainWindow_, kSetMouseCapture, held ? 1 : 0, 0); }

void Win32Backend::ShowHourglass(bool shown) { SendMessageA(mainWindow_, kSetBusyCursor, shown ? 1 : 0, 0); }

void Win32Backend::FormCreated(Form& form) {
    RECT frame = {0, 0, form.ClientWidth(), form.ClientHeight()};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kFormClass, form.Caption().c_str(), style, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, mainWindow_, nullptr,
                                  instance_, nullptr);
    form.native = reinterpret_cast<uintptr_t>(window);
    if (window != nullptr) Attach(window).form = &form;
}

void Win32Backend::FormDestroyed(Form& form) {
    HWND window = reinterpret_cast<HWND>(form.native);
    if (window == nullptr) return;
    // The form is going: its window's last messages take the default way.
    Detach(window);
    if (IsWindow(window)) DestroyWindow(window);
}

void Win32Backend::ShowModal(Form& form) {
    HWND window = reinterpret_cast<HWND>(form.native);
    if (window == nullptr) {
        form.Hide();
        return;
    }
    RECT frame;
    GetWindowRect(window, &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(window, HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    EnableWindow(mainWindow_, FALSE);
    MSG message;
    while (form.Visible() && IsWindow(mainWindow_)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(0);
            break;
        }
        if (IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EnableWindow(mainWindow_, TRUE);
    if (IsWindow(mainWindow_)) SetForegroundWindow(mainWindow_);
}

void Win32Backend::HideForm(Form& form) {
    HWND window = reinterpret_cast<HWND>(form.native);
    if (window != nullptr) ShowWindow(window, SW_HIDE);
}

std::vector<uint8_t> Win32Backend::ResourceBytes(const char* name) {
    HRSRC found = FindResourceA(instance_, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(instance_, found);
    const DWORD size = SizeofResource(instance_, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    const uint8_t* first = static_cast<const uint8_t*>(bytes);
    return std::vector<uint8_t>(first, first + size);
}

void Win32Backend::BeginWindowDrag() {
    ReleaseCapture();
    SendMessageA(mainWindow_, WM_SYSCOMMAND, kDragCommand, 0);
}

void Win32Backend::CursorOffset(int& dx, int& dy) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT frame = {};
    GetWindowRect(mainWindow_, &frame);
    dx = cursor.x - frame.left;
    dy = cursor.y - frame.top;
}

LRESULT CALLBACK Win32Backend::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing may unwind into the system's dispatch: a handler's exception
    // is shown here, and the program then ends as the entry would have.
    // Once a handler's exception is being shown the program is ending: no
    // handler runs again (a timer must not restart Windows behind the box).
    // A window without data (being created, its form gone, or outliving its
    // backend) takes the default way.
    Surface* surface = SurfaceOf(window);
    if (surface == nullptr || surface->backend->ending_) return DefWindowProcA(window, message, wParam, lParam);
    Win32Backend& backend = *surface->backend;
    try {
        return backend.Handle(window, *surface, message, wParam, lParam);
    } catch (const std::exception& error) {
        backend.EndOnEscapedException(error.what());
    } catch (...) {
        backend.EndOnEscapedException("Unknown exception.");
    }
    return 0;
}

void Win32Backend::EndOnEscapedException(const char* what) {
    ending_ = true;
    ShowEscapedException(what);
    PostQuitMessage(0);
}

LRESULT Win32Backend::Handle(HWND window, Surface& surface, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window, surface);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // Paint covers every pixel
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (window == mainWindow_ && movingWindow_) {
            // The system's move ends on the left button's release only: a
            // drag with another button ends where that one is released. No
            // press starts anything while the window moves.
            if (message == WM_RBUTTONUP || message == WM_MBUTTONUP) PostMessageA(window, WM_LBUTTONUP, 0, lParam);
            return 0;
        }
        if (Mouse(window, surface, message, wParam, lParam)) return 0;
        break;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        if (window == mainWindow_) movingWindow_ = message == WM_ENTERSIZEMOVE;
        break;
    case WM_CAPTURECHANGED:
        // The mouse was taken away (a drag of the window takes it, and its
        // release never reaches us): no picture holds the mouse any more.
        if (reinterpret_cast<HWND>(lParam) != window) surface.captured = nullptr;
        break;
    case WM_TIMER: {
        auto found = timers_.find(wParam);
        if (found != timers_.end() && found->second->Enabled() && found->second->onTimer)
            found->second->onTimer();
        return 0;
    }
    case WM_COMMAND:
        if (!ChildCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam)) && LOWORD(wParam) == IDCANCEL &&
            surface.form != nullptr)
            surface.form->Hide();  // Esc closes a dialog form like its close box
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOA) {
            GiveHintText(reinterpret_cast<NMHDR*>(lParam));
            return 0;
        }
        break;
    case WM_CLOSE:
        // Closing while the drive is being written (Alt+F4) would leave it
        // half flashed: the download holds the mouse until its end.
        if (window == mainWindow_ && (downloadCapture_ || inputHeld_)) return 0;
        if (surface.form != nullptr) {
            surface.form->Hide();  // a dialog form is only hidden, never destroyed
            return 0;
        }
        break;
    case WM_QUERYENDSESSION:
        if (window == mainWindow_ && onQueryEndSession) return onQueryEndSession() ? TRUE : FALSE;
        break;
    case WM_ENDSESSION:
        if (window == mainWindow_ && onEndSession) onEndSession(wParam != FALSE);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case kSetMouseCapture:
        downloadCapture_ = wParam != 0;
        if (downloadCapture_)
            SetCapture(mainWindow_);
        else
            ReleaseCapture();
        return 0;
    case kSetBusyCursor:
        busyCursor_ = wParam != 0;
        SetCursor(LoadCursor(nullptr, busyCursor_ ? IDC_WAIT : IDC_ARROW));
        return 0;
    case WM_SETCURSOR:
        if (busyCursor_) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (window == mainWindow_) {
            PostQuitMessage(0);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        Detach(window);  // the window's last message: its data goes with it
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace quillan::toolkit
