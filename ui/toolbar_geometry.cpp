#include "ui/toolbar_geometry.h"

#include <algorithm>

#include "ui/toolbar_table.h"

namespace {
constexpr int kDesignHeight = 22;  // the button height every width is drawn for
constexpr int kFirstX = 3;

// round(units × size / 22), rounding as the rest of the viewer does: add a half, truncate.
int scaled(int units, int size) { return int(double(units) * size / kDesignHeight + 0.5); }

int item_width(int item, int b, int p, int vscroll) {
    switch (kToolbarItemTable[item].kind) {
    case ToolbarKind::kPageList: return scaled(kToolbarItemTable[item].width_units - 16, p) + vscroll;
    case ToolbarKind::kSpinner: return scaled(12, b);
    default: return scaled(kToolbarItemTable[item].width_units, b);
    }
}
}  // namespace

ToolbarGeometry toolbar_geometry(const std::vector<int>& items, const ToolbarMetrics& m) {
    ToolbarGeometry g;
    g.button_height = m.toolbar_height - 4;
    g.page_list_height = std::min(m.font_height + 8, g.button_height);
    // The icons are 32 x 32 pictures made for a 22-pixel button; other sizes
    // load them scaled by the same proportion.
    g.icon_side = m.toolbar_height == 26 ? 0 : int(double(g.button_height) * 16 / 11 + 0.5);
    int x = kFirstX;
    for (int item : items) {
        if (item < 0 || item >= kToolbarItemCount) continue;
        const int w = item_width(item, g.button_height, g.page_list_height, m.vscroll_width);
        g.slots.push_back({item, x, w});
        x += w;
    }
    g.total_width = x + 1;
    return g;
}

int toolbar_logo_x(int total_width, int client_width, int lctrl) {
    return std::max(total_width, client_width - (lctrl < 3 ? kToolbarLogoWidth + 3 : 3));
}

bool toolbar_logo_hit(int logo_x, int x, int y) {
    return x >= logo_x && x < logo_x + kToolbarLogoWidth && y >= 2 && y <= kToolbarLogoHeight + 1;
}
