#pragma once
// "There is a new version …": the question with the automatic-check box
// (template DLGNEWVERS).
#include <windows.h>

constexpr int IDC_NEWVERS_ICON = 1036;
constexpr int IDC_NEWVERS_AUTO = 1034;
constexpr int IDC_NEWVERS_TEXT = 1035;

struct NewVersionAnswer {
    bool download = false;     // "&Yes"
    bool answered = false;     // Yes or No; the close box leaves the box unstored
    bool auto_update = false;  // the check box when answered
    bool shown = false;        // false: the dialog could not be made
};

NewVersionAnswer new_version_dialog_run(HINSTANCE resources, HWND owner, bool auto_update);
