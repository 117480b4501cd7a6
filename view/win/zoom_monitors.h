#pragma once
// The monitors the magnifier can go on. The multi-monitor functions are looked
// up in USER32 at run time; when any of them is missing the screen counts as
// one monitor, its work area the one the system reports.
#include <windows.h>

#include "view/zoom_geometry.h"

struct ZoomMonitorFns {
    HMONITOR(WINAPI* from_point)(POINT, DWORD) = nullptr;
    HMONITOR(WINAPI* from_window)(HWND, DWORD) = nullptr;
    HMONITOR(WINAPI* from_rect)(LPCRECT, DWORD) = nullptr;
    BOOL(WINAPI* get_info)(HMONITOR, LPMONITORINFO) = nullptr;
    BOOL(WINAPI* enum_monitors)(HDC, LPCRECT, MONITORENUMPROC, LPARAM) = nullptr;
    BOOL(WINAPI* enum_devices)(LPCWSTR, DWORD, PDISPLAY_DEVICEW, DWORD) = nullptr;
    int(WINAPI* system_metrics)(int) = nullptr;
};

// The functions as found (looked up once per process).
const ZoomMonitorFns& zoom_monitor_fns();
// Tests put in their own set (null: back to the looked-up one).
void zoom_monitor_fns_override(const ZoomMonitorFns* fns);

// The monitor for a pick; `plugin` is the window a centred opening stays near.
MonitorArea zoom_monitor_find(const ZoomMonitorPick& pick, HWND plugin);
// The rectangles used when no monitor was asked for or found.
Rect32 zoom_desktop_rect();
Rect32 zoom_primary_work_area();

// The top-left corners of every monitor but the primary one, at most `max`;
// returns how many were written.
int zoom_list_secondary_monitors(POINT* out, int max);
