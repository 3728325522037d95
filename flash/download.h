// One download, from the user's "Start Download" to the restart: the
// pre-checks, the pieces sent from the window's thread, the worker that
// sends the final command, and the progress timer.
#pragma once

#include <atomic>
#include <cstdint>

#include "flash/download_window.h"
#include "state/run_modes.h"

namespace quillan {

// What the pre-checks found: 1 go on, 2 the drive runs in DMA mode, 3 the
// registry could not tell, 4 a disc is in the drive, 5 the machine runs on a
// low battery (asked only once the others have passed).
enum PreCheckOutcome : int {
    kProceed = 1,
    kDmaMode = 2,
    kRegistryUnreadable = 3,
    kDiscLoaded = 4,
    kBatteryLow = 5,
};

// The shared progress state (BusyFlag, TickCounter in the program's state):
// set by the window's thread before the worker starts, cleared by the worker
// as its last step, polled by the timer.

// ToolButton2Click: `driveIndex` is the selected drive's drive index.
// True when the worker sends the last piece; otherwise the download is over
// (refused, or ended by a failure) when this returns. Once a download of this
// run has reached the worker it does nothing.
bool StartDownload(DownloadWindow& window, RunModes flags, uint8_t driveIndex);

// ToolButton2Click with no drive in the list: sends nothing to any drive.
void StartWithoutDrive(DownloadWindow& window, RunModes flags);

// A "-SILENT" run with nothing left to wait for (`why` says what ended it):
// logs its exit code and closes the window, without a restart. Nobody is
// there to start again or to close it. Does nothing in any other run.
void EndSilentRun(DownloadWindow& window, RunModes flags, const char* why);

// Timer1Timer: moves the bar along the time estimate and, once the worker is
// done, ends the run (restart, or closing the window in a test or silent
// run).
void ProgressTick(DownloadWindow& window, RunModes flags);

// The estimate: ticks expected for an image of `size` bytes (at least 1).
int32_t ExpectedTicks(int32_t size);

}  // namespace quillan
