#include "sim/sim_result.h"

namespace quillan::sim {

const char* CompletionName(Completion c) {
    switch (c) {
        case Completion::None: return "none";
        case Completion::LastChunk: return "last-chunk";
        case Completion::SingleCommand: return "single-command";
        case Completion::PageClosing: return "page-closing";
        case Completion::BootBlock: return "boot-block";
    }
    return "?";
}

}  // namespace quillan::sim
