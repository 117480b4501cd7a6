#pragma once
// Owners for Win32 handles: each handle we create has exactly one owner, which
// closes it once. Stock objects and handles we do not own are never wrapped.
#include <windows.h>

template <class Traits>
class Unique {
public:
    using T = typename Traits::Handle;
    Unique() : h_(Traits::none()) {}
    explicit Unique(T h) : h_(h) {}
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;  // a copy would close twice
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.release()) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::none(); }
    T release() {
        T h = h_;
        h_ = Traits::none();
        return h;
    }
    void reset(T h = Traits::none()) {
        if (*this) Traits::close(h_);
        h_ = h;
    }

private:
    T h_;
};

template <class H>
struct GdiTraits {
    using Handle = H;
    static H none() { return nullptr; }
    static void close(H h) { DeleteObject(h); }
};

struct DcTraits {  // memory device contexts made with CreateCompatibleDC
    using Handle = HDC;
    static HDC none() { return nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};

struct IconTraits {  // icons made with LoadImageW (never LR_SHARED ones)
    using Handle = HICON;
    static HICON none() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};

struct FileTraits {  // CreateFileW; a null handle is stored as the invalid one
    using Handle = HANDLE;
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};

struct LibraryTraits {  // LoadLibraryW
    using Handle = HMODULE;
    static HMODULE none() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};

struct RegKeyTraits {  // RegOpenKeyExW / RegCreateKeyExW
    using Handle = HKEY;
    static HKEY none() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};

struct GlobalTraits {  // GlobalAlloc blocks not (or not yet) handed to the system
    using Handle = HGLOBAL;
    static HGLOBAL none() { return nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};

using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniquePen = Unique<GdiTraits<HPEN>>;
using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;
using UniqueMemoryDc = Unique<DcTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueLibrary = Unique<LibraryTraits>;
using UniqueRegKey = Unique<RegKeyTraits>;
using UniqueGlobal = Unique<GlobalTraits>;

// The one "no file" of UniqueFile, whichever form the call returned.
inline HANDLE file_handle_or_none(HANDLE h) { return h ? h : INVALID_HANDLE_VALUE; }

// Selects an object into a DC and puts the previous one back; never deletes.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectScope() { SelectObject(dc_, old_); }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC/ReleaseDC: keeps the window its ReleaseDC needs. A DC taken earlier
// (one held across a gesture) can be handed in to be released here.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(HWND hwnd, HDC taken) : hwnd_(hwnd), dc_(taken) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // Keeps the DC for a later owner; this scope no longer releases it.
    HDC release() {
        HDC dc = dc_;
        dc_ = nullptr;
        return dc;
    }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& rect() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};
