// The Win32 backend's painting: what a window draws itself (captions,
// pictures, the progress bar) goes into one off-screen bitmap, in the order
// the controls were created, and then onto the screen at once.
#include "app/toolkit/win32_backend.h"

#include <algorithm>

#include "app/toolkit/win32_drawn_peers.h"

namespace quillan::toolkit {

void Win32Backend::PaintNow() {
    RedrawWindow(mainWindow_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32Backend::Paint(HWND window, Surface& surface) {
    const PaintDc paint(window);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const ScopedGdiObject<HBITMAP> bitmap(CreateDIBSection(paint.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.Valid() || bits == nullptr) return;
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    const Colour back = surface.form != nullptr ? GetSysColor(COLOR_BTNFACE) : surface.background;
    std::fill(pixels, pixels + static_cast<size_t>(width) * height, DibPixel(back));
    const ScopedMemoryDc memory(CreateCompatibleDC(paint.Get()));
    const SelectedGdiObject selectedBitmap(memory.Get(), bitmap.Get());
    const SelectedGdiObject selectedFont(memory.Get(), font_.Get());
    SetBkMode(memory.Get(), TRANSPARENT);
    const Canvas canvas{pixels, width, height, memory.Get(), surface.form != nullptr};
    for (DrawnPeer* peer : surface.drawn) {
        GdiFlush();
        peer->Paint(canvas);
    }
    GdiFlush();
    BitBlt(paint.Get(), 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace quillan::toolkit
