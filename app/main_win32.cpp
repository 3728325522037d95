// Program entry: one copy at a time, the main window, its message loop.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/Quillanabout.h"
#include "app/Quillanmain.h"
#include "app/command_line.h"
#include "app/toolkit/escaped_exception.h"
#include "app/toolkit/win32_backend.h"
#include "platform/host.h"
#include "platform/host_win32.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "state/silent_exit.h"

namespace {

const char kClassName[] = "TMainForm";
const char kTitle[] = "Quillan";

// Under "-SILENT" nobody would dismiss the exception box: the log has it.
void LogEscapedException(const char* what) { quillan::LogLine(std::string("exception: ") + what); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const bool silent = quillan::RunModesFromWord(quillan::CommandLineWord(GetCommandLineA(), 1)).silentMode;
    // A copy already running is brought forward; this one touches nothing.
    // A deployment tool is told to try again later.
    if (HWND running = FindWindowA(kClassName, kTitle)) {
        SetForegroundWindow(running);
        return silent ? static_cast<int>(quillan::SilentExit::AnotherCopy) : 0;
    }
    if (silent) quillan::toolkit::SetEscapedExceptionSink(LogEscapedException);
    int exitCode = 0;
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
        exitCode = mainForm.ExitCode();
    } catch (const std::exception& error) {
        quillan::toolkit::ShowEscapedException(error.what());
    } catch (...) {
        quillan::toolkit::ShowEscapedException("Unknown exception.");
    }
    // An exception ends a silent run with what it had reached by then.
    if (silent && exitCode == 0) exitCode = static_cast<int>(quillan::Program.SilentOutcome);
    return exitCode;
}
