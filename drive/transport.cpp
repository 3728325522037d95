#include "drive/transport.h"

#include <cstring>

#include "drive/aspi_entry_points.h"
#include "platform/run_log.h"
#include "state/program_state.h"

namespace quillan {


uint8_t AspiExecute(uint8_t hostAdapter, uint8_t target, const uint8_t* cdb, uint8_t cdbLength,
                    uint8_t* data, uint32_t transferLength, uint8_t direction) {
    // A 256-byte zeroed block: room for any layer that reads past the
    // published structure.
    alignas(8) uint8_t storage[256];
    std::memset(storage, 0, sizeof(storage));
    auto* srb = reinterpret_cast<SRB_ExecSCSICmd*>(storage);
    const uint8_t sent = cdbLength <= sizeof(srb->CDBByte) ? cdbLength
                                                           : static_cast<uint8_t>(sizeof(srb->CDBByte));
    srb->SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb->SRB_HaId = hostAdapter;
    srb->SRB_Flags = direction == kDataIn ? SRB_DIR_IN : SRB_DIR_OUT;
    srb->SRB_Target = target;
    srb->SRB_Lun = 0;
    srb->SRB_BufLen = transferLength;
    srb->SRB_BufPointer = data;
    srb->SRB_SenseLen = ASPI_SENSE_LEN;
    srb->SRB_CDBLen = sent;
    srb->SRB_PostProc = nullptr;
    if (sent != 0) std::memcpy(srb->CDBByte, cdb, sent);

    if (SendASPI32Command == nullptr) return SS_INVALID_HA;
    SendASPI32Command(srb);
    // Completion is found by polling: the layer may finish on another thread.
    volatile uint8_t* status = &srb->SRB_Status;
    while (*status == SS_PENDING) {
    }
    const uint8_t final = *status;
    if (final == SS_ERR) {
        data[2] = srb->SenseArea[2];
        data[12] = srb->SenseArea[12];
        data[13] = srb->SenseArea[13];
    }
    return final;
}

int PassThroughExecute(DeviceHandle device, const uint8_t* cdb, uint8_t cdbLength, uint8_t* data,
                       uint32_t transferLength, uint8_t direction) {
    PassThroughBlock block;
    BuildPassThroughBlock(block, kProgramPassThrough, cdb, cdbLength,
                          reinterpret_cast<uintptr_t>(data), transferLength, direction);
    const bool submitted = SubmitPassThrough(device, block, data);
    return PassThroughOutcome(block, kProgramPassThrough, submitted, data);
}

uint8_t SendDriveCommand(uint8_t driveIndex, const uint8_t* cdb, uint8_t cdbLength, uint8_t* data,
                         uint32_t transferLength, uint8_t direction) {
    // An index outside the table would address some other device: refuse it.
    int result;
    if (TransportSelector == Transport::Aspi) {
        if (driveIndex >= kAspiTableSize) return SS_INVALID_HA;
        result = AspiExecute(TheDeviceTable.aspiHostAdapters[driveIndex],
                             TheDeviceTable.aspiTargets[driveIndex], cdb, cdbLength, data,
                             transferLength, direction);
    } else {
        if (driveIndex >= kLetterCount) return 0xFF;
        result = PassThroughExecute(TheDeviceTable.deviceHandles[driveIndex].get(), cdb, cdbLength, data,
                                    transferLength, direction);
    }
    const uint8_t status = static_cast<uint8_t>(result & 0xFF);
    LogCommand(cdb, cdbLength, direction, transferLength, status, data);
    return status;
}

}  // namespace quillan
