#include "platform/host.h"

#include <cctype>
#include <cstring>

#include "state/program_state.h"

namespace quillan {

bool ProcessNameMatches(const char* exeFile, const char* wanted) {
    const size_t length = std::strlen(exeFile);
    const char* tail = length >= 12 ? exeFile + length - 12 : exeFile;
    const size_t tailLength = std::strlen(tail);
    if (tailLength != std::strlen(wanted)) return false;
    for (size_t i = 0; i < tailLength; ++i) {
        if (std::toupper(static_cast<unsigned char>(tail[i])) != std::toupper(static_cast<unsigned char>(wanted[i])))
            return false;
    }
    return true;
}

Host& CurrentHost() { return *Program.Plugged.CurrentHost; }
void SetCurrentHost(Host* host) { Program.Plugged.CurrentHost = host; }

}  // namespace quillan
