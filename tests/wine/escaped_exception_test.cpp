// A handler's exception must not unwind into the system's message dispatch
// (this compiler's exceptions cannot cross it: the program would vanish). The
// window procedure shows it in the standard box, and the message loop ends as
// the entry's would, so the program returns 0 instead of dying silently.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "app/toolkit/controls.h"
#include "app/toolkit/win32_backend.h"

namespace quillan {
namespace {

// Waits for the program's box, reads its text and presses OK.
std::string AnswerBox() {
    for (int tries = 0; tries < 200; ++tries) {
        if (HWND box = FindWindowA("#32770", "Quillan")) {
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(50);
    }
    return "(no box)";
}

TEST(EscapedException, AHandlersExceptionIsShownAndEndsTheLoop) {
    struct Case {
        void (*thrower)();
        const char* shown;
        const char* className;
    } cases[] = {
        {[] { throw std::runtime_error("the handler failed"); }, "the handler failed", "QuillanEscaped1"},
        {[] { throw 42; }, "Unknown exception.", "QuillanEscaped2"},
    };
    for (const Case& c : cases) {
        // Each case on a thread of its own: a fresh message queue, with no
        // quit left over from the case before.
        std::string shown;
        int ticks = 0;
        bool windowMade = false;
        std::thread program([&] {
            toolkit::Win32Backend backend(GetModuleHandleA(nullptr));
            windowMade = backend.CreateMainWindow(c.className, "Quillan test");
            if (!windowMade) return;
            toolkit::Timer timer(backend, "Timer1", 10, true);
            timer.onTimer = [&] {
                ++ticks;
                c.thrower();
            };
            std::thread watcher([&] { shown = AnswerBox(); });
            backend.RunMessageLoop();  // returns only once the quit is posted
            watcher.join();
        });
        program.join();
        ASSERT_TRUE(windowMade) << "no display";
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(ticks, 1) << "no handler runs once the exception is shown";
    }
}

}  // namespace
}  // namespace quillan
