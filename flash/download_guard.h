// What keeps everything outside the program from cutting a flash short, from
// the passed pre-checks to the download's end: a flat battery, sleep, and the
// end of the Windows session. A drive whose flash stops half way may never
// start again.
#pragma once

#include <cstdint>

#include "flash/download_window.h"
#include "platform/host.h"

namespace quillan {

// On battery below this charge a download does not start.
constexpr uint8_t kLowestBatteryPercent = 25;

// False only on battery (AC offline) with a known charge below 25 %: an
// unknown AC state or charge does not refuse.
bool PowerAllowsDownload(const PowerStatus& power);

// Asks Windows for the power status, logs it with the decision, and returns
// the decision.
bool CheckPowerForDownload();

// Held: Windows is asked to keep the system awake, the main window refuses
// the end of the session, and the shutdown screen says why. Released: all of
// that is withdrawn. Both on the window's thread.
void HoldOffTheOutside(DownloadWindow& window, bool held);

}  // namespace quillan
