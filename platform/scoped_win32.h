// Owners of what Win32 calls hand out: each gives its resource back on every
// way out of the scope that took it, so that no early return leaks one.
#pragma once

#include <windows.h>

namespace quillan {

// Holds one resource of a kind: `Kind::Close` gives it back, `Kind::Holds`
// tells a resource from the value the creating call fails with.
template <typename Handle, typename Kind>
class ScopedWin32 {
public:
    ScopedWin32() = default;
    explicit ScopedWin32(Handle handle) : handle_(handle) {}
    ~ScopedWin32() { Reset(); }
    ScopedWin32(const ScopedWin32&) = delete;
    ScopedWin32& operator=(const ScopedWin32&) = delete;

    Handle Get() const { return handle_; }
    bool Valid() const { return Kind::Holds(handle_); }
    // Gives back the one held, if any, and holds `handle` instead.
    void Reset(Handle handle = Handle()) {
        if (Valid()) Kind::Close(handle_);
        handle_ = handle;
    }
    // Hands the resource to whoever owns it from now on (the system, often).
    Handle Release() {
        const Handle released = handle_;
        handle_ = Handle();
        return released;
    }

private:
    Handle handle_ = Handle();
};

struct KernelHandleKind {
    // Some calls fail with NULL, others (Toolhelp, CreateFile) with
    // INVALID_HANDLE_VALUE: neither is closed.
    static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct RegistryKeyKind {
    static bool Holds(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};

struct GdiObjectKind {
    static bool Holds(HGDIOBJ object) { return object != nullptr; }
    static void Close(HGDIOBJ object) { DeleteObject(object); }
};

struct MemoryDcKind {
    static bool Holds(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};

using ScopedHandle = ScopedWin32<HANDLE, KernelHandleKind>;
using ScopedRegistryKey = ScopedWin32<HKEY, RegistryKeyKind>;
// A pen, brush, font, bitmap or region that nobody else owns.
template <typename Object>
using ScopedGdiObject = ScopedWin32<Object, GdiObjectKind>;
// A DC made with CreateCompatibleDC.
using ScopedMemoryDc = ScopedWin32<HDC, MemoryDcKind>;

// An object selected into a DC for a scope: the DC gets its previous object
// back before either is deleted, as GDI requires.
class SelectedGdiObject {
public:
    SelectedGdiObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedGdiObject() { SelectObject(dc_, previous_); }
    SelectedGdiObject(const SelectedGdiObject&) = delete;
    SelectedGdiObject& operator=(const SelectedGdiObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The DC of one WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

}  // namespace quillan
