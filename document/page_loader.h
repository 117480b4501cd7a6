#pragma once
// Loading one page of a Document: position a fresh libtiff reader on the
// page's directory, refuse what the viewer will not decode (switched-off
// compressions, absurd sizes) before any pixel memory is taken, decode into
// the Display raster and turn it as the page's Orientation tag says.
#include <cstdint>

#include "base/text.h"
#include "document/document.h"

struct DisplayRaster;

// What the rest of the viewer knows about the page being shown. Sizes and
// resolutions are those of the page as shown, after its Orientation.
struct PageState {
    bool shown = false;
    int width = 0;
    int height = 0;
    int compression = 0;
    int orientation = 1;
    int resolution_unit = 1;  // 1 none, 2 inch, 3 centimetre
    double x_resolution = 0;
    double y_resolution = 0;
    bool resolution_valid = false;
    uint32_t subfile_type = 0;
    Text16 software;
    // Print hints, read only with the print_hack switch: the leading number of
    // the PageName, Model and TargetPrinter tags, -1 when absent.
    int hint_page_name = -1;
    int hint_model = -1;
    int hint_target_printer = -1;
    // As the decoder found the page.
    int photometric = 0;
    int bits_per_sample = 0;
    int samples_per_pixel = 0;
    int source_bits_per_pixel = 0;
    int output_bits_per_pixel = 0;
    int palette_count = 0;
    bool is_grey = false;
};

void page_state_clear(PageState* page);

// Decodes directory `directory` of the Document into `raster` (which is
// emptied first). Problems go to context.page_log; true when the raster holds
// the page. A failed page leaves the Document as it was.
[[nodiscard]] bool page_load(const Document* doc, int directory, const DocumentBytes* bytes,
                             const LoaderContext& context, PageState* page, DisplayRaster* raster);

// A caller that makes its own pixels from the page (a reduced render that never
// holds the whole page) gets the reader and the validated decoder once every
// refusal and size limit has been applied. It answers kDone when it made the
// pixels itself (the raster is then left empty and not turned), kFailed after
// logging why, or kDecode to have the page decoded as usual.
struct PageDecoder;
typedef struct tiff TIFF;

enum class PageHookResult { kDecode, kDone, kFailed };
struct PageDecodeHook {
    PageHookResult (*decode)(TIFF* tif, PageDecoder* decoder, const PageState& page, void* user) = nullptr;
    void* user = nullptr;
};
[[nodiscard]] bool page_load_with_hook(const Document* doc, int directory, const DocumentBytes* bytes,
                                       const LoaderContext& context, PageState* page, DisplayRaster* raster,
                                       const PageDecodeHook& hook, bool* hook_done);

enum class PageDescription {
    kRefused,        // the page cannot be shown; the page log says why
    kDescribed,      // the facts and the page log are what a load would give
    kNeedsDecoding,  // the facts are right, but only decoding shows what the data adds to the log
};

// What page_load would make of directory `directory` without decoding it:
// the facts (sizes after the Orientation), the page log of reading the
// directory and of every refusal made before pixel memory is taken, the
// memory limit included. Decoding can add to that log only through the
// page's data; kNeedsDecoding says the directory cannot rule that out.
[[nodiscard]] PageDescription page_describe(const Document* doc, int directory, const DocumentBytes* bytes,
                                            const LoaderContext& context, PageState* page);
