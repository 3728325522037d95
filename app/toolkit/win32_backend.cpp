#include "app/toolkit/win32_backend.h"

#include <commctrl.h>
#include <commdlg.h>
#include <uxtheme.h>

#include <vector>

#include "platform/win32_ui_messages.h"

namespace quillan::toolkit {
namespace {

const Colour kWindowColour = Rgb(6, 32, 64);
const Colour kCaptionColour = Rgb(224, 232, 255);

Win32Backend* theBackend = nullptr;

UINT IconFlag(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Error: return MB_ICONERROR;
    case BoxIcon::Warning: return MB_ICONWARNING;
    case BoxIcon::Information: return MB_ICONINFORMATION;
    case BoxIcon::None: break;
    }
    return 0;
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    theBackend = this;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    background_ = CreateSolidBrush(kWindowColour);
    // Tahoma bold, 11 pixels high, ANSI.
    font_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

Win32Backend::~Win32Backend() {
    for (auto& entry : brushes_) DeleteObject(entry.second);
    if (font_ != nullptr) DeleteObject(font_);
    if (background_ != nullptr) DeleteObject(background_);
    theBackend = nullptr;
}

bool Win32Backend::CreateMainWindow(const char* className, const char* title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background_;
    windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0) return false;
    // Borderless and on top of normal windows; its design size, cut later.
    mainWindow_ = CreateWindowExA(WS_EX_TOPMOST, className, title, WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                  400, 415, nullptr, nullptr, instance_, nullptr);
    return mainWindow_ != nullptr;
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
        if (message.message == WM_KEYDOWN && keyDown) keyDown(static_cast<uint16_t>(message.wParam));
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

void Win32Backend::ControlCreated(Control& control) {
    if (mainWindow_ == nullptr) return;
    const Bounds& b = control.GetBounds();
    HWND child = nullptr;
    if (auto* label = dynamic_cast<Label*>(&control)) {
        child = CreateWindowExA(0, "STATIC", label->Caption().c_str(),
                                WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE, b.left, b.top,
                                b.width, b.height, mainWindow_, nullptr, instance_, nullptr);
    } else if (auto* text = dynamic_cast<StaticText*>(&control)) {
        child = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", text->Text().c_str(),
                                WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, b.left, b.top, b.width,
                                b.height, mainWindow_, nullptr, instance_, nullptr);
    } else if (dynamic_cast<ComboBox*>(&control) != nullptr) {
        // The drop-down part may grow to 100 pixels.
        child = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                b.left, b.top, b.width, 100, mainWindow_, nullptr, instance_, nullptr);
    } else if (dynamic_cast<ProgressBar*>(&control) != nullptr) {
        child = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, b.left, b.top, b.width,
                                b.height, mainWindow_, nullptr, instance_, nullptr);
        // A themed bar ignores its background colour.
        SetWindowTheme(child, L"", L"");
        SendMessageA(child, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    }
    if (child == nullptr) return;
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    control.native = reinterpret_cast<uintptr_t>(child);
    controls_[child] = &control;
}

void Win32Backend::ControlChanged(Control& control) {
    HWND child = reinterpret_cast<HWND>(control.native);
    if (child == nullptr) return;
    if (auto* text = dynamic_cast<StaticText*>(&control)) {
        SetWindowTextA(child, text->Text().c_str());
    } else if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
        const LRESULT shown = SendMessageA(child, CB_GETCOUNT, 0, 0);
        for (size_t i = static_cast<size_t>(shown < 0 ? 0 : shown); i < combo->Items().size(); ++i)
            SendMessageA(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo->Items()[i].c_str()));
        SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(combo->ItemIndex()), 0);
    } else if (auto* bar = dynamic_cast<ProgressBar*>(&control)) {
        SendMessageA(child, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(bar->Background()));
        SendMessageA(child, PBM_SETPOS, static_cast<WPARAM>(bar->Position()), 0);
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
    return MessageBoxA(owner, request.text.c_str(), request.caption.c_str(), flags);
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
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return false;
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
    HRGN region = CreateRoundRectRgn(o.left, o.top, o.right, o.bottom, o.ellipseWidth, o.ellipseHeight);
    for (const RoundRect& n : shape.notches) {
        HRGN notch = CreateRoundRectRgn(n.left, n.top, n.right, n.bottom, n.ellipseWidth, n.ellipseHeight);
        CombineRgn(region, region, notch, RGN_DIFF);
        DeleteObject(notch);
    }
    // From here on the window owns the region.
    SetWindowRgn(mainWindow_, region, TRUE);
}

void Win32Backend::SetMainWindowTitle(const std::string& title) {
    SetWindowTextA(mainWindow_, title.c_str());
}

void Win32Backend::CloseMainWindow() { PostMessageA(mainWindow_, WM_CLOSE, 0, 0); }

HBRUSH Win32Backend::BrushFor(Colour colour) {
    auto found = brushes_.find(colour);
    if (found != brushes_.end()) return found->second;
    HBRUSH brush = CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

LRESULT Win32Backend::ColourStatic(HDC dc, HWND child) {
    auto found = controls_.find(child);
    if (found != controls_.end()) {
        if (auto* text = dynamic_cast<StaticText*>(found->second)) {
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, text->GetColour());
            return reinterpret_cast<LRESULT>(BrushFor(text->GetColour()));
        }
        if (auto* combo = dynamic_cast<ComboBox*>(found->second)) {
            SetBkColor(dc, combo->GetColour());
            return reinterpret_cast<LRESULT>(BrushFor(combo->GetColour()));
        }
    }
    // Captions: light text straight on the background.
    SetTextColor(dc, kCaptionColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(background_);
}

LRESULT CALLBACK Win32Backend::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theBackend != nullptr) return theBackend->Handle(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Win32Backend::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: {
        auto found = timers_.find(wParam);
        if (found != timers_.end() && found->second->Enabled() && found->second->onTimer)
            found->second->onTimer();
        return 0;
    }
    case WM_COMMAND: {
        HWND child = reinterpret_cast<HWND>(lParam);
        auto found = controls_.find(child);
        if (found != controls_.end() && HIWORD(wParam) == CBN_SELCHANGE) {
            if (auto* combo = dynamic_cast<ComboBox*>(found->second))
                combo->Choose(static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case kSetMouseCapture:
        if (wParam != 0)
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
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace quillan::toolkit
