#include "output/document_tiff.h"

#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/error_log.h"
#include "decode/raster.h"
#include "document/page_marks.h"
#include "document/test_support.h"
#include "testing/tiff_builder.h"

namespace {
// Draws pages the way the plug-in's GDI maker does, for the parts that need no
// GDI: black-and-white pages stay one bit deep (0 black), everything else
// becomes 24-bit; white-outs are burnt in white. `fail_page` refuses a page.
struct TestMaker {
    std::vector<std::vector<uint8_t>> made;
    int calls = 0;
    int fail_call = -1;
    uint32_t paint_pixel = 0xFFFFFFFF;  // when set: pixel (0, 0) of every 24-bit page in 0x00BBGGRR

    static bool make(void* context, const DisplayRaster* page, const PageMarks* marks, PageImage* out) {
        auto* self = static_cast<TestMaker*>(context);
        if (self->calls++ == self->fail_call) return false;
        const int w = raster_width(page), h = raster_height(page), bpp = raster_bpp(page);
        const bool bilevel = bpp == 1;
        const int32_t stride = int32_t(raster_row_stride(w, bilevel ? 1 : 24));
        std::vector<uint8_t> bits(size_t(stride) * h);
        const DibColour* table = bpp <= 8 ? raster_colours(page) : nullptr;
        const bool flip = bilevel && table[0].red == 255;  // a white-first table
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = raster_row(page, y);
            uint8_t* row = bits.data() + size_t(h - 1 - y) * stride;
            if (bilevel) {
                for (int i = 0; i < (w + 7) / 8; ++i) row[i] = flip ? uint8_t(~in[i]) : in[i];
                continue;
            }
            for (int x = 0; x < w; ++x) {
                const uint8_t* px = bpp == 24 ? in + 3 * x : nullptr;
                const DibColour c = px ? DibColour{px[0], px[1], px[2], 0} : table[in[x]];
                row[3 * x] = c.blue;
                row[3 * x + 1] = c.green;
                row[3 * x + 2] = c.red;
            }
        }
        auto white = [&](int x, int y) {
            uint8_t* row = bits.data() + size_t(h - 1 - y) * stride;
            if (bilevel) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            else
                std::memset(row + 3 * x, 255, 3);
        };
        if (marks)
            for (const WhiteoutMark& m : marks->whiteouts)
                for (int y = m.rect.top; y <= m.rect.bottom && y < h; ++y)
                    for (int x = m.rect.left; x <= m.rect.right && x < w; ++x) white(x, y);
        if (!bilevel && self->paint_pixel != 0xFFFFFFFF) {
            uint8_t* top = bits.data() + size_t(h - 1) * stride;
            top[0] = uint8_t(self->paint_pixel >> 16);
            top[1] = uint8_t(self->paint_pixel >> 8);
            top[2] = uint8_t(self->paint_pixel);
        }
        self->made.push_back(std::move(bits));
        *out = PageImage{w, h, bilevel ? 1 : 24, stride, self->made.back().data(), nullptr};
        return true;
    }
    PageImageMaker maker() {
        PageImageMaker m;
        m.make = make;
        m.context = this;
        return m;
    }
};

// A three-page document: a 13-pixel-wide fax page at 200 x 100 dpi, a grey
// page, an RGB page with a red first pixel.
std::vector<uint8_t> three_pages() {
    TiffPage fax;
    fax.width = 13;
    fax.height = 3;
    fax.bits_per_sample = 1;
    fax.photometric = 0;
    fax.compression = 4;
    fax.pixels = {0x80, 0x00, 0x00, 0x00, 0xFF, 0xF8};  // WhiteIsZero: a black dot, a white row, a black row
    fax.resolution_unit = 2;
    fax.x_resolution = 200;
    fax.y_resolution = 100;
    fax.subfile_type = 2;
    TiffPage grey;
    grey.width = 4;
    grey.height = 2;
    grey.pixels = {10, 20, 30, 40, 50, 60, 70, 80};
    TiffPage rgb;
    rgb.width = 2;
    rgb.height = 2;
    rgb.samples_per_pixel = 3;
    rgb.photometric = 2;
    rgb.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    return tiff_build({fax, grey, rgb});
}

struct OpenDocument {
    std::vector<uint8_t> file;
    CapturedLog log{true, false};
    Document doc;
    DocumentBytes bytes;
    MarkTable marks;
    explicit OpenDocument(std::vector<uint8_t> f) : file(std::move(f)) {
        bytes.memory = file.data();
        bytes.size = int64_t(file.size());
        bytes.size_known = true;
        LoaderContext c;
        c.error_log = &log.log;
        c.page_log = &log.log;
        EXPECT_TRUE(document_open(&doc, &bytes, c));
    }
    ~OpenDocument() { document_close(&doc); }
    DocumentTiffSource source() {
        DocumentTiffSource s;
        s.document = &doc;
        s.bytes = &bytes;
        s.marks = &marks;
        return s;
    }
};

// A file opened for reading and writing, as the plug-in creates its targets.
struct Target {
    ScratchFile scratch{{}};
    FsHandle handle = kNoFile;
    Target() { handle = FsHandle(::open(text_to_utf8(scratch.path).c_str(), O_RDWR | O_TRUNC)); }
    ~Target() {
        if (handle != kNoFile) fs_close(handle);
    }
    void put(const std::string& s) {
        uint32_t done = 0;
        ASSERT_TRUE(fs_write(handle, s.data(), uint32_t(s.size()), &done));
    }
    uint64_t position() {
        uint64_t at = 0;
        EXPECT_TRUE(fs_seek(handle, 0, FsOrigin::kCurrent, &at));
        return at;
    }
    std::vector<uint8_t> bytes() { return read_whole_file(scratch.path.c_str()); }
};

uint32_t field32(TIFF* t, uint32_t tag) {
    uint32_t v = 0;
    return TIFFGetField(t, tag, &v) ? v : 0xFFFFFFFF;
}
uint16_t field16(TIFF* t, uint32_t tag) {
    uint16_t v = 0;
    return TIFFGetField(t, tag, &v) ? v : 0xFFFF;
}
std::vector<uint8_t> scanline(TIFF* t, uint32_t row) {
    std::vector<uint8_t> line(size_t(TIFFScanlineSize(t)));
    EXPECT_EQ(TIFFReadScanline(t, line.data(), row, 0), 1);
    return line;
}
}  // namespace

TEST(DocumentTiff, EveryPageIsReencodedAsItsKindWithTheSourcesTags) {
    OpenDocument d(three_pages());
    PageMarks* grey = marks_for(&d.marks, 1, d.doc.directory_count);
    ASSERT_NE(grey, nullptr);
    marks_add_whiteout(grey, PageRect{1, 0, 2, 1});
    TestMaker maker;
    Target out;
    ASSERT_TRUE(document_tiff_write(d.source(), out.handle, maker.maker()));
    const std::vector<uint8_t> written = out.bytes();
    TIFF* t = tiff_open_memory(written);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 3);

    // The fax page: Group 4, WhiteIsZero, its size, resolution and subfile type.
    EXPECT_EQ(field16(t, TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX4);
    EXPECT_EQ(field16(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(field16(t, TIFFTAG_BITSPERSAMPLE), 1);
    EXPECT_EQ(field32(t, TIFFTAG_ROWSPERSTRIP), 128u);
    EXPECT_EQ(field32(t, TIFFTAG_IMAGEWIDTH), 13u);
    EXPECT_EQ(field32(t, TIFFTAG_SUBFILETYPE), 2u);
    float xres = 0, yres = 0;
    EXPECT_TRUE(TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres));
    EXPECT_TRUE(TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres));
    EXPECT_FLOAT_EQ(xres, 200);
    EXPECT_FLOAT_EQ(yres, 100);
    EXPECT_EQ(field16(t, TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    EXPECT_EQ(scanline(t, 0)[0] & 0x80, 0x80);  // the black dot is still black
    EXPECT_EQ(scanline(t, 1)[0], 0x00);
    EXPECT_EQ(scanline(t, 2)[1] & 0xF8, 0xF8);

    // The grey page: 8-bit BlackIsZero LZW, with its white-out, top row first.
    ASSERT_TRUE(TIFFReadDirectory(t));
    EXPECT_EQ(field16(t, TIFFTAG_COMPRESSION), COMPRESSION_LZW);
    EXPECT_EQ(field16(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(field16(t, TIFFTAG_SAMPLESPERPIXEL), 1);
    EXPECT_EQ(field32(t, TIFFTAG_ROWSPERSTRIP), 64u);
    // Without resolution tags the decoder's 1 : 1 with no unit is carried over.
    EXPECT_TRUE(TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres));
    EXPECT_FLOAT_EQ(xres, 1);
    EXPECT_EQ(field16(t, TIFFTAG_RESOLUTIONUNIT), RESUNIT_NONE);
    EXPECT_EQ(scanline(t, 0), (std::vector<uint8_t>{10, 255, 255, 40}));
    EXPECT_EQ(scanline(t, 1), (std::vector<uint8_t>{50, 255, 255, 80}));

    // The colour page: RGB order.
    ASSERT_TRUE(TIFFReadDirectory(t));
    EXPECT_EQ(field16(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    EXPECT_EQ(field16(t, TIFFTAG_SAMPLESPERPIXEL), 3);
    EXPECT_EQ(field16(t, TIFFTAG_PLANARCONFIG), PLANARCONFIG_CONTIG);
    EXPECT_EQ(scanline(t, 0), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(scanline(t, 1), (std::vector<uint8_t>{0, 0, 255, 9, 9, 9}));
    TIFFClose(t);
}

TEST(DocumentTiff, AGreyPageWithAColouredMarkBecomesRgb) {
    TiffPage grey;
    grey.width = 3;
    grey.height = 1;
    grey.pixels = {1, 2, 3};
    OpenDocument d(tiff_build({grey}));
    TestMaker maker;
    maker.paint_pixel = 0x0000FF;  // red
    Target out;
    ASSERT_TRUE(document_tiff_write(d.source(), out.handle, maker.maker()));
    const std::vector<uint8_t> written = out.bytes();
    TIFF* t = tiff_open_memory(written);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(field16(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    EXPECT_EQ(scanline(t, 0), (std::vector<uint8_t>{255, 0, 0, 2, 2, 2, 3, 3, 3}));
    TIFFClose(t);
}

TEST(DocumentTiff, TheTiffStartsAtTheFilesPositionAndLeavesItAtTheEnd) {
    OpenDocument d(three_pages());
    TestMaker maker;
    Target out;
    out.put("--boundary\r\n");
    ASSERT_TRUE(document_tiff_write(d.source(), out.handle, maker.maker()));
    const std::vector<uint8_t> written = out.bytes();
    EXPECT_EQ(out.position(), written.size());
    ASSERT_GT(written.size(), 12u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 12), "--boundary\r\n");
    const std::vector<uint8_t> tiff(written.begin() + 12, written.end());
    TIFF* t = tiff_open_memory(tiff);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 3);
    ASSERT_TRUE(TIFFSetDirectory(t, 2));
    EXPECT_EQ(scanline(t, 0), (std::vector<uint8_t>{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(scanline(t, 1), (std::vector<uint8_t>{0, 0, 255, 9, 9, 9}));
    TIFFClose(t);
}

TEST(DocumentTiff, APageThatCannotBeDrawnIsLeftOutButNoPagesAtAllIsAFailure) {
    OpenDocument d(three_pages());
    TestMaker skip_second;
    skip_second.fail_call = 1;
    Target out;
    ASSERT_TRUE(document_tiff_write(d.source(), out.handle, skip_second.maker()));
    const std::vector<uint8_t> written = out.bytes();
    TIFF* t = tiff_open_memory(written);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 2);
    ASSERT_TRUE(TIFFSetDirectory(t, 1));
    EXPECT_EQ(field16(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    TIFFClose(t);

    TiffPage one;
    OpenDocument single(tiff_build({one}));
    TestMaker none;
    none.fail_call = 0;
    Target empty;
    empty.put("x");
    EXPECT_FALSE(document_tiff_write(single.source(), empty.handle, none.maker()));
    EXPECT_EQ(empty.position(), empty.bytes().size());
}

TEST(DocumentTiff, WithoutADocumentNothingIsWritten) {
    TestMaker maker;
    Target out;
    EXPECT_FALSE(document_tiff_write(DocumentTiffSource{}, out.handle, maker.maker()));
    EXPECT_EQ(maker.calls, 0);
    EXPECT_TRUE(out.bytes().empty());
}

TEST(DocumentTiff, OnlyWhiteOutsAndPenCountAsMarksToBurnIn) {
    MarkTable table;
    EXPECT_FALSE(document_has_burn_in_marks(&table));
    EXPECT_FALSE(document_has_burn_in_marks(nullptr));
    marks_set_crop(marks_for(&table, 2, 3), PageRect{0, 0, 5, 5});
    EXPECT_FALSE(document_has_burn_in_marks(&table));
    marks_add_pen(marks_for(&table, 1, 3), PenSegment{1, 1, 2, 2, 0});
    EXPECT_TRUE(document_has_burn_in_marks(&table));
}
