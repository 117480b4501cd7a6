#include "ui/toolbar_state.h"

#include "base/text.h"
#include "config/zoom_steps.h"
#include "ui/toolbar_table.h"

namespace {
// The access bits the toolbar reads.
constexpr uint32_t kNoPrint = 0x4, kNoSave = 0x8, kNoOpen = 0x10, kNoCopy = 0x40, kNoMenu = 0x200, kNoEmail = 0x400,
                   kNoSketch = 0x800, kNoUpload = 0x4000;

void set(ToolbarPass& p, int item, bool on) {
    p.governs[item] = true;
    p.on[item] = on;
}

bool allowed(const ToolbarState& s, uint32_t bit) { return !(s.access_flags & bit); }
}  // namespace

ToolbarEnable toolbar_enabled_states(const ToolbarState& s) {
    ToolbarEnable e;
    ToolbarPass& p = e.pass;
    const bool loaded = s.download_state == DownloadState::kFinished;
    const bool open = loaded && s.document_loaded;
    // A multi-page document prints its other pages even when this one failed.
    const bool printable = loaded && (s.decoded || (s.document_loaded && s.page_count > 1));
    set(p, kItemPrint, allowed(s, kNoPrint) && printable);
    set(p, kItemQuickPrint, allowed(s, kNoPrint) && printable);
    set(p, kItemOpen, allowed(s, kNoOpen) && s.download_state != DownloadState::kReceiving);
    set(p, kItemSaveAs, allowed(s, kNoSave) && loaded);
    set(p, kItemCopy, allowed(s, kNoCopy) && loaded && s.decoded);
    set(p, kItemSend, allowed(s, kNoEmail) && loaded);
    set(p, kItemUpload, s.has_upload_url && allowed(s, kNoUpload));
    for (int item : {kItemWhiteOut, kItemDraw, kItemErase}) set(p, item, allowed(s, kNoSketch));
    set(p, kItemMenu, allowed(s, kNoMenu));
    set(p, kItemPreviousPage, open && s.current_page > 0);
    set(p, kItemNextPage, open && s.current_page < s.page_count - 1);
    set(p, kItemPageList, open && s.page_count > 1);
    if (open) e.page_selection = s.current_page;
    return e;
}

ToolbarChecks toolbar_checked_states(const ToolbarState& s) {
    ToolbarChecks c;
    ToolbarPass& p = c.pass;
    c.spinner_enabled = s.size_mode == 0;
    set(p, kItemSmooth, s.smooth);
    set(p, kItemNegative, s.negative);
    set(p, kItemFitWidth, s.size_mode == 1);
    set(p, kItemFitHeight, s.size_mode == 2);
    set(p, kItemBestFit, s.size_mode == 3);
    // Fixed at 100 % is the plain original size: nothing to point out.
    set(p, kItemFixedSize, s.size_mode == 0 && s.zoom_index != zoom_index_of_100(ZoomTable::kImage));
    const int orientation_items[4] = {kItemOriginal, kItemRotatedRight, kItemUpsideDown, kItemRotatedLeft};
    for (int o = 0; o < 4; ++o) set(p, orientation_items[o], s.orientation == o);
    set(p, kItemZoomMode, s.mouse_mode == 0);
    set(p, kItemPanMode, s.mouse_mode == 1);
    set(p, kItemWhiteOut, s.mouse_mode == 3);
    set(p, kItemDraw, s.mouse_mode == 5);
    set(p, kItemErase, s.mouse_mode == 6);
    set(p, kItemMenu, false);  // checked only while its menu is open
    return c;
}

void toolbar_fixed_size_tooltip(const char16_t* fixed_size, int zoom_index, char16_t* out, int cap) {
    text_format(out, cap, u"%s (%d%%)", fixed_size ? fixed_size : u"",
                zoom_step_percent(ZoomTable::kImage, zoom_index));
}

void toolbar_upload_tooltip(const char16_t* upload, const char16_t* upload_to, const char16_t* upload_url,
                            char16_t* out, int cap) {
    if (!upload_url || !upload_url[0]) text_copy(out, cap, upload ? upload : u"");
    else
        text_format(out, cap, u"%s %s", upload_to ? upload_to : u"", upload_url);
}

void toolbar_spinner_thumb(ToolbarSpinner* s, int position) {
    if (s->pending == 0) s->pending = position == kSpinnerUpper ? 1 : -1;
}

SpinnerStep toolbar_spinner_end(ToolbarSpinner* s, int size_mode, int zoom_index) {
    SpinnerStep r;
    r.zoom_index = zoom_index;
    r.relayout = size_mode != 0;
    const int last = zoom_step_count(ZoomTable::kImage) - 1;
    if (s->pending > 0 && zoom_index > 0) {
        r.zoom_index = zoom_index - 1;
        r.relayout = true;
    } else if (s->pending < 0 && zoom_index < last) {
        r.zoom_index = zoom_index + 1;
        r.relayout = true;
    }
    s->pending = 0;
    return r;
}
