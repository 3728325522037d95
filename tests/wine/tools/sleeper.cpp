// Stands in for another program that must be stopped before a flash: it
// only waits to be terminated.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(120000);
    return 0;
}
