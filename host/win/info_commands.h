#pragma once
// The information and error-log commands on one viewer: the facts gathered,
// the dialogs (ui/win/info_dialogs) run over the plug-in window while the
// viewer is marked busy, and what the user chose carried out.
#include "ui/info_text.h"

struct Viewer;

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
