#include "app/skin_buttons.h"

namespace quillan {

int SkinButtons::RestLeft(int button) {
    static const int kLeft[kSkinButtonCount] = {8, 36, 64, 362};
    return kLeft[button];
}

void SkinButtons::ClearHover() {
    for (SkinButtonFlags& f : flags_) f.hoverRequested = false;
}

// One button per run, the first in order that wants its highlight.
void SkinButtons::HighlightStep() {
    for (int i = 0; i < kSkinButtonCount; ++i) {
        SkinButtonFlags& f = flags_[static_cast<std::size_t>(i)];
        if (f.hoverRequested && !f.highlightDrawn) {
            painter_.ShowFace(i, true);
            f.highlightDrawn = true;
            return;
        }
    }
}

// One button per run; a pressed button keeps its face until released.
void SkinButtons::RestoreStep() {
    for (int i = 0; i < kSkinButtonCount; ++i) {
        SkinButtonFlags& f = flags_[static_cast<std::size_t>(i)];
        if (!f.hoverRequested && f.highlightDrawn && !f.pressed) {
            painter_.ShowFace(i, false);
            f.highlightDrawn = false;
            return;
        }
    }
}

void SkinButtons::MouseMoveOverButton(int button) {
    ClearHover();
    flags_[static_cast<std::size_t>(button)].hoverRequested = true;
    RestoreStep();
    HighlightStep();
}

void SkinButtons::MouseMoveOverBackground() {
    ClearHover();
    RestoreStep();
}

void SkinButtons::MouseDown(int button) {
    painter_.MoveButton(button, RestLeft(button) + 1, kRestTop + 1);
    flags_[static_cast<std::size_t>(button)].pressed = true;
}

void SkinButtons::MouseUp(int button) {
    painter_.MoveButton(button, RestLeft(button), kRestTop);
    flags_[static_cast<std::size_t>(button)].pressed = false;
}

void SkinButtons::HoverResetTick(int dx, int dy) {
    // The strip of the four buttons: the mouse may still be over one of them.
    if (dx >= 8 && dx <= 390 && dy >= 8 && dy <= 32) return;
    ClearHover();
    RestoreStep();
}

}  // namespace quillan
