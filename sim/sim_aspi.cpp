#include "sim/sim_aspi.h"

#include <algorithm>
#include <cstring>

#include "drive/aspi_types.h"

namespace quillan::sim {

namespace {

void PutText(uint8_t* dst, const char* text, size_t width) {
    const size_t n = std::strlen(text);
    for (size_t i = 0; i < width; ++i) dst[i] = i < n ? static_cast<uint8_t>(text[i]) : ' ';
}

}  // namespace

SimDrive* SimAspi::AddDrive(uint8_t adapter, uint8_t target, DriveSettings settings) {
    if (target >= kMaxTargets) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto& slot = drives_[{adapter, target}];
    slot = std::make_unique<SimDrive>(std::move(settings));
    return slot.get();
}

SimDrive* SimAspi::Drive(uint8_t adapter, uint8_t target) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = drives_.find({adapter, target});
    return it == drives_.end() ? nullptr : it->second.get();
}

const SimDrive* SimAspi::Drive(uint8_t adapter, uint8_t target) const {
    return const_cast<SimAspi*>(this)->Drive(adapter, target);
}

SimAspi::DriveList SimAspi::Drives() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DriveList all;
    for (const auto& [where, drive] : drives_) all.emplace_back(where, drive.get());
    return all;
}

std::optional<SimAspi::DriveList> SimAspi::TryDrives() const {
    std::unique_lock<std::recursive_mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;
    return Drives();
}

uint8_t SimAspi::AdapterCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (adapterCount_) return *adapterCount_;
    if (drives_.empty()) return 0;
    return static_cast<uint8_t>(drives_.rbegin()->first.first + 1);  // map is ordered by adapter
}

uint32_t SimAspi::GetASPI32SupportInfo() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const uint8_t count = AdapterCount();
    uint32_t value;
    if (forcedStatus_) value = (uint32_t{*forcedStatus_} << 8) | count;
    else if (count == 0) value = uint32_t{SS_NO_ADAPTERS} << 8;
    else value = (uint32_t{SS_COMP} << 8) | count;
    supportCalls_.push_back(value);
    if (sink_) {
        AspiEvent ev;
        ev.kind = AspiEvent::Kind::SupportInfo;
        ev.returnValue = value;
        ev.status = static_cast<uint8_t>(value >> 8);
        ev.haCount = count;
        sink_(ev);
    }
    return value;
}

uint32_t SimAspi::SendASPI32Command(void* srb) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    AspiEvent ev;
    uint8_t status = SS_INVALID_SRB;
    if (srb != nullptr) {
        auto* header = static_cast<SRB_Header*>(srb);
        ev.srbCmd = header->SRB_Cmd;
        ev.adapter = header->SRB_HaId;
        ev.flags = header->SRB_Flags;
        switch (header->SRB_Cmd) {
            case SC_EXEC_SCSI_CMD: status = ExecScsi(srb, ev); break;
            case SC_HA_INQUIRY: status = HaInquiry(srb, ev); break;
            case SC_GET_DEV_TYPE: status = GetDevType(srb, ev); break;
            default: status = SS_INVALID_CMD; break;
        }
        header->SRB_Status = status;
    }
    ev.status = status;
    ev.returnValue = status;
    if (sink_) sink_(ev);
    return status;
}

uint8_t SimAspi::ExecScsi(void* srb, AspiEvent& ev) {
    auto* s = static_cast<SRB_ExecSCSICmd*>(srb);
    ev.kind = AspiEvent::Kind::ExecScsi;
    ev.target = s->SRB_Target;
    ev.lun = s->SRB_Lun;
    ev.cdb.assign(s->CDBByte, s->CDBByte + std::min<size_t>(s->SRB_CDBLen, sizeof s->CDBByte));
    ev.bufferLength = s->SRB_BufLen;

    if (s->SRB_HaId >= AdapterCount()) return SS_INVALID_HA;
    SimDrive* drive = s->SRB_Lun == 0 ? Drive(s->SRB_HaId, s->SRB_Target) : nullptr;
    if (drive == nullptr) return SS_NO_DEVICE;
    if (s->SRB_CDBLen < 1 || s->SRB_CDBLen > sizeof s->CDBByte) return SS_INVALID_SRB;
    if (s->SRB_BufLen > 0 && s->SRB_BufPointer == nullptr) return SS_INVALID_SRB;
    Direction direction;
    if (s->SRB_Flags == SRB_DIR_IN) direction = Direction::In;
    else if (s->SRB_Flags == SRB_DIR_OUT) direction = Direction::Out;
    else return SS_INVALID_SRB;

    s->SRB_HaStat = 0;
    s->SRB_TargStat = 0;
    const CommandResult result =
        drive->Execute(s->CDBByte, s->SRB_CDBLen, s->SRB_BufPointer, s->SRB_BufLen, direction);
    ev.drive = drive;
    ev.entry = &drive->Log().back();

    switch (result.kind) {
        case CommandResult::Kind::Good:
            return SS_COMP;
        case CommandResult::Kind::CheckCondition: {
            s->SRB_TargStat = STATUS_CHKCOND;
            // The caller sized the sense area by SRB_SenseLen (it may reach past the
            // struct's nominal SenseArea), so that is the bound to honour.
            const size_t n = std::min<size_t>(s->SRB_SenseLen, kSenseLength);
            uint8_t* sense = reinterpret_cast<uint8_t*>(s) + offsetof(SRB_ExecSCSICmd, SenseArea);
            std::memcpy(sense, result.sense.data(), n);
            return SS_ERR;
        }
        case CommandResult::Kind::AspiStatus:
            return result.aspiStatus;
    }
    return SS_ERR;
}

uint8_t SimAspi::HaInquiry(void* srb, AspiEvent& ev) {
    auto* h = static_cast<SRB_HAInquiry*>(srb);
    ev.kind = AspiEvent::Kind::HaInquiry;
    ev.haCount = AdapterCount();
    h->HA_Count = ev.haCount;
    if (h->SRB_HaId >= ev.haCount) return SS_INVALID_HA;
    h->HA_SCSI_ID = 7;
    PutText(h->HA_ManagerId, "ASPI for WIN32", sizeof h->HA_ManagerId);
    PutText(h->HA_Identifier, "QUILLAN SIM", sizeof h->HA_Identifier);
    std::memset(h->HA_Unique, 0, sizeof h->HA_Unique);
    h->HA_Unique[3] = kMaxTargets;
    h->HA_Unique[6] = 0x04;  // maximum transfer 0x00040000 (little-endian)
    return SS_COMP;
}

uint8_t SimAspi::GetDevType(void* srb, AspiEvent& ev) {
    auto* g = static_cast<SRB_GDEVBlock*>(srb);
    ev.kind = AspiEvent::Kind::GetDevType;
    ev.target = g->SRB_Target;
    ev.lun = g->SRB_Lun;
    if (g->SRB_HaId >= AdapterCount()) return SS_INVALID_HA;
    const SimDrive* drive = g->SRB_Lun == 0 ? Drive(g->SRB_HaId, g->SRB_Target) : nullptr;
    if (drive == nullptr) return SS_NO_DEVICE;
    g->SRB_DeviceType = drive->Settings().deviceType & 0x1F;  // peripheral device type bits
    ev.deviceType = g->SRB_DeviceType;
    return SS_COMP;
}

}  // namespace quillan::sim
