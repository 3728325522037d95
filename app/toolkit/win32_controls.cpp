// The Win32 backend's controls: each gets the peer of its kind, made here and
// nowhere else; a picture's hint is a tooltip tool.
#include "app/toolkit/win32_backend.h"

#include <commctrl.h>

#include <algorithm>

#include "app/toolkit/win32_child_peers.h"
#include "app/toolkit/win32_drawn_peers.h"

namespace quillan::toolkit {
namespace {

// A picture's tooltip tool: the window it sits on, its place, and its
// control's address for an id.
TOOLINFOA ToolOf(HWND window, const Control& control) {
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // the size common controls 4.70 to 5.8x take
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(&control);
    tool.rect = RectOf(control.GetBounds());
    return tool;
}

}  // namespace

HWND Win32Backend::OwnerWindow(const Control& control) const {
    return control.Owner() != nullptr ? reinterpret_cast<HWND>(control.Owner()->native) : mainWindow_;
}

// Only the control's base is built yet: the peers read nothing else until
// this returns, and nothing finds a peer before it is whole.
void Win32Backend::ControlCreated(Control& control) {
    HWND owner = OwnerWindow(control);
    if (owner == nullptr) return;
    std::unique_ptr<Win32Peer> peer;
    switch (control.Kind()) {
    case ControlKind::StaticText: peer = Adopt(std::make_unique<StaticTextPeer>(*this, control, owner)); break;
    case ControlKind::ComboBox: peer = Adopt(std::make_unique<ComboBoxPeer>(*this, control, owner)); break;
    case ControlKind::PushButton: peer = Adopt(std::make_unique<PushButtonPeer>(*this, control, owner)); break;
    case ControlKind::Label: peer = Adopt(std::make_unique<LabelPeer>(*this, control, owner)); break;
    case ControlKind::Image: peer = Adopt(std::make_unique<ImagePeer>(*this, control, owner)); break;
    case ControlKind::ProgressBar: peer = Adopt(std::make_unique<ProgressBarPeer>(*this, control, owner)); break;
    }
    peers_[&control] = std::move(peer);
}

std::unique_ptr<Win32Peer> Win32Backend::Adopt(std::unique_ptr<ChildWindowPeer> peer) {
    if (HWND child = peer->Window()) {
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        children_[child] = peer.get();
    }
    return peer;
}

std::unique_ptr<Win32Peer> Win32Backend::Adopt(std::unique_ptr<DrawnPeer> peer) {
    if (Surface* surface = SurfaceOf(peer->OwnerWindow())) surface->drawn.push_back(peer.get());
    InvalidateRect(peer->OwnerWindow(), nullptr, FALSE);
    return peer;
}

Win32Peer* Win32Backend::PeerOf(const Control& control) const {
    auto found = peers_.find(&control);
    return found != peers_.end() ? found->second.get() : nullptr;
}

void Win32Backend::ControlDestroyed(Control& control) {
    auto found = peers_.find(&control);
    if (found == peers_.end()) return;
    // Out of the map first: whatever its going makes the system send finds
    // no peer of the control.
    const std::unique_ptr<Win32Peer> peer = std::move(found->second);
    peers_.erase(found);
}

void Win32Backend::ForgetChild(HWND child) { children_.erase(child); }

void Win32Backend::ForgetChildrenOf(HWND owner) {
    for (auto it = children_.begin(); it != children_.end();) {
        if (it->second->OwnerWindow() != owner) {
            ++it;
            continue;
        }
        it->second->WindowGone();
        it = children_.erase(it);
    }
}

void Win32Backend::ForgetDrawn(DrawnPeer& peer) {
    // The window may be gone already, its data with it.
    auto found = surfaces_.find(peer.OwnerWindow());
    if (found == surfaces_.end()) return;
    Surface& surface = found->second;
    surface.drawn.erase(std::remove(surface.drawn.begin(), surface.drawn.end(), &peer), surface.drawn.end());
    if (surface.captured == &peer) surface.captured = nullptr;
    if (surface.hinted.erase(&peer.GetControl()) != 0) {
        TOOLINFOA tool = ToolOf(peer.OwnerWindow(), peer.GetControl());
        SendMessageA(surface.tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    RECT area = RectOf(peer.GetControl().GetBounds());
    InvalidateRect(peer.OwnerWindow(), &area, FALSE);
}

void Win32Backend::AddHint(Win32Peer& peer) {
    HWND window = peer.OwnerWindow();
    Surface* surface = SurfaceOf(window);
    // The text is asked for when the hint shows.
    if (surface == nullptr || !surface->hinted.insert(&peer.GetControl()).second) return;
    if (surface->tooltip == nullptr) {
        surface->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                                           0, 0, window, nullptr, instance_, nullptr);
    }
    TOOLINFOA tool = ToolOf(window, peer.GetControl());
    tool.uFlags = TTF_SUBCLASS;
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(surface->tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Backend::GiveHintText(NMHDR* request) {
    // A tool's id is its control's address.
    auto found = peers_.find(reinterpret_cast<const Control*>(request->idFrom));
    if (found == peers_.end()) return;
    if (const char* hint = found->second->Hint())
        reinterpret_cast<NMTTDISPINFOA*>(request)->lpszText = const_cast<char*>(hint);
}

void Win32Backend::ControlChanged(Control& control) {
    if (Win32Peer* peer = PeerOf(control)) peer->Update();
}

void Win32Backend::ControlMoved(Control& control, Bounds before) {
    HWND owner = OwnerWindow(control);
    if (owner == nullptr) return;
    RECT old = RectOf(before), now = RectOf(control.GetBounds());
    InvalidateRect(owner, &old, FALSE);
    InvalidateRect(owner, &now, FALSE);
    const Surface* surface = SurfaceOf(owner);
    if (surface != nullptr && surface->tooltip != nullptr) {
        TOOLINFOA tool = ToolOf(owner, control);
        SendMessageA(surface->tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool Win32Backend::ChildCommand(HWND child, WORD notification) {
    auto found = children_.find(child);
    if (found == children_.end()) return false;
    found->second->Command(notification);
    return true;
}

HBRUSH Win32Backend::BrushFor(Colour colour) {
    auto found = brushes_.find(colour);
    if (found == brushes_.end()) found = brushes_.try_emplace(colour, CreateSolidBrush(colour)).first;
    return found->second.Get();
}

void Win32Backend::ListOpened(ComboBoxPeer& list) { openList_ = &list; }

void Win32Backend::ListClosed(ComboBoxPeer& list) {
    if (openList_ == &list) openList_ = nullptr;
}

// A drop-down list's list part is a window of the system's own, not one of
// ours: when a window we do not know asks for its colours, it is the open one.
LRESULT Win32Backend::ColourStatic(HDC dc, HWND child) {
    auto found = children_.find(child);
    Win32Peer* peer = found != children_.end() ? found->second : openList_;
    if (HBRUSH brush = peer != nullptr ? peer->Colours(dc) : nullptr) return reinterpret_cast<LRESULT>(brush);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace quillan::toolkit
