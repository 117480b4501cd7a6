#include "wasm/web_viewer.h"

#include <cstdlib>
#include <new>
#include <string>

#include "analysis/page_analysis.h"
#include "config/error_log.h"
#include "config/zoom_steps.h"
#include "decode/raster_ops.h"
#include "decode/raster_rgb.h"
#include "document/document.h"
#include "document/page_loader.h"
#include "inspect/report_builder.h"
#include "inspect/rtf_to_text.h"
#include "view/paint_plan.h"
#include "view/geometry.h"
#include "view/scaled_view.h"
#include "view/view_ops.h"

struct WebViewer {
    uint8_t* bytes = nullptr;  // the document's bytes stay put for the document's life
    int32_t size = 0;
    ErrorLog error_log;
    ErrorLog page_log;
    LoaderContext context;
    DocumentBytes source;
    Document doc;
    PageState page;
    DisplayRaster raster;  // the current page, turned and negated as the view says
    bool page_loaded = false;
    ViewGroup view;
    ViewLayout layout;
    LayoutResult last_layout;
    PageAnalysis analysis;
    std::string text;  // the last text handed out
    uint8_t* rgba = nullptr;

    WebViewer() {
        errlog_init(&error_log, true);
        errlog_init(&page_log, false);
        context.error_log = &error_log;
        context.page_log = &page_log;
        analysis_init(&analysis);
    }
    ~WebViewer() {
        free(rgba);
        scaled_view_drop(&layout.main_view);
        raster_destroy(&raster);
        document_close(&doc);
        errlog_free(&error_log);
        errlog_free(&page_log);
        free(bytes);
    }
    ViewContext view_context() {
        ViewContext c;
        c.view = &view;
        c.layout = &layout;
        c.page_raster = &raster;
        c.page_loaded = page_loaded;
        c.log = &page_log;
        c.memory_limit_mb = context.memory_limit_mb;
        return c;
    }
    const char* hand_out(std::string s) {
        text = std::move(s);
        return text.c_str();
    }
};

namespace {

std::string log_utf8(const ErrorLog* log) {
    std::string s = text_to_utf8(errlog_text(log));
    for (size_t at; (at = s.find("\r\n")) != std::string::npos;) s.replace(at, 2, "\n");
    return s;
}

}  // namespace

extern "C" {

WebViewer* vlw_open(uint8_t* bytes, int32_t size, int32_t memory_limit_mb) {
    WebViewer* v = new (std::nothrow) WebViewer;
    if (!v) {
        free(bytes);
        return nullptr;
    }
    v->bytes = bytes;
    v->size = size;
    v->context.memory_limit_mb = uint32_t(memory_limit_mb > 0 ? memory_limit_mb : 0);
    v->source.memory = bytes;
    v->source.size = size;
    v->source.size_known = true;
    if (!document_open(&v->doc, &v->source, v->context)) v->doc.page_count = 0;
    return v;
}

void vlw_close(WebViewer* v) { delete v; }

int32_t vlw_page_count(const WebViewer* v) { return v->doc.page_count; }

const char* vlw_log_text(WebViewer* v) { return v->hand_out(log_utf8(&v->error_log) + log_utf8(&v->page_log)); }

int32_t vlw_load_page(WebViewer* v, int32_t page) {
    if (page < 0 || page >= v->doc.page_count) return 0;
    errlog_clear(&v->page_log);
    scaled_view_drop(&v->layout.main_view);
    v->layout.scroll_x = v->layout.scroll_y = 0;
    v->layout.scroll_fraction_x = v->layout.scroll_fraction_y = 0;
    analysis_page_changed(&v->analysis);
    v->doc.current_directory = document_directory_of_page(&v->doc, page);
    v->page_loaded = page_load(&v->doc, v->doc.current_directory, &v->source, v->context, &v->page, &v->raster) &&
                     view_apply_to_raster(&v->page_log, v->view, &v->raster);
    if (!v->page_loaded) raster_destroy(&v->raster);
    return v->page_loaded;
}

int32_t vlw_set_orientation(WebViewer* v, int32_t value) {
    const OrientationChange o = view_set_orientation(v->view_context(), value - 1);
    return o.changed;
}

int32_t vlw_set_negative(WebViewer* v, int32_t on) {
    if ((on != 0) == (v->view.negative != 0)) return 0;
    view_toggle_negative(v->view_context());
    return 1;
}

int32_t vlw_set_smooth(WebViewer* v, int32_t on) {
    if ((on != 0) == (v->view.smooth != 0)) return 0;
    view_toggle_smoothing(v->view_context());
    return 1;
}

int32_t vlw_set_size_mode(WebViewer* v, int32_t mode) { return view_set_size_mode(&v->view, mode); }

int32_t vlw_set_zoom_percent(WebViewer* v, int32_t percent) {
    if (percent <= 0) return 0;
    v->view.size_mode = kSizeFixed;
    v->view.zoom_index = zoom_nearest_step(ZoomTable::kImage, percent);
    return 1;
}

void vlw_zoom_step(WebViewer* v, int32_t zoom_in) { view_zoom_step(&v->view, zoom_in != 0); }

int32_t vlw_layout(WebViewer* v, int32_t client_width, int32_t client_height, int32_t bar) {
    LayoutInput in;
    in.client = Rect32{0, 0, client_width, client_height};
    in.vbar_width = bar;
    in.hbar_height = bar;
    v->last_layout = view_layout(v->view_context(), in);
    return v->last_layout.has_page && !v->last_layout.build_failed;
}

int32_t vlw_value(const WebViewer* v, int32_t key) {
    const bool shown = v->page_loaded && v->last_layout.has_page;
    switch (key) {
    case 1: return v->view.orientation + 1;
    case 2: return v->view.negative;
    case 3: return v->view.smooth;
    case 5: return v->view.size_mode;
    case 6: return zoom_step_percent(ZoomTable::kImage, v->view.zoom_index);
    case 9: return v->page_loaded ? v->page.width : 0;
    case 10: return v->page_loaded ? v->page.height : 0;
    case 11: return raster_width(&v->raster);
    case 12: return raster_height(&v->raster);
    case 13: return shown ? v->layout.view_width : 0;
    case 14: return shown ? v->layout.view_height : 0;
    case 100: return v->last_layout.h_bar;
    case 101: return v->last_layout.v_bar;
    default: return 0;
    }
}

const uint8_t* vlw_render(WebViewer* v) {
    free(v->rgba);
    v->rgba = nullptr;
    DisplayRaster shown;
    if (!v->page_loaded || !render_view_pixels(&v->page_log, v->view_context(), &shown)) return nullptr;
    const std::vector<uint8_t> rgb = raster_to_rgb(&shown);
    const size_t pixels = rgb.size() / 3;
    v->rgba = static_cast<uint8_t*>(malloc(pixels * 4));
    if (v->rgba) {
        for (size_t i = 0; i < pixels; ++i) {
            v->rgba[4 * i] = rgb[3 * i];
            v->rgba[4 * i + 1] = rgb[3 * i + 1];
            v->rgba[4 * i + 2] = rgb[3 * i + 2];
            v->rgba[4 * i + 3] = 255;
        }
    } else {
        errlog_error(&v->page_log, u"Not enough memory to show the page.");
    }
    raster_destroy(&shown);
    return v->rgba;
}

void vlw_view_to_page(const WebViewer* v, int32_t x, int32_t y, int32_t* out) {
    const Point32 p =
        geometry_view_to_page_pixel(v->layout.main_view, v->page.width, v->page.height, Point32{x, y}, true);
    out[0] = p.x;
    out[1] = p.y;
}

void vlw_page_rect_to_view(const WebViewer* v, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t* out) {
    const Rect32 r = geometry_page_rect_to_view(v->layout.main_view, v->page.width, v->page.height,
                                                Rect32{left, top, right, bottom});
    out[0] = r.left;
    out[1] = r.top;
    out[2] = r.right;
    out[3] = r.bottom;
}

void vlw_detect_barcodes(WebViewer* v, int32_t left, int32_t top, int32_t width, int32_t height) {
    analysis_detect_barcodes(&v->analysis, v->page_loaded ? &v->raster : nullptr, left, top, width, height);
}

const char* vlw_next_barcode(WebViewer* v) { return v->hand_out(text_to_utf8(analysis_get_barcode(&v->analysis))); }

double vlw_detect_blank_page(WebViewer* v) {
    return analysis_detect_blank_page(&v->analysis, v->page_loaded ? &v->raster : nullptr);
}

void vlw_omr_init(WebViewer* v, int32_t x, int32_t y, int32_t width, int32_t height) {
    analysis_omr_init(&v->analysis, v->page_loaded ? &v->raster : nullptr, x, y, width, height);
}

double vlw_omr_check(WebViewer* v, int32_t x, int32_t y, int32_t width, int32_t height) {
    return analysis_omr_check(&v->analysis, v->page_loaded ? &v->raster : nullptr, x, y, width, height);
}

const char* vlw_tag_report(WebViewer* v, int32_t page) {
    MemoryBytes bytes{v->bytes, size_t(v->size)};
    std::string rtf;
    TagReportRequest request;
    request.read = tag_report_read_memory;
    request.read_user = &bytes;
    request.size = uint64_t(v->size);
    request.write = [](void* out, const char* data, size_t size) {
        static_cast<std::string*>(out)->append(data, size);
        return true;
    };
    request.write_user = &rtf;
    const int directory = document_directory_of_page(&v->doc, page - 1);
    if (page > 0 && directory >= 0) {
        request.all_pages = false;
        request.page_offset = v->doc.directories[directory].offset;
    }
    if (!tag_report_build(request)) return v->hand_out(std::string());
    return v->hand_out(rtf_to_text(rtf));
}

}  // extern "C"
