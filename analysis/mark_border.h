#pragma once
// The two vertical border lines of a scanned form. For every row, a profile
// gives the x of the first solid dark run met from one side; a border line is
// the stretch of rows where that profile follows a straight line, and its two
// ends are where it stops doing so for good.
#include <cstdint>
#include <vector>

#include "decode/raster.h"

enum class MarkSide { kLeft, kRight };

// One end of a border line: raster column and row (rows counted from the top).
struct MarkPoint {
    int32_t x = 0, row = 0;
};

struct BorderLine {
    bool has_top = false, has_bottom = false;
    MarkPoint top, bottom;
};

// Per-row profile of one side, outliers already smoothed away.
std::vector<int32_t> mark_border_profile(const DisplayRaster* raster, MarkSide side);

// Smooths single rows that stand out from the five rows on both sides by more
// than 1 % of `width` (a speck or a gap in the line).
void mark_profile_smooth(std::vector<int32_t>* profile, int32_t width);

// The ends of the border line in a smoothed profile.
BorderLine mark_border_line(const std::vector<int32_t>& profile);
