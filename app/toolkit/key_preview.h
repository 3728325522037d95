// Which keyboard messages the main window's key preview sees before its
// controls and the system do. Win32 message numbers, kept here so that the
// rule is built and tested without <windows.h>.
#pragma once

#include <cstdint>

namespace quillan::toolkit {

constexpr uint32_t kKeyDownMessage = 0x0100;     // WM_KEYDOWN
constexpr uint32_t kSysKeyDownMessage = 0x0104;  // WM_SYSKEYDOWN: a key with Alt held, or F10
constexpr uint16_t kF9Key = 0x78;                // VK_F9

// Every key going down reaches the preview; with Alt held only F9 does (its
// figures are shown whatever shift keys are held), and every other system key
// (Alt+F4, Alt+Tab, Alt+Space) is the system's alone.
bool PreviewsKey(uint32_t message, uint16_t key);

}  // namespace quillan::toolkit
