#include "host/win/sketch_commands.h"

#include <windows.h>
#include <commdlg.h>

#include "host/viewer_sketch.h"
#include "annotate/win/sketch_draw.h"
#include "base/win/handles.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"
#include "host/page_events.h"
#include "view/shell_seam.h"

namespace {
void repaint_if_current(Viewer* v, int directory, bool erase) {
    if (directory == v->document.current_directory) shell_repaint(v, kShowPageLook | (erase ? kShellErase : 0u));
}
}  // namespace

int sketch_clear_pen_no_event(Viewer* v, int directory) {
    if (!v || !sketch_remove_pen(v, directory)) return 0;
    repaint_if_current(v, directory, false);
    return 1;
}

int sketch_clear_pen(Viewer* v, int directory) {
    if (!sketch_clear_pen_no_event(v, directory)) return 0;  // an empty page tells nothing
    events_annotation_change(v, sketch_page_number(v, directory));
    return 1;
}

bool sketch_add_whiteout(Viewer* v, int directory, const PageRect& r) {
    if (!v || !sketch_store_whiteout(v, directory, r)) return false;
    repaint_if_current(v, directory, true);
    return true;
}

bool sketch_set_crop(Viewer* v, int directory, const PageRect& r, bool selected) {
    if (!v || !sketch_store_crop(v, directory, r, selected)) return false;
    repaint_if_current(v, directory, false);
    return true;
}

void sketch_choose_pen_colour(Viewer* v) {
    if (!v) return;
    HWND owner = static_cast<HWND>(v->shell.plugin_window);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = COLORREF(v->annotate.pen_color & 0x00FFFFFF);
    cc.lpCustColors = module().custom_colours;  // shared by every viewer, kept between calls
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    // The colour dialog runs its own loop, in which the page may remove the viewer.
    const ViewerHandle handle(v);
    const BOOL chosen = ChooseColorW(&cc);
    if (!handle.alive()) return;
    if (chosen && uint32_t(cc.rgbResult) != v->annotate.pen_color)
        sketch_set_pen_colour(&v->annotate, uint32_t(cc.rgbResult));
    if (owner) SetFocus(owner);
}

void sketch_release(Viewer* v) {
    if (!v) return;
    if (v->shell.image_window) {  // a stroke under way holds the window's DC
        const WindowDc done(static_cast<HWND>(v->shell.image_window), static_cast<HDC>(v->annotate.stroke.surface));
    }
    v->annotate.stroke = SketchStroke{};
    sketch_pen_release(&v->annotate.pen_cache);
}
