// The toolkit on plain Win32. The main window (class "TMainForm") and each
// dialog form are top-level windows; text fields, the drop-down list and push
// buttons are child windows; captions, pictures and the progress bar have no
// window of their own and are drawn by the window they sit on, in the order
// they were created, through one off-screen bitmap. Each control has a peer
// of its kind (win32_peer.h) that does what the backend asks of it.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/toolkit/backend.h"
#include "app/toolkit/win32_peer.h"
#include "platform/scoped_win32.h"

namespace quillan::toolkit {

class ChildWindowPeer;
class ComboBoxPeer;
class DrawnPeer;

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
    void ControlDestroyed(Control& control) override;
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

    // For the peers (win32_child_peers.cpp, win32_drawn_peers.cpp).
    HINSTANCE Instance() const { return instance_; }
    bool InputHeld() const { return inputHeld_; }
    HBRUSH BrushFor(Colour colour);
    // A child window's last messages find no control any more.
    void ForgetChild(HWND child);
    // A drawn control goes: its window draws it no more, and no hint or
    // mouse capture is left for it.
    void ForgetDrawn(DrawnPeer& peer);
    // Gives a picture with a hint its tooltip tool, once.
    void AddHint(Win32Peer& peer);
    // A drop-down list's list part opened or closed.
    void ListOpened(ComboBoxPeer& list);
    void ListClosed(ComboBoxPeer& list);

private:
    // A top-level window's own data, which the window points at
    // (GWLP_USERDATA): the backend its messages go to, what it draws itself,
    // and the form it stands for.
    struct Surface {
        Win32Backend* backend = nullptr;
        Form* form = nullptr;
        COLORREF background = 0;
        std::vector<DrawnPeer*> drawn;
        Win32Peer* captured = nullptr;  // the picture a mouse button went down on
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

    // The controls' peers: made, found and destroyed (win32_controls.cpp).
    HWND OwnerWindow(const Control& control) const;
    std::unique_ptr<Win32Peer> Adopt(std::unique_ptr<ChildWindowPeer> peer);
    std::unique_ptr<Win32Peer> Adopt(std::unique_ptr<DrawnPeer> peer);
    Win32Peer* PeerOf(const Control& control) const;
    // The window `owner` is being destroyed, and its child windows with it.
    void ForgetChildrenOf(HWND owner);
    // The tooltip asks for the hint of the picture it is about to show it for.
    void GiveHintText(NMHDR* request);
    // A child control's notification; false when the child is none of ours.
    bool ChildCommand(HWND child, WORD notification);
    LRESULT ColourStatic(HDC dc, HWND child);

    HINSTANCE instance_;
    HWND mainWindow_ = nullptr;
    ScopedGdiObject<HFONT> font_;
    int width_ = 400;
    int height_ = 200;
    bool movingWindow_ = false;  // the system moves the main window with the mouse
    std::map<HWND, Surface> surfaces_;  // the data of each live window of ours
    std::map<HWND, ChildWindowPeer*> children_;  // the peers with a live child window, by its HWND
    ComboBoxPeer* openList_ = nullptr;           // the drop-down list whose list part is open
    std::map<UINT_PTR, Timer*> timers_;
    std::map<Colour, ScopedGdiObject<HBRUSH>> brushes_;
    UINT_PTR nextTimerId_ = 1;
    bool busyCursor_ = false;
    bool downloadCapture_ = false;  // a download holds the mouse: no button reacts
    bool ending_ = false;           // a handler's exception is being shown
    bool inputHeld_ = false;        // a download holds the window: no input, no closing
    // One per live control; declared last, so that a peer left over goes
    // while what it leaves is still there.
    std::map<const Control*, std::unique_ptr<Win32Peer>> peers_;
};

}  // namespace quillan::toolkit
