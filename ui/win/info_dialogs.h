#pragma once
// The information dialog ("About Vellarion", template DLGABOUT) and the
// error-log dialog (DLGERRORLOG): modal, read-only text the user can copy.
// The text of the first is built by ui/info_text from facts the host
// gathers (host/win/info_commands).
#include <windows.h>

#include "ui/info_text.h"

constexpr int IDC_ABOUT_TEXT = 1006;
constexpr int IDC_ERRORLOG_TEXT = 1060;
constexpr int IDC_COPY_TEXT = 40016;
constexpr int IDC_HOME_PAGE = 40025;
// The edit control's one tab stop, in dialog units.
constexpr int kInfoTabStop = 80;

// The dialogs themselves over `owner`, from the templates in `resources`.
// info_dialog_run answers IDC_HOME_PAGE or IDOK; both answer -1 when the
// dialog could not be made.
INT_PTR info_dialog_run(HINSTANCE resources, HWND owner, const char16_t* text);
INT_PTR errorlog_dialog_run(HINSTANCE resources, HWND owner, const char16_t* document_log, const char16_t* page_log);
