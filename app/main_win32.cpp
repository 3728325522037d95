// Program entry: one copy at a time, the main window, its message loop.
#include <windows.h>

#include <exception>
#include <memory>

#include "app/Quillanabout.h"
#include "app/Quillanmain.h"
#include "app/toolkit/escaped_exception.h"
#include "app/toolkit/win32_backend.h"
#include "platform/host.h"
#include "platform/host_win32.h"
#include "platform/run_log.h"

namespace {

const char kClassName[] = "TMainForm";
const char kTitle[] = "Quillan";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A copy already running is brought forward; this one touches nothing.
    if (HWND running = FindWindowA(kClassName, kTitle)) {
        SetForegroundWindow(running);
        return 0;
    }
    try {
        quillan::Win32Host host;
        quillan::SetCurrentHost(&host);
        quillan::SetRunLogClock(quillan::Win32LocalTimeStamp);
        quillan::toolkit::Win32Backend backend(instance);
        // Without a display there is no window to wait for.
        if (!backend.CreateMainWindow(kClassName, kTitle)) return 0;
        host.SetSessionWindow(backend.MainWindow());
        quillan::TMainForm mainForm(backend);
        mainForm.FormCreate();
        quillan::TAboutForm aboutForm(backend);
        mainForm.AboutForm = &aboutForm;
        backend.ShowMainWindow();
        mainForm.FormShow();
        backend.RunMessageLoop();
    } catch (const std::exception& error) {
        quillan::toolkit::ShowEscapedException(error.what());
    } catch (...) {
        quillan::toolkit::ShowEscapedException("Unknown exception.");
    }
    return 0;
}
