#include <windows.h>
#include <colordlg.h>

#include <gtest/gtest.h>

#include <vector>

#include "host/viewer_sketch.h"
#include "annotate/win/render_overlays.h"
#include "host/win/sketch_commands.h"
#include "annotate/win/sketch_draw.h"
#include "host/win/sketch_mouse.h"
#include "base/win/handles.h"
#include "decode/raster_ops.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/image_window.h"
#include "host/win/module.h"
#include "testing/tiff_builder.h"
#include "view/view_ops.h"

namespace {
constexpr int kWidth = 120, kHeight = 80;
constexpr uint32_t kPageGrey = 0xC0C0C0, kRed = 0xFF0000, kBlack = 0, kWhite = 0xFFFFFF;

// A 32-bit top-down canvas; pixels read as 0x00RRGGBB.
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
};

// A viewer showing a 40 x 30 grey page at 200 % (80 x 60 view pixels).
struct SketchWin : ::testing::Test {
    Viewer v;
    UniqueBrush background{CreateSolidBrush(RGB(0, 0, 255))};
    int token = 0;

    void SetUp() override {
        errlog_init(&v.logs.error, true);
        errlog_init(&v.logs.page, false);
        v.shell.background_brush = background.get();
        TiffPage page;
        page.width = 40;
        page.height = 30;
        page.pixels.assign(40 * 30, 0xC0);
        const std::vector<uint8_t> file = tiff_build({page});
        const StreamInfo info{&token, "http://example.test/a.tif", uint32_t(file.size())};
        ASSERT_EQ(reception_new(&v, info), 0);
        ASSERT_EQ(reception_write(&v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
        ASSERT_EQ(reception_end(&v, info, 0), 0);
        ASSERT_TRUE(viewer_page_shown(&v));
        v.view.size_mode = 0;
        v.view.zoom_index = 4;  // 200 %
        LayoutInput in;
        in.client = Rect32{0, 0, kWidth, kHeight};
        view_layout(viewer_view_context(&v), in);
    }
    void TearDown() override {
        sketch_release(&v);
        reception_release(&v);
        viewer_file_free(&v);
        errlog_free(&v.logs.error);
        errlog_free(&v.logs.page);
    }
    PageMarks* marks() { return sketch_marks_of(&v, v.document.current_directory); }
    void paint(Canvas& c) {
        const RECT client{0, 0, kWidth, kHeight};
        image_window_paint(&v, c.dc.get(), client, client);
        GdiFlush();
    }
};

// Pixel (x, y) of a bottom-up 24-bit section as 0x00RRGGBB.
uint32_t pixel24(const RenderedPage& p, int w, int h, int x, int y) {
    const int stride = ((w * 24 + 31) / 32) * 4;
    const auto* row = static_cast<const uint8_t*>(p.bits) + (h - 1 - y) * stride;
    return uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
}

bool pixel1(const RenderedPage& p, int w, int h, int x, int y) {
    const int stride = ((w + 31) / 32) * 4;
    const auto* row = static_cast<const uint8_t*>(p.bits) + (h - 1 - y) * stride;
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
}
}  // namespace

TEST_F(SketchWin, ScreenShowsPenStrokesEvenWithoutWhiteoutsShown) {
    v.annotate.annotations_shown = 0;
    marks_add_pen(marks(), PenSegment{2.5, 2.5, 12.5, 2.5, 0x0000FF});  // red, 0x00BBGGRR
    marks_add_pen(marks(), PenSegment{20.25, 20.25, 20.25, 20.25, 0x0000FF});
    Canvas c;
    paint(c);
    // At 200 % page x 2.5 is view pixel 5, and x 12.5 view pixel 25 (its end pixel).
    EXPECT_EQ(c.at(5, 5), kRed);
    EXPECT_EQ(c.at(15, 5), kRed);
    EXPECT_EQ(c.at(25, 5), kRed);
    EXPECT_EQ(c.at(26, 5), kPageGrey);
    EXPECT_EQ(c.at(15, 6), kPageGrey);  // one pixel wide
    // The dot is one pixel, not a 2 x 2 block at this zoom.
    EXPECT_EQ(c.at(40, 40), kRed);
    EXPECT_EQ(c.at(41, 40), kPageGrey);
    EXPECT_EQ(c.at(40, 41), kPageGrey);
}

TEST_F(SketchWin, ScreenStrokesFollowTheScrollPosition) {
    marks_add_pen(marks(), PenSegment{10.5, 10.5, 10.5, 10.5, 0});
    v.layout.scroll_x = 7;
    v.layout.scroll_y = 3;
    Canvas c;
    paint(c);
    EXPECT_EQ(c.at(21 - 7, 21 - 3), kBlack);
    EXPECT_EQ(c.at(21, 21), kPageGrey);
}

TEST_F(SketchWin, LiveGestureDrawsOnTheWindowAndALostCaptureEndsIt) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = image_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SketchWinTest";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"image", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                nullptr, wc.hInstance, &v);
    ASSERT_NE(hwnd, nullptr);
    v.shell.image_window = hwnd;
    UpdateWindow(hwnd);
    ASSERT_TRUE(sketch_mouse_down(&v, hwnd, 10, 10, false));
    EXPECT_EQ(GetCapture(), hwnd);
    EXPECT_NE(v.annotate.stroke.surface, nullptr);
    EXPECT_TRUE(sketch_mouse_move(&v, hwnd, 30, 10));
    {
        HDC dc = GetDC(hwnd);
        EXPECT_EQ(GetPixel(dc, 20, 10), RGB(0, 0, 0));  // drawn at once, before any repaint
        EXPECT_EQ(GetPixel(dc, 20, 11), RGB(0xC0, 0xC0, 0xC0));
        ReleaseDC(hwnd, dc);
    }
    // Another window takes the mouse: the gesture is over, its stroke kept.
    HWND other =
        CreateWindowExW(0, wc.lpszClassName, L"other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetCapture(other);
    EXPECT_FALSE(v.annotate.stroke.active);
    EXPECT_EQ(v.annotate.stroke.surface, nullptr);
    EXPECT_EQ(marks()->pen.size(), 1u);
    // The next move without a button draws nothing more.
    EXPECT_FALSE(sketch_mouse_move(&v, hwnd, 50, 50));
    EXPECT_EQ(marks()->pen.size(), 1u);
    ReleaseCapture();
    DestroyWindow(other);
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST_F(SketchWin, OutlineIsRepaintedOnlyWhileItIsOnTheScreen) {
    Canvas plain;
    paint(plain);
    v.annotate.eraser.drawn = 1;
    v.annotate.eraser.left = 20;
    v.annotate.eraser.top = 20;
    v.annotate.eraser.right = 41;
    v.annotate.eraser.bottom = 41;
    Canvas with;
    paint(with);
    EXPECT_EQ(with.at(30, 20), 0x3F3F3Fu);  // the page's grey, inverted, at the top of the ring
    EXPECT_EQ(with.at(30, 30), kPageGrey);  // hollow
    // Drawing it once more takes it away again.
    sketch_draw_outline(with.dc.get(), RECT{20, 20, 41, 41});
    GdiFlush();
    EXPECT_EQ(std::vector<uint32_t>(with.bits, with.bits + kWidth * kHeight),
              std::vector<uint32_t>(plain.bits, plain.bits + kWidth * kHeight));
}

TEST_F(SketchWin, ClearCommandRemovesOnlyWhenThereIsSomethingAndHonoursAccess) {
    EXPECT_EQ(sketch_clear_pen(&v, 0), 0);
    marks_add_pen(marks(), PenSegment{1, 1, 2, 2, 0});
    v.access_flags = kAccessNoAnnotation;
    EXPECT_EQ(sketch_clear_pen(&v, 0), 0);
    EXPECT_FALSE(sketch_add_whiteout(&v, 0, PageRect{1, 1, 2, 2}));
    EXPECT_FALSE(sketch_set_crop(&v, 0, PageRect{1, 1, 2, 2}, true));
    v.access_flags = 0;
    EXPECT_EQ(sketch_clear_pen(&v, 0), 1);
    EXPECT_EQ(sketch_clear_pen(&v, 0), 0);
    EXPECT_TRUE(sketch_add_whiteout(&v, 0, PageRect{1, 1, 2, 2}));
    EXPECT_EQ(v.annotate.annotations_shown, 1);
}

TEST(AnnotatedPageImage, PenOverWhiteoutsAtScaleOneAndDotsAreOnePixel) {
    DisplayRaster page;
    ASSERT_TRUE(raster_create(nullptr, &page, 20, 10, 24, true, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 60; ++x) raster_row(&page, y)[x] = 0x40;
    PageMarks marks;
    marks_add_whiteout(&marks, PageRect{0, 0, 9, 9});
    marks_add_pen(&marks, PenSegment{2.5, 5.5, 14.5, 5.5, 0x0000FF});   // across the white-out
    marks_add_pen(&marks, PenSegment{17.5, 2.5, 17.5, 2.5, 0x00FF00});  // a dot
    RenderedPage out;
    ASSERT_TRUE(render_with_overlays(&page, &marks, 0, &out));
    EXPECT_EQ(out.bits_per_pixel, 24);
    EXPECT_EQ(pixel24(out, 20, 10, 1, 1), kWhite);  // white-outs are pure white off screen
    EXPECT_EQ(pixel24(out, 20, 10, 2, 5), kRed);    // the pen lies on top
    EXPECT_EQ(pixel24(out, 20, 10, 14, 5), kRed);   // its end pixel
    EXPECT_EQ(pixel24(out, 20, 10, 15, 5), 0x404040u);
    EXPECT_EQ(pixel24(out, 20, 10, 17, 2), 0x00FF00u);
    EXPECT_EQ(pixel24(out, 20, 10, 18, 2), 0x404040u);
    EXPECT_EQ(pixel24(out, 20, 10, 17, 3), 0x404040u);
    raster_destroy(&page);
}

TEST(AnnotatedPageImage, BilevelPageKeepsOneBitUntilAColouredStroke) {
    DisplayRaster page;
    ASSERT_TRUE(raster_create(nullptr, &page, 16, 8, 1, true, 0));
    raster_colours(&page)[1] = DibColour{255, 255, 255, 0};
    for (int y = 0; y < 8; ++y) raster_row(&page, y)[0] = raster_row(&page, y)[1] = 0xFF;  // all white
    PageMarks marks;
    marks_add_pen(&marks, PenSegment{3.5, 3.5, 3.5, 3.5, 0});
    RenderedPage out;
    ASSERT_TRUE(render_with_overlays(&page, &marks, 0, &out));
    EXPECT_EQ(out.bits_per_pixel, 1);
    EXPECT_FALSE(pixel1(out, 16, 8, 3, 3));  // black
    EXPECT_TRUE(pixel1(out, 16, 8, 4, 3));
    marks_add_pen(&marks, PenSegment{6.5, 3.5, 6.5, 3.5, 0x0000FF});
    ASSERT_TRUE(render_with_overlays(&page, &marks, 0, &out));
    EXPECT_EQ(out.bits_per_pixel, 24);
    EXPECT_EQ(pixel24(out, 16, 8, 6, 3), kRed);
    EXPECT_EQ(pixel24(out, 16, 8, 3, 3), kBlack);
    EXPECT_EQ(pixel24(out, 16, 8, 5, 3), kWhite);
    raster_destroy(&page);
}

TEST(AnnotatedPageImage, TurnedPageTurnsItsStrokes) {
    // Shown turned right: page (0, 0) is at the top right of the 10 x 20 raster.
    DisplayRaster page;
    ASSERT_TRUE(raster_create(nullptr, &page, 10, 20, 24, true, 0));
    PageMarks marks;
    marks_add_pen(&marks, PenSegment{0.5, 0.5, 0.5, 0.5, 0xFFFFFF});
    RenderedPage out;
    ASSERT_TRUE(render_with_overlays(&page, &marks, 1, &out));
    EXPECT_EQ(pixel24(out, 10, 20, 9, 0), kWhite);
    EXPECT_EQ(pixel24(out, 10, 20, 0, 0), kBlack);
    raster_destroy(&page);
}

namespace {
// The colour chooser is answered from inside its own loop by a thread timer.
struct ColourDialogScript {
    UINT red = 10, green = 20, blue = 30;
    bool add_custom = true;
    int answer = IDOK;
    // What was seen.
    bool found = false;
    UINT initial_red = 999;
    bool full_open = false;
};
ColourDialogScript* g_script = nullptr;

BOOL CALLBACK find_colour_dialog(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

void CALLBACK answer_colour_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_colour_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    ColourDialogScript& s = *g_script;
    s.found = true;
    s.initial_red = GetDlgItemInt(dialog, COLOR_RED, nullptr, FALSE);
    // Opened in full, the "Define Custom Colors" button has nothing left to do.
    s.full_open = !IsWindowEnabled(GetDlgItem(dialog, COLOR_MIX));
    if (s.answer == IDOK) {
        SetDlgItemInt(dialog, COLOR_RED, s.red, FALSE);
        SetDlgItemInt(dialog, COLOR_GREEN, s.green, FALSE);
        SetDlgItemInt(dialog, COLOR_BLUE, s.blue, FALSE);
        if (s.add_custom) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED), 0);
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(s.answer, BN_CLICKED), 0);
}

void run_colour_dialog(Viewer* v, ColourDialogScript* s) {
    g_script = s;
    SetTimer(nullptr, 0, 20, answer_colour_dialog);
    sketch_choose_pen_colour(v);
    g_script = nullptr;
}
}  // namespace

TEST(PenColourDialog, OpensFullAtTheCurrentColourAndKeepsCustomColours) {
    Viewer v;
    v.annotate.pen_color = 0x000080;  // red 128
    for (COLORREF& c : module().custom_colours) c = RGB(255, 255, 255);
    ColourDialogScript chosen;
    run_colour_dialog(&v, &chosen);
    ASSERT_TRUE(chosen.found);
    EXPECT_EQ(chosen.initial_red, 128u);
    EXPECT_TRUE(chosen.full_open);
    EXPECT_EQ(v.annotate.pen_color, uint32_t(RGB(10, 20, 30)));
    // The custom colour went into the process-wide table, where the next
    // dialog (any viewer's) finds it.
    EXPECT_EQ(module().custom_colours[0], RGB(10, 20, 30));

    ColourDialogScript cancelled;
    cancelled.answer = IDCANCEL;
    run_colour_dialog(&v, &cancelled);
    ASSERT_TRUE(cancelled.found);
    EXPECT_EQ(cancelled.initial_red, 10u);
    EXPECT_EQ(v.annotate.pen_color, uint32_t(RGB(10, 20, 30)));
    EXPECT_EQ(module().custom_colours[0], RGB(10, 20, 30));
    sketch_release(&v);
}
