#include "sim/sim_drive.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "sim/sim_flash_page.h"

namespace quillan::sim {

namespace {

constexpr uint8_t kOpTestUnitReady = 0x00;
constexpr uint8_t kOpInquiry = 0x12;
constexpr uint8_t kOpStartStop = 0x1B;
constexpr uint8_t kOpReceiveDiagnostic = 0x1C;
constexpr uint8_t kOpSendDiagnostic = 0x1D;
constexpr uint8_t kOpVendor = 0xFF;
constexpr uint8_t kVendorFlashDownload = 0x01;
constexpr uint8_t kVendorReadCode = 0xFF;
constexpr size_t kBootPieces = kBootBlockSize / kBootPieceSize;

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool AllZero(const uint8_t* p, size_t n) {
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

// Six-byte commands may also arrive padded with zeros to 12 bytes.
bool Group0Length(const uint8_t* cdb, size_t length) {
    return length == 6 || (length == 12 && AllZero(cdb + 6, 6));
}

void PutText(uint8_t* dst, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) dst[i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
}

}  // namespace

SimDrive::SimDrive(DriveSettings settings)
    : settings_(std::move(settings)), faults_(settings_.faults), discLoaded_(settings_.discLoaded) {}

std::array<uint8_t, kInquiryLength> SimDrive::InquiryData() const {
    std::array<uint8_t, kInquiryLength> d{};
    d[0] = settings_.deviceType;
    d[1] = 0x80;  // removable medium
    d[4] = kInquiryLength - 5;
    PutText(&d[8], settings_.vendor, 8);
    PutText(&d[16], settings_.product, 16);
    PutText(&d[32], settings_.revision, 4);
    PutText(&d[36], settings_.vendorSpecific, 3);
    return d;
}

CommandResult SimDrive::Execute(const uint8_t* cdb, size_t cdbLength, uint8_t* data,
                                uint32_t transferLength, Direction direction) {
    LogEntry entry;
    entry.number = static_cast<uint32_t>(log_.size() + 1);
    if (cdb != nullptr) entry.cdb.assign(cdb, cdb + cdbLength);
    entry.transferLength = transferLength;
    entry.direction = direction;
    if (direction == Direction::Out && data != nullptr && settings_.keepData)
        entry.dataOut.assign(data, data + transferLength);

    if (settings_.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(settings_.delayMs));

    const bool hasOut = direction == Direction::Out && data != nullptr;
    const uint8_t* out = hasOut ? data : nullptr;
    if (auto fault = faults_.Check(entry.number, cdb, cdb ? cdbLength : 0, out, hasOut ? transferLength : 0)) {
        entry.result = *fault;
        entry.faulted = true;
        entry.note = "injected fault";
    } else {
        Outcome o = Dispatch(Command{cdb, cdb ? cdbLength : 0, data, transferLength, direction});
        entry.result = o.result;
        entry.completion = o.completion;
        entry.note = o.note;
        if (o.completion != Completion::None) {
            ++completions_[static_cast<size_t>(o.completion)];
            lastCompletion_ = o.completion;
        }
    }
    log_.push_back(std::move(entry));
    return log_.back().result;
}

SimDrive::Outcome SimDrive::Refuse(uint8_t asc, const char* why) {
    return Outcome{CommandResult::Check(kKeyIllegalRequest, asc, 0), Completion::None, why};
}

SimDrive::Outcome SimDrive::Dispatch(const Command& c) {
    if (c.cdbLength == 0) return Refuse(kAscInvalidOpcode, "empty CDB");
    if (c.length > 0 && c.data == nullptr) return Refuse(kAscInvalidFieldInCdb, "no data buffer");
    switch (c.cdb[0]) {
        case kOpInquiry: return Inquiry(c);
        case kOpTestUnitReady: return TestUnitReady(c);
        case kOpStartStop: return StartStop(c);
        case kOpSendDiagnostic: return SendDiagnostic(c);
        case kOpReceiveDiagnostic: return ReceiveDiagnostic(c);
        case kOpVendor:
            if (c.cdbLength >= 3 && c.cdb[2] == kVendorFlashDownload) return FlashDownload(c);
            if (c.cdbLength >= 3 && c.cdb[2] == kVendorReadCode) return ReadDriveCode(c);
            break;
        default: break;
    }
    return Refuse(kAscInvalidOpcode, "unsupported command");
}

SimDrive::Outcome SimDrive::Inquiry(const Command& c) {
    if (!Group0Length(c.cdb, c.cdbLength)) return Refuse(kAscInvalidFieldInCdb, "bad CDB length");
    if (c.cdb[1] != 0 || c.cdb[2] != 0 || c.cdb[5] != 0) return Refuse(kAscInvalidFieldInCdb, "EVPD, page or control set");
    if (c.length > 0 && c.direction != Direction::In) return Refuse(kAscInvalidFieldInCdb, "data direction must be in");
    const auto reply = InquiryData();
    const size_t n = std::min<size_t>({Be16(c.cdb + 3), c.length, reply.size()});
    if (n > 0) std::memcpy(c.data, reply.data(), n);
    return Outcome{CommandResult::Good(static_cast<uint32_t>(n))};
}

SimDrive::Outcome SimDrive::TestUnitReady(const Command& c) {
    if (!Group0Length(c.cdb, c.cdbLength) || !AllZero(c.cdb + 1, 5)) return Refuse(kAscInvalidFieldInCdb, "bad TEST UNIT READY CDB");
    if (c.length != 0) return Refuse(kAscInvalidFieldInCdb, "TEST UNIT READY carries no data");
    if (!discLoaded_) return Outcome{CommandResult::Check(kKeyNotReady, kAscMediumNotPresent, 0), Completion::None, "no disc"};
    return Outcome{CommandResult::Good()};
}

SimDrive::Outcome SimDrive::StartStop(const Command& c) {
    if (!Group0Length(c.cdb, c.cdbLength) || !AllZero(c.cdb + 1, 3) || c.cdb[4] > 0x03 || c.cdb[5] != 0)
        return Refuse(kAscInvalidFieldInCdb, "bad START STOP UNIT CDB");
    if (c.length != 0) return Refuse(kAscInvalidFieldInCdb, "START STOP UNIT carries no data");
    if (c.cdb[4] == 0x02) discLoaded_ = false;  // LoEj without Start: eject
    if (c.cdb[4] == 0x03) discLoaded_ = true;   // LoEj with Start: load
    return Outcome{CommandResult::Good()};
}

SimDrive::Outcome SimDrive::SendDiagnostic(const Command& c) {
    if (!Group0Length(c.cdb, c.cdbLength) || c.cdb[1] != 0 || c.cdb[2] != 0 || c.cdb[5] != 0)
        return Refuse(kAscInvalidFieldInCdb, "bad SEND DIAGNOSTIC CDB");
    if (Be16(c.cdb + 3) != c.length) return Refuse(kAscInvalidFieldInParameters, "parameter list length differs from transfer length");
    if (c.length > 0 && c.direction != Direction::Out) return Refuse(kAscInvalidFieldInCdb, "data direction must be out");
    return FlashPage(c.data, c.length);
}

SimDrive::Outcome SimDrive::FlashPage(const uint8_t* data, size_t length) {
    const FlashPageParse parsed = ParseFlashPage(data, length);
    if (!parsed.ok) return Refuse(kAscInvalidFieldInParameters, parsed.error);
    const quillan::sim::FlashPage& page = parsed.page;
    Completion done = Completion::None;

    switch (page.function) {
        case flash::kPageIdentify:
            if (!settings_.page40Accepted) return Refuse(kAscInvalidFieldInParameters, "drive refuses page 0x40");
            break;
        case flash::kPageBlock: {
            const uint8_t block = static_cast<uint8_t>(page.argument >> 8);
            if (block == 0) {
                if (!pageOpen_) return Refuse(kAscSequenceError, "0xC0 closing without blocks");
                pageOpen_ = false;
                done = Completion::PageClosing;
                break;
            }
            if (!pageOpen_) {  // first block of a new download
                image_.clear();
                pageBlocks_.clear();
                pageOpen_ = true;
                chunkedOpen_ = false;
            }
            const size_t offset = (block - size_t{1}) * kFlashBlockSize;
            if (image_.size() < offset + kFlashBlockSize) image_.resize(offset + kFlashBlockSize, 0);
            std::memcpy(image_.data() + offset, page.payload, kFlashBlockSize);
            pageBlocks_.push_back(block);
            break;
        }
        case flash::kPageBootPiece: {
            if (bootPieceSeen_.empty() || bootPieces_ == kBootPieces) {  // first piece of a new boot block
                bootBlock_.assign(kBootBlockSize, 0);
                bootPieceSeen_.assign(kBootPieces, false);
                bootPieces_ = 0;
            }
            const size_t offset = page.argument - size_t{kBootAddressBase};
            std::memcpy(bootBlock_.data() + offset, page.payload, kBootPieceSize);
            if (!bootPieceSeen_[offset / kBootPieceSize]) {
                bootPieceSeen_[offset / kBootPieceSize] = true;
                if (++bootPieces_ == kBootPieces) done = Completion::BootBlock;
            }
            break;
        }
        default:  // 0xF0, 0xDC, 0xDB, 0xD8: steps with nothing to assemble
            break;
    }
    ++pageCounts_[page.function];
    return Outcome{CommandResult::Good(), done};
}

SimDrive::Outcome SimDrive::ReceiveDiagnostic(const Command& c) {
    if (!Group0Length(c.cdb, c.cdbLength) || c.cdb[1] != 0 || c.cdb[2] != 0 || c.cdb[5] != 0)
        return Refuse(kAscInvalidFieldInCdb, "bad RECEIVE DIAGNOSTIC RESULTS CDB");
    if (c.length > 0 && c.direction != Direction::In) return Refuse(kAscInvalidFieldInCdb, "data direction must be in");
    const size_t n = std::min<size_t>({Be16(c.cdb + 3), c.length, kDiagnosticResultsLength});
    if (n > 0) std::memset(c.data, 0, n);
    return Outcome{CommandResult::Good(static_cast<uint32_t>(n))};
}

SimDrive::Outcome SimDrive::FlashDownload(const Command& c) {
    if (c.cdbLength != 12 || c.cdb[1] != 0 || c.cdb[3] != 0 || c.cdb[4] != 0 || !AllZero(c.cdb + 6, 3) ||
        c.cdb[10] != 0 || c.cdb[11] != 0)
        return Refuse(kAscInvalidFieldInCdb, "bad FLASH DOWNLOAD CDB");
    if (c.length > 0 && c.direction != Direction::Out) return Refuse(kAscInvalidFieldInCdb, "data direction must be out");
    const uint8_t size = c.cdb[5];
    const uint8_t mode = c.cdb[9];

    if (mode == 0xF0) {
        if (size != 0x01 || c.length != kSingleCommandLength) return Refuse(kAscInvalidFieldInCdb, "single-command download must carry 1 KB");
        singleData_.assign(c.data, c.data + kSingleCommandLength);
        return Outcome{CommandResult::Good(), Completion::SingleCommand};
    }
    if (mode != 0x00) return Refuse(kAscInvalidFieldInCdb, "unknown download mode");

    if (size == 0x00) {
        if (c.length == 0 || c.length % 1024 != 0) return Refuse(kAscInvalidFieldInCdb, "first chunk not a multiple of 1 KB");
        StartChunked();
        AppendChunk(c.data, c.length);
        pageOpen_ = false;
        pageBlocks_.clear();
        chunkedOpen_ = true;
        chunkSize_ = c.length;
        return Outcome{CommandResult::Good()};
    }
    if (size == 0xFF) {
        if (!chunkedOpen_) return Refuse(kAscSequenceError, "middle chunk without a first chunk");
        if (c.length != chunkSize_) return Refuse(kAscInvalidFieldInCdb, "middle chunk size differs from first chunk");
        AppendChunk(c.data, c.length);
        return Outcome{CommandResult::Good()};
    }
    if (c.length != size * 1024u) return Refuse(kAscInvalidFieldInCdb, "last chunk length differs from its size in KB");
    if (!chunkedOpen_) {  // the whole image in one command
        StartChunked();
        pageOpen_ = false;
        pageBlocks_.clear();
    }
    AppendChunk(c.data, c.length);
    chunkedOpen_ = false;
    return Outcome{CommandResult::Good(), Completion::LastChunk};
}

void SimDrive::StartChunked() {
    image_.clear();
    streamedBytes_ = 0;
}

void SimDrive::AppendChunk(const uint8_t* data, uint32_t length) {
    if (settings_.keepData) image_.insert(image_.end(), data, data + length);
    streamedBytes_ += length;
}

SimDrive::Outcome SimDrive::ReadDriveCode(const Command& c) {
    static const uint8_t kCdb[12] = {0xFF, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA};
    if (c.cdbLength != sizeof kCdb || std::memcmp(c.cdb, kCdb, sizeof kCdb) != 0)
        return Refuse(kAscInvalidFieldInCdb, "bad READ DRIVE CODE CDB");
    if (c.length > 0 && c.direction != Direction::In) return Refuse(kAscInvalidFieldInCdb, "data direction must be in");
    if (settings_.driveCode.size() != 3) return Refuse(kAscInvalidOpcode, "drive has no code");
    const uint8_t reply[kDriveCodeReplyLength] = {0x00, settings_.driveCodeTag, 0x00, 0x00,
                                                  static_cast<uint8_t>(settings_.driveCode[0]),
                                                  static_cast<uint8_t>(settings_.driveCode[1]),
                                                  static_cast<uint8_t>(settings_.driveCode[2]), 0x00};
    const size_t n = std::min<size_t>(c.length, sizeof reply);
    if (n > 0) std::memcpy(c.data, reply, n);
    return Outcome{CommandResult::Good(static_cast<uint32_t>(n))};
}

}  // namespace quillan::sim
