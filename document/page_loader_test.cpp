#include "document/page_loader.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include "decode/raster_ops.h"
#include "document/compression_names.h"
#include "document/test_support.h"
#include "testing/tiff_builder.h"

namespace {
// A document over built bytes, with a page loader context around it.
struct Loaded {
    CapturedLog error_log{true, false};
    CapturedLog page_log{false, false};
    std::vector<uint8_t> file;
    Document doc;
    DocumentBytes bytes;
    LoaderContext context;
    PageState page;
    DisplayRaster raster;

    explicit Loaded(std::vector<uint8_t> f) : file(std::move(f)) {
        bytes.memory = file.data();
        bytes.size = int64_t(file.size());
        bytes.size_known = true;
        context.error_log = &error_log.log;
        context.page_log = &page_log.log;
        EXPECT_TRUE(document_open(&doc, &bytes, context)) << text_to_utf8(error_log.text());
    }
    ~Loaded() {
        raster_destroy(&raster);
        document_close(&doc);
    }
    bool load(int page_number) {
        errlog_clear(&page_log.log);
        return page_load(&doc, document_directory_of_page(&doc, page_number), &bytes, context, &page, &raster);
    }
};

TiffPage grey_page(uint32_t w, uint32_t h) {
    TiffPage p;
    p.width = w;
    p.height = h;
    for (uint32_t i = 0; i < w * h; ++i) p.pixels.push_back(uint8_t(10 + 10 * i));
    return p;
}

// A page too large to decode, written without its pixels.
TiffPage huge_rgb_page(uint32_t w, uint32_t h) {
    TiffPage p;
    p.width = w;
    p.height = h;
    p.samples_per_pixel = 3;
    p.photometric = 2;
    p.raw_chunks = {{0, 0, 0}};
    return p;
}

// The errors of a log, without libtiff's warnings about the hand-made strips.
Text16 errors_of(const CapturedLog& log) {
    Text16 out, text = log.text();
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(u"\r\n", at);
        if (text.compare(at, 7, u"Error: ") == 0) out += text.substr(at, end + 2 - at);
        at = end + 2;
    }
    return out;
}

int grey_at(const DisplayRaster* r, int x, int y) { return raster_colours(r)[raster_row(r, y)[x]].red; }
}  // namespace

TEST(PageLoader, SwitchedOffCompressionIsRefusedByName) {
    TiffPage lzw = grey_page(4, 4), plain = grey_page(4, 4);
    lzw.compression = 5;
    Loaded l(tiff_build({lzw, plain}));
    const int disabled[] = {32773, 5};
    l.context.disabled_compressions = disabled;
    l.context.disabled_compression_count = 2;
    EXPECT_FALSE(l.load(0));
    EXPECT_TRUE(raster_empty(&l.raster));
    EXPECT_FALSE(l.page.shown);
    EXPECT_EQ(l.page_log.text(), u"Error: LZW compression support is disabled\r\n");
    EXPECT_TRUE(l.load(1));
    EXPECT_TRUE(l.page.shown);
    EXPECT_EQ(grey_at(&l.raster, 3, 3), 160);
}

TEST(PageLoader, SizeLimitsComeBeforeAnyPixelMemory) {
    // 30000 x 30000 x 24 bits is refused by the size test itself: a memory
    // limit of 1 MB would have given its own message had allocation been tried.
    Loaded l(tiff_build({huge_rgb_page(30000, 30000), huge_rgb_page(20000, 20000)}));
    l.context.memory_limit_mb = 1;
    EXPECT_FALSE(l.load(0));
    EXPECT_EQ(errors_of(l.page_log), u"Error: Image too large\r\n");
    EXPECT_TRUE(raster_empty(&l.raster));
    EXPECT_EQ(l.page.width, 30000);  // the page's facts stay for the information dialog
    EXPECT_FALSE(l.load(1));
    EXPECT_EQ(errors_of(l.page_log), u"Error: Image too large, exceeds configured 1MB memory limit\r\n");

    TiffPage wide;
    wide.width = 0xA00001;
    wide.bits_per_sample = 1;
    wide.raw_chunks = {{0}};
    Loaded w(tiff_build({wide}));
    EXPECT_FALSE(w.load(0));
    EXPECT_EQ(errors_of(w.page_log), u"Error: Invalid or unsupported image width or height\r\n");
}

TEST(PageLoader, EveryOrientationPlacesThePixelsAsTiffDefines) {
    constexpr int W = 3, H = 2;
    const auto stored = [](int col, int row) { return 10 + 10 * (row * W + col); };
    for (int o = 1; o <= 8; ++o) {
        TiffPage p = grey_page(W, H);
        p.orientation = uint16_t(o);
        p.resolution_unit = 2;
        p.x_resolution = 100;
        p.y_resolution = 200;
        Loaded l(tiff_build({p}));
        ASSERT_TRUE(l.load(0)) << o << text_to_utf8(l.page_log.text());
        const bool turned = o >= 5;
        EXPECT_EQ(l.page.orientation, o);
        EXPECT_EQ(l.page.width, turned ? H : W);
        EXPECT_EQ(l.page.height, turned ? W : H);
        ASSERT_EQ(raster_width(&l.raster), l.page.width);
        ASSERT_EQ(raster_height(&l.raster), l.page.height);
        EXPECT_EQ(l.page.x_resolution, turned ? 200 : 100) << o;
        EXPECT_EQ(l.page.y_resolution, turned ? 100 : 200) << o;
        EXPECT_EQ(raster_dib(&l.raster)->x_pels_per_meter, turned ? 7874 : 3937) << o;
        for (int y = 0; y < l.page.height; ++y)
            for (int x = 0; x < l.page.width; ++x) {
                int col = x, row = y;
                switch (o) {
                case 2: col = W - 1 - x; break;
                case 3: col = W - 1 - x, row = H - 1 - y; break;
                case 4: row = H - 1 - y; break;
                case 5: col = y, row = x; break;
                case 6: col = y, row = H - 1 - x; break;
                case 7: col = W - 1 - y, row = H - 1 - x; break;
                case 8: col = W - 1 - y, row = x; break;
                }
                EXPECT_EQ(grey_at(&l.raster, x, y), stored(col, row)) << "orientation " << o << " at " << x << "," << y;
            }
    }
}

TEST(PageLoader, FillsTheBookkeepingAndPrintHints) {
    TiffPage p = grey_page(8, 2);
    p.compression = 32773;
    p.resolution_unit = 3;
    p.x_resolution = p.y_resolution = 120;
    p.text_tags = {{TIFFTAG_SOFTWARE, "Scan\xe9r 2"}, {TIFFTAG_PAGENAME, "12 tray"}, {TIFFTAG_TARGETPRINTER, "duplex"}};
    Loaded l(tiff_build({p}));
    ASSERT_TRUE(l.load(0));
    EXPECT_EQ(l.page.compression, 32773);
    EXPECT_EQ(l.page.resolution_unit, 3);
    EXPECT_EQ(raster_dib(&l.raster)->x_pels_per_meter, 12000);
    EXPECT_EQ(l.page.software, u"Scan\u00e9r 2");
    EXPECT_EQ(l.page.hint_page_name, -1);  // read only in the print-hack mode

    l.context.print_hack = true;
    ASSERT_TRUE(l.load(0));
    EXPECT_EQ(l.page.hint_page_name, 12);
    EXPECT_EQ(l.page.hint_model, -1);
    EXPECT_EQ(l.page.hint_target_printer, 0);
}

TEST(PageLoader, ReadsFromFilesAndNeedsSomeBytes) {
    TiffPage p = grey_page(5, 3);
    Loaded l(tiff_build({p, p}));
    ScratchFile file(l.file);
    l.bytes.memory = nullptr;
    l.bytes.file_path = file.path.c_str();
    ASSERT_TRUE(l.load(1));
    EXPECT_EQ(grey_at(&l.raster, 4, 2), 150);

    l.bytes.file_path = nullptr;
    EXPECT_FALSE(l.load(0));
    EXPECT_EQ(l.page_log.text(), u"Error: Internal error: No file to load\r\n");
    EXPECT_TRUE(raster_empty(&l.raster));
    // A directory that does not exist loads nothing and says nothing.
    EXPECT_FALSE(page_load(&l.doc, 7, &l.bytes, l.context, &l.page, &l.raster));
    EXPECT_EQ(l.page_log.log.error_count, 1);
}

TEST(CompressionNames, KnownAndUnknownCodes) {
    char16_t name[32];
    compression_name(32946, name, 32);
    EXPECT_EQ(Text16(name), u"Deflate (libtiff)");
    compression_name(34712, name, 32);
    EXPECT_EQ(Text16(name), u"Unknown (34712)");
    compression_name(2, name, 8);
    EXPECT_EQ(Text16(name), u"CCITT R");
}

TEST(PageLoader, ADescriptionFromTheTagsSaysWhatALoadWould) {
    // Turned with a resolution; over the memory limit; old-style LZW codes,
    // which only the codec reports; an uncompressed strip short of its rows.
    TiffPage turned = grey_page(3, 2), old_lzw = grey_page(4, 4), short_strip = grey_page(4, 4);
    turned.orientation = 6;
    turned.resolution_unit = 2;
    turned.x_resolution = 100;
    turned.y_resolution = 200;
    old_lzw.compression = 5;
    old_lzw.raw_chunks = {{0x00, 0x01, 0x02, 0x03}};
    short_strip.rows_per_strip = 2;
    short_strip.raw_chunks = {{1, 2, 3}, {4, 5, 6}};
    Loaded l(tiff_build({turned, huge_rgb_page(20000, 20000), old_lzw, short_strip}));
    l.context.memory_limit_mb = 1024;
    const PageDescription expected[] = {PageDescription::kDescribed, PageDescription::kRefused,
                                        PageDescription::kNeedsDecoding, PageDescription::kNeedsDecoding};
    for (int page = 0; page < 4; ++page) {
        errlog_clear(&l.page_log.log);
        PageState described;
        EXPECT_EQ(page_describe(&l.doc, document_directory_of_page(&l.doc, page), &l.bytes, l.context, &described),
                  expected[page])
            << page;
        const Text16 described_log = l.page_log.text();
        const bool loaded = l.load(page);
        if (expected[page] == PageDescription::kNeedsDecoding) {
            EXPECT_NE(l.page_log.text(), described_log) << page;  // decoding did have something to add
            continue;
        }
        EXPECT_EQ(l.page_log.text(), described_log) << page;
        EXPECT_EQ(loaded, expected[page] == PageDescription::kDescribed) << page;
        EXPECT_EQ(described.shown, loaded);
        EXPECT_EQ(described.width, l.page.width) << page;
        EXPECT_EQ(described.height, l.page.height) << page;
        EXPECT_EQ(described.x_resolution, l.page.x_resolution) << page;
        EXPECT_EQ(described.source_bits_per_pixel, l.page.source_bits_per_pixel) << page;
    }
}
