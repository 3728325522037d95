// The controls with no window of their own: a caption (Label), a picture
// (Image) and the progress bar. The window they sit on draws them, in the
// order they were created, into its off-screen bitmap; a picture also takes
// the mouse and may have a hint.
#pragma once

#include "app/toolkit/win32_peer.h"

namespace quillan::toolkit {

class DrawnPeer : public Win32Peer {
public:
    DrawnPeer(Win32Backend& backend, Control& control, HWND owner) : Win32Peer(backend, control, owner) {}
    ~DrawnPeer() override;
    // Draws the control's place again.
    void Update() override;
};

class LabelPeer : public DrawnPeer {
public:
    using DrawnPeer::DrawnPeer;
    void Paint(const Canvas& canvas) override;
};

class ImagePeer : public DrawnPeer {
public:
    using DrawnPeer::DrawnPeer;
    // Also gives the picture a tooltip tool once it has a hint.
    void Update() override;
    void Paint(const Canvas& canvas) override;
    const char* Hint() const override;
    bool TakesMouse() const override;
    void MouseDown(MouseButton button, int x, int y) override;
    void MouseUp(MouseButton button, int x, int y) override;
    void MouseMove(int x, int y) override;
    void Click() override;
};

class ProgressBarPeer : public DrawnPeer {
public:
    using DrawnPeer::DrawnPeer;
    void Paint(const Canvas& canvas) override;
};

}  // namespace quillan::toolkit
