// Every directory of every third-party sample file goes through the decoder;
// where the reference tools decoded the page, our picture (through its colour
// table, after the TIFF Orientation) is compared with theirs.
//
// Where our colour rules deliberately differ, the comparison says why:
//  - JPEG pages: the reference reader may upsample chroma differently; we allow
//    a small per-channel difference (kJpegTolerance).
//  - deep samples (more than 8 bits): we keep the high byte without rounding,
//    the references round to the nearest 8-bit value (differences of 1).
//  - CMYK: our conversion truncates (255 − K)/255 × (255 − C) computed with an
//    inexact 1/255, so whole products can fall one below (differences of 1).
//  - alpha: we ignore extra samples; the reference renders are composited over
//    black, so pages with transparent pixels differ there.
//  - CIELab: we convert through D65 XYZ and sRGB; the references use other
//    white points and no companding, so the pictures are not comparable.
//  - old-style JPEG: libtiff's RGBA path and ours upsample differently.
//  - damaged pages: rows we cannot read show the 0xAA fill or stay black, which
//    the references render otherwise; pages whose log holds errors are only
//    checked for size.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/decode_page.h"
#include "decode/raster_ops.h"
#include "decode/raster_rgb.h"
#include "testing/tiff_builder.h"

namespace {

constexpr int kJpegTolerance = 12;

using Row = std::map<std::string, std::string>;

std::vector<Row> read_tsv(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<std::string> names;
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t')) cells.push_back(cell);
        if (names.empty()) {
            names = cells;
            continue;
        }
        Row r;
        for (size_t i = 0; i < names.size() && i < cells.size(); ++i) r[names[i]] = cells[i];
        rows.push_back(r);
    }
    return rows;
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// SHA-256 of the RGB bytes, for references too large to keep as PNG.
std::string sha256_hex(const std::vector<uint8_t>& data) {
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::vector<uint8_t> m = data;
    const uint64_t bits = uint64_t(data.size()) * 8;
    m.push_back(0x80);
    while (m.size() % 64 != 56) m.push_back(0);
    for (int i = 7; i >= 0; --i) m.push_back(uint8_t(bits >> (8 * i)));
    auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    for (size_t off = 0; off < m.size(); off += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(m[off + 4 * i]) << 24 | m[off + 4 * i + 1] << 16 | m[off + 4 * i + 2] << 8 |
                   m[off + 4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        const uint32_t add[8] = {a, b, c, d, e, f, g, hh};
        for (int i = 0; i < 8; ++i) h[i] += add[i];
    }
    char out[65];
    for (int i = 0; i < 8; ++i) snprintf(out + 8 * i, 9, "%08x", h[i]);
    return out;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

bool read_png(const std::string& path, Picture* p) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    p->width = int(image.width);
    p->height = int(image.height);
    p->rgba.resize(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, p->rgba.data(), 0, nullptr);
    png_image_free(&image);
    return ok;
}

bool has(const Row& m, const char* feature) { return m.at("features").find(feature) != std::string::npos; }

struct Verdict {
    bool agrees = false;
    std::string why;  // the deliberate difference, when there is one
};

Verdict compare_page(const Row& m, const Row& ref, const std::vector<uint8_t>& rgb, int w, int h, bool had_errors) {
    Verdict v;
    const bool transposing =
        has(m, "orientation-5") || has(m, "orientation-6") || has(m, "orientation-7") || has(m, "orientation-8");
    const auto ok = [&](const char* tool) { return ref.at(std::string(tool) + "_status").rfind("ok", 0) == 0; };
    // The RGBA reader does not transpose pages, so those compare with the other tool.
    const std::string tool = ok("tiff2rgba") && !transposing ? "tiff2rgba" : "im";
    if (!ok(tool.c_str())) {
        v.why = "only the RGBA reader decodes it, and it leaves the page untransposed";
        return v;
    }
    if (had_errors) {
        v.why = "damaged page: unread rows are filled by our rules";
        v.agrees = w == std::stoi(ref.at(tool + "_w")) && h == std::stoi(ref.at(tool + "_h"));
        return v;
    }
    std::string png = ref.at(tool + "_png");
    if (png == "=tiff2rgba") png = ref.at("tiff2rgba_png");
    Picture pic;
    if (png.find(".png") == std::string::npos) {
        v.agrees = sha256_hex(rgb) == ref.at(tool + "_rgb_sha256");
        if (!v.agrees) v.why = "reference kept only as a hash";
        return v;
    }
    if (!read_png(std::string(VL_CORPUS_DIR) + "/refs/" + png, &pic) || pic.width != w || pic.height != h) {
        v.why = "size differs";
        return v;
    }
    int tolerance = 0;
    if (has(m, "c:jpeg")) tolerance = kJpegTolerance;
    if (has(m, "bps:16") || has(m, "bps:32") || has(m, "bps:12") || has(m, "bps:14"))
        tolerance = std::max(tolerance, 1);
    if (has(m, "p:cmyk")) tolerance = std::max(tolerance, 1);
    const bool alpha = has(m, "alpha/extra") || has(m, "grey+extra");
    int worst = 0;
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(rgb[3 * i + c]) - pic.rgba[4 * i + c]));
    }
    v.agrees = worst <= tolerance;
    if (tolerance && worst)
        printf("  %s: largest channel difference %d (allowed %d)\n", m.at("file").c_str(), worst, tolerance);
    if (!v.agrees) {
        if (alpha) v.why = "alpha: the reference is composited over black";
        else if (has(m, "p:cielab"))
            v.why = "CIELab: different white point and companding";
        else if (has(m, "c:ojpeg"))
            v.why = "old-style JPEG: different chroma upsampling";
        else
            v.why = "max channel difference " + std::to_string(worst);
    }
    return v;
}

}  // namespace

TEST(CorpusAgreement, EveryPageDecodesAndMatchesTheReferences) {
    const std::string dir = VL_CORPUS_DIR;
    if (!std::filesystem::exists(dir + "/manifest.tsv")) GTEST_SKIP() << "no corpus at " << dir;
    const std::vector<Row> manifest = read_tsv(dir + "/manifest.tsv");
    std::map<std::string, Row> refs;
    for (const Row& r : read_tsv(dir + "/refs/refs.tsv")) refs[r.at("file") + "#" + r.at("dir")] = r;
    TIFFErrorHandler old_warning = TIFFSetWarningHandler(nullptr);
    TIFFErrorHandler old_error = TIFFSetErrorHandler(nullptr);
    int pages = 0, decoded = 0, reference_pages = 0, agreeing = 0, explained = 0;
    std::string unexplained;
    for (const Row& m : manifest) {
        const std::vector<uint8_t> bytes = read_file(dir + "/" + m.at("file"));
        TIFF* t = tiff_open_memory(bytes, m.at("file").c_str());
        if (!t) continue;
        if (m.at("dir") == "-" || !TIFFSetSubDirectory(t, std::stoull(m.at("ifd_offset")))) {
            TIFFClose(t);
            continue;
        }
        ++pages;
        ErrorLog log;
        errlog_init(&log, false);
        DisplayRaster raster;
        const bool ok = decode_page(t, &log, DecodePageOptions{}, &raster);
        decoded += ok;
        const auto ref = refs.find(m.at("file") + "#" + m.at("dir"));
        const bool reference_decodes = ref != refs.end() && (ref->second.at("tiff2rgba_status").rfind("ok", 0) == 0 ||
                                                             ref->second.at("im_status").rfind("ok", 0) == 0);
        reference_pages += reference_decodes;
        if (ok && reference_decodes) {
            const Verdict v = compare_page(m, ref->second, raster_to_rgb(&raster), raster_width(&raster),
                                           raster_height(&raster), log.error_count > 0);
            agreeing += v.agrees && v.why.empty();
            if (!v.agrees || !v.why.empty()) {
                const bool deliberate =
                    v.why.rfind("max", 0) != 0 && v.why != "size differs" && v.why.rfind("reference kept", 0) != 0;
                explained += deliberate;
                if (!deliberate) unexplained += m.at("file") + " dir " + m.at("dir") + ": " + v.why + "\n";
                else
                    printf("  %s dir %s: %s\n", m.at("file").c_str(), m.at("dir").c_str(), v.why.c_str());
            }
        } else if (!ok && reference_decodes) {
            printf("  %s dir %s: not shown (%s)\n", m.at("file").c_str(), m.at("dir").c_str(),
                   text_to_utf8(errlog_text(&log)).c_str());
        }
        raster_destroy(&raster);
        errlog_free(&log);
        TIFFClose(t);
    }
    TIFFSetWarningHandler(old_warning);
    TIFFSetErrorHandler(old_error);
    printf(
        "corpus: %d directories, %d decoded; of %d pages the references decode, %d agree and %d differ by "
        "our rules\n",
        pages, decoded, reference_pages, agreeing, explained);
    EXPECT_EQ(unexplained, "");
}
