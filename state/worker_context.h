// What the worker reads, written by the window's thread before the worker is
// created. It outlives the handler that starts the worker, so the program's
// state holds it; the worker is handed it as its argument.
#pragma once

#include <cstdint>

#include "state/run_modes.h"

namespace quillan {

class DownloadWindow;

struct WorkerContext {
    DownloadWindow* window = nullptr;
    RunModes flags;
    uint8_t driveIndex = 0;
};

}  // namespace quillan
