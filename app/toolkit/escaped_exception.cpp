#include "app/toolkit/escaped_exception.h"

#include <windows.h>

namespace quillan::toolkit {

void ShowEscapedException(const char* what) {
    MessageBoxA(nullptr, what, "Quillan", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace quillan::toolkit
