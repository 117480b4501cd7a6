#pragma once
// What the toolbar's controls show, decided from the viewer's state: which
// are enabled (the enable pass: access bits, download and page), which
// toggles are checked (the check pass: the View state), the tooltips whose
// text changes, and the fixed-zoom spinner. The shell gathers the state from
// its viewer and applies the answers to the windows.
#include <cstdint>

#include "ui/control_state.h"
#include "ui/toolbar_items.h"

using ToolbarState = ControlState;

// A pass touches only the items it governs; the others keep what they have.
struct ToolbarPass {
    bool governs[kToolbarItemCount] = {};
    bool on[kToolbarItemCount] = {};  // enabled (enable pass) or checked (check pass)
};

struct ToolbarEnable {
    ToolbarPass pass;
    int page_selection = -1;  // the page list's selection; -1 leaves it alone
};
ToolbarEnable toolbar_enabled_states(const ToolbarState& s);

struct ToolbarChecks {
    ToolbarPass pass;
    bool spinner_enabled = false;  // the spinner is not a toggle: it is enabled instead
};
ToolbarChecks toolbar_checked_states(const ToolbarState& s);

// The tooltips computed when shown, cut to 79 characters: "Fixed size (200%)",
// and "Upload" or "Upload to http://…". `cap` counts the terminating zero.
constexpr int kToolbarTooltipCap = 80;
void toolbar_fixed_size_tooltip(const char16_t* fixed_size, int zoom_index, char16_t* out, int cap);
void toolbar_upload_tooltip(const char16_t* upload, const char16_t* upload_to, const char16_t* upload_url,
                            char16_t* out, int cap);

// The up-down reports a thumb position (0 for the up arrow) and then the end
// of the scroll; the step is taken at the end.
struct ToolbarSpinner {
    int pending = 0;  // +1 larger (towards 1600 %), -1 smaller, 0 none
};
void toolbar_spinner_thumb(ToolbarSpinner* s, int position);
struct SpinnerStep {
    int size_mode = 0;  // always fixed afterwards
    int zoom_index = 5;
    bool relayout = false;
};
SpinnerStep toolbar_spinner_end(ToolbarSpinner* s, int size_mode, int zoom_index);

// The spinner's range runs backwards, so that its up arrow reports 0; it rests at 1.
constexpr int kSpinnerLower = 2, kSpinnerUpper = 0, kSpinnerRest = 1;
