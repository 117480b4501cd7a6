// `vellarion render FILE [--page N] [--out PNG] [view options]`: one page as a
// PNG of the page's kind (1-bit or 8-bit grey, palette or RGB), written row by
// row. Without view options it is the decoded page after the TIFF
// Orientation, through its colour table. With them it is exactly what the image
// window shows for the page at that view: turned, negated, sized for the size
// mode and window, and smoothed or not. Every raster it makes, the page's and
// the view's, is bounded by the memory limit.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/jpeg_reduced.h"
#include "decode/decode_page.h"
#include "decode/page_decoder.h"
#include "decode/raster_ops.h"
#include "document/document.h"
#include "document/page_loader.h"
#include "document/file_document.h"
#include "config/zoom_steps.h"
#include "tools/vellarion/command.h"
#include "tools/vellarion/memory_limit.h"
#include "tools/vellarion/raster_png.h"
#include "view/paint_plan.h"
#include "view/row_reducer.h"
#include "view/scaled_view.h"
#include "view/view_ops.h"

namespace {

void print_log(const ErrorLog* log) {
    std::string text = text_to_utf8(errlog_text(log));
    // Dropping the CR rather than replacing the pair: GCC 12's -Wrestrict misreads
    // the inlined replace() as an overlapping copy in optimised builds.
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    fputs(text.c_str(), stderr);
}

bool write_png(const DisplayRaster* raster, const char* path, int level) {
    std::string error;
    const bool ok = png_write_raster(raster, path, level, &error);
    if (!ok) fprintf(stderr, "vellarion: %s\n", error.c_str());
    return ok;
}

struct Args {
    const char* file = nullptr;
    const char* out = nullptr;
    int page = 1;
    bool view = false;  // any view option given
    ViewGroup group;    // the viewer's defaults: fit width, 100 %, smoothing on
    int window_w = 1000, window_h = 800;
    int png_level = kPngDefaultLevel;
    uint32_t memory_limit_mb = kToolMemoryLimitMb;
};

// Windows' scroll-bar size at 96 dpi: the window loses it when a bar is shown.
constexpr int kScrollBarSize = 17;

bool parse_size(const char* s, int* w, int* h) {
    char* end = nullptr;
    *w = int(strtol(s, &end, 10));
    if (*end != 'x' && *end != 'X') return false;
    *h = int(strtol(end + 1, &end, 10));
    return !*end && *w > 0 && *h > 0 && *w <= 100000 && *h <= 100000;
}

bool parse_switch(const char* s, int* field) {
    if (!strcmp(s, "on") || !strcmp(s, "yes")) *field = 1;
    else if (!strcmp(s, "off") || !strcmp(s, "no"))
        *field = 0;
    else
        return false;
    return true;
}

bool parse_view_option(const char* name, const char* value, Args* a) {
    ViewGroup& g = a->group;
    if (!strcmp(name, "--orient")) {
        static const char* const kWords[] = {"top", "right", "bottom", "left"};
        for (int i = 0; i < 4; ++i)
            if (!strcmp(value, kWords[i])) {
                g.orientation = i;
                return true;
            }
        return false;
    }
    if (!strcmp(name, "--negative")) return parse_switch(value, &g.negative);
    if (!strcmp(name, "--smooth")) return parse_switch(value, &g.smooth);
    if (!strcmp(name, "--zoom")) {
        char* end = nullptr;
        const long pct = strtol(value, &end, 10);
        if (*end || pct <= 0) return false;
        g.size_mode = 0;
        g.zoom_index = zoom_nearest_step(ZoomTable::kImage, int(pct));
        return true;
    }
    return false;
}

bool parse(int argc, char** argv, Args* a) {
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--page") && i + 1 < argc) {
            char* end = nullptr;
            a->page = int(strtol(argv[++i], &end, 10));
            if (*end || a->page < 1) return false;
        } else if (!strcmp(argv[i], "--out") && i + 1 < argc) {
            a->out = argv[++i];
        } else if (!strcmp(argv[i], "--memory-limit") && i + 1 < argc) {
            if (!parse_memory_limit(argv[++i], &a->memory_limit_mb)) return false;
        } else if (!strcmp(argv[i], "--png-level") && i + 1 < argc) {
            const char* level = argv[++i];
            if (level[0] < '0' || level[0] > '9' || level[1]) return false;
            a->png_level = level[0] - '0';
        } else if (!strcmp(argv[i], "--fit") && i + 2 < argc) {
            const char* mode = argv[++i];
            a->group.size_mode = !strcmp(mode, "best")     ? 3
                                 : !strcmp(mode, "width")  ? 1
                                 : !strcmp(mode, "height") ? 2
                                                           : -1;
            if (a->group.size_mode < 0 || !parse_size(argv[++i], &a->window_w, &a->window_h)) return false;
            a->view = true;
        } else if (argv[i][0] == '-' && argv[i][1] == '-' && i + 1 < argc && strcmp(argv[i], "--page") != 0) {
            if (!parse_view_option(argv[i], argv[i + 1], a)) return false;
            ++i;
            a->view = true;
        } else if (!a->file && argv[i][0] != '-') {
            a->file = argv[i];
        } else {
            return false;
        }
    }
    return a->file != nullptr;
}

LayoutInput layout_input(const Args& a) {
    LayoutInput in;
    in.client = Rect32{0, 0, a.window_w, a.window_h};
    in.vbar_width = kScrollBarSize;
    in.hbar_height = kScrollBarSize;
    return in;
}

// The page as the image window shows it at the chosen view.
bool render_view(const Args& a, DisplayRaster* page, ErrorLog* log, const std::string& out) {
    ViewGroup group = a.group;
    ViewLayout layout;
    if (!view_apply_to_raster(log, group, page)) {
        print_log(log);
        return false;
    }
    ViewContext c;
    c.view = &group;
    c.layout = &layout;
    c.page_raster = page;
    c.page_loaded = true;
    c.log = log;
    c.memory_limit_mb = a.memory_limit_mb;  // the view's own raster is bounded like the page
    LayoutInput in;
    in.client = Rect32{0, 0, a.window_w, a.window_h};
    in.vbar_width = kScrollBarSize;
    in.hbar_height = kScrollBarSize;
    const LayoutResult r = view_layout(c, in);
    // The page or its scaled copy is written as it stands; only an enlargement
    // the window would stretch while painting is made here.
    const ScaledView& v = layout.main_view;
    DisplayRaster stretched;
    const DisplayRaster* shown = v.draw_method == kDrawScaled ? &v.scaled_raster
                                 : v.draw_method == kDrawPage ? page
                                                              : &stretched;
    bool ok = r.has_page && !r.build_failed && (shown != &stretched || render_view_pixels(log, c, &stretched)) &&
              !raster_empty(shown);
    if (ok) ok = write_png(shown, out.c_str(), a.png_level);
    else
        print_log(log);
    raster_destroy(&stretched);
    scaled_view_drop(&layout.main_view);
    return ok;
}

// A reduced view made while the page is read, paying only for the pixels it
// shows: JPEG pages decoded at the largest fraction of their size that is
// still no smaller than the view, other pages reduced row by row as they are
// decoded. The rows go to `sink`; pages this cannot make the same way as the
// image window are decoded whole as usual.
struct ReducedRender {
    const Args* args = nullptr;
    ErrorLog* log = nullptr;
    uint32_t memory_limit_mb = 0;
    RowSink* sink = nullptr;
    std::unique_ptr<RowReduction> reduction;
    bool rows_ok = true;
};

void reduce_row(void* user, const uint8_t* row) {
    auto* r = static_cast<ReducedRender*>(user);
    r->rows_ok = r->rows_ok && r->reduction->push(row);
}

bool write_raster_rows(const DisplayRaster* raster, RowSink* sink) {
    DisplayRaster shape;
    if (!row_shape_create(nullptr, &shape, raster_width(raster), raster_height(raster), raster_bpp(raster)))
        return false;
    memcpy(shape.header, raster->header, size_t(shape.block_size));
    shape.is_grey = raster->is_grey;
    shape.is_four_level = raster->is_four_level;
    bool ok = sink->begin(shape);
    raster_destroy(&shape);
    for (int32_t y = 0; ok && y < raster_height(raster); ++y) ok = sink->write_row(raster_row(raster, y));
    return ok && sink->finish();
}

// The JPEG page at 1/divisor, turned and negated as the view asks, then
// reduced by the view's filter to the exact view size.
PageHookResult render_jpeg_reduced(ReducedRender* r, TIFF* tif, PageDecoder* d, int divisor, int orientation, int32_t w,
                                   int32_t h) {
    const ViewGroup& group = r->args->group;
    DisplayRaster small, shown;
    if (!jpeg_decode_reduced(tif, d, divisor, r->log, r->memory_limit_mb, &small)) return PageHookResult::kDecode;
    bool ok = raster_apply_orientation(r->log, &small, orientation) && view_apply_to_raster(r->log, group, &small);
    if (ok && (raster_width(&small) != w || raster_height(&small) != h))
        ok = scale_copy(r->log, &small, &shown, w, h, group.smooth != 0, r->memory_limit_mb);
    ok = ok && write_raster_rows(raster_empty(&shown) ? &small : &shown, r->sink);
    raster_destroy(&small);
    raster_destroy(&shown);
    return ok ? PageHookResult::kDone : PageHookResult::kFailed;
}

PageHookResult render_reduced(TIFF* tif, PageDecoder* d, const PageState& page, void* user) {
    auto* r = static_cast<ReducedRender*>(user);
    // A page over the memory limit is refused as the viewer refuses it, even
    // though a reduction would never hold it whole.
    if (!decode_page_check_memory(d, r->log, r->memory_limit_mb)) return PageHookResult::kFailed;
    const ViewGroup& group = r->args->group;
    int width = 0, height = 0, bpp = 0;
    decoder_get_fact(d, DecoderFact::kWidth, &width);
    decoder_get_fact(d, DecoderFact::kHeight, &height);
    decoder_get_fact(d, DecoderFact::kOutputBitsPerPixel, &bpp);
    // The page's shape as the window gets it: after the file's orientation and the view's turns.
    const bool swap = orientation_swaps_axes(page.orientation) != (group.orientation == 1 || group.orientation == 3);
    DisplayRaster shape;
    if (!row_shape_create(r->log, &shape, swap ? height : width, swap ? width : height, bpp))
        return PageHookResult::kDecode;
    decoder_prepare_raster(d, &shape);
    if (swap) std::swap(raster_dib(&shape)->x_pels_per_meter, raster_dib(&shape)->y_pels_per_meter);
    const ModeSize m = view_layout_size(group, true, &shape, layout_input(*r->args));
    const int32_t w = std::max(m.size.width, 1), h = std::max(m.size.height, 1);
    // Only reductions: the same size, and enlargements, are the whole page's business.
    const bool enlarge_while_painting =
        group.size_mode == kSizeFixed && group.zoom_index < zoom_index_of_100(ZoomTable::kImage);
    PageHookResult result = PageHookResult::kDecode;
    if (!enlarge_while_painting && w <= raster_width(&shape) && h <= raster_height(&shape) &&
        (w < raster_width(&shape) || h < raster_height(&shape))) {
        const int divisor = jpeg_reduction_divisor(d, swap ? h : w, swap ? w : h);
        if (divisor > 1) {
            result = render_jpeg_reduced(r, tif, d, divisor, page.orientation, w, h);
        } else if (page.orientation == 1 && group.orientation == 0 &&
                   row_reduction_supported(&shape, w, h, group.smooth != 0)) {
            r->reduction = row_reduction_start(r->log, &shape, w, h, group.smooth != 0, group.negative != 0, r->sink);
            if (r->reduction && decoder_set_row_sink(d, reduce_row, r)) {
                const bool decoded = decoder_decode(d);
                result = decoded && r->rows_ok ? PageHookResult::kDone : PageHookResult::kFailed;
            }
        }
    }
    raster_destroy(&shape);
    return result;
}

int render(const Args& a, const std::string& out) {
    FileDocument f;
    f.context.memory_limit_mb = a.memory_limit_mb;
    const FileOpenResult opened = file_document_open(&f, a.file);
    DisplayRaster raster;
    PageState state;
    RasterSink shown(&f.page_log);
    ReducedRender reduced;
    reduced.args = &a;
    reduced.log = &f.page_log;
    reduced.memory_limit_mb = f.context.memory_limit_mb;
    reduced.sink = &shown;
    PageDecodeHook hook;
    if (a.view) hook = PageDecodeHook{render_reduced, &reduced};
    bool hook_done = false;
    int status = 1;
    if (opened == FileOpenResult::kUnreadable) fprintf(stderr, "vellarion: cannot open %s\n", a.file);
    else if (opened == FileOpenResult::kNoPages)
        print_log(&f.error_log);
    else if (a.page > f.doc.page_count)
        fprintf(stderr, "vellarion: %s has %d pages\n", a.file, f.doc.page_count);
    else if (!page_load_with_hook(&f.doc, document_directory_of_page(&f.doc, a.page - 1), &f.bytes, f.context, &state,
                                  &raster, hook, &hook_done))
        print_log(&f.page_log);
    else if (hook_done)
        status = write_png(&shown.raster, out.c_str(), a.png_level) ? 0 : 1;
    else if (!a.view)
        status = write_png(&raster, out.c_str(), a.png_level) ? 0 : 1;
    else
        status = render_view(a, &raster, &f.page_log, out) ? 0 : 1;
    if (status == 0 && errlog_has_entries(&f.page_log)) print_log(&f.page_log);  // shown, with problems
    raster_destroy(&raster);
    return status;
}

int run_render(int argc, char** argv) {
    Args a;
    if (!parse(argc, argv, &a)) {
        fprintf(stderr,
                "usage: vellarion render FILE [--page N] [--out PNG] [--orient top|right|bottom|left]\n"
                "         [--negative on|off] [--fit best|width|height WxH] [--zoom PCT] [--smooth on|off]\n"
                "         [--png-level 0-9] [--memory-limit MB]\n");
        return 2;
    }
    std::string out = a.out ? a.out : std::string(a.file) + ".p" + std::to_string(a.page) + ".png";
    return render(a, out);
}

}  // namespace

VL_CLI_COMMAND(render, "render", "FILE [--page N] [--out PNG] [view options]   one page as a PNG", run_render);
