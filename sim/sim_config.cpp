#include "sim/sim_config.h"

#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace quillan::sim {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits a line into words and "quoted strings" (\" and \\ escape), dropping
// a # comment. Returns an empty string or what is wrong.
std::string Lex(const std::string& line, std::vector<Token>& tokens) {
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        Token t;
        if (line[i] == '"') {
            t.quoted = true;
            bool closed = false;
            for (++i; i < line.size();) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                // Only \" and \\ escape, so Windows paths keep their backslashes.
                if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) t.text += line[i++];
                else t.text += c;
            }
            if (!closed) return "unterminated quoted string";
            if (i < line.size() && !IsBlank(line[i]) && line[i] != '#') return "text right after a closing quote";
        } else {
            for (; i < line.size() && !IsBlank(line[i]) && line[i] != '#'; ++i) {
                if (line[i] == '"') return "quote inside a word";
                t.text += line[i];
            }
        }
        tokens.push_back(std::move(t));
    }
    return "";
}

bool ParseCount(const std::string& s, uint32_t max, uint32_t& out) {
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > max) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One byte in hex, "0x" optional: 5, 05, 0x05.
bool ParseHexByte(std::string s, uint8_t& out) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.erase(0, 2);
    if (s.empty() || s.size() > 2) return false;
    int v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v * 16 + d;
    }
    out = static_cast<uint8_t>(v);
    return true;
}

// A byte string in hex, blanks allowed between bytes when quoted: 1D0000 or "1D 00 00".
bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out) {
    std::string digits;
    for (char c : s) {
        if (IsBlank(c)) continue;
        if (HexDigit(c) < 0) return false;
        digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
    return true;
}

// KK/AA/QQ, each hex.
bool ParseSense(const std::string& s, CommandResult& out) {
    uint8_t b[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t slash = s.find('/', start);
        const bool last = i == 2;
        if (last != (slash == std::string::npos)) return false;
        const std::string part = s.substr(start, last ? std::string::npos : slash - start);
        if (part.size() != 2 || !ParseHexByte(part, b[i])) return false;
        start = slash + 1;
    }
    out = CommandResult::Check(b[0], b[1], b[2]);
    return true;
}

bool Printable(const std::string& s) {
    for (char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

class Parser {
public:
    ConfigParse Run(const std::string& text);

private:
    bool Fail(const std::string& what) {
        error_ = what;
        return false;
    }
    bool Line(const std::vector<Token>& t);
    bool Global(const std::vector<Token>& t);
    bool DriveHeader(const std::vector<Token>& t);
    bool DriveSetting(const std::vector<Token>& t);
    bool Text(const std::vector<Token>& t, size_t width, std::string& out);
    bool Fault(const std::vector<Token>& t);

    SimConfig config_;
    int line_ = 0;
    std::string error_;
    std::set<std::string> globalsSeen_;
    std::set<std::string> driveKeysSeen_;
};

ConfigParse Parser::Run(const std::string& text) {
    ConfigParse result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++line_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<Token> tokens;
        error_ = Lex(line, tokens);
        if (error_.empty() && !tokens.empty()) Line(tokens);
        if (!error_.empty()) {
            result.line = line_;
            result.message = "line " + std::to_string(line_) + ": " + error_;
            return result;
        }
    }
    if (config_.adapters) {
        for (const DriveConfig& d : config_.drives) {
            if (d.adapter >= *config_.adapters) {
                result.line = d.line;
                result.message = "line " + std::to_string(d.line) + ": drive on adapter " +
                                 std::to_string(d.adapter) + " but adapters is " +
                                 std::to_string(*config_.adapters);
                return result;
            }
        }
    }
    result.ok = true;
    result.config = std::move(config_);
    return result;
}

bool Parser::Line(const std::vector<Token>& t) {
    const std::string& key = t[0].text;
    if (t[0].quoted) return Fail("setting name must not be quoted");
    if (key == "drive") return DriveHeader(t);
    if (key == "adapters" || key == "support-status" || key == "log" || key == "image-dir") return Global(t);
    if (config_.drives.empty()) {
        static const std::set<std::string> kDriveKeys = {"vendor", "product", "revision", "vendor-specific", "type",
                                                         "disc", "page40", "code", "delay-ms", "fault", "device"};
        if (kDriveKeys.count(key)) return Fail("'" + key + "' outside a drive section");
        return Fail("unknown setting '" + key + "'");
    }
    return DriveSetting(t);
}

bool Parser::Global(const std::vector<Token>& t) {
    const std::string& key = t[0].text;
    if (!config_.drives.empty()) return Fail("global setting '" + key + "' must come before the first drive section");
    if (!globalsSeen_.insert(key).second) return Fail("'" + key + "' given twice");
    if (t.size() != 2) return Fail("'" + key + "' takes one value");
    const std::string& v = t[1].text;
    if (key == "adapters") {
        uint32_t n;
        if (!ParseCount(v, 255, n)) return Fail("adapters must be a number 0..255");
        config_.adapters = static_cast<uint8_t>(n);
    } else if (key == "support-status") {
        uint8_t b;
        if (!ParseHexByte(v, b)) return Fail("support-status must be a hex byte");
        config_.supportStatus = b;
    } else if (v.empty()) {
        return Fail("'" + key + "' needs a path");
    } else if (key == "log") {
        config_.logPath = v;
    } else {
        config_.imageDir = v;
    }
    return true;
}

bool Parser::DriveHeader(const std::vector<Token>& t) {
    if (t.size() != 3) return Fail("expected 'drive <adapter> <target>'");
    uint32_t adapter, target;
    if (!ParseCount(t[1].text, 254, adapter)) return Fail("adapter must be a number 0..254");
    if (!ParseCount(t[2].text, kMaxTargets - 1, target)) return Fail("target must be a number 0..7");
    for (const DriveConfig& d : config_.drives) {
        if (d.adapter == adapter && d.target == target)
            return Fail("drive " + std::to_string(adapter) + " " + std::to_string(target) + " already defined on line " +
                        std::to_string(d.line));
    }
    DriveConfig d;
    d.adapter = static_cast<uint8_t>(adapter);
    d.target = static_cast<uint8_t>(target);
    d.line = line_;
    config_.drives.push_back(std::move(d));
    driveKeysSeen_.clear();
    return true;
}

bool Parser::Text(const std::vector<Token>& t, size_t width, std::string& out) {
    const std::string& key = t[0].text;
    if (t.size() != 2) return Fail("'" + key + "' takes one value (quote texts with blanks)");
    if (!Printable(t[1].text)) return Fail("'" + key + "' must be printable ASCII");
    if (t[1].text.size() > width) return Fail("'" + key + "' is longer than " + std::to_string(width) + " characters");
    out = t[1].text;
    return true;
}

bool Parser::DriveSetting(const std::vector<Token>& t) {
    const std::string& key = t[0].text;
    DriveSettings& s = config_.drives.back().settings;
    if (key == "fault") return Fault(t);
    if (key == "device") {
        std::string& path = config_.drives.back().devicePath;
        return driveKeysSeen_.insert(key).second ? Text(t, 4096, path) : Fail("'device' given twice");
    }
    if (key == "vendor") return driveKeysSeen_.insert(key).second ? Text(t, 8, s.vendor) : Fail("'vendor' given twice");
    if (key == "product") return driveKeysSeen_.insert(key).second ? Text(t, 16, s.product) : Fail("'product' given twice");
    if (key == "revision") return driveKeysSeen_.insert(key).second ? Text(t, 4, s.revision) : Fail("'revision' given twice");
    if (key == "vendor-specific")
        return driveKeysSeen_.insert(key).second ? Text(t, 3, s.vendorSpecific) : Fail("'vendor-specific' given twice");

    static const std::set<std::string> kValueKeys = {"type", "disc", "page40", "code", "delay-ms"};
    if (!kValueKeys.count(key)) return Fail("unknown setting '" + key + "'");
    if (!driveKeysSeen_.insert(key).second) return Fail("'" + key + "' given twice");
    if (t.size() != 2) return Fail("'" + key + "' takes one value");
    const std::string& v = t[1].text;
    if (key == "type") {
        if (!ParseHexByte(v, s.deviceType)) return Fail("type must be a hex byte");
    } else if (key == "disc") {
        if (v != "yes" && v != "no") return Fail("disc must be yes or no");
        s.discLoaded = v == "yes";
    } else if (key == "page40") {
        if (v != "accept" && v != "refuse") return Fail("page40 must be accept or refuse");
        s.page40Accepted = v == "accept";
    } else if (key == "code") {
        if (v == "none" && !t[1].quoted) {
            s.driveCode.clear();
        } else {
            if (v.size() != 3 || !Printable(v)) return Fail("code must be 3 printable characters or none");
            s.driveCode = v;
        }
    } else {
        uint32_t ms;
        if (!ParseCount(v, 600000, ms)) return Fail("delay-ms must be a number 0..600000");
        s.delayMs = ms;
    }
    return true;
}

// fault [command N] [cdb HEX] [data HEX] [match N] (check KK/AA/QQ | aspi HH)
bool Parser::Fault(const std::vector<Token>& t) {
    FaultRule rule;
    std::set<std::string> seen;
    bool haveEffect = false;
    for (size_t i = 1; i < t.size(); i += 2) {
        const std::string& word = t[i].text;
        if (i + 1 >= t.size()) return Fail("fault: '" + word + "' needs a value");
        const std::string& v = t[i + 1].text;
        if ((word == "check" || word == "aspi") && haveEffect) return Fail("fault: give one of check or aspi, once");
        if (!seen.insert(word).second) return Fail("fault: '" + word + "' given twice");
        if (word == "command" || word == "match") {
            uint32_t n;
            if (!ParseCount(v, 0xFFFFFFFFu, n) || n == 0) return Fail("fault: " + word + " must be a number from 1");
            (word == "command" ? rule.commandNumber : rule.matchNumber) = n;
        } else if (word == "cdb" || word == "data") {
            if (!ParseHexBytes(v, word == "cdb" ? rule.cdbPrefix : rule.dataPrefix))
                return Fail("fault: " + word + " must be hex bytes");
        } else if (word == "check") {
            if (!ParseSense(v, rule.result)) return Fail("fault: check must be KK/AA/QQ in hex");
            haveEffect = true;
        } else if (word == "aspi") {
            uint8_t status;
            if (!ParseHexByte(v, status)) return Fail("fault: aspi must be a hex byte");
            rule.result = CommandResult::Aspi(status);
            haveEffect = true;
        } else {
            return Fail("fault: unknown word '" + word + "'");
        }
    }
    if (!haveEffect) return Fail("fault: needs 'check KK/AA/QQ' or 'aspi HH'");
    config_.drives.back().settings.faults.push_back(std::move(rule));
    return true;
}

}  // namespace

ConfigParse ParseSimConfig(const std::string& text) { return Parser().Run(text); }

ConfigParse LoadSimConfig(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in) {
        ConfigParse r;
        r.message = "cannot read " + path;
        return r;
    }
    return ParseSimConfig(text.str());
}

std::unique_ptr<SimAspi> MakeSimAspi(const SimConfig& config) {
    auto aspi = std::make_unique<SimAspi>();
    for (const DriveConfig& d : config.drives) aspi->AddDrive(d.adapter, d.target, d.settings);
    aspi->SetAdapterCount(config.adapters);
    aspi->ForceSupportStatus(config.supportStatus);
    return aspi;
}

}  // namespace quillan::sim
