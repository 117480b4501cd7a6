#include "output/print_placement.h"

#include <algorithm>

namespace {
// A printer that reports no resolution would divide by zero; one dot per inch
// keeps the arithmetic finite and the page still prints.
double usable_dpi(double dpi) { return dpi > 0 ? dpi : 1.0; }

double to_mm(int32_t pixels, double dpi) { return pixels / usable_dpi(dpi) * 25.4; }

// The image's size and whether it is in millimetres. Resolutions more than a
// factor of ten apart are a broken header, not a real scanner: the pixels are
// all we can trust then.
struct ImageSize {
    double width = 1, height = 1;
    bool in_mm = false;
};
ImageSize image_size(const PrintImage& image) {
    const int64_t rx = image.x_ppm, ry = image.y_ppm;
    if (rx * 10 < ry || ry * 10 < rx || rx == 0 || ry == 0) return {double(image.width), double(image.height), false};
    return {image.width * 1000.0 / double(rx), image.height * 1000.0 / double(ry), true};
}

struct Area {
    int32_t width = 1, height = 1;  // device pixels
    double width_mm = 0, height_mm = 0;
};
// Centring keeps the page clear of the wider horizontal margin on both sides;
// vertically the bottom margin is mirrored at the top, whatever the top offset.
Area printable_area(const PrinterMetrics& p, bool centre) {
    Area a{p.printable_width, p.printable_height};
    if (centre) {
        const int32_t right = p.physical_width - p.offset_x - p.printable_width;
        const int32_t bottom = p.physical_height - p.offset_y - p.printable_height;
        a.width = p.printable_width - 2 * std::max(p.offset_x, right);
        a.height = p.printable_height - 2 * bottom;
    }
    // Margins wider than the sheet leave no area: keep one pixel rather than
    // dividing by zero or printing at a negative size.
    a.width = std::max<int32_t>(a.width, 1);
    a.height = std::max<int32_t>(a.height, 1);
    a.width_mm = to_mm(a.width, p.dpi_x);
    a.height_mm = to_mm(a.height, p.dpi_y);
    return a;
}

void fit(const ImageSize& image, const Area& area, PrintPlacement* out) {
    const double a = image.height / image.width, b = area.height_mm / area.width_mm;
    out->width = area.width;
    out->height = area.height;
    if (a < b) out->height = int32_t(a / b * area.height);
    else if (a > b)
        out->width = int32_t(b / a * area.width);
}
}  // namespace

PrintPlacement print_place(const PrintImage& image, const PrinterMetrics& printer, const PlacementOptions& options) {
    const ImageSize size = image_size(image);
    const Area area = printable_area(printer, options.centre);
    PrintPlacement p;
    if (options.fill || !size.in_mm || image.unit_none) {
        fit(size, area, &p);
    } else if (size.width <= area.width_mm && size.height <= area.height_mm) {
        p.width = int32_t(size.width / area.width_mm * area.width);
        p.height = int32_t(size.height / area.height_mm * area.height);
    } else {
        fit(size, area, &p);
    }
    p.width = std::max<int32_t>(p.width, 1);
    p.height = std::max<int32_t>(p.height, 1);
    p.width_mm = to_mm(p.width, printer.dpi_x);
    p.height_mm = to_mm(p.height, printer.dpi_y);
    if (options.centre) {
        p.x = std::max<int32_t>((printer.physical_width - p.width) / 2 - printer.offset_x, 0);
        p.y = std::max<int32_t>((printer.physical_height - p.height) / 2 - printer.offset_y, 0);
    }
    return p;
}

PrintPlacement print_choose_placement(const PrintImage& image, const PrinterMetrics& printer,
                                      const PlacementOptions& options, bool auto_rotate) {
    const PrintPlacement upright = print_place(image, printer, options);
    if (!auto_rotate) return upright;
    const PrintImage turned_image{image.height, image.width, image.y_ppm, image.x_ppm, image.unit_none};
    PrintPlacement turned = print_place(turned_image, printer, options);
    if (turned.width_mm * turned.height_mm <= 1.01 * upright.width_mm * upright.height_mm) return upright;
    turned.turned = true;
    return turned;
}

PrintRect print_fit_rect(const PrintRect& box, int32_t raster_width, int32_t raster_height, bool stretch) {
    PrintRect r = box;
    if (!stretch && raster_width > 0 && raster_height > 0 && box.width > 0 && box.height > 0) {
        // Compare the aspects as cross products: exact, and no division.
        const int64_t page = int64_t(raster_height) * box.width, room = int64_t(box.height) * raster_width;
        if (page < room) r.height = int32_t(int64_t(box.width) * raster_height / raster_width);
        else if (page > room)
            r.width = int32_t(int64_t(box.height) * raster_width / raster_height);
    }
    r.width = std::max<int32_t>(r.width, 1);
    r.height = std::max<int32_t>(r.height, 1);
    return r;
}
