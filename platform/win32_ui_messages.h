// Messages the host sends to the main window so that cursor and mouse
// capture change on the window's own thread, also when the download's
// worker thread asks (capture and cursor belong to the thread of the window).
#pragma once

#include <windows.h>

namespace quillan {

constexpr UINT kSetMouseCapture = WM_APP + 1;  // wParam 1: take, 0: release
constexpr UINT kSetBusyCursor = WM_APP + 2;    // wParam 1: hourglass, 0: arrow

}  // namespace quillan
