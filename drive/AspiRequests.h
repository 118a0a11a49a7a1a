#pragma once

// The ASPI request blocks. They are handed to the ASPI library as they are, so their layout
// is fixed: packed, little-endian. The pointer-sized fields of the execute-command request
// are 8 bytes on a 64-bit build, which makes that request 104 bytes instead of 96.
// Packed fields are read and written by name, never through a pointer to the member.

#include <array>
#include <cstddef>
#include <cstdint>

namespace quendra {

// Request commands (SRB_Cmd).
inline constexpr std::uint8_t SC_HA_INQUIRY = 0x00;
inline constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;
inline constexpr std::uint8_t SC_GET_DISK_INFO = 0x06;

// Completion status (SRB_Status).
inline constexpr std::uint8_t SS_PENDING = 0x00;
inline constexpr std::uint8_t SS_COMP = 0x01;
inline constexpr std::uint8_t SS_ERR = 0x04;

// Request flags (SRB_Flags).
inline constexpr std::uint8_t SRB_DIR_IN = 0x08;
inline constexpr std::uint8_t SRB_DIR_OUT = 0x10;
inline constexpr std::uint8_t SRB_EVENT_NOTIFY = 0x40;

// SCSI status byte of the target.
inline constexpr std::uint8_t STATUS_GOOD = 0x00;
inline constexpr std::uint8_t STATUS_CHKCOND = 0x02;
inline constexpr std::uint8_t STATUS_BUSY = 0x08;

#pragma pack(push, 1)

struct TSRB_ExecSCSICmd {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t SRB_Target;
    std::uint8_t SRB_Lun;
    std::uint16_t SRB_Rsvd1;
    std::uint32_t SRB_BufLen;
    std::uint8_t* SRB_BufPointer;
    std::uint8_t SRB_SenseLen;
    std::uint8_t SRB_CDBLen;
    std::uint8_t SRB_HaStat;
    std::uint8_t SRB_TargStat;
    std::uintptr_t SRB_PostProc;  // the completion event
    std::array<std::uint8_t, 20> SRB_Rsvd2;
    std::array<std::uint8_t, 16> CDBByte;
    std::array<std::uint8_t, 32> SenseArea;
};

struct TSRB_GetDiskInfo {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t SRB_Target;
    std::uint8_t SRB_Lun;
    std::uint8_t SRB_DriveFlags;
    std::uint8_t SRB_Int13HDriveInfo;
    std::uint8_t SRB_Heads;
    std::uint8_t SRB_Sectors;
    std::array<std::uint8_t, 10> SRB_Rsvd1;
};

struct SRB_HAInquiry {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t HA_Count;
    std::uint8_t HA_SCSI_ID;
    std::array<std::uint8_t, 16> HA_ManagerId;
    std::array<std::uint8_t, 16> HA_Identifier;
    std::array<std::uint8_t, 16> HA_Unique;
    std::uint16_t HA_Rsvd1;
};

#pragma pack(pop)

#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(sizeof(TSRB_ExecSCSICmd) == 104);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_SenseLen) == 24);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_CDBLen) == 25);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_HaStat) == 26);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_TargStat) == 27);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_PostProc) == 28);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Rsvd2) == 36);
static_assert(offsetof(TSRB_ExecSCSICmd, CDBByte) == 56);
static_assert(offsetof(TSRB_ExecSCSICmd, SenseArea) == 72);
#else
static_assert(sizeof(TSRB_ExecSCSICmd) == 96);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_SenseLen) == 20);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_CDBLen) == 21);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_HaStat) == 22);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_TargStat) == 23);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Rsvd2) == 28);
static_assert(offsetof(TSRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(TSRB_ExecSCSICmd, SenseArea) == 64);
#endif
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Cmd) == 0);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Status) == 1);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_HaId) == 2);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Flags) == 3);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Hdr_Rsvd) == 4);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Target) == 8);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Lun) == 9);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_Rsvd1) == 10);
static_assert(offsetof(TSRB_ExecSCSICmd, SRB_BufLen) == 12);

static_assert(sizeof(TSRB_GetDiskInfo) == 24);
static_assert(offsetof(TSRB_GetDiskInfo, SRB_Target) == 8);
static_assert(offsetof(TSRB_GetDiskInfo, SRB_Lun) == 9);
static_assert(offsetof(TSRB_GetDiskInfo, SRB_Int13HDriveInfo) == 11);

static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8);

}  // namespace quendra
