#pragma once
// The "More Settings" sheet's decisions, kept apart from its windows: how each
// control shows a Settings value and reads it back, what each page's
// "&Defaults" restores, which monitor entry the zoom-window list selects, and
// what confirming the sheet must change in the running viewer.
//
//   Viewer.settings --copy--> SheetCopy.settings --controls--> SheetCopy.settings
//         ^                                                            |
//         +------------------ OK: commit, then apply the differences --+
//
// The viewer's own record is left alone until OK, so that it can serve as the
// "before" when the changes are applied.
#include <cstdint>

#include "base/text.h"
#include "config/settings.h"

// Pages of the sheet, in their order.
constexpr int kSheetPageGeneral = 0;
constexpr int kSheetPageAdvanced = 1;

// The sheet's texts in the string table.
enum SheetStringId : int {
    IDS_SHEET_CAPTION = 49400,  // "Vellarion: More Settings"
    IDS_SHEET_GENERAL = 49401,
    IDS_SHEET_ADVANCED = 49402,
    IDS_TOOLBAR_TOP = 49410,        // … 49412: "Top", "Bottom", "No toolbar"
    IDS_ZOOMSIZE_FIRST = 49415,     // … 49420: "1 (Smallest)" … "5", "Custom"
    IDS_PANSENS_FIRST = 49425,      // … 49429: "1 (Lowest)" … "5 (Highest)"
    IDS_MONITOR_NEAREST = 49430,    // "Nearest monitor"
    IDS_MONITOR_PRIMARY = 49431,    // "Primary monitor"
    IDS_MONITOR_AT = 49432,         // "Monitor at"
    IDS_LOCALACCESS_FIRST = 49435,  // … 49437: "No", "TIFF files only", "Yes"
};

// The button-size edit and its up-down.
constexpr int kButtonSizeMin = 22;
constexpr int kButtonSizeMax = 100;
constexpr int kButtonSizeDigits = 3;

// The other monitors' top-left corners (screen pixels), as the zoom window's
// monitor enumeration gives them; the primary monitor has its own entry.
constexpr int kSheetMonitorMax = 10;
struct SheetMonitors {
    int count = 0;
    int32_t left[kSheetMonitorMax] = {};
    int32_t top[kSheetMonitorMax] = {};
};
// Appends one origin; false (and nothing kept) once the list is full.
bool sheet_monitors_add(SheetMonitors* list, int32_t left, int32_t top);

// What the sheet works on while it is open.
struct SheetCopy {
    Settings settings;  // the working copy
    int active_page = kSheetPageGeneral;
    bool changed = false;    // set when OK is pressed
    SheetMonitors monitors;  // filled when the Advanced page opens
};

// A drop-down selection of -1 means "nothing selected": the value is then
// left as it was, so a stored value that no entry stands for survives OK.

// "Default toolbar position:": Top, Bottom, No toolbar stand for 1, 2, 0.
int sheet_toolbar_index(int toolbar);
int sheet_toolbar_value(int index, int old_value);

// "&Zoom window size:" offers four sizes, then "5" and "Custom" when the
// stored choice or a custom zoom rectangle calls for them.
int sheet_zoomsize_entries(const Settings& s);
int sheet_zoomsize_index(int zoomsize);  // zoomsize - 1, clamped to 0..5
int sheet_zoomsize_value(int index, int old_value);

// "Panning sensitivity:" 1..5.
int sheet_pansens_index(int pansens);  // pansens - 1, clamped to 0..4
int sheet_pansens_value(int index, int old_value);

// "Allow scripts to open local files:" No, TIFF files only, Yes = 0, 1, 2.
int sheet_localaccess_index(int localaccess);
int sheet_localaccess_value(int index, int old_value);

// The button-size edit shows the size without the toolbar's 4-pixel frame;
// whatever was typed is clamped to 22..100 on OK. `typed_ok` false (an empty
// or unreadable edit) counts as the smallest size.
int sheet_button_size_shown(const Settings& s);
int sheet_toolbar_height_from_typed(unsigned typed, bool typed_ok);

// The two sub-image boxes are bits 0x1 and 0x2 of `ignorespecialimages`; any
// other bit stored there is kept.
uint32_t sheet_ignore_bits(uint32_t old_value, bool reduced, bool sub_ifd);

// "Put &zoom window on:": 0 "Nearest monitor", 1 "Primary monitor", then one
// entry per monitor of the list.
int sheet_monitor_index(const Settings& s, const SheetMonitors& list);
void sheet_monitor_store(int index, const SheetMonitors& list, Settings* s);
// "Monitor at (x,y)", with the label from the string table.
Text16 sheet_monitor_entry_text(const char16_t* label, int32_t left, int32_t top);

// "&Defaults" of each page: only that page's values.
void sheet_general_defaults(Settings* s);
void sheet_advanced_defaults(Settings* s);

// What confirming the sheet changes in the running viewer, decided from the
// Settings before and after and from whether the viewer's toolbar position
// and background colour still follow the Settings (the page may have chosen
// its own).
enum class SheetPageAction {
    kNone,
    kRelistPages,    // sub-image choice changed: number the pages again, go to page 1
    kShowPageAgain,  // the aspect correction changed
    kRepaintImage,   // only the background colour changed
};
struct SheetApplyPlan {
    bool set_toolbar_position = false;
    int toolbar_position = 0;
    bool rebuild_toolbar = false;  // the button size changed (lays out too)
    bool layout = false;           // the position changed alone
    bool set_background = false;
    uint32_t background_color = 0;
    bool set_tooltips = false;
    bool set_fix_ratio = false;
    SheetPageAction page = SheetPageAction::kNone;
};
struct SheetViewerState {
    bool toolbar_from_settings = true;
    int toolbar_position = 1;
    bool bgcolor_from_settings = true;
    uint32_t background_color = 0;
};
SheetApplyPlan sheet_apply_plan(const Settings& before, const Settings& after, const SheetViewerState& viewer);
