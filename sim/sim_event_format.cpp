#include "sim/sim_event_format.h"

#include <algorithm>
#include <array>

#include "drive/aspi_types.h"

namespace quillan::sim {

namespace {

std::string Hex2(uint8_t b) { return Hex(&b, 1); }

std::string Hex8(uint32_t v) {
    const uint8_t be[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                           static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    return Hex(be, 4);
}

std::string Where(const AspiEvent& e) {
    return "ha=" + std::to_string(e.adapter) + " target=" + std::to_string(e.target) + " lun=" + std::to_string(e.lun);
}

std::string DirectionField(uint8_t flags) {
    if (flags == SRB_DIR_IN) return "dir=in";
    if (flags == SRB_DIR_OUT) return "dir=out";
    return "dir=flags:" + Hex2(flags);
}

std::string OutcomeFields(const LogEntry& e) {
    std::string s;
    const CommandResult& r = e.result;
    switch (r.kind) {
        case CommandResult::Kind::Good:
            s = " result=good";
            if (r.bytesIn > 0) s += " in=" + std::to_string(r.bytesIn);
            break;
        case CommandResult::Kind::CheckCondition:
            s = " result=check sense=" + Hex2(r.SenseKey()) + "/" + Hex2(r.Asc()) + "/" + Hex2(r.Ascq());
            break;
        case CommandResult::Kind::AspiStatus:
            s = " result=aspi";
            break;
    }
    const auto& out = e.dataOut;
    if (!out.empty() && out.size() <= kFullHexLimit) {
        s += " out=" + Hex(out.data(), out.size());
    } else if (!out.empty()) {
        s += " out-len=" + std::to_string(out.size()) + " out-crc32=" + Hex8(Crc32(out.data(), out.size())) +
             " out-head=" + Hex(out.data(), std::min<size_t>(out.size(), 8));
    }
    if (e.completion != Completion::None) s += std::string(" done=") + CompletionName(e.completion);
    if (!e.note.empty()) s += " note=\"" + e.note + "\"";
    return s;
}

}  // namespace

std::string Hex(const uint8_t* data, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        s += kDigits[data[i] >> 4];
        s += kDigits[data[i] & 0x0F];
    }
    return s;
}

uint32_t Crc32(const uint8_t* data, size_t length) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string FormatEvent(const AspiEvent& e) {
    const std::string status = " status=" + Hex2(e.status);
    switch (e.kind) {
        case AspiEvent::Kind::SupportInfo:
            return "support-info result=" + Hex8(e.returnValue) + status + " adapters=" + std::to_string(e.haCount);
        case AspiEvent::Kind::HaInquiry:
            return "ha-inquiry ha=" + std::to_string(e.adapter) + status + " count=" + std::to_string(e.haCount);
        case AspiEvent::Kind::GetDevType:
            return "dev-type " + Where(e) + status +
                   (e.status == SS_COMP ? " type=" + Hex2(e.deviceType) : std::string());
        case AspiEvent::Kind::ExecScsi:
            return "exec " + Where(e) + " cdb=" + Hex(e.cdb.data(), e.cdb.size()) +
                   " len=" + std::to_string(e.bufferLength) + " " + DirectionField(e.flags) + status +
                   (e.entry != nullptr ? OutcomeFields(*e.entry) : std::string());
        case AspiEvent::Kind::OtherSrb:
            break;
    }
    return "srb cmd=" + Hex2(e.srbCmd) + status;
}

}  // namespace quillan::sim
