#include "host/stream_reception.h"
#include "host/viewer_pages.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/message_box.h"
#include "host/npapi.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "testing/recording_shell.h"
#include "testing/tiff_builder.h"

namespace {
std::vector<Text16> g_boxes;
std::vector<int> g_page_events;
std::vector<std::string> g_repaints;
int g_autoprints = 0;
int g_get_url_result = 0;
Text16 g_requested;

int record_box(const MessageBoxRequest& r, void*) {
    g_boxes.push_back(r.text);
    return kIdOk;
}

std::vector<uint8_t> three_pages() {
    std::vector<TiffPage> pages(3);
    for (auto& p : pages) {
        p.width = 8;
        p.height = 4;
        p.pixels.assign(32, 0x80);
    }
    return tiff_build(pages);
}

struct StreamTest : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    MessageBoxHandler old_box = nullptr;
    void* old_ctx = nullptr;
    int stream_token = 0;

    void SetUp() override {
        settings_forget_low_integrity();
        g_boxes.clear();
        g_page_events.clear();
        g_repaints.clear();
        g_autoprints = 0;
        g_get_url_result = 0;
        old_box = msgbox_set_handler(record_box, nullptr, &old_ctx);
        StreamHooks h;
        h.page_change_event = [](Viewer*, int page) { g_page_events.push_back(page); };
        h.get_url = [](Viewer*, const char16_t* url) {
            g_requested = url;
            return g_get_url_result;
        };
        stream_set_hooks(h);
        ShellSeam shell;
        shell.post_autoprint = [](Viewer*) { ++g_autoprints; };
        recording_shell_install(&g_repaints, kShellFit | kShellMagnifier, shell);
        make({});
    }
    void TearDown() override {
        reception_release(v);  // a download kept in a temporary file leaves nothing behind
        viewer_file_free(v);
        viewer_free(v);
        stream_set_hooks(StreamHooks{});
        recording_shell_remove();
        msgbox_set_handler(old_box, old_ctx);
        settings_forget_low_integrity();
    }
    void make(std::vector<std::pair<const char16_t*, const char16_t*>> pairs) {
        if (v) {
            reception_release(v);
            viewer_file_free(v);
            viewer_free(v);
        }
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
    StreamInfo info(uint32_t end) { return StreamInfo{&stream_token, "http://example.test/doc.tif", end}; }
    // Delivers the bytes in chunks, as a browser does; returns the last write's result.
    int32_t deliver(const std::vector<uint8_t>& bytes, uint32_t announced, size_t chunk, int reason = 0) {
        EXPECT_EQ(reception_new(v, info(announced)), 0);
        int32_t r = 0;
        for (size_t off = 0; off < bytes.size() && r >= 0; off += chunk) {
            const size_t n = std::min(chunk, bytes.size() - off);
            r = reception_write(v, info(announced), int32_t(off), int32_t(n), bytes.data() + off);
        }
        reception_end(v, info(announced), reason);
        return r;
    }
};
}  // namespace

TEST_F(StreamTest, SmallAnnouncedStreamIsKeptInMemoryAndShown) {
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 100);
    EXPECT_EQ(v->stream.source, SourceKind::kMemory);
    EXPECT_EQ(v->stream.state, DownloadState::kFinished);
    EXPECT_EQ(v->document.loaded, 1);
    EXPECT_EQ(v->document.page_count, 3);
    ASSERT_NE(v->document.file, nullptr);
    EXPECT_TRUE(v->document.file->page.shown);
    EXPECT_FALSE(raster_empty(&v->document.file->raster));
    EXPECT_TRUE(btext_empty(&v->shell.status_text));
    EXPECT_EQ(Text16(btext_get(&v->stream.url)), u"http://example.test/doc.tif");
}

TEST_F(StreamTest, StorageBoundaryAndUnknownLength) {
    EXPECT_EQ(reception_new(v, info(2097151)), 0);
    EXPECT_EQ(v->stream.source, SourceKind::kMemory);
    reception_end(v, info(2097151), 2);
    make({});
    EXPECT_EQ(reception_new(v, info(2097152)), 0);
    EXPECT_EQ(v->stream.source, SourceKind::kFile);
    EXPECT_FALSE(btext_empty(&v->stream.temp_path));
    reception_end(v, info(2097152), 2);
    EXPECT_TRUE(btext_empty(&v->stream.temp_path));  // the failed download's file is gone
    make({});
    const auto file = three_pages();
    deliver(file, 0, 7);  // no length: a file, and still opened
    EXPECT_EQ(v->stream.source, SourceKind::kFile);
    EXPECT_EQ(v->document.page_count, 3);
    EXPECT_EQ(v->stream.data_size, int(file.size()));
    EXPECT_EQ(Text16(btext_get(&v->shell.status_text)), u"");
}

TEST_F(StreamTest, MagicBytesSurviveAOneByteFirstWrite) {
    const auto file = three_pages();
    ASSERT_EQ(reception_new(v, info(uint32_t(file.size()))), 0);
    EXPECT_EQ(reception_write(v, info(0), 0, 1, file.data()), 1);
    EXPECT_EQ(v->stream.magic_captured, 0);
    EXPECT_EQ(reception_write(v, info(0), 1, int32_t(file.size() - 1), file.data() + 1), int32_t(file.size() - 1));
    EXPECT_EQ(v->stream.magic_captured, 1);
    EXPECT_EQ(v->stream.magic_bytes[0], 'I');
    EXPECT_EQ(v->stream.magic_bytes[1], 'I');
}

TEST_F(StreamTest, ShortStreamOpensWithWhatArrivedAndWarns) {
    auto file = three_pages();
    const uint32_t announced = uint32_t(file.size() + 100);
    deliver(file, announced, 64);
    EXPECT_EQ(v->stream.data_size, int(file.size()));
    EXPECT_EQ(v->document.page_count, 3);
    EXPECT_NE(Text16(errlog_text(&v->logs.error))
                  .find(u"Expected " + text_from_utf8(std::to_string(announced)) + u" bytes, received"),
              Text16::npos);
}

TEST_F(StreamTest, OverlappingWritesNeverReadPastTheBuffer) {
    const auto file = three_pages();
    const uint32_t n = uint32_t(file.size());
    ASSERT_EQ(reception_new(v, info(n)), 0);
    ASSERT_EQ(reception_write(v, info(n), 0, int32_t(n), file.data()), int32_t(n));
    ASSERT_EQ(reception_write(v, info(n), 0, 5, file.data()), 5);  // the same range again
    reception_end(v, info(n), 0);
    EXPECT_EQ(v->stream.data_size, int(n));
    EXPECT_EQ(v->document.page_count, 3);
}

TEST_F(StreamTest, MoreThanAnnouncedIsRefused) {
    const auto file = three_pages();
    EXPECT_EQ(deliver(file, 10, 64), -1);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].rfind(u"Inconsistent amount of data received (expected 10 bytes, received at least 64).", 0),
              0u);
    EXPECT_EQ(Text16(btext_get(&v->shell.status_text)), u"  Download failed");
    EXPECT_EQ(v->document.loaded, 0);
}

TEST_F(StreamTest, SecondBrowserStreamIsRefusedAndEndReasonsAreLogged) {
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 4096);
    int other = 0;
    EXPECT_EQ(reception_new(v, StreamInfo{&other, "x", 10}), 1);
    make({});
    deliver(file, uint32_t(file.size()), 4096, 1);
    EXPECT_NE(Text16(errlog_text(&v->logs.error)).find(u"Error: Download failed (network error)"), Text16::npos);
    make({});
    deliver(file, uint32_t(file.size()), 4096, 2);
    EXPECT_EQ(v->logs.error.warning_count, 1);
    make({});
    deliver(file, uint32_t(file.size()), 4096, 7);
    EXPECT_NE(Text16(errlog_text(&v->logs.error)).find(u"Download failed (reason 7)"), Text16::npos);
}

TEST_F(StreamTest, HugeAnnouncedLengthIsRefused) {
    EXPECT_EQ(reception_new(v, info(0x80000000u)), 1);
    ASSERT_FALSE(g_boxes.empty());
    EXPECT_EQ(g_boxes.back(), u"TIFF file too large (2147483648 bytes). Downloads over 2GB are not supported.");
    EXPECT_EQ(reception_write(v, info(0), 0, 4, "II*\0"), -1);
    reception_end(v, info(0), 0);
    EXPECT_TRUE(btext_empty(&v->stream.temp_path));
}

TEST_F(StreamTest, BadWriteArguments) {
    ASSERT_EQ(reception_new(v, info(100)), 0);
    EXPECT_EQ(reception_write(v, info(100), -1, 4, "abcd"), -1);
    EXPECT_EQ(reception_write(v, info(100), 0, -4, "abcd"), -1);
    EXPECT_EQ(reception_write(v, info(100), 0, 0, nullptr), 0);
    EXPECT_EQ(reception_write(nullptr, info(100), 0, 4, "abcd"), -1);
    // An offset near 2 GiB must not wrap around the buffer check.
    EXPECT_EQ(reception_write(v, info(100), 0x7FFFFFF0, 0x20, "0123456789abcdef0123456789abcdef"), -1);
}

TEST_F(StreamTest, StartPageIsClampedToTheDocument) {
    make({{u"page", u"9"}});
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 4096);
    EXPECT_EQ(v->document.current_page, 2);
    make({{u"page", u"0"}});
    deliver(file, uint32_t(file.size()), 4096);
    EXPECT_EQ(v->document.current_page, 0);
}

TEST_F(StreamTest, PageNavigationRaisesPageChange) {
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 4096);
    g_repaints.clear();
    EXPECT_TRUE(viewer_go_to_page(v, 0));  // already shown: nothing happens
    EXPECT_TRUE(g_page_events.empty());
    EXPECT_TRUE(viewer_go_to_page(v, 2));
    EXPECT_FALSE(viewer_go_to_page(v, 3));
    EXPECT_FALSE(viewer_go_to_page(v, -1));
    EXPECT_EQ(g_page_events, std::vector<int>{3});
    // The new page is fitted in the image window and shown in an open magnifier.
    EXPECT_EQ(g_repaints, std::vector<std::string>{"repaint fit magnifier"});
    EXPECT_EQ(v->document.current_page, 2);
}

TEST_F(StreamTest, APageThatCannotBeShownIsNotReportedShownNorChangedAgain) {
    std::vector<TiffPage> pages(3);
    for (auto& p : pages) {
        p.width = 8;
        p.height = 4;
        p.pixels.assign(32, 0x80);
    }
    pages[1].compression = 5;
    const auto file = tiff_build(pages);
    viewer_set_disabled_compressions(u"5");  // page 2 is counted but never decodes
    deliver(file, uint32_t(file.size()), 4096);
    EXPECT_FALSE(viewer_go_to_page(v, 1));
    EXPECT_EQ(v->document.current_page, 1);
    EXPECT_FALSE(viewer_go_to_page(v, 1));  // the same page again: no new decode, no event
    EXPECT_EQ(g_page_events, std::vector<int>{2});
    EXPECT_TRUE(viewer_go_to_page(v, 2));
    viewer_set_disabled_compressions(u"");
}

TEST_F(StreamTest, ScriptDownloads) {
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 4096);
    EXPECT_TRUE(viewer_start_download(v, u"", 1));  // empty: the viewer is emptied
    EXPECT_EQ(v->document.loaded, 0);
    EXPECT_EQ(v->stream.state, DownloadState::kIdle);
    EXPECT_TRUE(viewer_start_download(v, u"http://example.test/b.tif", 2));
    EXPECT_EQ(g_requested, u"http://example.test/b.tif");
    EXPECT_EQ(v->stream.state, DownloadState::kRequested);
    EXPECT_EQ(v->stream.start_page, 1);
    // The requested stream arrives and is the one accepted.
    EXPECT_EQ(reception_new(v, info(uint32_t(file.size()))), 0);
    EXPECT_FALSE(viewer_start_download(v, u"http://example.test/c.tif", 1));  // refused mid-stream
    EXPECT_EQ(v->stream.state, DownloadState::kReceiving);
    reception_end(v, info(0), 2);
    g_get_url_result = 10;
    EXPECT_FALSE(viewer_start_download(v, u"http://example.test/d.tif", 1));
    EXPECT_EQ(v->stream.state, DownloadState::kIdle);
    EXPECT_NE(Text16(errlog_text(&v->logs.error)).find(u"Failed to start download (error code=10, Invalid URL)."),
              Text16::npos);
    // The browser is asked for the address as it was judged; other schemes never reach it.
    g_get_url_result = 0;
    EXPECT_TRUE(viewer_start_download(v, u" \thttp://example.test/\ne.tif\r\n", INT32_MIN));
    EXPECT_EQ(g_requested, u"http://example.test/e.tif");
    EXPECT_EQ(v->stream.start_page, 0);
    EXPECT_FALSE(viewer_start_download(v, u"data:image/tiff;base64,SUkqAA==", 1));
    EXPECT_EQ(g_requested, u"http://example.test/e.tif");
    EXPECT_EQ(v->stream.state, DownloadState::kIdle);
}

TEST_F(StreamTest, AutoprintOnTheFirstStreamOnly) {
    make({{u"autoprint", u"1"}});
    const auto file = three_pages();
    deliver(file, uint32_t(file.size()), 4096);
    EXPECT_EQ(g_autoprints, 1);
    EXPECT_EQ(autoprint_action(1, false), 1);
    EXPECT_EQ(autoprint_action(4, false), 0);
    EXPECT_EQ(autoprint_action(4, true), 2);
    EXPECT_EQ(autoprint_action(5, false), 1);
    EXPECT_EQ(autoprint_action(3, true), 0);
}

TEST(DownloadArguments, UrlMustBeAStringAndPagesConvert) {
    NPVariant v{};
    Text16 url = u"x";
    v.type = NPVariantType_Int32;
    EXPECT_FALSE(download_url_argument(v, &url));
    v.type = NPVariantType_String;
    v.value.stringValue.UTF8Characters = "a\xc3\xa9.tif";
    v.value.stringValue.UTF8Length = 7;
    EXPECT_TRUE(download_url_argument(v, &url));
    EXPECT_EQ(url, u"a\u00e9.tif");
    v.value.stringValue.UTF8Length = 1048577;  // over 1 MiB: no address at all
    EXPECT_TRUE(download_url_argument(v, &url));
    EXPECT_TRUE(url.empty());

    NPVariant p{};
    p.type = NPVariantType_Bool;
    p.value.boolValue = true;
    EXPECT_EQ(download_page_argument(p), 1);
    p.type = NPVariantType_Double;
    p.value.doubleValue = 2.9999999999;  // the nudge makes 3
    EXPECT_EQ(download_page_argument(p), 3);
    p.value.doubleValue = 1e300;
    EXPECT_EQ(download_page_argument(p), 0x7FFFFFFF);
    p.type = NPVariantType_String;
    p.value.stringValue.UTF8Characters = "12th";
    p.value.stringValue.UTF8Length = 4;
    EXPECT_EQ(download_page_argument(p), 12);
    p.type = NPVariantType_Null;
    EXPECT_EQ(download_page_argument(p), 0);
}
