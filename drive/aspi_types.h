// ASPI for Win32 request block and status values, as the published ASPI
// interface defines them. Portable (no <windows.h>) so that the transport and
// the simulated drive's ASPI front can both be compiled natively and for Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillan {

// SRB_Cmd values.
constexpr uint8_t SC_HA_INQUIRY = 0x00;
constexpr uint8_t SC_GET_DEV_TYPE = 0x01;
constexpr uint8_t SC_EXEC_SCSI_CMD = 0x02;

// SRB_Status values.
constexpr uint8_t SS_PENDING = 0x00;
constexpr uint8_t SS_COMP = 0x01;
constexpr uint8_t SS_ABORTED = 0x02;
constexpr uint8_t SS_ABORT_FAIL = 0x03;
constexpr uint8_t SS_ERR = 0x04;
constexpr uint8_t SS_INVALID_CMD = 0x80;
constexpr uint8_t SS_INVALID_HA = 0x81;
constexpr uint8_t SS_NO_DEVICE = 0x82;
constexpr uint8_t SS_INVALID_SRB = 0xE0;
constexpr uint8_t SS_NO_ADAPTERS = 0xE8;

// SRB_Flags values.
constexpr uint8_t SRB_DIR_IN = 0x08;
constexpr uint8_t SRB_DIR_OUT = 0x10;

// SRB_TargStat value for a command that ended with CHECK CONDITION.
constexpr uint8_t STATUS_CHKCOND = 0x02;

constexpr int ASPI_SENSE_LEN = 14;

#pragma pack(push, 1)
struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc;
    void* SRB_Rsvd2;
    uint8_t SRB_Rsvd3[16];
    uint8_t CDBByte[16];
    uint8_t SenseArea[ASPI_SENSE_LEN + 2];
};

// Header shared by every request; SRB_Cmd decides the rest.
struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    uint8_t HA_ManagerId[16];
    uint8_t HA_Identifier[16];
    uint8_t HA_Unique[16];
    uint16_t HA_Rsvd1;
};

struct SRB_GDEVBlock {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DeviceType;
    uint8_t SRB_Rsvd1;
};
#pragma pack(pop)

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SRB_ExecSCSICmd) == 80, "SRB_ExecSCSICmd must be 80 packed bytes");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16, "SRB_BufPointer offset");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48, "CDBByte offset");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64, "SenseArea offset");
#elif defined(_WIN64)
// A 64-bit build keeps the packed field order; the three pointers widen.
static_assert(sizeof(SRB_ExecSCSICmd) == 92, "SRB_ExecSCSICmd is 92 packed bytes in 64-bit");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16, "SRB_BufPointer offset");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 28, "SRB_PostProc offset");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 60, "CDBByte offset");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 76, "SenseArea offset");
#endif

// The two entry points of WNASPI32.DLL (C calling convention).
using SendAspi32CommandFn = uint32_t (*)(void* srb);
using GetAspi32SupportInfoFn = uint32_t (*)();

}  // namespace quillan
