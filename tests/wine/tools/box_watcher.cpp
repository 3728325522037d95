// box_watcher <logfile> [seconds]
//
// Test helper for the Wine session: watches the message boxes of every
// process (visible top-level windows of class "#32770"), appends one line per
// new box to <logfile> and then presses the box's first button so that the
// program under test carries on. Exits after [seconds] (default 60) or as
// soon as a file named <logfile>.stop exists. Exit status: 0, 1 when the log
// cannot be written, 2 for bad arguments.
//
// Log line, fields separated by one TAB, ended by "\n", written with a single
// WriteFile so that a killed watcher never leaves half a line behind:
//
//   <caption> TAB <text> TAB icon=<kind> TAB topmost=<0|1> TAB owner=<owner>
//
//   caption  the box's title
//   text     the message (the static control with id 0xFFFF)
//   kind     none | error | warning | information | question | unknown
//   topmost  1 when the box has WS_EX_TOPMOST (MB_SYSTEMMODAL does that)
//   owner    "none", or the title of the box's owner window
//
// In caption, text and owner a backslash is written as \\, a newline as \n,
// a carriage return as \r and a TAB as \t. The button pressed is the first
// visible "Button" child in z-order, on Windows and on Wine the leftmost.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 1000;  // a hung program must not hang us
constexpr int kIconAttempts = 20;      // ~1 s for the box to paint its icon
constexpr int kMaxIconSide = 256;
constexpr double kMaxIconMeanDiff = 2.0;  // Wine's information and question icons differ by ~9
constexpr size_t kMaxTextLength = 65536;
constexpr unsigned long kMaxSeconds = 86400;

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c; break;
        }
    }
    return out;
}

std::string ClassName(HWND window) {
    char name[64];
    int length = GetClassNameA(window, name, sizeof(name));
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// GetWindowText reads a foreign window's title without sending it a message.
std::string Title(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

// A control's text comes from its own thread: ask with a time limit.
std::string ControlText(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
        return std::string();
    }
    if (length == 0) return std::string();
    if (length > kMaxTextLength) length = kMaxTextLength;
    std::vector<char> buffer(length + 1);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got)) {
        return std::string();
    }
    if (got > length) got = length;
    return std::string(buffer.data(), got);
}

bool IsClass(HWND window, const char* name) {
    return lstrcmpiA(ClassName(window).c_str(), name) == 0;
}

HWND FirstButton(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && IsClass(child, "Button")) return child;
    }
    return nullptr;
}

// Windows gives the icon id 0x14, Wine 1088: look for the SS_ICON static.
HWND IconControl(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (IsClass(child, "Static") && (style & SS_TYPEMASK) == SS_ICON) return child;
    }
    return nullptr;
}

struct StockIcon {
    LPCSTR id;
    const char* kind;
};

const StockIcon kStockIcons[] = {
    {IDI_HAND, "error"},
    {IDI_EXCLAMATION, "warning"},
    {IDI_ASTERISK, "information"},
    {IDI_QUESTION, "question"},
};

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (dc_ != nullptr) bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap_ != nullptr) {
            old_ = SelectObject(dc_, bitmap_);
            bits_ = static_cast<const DWORD*>(bits);
        }
    }
    ~Canvas() {
        if (old_ != nullptr) SelectObject(dc_, old_);
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return bits_ != nullptr; }
    size_t size() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }
    DWORD rgb(size_t index) const { return index < size() ? bits_[index] & 0xFFFFFFu : 0; }

    void DrawIcon(HICON icon, COLORREF background) {
        RECT all = {0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc_, 0, 0, icon, width_, height_, 0, nullptr, DI_NORMAL);
        GdiFlush();
    }

    bool CopyScreen(const RECT& area) {
        HDC screen = GetDC(nullptr);
        if (screen == nullptr) return false;
        BOOL copied = BitBlt(dc_, 0, 0, width_, height_, screen, area.left, area.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        return copied != FALSE;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const DWORD* bits_ = nullptr;
};

// A stock icon drawn on black and on white: where the two agree, the icon
// covers the pixel fully.
struct Reference {
    Reference(const StockIcon& stock, int width, int height)
        : kind(stock.kind), on_black(width, height), on_white(width, height) {
        HICON icon = LoadIconA(nullptr, stock.id);
        if (icon == nullptr || !on_black.ok() || !on_white.ok()) return;
        on_black.DrawIcon(icon, RGB(0, 0, 0));
        on_white.DrawIcon(icon, RGB(255, 255, 255));
        usable = true;
    }
    const char* kind;
    Canvas on_black;
    Canvas on_white;
    bool usable = false;
};

int Channel(DWORD rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Mean difference per channel over the pixels the stock icon covers fully;
// negative when it covers too few to tell.
double IconDifference(const Canvas& screen, const Reference& reference) {
    const Canvas& on_black = reference.on_black;
    const Canvas& on_white = reference.on_white;
    long long total = 0;
    size_t covered = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
        if (on_black.rgb(i) != on_white.rgb(i)) continue;
        ++covered;
        for (int shift = 0; shift < 24; shift += 8) {
            total += std::abs(Channel(on_black.rgb(i), shift) - Channel(screen.rgb(i), shift));
        }
    }
    if (covered * 8 < screen.size()) return -1.0;
    return static_cast<double>(total) / (3.0 * static_cast<double>(covered));
}

// Wine keeps a per-process copy of the stock icons and refuses icon handles of
// other processes, so the handles never match there: compare what is on the
// screen with each stock icon drawn at the control's size instead.
const char* IconKindFromPixels(HWND box, HWND control) {
    RECT area;
    if (!GetWindowRect(control, &area)) return "unknown";
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide) return "unknown";

    std::vector<std::unique_ptr<Reference>> references;
    for (const StockIcon& stock : kStockIcons) {
        references.push_back(std::make_unique<Reference>(stock, width, height));
    }

    Canvas screen(width, height);
    if (!screen.ok()) return "unknown";
    for (int attempt = 0; attempt < kIconAttempts; ++attempt) {
        // Another window may cover the box; it is about to be closed anyway.
        if (attempt == 1) {
            SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
        if (attempt > 0) Sleep(kPollMs);
        if (!GetWindowRect(control, &area) || !screen.CopyScreen(area)) continue;
        const char* best = nullptr;
        double best_difference = 0.0;
        for (const auto& reference : references) {
            if (!reference->usable) continue;
            double difference = IconDifference(screen, *reference);
            if (difference < 0.0) continue;
            if (best == nullptr || difference < best_difference) {
                best = reference->kind;
                best_difference = difference;
            }
        }
        if (best != nullptr && best_difference <= kMaxIconMeanDiff) return best;
    }
    return "unknown";
}

const char* IconKind(HWND box) {
    HWND control = IconControl(box);
    if (control == nullptr) return "none";
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &icon)) {
        return "unknown";
    }
    if (icon == 0) return "none";
    // On Windows the stock icons are shared by all processes.
    for (const StockIcon& stock : kStockIcons) {
        if (reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, stock.id)) == icon) return stock.kind;
    }
    return IconKindFromPixels(box, control);
}

std::string Describe(HWND box) {
    std::string line = Escape(Title(box));
    line += '\t';
    HWND text = GetDlgItem(box, 0xFFFF);
    line += Escape(text != nullptr ? ControlText(text) : std::string());
    // Read before IconKind, which may raise the box to the top.
    bool topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    HWND owner = GetWindow(box, GW_OWNER);
    line += "\ticon=";
    line += IconKind(box);
    line += topmost ? "\ttopmost=1" : "\ttopmost=0";
    line += "\towner=";
    line += owner != nullptr ? Escape(Title(owner)) : std::string("none");
    line += '\n';
    return line;
}

// Posted, not sent: the box's dialog procedure acts on it like a click.
void PressFirstButton(HWND box) {
    HWND button = FirstButton(box);
    if (button == nullptr) return;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// Returns 0 or the Win32 error. Opening per line keeps each line flushed.
DWORD Append(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = 0;
    DWORD written = 0;
    if (!text.empty() &&
        !WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        error = GetLastError();
    } else if (written != text.size()) {
        error = ERROR_WRITE_FAULT;
    }
    CloseHandle(file);
    return error;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM boxes) {
    if (IsWindowVisible(window) && ClassName(window) == "#32770") {
        reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
    }
    return TRUE;
}

bool ParseSeconds(const char* text, unsigned long* seconds) {
    if (text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0' || value == 0 || value > kMaxSeconds) return false;
    *seconds = value;
    return true;
}

bool Contains(const std::vector<HWND>& windows, HWND window) {
    for (HWND known : windows) {
        if (known == window) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long seconds = 60;
    if (argc < 2 || argc > 3 || (argc == 3 && !ParseSeconds(argv[2], &seconds))) {
        std::fprintf(stderr, "usage: box_watcher <logfile> [seconds 1..%lu]\n", kMaxSeconds);
        return 2;
    }
    const std::string log = argv[1];
    const std::string stop = log + ".stop";
    if (DWORD error = Append(log, std::string())) {
        std::fprintf(stderr, "box_watcher: cannot open %s (error %lu)\n", log.c_str(), error);
        return 1;
    }

    const DWORD start = GetTickCount();
    std::vector<HWND> handled;
    while (GetTickCount() - start < seconds * 1000) {
        if (GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        // Forget closed boxes so that a reused handle counts as a new box.
        std::vector<HWND> alive;
        for (HWND box : handled) {
            if (IsWindow(box)) alive.push_back(box);
        }
        handled.swap(alive);

        std::vector<HWND> boxes;
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            if (Contains(handled, box)) continue;
            handled.push_back(box);
            if (DWORD error = Append(log, Describe(box))) {
                std::fprintf(stderr, "box_watcher: cannot write %s (error %lu)\n", log.c_str(),
                             error);
                return 1;
            }
            PressFirstButton(box);
        }
        Sleep(kPollMs);
    }
    return 0;
}
