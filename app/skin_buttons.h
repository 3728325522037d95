// The four picture buttons along the top of the main window: which one is
// lit, which one is pressed, and when a face is drawn or restored. Kept apart
// from drawing so that every sequence of mouse events can be checked.
#pragma once

#include <array>
#include <cstddef>

namespace quillan {

constexpr int kSkinButtonCount = 4;  // Image2 (open), Image3 (start), Image4 (about), Image5 (exit)

struct SkinButtonFlags {
    bool hoverRequested = false;  // the mouse was last seen over this button
    bool highlightDrawn = false;  // the button shows its highlight face
    bool pressed = false;         // a mouse button went down on it and is still down
};

class SkinButtons {
public:
    // What the window does for a button: draw a face, move it.
    class Painter {
    public:
        virtual ~Painter() = default;
        virtual void ShowFace(int button, bool highlight) = 0;
        virtual void MoveButton(int button, int left, int top) = 0;
    };

    explicit SkinButtons(Painter& painter) : painter_(painter) {}

    void MouseMoveOverButton(int button);
    void MouseMoveOverBackground();
    void MouseDown(int button);
    void MouseUp(int button);
    // Timer2: the cursor relative to the window's top-left corner.
    void HoverResetTick(int dx, int dy);

    const SkinButtonFlags& Flags(int button) const { return flags_[static_cast<std::size_t>(button)]; }
    static int RestLeft(int button);
    static constexpr int kRestTop = 8;

private:
    void ClearHover();
    void HighlightStep();
    void RestoreStep();

    Painter& painter_;
    std::array<SkinButtonFlags, kSkinButtonCount> flags_{};
};

}  // namespace quillan
