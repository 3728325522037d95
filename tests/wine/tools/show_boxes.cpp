// The program under test of tools_test.sh.
//
//   show_boxes boxes              shows the message boxes of kBoxes one after
//                                 the other; prints "<caption> -> <button id>"
//                                 for each
//   show_boxes read <key> <name>  prints value <name> of HKLM\<key> as
//                                 "dword <n>", "sz <text>", "sz without
//                                 terminator <text>", "no key", "no value"
//                                 or "type <n>"
//   show_boxes volatile <key>     prints whether HKLM\<key> is "volatile",
//                                 "not volatile" or "no key"
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Box {
    bool owned;  // by a window of our own titled "Owner"
    const char* caption;
    const char* text;
    UINT flags;
};

// tools_test.sh expects box_watcher's line for each of these, in this order.
const Box kBoxes[] = {
    {false, "Quillan", "Drive not ready.\nClose the tray and try again.",
     MB_ICONERROR | MB_SYSTEMMODAL},
    {true, "Plain", "No icon here", MB_OK},
    {true, "Careful", "Image C:\\Data\\new.bin\tis 2 MB", MB_ICONWARNING | MB_OKCANCEL},
    {false, "Ask", "Write the image now?", MB_ICONQUESTION | MB_YESNO},
    {true, "Note", "Done.", MB_ICONINFORMATION | MB_RETRYCANCEL},
    // The stock application icon is none of the four message box icons.
    {false, "Custom", "Own icon", MB_USERICON | MB_YESNOCANCEL},
};

int ShowBox(HWND owner, const Box& box) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof(params);
    params.hwndOwner = box.owned ? owner : nullptr;
    params.lpszText = box.text;
    params.lpszCaption = box.caption;
    params.dwStyle = box.flags;
    params.lpszIcon = IDI_APPLICATION;  // only read with MB_USERICON
    return MessageBoxIndirectA(&params);
}

int ShowBoxes() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "ShowBoxesOwner";
    RegisterClassA(&window_class);
    HWND owner = CreateWindowExA(0, "ShowBoxesOwner", "Owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                 100, nullptr, nullptr, window_class.hInstance, nullptr);
    if (owner == nullptr) {
        std::printf("cannot create the owner window\n");
        return 1;
    }
    for (const Box& box : kBoxes) {
        std::printf("%s -> %d\n", box.caption, ShowBox(owner, box));
        std::fflush(stdout);
    }
    DestroyWindow(owner);
    return 0;
}

int Read(const char* key_path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        std::printf("no key\n");
        return 0;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG error = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size + 1, 0);  // room for a missing terminator
    if (error == ERROR_SUCCESS) {
        error = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    if (error == ERROR_FILE_NOT_FOUND) {
        std::printf("no value\n");
    } else if (error != ERROR_SUCCESS) {
        std::printf("error %ld\n", error);
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD value;
        std::memcpy(&value, data.data(), sizeof(value));
        std::printf("dword %lu\n", value);
    } else if (type == REG_SZ && (size == 0 || data[size - 1] != 0)) {
        // Readers that trust the terminator would run past the data.
        std::printf("sz without terminator %s\n", reinterpret_cast<const char*>(data.data()));
    } else if (type == REG_SZ) {
        std::printf("sz %s\n", reinterpret_cast<const char*>(data.data()));
    } else {
        std::printf("type %lu\n", type);
    }
    return 0;
}

// Only a volatile key refuses a non-volatile subkey.
int Volatility(const char* key_path) {
    static const char kProbe[] = "show_boxes probe";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_CREATE_SUB_KEY | DELETE, &key) !=
        ERROR_SUCCESS) {
        std::printf("no key\n");
        return 0;
    }
    HKEY child = nullptr;
    DWORD disposition = 0;
    LONG error = RegCreateKeyExA(key, kProbe, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                                 nullptr, &child, &disposition);
    if (error == ERROR_SUCCESS) {
        RegCloseKey(child);
        if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyA(key, kProbe);
        std::printf("not volatile\n");
    } else if (error == ERROR_CHILD_MUST_BE_VOLATILE) {
        std::printf("volatile\n");
    } else {
        std::printf("error %ld\n", error);
    }
    RegCloseKey(key);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "boxes") == 0) return ShowBoxes();
    if (argc == 4 && std::strcmp(argv[1], "read") == 0) return Read(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "volatile") == 0) return Volatility(argv[2]);
    std::printf("usage: show_boxes boxes | read <key> <name> | volatile <key>\n");
    return 2;
}
