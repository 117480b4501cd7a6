#pragma once
// What one viewer's toolbar holds besides its window: the controls by item,
// their tooltips, the page list's font and the icons made for a button size
// other than the default. Made with the toolbar window and freed when that
// window is destroyed (its children are gone by then).
#include <windows.h>

#include "base/win/handles.h"
#include "ui/toolbar_geometry.h"
#include "ui/toolbar_items.h"
#include "ui/toolbar_state.h"

struct ToolbarControls {
    ToolbarGeometry geometry;
    HWND item_window[kToolbarItemCount] = {};  // empty: the item is not on the strip
    UniqueIcon icons[kToolbarItemCount];       // per-viewer icons (only off the default size)
    UniqueFont page_font;
    HWND tooltip = nullptr;  // owned by the toolbar window, destroyed with it
    ToolbarSpinner spinner;
    bool logo_pressed = false;
};

// The item shown by a control window; -1 when it is none of ours.
int toolbar_item_of(const ToolbarControls* c, HWND control);
// The shared icon of an item; null when it has none or it could not be loaded.
HICON toolbar_shared_icon(int item);
HBITMAP toolbar_logo_bitmap();
