// reg_volatile <key under HKLM> <value name> <dword|sz> <value>
// reg_volatile <key under HKLM> -
//
// Test helper: creates each missing level of HKEY_LOCAL_MACHINE\<key> as a
// volatile key and sets one value in it; with "-" as the value name it only
// creates the key, so that tests can have "key present, value missing".
// Wine keeps HKLM\Hardware volatile and a volatile key takes only volatile
// subkeys, which is why `wine reg add` cannot create keys there. Levels that
// already exist are opened as they are. Volatile keys last until the
// wineserver exits.
//
// A dword is decimal or 0x-prefixed hex. All arguments are checked before the
// registry is touched. Prints nothing on success; otherwise says why on
// stderr and exits 1 (2 for bad arguments).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class ValueType { kNone, kDword, kString };

struct Request {
    std::vector<std::string> levels;
    std::string value_name;
    ValueType type = ValueType::kNone;
    DWORD dword = 0;
    std::string text;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: reg_volatile <key under HKLM> <value name> <dword|sz> <value>\n"
                 "       reg_volatile <key under HKLM> -\n");
}

bool SplitKey(const std::string& path, std::vector<std::string>* levels) {
    size_t begin = 0;
    while (true) {
        size_t end = path.find('\\', begin);
        std::string level = path.substr(begin, end == std::string::npos ? end : end - begin);
        if (level.empty()) return false;  // leading, trailing or doubled backslash
        levels->push_back(level);
        if (end == std::string::npos) return true;
        begin = end + 1;
    }
}

// strtoul would take a sign, blanks and octal; a test value must be exact.
bool ParseDword(const char* text, DWORD* out) {
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (*text == '\0') return false;
    std::uint64_t value = 0;
    for (; *text != '\0'; ++text) {
        unsigned digit;
        char c = *text;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return false;
    }
    *out = static_cast<DWORD>(value);
    return true;
}

bool ParseArguments(int argc, char** argv, Request* request) {
    if (argc < 3 || !SplitKey(argv[1], &request->levels)) return false;
    request->value_name = argv[2];
    if (request->value_name == "-") return argc == 3;
    if (argc != 5) return false;
    if (std::strcmp(argv[3], "dword") == 0) {
        request->type = ValueType::kDword;
        return ParseDword(argv[4], &request->dword);
    }
    if (std::strcmp(argv[3], "sz") == 0) {
        request->type = ValueType::kString;
        request->text = argv[4];
        return true;
    }
    return false;
}

std::string ErrorText(LONG error) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(error), 0, text, sizeof(text),
                                  nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.')) {
        --length;
    }
    return std::string(text, length) + " (error " + std::to_string(error) + ")";
}

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY get() const { return key_; }
    void Reset(HKEY key) {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = key;
    }

private:
    HKEY key_ = nullptr;
};

int Fail(const std::string& what, LONG error) {
    std::fprintf(stderr, "reg_volatile: %s: %s\n", what.c_str(), ErrorText(error).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    if (!ParseArguments(argc, argv, &request)) {
        Usage();
        return 2;
    }

    Key key;
    std::string path = "HKLM";
    for (const std::string& level : request.levels) {
        path += '\\' + level;
        HKEY parent = key.get() != nullptr ? key.get() : HKEY_LOCAL_MACHINE;
        HKEY child = nullptr;
        LONG error = RegCreateKeyExA(parent, level.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                     KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &child, nullptr);
        if (error != ERROR_SUCCESS) return Fail("cannot create " + path, error);
        key.Reset(child);
    }

    LONG error = ERROR_SUCCESS;
    if (request.type == ValueType::kDword) {
        error = RegSetValueExA(key.get(), request.value_name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&request.dword), sizeof(DWORD));
    } else if (request.type == ValueType::kString) {
        error = RegSetValueExA(key.get(), request.value_name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(request.text.c_str()),
                               static_cast<DWORD>(request.text.size() + 1));
    }
    if (error != ERROR_SUCCESS) {
        return Fail("cannot set " + path + "\\" + request.value_name, error);
    }
    return 0;
}
