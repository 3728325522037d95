#include "flash/download_guard.h"

#include <string>

#include "platform/run_log.h"

namespace quillan {

namespace {

const char kShutdownReason[] = "Writing firmware to the drive. Do not switch the computer off.";

std::string AcText(uint8_t acLine) {
    if (acLine == kAcOnline) return "online";
    if (acLine == kAcOffline) return "offline";
    return "unknown";
}

std::string ChargeText(uint8_t percent) {
    return percent == kPowerUnknown ? std::string("unknown") : std::to_string(percent) + " %";
}

}  // namespace

bool PowerAllowsDownload(const PowerStatus& power) {
    // 255 and anything else above 100 is no charge Windows knows.
    const bool chargeKnown = power.batteryPercent <= 100;
    return !(power.acLine == kAcOffline && chargeKnown && power.batteryPercent < kLowestBatteryPercent);
}

bool CheckPowerForDownload() {
    const PowerStatus power = CurrentHost().ReadPowerStatus();
    const bool allowed = PowerAllowsDownload(power);
    LogLine("power at the start: AC " + AcText(power.acLine) + ", battery " + ChargeText(power.batteryPercent) +
            (allowed ? ": the download goes on"
                     : ": refused, on battery below " + std::to_string(kLowestBatteryPercent) + " %"));
    return allowed;
}

void HoldOffTheOutside(DownloadWindow& window, bool held) {
    Host& host = CurrentHost();
    host.KeepSystemAwake(held);
    LogLine(held ? "sleep held off: Windows is asked to keep the system awake"
                 : "sleep allowed again: the keep-awake request is withdrawn");
    window.RefuseSessionEnd(held);
    host.SetShutdownBlockReason(held ? kShutdownReason : "");
}

}  // namespace quillan
