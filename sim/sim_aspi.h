// The ASPI for Win32 manager in front of the simulated drives: host adapters
// with targets 0..7 (LUN 0 only), each target optionally holding a SimDrive.
// Completion is synchronous: SRB_Status is final when SendASPI32Command returns.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "sim/sim_drive.h"

namespace quillan::sim {

constexpr uint8_t kMaxTargets = 8;

// What the manager was asked and answered; handed to the event sink.
struct AspiEvent {
    enum class Kind : uint8_t { SupportInfo, HaInquiry, GetDevType, ExecScsi, OtherSrb };
    Kind kind = Kind::OtherSrb;
    uint32_t returnValue = 0;  // what the entry point returned
    uint8_t srbCmd = 0;
    uint8_t status = 0;        // SRB_Status written
    uint8_t adapter = 0, target = 0, lun = 0;
    uint8_t flags = 0;
    std::vector<uint8_t> cdb;   // ExecScsi: SRB_CDBLen bytes (capped at 16)
    uint32_t bufferLength = 0;  // ExecScsi: SRB_BufLen
    uint8_t haCount = 0;        // HaInquiry
    uint8_t deviceType = 0;     // GetDevType
    const SimDrive* drive = nullptr;  // ExecScsi that reached a drive
    const LogEntry* entry = nullptr;  // that drive's record of it
};

using AspiEventSink = std::function<void(const AspiEvent&)>;

class SimAspi {
public:
    // Adds (or replaces) the drive at adapter/target. nullptr if target > 7.
    SimDrive* AddDrive(uint8_t adapter, uint8_t target, DriveSettings settings = {});
    SimDrive* Drive(uint8_t adapter, uint8_t target);
    const SimDrive* Drive(uint8_t adapter, uint8_t target) const;
    // Drives in (adapter, target) order.
    using DriveList = std::vector<std::pair<std::pair<uint8_t, uint8_t>, const SimDrive*>>;
    DriveList Drives() const;
    // The same without waiting: nothing while another thread is inside a command
    // (at process exit that thread may be gone, holding the lock for good).
    std::optional<DriveList> TryDrives() const;

    // Explicit count, or std::nullopt for the default: highest adapter used + 1.
    void SetAdapterCount(std::optional<uint8_t> count) { adapterCount_ = count; }
    uint8_t AdapterCount() const;
    // Reported instead of SS_COMP by GetASPI32SupportInfo when adapters exist.
    void ForceSupportStatus(std::optional<uint8_t> status) { forcedStatus_ = status; }

    uint32_t SendASPI32Command(void* srb);
    uint32_t GetASPI32SupportInfo();
    // Every GetASPI32SupportInfo result, in call order.
    const std::vector<uint32_t>& SupportInfoCalls() const { return supportCalls_; }

    // Called after every request (under the manager's lock).
    void SetEventSink(AspiEventSink sink) { sink_ = std::move(sink); }

private:
    uint8_t ExecScsi(void* srb, AspiEvent& ev);
    uint8_t HaInquiry(void* srb, AspiEvent& ev);
    uint8_t GetDevType(void* srb, AspiEvent& ev);

    std::map<std::pair<uint8_t, uint8_t>, std::unique_ptr<SimDrive>> drives_;
    std::optional<uint8_t> adapterCount_;
    std::optional<uint8_t> forcedStatus_;
    std::vector<uint32_t> supportCalls_;
    AspiEventSink sink_;
    mutable std::recursive_mutex mutex_;
};

}  // namespace quillan::sim
