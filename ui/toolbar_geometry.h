#pragma once
// Where the toolbar's controls sit. The strip is H pixels high; its buttons
// are B = H - 4 high and two pixels below the top, and every width scales
// with B from a 22-pixel design:
//
//   x = 3                                                        W - 67
//   | PR | SA | CC |_| ZO | PA |_| BF | FW | FS |SS|_| ... [ PG  ]|PP|NP|  ...  [ logo ]
//   '---- 23 units each, separators 6, SS 12, PP/NP 17 ----'             64 x 22
//
// The page list is the exception: its height follows the interface font (at
// most B) and its width that height plus the system's scroll-bar width.
#include <vector>

struct ToolbarMetrics {
    int toolbar_height = 26;  // H: `tbbuttonsize` + 4
    int font_height = 16;     // the interface font's height (at least 16)
    int vscroll_width = 17;   // the system's vertical scroll-bar width
};

struct ToolbarSlot {
    int item = 0;  // item-table index
    int x = 0;
    int width = 0;
};

struct ToolbarGeometry {
    int button_height = 22;     // B
    int page_list_height = 22;  // P
    int total_width = 4;        // just past the last item, plus one
    // Side of the per-viewer icons; 0 when the buttons show the shared 32 x 32
    // icons (the default 26-pixel strip).
    int icon_side = 0;
    std::vector<ToolbarSlot> slots;  // in display order
};

ToolbarGeometry toolbar_geometry(const std::vector<int>& items, const ToolbarMetrics& m);

// The logo's left edge in a strip `client_width` wide: at the right end, but
// never over the items. `lctrl` 3 and above leave the logo out.
int toolbar_logo_x(int total_width, int client_width, int lctrl);
// Whether a point of the strip lies on the logo.
bool toolbar_logo_hit(int logo_x, int x, int y);
