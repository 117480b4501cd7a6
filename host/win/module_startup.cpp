// Module start-up and shutdown: the process-wide classes, cursors, fonts and
// values every viewer shares. Start-up never gives up: a browser that drops
// the plug-in shows the user nothing at all, while a viewer with a missing
// cursor or font still shows the document.
#include <windows.h>
#include <commctrl.h>

#include "config/message_box.h"
#include "config/win/message_box_win.h"
#include "config/win/registry_store.h"
#include "config/zoom_steps.h"
#include "host/browser.h"
#include "host/module_rules.h"
#include "host/module_state.h"
#include "host/win/image_window.h"
#include "host/win/module.h"
#include "host/win/zoom_window.h"
#include "host/win/viewer_toolbar.h"
#include "ui/win/toolbar.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/win/shell_win.h"
#include "output/win/print_backend.h"
#include "host/page_events.h"
#include "document/tiff_messages.h"
#include "host/viewer_file.h"
#include "update/win/update_check.h"

namespace {
Module g_module;

// The stream code's links to the page and the browser (its windows are the seam's).
void install_stream_hooks() {
    StreamHooks h;
    h.ready_event = events_ready;
    h.page_change_event = events_page_change;
    h.get_url = [](Viewer* v, const char16_t* url) {
        return int(browser_open_url(static_cast<NPP>(v->browser.npp), url, nullptr));
    };
    stream_set_hooks(h);
}

void report(const char16_t* text) { msgbox_show(nullptr, kMbIconError, u"%s", text); }

bool register_class(const wchar_t* name, UINT style, WNDPROC proc, int slot) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_module.instance;
    wc.hCursor = nullptr;  // the windows set their cursor themselves
    wc.lpszClassName = name;
    g_module.classes_registered[slot] = RegisterClassW(&wc) != 0;
    if (!g_module.classes_registered[slot])
        msgbox_show(nullptr, kMbIconError, u"Failed to register window class %s",
                    reinterpret_cast<const char16_t*>(name));
    return g_module.classes_registered[slot];
}

// Returns false when a cursor of the module's own resources is missing.
bool load_cursors() {
    ModuleCursors& c = g_module.cursors;
    c.arrow = LoadCursorW(nullptr, IDC_ARROW);
    c.cross = LoadCursorW(nullptr, IDC_CROSS);
    if (!g_module.instance) return false;
    c.hotspot = LoadCursorW(g_module.instance, L"HOTSPOT2");
    c.magnify = LoadCursorW(g_module.instance, L"MAGNIFY");
    c.pan_open = LoadCursorW(g_module.instance, L"CUR_PAN1");
    c.pan_grip = LoadCursorW(g_module.instance, L"CUR_PAN2");
    return c.hotspot && c.magnify && c.pan_open && c.pan_grip;
}

void choose_ui_face() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const bool got = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != 0;
    if (got && metrics.lfMessageFont.lfFaceName[0]) {
        lstrcpynW(g_module.ui_face, metrics.lfMessageFont.lfFaceName, 32);
        g_module.ui_height = module_ui_font_height(metrics.lfMessageFont.lfHeight);
    } else {
        lstrcpynW(g_module.ui_face, L"Arial", 32);
        g_module.ui_height = 16;
    }
}

HFONT make_font(const wchar_t* face, int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

void choose_wheel_message() {
    const OSVERSIONINFOW& os = g_module.os_version;
    g_module.wheel_message =
        module_wheel_needs_registered_message(os.dwMajorVersion, os.dwPlatformId == VER_PLATFORM_WIN32_NT)
            ? RegisterWindowMessageW(L"MSWHEEL_ROLLMSG")
            : WM_MOUSEWHEEL;
}

void read_os_version() {
    g_module.os_version = OSVERSIONINFOW{};
    g_module.os_version.dwOSVersionInfoSize = sizeof g_module.os_version;
    GetVersionExW(&g_module.os_version);
    print_set_newer_dialog_system(g_module.os_version.dwPlatformId == VER_PLATFORM_WIN32_NT);
}
}  // namespace

Module& module() { return g_module; }

void module_read_scroll_metrics() {
    g_module.hscroll_height = GetSystemMetrics(SM_CYHSCROLL);
    g_module.vscroll_width = GetSystemMetrics(SM_CXVSCROLL);
}

int module_startup() {
    msgbox_install_platform();
    g_module.host_kind = kHostKindPlugin;
    g_module.browser_major = browser_major();
    g_module.browser_minor = browser_minor();
    read_os_version();
    settings_process_defaults(&g_module.process);
    g_module.zoom_100_index = zoom_index_of_100(ZoomTable::kImage);
    g_module.magnifier_100_index = zoom_index_of_100(ZoomTable::kMagnifier);
    bool resources_reported = false;
    if (!g_module.instance) {
        report(u"Cannot load resources");
        resources_reported = true;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&icc)) report(u"Failed to initialize common controls");
    settings_load_process(registry_settings_store(), &g_module.process);
    for (COLORREF& c : g_module.custom_colours) c = 0x404040;
    if (!load_cursors() && !resources_reported) report(u"Cannot load resources");
    register_class(kImageWindowClass, CS_DBLCLKS, image_window_proc, 0);
    choose_ui_face();
    register_class(kZoomWindowClass, 0, zoom_window_proc, 1);
    register_class(kToolbarWindowClass, CS_HREDRAW, toolbar_window_proc, 2);
    toolbar_load_shared_art(module().instance);
    // libtiff's handlers are process-wide; each walk and page load aims them at its own log.
    tiffmsg_attach(nullptr);
    viewer_set_disabled_compressions(g_module.process.disable_compression);
    shell_win_install();
    install_stream_hooks();
    g_module.small_font.reset(make_font(L"Small Fonts", 10));
    g_module.ui_font_14.reset(make_font(g_module.ui_face, 14));
    g_module.ui_font_16.reset(make_font(g_module.ui_face, 16));
    module_read_scroll_metrics();
    choose_wheel_message();
    module_set_started(true);
    return 0;
}

void module_shutdown() {
    update_abort();
    g_module.small_font.reset();
    g_module.ui_font_14.reset();
    g_module.ui_font_16.reset();
    toolbar_free_shared_art();
    // Windows keeps a DLL's classes after the DLL is unloaded; a browser that
    // loads the module again (at another address) would otherwise find the
    // names taken, pointing at code that is gone.
    const wchar_t* const names[3] = {kImageWindowClass, kZoomWindowClass, kToolbarWindowClass};
    for (int i = 0; i < 3; ++i) {
        if (g_module.classes_registered[i]) UnregisterClassW(names[i], g_module.instance);
        g_module.classes_registered[i] = false;
    }
    g_module.cursors = ModuleCursors{};
    settings_process_defaults(&g_module.process);
    module_set_started(false);
}

HCURSOR module_cursor_pencil() {
    if (!g_module.cursors.pencil && g_module.instance)
        g_module.cursors.pencil = LoadCursorW(g_module.instance, L"CUR_PENCIL");
    return g_module.cursors.pencil ? g_module.cursors.pencil : g_module.cursors.arrow;
}

HCURSOR module_cursor_eraser() {
    if (!g_module.cursors.eraser && g_module.instance)
        g_module.cursors.eraser = LoadCursorW(g_module.instance, L"CUR_ERASER");
    return g_module.cursors.eraser ? g_module.cursors.eraser : g_module.cursors.arrow;
}
