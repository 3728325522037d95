#include "app/toolkit/win32_drawn_peers.h"

#include <algorithm>
#include <vector>

#include "app/toolkit/win32_backend.h"

namespace quillan::toolkit {
namespace {

const Colour kCaptionColour = Rgb(224, 232, 255);
const Colour kProgressFill = Rgb(24, 72, 160);

}  // namespace

DrawnPeer::~DrawnPeer() { backend_.ForgetDrawn(*this); }

void DrawnPeer::Update() {
    RECT area = RectOf(GetControl().GetBounds());
    InvalidateRect(OwnerWindow(), &area, FALSE);
}

void LabelPeer::Paint(const Canvas& canvas) {
    const Label& label = As<Label>();
    SetTextColor(canvas.dc, canvas.onForm ? GetSysColor(COLOR_BTNTEXT) : kCaptionColour);
    RECT area = RectOf(label.GetBounds());
    const UINT align = label.Align() == TextAlign::Right    ? DT_RIGHT
                       : label.Align() == TextAlign::Center ? DT_CENTER
                                                            : DT_LEFT;
    DrawTextA(canvas.dc, label.Text().c_str(), -1, &area, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

void ImagePeer::Update() {
    DrawnPeer::Update();
    // Only a picture with a hint gets a tool: the tooltip takes the first
    // tool under the pointer, and one for the background picture would hide
    // the buttons' own.
    if (!As<Image>().Hint().empty()) backend_.AddHint(*this);
}

void ImagePeer::Paint(const Canvas& canvas) {
    const Image& image = As<Image>();
    if (!image.HasPicture()) return;  // an empty picture shows what lies beneath
    const Bounds& b = image.GetBounds();
    const int w = std::min(b.width, image.PictureWidth()), h = std::min(b.height, image.PictureHeight());
    const std::vector<uint8_t>& rgb = image.Rgb();
    // Transparent pictures leave out the colour of their bottom-left pixel.
    const Colour key = image.PixelAt(0, image.PictureHeight() - 1);
    for (int y = 0; y < h; ++y) {
        const int ty = b.top + y;
        if (ty < 0 || ty >= canvas.height) continue;
        for (int x = 0; x < w; ++x) {
            const int tx = b.left + x;
            if (tx < 0 || tx >= canvas.width) continue;
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * image.PictureWidth() + x) * 3];
            const Colour colour = Rgb(p[0], p[1], p[2]);
            if (image.transparent && colour == key) continue;
            canvas.pixels[static_cast<size_t>(ty) * canvas.width + tx] = DibPixel(colour);
        }
    }
}

const char* ImagePeer::Hint() const { return As<Image>().Hint().c_str(); }

bool ImagePeer::TakesMouse() const {
    const Image& image = As<Image>();
    return image.onMouseDown || image.onMouseMove || image.onClick;
}

void ImagePeer::MouseDown(MouseButton button, int x, int y) {
    if (As<Image>().onMouseDown) As<Image>().onMouseDown(button, x, y);
}

void ImagePeer::MouseUp(MouseButton button, int x, int y) {
    if (As<Image>().onMouseUp) As<Image>().onMouseUp(button, x, y);
}

void ImagePeer::MouseMove(int x, int y) {
    if (As<Image>().onMouseMove) As<Image>().onMouseMove(x, y);
}

void ImagePeer::Click() {
    if (As<Image>().onClick) As<Image>().onClick();
}

void ProgressBarPeer::Paint(const Canvas& canvas) {
    const ProgressBar& bar = As<ProgressBar>();
    const Bounds& b = bar.GetBounds();
    const int filled = (b.width - 2) * bar.Position() / 100;
    for (int y = 0; y < b.height; ++y) {
        const int ty = b.top + y;
        if (ty < 0 || ty >= canvas.height) continue;
        for (int x = 0; x < b.width; ++x) {
            const int tx = b.left + x;
            if (tx < 0 || tx >= canvas.width) continue;
            Colour colour = bar.Background();
            if (y == 0 || x == 0) colour = Rgb(64, 80, 112);                       // sunken edge
            else if (y == b.height - 1 || x == b.width - 1) colour = Rgb(224, 232, 248);
            else if (x - 1 < filled) colour = kProgressFill;
            canvas.pixels[static_cast<size_t>(ty) * canvas.width + tx] = DibPixel(colour);
        }
    }
}

}  // namespace quillan::toolkit
