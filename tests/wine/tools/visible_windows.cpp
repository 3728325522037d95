// visible_windows [all]
//
// Test helper for the Wine session: prints one line per visible top-level
// window of every process (with "all", hidden ones too: a program's main
// window exists, and is found by a second copy, before it is shown), in
// z-order (topmost first), and exits:
//
//   <class> TAB <text> TAB <left> <top> <right> <bottom>
//
// The text is the window's answer to WM_GETTEXT, so a tooltip shows the tip it
// displays (the name the X server knows for it is empty); the rectangle is in
// screen pixels. A TAB or newline in a text is written as a blank. Exit
// status 0.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kSendTimeoutMs = 1000;  // a hung program must not hang us
constexpr int kMaxText = 1024;

std::string TextOf(HWND window) {
    char text[kMaxText] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::string();
    std::string result(text, length < sizeof(text) ? length : sizeof(text) - 1);
    for (char& c : result)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return result;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM hiddenToo) {
    if (!hiddenToo && !IsWindowVisible(window)) return TRUE;
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    RECT r = {};
    GetWindowRect(window, &r);
    std::printf("%s\t%s\t%ld %ld %ld %ld\n", name, TextOf(window).c_str(), static_cast<long>(r.left),
                static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const bool hiddenToo = argc > 1 && std::string(argv[1]) == "all";
    EnumWindows(PrintWindow, hiddenToo);
    std::fflush(stdout);
    return 0;
}
