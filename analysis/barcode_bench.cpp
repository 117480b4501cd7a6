// Speed of the barcode scan: a full 600-dpi letter page (5100 × 6600, 1 bit),
// a worst case of pure noise, and the third-party barcode pages timed against
// zbarimg on the same files in the same run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/barcode_scan.h"
#include "analysis/code128_draw.h"
#include "analysis/raster_load.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Best of `runs` full-page scans, in seconds.
double time_scan(const DisplayRaster* r, int runs, size_t* texts) {
    double best = 1e9;
    for (int k = 0; k < runs; ++k) {
        BarcodeList list;
        double fraction = 0;
        const Clock::time_point t = Clock::now();
        barcode_scan(r, {}, &list, &fraction);
        best = std::min(best, seconds_since(t));
        *texts = list.texts.size();
    }
    return best;
}

// A scanned-letter look: a frame, lines of word-like blobs and four codes.
void draw_letter(DisplayRaster* r) {
    std::mt19937 rng(3);
    draw_fill(r, true);
    draw_rect(r, 300, 300, 8, 6000, false);
    draw_rect(r, 4792, 300, 8, 6000, false);
    for (int32_t y = 1200; y < 6000; y += 90)
        for (int32_t x = 450; x < 4600;) {
            const int32_t w = 40 + int32_t(rng() % 260);
            for (int k = 0; k < 40; ++k)
                draw_pixel(r, x + int32_t(rng() % uint32_t(w)), y + int32_t(rng() % 50), false);
            draw_rect(r, x, y + 10, w, 30 + int32_t(rng() % 10), false);
            x += w + 30 + int32_t(rng() % 30);
        }
    const char* texts[] = {"INVOICE-2024-000187", "PAGE 1/3", "CUSTOMER#88412", "BATCH-7"};
    for (int k = 0; k < 4; ++k)
        draw_code128(r, 500 + 1100 * k, 500, 300, 3 + k % 2, code128_elements(104, code128_set_b(texts[k])));
}

std::vector<std::string> corpus_files() {
    std::ifstream in(std::string(VL_CORPUS_DIR) + "/barcodes/manifest.tsv");
    std::vector<std::string> files;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) files.push_back(line.substr(0, line.find('\t')));
    return files;
}

void bench_corpus() {
    const std::vector<std::string> files = corpus_files();
    const std::string dir = std::string(VL_CORPUS_DIR) + "/barcodes/";
    double load = 0, scan = 0;
    size_t found = 0;
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round)
        for (const std::string& f : files) {
            DisplayRaster r;
            std::string error;
            Clock::time_point t = Clock::now();
            if (!analysis_raster_load((dir + f).c_str(), 0, &r, &error)) {
                fprintf(stderr, "%s: %s\n", f.c_str(), error.c_str());
                continue;
            }
            load += seconds_since(t);
            BarcodeList list;
            double fraction = 0;
            t = Clock::now();
            barcode_scan(&r, {}, &list, &fraction);
            scan += seconds_since(t);
            if (round == 0) found += list.texts.size();
            analysis_raster_free(&r);
        }
    const double n = double(files.size()) * rounds;
    printf("corpus (%zu pages, %zu texts): scan %.2f ms/page, load+scan %.2f ms/page\n", files.size(), found,
           1000 * scan / n, 1000 * (load + scan) / n);

    std::string all;
    for (const std::string& f : files) all += " '" + dir + f + "'";
    for (const char* options : {"", " -Sdisable -Scode128.enable"}) {
        const std::string command = std::string("zbarimg -q --raw") + options + all + " > /dev/null 2>&1";
        const Clock::time_point t = Clock::now();
        const int status = system(command.c_str());
        const double s = seconds_since(t);
        printf("zbarimg%s (one process, status %d): %.2f ms/page\n", options, status, 1000 * s / double(files.size()));
    }
}

}  // namespace

int main() {
    DisplayRaster page;
    if (!analysis_raster_alloc(5100, 6600, 1, &page)) return 1;
    draw_letter(&page);
    size_t texts = 0;
    double s = time_scan(&page, 7, &texts);
    const double mpx = 5100.0 * 6600.0 / 1e6;
    printf("letter page 5100x6600 1-bit: %.1f ms, %.0f Mpx/s, %zu texts\n", 1000 * s, mpx / s, texts);

    std::mt19937 rng(5);
    for (int32_t y = 0; y < 6600; ++y) {
        uint8_t* row = raster_row(&page, y);
        for (int32_t k = 0; k < page.stride; ++k) row[k] = uint8_t(rng());
    }
    s = time_scan(&page, 3, &texts);
    printf("noise page 5100x6600 1-bit: %.1f ms, %.0f Mpx/s\n", 1000 * s, mpx / s);
    analysis_raster_free(&page);

    bench_corpus();
    return 0;
}
