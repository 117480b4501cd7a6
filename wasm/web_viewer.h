#pragma once
// The core as a web page's element uses it, through plain C calls that
// JavaScript can make: one document held in memory, its current page decoded
// and turned as the view says, the view laid out for a client size, and the
// view's pixels as RGBA rows. The element owns no view logic of its own; it
// asks here, so its canvas shows what `vellarion render` writes.
//
//   document bytes --open--> pages --load page--> page raster (turned, negated)
//        --layout(client)--> main view (scaled, smoothed) --render--> RGBA rows
//
// Texts come back as UTF-8 in a buffer owned by the viewer, valid until the
// next call that returns text.
#include <cstdint>

struct WebViewer;

extern "C" {
// Takes ownership of `bytes` (from malloc). Null only when memory ran out; a file
// without pages still gives a viewer whose page count is 0 and whose log says why.
WebViewer* vlw_open(uint8_t* bytes, int32_t size, int32_t memory_limit_mb);
void vlw_close(WebViewer* v);
int32_t vlw_page_count(const WebViewer* v);
// The document's log, then the current page's log: what the window shows
// when there is no page to paint.
const char* vlw_log_text(WebViewer* v);

// Decodes 0-based `page` and applies the view's orientation and negative to it.
int32_t vlw_load_page(WebViewer* v, int32_t page);
// 1 top, 2 right, 3 bottom, 4 left; 0..5 as the script's SetValue key 1 takes
// them is resolved by the caller. Answers 1 when the orientation changed.
int32_t vlw_set_orientation(WebViewer* v, int32_t value);
int32_t vlw_set_negative(WebViewer* v, int32_t on);
int32_t vlw_set_smooth(WebViewer* v, int32_t on);
// 0 fixed zoom, 1 fit width, 2 fit height, 3 best fit; 1 when it changed.
int32_t vlw_set_size_mode(WebViewer* v, int32_t mode);
// Nearest fixed step to the percentage (the smaller on a tie); switches to the fixed mode.
int32_t vlw_set_zoom_percent(WebViewer* v, int32_t percent);
// One step towards 1600 % (in) or 5 % (out); switches to the fixed mode.
void vlw_zoom_step(WebViewer* v, int32_t zoom_in);

// Lays the view out for a client area whose scroll bars take `bar` pixels
// when shown. 1 when there is a page to paint; the layout getters then answer.
int32_t vlw_layout(WebViewer* v, int32_t client_width, int32_t client_height, int32_t bar);
// Value keys: 1 orientation (1..4), 2 negative, 3 smooth, 5 size mode,
// 6 zoom percent, 9/10 page size, 11/12 decoded raster size, 13/14 view size,
// and our own 100/101: whether the last layout shows the horizontal/vertical bar.
int32_t vlw_value(const WebViewer* v, int32_t key);
// The whole view as RGBA rows, top first, view width by view height; null when
// it cannot be made (the page log says why).
const uint8_t* vlw_render(WebViewer* v);

// Crop bands: a view pixel to the page pixel under it (clamped into the page),
// and an inclusive page rectangle to the inclusive view rectangle showing it.
// Results go to out[0..1] and out[0..3].
void vlw_view_to_page(const WebViewer* v, int32_t x, int32_t y, int32_t* out);
void vlw_page_rect_to_view(const WebViewer* v, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t* out);

// Page analysis on the page as displayed.
void vlw_detect_barcodes(WebViewer* v, int32_t left, int32_t top, int32_t width, int32_t height);
const char* vlw_next_barcode(WebViewer* v);
double vlw_detect_blank_page(WebViewer* v);
void vlw_omr_init(WebViewer* v, int32_t x, int32_t y, int32_t width, int32_t height);
double vlw_omr_check(WebViewer* v, int32_t x, int32_t y, int32_t width, int32_t height);
// The tag report as plain text: the whole file (page 0) or one page (1-based).
const char* vlw_tag_report(WebViewer* v, int32_t page);
}
