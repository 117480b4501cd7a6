// A picture of a window and its children, as the screen shows them, saved as
// PNG through GDI+.
#include <windows.h>
#include <objidl.h>  // GDI+ needs it, and the build keeps windows.h lean
#include <gdiplus.h>

#include "base/win/handles.h"
#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
// GDI+'s PNG encoder.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

bool save_png(HBITMAP bitmap, const std::wstring& path) {
    using namespace Gdiplus;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) != Ok) return false;
    GpBitmap* image = nullptr;
    bool ok = DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Ok;
    if (ok) ok = DllExports::GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Ok;
    if (image) DllExports::GdipDisposeImage(image);
    GdiplusShutdown(token);
    return ok;
}
}  // namespace

bool screenshot_window(HWND hwnd, const std::wstring& path) {
    RECT rc;
    if (!hwnd || !GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    HDC window_dc = GetDC(hwnd);
    // Copying from the window's own DC takes its children too (PrintWindow would not).
    UniqueBitmap bitmap(CreateCompatibleBitmap(window_dc, rc.right, rc.bottom));
    bool ok = false;
    if (memory && bitmap) {
        SelectScope use(memory.get(), bitmap.get());
        ok = BitBlt(memory.get(), 0, 0, rc.right, rc.bottom, window_dc, 0, 0, SRCCOPY) != 0;
        GdiFlush();
    }
    ReleaseDC(hwnd, window_dc);
    return ok && save_png(bitmap.get(), path);
}

bool window_pixel(HWND hwnd, int x, int y, unsigned* rgb) {
    if (!hwnd) return false;
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    if (c == CLR_INVALID) return false;
    *rgb = unsigned(GetRValue(c)) << 16 | unsigned(GetGValue(c)) << 8 | GetBValue(c);
    return true;
}
