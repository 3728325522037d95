// Program entry: the main window of class "TMainForm", titled "Quillan".
#include <windows.h>

#include "drive/aspi_entry_points.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) quillan::LoadAspi();

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(6, 32, 64));
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = "TMainForm";
    if (RegisterClassA(&windowClass) == 0) return 0;

    HWND window = CreateWindowExA(WS_EX_TOPMOST, "TMainForm", "Quillan", WS_POPUP,
                                  (GetSystemMetrics(SM_CXSCREEN) - 400) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - 200) / 2, 400, 200,
                                  nullptr, nullptr, instance, nullptr);
    // No display: there is nothing to wait for.
    if (window == nullptr) return 0;
    ShowWindow(window, showCommand);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
