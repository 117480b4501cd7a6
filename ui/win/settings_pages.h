#pragma once
// The two pages of the "More Settings" sheet. Each page finds the sheet's
// working copy through its window property "vlar" and writes its controls
// into it only when OK is pressed.
#include <windows.h>

#include <string>

#include "base/win/handles.h"
#include "ui/settings_sheet.h"

// The working copy plus what only the windows need.
struct SheetWindowCopy {
    SheetCopy copy;
    UniqueBrush sample_brush;  // the background colour's sample
    // Where the monitor list comes from (the zoom window's enumeration).
    int (*list_monitors)(POINT* out, int max) = nullptr;
    HINSTANCE resources = nullptr;       // the templates and the string table
    COLORREF* custom_colours = nullptr;  // the colour dialog's sixteen, kept between calls
};

// The sheet over `owner` on the working copy `w->copy`, from the templates in
// `w->resources`; PropertySheetW's answer (negative when it could not be made).
INT_PTR settings_sheet_run(HWND owner, SheetWindowCopy* w);

INT_PTR CALLBACK settings_general_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK settings_advanced_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

// A text of the string table; empty when missing.
std::wstring settings_string(HINSTANCE resources, int id);
