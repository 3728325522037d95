// The window toolkit: just the controls, properties and events that the main
// window and the About box need. Controls hold state; a Backend shows it
// (Win32 HWNDs in the program, nothing at all in headless tests).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillan::toolkit {

class Backend;
class Form;

enum class MouseButton { Left, Right, Middle };
enum class TextAlign { Left, Center, Right };

using Colour = uint32_t;  // 0x00BBGGRR, as a Win32 COLORREF
constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What a control is, one value per class below: the backend shows each kind
// its own way.
enum class ControlKind { Label, Image, PushButton, StaticText, ComboBox, ProgressBar };

// The base of every control: it tells the backend when a control is made and
// when it goes. It does so from its own constructor, before the kind's own
// members are built, so what the backend needs in that moment (the kind, the
// place, the text the control starts with) lives here.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    const Bounds& GetBounds() const { return bounds_; }
    Form* Owner() const { return owner_; }
    // The words the control shows: a caption, a button's or a field's text.
    const std::string& Text() const { return text_; }

protected:
    // `owner` is the form the control sits on; none: the main window.
    Control(Backend& backend, ControlKind kind, const char* name, Bounds bounds, const char* text, Form* owner);
    // Only the kinds below are controls, and only through them does one go.
    ~Control();
    void Changed();
    void Moved(Bounds bounds);
    void SetText(const std::string& text);
    Backend& backend_;

private:
    ControlKind kind_;
    std::string name_;
    Bounds bounds_;
    std::string text_;
    Form* owner_;
};

// A caption drawn transparently over whatever lies beneath.
class Label : public Control {
public:
    Label(Backend& backend, const char* name, Bounds bounds, const char* text,
          TextAlign align = TextAlign::Right, Form* owner = nullptr);
    TextAlign Align() const { return align_; }

private:
    TextAlign align_;
};

// A picture that can be drawn into: 24-bit RGB rows, top row first. Before
// anything is drawn it has no picture and shows what lies beneath.
class Image : public Control {
public:
    Image(Backend& backend, const char* name, Bounds bounds, Form* owner = nullptr);
    void SetPicture(int width, int height, std::vector<uint8_t> rgb);
    // A plain copy of `source`'s picture onto this one at (0, 0), on a canvas
    // of this control's size created on first use.
    void CopyPictureFrom(const Image& source);
    bool HasPicture() const { return pictureWidth_ > 0; }
    int PictureWidth() const { return pictureWidth_; }
    int PictureHeight() const { return pictureHeight_; }
    const std::vector<uint8_t>& Rgb() const { return rgb_; }
    Colour PixelAt(int x, int y) const;
    void SetPosition(int left, int top);

    // The hint the system shows once the pointer rests on the picture.
    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }

    // Drawn with the colour of its bottom-left pixel left out.
    bool transparent = false;
    std::function<void(MouseButton, int x, int y)> onMouseDown;
    std::function<void(MouseButton, int x, int y)> onMouseUp;
    std::function<void(int x, int y)> onMouseMove;
    std::function<void()> onClick;

private:
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    std::vector<uint8_t> rgb_;
    std::string hint_;
};

class PushButton : public Control {
public:
    PushButton(Backend& backend, const char* name, Bounds bounds, const char* text, Form* owner = nullptr);
    // The user's click (the Win32 backend calls it on BN_CLICKED).
    void Click();
    std::function<void()> onClick;
};

// A top-level dialog window besides the main one: shown modally, closed by
// hiding it.
class Form {
public:
    Form(Backend& backend, const char* caption, int clientWidth, int clientHeight);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    const std::string& Caption() const { return caption_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    // Returns when the form has been hidden again.
    void ShowModal();
    void Hide();
    bool Visible() const { return visible_; }
    uintptr_t native = 0;

private:
    friend class Backend;
    Backend& backend_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    bool visible_ = false;
};

// A read-only text field.
class StaticText : public Control {
public:
    StaticText(Backend& backend, const char* name, Bounds bounds, Colour colour, const char* text);
    using Control::SetText;
    Colour GetColour() const { return colour_; }

private:
    Colour colour_;
};

// A drop-down list that takes no typed text.
class ComboBox : public Control {
public:
    ComboBox(Backend& backend, const char* name, Bounds bounds, Colour colour);
    void AddItem(const std::string& text);
    const std::vector<std::string>& Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The user's choice: sets the index, then runs onChange.
    void Choose(int index);
    Colour GetColour() const { return colour_; }
    std::function<void()> onChange;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    Colour colour_;
};

class ProgressBar : public Control {
public:
    ProgressBar(Backend& backend, const char* name, Bounds bounds);
    int Position() const;
    void SetPosition(int position);
    Colour Background() const { return background_; }
    void SetBackground(Colour colour);

private:
    // The download's worker thread sets it while the timer reads it.
    std::atomic<int> position_{0};
    Colour background_ = Rgb(255, 255, 255);
};

class Timer {
public:
    Timer(Backend& backend, const char* name, uint32_t interval, bool enabled);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    const std::string& Name() const { return name_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return interval_; }
    std::function<void()> onTimer;
    uintptr_t native = 0;

private:
    Backend& backend_;
    std::string name_;
    uint32_t interval_;
    bool enabled_;
};

class OpenDialog {
public:
    OpenDialog(Backend& backend, const char* filter);
    // Runs the dialog; true with FileName() set when the user chose a file.
    bool Execute();
    const std::string& FileName() const { return fileName_; }
    const std::string& Filter() const { return filter_; }

private:
    Backend& backend_;
    std::string filter_;
    std::string fileName_;
};

}  // namespace quillan::toolkit
