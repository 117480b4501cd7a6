// Decode timings: our page decoder against libtiff's RGBA reader on the same
// bytes in the same run, for every page of the sample corpus and for three
// large generated pages. Prints a table; run it from an optimised build:
//   decode_bench [--corpus-only] [CORPUS_DIR]
// The allocator's thresholds are fixed (see main), as they are for any
// long-running process that has settled.
// With --digest it times nothing and prints, for every page, a hash of the
// whole raster block (header, colour table, rows) and of the log text: two
// builds that print the same lines decode every page to the same bytes.
//   decode_bench --digest [CORPUS_DIR]
// With --once it decodes one page once by one path, for instruction counts
// under valgrind (count only measure_once: --toggle-collect='*measure_once*'):
//   decode_bench --once FILE DIR ours|rgba [TIMES]
#include <tiffio.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/raster_ops.h"
#include "testing/tiff_builder.h"

namespace {

using Clock = std::chrono::steady_clock;

void quiet(const char*, const char*, va_list) {}

// Best of a few runs, in milliseconds; negative when the path cannot decode the page.
template <class F>
double best_ms(F&& run, int repeats) {
    double best = -1;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = Clock::now();
        if (!run()) return -1;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (best < 0 || ms < best) best = ms;
    }
    return best;
}

bool ours(const std::vector<uint8_t>& bytes, int dir) {
    TIFF* t = tiff_open_memory(bytes);
    if (!t) return false;
    bool ok = TIFFSetDirectory(t, tdir_t(dir));
    ErrorLog log;
    errlog_init(&log, false);
    DisplayRaster raster;
    ok = ok && decode_page(t, &log, DecodePageOptions{}, &raster);
    raster_destroy(&raster);
    errlog_free(&log);
    TIFFClose(t);
    return ok;
}

bool rgba(const std::vector<uint8_t>& bytes, int dir) {
    TIFF* t = tiff_open_memory(bytes);
    if (!t) return false;
    uint32_t w = 0, h = 0;
    bool ok = TIFFSetDirectory(t, tdir_t(dir)) && TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) &&
              TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h) && uint64_t(w) * h < (1u << 28);
    if (ok) {
        std::vector<uint32_t> px(size_t(w) * h);
        ok = TIFFReadRGBAImageOriented(t, w, h, px.data(), ORIENTATION_TOPLEFT, 0);
    }
    TIFFClose(t);
    return ok;
}

// FNV-1a over the raster block and the log, as hex; "-" when the page fails.
std::string digest(const std::vector<uint8_t>& bytes, int dir) {
    TIFF* t = tiff_open_memory(bytes);
    if (!t) return "-";
    const bool selected = TIFFSetDirectory(t, tdir_t(dir));
    ErrorLog log;
    errlog_init(&log, false);
    DisplayRaster raster;
    const bool ok = selected && decode_page(t, &log, DecodePageOptions{}, &raster);
    uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    };
    if (ok) mix(raster.header, size_t(raster.block_size));
    for (const char16_t* c = errlog_text(&log); c && *c; ++c) mix(reinterpret_cast<const uint8_t*>(c), 2);
    raster_destroy(&raster);
    errlog_free(&log);
    TIFFClose(t);
    char text[40];
    snprintf(text, sizeof text, "%s %016llx", ok ? "ok" : "failed", static_cast<unsigned long long>(h));
    return text;
}

struct Totals {
    double ours = 0, theirs = 0;
    int pages = 0, slower = 0;
};

// The two paths take turns, so a warm cache or a busy moment favours neither;
// small pages are timed many times, since a few microseconds of noise would
// decide them otherwise.
void best_of_both(const std::vector<uint8_t>& bytes, int dir, int repeats, double* a, double* b) {
    *a = *b = -1;
    double spent = 0;
    for (int i = 0; i < repeats || (spent < 100.0 && i < 400); ++i) {
        const double x = best_ms([&] { return ours(bytes, dir); }, 1);
        const double y = best_ms([&] { return rgba(bytes, dir); }, 1);
        if (x < 0 || y < 0) {
            if (x < 0) *a = -1;
            if (y < 0) *b = -1;
            if (i == 0) {
                *a = x;
                *b = y;
            }
            return;
        }
        if (*a < 0 || x < *a) *a = x;
        if (*b < 0 || y < *b) *b = y;
        spent += x + y;
    }
}

void report(const std::string& name, const std::vector<uint8_t>& bytes, int dir, int repeats, Totals* totals) {
    double a, b;
    best_of_both(bytes, dir, repeats, &a, &b);
    if (a < 0 || b < 0) {
        printf("%-64s %3d  %9s %9s\n", name.c_str(), dir, a < 0 ? "-" : std::to_string(a).substr(0, 7).c_str(),
               b < 0 ? "-" : std::to_string(b).substr(0, 7).c_str());
        return;
    }
    const double ratio = a / b;
    printf("%-64s %3d  %9.3f %9.3f  %5.2f%s\n", name.c_str(), dir, a, b, ratio, ratio > 1.0 ? "  SLOWER" : "");
    totals->ours += a;
    totals->theirs += b;
    totals->pages++;
    totals->slower += ratio > 1.0;
}

std::vector<uint8_t> generated_bilevel() {
    TiffPage p;
    p.width = 5100;
    p.height = 6600;
    p.bits_per_sample = 1;
    p.photometric = 0;
    p.compression = COMPRESSION_CCITTFAX4;
    const size_t row = (p.width + 7) / 8;
    p.pixels.assign(row * p.height, 0);
    // Lines of "text": short black runs in bands, like a scanned letter.
    for (uint32_t y = 300; y < p.height - 300; ++y) {
        if ((y / 40) % 2 || (y % 40) > 28) continue;
        for (size_t b = 40; b < row - 40; ++b)
            if (((b * 7 + y / 40 * 13) % 11) < 6) p.pixels[y * row + b] = uint8_t(0xF0 >> ((b + y) % 3));
    }
    return tiff_build({p});
}

std::vector<uint8_t> generated_photo(uint32_t w, uint32_t h, bool colour) {
    TiffPage p;
    p.width = w;
    p.height = h;
    p.samples_per_pixel = colour ? 3 : 1;
    p.photometric = colour ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_MINISBLACK;
    p.compression = colour ? COMPRESSION_JPEG : COMPRESSION_LZW;
    p.jpeg_rgb_input = colour;
    p.jpeg_quality = 85;
    p.rows_per_strip = colour ? 16 : 8;
    p.pixels.resize(size_t(w) * h * p.samples_per_pixel);
    uint8_t* px = p.pixels.data();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < p.samples_per_pixel; ++c)
                *px++ = uint8_t((x * (c + 1) / 7 + y / 5 + ((x ^ y) & 15)) & 0xFF);
    return tiff_build({p});
}

std::vector<std::filesystem::path> corpus_files(const std::string& corpus) {
    std::vector<std::filesystem::path> paths;
    for (const auto& e : std::filesystem::directory_iterator(corpus))
        if (e.path().extension() == ".tif" || e.path().extension() == ".tiff") paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<uint8_t> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int directory_count(const std::vector<uint8_t>& bytes) {
    TIFF* t = tiff_open_memory(bytes);
    if (!t) return 0;
    const int dirs = std::min<int>(TIFFNumberOfDirectories(t), 16);
    TIFFClose(t);
    return dirs;
}

int print_digests(const std::string& corpus) {
    printf("generated G4 %s\n", digest(generated_bilevel(), 0).c_str());
    printf("generated JPEG %s\n", digest(generated_photo(4000, 3000, true), 0).c_str());
    printf("generated LZW %s\n", digest(generated_photo(2550, 3300, false), 0).c_str());
    for (const auto& path : corpus_files(corpus)) {
        const std::vector<uint8_t> bytes = read_bytes(path);
        const int dirs = directory_count(bytes);
        for (int d = 0; d < dirs; ++d)
            printf("%s %d %s\n", path.filename().string().c_str(), d, digest(bytes, d).c_str());
    }
    return 0;
}

// Kept out of line so that an instruction counter can be told to count it alone.
[[gnu::noinline]] bool measure_once(const std::vector<uint8_t>& bytes, int dir, bool use_ours) {
    return use_ours ? ours(bytes, dir) : rgba(bytes, dir);
}

int decode_once(int argc, char** argv) {
    if (argc < 5) return 2;
    const std::vector<uint8_t> bytes = read_bytes(argv[2]);
    const int times = argc > 5 ? atoi(argv[5]) : 1;
    bool ok = true;
    for (int i = 0; i < times; ++i) ok = measure_once(bytes, atoi(argv[3]), std::string(argv[4]) == "ours") && ok;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Both paths allocate their page buffers afresh for every call. With the
    // allocator's adaptive thresholds, whether such a block comes from the heap
    // or from fresh zeroed pages depends on the pages measured before, and a
    // small page could flip between a fast and a slow mode with that history.
    // Fixed thresholds keep every block on the heap, so the times compare the
    // decoding and not the allocator's state.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    TIFFSetWarningHandler(quiet);
    TIFFSetErrorHandler(quiet);
    if (argc > 1 && std::string(argv[1]) == "--once") return decode_once(argc, argv);
    const bool corpus_only = argc > 1 && std::string(argv[1]) == "--corpus-only";
    const bool digests = argc > 1 && std::string(argv[1]) == "--digest";
    const int first_arg = 1 + (corpus_only || digests);
    const std::string corpus = argc > first_arg ? argv[first_arg] : VL_CORPUS_DIR;
    if (digests) return print_digests(corpus);
    printf("%-64s %3s  %9s %9s  %5s\n", "page", "dir", "ours ms", "rgba ms", "ratio");
    Totals generated, files;
    if (!corpus_only) {
        report("generated 5100x6600 bilevel G4", generated_bilevel(), 0, 5, &generated);
        report("generated 4000x3000 RGB JPEG (YCbCr)", generated_photo(4000, 3000, true), 0, 5, &generated);
        report("generated 2550x3300 8-bit grey LZW", generated_photo(2550, 3300, false), 0, 5, &generated);
    }
    for (const auto& path : corpus_files(corpus)) {
        const std::vector<uint8_t> bytes = read_bytes(path);
        const int dirs = directory_count(bytes);
        for (int d = 0; d < dirs; ++d) report(path.filename().string(), bytes, d, 3, &files);
    }
    printf("\ngenerated: %d pages, ours %.1f ms, rgba %.1f ms, %d slower\n", generated.pages, generated.ours,
           generated.theirs, generated.slower);
    printf("corpus: %d pages both decode, ours %.1f ms, rgba %.1f ms, %d slower\n", files.pages, files.ours,
           files.theirs, files.slower);
    return 0;
}
