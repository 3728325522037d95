#include "sim/sim_flash_page.h"

namespace quillan::sim {

namespace {

FlashPageParse Refuse(const char* why) {
    FlashPageParse r;
    r.error = why;
    return r;
}

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

}  // namespace

FlashPageParse ParseFlashPage(const uint8_t* data, size_t length) {
    if (data == nullptr || length < kFlashPageHeader) return Refuse("flash page shorter than its header");
    if (data[0] != kFlashPageCode) return Refuse("page code is not 0x88");
    if (data[1] != 0x00 || data[4] != 0x00) return Refuse("reserved byte 1 or 4 not zero");
    if (Be16(data + 2) + size_t{4} != length) return Refuse("page length does not match list length");

    FlashPageParse r;
    r.page.function = data[5];
    r.page.argument = Be16(data + 6);
    const uint16_t arg = r.page.argument;
    const bool shortPage = length == kFlashPageHeader;

    switch (r.page.function) {
        case flash::kPageIdentify:
        case flash::kPageBootBegin:
        case flash::kPageBootErase:
            if (!shortPage || arg != 0x0000) return Refuse("bad length or argument for step page");
            break;
        case flash::kPagePrepare:
            if (!shortPage || arg != 0xFF00) return Refuse("bad length or argument for 0xF0 page");
            break;
        case flash::kPageBootSelect:
            if (!shortPage || arg != 0x0080) return Refuse("bad length or argument for 0xD8 page");
            break;
        case flash::kPageBlock:
            if ((arg & 0x00FF) != 0) return Refuse("0xC0 argument byte 7 not zero");
            if (arg == 0) {
                if (!shortPage) return Refuse("0xC0 closing page must be 8 bytes");
            } else {
                if (length != kFlashPageHeader + kFlashBlockSize) return Refuse("0xC0 block page must carry 32768 bytes");
                r.page.payload = data + kFlashPageHeader;
                r.page.payloadLength = kFlashBlockSize;
            }
            break;
        case flash::kPageBootPiece:
            if (length != kFlashPageHeader + 2 + kBootPieceSize + 2) return Refuse("0xD9 page must be 76 bytes");
            if (arg < kBootAddressBase || (arg - kBootAddressBase) % kBootPieceSize != 0)
                return Refuse("0xD9 address out of range or not 64-aligned");
            if (Be16(data + 8) != kBootPieceSize) return Refuse("0xD9 data length is not 00 40");
            if (Be16(data + 10 + kBootPieceSize) != 0) return Refuse("0xD9 trailing bytes not zero");
            r.page.payload = data + 10;
            r.page.payloadLength = kBootPieceSize;
            break;
        default:
            return Refuse("unknown flash function");
    }
    r.ok = true;
    return r;
}

}  // namespace quillan::sim
