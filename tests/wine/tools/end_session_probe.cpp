// end_session_probe <message>...
//
// Test helper for the Wine session: sends each message in turn to the main
// window of quillan.exe (class "TMainForm", title "Quillan") with
// SendMessageTimeoutA and prints one line per message, in order:
//
//   null <answer>     WM_NULL: an answer at all says the window takes its messages
//   query <answer>    WM_QUERYENDSESSION (lParam 0: a shutdown or restart): 1 go ahead, 0 refused
//
// <answer> is the window's return value, or "timeout" when it gave none
// within 60 s. Under Wine a query sent from another process of the session
// returns the window's own answer and ends nothing. Exit status 0, 1 when
// there is no such window, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kAnswerTimeoutMs = 60000;  // longer than any drive command of the tests

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: end_session_probe null|query...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "null") != 0 && std::strcmp(argv[i], "query") != 0) {
            std::fprintf(stderr, "end_session_probe: unknown message '%s'\n", argv[i]);
            return 2;
        }
    }
    HWND window = FindWindowA("TMainForm", "Quillan");
    if (window == nullptr) {
        std::fprintf(stderr, "end_session_probe: no window TMainForm \"Quillan\"\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        const bool query = std::strcmp(argv[i], "query") == 0;
        DWORD_PTR answer = 0;
        // SMTO_NORMAL: the window is blocked in a drive command for a while;
        // that is what is being measured, so no "hung" shortcut.
        const LRESULT sent = SendMessageTimeoutA(window, query ? WM_QUERYENDSESSION : WM_NULL, 0, 0, SMTO_NORMAL,
                                                 kAnswerTimeoutMs, &answer);
        if (sent == 0)
            std::printf("%s timeout\n", argv[i]);
        else
            std::printf("%s %lu\n", argv[i], static_cast<unsigned long>(answer));
        std::fflush(stdout);
    }
    return 0;
}
