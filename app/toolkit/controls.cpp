#include "app/toolkit/controls.h"

#include "app/toolkit/backend.h"

namespace quillan::toolkit {

Control::Control(Backend& backend, const char* name, Bounds bounds)
    : backend_(backend), name_(name), bounds_(bounds) {}

void Control::Changed() { backend_.ControlChanged(*this); }

Label::Label(Backend& backend, const char* name, Bounds bounds, const char* caption)
    : Control(backend, name, bounds), caption_(caption) {
    backend_.ControlCreated(*this);
}

StaticText::StaticText(Backend& backend, const char* name, Bounds bounds, Colour colour,
                       const char* text)
    : Control(backend, name, bounds), text_(text), colour_(colour) {
    backend_.ControlCreated(*this);
}

void StaticText::SetText(const std::string& text) {
    text_ = text;
    Changed();
}

ComboBox::ComboBox(Backend& backend, const char* name, Bounds bounds, Colour colour)
    : Control(backend, name, bounds), colour_(colour) {
    backend_.ControlCreated(*this);
}

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
    : Control(backend, name, bounds) {
    backend_.ControlCreated(*this);
}

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
