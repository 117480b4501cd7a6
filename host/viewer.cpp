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
    btext_init(&v->stream.file_path, 260);
    btext_init(&v->ui.settings_toolbar_items, 200);
    btext_init(&v->ui.page_toolbar_items, 200);
    btext_init(&v->shell.work_folder, 360);
    btext_init(&v->shell.work_file, 360);
    btext_init(&v->shell.status_text, 100);
    btext_init(&v->stream.url, 1024);
    btext_init(&v->mouse.href, 1024);
    btext_init(&v->mouse.target, 64);
    btext_init(&v->annotate.upload.url, 1024);
    btext_init(&v->annotate.upload.param_name, 260);
    btext_init(&v->annotate.upload.file_name, 260);
    btext_init(&v->stream.temp_path, 260);
    btext_set(&v->mouse.target, u"_self");
}

void free_texts(Viewer* v) {
    for (BoundedText* t :
         {&v->stream.file_path, &v->ui.settings_toolbar_items, &v->ui.page_toolbar_items, &v->shell.work_folder,
          &v->shell.work_file, &v->shell.status_text, &v->stream.url, &v->mouse.href, &v->mouse.target,
          &v->annotate.upload.url, &v->annotate.upload.param_name, &v->annotate.upload.file_name, &v->stream.temp_path})
        btext_free(t);
}

void choose_toolbar_items(Viewer* v) {
    const ToolbarConditions c{v->mouse.allow_select != 0, v->annotate.sketch_buttons != 0,
                              !btext_empty(&v->annotate.upload.url)};
    const auto layout =
        toolbar_choose_layout(btext_view(&v->ui.page_toolbar_items), btext_view(&v->ui.settings_toolbar_items));
    v->ui.toolbar_items = toolbar_parse_layout(layout, c);
    btext_free(&v->ui.page_toolbar_items);
    btext_free(&v->ui.settings_toolbar_items);
    for (int item : v->ui.toolbar_items)
        if (item == kToolbarItemSelect) v->mouse.allow_select = 1;
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
    v->browser.mode = a.mode;
    v->browser.npp = a.npp;
    init_texts(v);
    errlog_init(&v->logs.error, true);
    errlog_init(&v->logs.page, false);
    v->view.zoom_index = zoom_index_of_100(ZoomTable::kImage);
    v->view.zoom_window_index = zoom_index_of_100(ZoomTable::kMagnifier);

    settings_load(a.store, &v->settings);
    v->view = v->settings.view;
    v->layout.fix_ratio = v->settings.fixratio;
    v->ui.lctrl = v->settings.lctrl;
    v->access_flags = v->settings.access;
    if (v->settings.zoomrect_given) v->layout.zoom_rect = v->settings.zoomrect;
    btext_set(&v->ui.settings_toolbar_items, v->settings.toolbaritems);
    if (v->settings.miscflags & kMiscSelectionTools) v->mouse.allow_select = 1;

    v->ui.toolbar_from_settings = 1;
    v->ui.bgcolor_from_settings = 1;
    v->ui.toolbar_position = v->settings.toolbar;
    v->ui.background_color = v->settings.bgcolor;

    viewer_parse_params(v, a.count, a.names, a.values);

    if ((v->access_flags & kAccessAll) && v->browser.mode != kModeEmbed) {
        v->access_flags = kAccessEverything;
        v->settings.access = kAccessEverything;
    }
    choose_toolbar_items(v);
    if (v->view.mouse_mode == kMouseCrop) v->mouse.crop_select = 1;
    if (v->view.mouse_mode == kMouseErase) v->annotate.eraser_shown = 1;
    *out = v;
    return kNpErrNone;
}

void viewer_reset_core(Viewer* v) {
    errlog_clear(&v->logs.error);
    errlog_clear(&v->logs.page);
    btext_free(&v->stream.temp_path);
    free(v->stream.memory_buffer);  // allocated with malloc by the stream code
    v->stream.memory_buffer = nullptr;
    v->stream.data_size_known = 0;
    v->stream.magic_captured = 0;
    v->stream.magic_bytes[0] = v->stream.magic_bytes[1] = 0;
    v->stream.source = SourceKind::kNone;
    v->document.loaded = 0;
    v->document.page_count = 0;
    v->document.current_page = 0;
    v->document.blank_score = -1;
}

void viewer_free(Viewer* v) {
    if (!v) return;
    free(v->stream.memory_buffer);  // allocated with malloc by the stream code
    free_texts(v);
    errlog_free(&v->logs.error);
    errlog_free(&v->logs.page);
    v->~Viewer();
    viewer_memory_release(v, sizeof(Viewer));
}

KeyCommand viewer_key_command(unsigned vk, bool ctrl) {
    // Virtual-key and scroll-bar codes carry the platform's values.
    enum : unsigned {
        kPrior = 0x21,
        kNext = 0x22,
        kEnd = 0x23,
        kHome = 0x24,
        kLeft = 0x25,
        kUp = 0x26,
        kRight = 0x27,
        kDown = 0x28
    };
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
