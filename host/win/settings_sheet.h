#pragma once
// The "More Settings" command on one viewer: the sheet (ui/win) runs over a
// copy of the viewer's Settings; OK stores them and applies the difference.
struct Viewer;
class SettingsStore;

// "Mo&re Settings": refused while the viewer is busy with another modal
// operation; marks it busy while the sheet is open; on OK stores and applies
// the Settings; afterwards the plug-in window has the focus.
void settings_sheet_command(Viewer* v);

enum class SheetOutcome {
    kRefused,     // busy, or no memory for the sheet's working copy
    kCancelled,   // Cancel, Escape or the close box: nothing changed
    kApplied,     // OK: stored and applied
    kViewerGone,  // the viewer was destroyed while the sheet was open: touch nothing
    kFailed,      // the sheet could not be made
};
// The same with the store OK saves into (the tests hand in one in memory).
SheetOutcome settings_sheet_show(Viewer* v, SettingsStore* store);
