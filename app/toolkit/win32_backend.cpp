#include "app/toolkit/win32_backend.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstring>
#include <exception>
#include <vector>

#include "app/toolkit/escaped_exception.h"

namespace quillan::toolkit {
namespace {

const Colour kWindowColour = Rgb(6, 32, 64);
const Colour kCaptionColour = Rgb(224, 232, 255);
const Colour kProgressFill = Rgb(24, 72, 160);
const char kFormClass[] = "TAboutForm";
constexpr UINT kDragCommand = 0xF012;  // SC_MOVE | HTCAPTION: move as if by the title bar
// Sent to the main window so that capture and cursor change on its own
// thread, also when the download's worker thread asks: both belong to the
// thread of the window.
constexpr UINT kSetMouseCapture = WM_APP + 1;  // wParam 1: take, 0: release
constexpr UINT kSetBusyCursor = WM_APP + 2;    // wParam 1: hourglass, 0: arrow

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

// 0x00RRGGBB, the layout of a 32-bit top-down DIB.
uint32_t DibPixel(Colour colour) {
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

MouseButton ButtonOf(UINT message) {
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return MouseButton::Right;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return MouseButton::Middle;
    return MouseButton::Left;
}

bool Inside(const Bounds& b, int x, int y) {
    return x >= b.left && y >= b.top && x < b.left + b.width && y < b.top + b.height;
}

RECT RectOf(const Bounds& b) { return RECT{b.left, b.top, b.left + b.width, b.top + b.height}; }

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    theBackend = this;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    background_ = CreateSolidBrush(kWindowColour);
    // Tahoma bold, 11 pixels high, ANSI.
    font_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
    WNDCLASSA formClass = {};
    formClass.lpfnWndProc = WindowProc;
    formClass.hInstance = instance_;
    formClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    formClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    formClass.lpszClassName = kFormClass;
    RegisterClassA(&formClass);
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
    windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0) return false;
    // Borderless and on top of normal windows; its design size, cut later.
    mainWindow_ = CreateWindowExA(WS_EX_TOPMOST, className, title, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400,
                                  415, nullptr, nullptr, instance_, nullptr);
    if (mainWindow_ == nullptr) return false;
    Surface& surface = surfaces_[mainWindow_];
    surface.background = kWindowColour;
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
        if (message.message == WM_KEYDOWN && onKeyDown) onKeyDown(static_cast<uint16_t>(message.wParam));
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

void Win32Backend::PaintNow() {
    RedrawWindow(mainWindow_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HWND Win32Backend::OwnerWindow(const Control& control) const {
    return control.Owner() != nullptr ? reinterpret_cast<HWND>(control.Owner()->native) : mainWindow_;
}

void Win32Backend::ControlCreated(Control& control) {
    HWND owner = OwnerWindow(control);
    if (owner == nullptr) return;
    Surface& surface = surfaces_[owner];
    const Bounds& b = control.GetBounds();
    HWND child = nullptr;
    if (auto* text = dynamic_cast<StaticText*>(&control)) {
        child = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", text->Text().c_str(),
                                WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, b.left, b.top, b.width, b.height,
                                owner, nullptr, instance_, nullptr);
    } else if (dynamic_cast<ComboBox*>(&control) != nullptr) {
        // No typed text, no tab stop; the list part may grow to 100 pixels.
        child = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, b.left,
                                b.top, b.width, 100, owner, nullptr, instance_, nullptr);
        SendMessageA(child, CB_SETITEMHEIGHT, 0, 13);
    } else if (auto* button = dynamic_cast<PushButton*>(&control)) {
        child = CreateWindowExA(0, "BUTTON", button->Caption().c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, b.left, b.top, b.width,
                                b.height, owner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance_,
                                nullptr);
    } else {
        surface.drawn.push_back(&control);
        InvalidateRect(owner, nullptr, FALSE);
        return;
    }
    if (child == nullptr) return;
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    control.native = reinterpret_cast<uintptr_t>(child);
    children_[child] = &control;
}

void Win32Backend::AddHint(Surface& surface, HWND window, Image& image) {
    // Only a picture with a hint gets a tool: the tooltip takes the first
    // tool under the pointer, and one for the background picture would hide
    // the buttons' own. The text is asked for when the hint shows.
    if (!surface.hinted.insert(&image).second) return;
    if (surface.tooltip == nullptr) {
        surface.tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                                          0, 0, window, nullptr, instance_, nullptr);
    }
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // the size common controls 4.70 to 5.8x take
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(&image);
    tool.rect = RectOf(image.GetBounds());
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(surface.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Backend::ControlChanged(Control& control) {
    HWND child = reinterpret_cast<HWND>(control.native);
    if (child == nullptr) {
        HWND owner = OwnerWindow(control);
        if (owner == nullptr) return;
        RECT area = RectOf(control.GetBounds());
        InvalidateRect(owner, &area, FALSE);
        auto* image = dynamic_cast<Image*>(&control);
        if (image != nullptr && !image->Hint().empty()) AddHint(surfaces_[owner], owner, *image);
        return;
    }
    if (auto* text = dynamic_cast<StaticText*>(&control)) {
        SetWindowTextA(child, text->Text().c_str());
    } else if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
        const LRESULT shown = SendMessageA(child, CB_GETCOUNT, 0, 0);
        for (size_t i = static_cast<size_t>(shown < 0 ? 0 : shown); i < combo->Items().size(); ++i)
            SendMessageA(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo->Items()[i].c_str()));
        SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(combo->ItemIndex()), 0);
    }
}

void Win32Backend::ControlMoved(Control& control, Bounds before) {
    HWND owner = OwnerWindow(control);
    if (owner == nullptr) return;
    RECT old = RectOf(before), now = RectOf(control.GetBounds());
    InvalidateRect(owner, &old, FALSE);
    InvalidateRect(owner, &now, FALSE);
    auto surface = surfaces_.find(owner);
    if (surface != surfaces_.end() && surface->second.tooltip != nullptr) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = owner;
        tool.uId = reinterpret_cast<UINT_PTR>(&control);
        tool.rect = now;
        SendMessageA(surface->second.tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32Backend::DrawPicture(uint32_t* pixels, int width, int height, const Image& image) {
    if (!image.HasPicture()) return;  // an empty picture shows what lies beneath
    const Bounds& b = image.GetBounds();
    const int w = std::min(b.width, image.PictureWidth()), h = std::min(b.height, image.PictureHeight());
    const std::vector<uint8_t>& rgb = image.Rgb();
    // Transparent pictures leave out the colour of their bottom-left pixel.
    const Colour key = image.PixelAt(0, image.PictureHeight() - 1);
    for (int y = 0; y < h; ++y) {
        const int ty = b.top + y;
        if (ty < 0 || ty >= height) continue;
        for (int x = 0; x < w; ++x) {
            const int tx = b.left + x;
            if (tx < 0 || tx >= width) continue;
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * image.PictureWidth() + x) * 3];
            const Colour colour = Rgb(p[0], p[1], p[2]);
            if (image.transparent && colour == key) continue;
            pixels[static_cast<size_t>(ty) * width + tx] = DibPixel(colour);
        }
    }
}

void Win32Backend::DrawProgress(uint32_t* pixels, int width, int height, const ProgressBar& bar) {
    const Bounds& b = bar.GetBounds();
    const int filled = (b.width - 2) * bar.Position() / 100;
    for (int y = 0; y < b.height; ++y) {
        const int ty = b.top + y;
        if (ty < 0 || ty >= height) continue;
        for (int x = 0; x < b.width; ++x) {
            const int tx = b.left + x;
            if (tx < 0 || tx >= width) continue;
            Colour colour = bar.Background();
            if (y == 0 || x == 0) colour = Rgb(64, 80, 112);                       // sunken edge
            else if (y == b.height - 1 || x == b.width - 1) colour = Rgb(224, 232, 248);
            else if (x - 1 < filled) colour = kProgressFill;
            pixels[static_cast<size_t>(ty) * width + tx] = DibPixel(colour);
        }
    }
}

void Win32Backend::Paint(HWND window, Surface& surface) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width > 0 && height > 0) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr && bits != nullptr) {
            uint32_t* pixels = static_cast<uint32_t*>(bits);
            const Colour back = surface.form != nullptr ? GetSysColor(COLOR_BTNFACE) : surface.background;
            std::fill(pixels, pixels + static_cast<size_t>(width) * height, DibPixel(back));
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
            HGDIOBJ oldFont = SelectObject(memory, font_);
            SetBkMode(memory, TRANSPARENT);
            for (Control* control : surface.drawn) {
                GdiFlush();
                if (auto* image = dynamic_cast<Image*>(control)) {
                    DrawPicture(pixels, width, height, *image);
                } else if (auto* bar = dynamic_cast<ProgressBar*>(control)) {
                    DrawProgress(pixels, width, height, *bar);
                } else if (auto* label = dynamic_cast<Label*>(control)) {
                    SetTextColor(memory, surface.form != nullptr ? GetSysColor(COLOR_BTNTEXT) : kCaptionColour);
                    RECT area = RectOf(label->GetBounds());
                    UINT align = label->Align() == TextAlign::Right    ? DT_RIGHT
                                 : label->Align() == TextAlign::Center ? DT_CENTER
                                                                       : DT_LEFT;
                    DrawTextA(memory, label->Caption().c_str(), -1, &area,
                              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
                }
            }
            GdiFlush();
            BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, oldFont);
            SelectObject(memory, oldBitmap);
            DeleteDC(memory);
        }
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
    EndPaint(window, &paint);
}

// Pictures take the mouse the way the user expects of buttons: the one a
// button went down on keeps getting the mouse until the button is up, and a
// left-button release still over it is a click.
bool Win32Backend::Mouse(HWND window, Surface& surface, UINT message, WPARAM, LPARAM lParam) {
    if (downloadCapture_ || inputHeld_) return true;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    Image* hit = nullptr;
    for (auto it = surface.drawn.rbegin(); it != surface.drawn.rend(); ++it) {
        auto* image = dynamic_cast<Image*>(*it);
        if (image != nullptr && Inside(image->GetBounds(), x, y) &&
            (image->onMouseDown || image->onMouseMove || image->onClick)) {
            hit = image;
            break;
        }
    }
    Image* target = surface.captured != nullptr ? static_cast<Image*>(surface.captured) : hit;
    const int lx = target != nullptr ? x - target->GetBounds().left : x;
    const int ly = target != nullptr ? y - target->GetBounds().top : y;
    switch (message) {
    case WM_MOUSEMOVE:
        if (target != nullptr && target->onMouseMove) target->onMouseMove(lx, ly);
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
        if (target->onMouseDown) target->onMouseDown(ButtonOf(message), lx, ly);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (target == nullptr) return true;
        surface.captured = nullptr;
        ReleaseCapture();
        const bool over = Inside(target->GetBounds(), x, y);
        if (target->onMouseUp) target->onMouseUp(ButtonOf(message), lx, ly);
        if (over && message == WM_LBUTTONUP && target->onClick) target->onClick();
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

void Win32Backend::SetMainWindowTitle(const std::string& title) { SetWindowTextA(mainWindow_, title.c_str()); }

void Win32Backend::CloseMainWindow() { PostMessageA(mainWindow_, WM_CLOSE, 0, 0); }

void Win32Backend::HoldUserInput(bool held) {
    inputHeld_ = held;
    // The drive list is a window of its own: disabled, it takes neither keys
    // nor clicks. Keys then go to the main window, whose form handlers and
    // closing the hold keeps out.
    if (held) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(mainWindow_, focus)) SetFocus(mainWindow_);
    }
    for (const auto& child : children_) {
        if (GetParent(child.first) == mainWindow_) EnableWindow(child.first, held ? FALSE : TRUE);
    }
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
    if (window != nullptr) surfaces_[window].form = &form;
}

void Win32Backend::FormDestroyed(Form& form) {
    HWND window = reinterpret_cast<HWND>(form.native);
    surfaces_.erase(window);
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
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

HBRUSH Win32Backend::BrushFor(Colour colour) {
    auto found = brushes_.find(colour);
    if (found != brushes_.end()) return found->second;
    HBRUSH brush = CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

// A combo box's drop-down list is a window of the system's own, not one of
// ours: when it asks for its colours, its combo box is the one dropped down.
ComboBox* Win32Backend::DroppedComboBox(HWND window) const {
    for (const auto& entry : children_) {
        auto* combo = dynamic_cast<ComboBox*>(entry.second);
        if (combo == nullptr || OwnerWindow(*combo) != window) continue;
        if (SendMessageA(entry.first, CB_GETDROPPEDSTATE, 0, 0)) return combo;
    }
    return nullptr;
}

LRESULT Win32Backend::ColourStatic(HWND window, HDC dc, HWND child) {
    auto found = children_.find(child);
    Control* control = found != children_.end() ? found->second : DroppedComboBox(window);
    if (auto* text = dynamic_cast<StaticText*>(control)) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, text->GetColour());
        return reinterpret_cast<LRESULT>(BrushFor(text->GetColour()));
    }
    if (auto* combo = dynamic_cast<ComboBox*>(control)) {
        SetBkColor(dc, combo->GetColour());
        return reinterpret_cast<LRESULT>(BrushFor(combo->GetColour()));
    }
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CALLBACK Win32Backend::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing may unwind into the system's dispatch: a handler's exception
    // is shown here, and the program then ends as the entry would have.
    // Once a handler's exception is being shown the program is ending: no
    // handler runs again (a timer must not restart Windows behind the box).
    if (theBackend == nullptr || theBackend->ending_) return DefWindowProcA(window, message, wParam, lParam);
    try {
        return theBackend->Handle(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        theBackend->EndOnEscapedException(error.what());
    } catch (...) {
        theBackend->EndOnEscapedException("Unknown exception.");
    }
    return 0;
}

void Win32Backend::EndOnEscapedException(const char* what) {
    ending_ = true;
    ShowEscapedException(what);
    PostQuitMessage(0);
}

LRESULT Win32Backend::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto surface = surfaces_.find(window);
    switch (message) {
    case WM_PAINT:
        if (surface != surfaces_.end()) {
            Paint(window, surface->second);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (surface != surfaces_.end()) return 1;  // Paint covers every pixel
        break;
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
        if (surface != surfaces_.end() && Mouse(window, surface->second, message, wParam, lParam)) return 0;
        break;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        if (window == mainWindow_) movingWindow_ = message == WM_ENTERSIZEMOVE;
        break;
    case WM_CAPTURECHANGED:
        // The mouse was taken away (a drag of the window takes it, and its
        // release never reaches us): no picture holds the mouse any more.
        if (surface != surfaces_.end() && reinterpret_cast<HWND>(lParam) != window)
            surface->second.captured = nullptr;
        break;
    case WM_TIMER: {
        auto found = timers_.find(wParam);
        if (found != timers_.end() && found->second->Enabled() && found->second->onTimer)
            found->second->onTimer();
        return 0;
    }
    case WM_COMMAND: {
        HWND child = reinterpret_cast<HWND>(lParam);
        auto found = children_.find(child);
        if (found != children_.end()) {
            if (auto* combo = dynamic_cast<ComboBox*>(found->second)) {
                if (HIWORD(wParam) == CBN_SELCHANGE)
                    combo->Choose(static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
            } else if (auto* button = dynamic_cast<PushButton*>(found->second)) {
                if (HIWORD(wParam) == BN_CLICKED) button->Click();
            }
        } else if (LOWORD(wParam) == IDCANCEL && surface != surfaces_.end() && surface->second.form != nullptr) {
            surface->second.form->Hide();  // Esc closes a dialog form like its close box
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOA && surface != surfaces_.end()) {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            for (Control* control : surface->second.drawn) {
                if (reinterpret_cast<UINT_PTR>(control) != header->idFrom) continue;
                if (auto* image = dynamic_cast<Image*>(control))
                    info->lpszText = const_cast<char*>(image->Hint().c_str());
            }
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        // Closing while the drive is being written (Alt+F4) would leave it
        // half flashed: the download holds the mouse until its end.
        if (window == mainWindow_ && (downloadCapture_ || inputHeld_)) return 0;
        if (surface != surfaces_.end() && surface->second.form != nullptr) {
            surface->second.form->Hide();  // a dialog form is only hidden, never destroyed
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
        return ColourStatic(window, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
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
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace quillan::toolkit
