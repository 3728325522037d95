// exit_status
//
// Test helper for the Wine session: runs the rest of its own command line as
// a program, waits for it to end, and prints its exit code as Windows gives
// it (GetExitCodeProcess: all 32 bits, where Wine's own exit status keeps
// only the low 8):
//
//   exit_status.exe PROGRAM [ARGUMENTS...]   prints "exit <code>"
//
// The program inherits the current folder. Exit status 0 once the code is
// printed, 2 when the program could not be started.
#include <windows.h>

#include <cstdio>

namespace {

// What follows the first word (this exe's own path, perhaps quoted).
char* RestOfCommandLine() {
    char* p = GetCommandLineA();
    const bool quoted = *p == '"';
    if (quoted) ++p;
    while (*p != '\0' && (quoted ? *p != '"' : *p != ' ' && *p != '\t')) ++p;
    if (quoted && *p == '"') ++p;
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace

int main() {
    char* command = RestOfCommandLine();
    if (*command == '\0') {
        std::fprintf(stderr, "usage: exit_status PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "exit_status: cannot start %s (error %lu)\n", command,
                     static_cast<unsigned long>(GetLastError()));
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit %lu\n", static_cast<unsigned long>(code));
    std::fflush(stdout);
    return 0;
}
