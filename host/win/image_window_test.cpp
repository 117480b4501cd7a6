#include "host/win/image_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/win/handles.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "testing/tiff_builder.h"
#include "view/view_ops.h"

namespace {
constexpr int kWidth = 320, kHeight = 200;
constexpr uint32_t kRed = 0xFF0000, kGrey = 0x606060;  // as 0x00RRGGBB in a DIB

struct Canvas {
    UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    Canvas() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
        void* p = nullptr;
        bitmap.reset(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        bits = static_cast<uint32_t*>(p);
        SelectObject(dc.get(), bitmap.get());
    }
    uint32_t at(int x, int y) const { return bits[y * kWidth + x] & 0xFFFFFF; }
    // The lowest row holding the log's grey background; -1 when there is none.
    int last_grey_row() const {
        for (int y = kHeight - 1; y >= 0; --y)
            for (int x = 0; x < kWidth; ++x)
                if (at(x, y) == kGrey) return y;
        return -1;
    }
};

class ImageWindowPaint : public ::testing::Test {
protected:
    void SetUp() override {
        errlog_init(&v.logs.error, true);
        errlog_init(&v.logs.page, false);
        v.shell.background_brush = brush.get();
    }
    void TearDown() override {
        errlog_free(&v.logs.error);
        errlog_free(&v.logs.page);
    }
    void paint(Canvas& c) {
        const RECT client{0, 0, kWidth, kHeight};
        GdiFlush();
        image_window_paint(&v, c.dc.get(), client, client);
        GdiFlush();
    }
    Viewer v;
    UniqueBrush brush{CreateSolidBrush(RGB(255, 0, 0))};
};
}  // namespace

TEST_F(ImageWindowPaint, WithoutMessagesOnlyTheBackground) {
    Canvas c;
    paint(c);
    EXPECT_EQ(c.at(0, 0), kRed);
    EXPECT_EQ(c.at(kWidth - 1, kHeight - 1), kRed);
    EXPECT_EQ(c.last_grey_row(), -1);
}

TEST_F(ImageWindowPaint, LogsAreDrawnBelowTheStatusLineAndThePageLogAfterTheDocumentLog) {
    errlog_error(&v.logs.error, u"Not a TIFF file");
    Canvas one;
    paint(one);
    for (int x = 0; x < kWidth; ++x)
        for (int y = 0; y < 23; ++y) ASSERT_EQ(one.at(x, y), kRed) << x << "," << y;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(one.at(x, y), kRed) << x << "," << y;
    EXPECT_EQ(one.at(4, 23), kGrey);
    const int one_log = one.last_grey_row();

    errlog_warning(&v.logs.page, u"Unknown compression");
    Canvas two;
    paint(two);
    EXPECT_GT(two.last_grey_row(), one_log);  // under the first text, not over it
}

TEST_F(ImageWindowPaint, AShownPageHidesTheLogsAndCarriesItsMarks) {
    // A 40 x 30 grey page at 100 %, received as a browser would deliver it.
    TiffPage page;
    page.width = 40;
    page.height = 30;
    page.pixels.assign(40 * 30, 0x80);
    const std::vector<uint8_t> file = tiff_build({page});
    int stream = 0;
    const StreamInfo info{&stream, "http://example.test/a.tif", uint32_t(file.size())};
    ASSERT_EQ(reception_new(&v, info), 0);
    ASSERT_EQ(reception_write(&v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
    ASSERT_EQ(reception_end(&v, info, 0), 0);
    ASSERT_TRUE(viewer_page_shown(&v));
    errlog_error(&v.logs.error, u"A warning of the previous file");
    v.view.size_mode = 0;
    v.view.zoom_index = 5;
    LayoutInput in;
    in.client = Rect32{0, 0, kWidth, kHeight};
    view_layout(viewer_view_context(&v), in);
    PageMarks* marks = viewer_current_marks(&v);
    ASSERT_NE(marks, nullptr);
    marks_add_whiteout(marks, PageRect{10, 10, 12, 12});
    v.annotate.annotations_shown = 1;
    Canvas c;
    paint(c);
    EXPECT_EQ(c.last_grey_row(), -1);
    EXPECT_EQ(c.at(5, 5), 0x808080u);    // the page
    EXPECT_EQ(c.at(11, 11), 0xF8F8F8u);  // the white-out mark, a shade off white
    EXPECT_EQ(c.at(100, 100), kRed);     // the background beside the page
    viewer_file_free(&v);
}

TEST_F(ImageWindowPaint, PrintClientDrawsWhatPaintDraws) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = image_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ImageWindowPaintTest";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"image", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                wc.hInstance, &v);
    ASSERT_NE(hwnd, nullptr);
    errlog_error(&v.logs.error, u"Not a TIFF file");
    Canvas direct, printed;
    paint(direct);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.dc.get()), PRF_CLIENT);
    GdiFlush();
    EXPECT_EQ(std::vector<uint32_t>(printed.bits, printed.bits + kWidth * kHeight),
              std::vector<uint32_t>(direct.bits, direct.bits + kWidth * kHeight));
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}
