#pragma once
// What the viewer's own controls keep: the toolbar's place and items, the
// background colour and where the settings sheet last stood.
#include <cstdint>
#include <vector>

#include "config/bounded_text.h"

struct ToolbarControls;

struct UiState {
    int toolbar_from_settings = 1;
    int toolbar_position = 1;                     // 0 off, 1 top, 2 bottom
    BoundedText settings_toolbar_items;           // text(200); used once at creation
    BoundedText page_toolbar_items;               // text(200); used once at creation
    std::vector<int> toolbar_items;               // item-table indices, in display order
    ToolbarControls* toolbar_controls = nullptr;  // the toolbar's controls; live with the toolbar window
    int lctrl = 0;                                // the logo's place on the toolbar
    int bgcolor_from_settings = 1;
    uint32_t background_color = 0x404040;
    int settings_sheet_page = 0;  // the "More Settings" page last active: the next opening starts there
};
