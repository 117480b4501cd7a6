#include "host/win/status_line.h"

#include <windows.h>
#include <commctrl.h>

#include "host/viewer.h"
#include "host/win/module.h"

namespace {
constexpr int kStatusHeight = 19;
constexpr int kProgressHeight = 10;

int image_width(HWND image) {
    RECT rc;
    GetClientRect(image, &rc);
    return rc.right - rc.left;
}

void destroy_child(void** handle) {
    if (*handle) DestroyWindow(static_cast<HWND>(*handle));
    *handle = nullptr;
}
}  // namespace

void status_line_update(Viewer* v) {
    HWND image = static_cast<HWND>(v->shell.image_window);
    if (!image) return;  // shown when the window is made
    if (btext_empty(&v->shell.status_text)) {
        destroy_child(&v->shell.progress_window);
        destroy_child(&v->shell.status_window);
        return;
    }
    const wchar_t* text = reinterpret_cast<const wchar_t*>(btext_get(&v->shell.status_text));
    if (!v->shell.status_window || !IsWindow(static_cast<HWND>(v->shell.status_window))) {
        HWND s = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                                 image_width(image), kStatusHeight, image, nullptr, module().instance, nullptr);
        if (s && module().ui_font_16)
            SendMessageW(s, WM_SETFONT, reinterpret_cast<WPARAM>(module().ui_font_16.get()), 0);
        v->shell.status_window = s;
    } else {
        SetWindowTextW(static_cast<HWND>(v->shell.status_window), text);
    }
}

void status_line_progress(Viewer* v, int percent) {
    HWND image = static_cast<HWND>(v->shell.image_window);
    if (!image) return;
    if (!v->shell.progress_window) {
        v->shell.progress_window =
            CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, kStatusHeight, image_width(image),
                            kProgressHeight, image, nullptr, module().instance, nullptr);
        if (v->shell.progress_window) SendMessageW(static_cast<HWND>(v->shell.progress_window), PBM_SETRANGE32, 0, 100);
    }
    if (v->shell.progress_window)
        SendMessageW(static_cast<HWND>(v->shell.progress_window), PBM_SETPOS, WPARAM(percent), 0);
}

void status_line_remove_progress(Viewer* v) { destroy_child(&v->shell.progress_window); }
