// The vendor "flash page" carried by SEND DIAGNOSTIC: validation and decoding.
// Strict on every fixed byte: a page the real drive would misread can brick it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillan::sim {

constexpr uint8_t kFlashPageCode = 0x88;
constexpr size_t kFlashPageHeader = 8;
constexpr size_t kFlashBlockSize = 32768;    // 0xC0 data block
constexpr size_t kBootPieceSize = 64;        // 0xD9 piece
constexpr size_t kBootBlockSize = 32768;
constexpr uint16_t kBootAddressBase = 0x8000;

// The same names as the program's page functions, written out again here:
// the drive must not share a wrong byte with the program it checks.
namespace flash {
constexpr uint8_t kPageIdentify = 0x40;
constexpr uint8_t kPagePrepare = 0xF0;
constexpr uint8_t kPageBlock = 0xC0;
constexpr uint8_t kPageBootBegin = 0xDC;
constexpr uint8_t kPageBootErase = 0xDB;
constexpr uint8_t kPageBootSelect = 0xD8;
constexpr uint8_t kPageBootPiece = 0xD9;
}  // namespace flash

struct FlashPage {
    uint8_t function = 0;
    uint16_t argument = 0;             // bytes 6-7
    const uint8_t* payload = nullptr;  // 0xC0 block data or 0xD9 boot piece, inside the page
    size_t payloadLength = 0;
};

struct FlashPageParse {
    bool ok = false;
    FlashPage page;
    const char* error = "";  // why the page was refused
};

FlashPageParse ParseFlashPage(const uint8_t* data, size_t length);

}  // namespace quillan::sim
