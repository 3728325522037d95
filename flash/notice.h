// A message box of the program, with what the user sees named field by
// field. Most are "MESSAGE" boxes, system-modal and owned by the main window;
// failures carry the error icon.
#pragma once

#include <string>
#include <utility>

namespace quillan {

struct Notice {
    std::string text;
    std::string caption = "MESSAGE";
    bool errorIcon = true;
    bool systemModal = true;
    bool owned = true;  // by the main window; boxes before it exists have no owner

    static Notice Error(std::string text) {
        Notice notice;
        notice.text = std::move(text);
        return notice;
    }
    static Notice Plain(std::string text) {
        Notice notice = Error(std::move(text));
        notice.errorIcon = false;
        return notice;
    }
    Notice& Caption(std::string caption) {
        this->caption = std::move(caption);
        return *this;
    }
    Notice& NotSystemModal() {
        systemModal = false;
        return *this;
    }
    Notice& Unowned() {
        owned = false;
        return *this;
    }
};

}  // namespace quillan
