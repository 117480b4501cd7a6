#pragma once
// Mark recognition on a scanned form. The form is located by its two vertical
// border lines; from their ends come the form's rotation, the raster position
// of its reference corner (the top of the left line) and its scale in raster
// pixels per form unit. A box given in form units is then measured by how
// much of it is dark.
//
//     form units (reference x, y) ──scale, angle──▶ raster pixels (origin)
//
#include <cstdint>

#include "analysis/mark_border.h"
#include "decode/raster.h"

struct MarkGrid {
    double angle = 0;    // radians; 0 for an upright form
    double x_scale = 0;  // raster pixels per form unit
    double y_scale = 0;
    int32_t origin_x = 0, origin_y = 0;  // raster position of the reference corner
    int32_t frame_width = 0, frame_height = 0;
    int16_t measured = 0;
    int32_t reference_x = 0, reference_y = 0;  // form coordinates of that corner
    int32_t form_width = 0, form_height = 0;   // form distance of the lines, and their length
};

// Aligns `grid` (its reference and form fields already set) from the ends of
// the two border lines, with the raster's resolutions in pixels per metre.
void mark_grid_align(MarkGrid* grid, const BorderLine& left, const BorderLine& right, int32_t x_pels_per_meter,
                     int32_t y_pels_per_meter);

// Dark fraction of the box at form coordinates x, y of width × height form
// units; pixels outside the raster count as dark. 0 when the box has no pixels.
double mark_grid_check(const MarkGrid& grid, const DisplayRaster* raster, int32_t x, int32_t y, int32_t width,
                       int32_t height);
