#include "host/viewer_file.h"

#include <new>

#include "decode/raster_ops.h"
#include "host/viewer.h"
#include "view/scaled_view.h"
#include "view/view_state.h"

namespace {
std::vector<int> g_disabled;
}

ViewerFile* viewer_file(Viewer* v) {
    if (!v->document.file) v->document.file = new (std::nothrow) ViewerFile{};
    return v->document.file;
}

void viewer_file_reset(Viewer* v) {
    scaled_view_drop(&v->layout.main_view);
    scaled_view_drop(&v->layout.zoom_view);
    if (!v->document.file) return;
    raster_destroy(&v->document.file->raster);
    document_close(&v->document.file->document);
    marks_clear_all(&v->document.file->marks);
    page_state_clear(&v->document.file->page);
    v->document.file->bytes = DocumentBytes{};
}

void viewer_file_free(Viewer* v) {
    viewer_file_reset(v);
    delete v->document.file;
    v->document.file = nullptr;
}

void viewer_set_disabled_compressions(const char16_t* list) {
    g_disabled.clear();
    const std::u16string_view s(list ? list : u"");
    size_t start = 0;
    while (start <= s.size()) {
        size_t comma = s.find(u',', start);
        if (comma == std::u16string_view::npos) comma = s.size();
        const long long code = text_leading_int(s.substr(start, comma - start));
        if (code > 0 && code <= 0xFFFF) g_disabled.push_back(int(code));
        start = comma + 1;
    }
}

LoaderContext viewer_loader_context(Viewer* v) {
    LoaderContext c;
    c.error_log = &v->logs.error;
    c.page_log = &v->logs.page;
    c.ignore_special_images = int(v->settings.ignorespecialimages);
    c.memory_limit_mb = v->settings.memorylimit;
    c.palette_repair = v->settings.palette_repair;
    c.print_hack = v->document.print_hack != 0;
    c.disabled_compressions = g_disabled.data();
    c.disabled_compression_count = int(g_disabled.size());
    return c;
}

bool viewer_page_shown(const Viewer* v) {
    return v->document.file && v->document.file->page.shown && !raster_empty(&v->document.file->raster);
}

ViewContext viewer_view_context(Viewer* v) {
    ViewContext c;
    c.view = &v->view;
    c.layout = &v->layout;
    ViewerFile* f = viewer_file(v);
    c.page_raster = f ? &f->raster : nullptr;
    c.page_loaded = viewer_page_shown(v);
    c.log = &v->logs.page;
    c.memory_limit_mb = v->settings.memorylimit;
    return c;
}

PageMarks* viewer_current_marks(Viewer* v) {
    if (!v->document.file || !v->document.loaded) return nullptr;
    return marks_for(&v->document.file->marks, v->document.current_directory,
                     v->document.file->document.directory_count);
}
