// TMainForm: the skin. Pictures, the picture buttons, hover reset and dragging.
#include "app/Quillanmain.h"

#include <vector>

#include "app/Quillanabout.h"
#include "app/jpeg_decoder.h"
#include "app/picture_file.h"

namespace quillan {

void TMainForm::LoadPictures() {
    // A damaged background leaves the plain window colour, nothing worse.
    const std::vector<uint8_t> jpeg = backend_.ResourceBytes("BACKGROUND");
    DecodedPicture background;
    if (DecodeJpeg(jpeg.data(), jpeg.size(), background) && background.width == 400 && background.height == 200)
        Image1.SetPicture(background.width, background.height, std::move(background.rgb));
    toolkit::Image* sprites[] = {&Image6, &Image7, &Image8, &Image9, &Image10, &Image11, &Image12, &Image13};
    const char* names[] = {"IMAGE6", "IMAGE7", "IMAGE8", "IMAGE9", "IMAGE10", "IMAGE11", "IMAGE12", "IMAGE13"};
    for (size_t i = 0; i < 8; ++i) {
        const std::vector<uint8_t> ppm = backend_.ResourceBytes(names[i]);
        DecodedPicture sprite;
        if (DecodePpm(ppm.data(), ppm.size(), sprite, 64))
            sprites[i]->SetPicture(sprite.width, sprite.height, std::move(sprite.rgb));
    }
}

void TMainForm::WireSkin() {
    using toolkit::MouseButton;
    toolkit::Image* buttons[] = {&Image2, &Image3, &Image4, &Image5};
    const char* hints[] = {"Download File Open", "Start Download", "About Quillan", "Exit"};
    using Handler = void (TMainForm::*)();
    const Handler moves[] = {&TMainForm::Image2MouseMove, &TMainForm::Image3MouseMove,
                             &TMainForm::Image4MouseMove, &TMainForm::Image5MouseMove};
    const Handler downs[] = {&TMainForm::Image2MouseDown, &TMainForm::Image3MouseDown,
                             &TMainForm::Image4MouseDown, &TMainForm::Image5MouseDown};
    const Handler ups[] = {&TMainForm::Image2MouseUp, &TMainForm::Image3MouseUp, &TMainForm::Image4MouseUp,
                           &TMainForm::Image5MouseUp};
    for (int i = 0; i < kSkinButtonCount; ++i) {
        buttons[i]->transparent = true;
        buttons[i]->SetHint(hints[i]);
        buttons[i]->onMouseMove = [this, h = moves[i]](int, int) { OnInput(h); };
        buttons[i]->onMouseDown = [this, h = downs[i]](MouseButton, int, int) { OnInput(h); };
        buttons[i]->onMouseUp = [this, h = ups[i]](MouseButton, int, int) { OnInput(h); };
    }
    Image2.onClick = [this] { OnInput(&TMainForm::ToolButton1Click); };
    Image3.onClick = [this] { OnInput(&TMainForm::ToolButton2Click); };
    Image4.onClick = [this] { OnInput(&TMainForm::ToolButton3Click); };
    Image5.onClick = [this] { OnInput(&TMainForm::Image5Click); };
    Image1.onMouseMove = [this](int, int) { OnInput(&TMainForm::Image1MouseMove); };
    Image1.onMouseDown = [this](MouseButton b, int, int) {
        if (!userInputHeld_) FormMouseDown(b);
    };
    backend_.onFormMouseDown = [this](MouseButton b) {
        if (!userInputHeld_) FormMouseDown(b);
    };
    backend_.onKeyDown = [this](uint16_t key) {
        if (!userInputHeld_) FormKeyDown(key);
    };
}

toolkit::Image& TMainForm::ButtonImage(int button) {
    toolkit::Image* images[] = {&Image2, &Image3, &Image4, &Image5};
    return *images[button];
}

void TMainForm::ShowFace(int button, bool highlight) {
    toolkit::Image* highlights[] = {&Image6, &Image7, &Image8, &Image12};
    toolkit::Image* normals[] = {&Image9, &Image10, &Image11, &Image13};
    ButtonImage(button).CopyPictureFrom(highlight ? *highlights[button] : *normals[button]);
}

void TMainForm::MoveButton(int button, int left, int top) { ButtonImage(button).SetPosition(left, top); }

void TMainForm::Image1MouseMove() { buttons_.MouseMoveOverBackground(); }

void TMainForm::Image2MouseMove() { buttons_.MouseMoveOverButton(0); }

void TMainForm::Image3MouseMove() { buttons_.MouseMoveOverButton(1); }

void TMainForm::Image4MouseMove() { buttons_.MouseMoveOverButton(2); }

void TMainForm::Image5MouseMove() { buttons_.MouseMoveOverButton(3); }

void TMainForm::Image2MouseDown() { buttons_.MouseDown(0); }

void TMainForm::Image3MouseDown() { buttons_.MouseDown(1); }

void TMainForm::Image4MouseDown() { buttons_.MouseDown(2); }

void TMainForm::Image5MouseDown() { buttons_.MouseDown(3); }

void TMainForm::Image2MouseUp() { buttons_.MouseUp(0); }

void TMainForm::Image3MouseUp() { buttons_.MouseUp(1); }

void TMainForm::Image4MouseUp() { buttons_.MouseUp(2); }

void TMainForm::Image5MouseUp() { buttons_.MouseUp(3); }

void TMainForm::Timer2Timer() {
    int dx = 0, dy = 0;
    backend_.CursorOffset(dx, dy);
    buttons_.HoverResetTick(dx, dy);
}

void TMainForm::FormMouseDown(toolkit::MouseButton) {
    // No title bar: the whole panel drags, with any mouse button.
    backend_.BeginWindowDrag();
}

void TMainForm::ToolButton3Click() {
    const DialogShowing showing(dialogsOpen_);
    if (AboutForm != nullptr) AboutForm->Form().ShowModal();
}

void TMainForm::Image5Click() { backend_.CloseMainWindow(); }

}  // namespace quillan
