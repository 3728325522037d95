// The Win32 backend's controls: text fields, the drop-down list and push
// buttons become child windows; captions, pictures and the progress bar are
// drawn by the window they sit on, and a picture's hint is a tooltip tool.
#include "app/toolkit/win32_backend.h"

#include <commctrl.h>

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

}  // namespace

WNDPROC Win32Backend::systemComboProc_ = nullptr;

LRESULT CALLBACK Win32Backend::ComboProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* backend = reinterpret_cast<const Win32Backend*>(GetWindowLongPtrA(child, GWLP_USERDATA));
    if (backend != nullptr && backend->inputHeld_ && IsUserInput(message)) return 0;
    return CallWindowProcA(systemComboProc_, child, message, wParam, lParam);
}

RECT Win32Backend::RectOf(const Bounds& b) { return RECT{b.left, b.top, b.left + b.width, b.top + b.height}; }

HWND Win32Backend::OwnerWindow(const Control& control) const {
    return control.Owner() != nullptr ? reinterpret_cast<HWND>(control.Owner()->native) : mainWindow_;
}

void Win32Backend::ControlCreated(Control& control) {
    HWND owner = OwnerWindow(control);
    if (owner == nullptr) return;
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
        if (child != nullptr) {
            SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            const auto system = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Backend::ComboProc)));
            // Every list is of the one system class, with the one procedure.
            if (systemComboProc_ == nullptr) systemComboProc_ = system;
        }
    } else if (auto* button = dynamic_cast<PushButton*>(&control)) {
        child = CreateWindowExA(0, "BUTTON", button->Caption().c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, b.left, b.top, b.width,
                                b.height, owner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance_,
                                nullptr);
    } else {
        if (Surface* surface = SurfaceOf(owner)) surface->drawn.push_back(&control);
        InvalidateRect(owner, nullptr, FALSE);
        return;
    }
    if (child == nullptr) return;
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
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

void Win32Backend::GiveHintText(Surface& surface, NMHDR* request) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(request);
    for (Control* control : surface.drawn) {
        if (reinterpret_cast<UINT_PTR>(control) != request->idFrom) continue;
        if (auto* image = dynamic_cast<Image*>(control)) info->lpszText = const_cast<char*>(image->Hint().c_str());
    }
}

void Win32Backend::ControlChanged(Control& control) {
    HWND child = reinterpret_cast<HWND>(control.native);
    if (child == nullptr) {
        HWND owner = OwnerWindow(control);
        if (owner == nullptr) return;
        RECT area = RectOf(control.GetBounds());
        InvalidateRect(owner, &area, FALSE);
        auto* image = dynamic_cast<Image*>(&control);
        Surface* surface = SurfaceOf(owner);
        if (image != nullptr && !image->Hint().empty() && surface != nullptr) AddHint(*surface, owner, *image);
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
    const Surface* surface = SurfaceOf(owner);
    if (surface != nullptr && surface->tooltip != nullptr) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = owner;
        tool.uId = reinterpret_cast<UINT_PTR>(&control);
        tool.rect = now;
        SendMessageA(surface->tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool Win32Backend::ChildCommand(HWND child, WORD notification) {
    auto found = children_.find(child);
    if (found == children_.end()) return false;
    if (auto* combo = dynamic_cast<ComboBox*>(found->second)) {
        if (notification == CBN_SELCHANGE)
            combo->Choose(static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
    } else if (auto* button = dynamic_cast<PushButton*>(found->second)) {
        if (notification == BN_CLICKED) button->Click();
    }
    return true;
}

HBRUSH Win32Backend::BrushFor(Colour colour) {
    auto found = brushes_.find(colour);
    if (found == brushes_.end()) found = brushes_.try_emplace(colour, CreateSolidBrush(colour)).first;
    return found->second.Get();
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

}  // namespace quillan::toolkit
