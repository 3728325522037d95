// What one command did, as the host sees it, and the record the drive keeps of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillan::sim {

constexpr size_t kSenseLength = 18;

// Sense keys and additional sense codes the simulated drive reports.
constexpr uint8_t kKeyNotReady = 0x02;
constexpr uint8_t kKeyIllegalRequest = 0x05;
constexpr uint8_t kAscInvalidOpcode = 0x20;
constexpr uint8_t kAscInvalidFieldInCdb = 0x24;
constexpr uint8_t kAscInvalidFieldInParameters = 0x26;
constexpr uint8_t kAscSequenceError = 0x2C;
constexpr uint8_t kAscMediumNotPresent = 0x3A;

enum class Direction : uint8_t { In, Out };  // In: drive to host

struct CommandResult {
    enum class Kind : uint8_t { Good, CheckCondition, AspiStatus };
    Kind kind = Kind::Good;
    std::array<uint8_t, kSenseLength> sense{};  // fixed-format sense, CheckCondition only
    uint8_t aspiStatus = 0;                     // SRB_Status to report, AspiStatus only
    uint32_t bytesIn = 0;                       // bytes written into the host's buffer

    static CommandResult Good(uint32_t bytesIn = 0) {
        CommandResult r;
        r.bytesIn = bytesIn;
        return r;
    }
    static CommandResult Check(uint8_t key, uint8_t asc, uint8_t ascq) {
        CommandResult r;
        r.kind = Kind::CheckCondition;
        r.sense[0] = 0x70;  // current error, fixed format
        r.sense[2] = key;
        r.sense[7] = kSenseLength - 8;  // additional sense length
        r.sense[12] = asc;
        r.sense[13] = ascq;
        return r;
    }
    static CommandResult Aspi(uint8_t status) {
        CommandResult r;
        r.kind = Kind::AspiStatus;
        r.aspiStatus = status;
        return r;
    }
    uint8_t SenseKey() const { return sense[2] & 0x0F; }
    uint8_t Asc() const { return sense[12]; }
    uint8_t Ascq() const { return sense[13]; }
};

// Which download a command finished, if any.
enum class Completion : uint8_t { None, LastChunk, SingleCommand, PageClosing, BootBlock };
constexpr size_t kCompletionKinds = 5;

const char* CompletionName(Completion c);

// One command as the drive received it.
struct LogEntry {
    uint32_t number = 0;             // 1-based position among all commands
    std::vector<uint8_t> cdb;        // exactly the bytes sent (its length is the CDB length)
    uint32_t transferLength = 0;
    Direction direction = Direction::In;
    std::vector<uint8_t> dataOut;    // copy of the out-data; empty for data in
    CommandResult result;
    bool faulted = false;            // result came from a fault rule
    Completion completion = Completion::None;
    std::string note;                // why the drive refused it (empty when good)
};

}  // namespace quillan::sim
