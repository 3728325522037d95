// One simulated optical drive: answers the commands the flasher sends, logs
// every command, and assembles the firmware it was sent into the image it
// would flash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_fault.h"
#include "sim/sim_result.h"

namespace quillan::sim {

constexpr size_t kInquiryLength = 96;
constexpr size_t kDriveCodeReplyLength = 8;
constexpr size_t kDiagnosticResultsLength = 8;
constexpr size_t kSingleCommandLength = 1024;

struct DriveSettings {
    uint8_t deviceType = 0x05;  // INQUIRY byte 0: qualifier and device type
    std::string vendor = "QUILLAN";            // up to 8 chars, blank-padded
    std::string product = "SIMULATED DRIVE";   // up to 16
    std::string revision = "1.00";             // up to 4
    std::string vendorSpecific;                // up to 3 (INQUIRY bytes 36-38)
    bool discLoaded = true;
    bool page40Accepted = true;
    std::string driveCode;  // 3 chars answered by READ DRIVE CODE; empty: the drive has none
    uint8_t driveCodeTag = 0x06;  // reply byte 1 that says a code follows
    uint32_t delayMs = 0;   // sleep before answering each command
    // false: keep neither out-data in the log nor the chunked image, only its
    // length (for measuring the program's own time and memory).
    bool keepData = true;
    std::vector<FaultRule> faults;
};

class SimDrive {
public:
    explicit SimDrive(DriveSettings settings = {});

    // Runs one command. data holds transferLength bytes (read for Out, written
    // for In; never beyond transferLength).
    CommandResult Execute(const uint8_t* cdb, size_t cdbLength, uint8_t* data,
                          uint32_t transferLength, Direction direction);

    const DriveSettings& Settings() const { return settings_; }
    std::array<uint8_t, kInquiryLength> InquiryData() const;
    bool DiscLoaded() const { return discLoaded_; }
    const std::vector<LogEntry>& Log() const { return log_; }

    // The firmware image assembled from FLASH DOWNLOAD chunks or 0xC0 blocks
    // (block n at (n-1)*32768; blocks never sent read as zeros).
    const std::vector<uint8_t>& Image() const { return image_; }
    // 32 KB boot block assembled from 0xD9 pieces (empty before the first piece).
    const std::vector<uint8_t>& BootBlock() const { return bootBlock_; }
    // The 1024 bytes of the last single-command download.
    const std::vector<uint8_t>& SingleCommandData() const { return singleData_; }

    uint32_t Completions(Completion c) const { return completions_[static_cast<size_t>(c)]; }
    Completion LastCompletion() const { return lastCompletion_; }
    bool ChunkedDownloadOpen() const { return chunkedOpen_; }
    bool PageDownloadOpen() const { return pageOpen_; }
    // Block numbers of the open (or last) 0xC0 download, in arrival order.
    const std::vector<uint8_t>& PageBlocks() const { return pageBlocks_; }
    size_t BootPiecesReceived() const { return bootPieces_; }
    // Bytes of the chunked image as it arrived (with keepData or not).
    uint64_t StreamedBytes() const { return streamedBytes_; }
    // Accepted flash pages per function code.
    uint32_t FlashPageCount(uint8_t function) const { return pageCounts_[function]; }

private:
    struct Outcome {
        CommandResult result;
        Completion completion = Completion::None;
        const char* note = "";
    };
    struct Command {
        const uint8_t* cdb;
        size_t cdbLength;
        uint8_t* data;
        uint32_t length;
        Direction direction;
    };

    static Outcome Refuse(uint8_t asc, const char* why);  // ILLEGAL REQUEST
    Outcome Dispatch(const Command& c);
    Outcome Inquiry(const Command& c);
    Outcome TestUnitReady(const Command& c);
    Outcome StartStop(const Command& c);
    Outcome SendDiagnostic(const Command& c);
    Outcome ReceiveDiagnostic(const Command& c);
    Outcome FlashDownload(const Command& c);
    Outcome ReadDriveCode(const Command& c);
    Outcome FlashPage(const uint8_t* page, size_t length);
    void StartChunked();
    void AppendChunk(const uint8_t* data, uint32_t length);

    DriveSettings settings_;
    FaultInjector faults_;
    std::vector<LogEntry> log_;
    bool discLoaded_;

    std::vector<uint8_t> image_;
    std::vector<uint8_t> bootBlock_;
    std::vector<uint8_t> singleData_;
    std::vector<bool> bootPieceSeen_;
    size_t bootPieces_ = 0;
    bool chunkedOpen_ = false;
    uint32_t chunkSize_ = 0;
    bool pageOpen_ = false;
    std::vector<uint8_t> pageBlocks_;
    std::array<uint32_t, kCompletionKinds> completions_{};
    Completion lastCompletion_ = Completion::None;
    std::array<uint32_t, 256> pageCounts_{};
    uint64_t streamedBytes_ = 0;
};

}  // namespace quillan::sim
