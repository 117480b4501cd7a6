#pragma once
// The "Vellarion: More Settings" property sheet: pages "General"
// (DLGMORESETGEN) and "Advanced" (DLGMORESETADV) over a copy of the viewer's
// Settings. ui/settings_sheet decides how controls map to values and what OK
// changes; this file owns the windows. host/win/settings_sheet carries OK out
// on the viewer.
#include <windows.h>

// General page.
constexpr int IDC_SET_TOOLBAR = 1049;
constexpr int IDC_SET_ZOOMSIZE = 1050;
constexpr int IDC_SET_PANSENS = 1051;
constexpr int IDC_SET_BUTTONSIZE = 1075;
constexpr int IDC_SET_BUTTONSIZE_SPIN = 1076;
constexpr int IDC_SET_BGCOLOR = 1043;
constexpr int IDC_SET_BGCOLOR_SAMPLE = 1059;
constexpr int IDC_SET_WHEELDIR = 1067;
constexpr int IDC_SET_PRINTFULL = 1052;
constexpr int IDC_SET_PRINTCENTER = 1073;
constexpr int IDC_SET_PRINTAUTOROTATE = 1074;
constexpr int IDC_SET_AUTOUPDATE = 1056;
constexpr int IDC_SET_DEFAULTS = 1058;  // on both pages
// Advanced page.
constexpr int IDC_SET_TOOLTIPS = 1044;
constexpr int IDC_SET_FIXRATIO = 1045;
constexpr int IDC_SET_IGNORE_REDUCED = 1046;
constexpr int IDC_SET_IGNORE_SUBIFD = 1064;
constexpr int IDC_SET_PRINTSTRETCHED = 1053;
constexpr int IDC_SET_MULTCOPIES = 1072;
constexpr int IDC_SET_ZOOMMON = 1071;
constexpr int IDC_SET_ALLOWSCRIPT = 1054;
constexpr int IDC_SET_AUTOPRINT = 1055;
constexpr int IDC_SET_LOCALACCESS_LABEL = 1070;
constexpr int IDC_SET_LOCALACCESS = 1069;

// The sheet's pre-create callback: takes the context-help style off the
// sheet's template (plain or extended form).
int CALLBACK settings_sheet_callback(HWND sheet, UINT msg, LPARAM lp);
