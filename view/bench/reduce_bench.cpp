// Times the reduction that builds the image window's cached copy for a large
// bilevel page and a large colour page at best fit in a 1000 x 800 window, and
// `vips resize` on the same pixels in the same run. Prints a report; the
// numbers depend on the machine, so nothing here passes or fails.
//
//   view_bench [work folder]     (needs `vips` on the PATH for the comparison)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "decode/raster_ops.h"
#include "view/geometry.h"
#include "view/scaled_view.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// A page of text-like strokes: short dark runs on white, in 1 bit.
bool make_bilevel(DisplayRaster* r, int32_t w, int32_t h) {
    if (!raster_create(nullptr, r, w, h, 1, true, 0)) return false;
    raster_colours(r)[1] = DibColour{255, 255, 255, 0};
    r->is_grey = 1;
    std::mt19937 rng(1);
    memset(r->bits, 0xFF, size_t(r->stride) * h);
    for (int32_t y = 0; y < h; ++y) {
        if ((y / 40) % 2) continue;  // blank lines between lines of "text"
        uint8_t* row = r->bits + int64_t(y) * r->stride;
        for (int32_t x = 100; x < w - 100; x += 1 + int32_t(rng() % 9))
            if (rng() % 3 == 0) row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
    }
    return true;
}

// A photograph-like page: smooth gradients with noise.
bool make_rgb(DisplayRaster* r, int32_t w, int32_t h) {
    if (!raster_create(nullptr, r, w, h, 24, true, 0)) return false;
    std::mt19937 rng(2);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = r->bits + int64_t(y) * r->stride;
        for (int32_t x = 0; x < w; ++x) {
            const int n = int(rng() % 32);
            row[3 * x] = uint8_t((x * 255 / w + n) & 0xFF);
            row[3 * x + 1] = uint8_t((y * 255 / h + n) & 0xFF);
            row[3 * x + 2] = uint8_t(((x + y) * 127 / (w + h) + n) & 0xFF);
        }
    }
    return true;
}

// The same pixels as a binary PGM (bilevel: 0 / 255) or PPM, top row first.
bool write_pnm(const DisplayRaster* r, const std::string& path) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const int32_t w = raster_width(r), h = raster_height(r);
    const bool colour = raster_bpp(r) == 24;
    fprintf(f, "%s\n%d %d\n255\n", colour ? "P6" : "P5", w, h);
    std::string line(size_t(w) * (colour ? 3 : 1), '\0');
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = raster_row(r, y);
        for (int32_t x = 0; x < w; ++x) {
            if (colour) {
                line[3 * x] = char(row[3 * x + 2]);
                line[3 * x + 1] = char(row[3 * x + 1]);
                line[3 * x + 2] = char(row[3 * x]);
            } else {
                line[x] = char((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0);
            }
        }
        fwrite(line.data(), 1, line.size(), f);
    }
    return fclose(f) == 0;
}

double time_ours(const DisplayRaster* page, Size32 target) {
    double best = 1e9;
    for (int k = 0; k < kRuns; ++k) {
        DisplayRaster out;
        const Clock::time_point t = Clock::now();
        const bool ok = scale_copy(nullptr, page, &out, target.width, target.height, true, 0);
        best = std::min(best, seconds_since(t));
        raster_destroy(&out);
        if (!ok) return -1;
    }
    return best;
}

// vips reads its own format by mapping it, so the command's time is mostly the
// resize (plus starting the process, which is reported separately).
double time_vips(const std::string& command) {
    double best = 1e9;
    for (int k = 0; k < kRuns; ++k) {
        const Clock::time_point t = Clock::now();
        if (std::system(command.c_str()) != 0) return -1;
        best = std::min(best, seconds_since(t));
    }
    return best;
}

void run_case(const char* name, const DisplayRaster* page, const std::string& dir) {
    const Size32 target = geometry_best_fit(1000, 800, raster_width(page), raster_height(page));
    const double ours = time_ours(page, target);
    printf("%s %dx%d -> %dx%d: reduction %.1f ms\n", name, raster_width(page), raster_height(page), target.width,
           target.height, ours * 1000);
    const std::string pnm = dir + "/" + name + (raster_bpp(page) == 24 ? ".ppm" : ".pgm");
    const std::string v = dir + "/" + name + ".v", out = dir + "/" + name + "_out.v";
    if (!write_pnm(page, pnm) || std::system(("vips copy " + pnm + " " + v).c_str()) != 0) {
        printf("  vips comparison skipped (no vips or no work folder)\n");
        return;
    }
    char scales[96];
    snprintf(scales, sizeof scales, " %.9f --vscale %.9f", double(target.width) / raster_width(page),
             double(target.height) / raster_height(page));
    const double vips = time_vips("vips resize " + v + " " + out + scales);
    const double idle = time_vips("vips copy " + dir + "/tiny.v " + dir + "/tiny_out.v");
    printf(
        "  vips resize %.1f ms (of which ~%.1f ms starting vips); ours / vips = %.2f, "
        "ours / (vips minus start) = %.2f\n",
        vips * 1000, idle * 1000, ours / vips, ours / std::max(vips - idle, 1e-6));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    std::system(("vips black " + dir + "/tiny.v 1 1 >/dev/null 2>&1").c_str());
    DisplayRaster bilevel, rgb;
    if (!make_bilevel(&bilevel, 5100, 6600) || !make_rgb(&rgb, 4000, 3000)) {
        fprintf(stderr, "out of memory\n");
        return 1;
    }
    run_case("bilevel", &bilevel, dir);
    run_case("rgb", &rgb, dir);
    raster_destroy(&bilevel);
    raster_destroy(&rgb);
    return 0;
}
