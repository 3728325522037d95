#include "drive/discovery.h"

#include <cstring>
#include <string>

#include "drive/aspi_entry_points.h"
#include "platform/run_log.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "platform/host.h"

namespace quillan {


namespace {

// INQUIRY as discovery sends it: 36 bytes, and only byte 0 is looked at.
const uint8_t kProbeCdb[6] = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
constexpr uint32_t kProbeLength = 36;
// Peripheral qualifier 0, device type 5 (CD/DVD): compared as a whole byte.
constexpr uint8_t kOpticalDevice = 0x05;

// Vendor, product and revision as the probe's reply has them (bytes 8-35).
void LogDriveFound(const std::string& where, const uint8_t reply[kProbeLength]) {
    const std::string identity(reinterpret_cast<const char*>(reply) + 8, 28);
    LogLine("drive " + std::to_string(TheDeviceTable.driveCount) + " found at " + where + ": \"" +
            identity.substr(0, 8) + "\" \"" + identity.substr(8, 16) + "\" \"" + identity.substr(24, 4) + "\"");
}

void FindPassThroughDrives(uint8_t reply[kProbeLength]) {
    TransportSelector = Transport::PassThrough;
    char rootPath[3] = {'a', ':', '\0'};
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        rootPath[0] = letter;
        const DeviceHandle device = OpenDriveDevice(rootPath);
        HeldDevice& slot = TheDeviceTable.deviceHandles[TheDeviceTable.driveCount];
        slot = HeldDevice(device);
        if (device == kInvalidDevice) continue;
        const int status = PassThroughExecute(device, kProbeCdb, 6, reply, kProbeLength, kDataIn);
        LogCommand(kProbeCdb, 6, kDataIn, kProbeLength, static_cast<uint8_t>(status & 0xFF), reply);
        if (status == kStatusGood && reply[0] == kOpticalDevice) {
            // "letter d": the line itself puts the colon after it.
            LogDriveFound(std::string("letter ") + letter, reply);
            ++TheDeviceTable.driveCount;
        } else {
            // A letter that is not a working optical drive is never used again.
            CloseDriveDevice(slot.Release());
        }
    }
}

void FindAspiDrives(uint8_t reply[kProbeLength]) {
    const uint8_t adapters = LoadAspi();
    for (unsigned adapter = 0; adapter < adapters; ++adapter) {
        for (uint8_t target = 0; target < 8; ++target) {
            const uint8_t status = AspiExecute(static_cast<uint8_t>(adapter), target, kProbeCdb, 6,
                                               reply, kProbeLength, kDataIn);
            LogCommand(kProbeCdb, 6, kDataIn, kProbeLength, status, reply);
            if (status != kStatusGood || reply[0] != kOpticalDevice) continue;
            LogDriveFound("ha " + std::to_string(adapter) + " target " + std::to_string(target), reply);
            const uint8_t driveIndex = TheDeviceTable.driveCount;
            TheDeviceTable.aspiTargets[driveIndex] = target;
            TheDeviceTable.aspiHostAdapters[driveIndex] = static_cast<uint8_t>(adapter);
            ++TheDeviceTable.driveCount;
            // The table holds eight drives; more would be written past it.
            if (TheDeviceTable.driveCount == kAspiTableSize) return;
        }
    }
}

}  // namespace

uint8_t FindDrives() {
    TheDeviceTable.driveCount = 0;
    TransportSelector = Transport::Aspi;
    std::memset(TheDeviceTable.aspiTargets, 0, sizeof(TheDeviceTable.aspiTargets));
    std::memset(TheDeviceTable.aspiHostAdapters, 0, sizeof(TheDeviceTable.aspiHostAdapters));
    for (HeldDevice& handle : TheDeviceTable.deviceHandles) handle = HeldDevice();
    uint8_t reply[kProbeLength] = {};

    if (CurrentHost().PlatformId() == kPlatformWin32Nt) {
        LogLine("path: pass-through (NT family), letters a: to z:");
        FindPassThroughDrives(reply);
    } else {
        LogLine("path: ASPI (Windows 9x), WNASPI32.DLL");
        FindAspiDrives(reply);
    }
    LogLine(std::to_string(TheDeviceTable.driveCount) + " drive(s) found");
    return TheDeviceTable.driveCount;
}

void ScanPortPositions() {
    char path[] = "Hardware\\DeviceMap\\Scsi\\Scsi Port 1\\Scsi Bus 0\\Target Id 1\\Logical Unit Id 0";
    char* portDigit = std::strstr(path, "Scsi Port ") + std::strlen("Scsi Port ");
    char* targetDigit = std::strstr(path, "Target Id ") + std::strlen("Target Id ");
    Host& host = CurrentHost();
    for (int position = 0; position < 4; ++position) {
        *portDigit = static_cast<char>('0' + position / 2);
        *targetDigit = static_cast<char>('0' + position % 2);
        uint8_t deviceName[36] = {};
        if (host.ReadMachineValue(path, "DeviceName", deviceName, sizeof(deviceName)) == RegistryRead::Read &&
            PortPositions.count < 4) {
            PortPositions.positions[PortPositions.count] = position;
            ++PortPositions.count;
        }
    }
}

}  // namespace quillan
