#include "app/toolkit/escaped_exception.h"

#include <windows.h>

namespace quillan::toolkit {

namespace {
void (*escapedExceptionSink)(const char*) = nullptr;
}  // namespace

void SetEscapedExceptionSink(void (*sink)(const char* what)) { escapedExceptionSink = sink; }

void ShowEscapedException(const char* what) {
    if (escapedExceptionSink != nullptr) {
        escapedExceptionSink(what);
        return;
    }
    MessageBoxA(nullptr, what, "Quillan", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace quillan::toolkit
