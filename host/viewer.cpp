#include "host/viewer.h"

#include <cstdlib>
#include <new>

#include "config/message_box.h"
#include "config/zoom_steps.h"
#include "host/viewer_registry.h"
#include "ui/toolbar_items.h"

namespace {
// Text caps of the instance's fields (terminator included).
void init_texts(Viewer* v) {
    btext_init(&v->file_path, 260);
    btext_init(&v->settings_toolbar_items, 200);
    btext_init(&v->page_toolbar_items, 200);
    btext_init(&v->work_folder, 360);
    btext_init(&v->work_file, 360);
    btext_init(&v->status_text, 100);
    btext_init(&v->download_url, 1024);
    btext_init(&v->href, 1024);
    btext_init(&v->target, 64);
    btext_init(&v->upload_url, 1024);
    btext_init(&v->upload_param_name, 260);
    btext_init(&v->upload_file_name, 260);
    btext_init(&v->download_temp_path, 260);
    btext_set(&v->target, u"_self");
}

void free_texts(Viewer* v) {
    for (BoundedText* t : {&v->file_path, &v->settings_toolbar_items, &v->page_toolbar_items, &v->work_folder,
                           &v->work_file, &v->status_text, &v->download_url, &v->href, &v->target, &v->upload_url,
                           &v->upload_param_name, &v->upload_file_name, &v->download_temp_path})
        btext_free(t);
}

void choose_toolbar_items(Viewer* v) {
    const ToolbarConditions c{v->allow_select != 0, v->sketch_buttons != 0, !btext_empty(&v->upload_url)};
    const auto layout = toolbar_choose_layout(btext_view(&v->page_toolbar_items),
                                              btext_view(&v->settings_toolbar_items));
    v->toolbar_items = toolbar_parse_layout(layout, c);
    btext_free(&v->page_toolbar_items);
    btext_free(&v->settings_toolbar_items);
    for (int item : v->toolbar_items)
        if (item == kToolbarItemSelect) v->allow_select = 1;
}
}  // namespace

int viewer_create(const ViewerCreateArgs& a, Viewer** out) {
    *out = nullptr;
    if (!a.module_started) {
        msgbox_show(nullptr, kMbIconError, u"Browser failed to properly initialize the Vellarion %s", u"plug-in");
        return kNpErrGeneric;
    }
    void* memory = viewer_memory_allocate(sizeof(Viewer));
    if (!memory) return kNpErrOutOfMemory;
    Viewer* v = new (memory) Viewer{};
    v->mode = a.mode;
    v->npp = a.npp;
    init_texts(v);
    errlog_init(&v->error_log, true);
    errlog_init(&v->page_log, false);
    v->view.zoom_index = zoom_index_of_100(ZoomTable::kImage);
    v->view.zoom_window_index = zoom_index_of_100(ZoomTable::kMagnifier);

    settings_load(a.store, &v->settings);
    v->view = v->settings.view;
    v->layout.fix_ratio = v->settings.fixratio;
    v->lctrl = v->settings.lctrl;
    v->access_flags = v->settings.access;
    if (v->settings.zoomrect_given) v->zoom_rect = v->settings.zoomrect;
    btext_set(&v->settings_toolbar_items, v->settings.toolbaritems);
    if (v->settings.miscflags & kMiscSelectionTools) v->allow_select = 1;

    v->toolbar_from_settings = 1;
    v->bgcolor_from_settings = 1;
    v->toolbar_position = v->settings.toolbar;
    v->background_color = v->settings.bgcolor;

    viewer_parse_params(v, a.count, a.names, a.values);

    if ((v->access_flags & kAccessAll) && v->mode != kModeEmbed) {
        v->access_flags = kAccessEverything;
        v->settings.access = kAccessEverything;
    }
    choose_toolbar_items(v);
    if (v->view.mouse_mode == kMouseCrop) v->crop_select = 1;
    if (v->view.mouse_mode == kMouseErase) v->eraser_shown = 1;
    *out = v;
    return kNpErrNone;
}

void viewer_reset_core(Viewer* v) {
    errlog_clear(&v->error_log);
    errlog_clear(&v->page_log);
    btext_free(&v->download_temp_path);
    free(v->memory_buffer);  // allocated with malloc by the stream code
    v->memory_buffer = nullptr;
    v->data_size_known = 0;
    v->magic_captured = 0;
    v->magic_bytes[0] = v->magic_bytes[1] = 0;
    v->source_kind = 0;
    v->document_loaded = 0;
    v->page_count = 0;
    v->current_page = 0;
    v->blank_score = -1;
}

void viewer_free(Viewer* v) {
    if (!v) return;
    free(v->memory_buffer);  // allocated with malloc by the stream code
    free_texts(v);
    errlog_free(&v->error_log);
    errlog_free(&v->page_log);
    v->~Viewer();
    viewer_memory_release(v, sizeof(Viewer));
}

KeyCommand viewer_key_command(unsigned vk, bool ctrl) {
    // Virtual-key and scroll-bar codes carry the platform's values.
    enum : unsigned { kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26,
                      kRight = 0x27, kDown = 0x28 };
    enum : int { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kTop = 6, kBottom = 7 };
    KeyCommand c;
    auto scroll = [&](bool vertical, int code) {
        c.action = KeyAction::kScroll;
        c.vertical = vertical;
        c.scroll_code = code;
    };
    auto page = [&](PageStep step) {
        c.action = KeyAction::kPage;
        c.page = step;
    };
    switch (vk) {
    case kPrior: ctrl ? page(PageStep::kPrevious) : scroll(true, kPageUp); break;
    case kNext: ctrl ? page(PageStep::kNext) : scroll(true, kPageDown); break;
    case kEnd: ctrl ? page(PageStep::kLast) : scroll(true, kBottom); break;
    case kHome: ctrl ? page(PageStep::kFirst) : scroll(true, kTop); break;
    case kLeft: scroll(false, kLineUp); break;
    case kUp: scroll(true, kLineUp); break;
    case kRight: scroll(false, kLineDown); break;
    case kDown: scroll(true, kLineDown); break;
    default: break;
    }
    return c;
}
