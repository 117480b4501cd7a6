#pragma once
// The Scaled view: the page raster at display size, built once per size and
// kept, so that painting only copies. Reductions are smoothed when asked;
// enlargements at a fixed zoom are not cached at all but stretched while
// painting (see paint_plan.h), so they never allocate an enlarged page.
#include <cstdint>

#include "decode/raster.h"
#include "view/view_state.h"

struct ErrorLog;

// The filter a scaled copy uses, chosen from the source depth and the two
// scale factors.
enum class ScaleFilter {
    kPlainStretch,
    kBilevelCoverage,     // 1-bit, both axes shrink (or stay)
    kBilevelWiderFirst,   // 1-bit, wider but shorter: stretched to at least twice the width first
    kBilevelTallerFirst,  // 1-bit, taller but narrower: stretched to at least twice the height first
    kBoxAverage,          // 8-bit grey or 24-bit, mean factor 0.09 or less
    kExactArea,           // 8-bit grey or 24-bit, milder reductions
    kPaletteBoxAverage,   // 4- or 8-bit palette
};
ScaleFilter scale_choose_filter(const DisplayRaster* src, int32_t w, int32_t h, bool smooth);

// A copy of src at w x h (values below 1 become 1) into dst (empty on entry).
// smooth: the view's smoothing setting, or forced for the magnifier.
[[nodiscard]] bool scale_copy(ErrorLog* log, const DisplayRaster* src, DisplayRaster* dst, int32_t w, int32_t h,
                              bool smooth, uint32_t memory_limit_mb);

// Rebuilds a main (kind 1) or magnifier (kind 2) view of the context's page.
// False when the copy could not be made; the view is then empty with target 0 x 0.
// The shell shows the wait cursor around it.
bool scaled_view_build(const ViewContext& c, ScaledView* view);
// Frees the cached copy; the view then paints the page raster itself.
void scaled_view_drop(ScaledView* view);
