#include "app/toolkit/controls.h"

#include "app/toolkit/backend.h"

#include <algorithm>

namespace quillan::toolkit {

Control::Control(Backend& backend, ControlKind kind, const char* name, Bounds bounds, const char* text, Form* owner)
    : backend_(backend), kind_(kind), name_(name), bounds_(bounds), text_(text), owner_(owner) {
    backend_.ControlCreated(*this);
}

Control::~Control() { backend_.ControlDestroyed(*this); }

void Control::Changed() { backend_.ControlChanged(*this); }

void Control::SetText(const std::string& text) {
    text_ = text;
    Changed();
}

void Control::Moved(Bounds bounds) {
    const Bounds before = bounds_;
    bounds_ = bounds;
    backend_.ControlMoved(*this, before);
}

Label::Label(Backend& backend, const char* name, Bounds bounds, const char* text, TextAlign align, Form* owner)
    : Control(backend, ControlKind::Label, name, bounds, text, owner), align_(align) {}

Image::Image(Backend& backend, const char* name, Bounds bounds, Form* owner)
    : Control(backend, ControlKind::Image, name, bounds, "", owner) {}

void Image::SetPicture(int width, int height, std::vector<uint8_t> rgb) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
        pictureWidth_ = pictureHeight_ = 0;
        rgb_.clear();
    } else {
        pictureWidth_ = width;
        pictureHeight_ = height;
        rgb_ = std::move(rgb);
    }
    Changed();
}

void Image::CopyPictureFrom(const Image& source) {
    const int width = GetBounds().width, height = GetBounds().height;
    if (!HasPicture()) {
        pictureWidth_ = width;
        pictureHeight_ = height;
        rgb_.assign(static_cast<size_t>(width) * height * 3, 0);
    }
    const int columns = std::min(pictureWidth_, source.pictureWidth_);
    const int rows = std::min(pictureHeight_, source.pictureHeight_);
    for (int y = 0; y < rows; ++y) {
        std::copy_n(source.rgb_.begin() + static_cast<long>(y) * source.pictureWidth_ * 3, columns * 3,
                    rgb_.begin() + static_cast<long>(y) * pictureWidth_ * 3);
    }
    Changed();
}

Colour Image::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= pictureWidth_ || y >= pictureHeight_) return 0;
    const uint8_t* p = &rgb_[(static_cast<size_t>(y) * pictureWidth_ + x) * 3];
    return toolkit::Rgb(p[0], p[1], p[2]);
}

void Image::SetHint(const std::string& hint) {
    hint_ = hint;
    Changed();
}

void Image::SetPosition(int left, int top) {
    Bounds b = GetBounds();
    b.left = left;
    b.top = top;
    Moved(b);
}

PushButton::PushButton(Backend& backend, const char* name, Bounds bounds, const char* text, Form* owner)
    : Control(backend, ControlKind::PushButton, name, bounds, text, owner) {}

void PushButton::Click() {
    if (onClick) onClick();
}

Form::Form(Backend& backend, const char* caption, int clientWidth, int clientHeight)
    : backend_(backend), caption_(caption), clientWidth_(clientWidth), clientHeight_(clientHeight) {
    backend_.FormCreated(*this);
}

Form::~Form() { backend_.FormDestroyed(*this); }

void Form::ShowModal() {
    visible_ = true;
    backend_.ShowModal(*this);
}

void Form::Hide() {
    visible_ = false;
    backend_.HideForm(*this);
}

StaticText::StaticText(Backend& backend, const char* name, Bounds bounds, Colour colour, const char* text)
    : Control(backend, ControlKind::StaticText, name, bounds, text, nullptr), colour_(colour) {}

ComboBox::ComboBox(Backend& backend, const char* name, Bounds bounds, Colour colour)
    : Control(backend, ControlKind::ComboBox, name, bounds, "", nullptr), colour_(colour) {}

void ComboBox::AddItem(const std::string& text) {
    items_.push_back(text);
    Changed();
}

void ComboBox::SetItemIndex(int index) {
    itemIndex_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
    Changed();
}

void ComboBox::Choose(int index) {
    SetItemIndex(index);
    if (onChange) onChange();
}

ProgressBar::ProgressBar(Backend& backend, const char* name, Bounds bounds)
    : Control(backend, ControlKind::ProgressBar, name, bounds, "", nullptr) {}

int ProgressBar::Position() const { return position_; }

void ProgressBar::SetPosition(int position) {
    position_ = position < 0 ? 0 : (position > 100 ? 100 : position);
    Changed();
}

void ProgressBar::SetBackground(Colour colour) {
    background_ = colour;
    Changed();
}

Timer::Timer(Backend& backend, const char* name, uint32_t interval, bool enabled)
    : backend_(backend), name_(name), interval_(interval), enabled_(enabled) {
    backend_.TimerCreated(*this);
}

Timer::~Timer() { backend_.TimerDestroyed(*this); }

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    backend_.TimerChanged(*this);
}

OpenDialog::OpenDialog(Backend& backend, const char* filter) : backend_(backend), filter_(filter) {}

bool OpenDialog::Execute() {
    std::string path;
    if (!backend_.RunOpenDialog(filter_, path)) return false;
    fileName_ = path;
    return true;
}

}  // namespace quillan::toolkit
