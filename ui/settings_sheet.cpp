#include "ui/settings_sheet.h"

namespace {
int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// Check boxes hold 0 or 1, but the registry may hold any number: compare what
// the values mean, so that a stored 5 read back as 1 is no change.
bool flag_changed(int before, int after) { return (before != 0) != (after != 0); }

constexpr int kToolbarValues[3] = {1, 2, 0};  // Top, Bottom, No toolbar
}  // namespace

bool sheet_monitors_add(SheetMonitors* list, int32_t left, int32_t top) {
    if (!list || list->count < 0 || list->count >= kSheetMonitorMax) return false;
    list->left[list->count] = left;
    list->top[list->count] = top;
    ++list->count;
    return true;
}

int sheet_toolbar_index(int toolbar) {
    for (int i = 0; i < 3; ++i)
        if (kToolbarValues[i] == toolbar) return i;
    return -1;
}

int sheet_toolbar_value(int index, int old_value) {
    return index >= 0 && index < 3 ? kToolbarValues[index] : old_value;
}

int sheet_zoomsize_entries(const Settings& s) {
    int n = 4;
    if (s.zoomsize > 4 || s.zoomrect_given) ++n;  // "5"
    if (s.zoomsize > 5 || s.zoomrect_given) ++n;  // "Custom"
    return n;
}

int sheet_zoomsize_index(int zoomsize) { return clamp(zoomsize - 1, 0, 5); }

int sheet_zoomsize_value(int index, int old_value) { return index >= 0 && index <= 5 ? index + 1 : old_value; }

int sheet_pansens_index(int pansens) { return clamp(pansens - 1, 0, 4); }

int sheet_pansens_value(int index, int old_value) { return index >= 0 && index <= 4 ? index + 1 : old_value; }

int sheet_localaccess_index(int localaccess) { return localaccess >= 0 && localaccess <= 2 ? localaccess : -1; }

int sheet_localaccess_value(int index, int old_value) { return index >= 0 && index <= 2 ? index : old_value; }

int sheet_button_size_shown(const Settings& s) { return s.toolbar_height - 4; }

int sheet_toolbar_height_from_typed(unsigned typed, bool typed_ok) {
    const unsigned size = !typed_ok                          ? kButtonSizeMin
                          : typed < unsigned(kButtonSizeMin) ? kButtonSizeMin
                          : typed > unsigned(kButtonSizeMax) ? kButtonSizeMax
                                                             : typed;
    return int(size) + 4;
}

uint32_t sheet_ignore_bits(uint32_t old_value, bool reduced, bool sub_ifd) {
    constexpr uint32_t kBoth = 0x1 | 0x2;
    return (old_value & ~kBoth) | (reduced ? 0x1u : 0u) | (sub_ifd ? 0x2u : 0u);
}

int sheet_monitor_index(const Settings& s, const SheetMonitors& list) {
    if (s.zoommon == 1) return 1;
    if (s.zoommon == 2)
        for (int i = 0; i < list.count && i < kSheetMonitorMax; ++i)
            if (list.left[i] == s.zoomloc_x && list.top[i] == s.zoomloc_y) return 2 + i;
    // A monitor that is no longer there, or a value we do not know.
    return 0;
}

void sheet_monitor_store(int index, const SheetMonitors& list, Settings* s) {
    if (index == 0 || index == 1) {
        s->zoommon = index;
        return;
    }
    const int i = index - 2;
    if (i < 0 || i >= list.count || i >= kSheetMonitorMax) return;
    s->zoommon = 2;
    s->zoomloc_x = list.left[i];
    s->zoomloc_y = list.top[i];
}

Text16 sheet_monitor_entry_text(const char16_t* label, int32_t left, int32_t top) {
    return text_printf(u"%s (%d,%d)", label ? label : u"", int(left), int(top));
}

namespace {
// Puts the named fields back to the values a fresh Settings holds, so that
// the defaults are stated once, where Settings declares them.
template <class... Field>
void restore_defaults(Settings* s, Field Settings::*... fields) {
    const Settings fresh;
    ((s->*fields = fresh.*fields), ...);
}
}  // namespace

void sheet_general_defaults(Settings* s) {
    restore_defaults(s, &Settings::toolbar, &Settings::zoomsize, &Settings::pansens, &Settings::toolbar_height,
                     &Settings::bgcolor, &Settings::mousewheeldir, &Settings::printfull, &Settings::printcenter,
                     &Settings::printautorotate, &Settings::autoupdate);
}

void sheet_advanced_defaults(Settings* s) {
    restore_defaults(s, &Settings::zoommon, &Settings::zoomloc_x, &Settings::zoomloc_y, &Settings::tooltips,
                     &Settings::fixratio, &Settings::ignorespecialimages, &Settings::printstretched,
                     &Settings::allowscript, &Settings::allowautoprint, &Settings::localaccess,
                     &Settings::supportmultcopies);
}

SheetApplyPlan sheet_apply_plan(const Settings& before, const Settings& after, const SheetViewerState& viewer) {
    SheetApplyPlan p;
    bool position_changed = false;
    if (after.toolbar != before.toolbar && viewer.toolbar_from_settings) {
        p.set_toolbar_position = true;
        p.toolbar_position = after.toolbar;
        position_changed = after.toolbar != viewer.toolbar_position;
    }
    p.rebuild_toolbar = after.toolbar_height != before.toolbar_height;
    p.layout = position_changed && !p.rebuild_toolbar;
    bool background_changed = false;
    if (after.bgcolor != before.bgcolor && viewer.bgcolor_from_settings) {
        p.set_background = true;
        p.background_color = after.bgcolor;
        background_changed = after.bgcolor != viewer.background_color;
    }
    p.set_tooltips = flag_changed(before.tooltips, after.tooltips);
    const bool fix_ratio_changed = flag_changed(before.fixratio, after.fixratio);
    p.set_fix_ratio = fix_ratio_changed;
    if (after.ignorespecialimages != before.ignorespecialimages) p.page = SheetPageAction::kRelistPages;
    else if (fix_ratio_changed)
        p.page = SheetPageAction::kShowPageAgain;
    else if (background_changed)
        p.page = SheetPageAction::kRepaintImage;
    return p;
}
