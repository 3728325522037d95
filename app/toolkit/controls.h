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

class Control {
public:
    Control(Backend& backend, const char* name, Bounds bounds);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    const Bounds& GetBounds() const { return bounds_; }
    // Opaque handle the backend keeps for this control (an HWND in Win32).
    uintptr_t native = 0;

protected:
    void Changed();
    Backend& backend_;

private:
    std::string name_;
    Bounds bounds_;
};

// A caption drawn over the background.
class Label : public Control {
public:
    Label(Backend& backend, const char* name, Bounds bounds, const char* caption);
    const std::string& Caption() const { return caption_; }

private:
    std::string caption_;
};

// A read-only text field.
class StaticText : public Control {
public:
    StaticText(Backend& backend, const char* name, Bounds bounds, Colour colour, const char* text);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    Colour GetColour() const { return colour_; }

private:
    std::string text_;
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
