// The Win32 backend's painting: what a window draws itself (captions,
// pictures, the progress bar) goes into one off-screen bitmap, in the order
// the controls were created, and then onto the screen at once.
#include "app/toolkit/win32_backend.h"

#include <algorithm>
#include <vector>

namespace quillan::toolkit {
namespace {

const Colour kCaptionColour = Rgb(224, 232, 255);
const Colour kProgressFill = Rgb(24, 72, 160);

// 0x00RRGGBB, the layout of a 32-bit top-down DIB.
uint32_t DibPixel(Colour colour) {
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

void DrawPicture(uint32_t* pixels, int width, int height, const Image& image) {
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

void DrawProgress(uint32_t* pixels, int width, int height, const ProgressBar& bar) {
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

}  // namespace

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
    for (Control* control : surface.drawn) {
        GdiFlush();
        if (auto* image = dynamic_cast<Image*>(control)) {
            DrawPicture(pixels, width, height, *image);
        } else if (auto* bar = dynamic_cast<ProgressBar*>(control)) {
            DrawProgress(pixels, width, height, *bar);
        } else if (auto* label = dynamic_cast<Label*>(control)) {
            SetTextColor(memory.Get(), surface.form != nullptr ? GetSysColor(COLOR_BTNTEXT) : kCaptionColour);
            RECT area = RectOf(label->GetBounds());
            UINT align = label->Align() == TextAlign::Right    ? DT_RIGHT
                         : label->Align() == TextAlign::Center ? DT_CENTER
                                                               : DT_LEFT;
            DrawTextA(memory.Get(), label->Caption().c_str(), -1, &area,
                      align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        }
    }
    GdiFlush();
    BitBlt(paint.Get(), 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace quillan::toolkit
