// How this run was started and where it runs: the command line's option
// (only one of test, no-check and live is ever set; "-SILENT" sets live and
// silent together) and the platform family. Read by start-up, the open
// command, the download and the result file.
#pragma once

namespace quillan {

struct RunModes {
    bool testMode = false;     // "-TEST name": C:\FLASHTEST, no eject, no restart
    bool noCheckMode = false;  // "-NOCHECK": relaxed checks of files opened by hand
    bool liveMode = false;     // "-LIVE": the result file for a calling script
    // "-SILENT": a live run under a deployment tool: no box waits for anyone,
    // the program ends by itself, the exit code tells the outcome, and the
    // caller restarts Windows.
    bool silentMode = false;
    bool ntPlatform = false;   // the NT family: pass-through, port positions, DMA check
};

}  // namespace quillan
