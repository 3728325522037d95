// Every SCSI command the program sends: the process-wide 12-byte command
// templates, the one 64 KB data buffer, the vendor flash page, and the two
// small procedures built from them (identity query, disc check).
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/drive_identity.h"
#include "state/program_state.h"

namespace quillan {

constexpr uint32_t kInquiryReplyLength = 96;

// CommandData, the one buffer through which every command (but discovery's
// probe) sends or receives its data, and the templates whose variable bytes
// are set per send, belong to the program's state (state/program_state.h).

// Flash page functions (byte 5 of the page).
constexpr uint8_t kPageIdentify = 0x40;
constexpr uint8_t kPagePrepare = 0xF0;
constexpr uint8_t kPageBlock = 0xC0;  // with data: a 32 KB block; without: closing
constexpr uint8_t kPageBootBegin = 0xDC;
constexpr uint8_t kPageBootErase = 0xDB;
constexpr uint8_t kPageBootSelect = 0xD8;
constexpr uint8_t kPageBootPiece = 0xD9;

constexpr uint16_t kPageListShort = 8;
constexpr uint16_t kPageListBootPiece = 76;
constexpr uint16_t kPageListBlock = 32776;
constexpr uint32_t kBlockBytes = 32768;
constexpr uint32_t kBootPieceBytes = 64;
constexpr uint32_t kBootPieces = 512;
constexpr uint16_t kBootFirstAddress = 0x8000;

// Writes bytes 0-7 of a flash page into CommandData: page code 0x88, the page
// length (list length - 4), the function and its 16-bit argument.
void PutFlashPageHeader(uint8_t function, uint16_t argument, uint16_t listLength);

// Each sends one command to the drive at a drive index (its place in
// TheDeviceTable) and returns its status.
uint8_t SendInquiry(uint8_t driveIndex, uint8_t cdbLength);  // 96 bytes in; 6- or 12-byte CDB
uint8_t SendTestUnitReady(uint8_t driveIndex);
uint8_t SendEject(uint8_t driveIndex);
// SEND DIAGNOSTIC with the page already in CommandData; the list length in
// the CDB is always the transfer length.
uint8_t SendFlashPage(uint8_t driveIndex, uint16_t listLength);
uint8_t SendReceiveDiagnosticResults(uint8_t driveIndex);
// FLASH DOWNLOAD with byte 5 (chunk marker) and byte 9 set here.
uint8_t SendFlashDownload(uint8_t driveIndex, uint8_t marker, uint8_t mode, uint32_t transferLength);
uint8_t SendReadDriveCode(uint8_t driveIndex);

// Reads model, revision and drive code of a drive into DriveIdentity.
// Always returns 1: a drive that does not answer is described by what it sent.
int QueryDriveIdentity(uint8_t driveIndex);

// True when the drive reports ready (a disc is loaded) within five tries.
bool CheckDiscLoaded(uint8_t driveIndex);

}  // namespace quillan
