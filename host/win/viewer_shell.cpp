#include "host/win/viewer_shell.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "host/win/sketch_commands.h"
#include "base/win/handles.h"
#include "config/win/registry_store.h"
#include "host/module_state.h"
#include "host/viewer.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer_file.h"
#include "host/win/zoom_window.h"
#include "ui/win/toolbar.h"
#include "host/win/viewer_toolbar.h"
#include "update/win/update_check.h"

namespace {
constexpr wchar_t kViewerProperty[] = L"vlar";

Text16 from_utf8(const char* s) { return s ? text_from_utf8(s) : Text16(); }

void delete_file_named(const BoundedText* path) {
    if (!btext_empty(path)) DeleteFileW(reinterpret_cast<const wchar_t*>(btext_get(path)));
}

}  // namespace

int16_t viewer_shell_new(void* npp, int mode, int16_t argc, char** argn, char** argv, Viewer** out) {
    const int count = argc < 0 ? 0 : argc > kMaxEmbedPairs ? kMaxEmbedPairs : argc;
    // The converted copies live only for the call.
    const size_t n = size_t(count);
    std::vector<Text16> names(n), values(n);
    std::vector<const char16_t*> name_ptrs(n), value_ptrs(n);
    for (int i = 0; i < count; ++i) {
        const bool have_name = argn && argn[i], have_value = argv && argv[i];
        if (have_name) names[size_t(i)] = from_utf8(argn[i]);
        if (have_value) values[size_t(i)] = from_utf8(argv[i]);
        name_ptrs[size_t(i)] = have_name ? names[size_t(i)].c_str() : nullptr;
        value_ptrs[size_t(i)] = have_value ? values[size_t(i)].c_str() : nullptr;
    }
    ViewerCreateArgs a;
    a.npp = npp;
    a.mode = mode;
    a.count = count;
    a.names = name_ptrs.data();
    a.values = value_ptrs.data();
    a.store = registry_settings_store();
    a.module_started = module_started();
    Viewer* v = nullptr;
    const int result = viewer_create(a, &v);
    if (result != 0) return int16_t(result);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    v->shell.hand_cursor = hand ? hand : LoadCursorW(GetModuleHandleW(L"npvellarion.dll"), L"HOTSPOT2");
    viewer_shell_renew_background_brush(v);
    *out = v;
    return 0;
}

void viewer_shell_detach_window(Viewer* v) {
    HWND plugin = static_cast<HWND>(v->shell.plugin_window);
    // The check's notifications go to the plug-in window, which stops being ours.
    update_abort();
    if (plugin && IsWindow(plugin)) {
        zoom_window_close(v);  // frees the cursor it confined
        v->shell.zoom_window = nullptr;
        if (v->shell.progress_window) DestroyWindow(static_cast<HWND>(v->shell.progress_window));
        if (v->shell.status_window) DestroyWindow(static_cast<HWND>(v->shell.status_window));
        v->shell.progress_window = v->shell.status_window = nullptr;
        toolbar_destroy(v);
        if (v->shell.image_window) DestroyWindow(static_cast<HWND>(v->shell.image_window));
        v->shell.image_window = nullptr;
        if (v->shell.saved_window_proc)
            SetWindowLongPtrW(plugin, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(v->shell.saved_window_proc));
        RemovePropW(plugin, kViewerProperty);
    }
    v->shell.saved_window_proc = nullptr;
    v->shell.plugin_window = nullptr;
}

namespace {
// The record holds the brush untyped for the core; the shell owns it and
// swaps it only here.
void replace_brush(Viewer* v, UniqueBrush brush) {
    const UniqueBrush old{static_cast<HBRUSH>(v->shell.background_brush)};
    v->shell.background_brush = brush.release();
}
}  // namespace

int16_t viewer_shell_destroy(Viewer* v) {
    if (!v) return kNpErrInvalidInstance;
    v->stream.state = DownloadState::kIdle;
    viewer_shell_detach_window(v);
    reception_release(v);  // the download's temporary file and memory
    delete_file_named(&v->shell.work_file);
    if (!btext_empty(&v->shell.work_folder))
        RemoveDirectoryW(reinterpret_cast<const wchar_t*>(btext_get(&v->shell.work_folder)));
    replace_brush(v, UniqueBrush{});
    sketch_release(v);  // the cached pen
    viewer_file_free(v);
    viewer_free(v);
    return 0;
}

void viewer_shell_renew_background_brush(Viewer* v) {
    const uint32_t c = v->ui.background_color;  // 0x00BBGGRR
    UniqueBrush brush{CreateSolidBrush(RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF))};
    if (!brush) return;  // the old colour stays
    replace_brush(v, std::move(brush));
    if (v->shell.plugin_window) InvalidateRect(static_cast<HWND>(v->shell.plugin_window), nullptr, TRUE);
}

namespace {
void step_page(Viewer* v, PageStep step) {
    switch (step) {
    case PageStep::kPrevious: viewer_go_to_page(v, v->document.current_page - 1); break;
    case PageStep::kNext: viewer_go_to_page(v, v->document.current_page + 1); break;
    case PageStep::kFirst: viewer_go_to_page(v, 0); break;
    case PageStep::kLast: viewer_go_to_page(v, v->document.page_count - 1); break;
    }
}
}  // namespace

bool viewer_shell_key_command(Viewer* v, unsigned vk) {
    if (!v || !v->shell.image_window) return false;
    const KeyCommand c = viewer_key_command(vk, GetKeyState(VK_CONTROL) < 0);
    switch (c.action) {
    case KeyAction::kScroll:
        PostMessageW(static_cast<HWND>(v->shell.image_window), c.vertical ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(c.scroll_code, 0), 0);
        return true;
    case KeyAction::kPage: step_page(v, c.page); return true;
    case KeyAction::kNone: break;
    }
    return false;
}
