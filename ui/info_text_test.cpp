#include "ui/info_text.h"

#include <gtest/gtest.h>

#include <tiffio.h>
#include <zlib.h>

#include <vector>

#include "config/settings_store.h"
#include "host/stream_reception.h"
#include "host/viewer_pages.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_ui.h"
#include "testing/tiff_builder.h"

namespace {
bool has(const Text16& text, std::u16string_view part) { return text.find(part) != Text16::npos; }

// A finished download of a two-page file held in memory, on page 1.
InfoFacts downloaded() {
    InfoFacts f;
    f.download_state = DownloadState::kFinished;
    f.download_url = u"http://example.test/scan.tif";
    f.in_memory = true;
    f.data_size = 12345;
    f.document_loaded = true;
    f.page_count = 2;
    f.page.known = true;
    f.page.number = 1;
    f.page.count = 2;
    f.page.width = 1700;
    f.page.height = 2200;
    f.page.resolution_unit = 2;
    f.page.x_density = 200;
    f.page.y_density = 200;
    f.page.has_resolution = true;
    f.page.photometric = 0;
    f.page.bits_per_sample = 1;
    f.page.bits_per_pixel = 1;
    f.page.compression = 4;
    f.has_href = true;
    f.href = u"http://example.test/next.html";
    return f;
}

// The uint32 time stamp of a moment `hours` before the file time `now`.
uint32_t stamp(uint64_t file_time) { return uint32_t(file_time >> 32); }
}  // namespace

TEST(InfoText, WholeTextOfADownloadedPageInOrder) {
    InfoFacts f = downloaded();
    f.page.software = u"ScanSoft 3";
    f.user_agent = u"TestBrowser/1.0";
    f.npapi_major = 0;
    f.npapi_minor = 27;
    f.os = InfoOsVersion{2, 6, 1, 7601, u"Service Pack 1"};
    f.module_path = u"C:\\plugins\\npvellarion.dll";
    f.memory_bytes = 5 * 1024 + 1023;
    f.credits = {u"first notice", u"second\nnotice"};
    const Text16 expected =
        u"------ Vellarion TIFF Image Viewer ------\r\n"
        u"Version 2.0.0 (32-bit Netscape-style plug-in) \u2013 Nov 22 2010\r\n"
        u"Copyright \u00a9 2010 ZEB. All rights reserved.\r\n"
        u"https://www.vellarion.com/\r\n"
        u"\r\n------ Current TIFF File ------\r\n"
        u"URL:\thttp://example.test/scan.tif\r\n"
        u"Local file:\t(in memory)\r\n"
        u"Size:\t12345 bytes\r\n"
        u"Number of pages:\t2\r\n"
        u"\r\n------ Current Page ------\r\n"
        u"Page number:\t1 of 2\r\n"
        u"Dimensions:\t1700 \u00d7 2200 pixels\r\n"
        u"Pixel density:\t200.0 \u00d7 200.0 pixels/inch\r\n"
        u"Image size:\t8.50 \u00d7 11.00 inches\r\n"
        u"Color type:\tBW, min-is-white\r\n"
        u"Bits/pixel:\t1\r\n"
        u"Compression:\tCCITT Group 4\r\n"
        u"Created with:\tScanSoft 3\r\n"
        u"\r\n------ Environment ------\r\n"
        u"Last update check:\tNever\r\n"
        u"Web browser:\tTestBrowser/1.0\r\n"
        u"Plug-in API version:\t0.27\r\n"
        u"Operating system:\tWindows NT, version 6.1.7601 Service Pack 1\r\n"
        u"Location:\tC:\\plugins\\npvellarion.dll\r\n"
        u"Memory in use:\t5 KB\r\n"
        u"Link to:\thttp://example.test/next.html\r\n"
        u"\r\n------\r\n"
        u"first notice\r\n"
        u"second\r\nnotice\r\n";
    EXPECT_EQ(info_text_build(f), expected);
}

TEST(InfoText, SectionsFollowTheDownloadState) {
    InfoFacts f = downloaded();
    f.download_state = DownloadState::kIdle;
    const Text16 idle = info_text_build(f);
    EXPECT_FALSE(has(idle, u"Current TIFF File"));
    EXPECT_FALSE(has(idle, u"Current Page"));
    EXPECT_TRUE(has(idle, u"------ Environment ------"));

    f.download_state = DownloadState::kRequested;  // requested: the address only
    f.download_url.clear();
    const Text16 requested = info_text_build(f);
    EXPECT_TRUE(has(requested, u"\r\n------ Current TIFF File ------\r\nURL:\tN/A\r\n\r\n------ Environment"));

    f = downloaded();
    f.document_loaded = false;  // finished, but no pages
    const Text16 unreadable = info_text_build(f);
    EXPECT_TRUE(has(unreadable, u"Size:\t12345 bytes\r\n\r\n------ Environment"));
    EXPECT_FALSE(has(unreadable, u"Number of pages"));
    EXPECT_FALSE(has(unreadable, u"Current Page"));

    f = downloaded();
    f.page.known = false;  // no page could be read
    EXPECT_FALSE(has(info_text_build(f), u"Current Page"));
}

TEST(InfoText, AccessBit0x80HidesLocationsButKeepsSizesAndPages) {
    InfoFacts f = downloaded();
    f.in_memory = false;
    f.local_path = u"C:\\temp\\vlr1.tmp";
    const Text16 open = info_text_build(f);
    EXPECT_TRUE(has(open, u"URL:\thttp://example.test/scan.tif\r\n"));
    EXPECT_TRUE(has(open, u"Local file:\tC:\\temp\\vlr1.tmp\r\n"));
    EXPECT_TRUE(has(open, u"Link to:\thttp://example.test/next.html\r\n"));

    f.access_flags = 0x80 | 0x4;
    const Text16 hidden = info_text_build(f);
    EXPECT_FALSE(has(hidden, u"URL:"));
    EXPECT_FALSE(has(hidden, u"Local file:"));
    EXPECT_FALSE(has(hidden, u"Link to:"));
    EXPECT_FALSE(has(hidden, u"example.test"));
    EXPECT_TRUE(has(hidden, u"------ Current TIFF File ------\r\nSize:\t12345 bytes\r\nNumber of pages:\t2\r\n"));
    EXPECT_TRUE(has(hidden, u"Page number:\t1 of 2\r\n"));

    f.access_flags = 0x7F;  // every other bit leaves them
    EXPECT_EQ(info_text_build(f), open);
}

TEST(InfoText, LongAddressesAreCutAt300Characters) {
    InfoFacts f = downloaded();
    const Text16 base = u"http://example.test/";
    f.download_url = base + Text16(400 - base.size(), u'a');
    const Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"URL:\t" + f.download_url.substr(0, 300) + u"...\r\nLocal file:"));
    EXPECT_FALSE(has(text, f.download_url.substr(0, 301)));

    f.download_url = base + Text16(300 - base.size(), u'b');  // 300: cut, though nothing is lost
    EXPECT_TRUE(has(info_text_build(f), u"URL:\t" + f.download_url + u"...\r\n"));
    f.download_url.pop_back();  // 299: whole
    EXPECT_TRUE(has(info_text_build(f), u"URL:\t" + f.download_url + u"\r\n"));
}

TEST(InfoText, DensityAndSizeLinesByUnit) {
    InfoFacts f = downloaded();
    f.page.resolution_unit = 3;
    f.page.x_density = 80;
    f.page.y_density = 40;
    f.page.width = 100;
    f.page.height = 30;
    Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Pixel density:\t80.0 \u00d7 40.0 pixels/cm\r\nImage size:\t1.25 \u00d7 0.75 cm\r\n"));

    f.page.resolution_unit = 1;  // a ratio only: no size
    text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Pixel density:\t80.0 \u00d7 40.0 (unitless)\r\nColor type:"));
    EXPECT_FALSE(has(text, u"Image size"));

    f.page.resolution_unit = 2;
    f.page.has_resolution = false;  // no resolution tags
    EXPECT_TRUE(has(info_text_build(f), u"Pixel density:\tUnknown\r\nColor type:"));
    f.page.has_resolution = true;
    f.page.x_density = 0;  // a zero x density says nothing
    EXPECT_TRUE(has(info_text_build(f), u"Pixel density:\tUnknown\r\nColor type:"));
}

TEST(InfoText, AdjustedSizeColourTypeAndUnnamedCompression) {
    InfoFacts f = downloaded();
    f.page.adjusted = true;
    f.page.adjusted_width = 1700;
    f.page.adjusted_height = 4400;
    f.page.photometric = 1;
    f.page.bits_per_sample = 8;
    f.page.bits_per_pixel = 8;
    f.page.compression = 50000;
    const Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Dimensions:\t1700 \u00d7 2200 pixels (adjusted to 1700 \u00d7 4400)\r\n"));
    EXPECT_TRUE(
        has(text, u"Color type:\tGrayscale, min-is-black\r\nBits/pixel:\t8\r\nCompression:\tUnknown (50000)\r\n"));
    EXPECT_FALSE(has(text, u"Created with"));
}

TEST(InfoText, UpdateCheckDaysAndAttempts) {
    // 36 hours before a moment of 2010, in file-time units of 100 ns.
    const uint64_t now = 129350000000000000ull, hours36 = 36ull * 3600 * 10000000;
    InfoFacts f;
    f.now = stamp(now);
    f.update_last_checked = stamp(now - hours36);
    Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Last update check:\t1.5 days ago\r\nWeb browser:"));
    EXPECT_NEAR(info_days_between(f.update_last_checked, f.now), 1.5, kUpdateTimeUnitDays);  // whole units

    f.update_last_attempt = f.update_last_checked;  // not later: no attempt line
    EXPECT_FALSE(has(info_text_build(f), u"attempt"));
    f.update_last_attempt = stamp(now - 12ull * 3600 * 10000000);
    text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Last update check:\t1.5 days ago\r\nLast update attempt: 0.5 days ago\r\n"));

    f.update_last_checked = 0;  // never succeeded, tried half a day ago
    text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Last update check:\tNever\r\nLast update attempt: 0.5 days ago\r\n"));

    // One unit is 2^32 × 100 ns; 201.165676 units make a day.
    EXPECT_NEAR(info_days_between(0, 201), 201 * kUpdateTimeUnitDays, 1e-12);
    EXPECT_NEAR(info_days_between(1000, 1000 + 2012), 10.0, 0.01);
}

TEST(InfoText, OperatingSystemsAndMemory) {
    InfoFacts f;
    f.os = InfoOsVersion{1, 4, 10, 2222, u"A"};
    EXPECT_TRUE(has(info_text_build(f), u"Operating system:\tWindows, version 4.10.2222 A\r\n"));
    f.os = InfoOsVersion{0, 3, 11, 0, u""};
    EXPECT_TRUE(has(info_text_build(f), u"Operating system:\tWin32s, version 3.11.0 \r\n"));
    f.os = InfoOsVersion{7, 1, 2, 3, u""};
    EXPECT_TRUE(has(info_text_build(f), u"Operating system:\tUnknown [7], version 1.2.3 \r\n"));
    f.memory_bytes = 1023;
    EXPECT_TRUE(has(info_text_build(f), u"Memory in use:\t0 KB\r\n"));
    f.memory_bytes = 3ull * 1024 * 1024;
    EXPECT_TRUE(has(info_text_build(f), u"Memory in use:\t3072 KB\r\n"));
    f.has_href = false;
    EXPECT_FALSE(has(info_text_build(f), u"Link to"));
    f.has_href = true;  // given, though empty
    EXPECT_TRUE(has(info_text_build(f), u"Link to:\t\r\n"));
}

TEST(InfoText, NoticeCleaning) {
    EXPECT_EQ(info_clean_notice(u"Copyright (c) 1995-2010 A\nCopyright (C) 2002-3 B"),
              u"Copyright \u00a9 1995\u20132010 A\r\nCopyright \u00a9 2002\u20133 B");
    // A CR LF stays as it is; a lone CR too; a dash needs four digits right before it.
    EXPECT_EQ(info_clean_notice(u"a\r\nb\rc\n\nd"), u"a\r\nb\rc\r\n\r\nd");
    EXPECT_EQ(info_clean_notice(u"v1.2-3 995-6 x1995-96 1995 -6 (c (x) (C)"),
              u"v1.2-3 995-6 x1995\u201396 1995 -6 (c (x) \u00a9");
    EXPECT_EQ(info_clean_notice(u"\n"), u"\r\n");
    EXPECT_EQ(info_clean_notice(u""), u"");
}

TEST(InfoText, NoticesAreCutAt1014Characters) {
    EXPECT_EQ(info_clean_notice(Text16(2000, u'x')), Text16(1014, u'x'));
    // The cap counts what is shown: "(c)" is one character, a LF two.
    Text16 marks;
    for (int i = 0; i < 1100; ++i) marks += u"(c)";
    EXPECT_EQ(info_clean_notice(marks), Text16(1014, u'\u00a9'));
    EXPECT_EQ(info_clean_notice(Text16(1013, u'x') + u"\ny"), Text16(1013, u'x'));
    EXPECT_EQ(info_clean_notice(Text16(1012, u'x') + u"\ny"), Text16(1012, u'x') + u"\r\n");
    EXPECT_EQ(info_clean_notice(Text16(1013, u'x') + u"\r\ny"), Text16(1013, u'x'));
    // Each notice is cut on its own, and each still ends its line.
    InfoFacts f;
    f.credits = {Text16(1500, u'a'), u"b"};
    EXPECT_TRUE(has(info_text_build(f), u"\r\n------\r\n" + Text16(1014, u'a') + u"\r\nb\r\n"));
}

TEST(InfoText, WholeTextIsCapped) {
    InfoFacts f;
    f.credits.assign(40, Text16(1000, u'n'));
    const Text16 text = info_text_build(f);
    EXPECT_EQ(text.size(), size_t(kInfoTextMaxChars));
    EXPECT_EQ(text.substr(0, 42), u"------ Vellarion TIFF Image Viewer ------\r");
}

TEST(InfoText, LibraryCreditsNameTheLinkedVersions) {
    const std::vector<Text16> credits = info_library_credits();
    ASSERT_EQ(credits.size(), 3u);
    EXPECT_TRUE(has(credits[0], u"zlib " + text_from_utf8(zlibVersion()))) << text_to_utf8(credits[0]);
    EXPECT_TRUE(has(credits[1], u"Independent JPEG Group. (libjpeg version ")) << text_to_utf8(credits[1]);
    const Text16 tiff = text_from_utf8(TIFFGetVersion());
    EXPECT_EQ(credits[2], u"Contains code from " + tiff + u"\n");
    // libtiff's own notice carries "(c)" and year ranges: shown cleaned.
    InfoFacts f;
    f.credits = credits;
    const Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Contains code from LIBTIFF, Version ")) << text_to_utf8(text);
    EXPECT_FALSE(has(text, u"(c)"));
    EXPECT_FALSE(has(text, u"(C)"));
    EXPECT_TRUE(has(text, u"1988\u20131996")) << text_to_utf8(text);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == u'\r') << "bare LF at " << i;
        }
    }
}

namespace {
struct ViewerFacts : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    int token = 0;
    void SetUp() override {
        settings_forget_low_integrity();
        make({});
    }
    void TearDown() override {
        drop();
        settings_forget_low_integrity();
    }
    void drop() {
        if (!v) return;
        reception_release(v);
        viewer_file_free(v);
        viewer_free(v);
        v = nullptr;
    }
    void make(std::vector<std::pair<const char16_t*, const char16_t*>> pairs) {
        drop();
        std::vector<const char16_t*> n, val;
        for (auto& p : pairs) {
            n.push_back(p.first);
            val.push_back(p.second);
        }
        ViewerCreateArgs a;
        a.count = int(n.size());
        a.names = n.data();
        a.values = val.data();
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
    }
    void deliver(const std::vector<uint8_t>& bytes, uint32_t announced) {
        const StreamInfo info{&token, "http://example.test/doc.tif", announced};
        ASSERT_EQ(reception_new(v, info), 0);
        reception_write(v, info, 0, int32_t(bytes.size()), bytes.data());
        reception_end(v, info, 0);
    }
};

TiffPage fax_page() {
    TiffPage p;
    p.width = 16;
    p.height = 8;
    p.bits_per_sample = 1;
    p.photometric = 0;
    p.compression = 4;
    p.resolution_unit = 2;
    p.x_resolution = 204;
    p.y_resolution = 98;
    p.pixels.assign(16, 0x0F);
    p.text_tags = {{TIFFTAG_SOFTWARE, "FaxMaker 2"}};
    return p;
}
}  // namespace

TEST_F(ViewerFacts, NothingDownloaded) {
    InfoFacts f;
    info_facts_from_viewer(v, &f);
    EXPECT_EQ(f.download_state, DownloadState::kIdle);
    EXPECT_FALSE(f.page.known);
    EXPECT_EQ(f.memory_bytes, 0u);
    EXPECT_FALSE(f.has_href);
}

TEST_F(ViewerFacts, AFaxPageInMemoryWithNonSquarePixels) {
    make({{u"href", u"http://example.test/more"}, {u"access", u"128"}});
    TiffPage grey;
    grey.width = 4;
    grey.height = 2;
    grey.pixels.assign(8, 0x40);
    const auto file = tiff_build({fax_page(), grey});
    deliver(file, uint32_t(file.size()));
    ASSERT_TRUE(viewer_page_shown(v));
    InfoFacts f;
    info_facts_from_viewer(v, &f);
    EXPECT_EQ(f.access_flags & 0x80, 0x80u);
    EXPECT_EQ(f.download_state, DownloadState::kFinished);
    EXPECT_EQ(f.download_url, u"http://example.test/doc.tif");
    EXPECT_TRUE(f.in_memory);
    EXPECT_EQ(f.data_size, uint32_t(file.size()));
    EXPECT_TRUE(f.document_loaded);
    EXPECT_EQ(f.page_count, 2);
    EXPECT_TRUE(f.page.known);
    EXPECT_EQ(f.page.number, 1);
    EXPECT_EQ(f.page.count, 2);
    EXPECT_EQ(f.page.width, 16);
    EXPECT_EQ(f.page.height, 8);
    EXPECT_EQ(f.page.resolution_unit, 2);
    EXPECT_DOUBLE_EQ(f.page.x_density, 204);
    EXPECT_DOUBLE_EQ(f.page.y_density, 98);
    EXPECT_TRUE(f.page.has_resolution);
    EXPECT_EQ(f.page.photometric, 0);
    EXPECT_EQ(f.page.bits_per_sample, 1);
    EXPECT_EQ(f.page.bits_per_pixel, 1);
    EXPECT_EQ(f.page.compression, 4);
    EXPECT_EQ(f.page.software, u"FaxMaker 2");
    // 204 × 98 dots per inch: shown about twice as tall.
    EXPECT_TRUE(f.page.adjusted);
    EXPECT_EQ(f.page.adjusted_width, 16);
    EXPECT_EQ(f.page.adjusted_height, 16);  // 8 × 204 / 98, whole pixels
    EXPECT_TRUE(f.has_href);
    EXPECT_EQ(f.href, u"http://example.test/more");
    // The page raster and the file in memory (no scaled view without a window).
    EXPECT_EQ(f.memory_bytes, uint64_t(v->document.file->raster.block_size) + file.size());

    const Text16 text = info_text_build(f);
    EXPECT_TRUE(has(text, u"Size:\t" + text_from_utf8(std::to_string(file.size())) + u" bytes\r\n"));
    EXPECT_FALSE(has(text, u"URL:"));
    EXPECT_FALSE(has(text, u"Link to:"));
    EXPECT_TRUE(has(text, u"Dimensions:\t16 \u00d7 8 pixels (adjusted to 16 \u00d7 16)\r\n"));
    EXPECT_TRUE(has(text, u"Compression:\tCCITT Group 4\r\nCreated with:\tFaxMaker 2\r\n"));

    // Turned by a quarter, the page keeps its own size and the same adjustment.
    v->view.orientation = 1;
    ASSERT_TRUE(viewer_go_to_page(v, 1));
    ASSERT_TRUE(viewer_go_to_page(v, 0));
    info_facts_from_viewer(v, &f);
    EXPECT_EQ(f.page.width, 16);
    EXPECT_EQ(f.page.adjusted_height, 16);
    EXPECT_EQ(f.page.adjusted_width, 16);

    v->layout.fix_ratio = 0;  // no correction: nothing adjusted
    info_facts_from_viewer(v, &f);
    EXPECT_FALSE(f.page.adjusted);
    ASSERT_TRUE(viewer_go_to_page(v, 1));
    info_facts_from_viewer(v, &f);
    EXPECT_EQ(f.page.number, 2);
    EXPECT_EQ(f.page.photometric, 1);
    EXPECT_FALSE(f.page.has_resolution);
    EXPECT_TRUE(f.page.software.empty());
}

TEST_F(ViewerFacts, ADownloadKeptInAFile) {
    const auto file = tiff_build({fax_page()});
    deliver(file, 0);  // no announced length: a temporary file
    InfoFacts f;
    info_facts_from_viewer(v, &f);
    EXPECT_FALSE(f.in_memory);
    EXPECT_FALSE(f.local_path.empty());
    EXPECT_EQ(f.local_path, Text16(btext_get(&v->stream.file_path)));
    EXPECT_EQ(f.memory_bytes, uint64_t(v->document.file->raster.block_size));
    EXPECT_TRUE(has(info_text_build(f), u"Local file:\t" + f.local_path + u"\r\n"));
}
