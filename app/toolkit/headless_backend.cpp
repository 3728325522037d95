#include "app/toolkit/headless_backend.h"

namespace quillan::toolkit {

int HeadlessBackend::ShowMessage(const MessageBoxRequest& request) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(request);
        journal.push_back("message: " + request.text);
    }
    if (whileModal) whileModal();
    return 1;  // IDOK
}

std::vector<MessageBoxRequest> HeadlessBackend::Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

bool HeadlessBackend::RunOpenDialog(const std::string& filter, std::string& path) {
    lastDialogFilter = filter;
    if (whileModal) whileModal();
    if (nextOpenPath.empty()) return false;
    path = nextOpenPath;
    return true;
}

void HeadlessBackend::SetMainWindowSize(int w, int h) {
    width = w;
    height = h;
    journal.push_back("size");
}

void HeadlessBackend::SetMainWindowShape(const WindowShape& s) {
    shape = s;
    shaped = true;
    journal.push_back("shape");
}

void HeadlessBackend::SetMainWindowTitle(const std::string& t) {
    title = t;
    journal.push_back("title");
}

void HeadlessBackend::CloseMainWindow() {
    closed = true;
    journal.push_back("close");
}

std::vector<uint8_t> HeadlessBackend::ResourceBytes(const char* name) {
    auto found = resources.find(name);
    return found == resources.end() ? std::vector<uint8_t>() : found->second;
}

void HeadlessBackend::CaptureMouse(bool held) {
    std::lock_guard<std::mutex> lock(mutex_);
    captured = held;
    journal.push_back(held ? "capture" : "release capture");
}

void HeadlessBackend::ShowHourglass(bool shown) {
    std::lock_guard<std::mutex> lock(mutex_);
    hourglass = shown;
    journal.push_back(shown ? "hourglass" : "arrow");
}

void HeadlessBackend::TimerChanged(Timer& timer) {
    std::lock_guard<std::mutex> lock(mutex_);
    journal.push_back(timer.Name() + (timer.Enabled() ? " on" : " off"));
}

}  // namespace quillan::toolkit
