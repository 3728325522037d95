// The optical drives found at start-up, addressed everywhere by their drive
// index (the index into this table), and the transport that reaches them.
#pragma once

#include <cstdint>

namespace quillan {

constexpr int kLetterCount = 26;   // a: .. z:
constexpr int kAspiTableSize = 8;  // ASPI drives the table can hold

// The system's handle of an opened drive letter, as the device calls take it.
using DeviceHandle = intptr_t;
constexpr DeviceHandle kInvalidDevice = -1;

// One drive letter discovery opened. The program keeps it to its end: the
// worker may still be sending through it while the process ends, so nothing
// closes it on the way out (the system does). Only discovery gives one up,
// for a letter that is not a working optical drive, by Release().
class HeldDevice {
public:
    HeldDevice() = default;  // a slot discovery did not reach
    explicit HeldDevice(DeviceHandle handle) : handle_(handle) {}
    HeldDevice(const HeldDevice&) = delete;
    HeldDevice& operator=(const HeldDevice&) = delete;
    HeldDevice(HeldDevice&& other) noexcept : handle_(other.Release()) {}
    HeldDevice& operator=(HeldDevice&& other) noexcept {
        handle_ = other.Release();
        return *this;
    }
    ~HeldDevice() = default;  // kept open: see above

    DeviceHandle get() const { return handle_; }
    // Hands the handle to whoever closes it; the slot then holds none.
    DeviceHandle Release() {
        const DeviceHandle handle = handle_;
        handle_ = kInvalidDevice;
        return handle;
    }

private:
    DeviceHandle handle_ = 0;
};

// How commands reach the drives; discovery chooses it once.
enum class Transport : int {
    Aspi = 0,         // Windows 9x: WNASPI32.DLL
    PassThrough = 1,  // NT family: the SCSI pass-through on a drive letter
};

struct DeviceTable {
    HeldDevice deviceHandles[kLetterCount];
    uint8_t aspiTargets[kAspiTableSize];
    uint8_t aspiHostAdapters[kAspiTableSize];
    uint8_t driveCount;
};

// SCSI port positions (port x 2 + target, 0..3) that have a device-map key
// with a "DeviceName" value; entry k belongs to drive index k.
struct PortPositionList {
    int32_t positions[4];
    int32_t count;
};

}  // namespace quillan
