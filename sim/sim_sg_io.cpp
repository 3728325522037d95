#include "sim/sim_sg_io.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "drive/aspi_types.h"

namespace quillan::sim {
namespace {

constexpr uint8_t kSenseBytes = 18;

const char* DirectionName(int direction) {
    switch (direction) {
        case SG_DXFER_FROM_DEV: return "from-dev";
        case SG_DXFER_TO_DEV: return "to-dev";
        case SG_DXFER_NONE: return "none";
        default: return "other";
    }
}

}  // namespace

int AnswerSgIo(SimSession& session, uint8_t adapter, uint8_t target, sg_io_hdr_t& io) {
    // What only this path carries (direction as asked, timeout), before the
    // ASPI line with the command itself.
    session.Note("sg-io ha=" + std::to_string(adapter) + " target=" + std::to_string(target) +
                 " dir=" + DirectionName(io.dxfer_direction) + " len=" + std::to_string(io.dxfer_len) +
                 " cmd-len=" + std::to_string(io.cmd_len) + " timeout-ms=" + std::to_string(io.timeout) +
                 " sense-max=" + std::to_string(io.mx_sb_len));
    if (io.interface_id != 'S' || io.iovec_count != 0 || io.cmd_len == 0 || io.cmdp == nullptr) return EINVAL;

    alignas(8) uint8_t storage[256] = {};
    auto* srb = reinterpret_cast<SRB_ExecSCSICmd*>(storage);
    srb->SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb->SRB_HaId = adapter;
    srb->SRB_Target = target;
    // The drive takes data in one direction only; "none" is no ASPI direction
    // and is refused by the front like any malformed request.
    srb->SRB_Flags = io.dxfer_direction == SG_DXFER_FROM_DEV ? SRB_DIR_IN
                     : io.dxfer_direction == SG_DXFER_TO_DEV ? SRB_DIR_OUT
                                                             : 0;
    srb->SRB_BufLen = io.dxfer_len;
    srb->SRB_BufPointer = static_cast<uint8_t*>(io.dxferp);
    srb->SRB_SenseLen = kSenseBytes;  // the storage has room past the 16 in the block
    srb->SRB_CDBLen = std::min<uint8_t>(io.cmd_len, sizeof srb->CDBByte);
    std::memcpy(srb->CDBByte, io.cmdp, srb->SRB_CDBLen);

    const uint8_t status = static_cast<uint8_t>(session.SendASPI32Command(srb));
    io.status = io.masked_status = io.msg_status = 0;
    io.host_status = io.driver_status = 0;
    io.sb_len_wr = 0;
    io.resid = 0;
    io.duration = 0;
    io.info = 0;
    if (status == SS_COMP) {
        // What an INQUIRY-style command did not fill is the residual count.
        const SimDrive* drive = session.Aspi().Drive(adapter, target);
        if (drive != nullptr && !drive->Log().empty() && io.dxfer_direction == SG_DXFER_FROM_DEV)
            io.resid = static_cast<int>(io.dxfer_len - std::min<uint32_t>(drive->Log().back().result.bytesIn, io.dxfer_len));
        return 0;
    }
    if (status == SS_ERR) {
        io.status = STATUS_CHKCOND;
        io.masked_status = STATUS_CHKCOND >> 1;
        io.driver_status = 0x08;  // DRIVER_SENSE: the sense bytes are valid
        io.info = 1;              // SG_INFO_CHECK
        const uint8_t n = std::min<uint8_t>(io.mx_sb_len, kSenseBytes);
        if (io.sbp != nullptr && n != 0) std::memcpy(io.sbp, storage + offsetof(SRB_ExecSCSICmd, SenseArea), n);
        io.sb_len_wr = io.sbp != nullptr ? n : 0;
        return 0;
    }
    return EIO;  // no device there, or a failure of the transport itself
}

}  // namespace quillan::sim
