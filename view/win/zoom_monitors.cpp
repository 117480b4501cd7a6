#include "view/win/zoom_monitors.h"

namespace {
const ZoomMonitorFns* g_override = nullptr;

template <class F>
void find(HMODULE user32, const char* name, F* out) {
    *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

ZoomMonitorFns look_up() {
    ZoomMonitorFns f;
    HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
    if (!user32) return f;
    find(user32, "MonitorFromPoint", &f.from_point);
    find(user32, "MonitorFromWindow", &f.from_window);
    find(user32, "MonitorFromRect", &f.from_rect);
    find(user32, "EnumDisplayMonitors", &f.enum_monitors);
    find(user32, "EnumDisplayDevicesW", &f.enum_devices);
    find(user32, "GetSystemMetrics", &f.system_metrics);
    // The wide form exists only on NT; the structure is the same without the
    // device name.
    const bool nt = (GetVersion() & 0x80000000u) == 0;
    find(user32, nt ? "GetMonitorInfoW" : "GetMonitorInfoA", &f.get_info);
    return f;
}

bool complete(const ZoomMonitorFns& f) {
    return f.from_point && f.from_window && f.from_rect && f.get_info && f.enum_monitors && f.enum_devices &&
           f.system_metrics;
}

Rect32 to_rect32(const RECT& r) { return Rect32{r.left, r.top, r.right, r.bottom}; }

struct SecondaryList {
    const ZoomMonitorFns* fns;
    POINT* out;
    int max;
    int count;
};

BOOL CALLBACK add_secondary(HMONITOR monitor, HDC, LPRECT, LPARAM lp) {
    auto* list = reinterpret_cast<SecondaryList*>(lp);
    if (list->count >= list->max) return FALSE;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (list->fns->get_info(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
        list->out[list->count++] = POINT{info.rcMonitor.left, info.rcMonitor.top};
    return TRUE;
}
}  // namespace

const ZoomMonitorFns& zoom_monitor_fns() {
    if (g_override) return *g_override;
    static const ZoomMonitorFns fns = look_up();
    return fns;
}

void zoom_monitor_fns_override(const ZoomMonitorFns* fns) { g_override = fns; }

Rect32 zoom_desktop_rect() {
    RECT r{};
    if (!GetWindowRect(GetDesktopWindow(), &r))
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return to_rect32(r);
}

Rect32 zoom_primary_work_area() {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0))
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return to_rect32(r);
}

MonitorArea zoom_monitor_find(const ZoomMonitorPick& pick, HWND plugin) {
    MonitorArea a;
    if (pick.query == ZoomMonitorQuery::kPrimary) return a;
    const ZoomMonitorFns& f = zoom_monitor_fns();
    if (!complete(f)) {
        a.found = true;
        a.monitor = Rect32{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        a.work = zoom_primary_work_area();
        return a;
    }
    HMONITOR monitor = pick.query == ZoomMonitorQuery::kNearestToPlugin
                           ? f.from_window(plugin, MONITOR_DEFAULTTONEAREST)
                           : f.from_point(POINT{pick.point.x, pick.point.y}, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !f.get_info(monitor, &info)) return a;
    a.found = true;
    a.monitor = to_rect32(info.rcMonitor);
    a.work = to_rect32(info.rcWork);
    return a;
}

int zoom_list_secondary_monitors(POINT* out, int max) {
    const ZoomMonitorFns& f = zoom_monitor_fns();
    if (!complete(f) || !out || max <= 0) return 0;
    SecondaryList list{&f, out, max, 0};
    f.enum_monitors(nullptr, nullptr, add_secondary, reinterpret_cast<LPARAM>(&list));
    return list.count;
}
