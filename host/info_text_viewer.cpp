// The viewer's part of the information text's facts, read from the Viewer
// record and its file state without any window.
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"
#include "view/geometry.h"

namespace {
uint64_t block_bytes(const DisplayRaster& r) { return r.header && r.block_size > 0 ? uint64_t(r.block_size) : 0; }

// The page's properties as the loader found them, and its size at 100 % when
// non-square pixels make the view stretch it.
void page_facts(const Viewer* v, InfoPage* p) {
    const ViewerFile* file = v->document.file;
    if (!file || file->page.width < 1 || file->page.height < 1) return;
    const PageState& s = file->page;
    p->known = true;
    p->number = v->document.current_page + 1;
    p->count = v->document.page_count;
    p->width = s.width;
    p->height = s.height;
    p->resolution_unit = s.resolution_unit;
    p->x_density = s.x_resolution;
    p->y_density = s.y_resolution;
    p->has_resolution = s.resolution_valid;
    p->photometric = s.photometric;
    p->bits_per_sample = s.bits_per_sample;
    p->bits_per_pixel = s.source_bits_per_pixel;
    p->compression = s.compression;
    p->software = s.software;
    if (!viewer_page_shown(v)) return;
    // The raster is held in view orientation: turn its size back to the page's.
    const FactorSize shown = geometry_size_at_factor(&file->raster, 1.0, v->layout.fix_ratio != 0);
    const bool turned = v->view.orientation % 2 != 0;
    const int w = turned ? shown.height : shown.width, h = turned ? shown.width : shown.height;
    if (w == s.width && h == s.height) return;
    p->adjusted = true;
    p->adjusted_width = w;
    p->adjusted_height = h;
}
}  // namespace

void info_facts_from_viewer(const Viewer* v, InfoFacts* f) {
    f->access_flags = v->access_flags;
    f->download_state = v->stream.state;
    f->download_url = Text16(btext_view(&v->stream.url));
    f->in_memory = v->stream.source == SourceKind::kMemory;
    f->local_path = v->stream.source == SourceKind::kFile ? Text16(btext_view(&v->stream.file_path)) : Text16();
    f->data_size = v->stream.data_size > 0 ? uint32_t(v->stream.data_size) : 0;
    f->document_loaded = v->document.loaded != 0;
    f->page_count = v->document.page_count;
    f->page = InfoPage{};
    page_facts(v, &f->page);
    uint64_t memory = block_bytes(v->layout.main_view.scaled_raster) + block_bytes(v->layout.zoom_view.scaled_raster);
    if (v->document.file) memory += block_bytes(v->document.file->raster);
    if (v->stream.memory_buffer && v->stream.data_size > 0) memory += uint64_t(v->stream.data_size);
    f->memory_bytes = memory;
    f->has_href = v->mouse.has_href != 0;
    f->href = Text16(btext_view(&v->mouse.href));
}
