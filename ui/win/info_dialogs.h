#pragma once
// The information dialog ("About Vellarion", template DLGABOUT) and the
// error-log dialog (DLGERRORLOG): modal, read-only text the user can copy.
// The text of the first is built by ui/info_text from facts gathered here.
#include <windows.h>

#include "ui/info_text.h"

struct Viewer;

constexpr int IDC_ABOUT_TEXT = 1006;
constexpr int IDC_ERRORLOG_TEXT = 1060;
constexpr int IDC_COPY_TEXT = 40016;
constexpr int IDC_HOME_PAGE = 40025;
// The edit control's one tab stop, in dialog units.
constexpr int kInfoTabStop = 80;

// The commands, as the menu ("About", "Show &Error Log"), the toolbar's `AB`
// button and the image window's double click reach them.
// About: refused while the viewer is busy; the home-page button opens the
// product home page in "_self", any other way out gives the plug-in window
// the focus.
void info_command_about(Viewer* v);
// The error log: modal; the focus goes back to the plug-in window afterwards.
void info_command_error_log(Viewer* v);

// What became of the information dialog.
enum class InfoDialogOutcome {
    kRefused,     // the viewer was busy with another modal operation
    kClosed,      // "OK", Escape or the close box
    kHomePage,    // "Vellarion &Home Page"
    kViewerGone,  // the viewer was destroyed while the dialog was open: touch nothing
};
// Sets the viewer's busy flag while the dialog is open.
InfoDialogOutcome info_dialog_show(Viewer* v);
// False when the viewer was destroyed while the dialog was open.
bool errorlog_dialog_show(Viewer* v);

// All the facts of the information text: the viewer's, the environment's
// (browser, operating system, module, update check, clock) and the credits.
InfoFacts info_facts_gather(Viewer* v);

// The dialogs themselves over `owner`, from the templates in `resources`.
// info_dialog_run answers IDC_HOME_PAGE or IDOK; both answer -1 when the
// dialog could not be made.
INT_PTR info_dialog_run(HINSTANCE resources, HWND owner, const char16_t* text);
INT_PTR errorlog_dialog_run(HINSTANCE resources, HWND owner, const char16_t* document_log, const char16_t* page_log);
