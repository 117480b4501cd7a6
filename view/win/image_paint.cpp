#include "view/win/image_paint.h"

#include "base/win/handles.h"
#include "view/mouse_modes.h"

void image_band_draw(HDC dc, const ViewRect& r, int scroll_x, int scroll_y) {
    POINT old_origin;
    SetViewportOrgEx(dc, -scroll_x, -scroll_y, &old_origin);
    const int old_rop = SetROP2(dc, R2_NOT);
    SelectScope pen(dc, GetStockObject(BLACK_PEN));
    SelectScope brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right + 1, r.bottom + 1);
    SetROP2(dc, old_rop);
    SetViewportOrgEx(dc, old_origin.x, old_origin.y, nullptr);
}
