#include "host/win/zoom_window.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "config/settings.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/win/module.h"
#include "host/win/shell_win.h"
#include "view/shell_seam.h"
#include "testing/tiff_builder.h"
#include "view/view_ops.h"
#include "view/win/zoom_monitors.h"

namespace {
constexpr uint32_t kRed = 0xFF0000;  // the background, as 0x00RRGGBB in a DIB

// The cursor as the magnifier moves and confines it; the desktop's own cursor
// is shared with every other test running at the same time.
struct CursorLog {
    std::vector<POINT> moves;
    std::vector<RECT> clips;  // a released confinement is an empty rectangle
    POINT position{0, 0};
};
CursorLog g_log;

BOOL WINAPI fake_clip(const RECT* r) {
    g_log.clips.push_back(r ? *r : RECT{0, 0, 0, 0});
    return TRUE;
}
BOOL WINAPI fake_set_pos(int x, int y) {
    g_log.moves.push_back(POINT{x, y});
    g_log.position = POINT{x, y};
    return TRUE;
}
BOOL WINAPI fake_get_pos(LPPOINT p) {
    *p = g_log.position;
    return TRUE;
}
const ZoomCursorOps kFakeCursor{fake_clip, fake_set_pos, fake_get_pos};

bool released(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

struct Canvas {
    int width, height;
    UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
        void* p = nullptr;
        bitmap.reset(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        bits = static_cast<uint32_t*>(p);
        SelectObject(dc.get(), bitmap.get());
    }
    uint32_t at(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
};

uint32_t grey(int g) { return uint32_t(g) * 0x010101u; }

// Page 1: 200 x 100 grey, the value of a pixel its column in the upper half
// and 255 less its column in the lower half. Page 2: plain 0x33.
std::vector<uint8_t> two_pages() {
    TiffPage one;
    one.width = 200;
    one.height = 100;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) one.pixels.push_back(uint8_t(y < 50 ? x : 255 - x));
    TiffPage two;
    two.width = 200;
    two.height = 100;
    two.pixels.assign(200 * 100, 0x33);
    return tiff_build({one, two});
}

class ZoomWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Module& m = module();
        saved_instance = m.instance;
        m.instance = GetModuleHandleW(nullptr);
        m.cursors.arrow = LoadCursorW(nullptr, IDC_ARROW);
        m.cursors.cross = LoadCursorW(nullptr, IDC_CROSS);
        WNDCLASSW wc{};
        wc.lpfnWndProc = zoom_window_proc;
        wc.hInstance = m.instance;
        wc.lpszClassName = kZoomWindowClass;
        ASSERT_TRUE(RegisterClassW(&wc));
        g_log = CursorLog{};
        zoom_window_set_cursor_ops(&kFakeCursor);
        settings_forget_low_integrity();
        store.create_key(SettingsKey::kUser);
        zoom_window_set_settings_store(&store);
        plugin = CreateWindowExW(0, L"STATIC", L"plugin", WS_POPUP | WS_VISIBLE, 10, 10, 320, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(plugin, nullptr);
        errlog_init(&v.logs.error, true);
        errlog_init(&v.logs.page, false);
        v.shell.background_brush = brush.get();
        v.shell.plugin_window = plugin;
        v.settings.allowscript = 0;  // no page to tell
        load();
    }
    void TearDown() override {
        zoom_window_close(&v);
        if (plugin) DestroyWindow(plugin);
        viewer_file_free(&v);
        errlog_free(&v.logs.error);
        errlog_free(&v.logs.page);
        zoom_window_set_cursor_ops(nullptr);
        zoom_window_set_settings_store(nullptr);
        zoom_monitor_fns_override(nullptr);
        UnregisterClassW(kZoomWindowClass, module().instance);
        module().instance = saved_instance;
    }
    void load() {
        const std::vector<uint8_t> file = two_pages();
        int stream = 0;
        const StreamInfo info{&stream, "http://example.test/a.tif", uint32_t(file.size())};
        ASSERT_EQ(reception_new(&v, info), 0);
        ASSERT_EQ(reception_write(&v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
        ASSERT_EQ(reception_end(&v, info, 0), 0);
        ASSERT_TRUE(viewer_page_shown(&v));
        v.view.size_mode = 0;  // 100 %: view pixels are page pixels
        v.view.zoom_index = 5;
        LayoutInput in;
        in.client = Rect32{0, 0, 320, 200};
        view_layout(viewer_view_context(&v), in);
    }
    // A custom window of 300 x 200 at (100, 100).
    void use_custom_rect() {
        v.settings.zoomsize = 6;
        v.settings.zoomrect_given = true;
        v.layout.zoom_rect = Rect32{100, 100, 400, 300};
    }
    HWND zoom() const { return static_cast<HWND>(v.shell.zoom_window); }
    RECT client() const {
        RECT r{};
        GetClientRect(zoom(), &r);
        return r;
    }
    POINT cursor_in_client() const {
        POINT p = g_log.position;
        ScreenToClient(zoom(), &p);
        return p;
    }
    Canvas paint() {
        const RECT c = client();
        Canvas canvas(c.right, c.bottom);
        GdiFlush();
        zoom_window_paint(&v, canvas.dc.get(), c, c);
        GdiFlush();
        return canvas;
    }
    void send_move(int x, int y) { SendMessageW(zoom(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void send_wheel(int delta) { SendMessageW(zoom(), WM_MOUSEWHEEL, MAKEWPARAM(0, short(delta)), 0); }

    Viewer v;
    MemorySettingsStore store;
    UniqueBrush brush{CreateSolidBrush(RGB(255, 0, 0))};
    HWND plugin = nullptr;
    HINSTANCE saved_instance = nullptr;
};
}  // namespace

TEST_F(ZoomWindow, AClickOpensAnOwnedPopupWithTheClickedPagePointUnderTheCursor) {
    use_custom_rect();
    v.view.zoom_window_index = 4;  // 200 %: the 400 x 200 zoom view is larger than the window
    zoom_window_open(&v, 50, 70, false);
    HWND z = zoom();
    ASSERT_NE(z, nullptr);
    wchar_t cls[64] = {}, title[16] = {};
    GetClassNameW(z, cls, 64);
    GetWindowTextW(z, title, 16);
    EXPECT_STREQ(cls, L"ZEBTiffZClass");
    EXPECT_STREQ(title, L"Zoom");
    EXPECT_EQ(GetWindow(z, GW_OWNER), plugin);
    const LONG style = GetWindowLongW(z, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_DLGFRAME, WS_DLGFRAME);
    EXPECT_FALSE(GetWindowLongW(z, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r;
    GetWindowRect(z, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 300);
    // Confined to the client area, in screen pixels.
    ASSERT_FALSE(g_log.clips.empty());
    RECT c = client();
    MapWindowPoints(z, nullptr, reinterpret_cast<POINT*>(&c), 2);
    EXPECT_TRUE(EqualRect(&g_log.clips.back(), &c));
    // Under the cursor: page column 50 of the lower half, magnified twice.
    const POINT at = cursor_in_client();
    const Canvas canvas = paint();
    const int shown = int(canvas.at(at.x, at.y) & 0xFF);
    EXPECT_NEAR(shown, 255 - 50, 1);
    // Each page pixel is two zoom-view pixels wide.
    const int pair = ((at.x + v.layout.zoom.scroll_x) & ~1) - v.layout.zoom.scroll_x;
    EXPECT_EQ(canvas.at(pair, at.y), canvas.at(pair + 1, at.y));
    EXPECT_NE(canvas.at(pair + 1, at.y), canvas.at(pair + 2, at.y));
}

TEST_F(ZoomWindow, CursorAtTheBandsShowsThePageEnds) {
    use_custom_rect();
    v.view.zoom_window_index = 4;
    zoom_window_open(&v, 50, 20, false);
    const RECT c = client();
    send_move(32, 32);
    EXPECT_EQ(v.layout.zoom.scroll_x, 0);
    EXPECT_EQ(v.layout.zoom.scroll_y, 0);
    Canvas left = paint();
    EXPECT_EQ(left.at(0, 0), grey(0));
    send_move(c.right - 32, c.bottom - 32);
    EXPECT_EQ(v.layout.zoom.scroll_x, 400 - c.right);
    EXPECT_EQ(v.layout.zoom.scroll_y, 200 - c.bottom);
    Canvas right = paint();
    EXPECT_EQ(right.at(c.right - 1, c.bottom - 1),
              grey(255 - 199));  // the lower right page corner
}

TEST_F(ZoomWindow, AZoomViewSmallerThanTheWindowIsCentredAndStaysPut) {
    use_custom_rect();
    v.view.zoom_window_index = 10;  // 50 %: 100 x 50
    zoom_window_open(&v, 10, 10, false);
    const RECT c = client();
    send_move(c.right - 1, c.bottom - 1);
    EXPECT_EQ(v.layout.zoom.scroll_x, 0);
    EXPECT_EQ(v.layout.zoom.scroll_y, 0);
    const Canvas canvas = paint();
    const int ox = (c.right - 100) / 2, oy = (c.bottom - 50) / 2;
    EXPECT_EQ(canvas.at(ox - 1, oy + 5), kRed);
    EXPECT_NE(canvas.at(ox, oy + 5), kRed);
    EXPECT_NE(canvas.at(ox + 99, oy + 49), kRed);
    EXPECT_EQ(canvas.at(ox + 100, oy + 49), kRed);
    EXPECT_EQ(canvas.at(ox + 50, oy + 50), kRed);
    // The cursor was put over the clicked point of the centred picture.
    const POINT at = cursor_in_client();
    EXPECT_EQ(at.x, ox + 5);
    EXPECT_EQ(at.y, oy + 5);
}

TEST_F(ZoomWindow, AScriptOpensItCentredAndAClickClosesIt) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    ASSERT_NE(zoom(), nullptr);
    const RECT c = client();
    const POINT at = cursor_in_client();
    EXPECT_EQ(at.x, c.right / 2);
    EXPECT_EQ(at.y, c.bottom / 2);
    zoom_window_open(&v, 0, 0, true);  // already open: nothing
    EXPECT_EQ(g_log.moves.size(), 1u);
    HWND z = zoom();
    SendMessageW(z, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(IsWindow(z));
    EXPECT_EQ(v.shell.zoom_window, nullptr);
    EXPECT_EQ(v.layout.zoom.open, 0);
    ASSERT_FALSE(g_log.clips.empty());
    EXPECT_TRUE(released(g_log.clips.back()));
    // The cursor goes back where it was when the window opened.
    ASSERT_EQ(g_log.moves.size(), 2u);
    EXPECT_EQ(g_log.moves[1].x, v.layout.zoom.saved_cursor_x);
    EXPECT_EQ(g_log.moves[1].y, v.layout.zoom.saved_cursor_y);
}

// Marks, the turn, the negative and a new page show in the magnifier too.
TEST_F(ZoomWindow, ChangesOfThePageRepaintAnOpenMagnifier) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    ASSERT_NE(zoom(), nullptr);
    for (const unsigned what : {kShowPageLook, kShowNewPage}) {
        ValidateRect(zoom(), nullptr);
        shell_win_repaint(&v, what);
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(zoom(), &dirty, FALSE)) << what;
    }
}

TEST_F(ZoomWindow, EscapeClosesAndAClosedWindowIsNotClosedTwice) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    SendMessageW(zoom(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(v.shell.zoom_window, nullptr);
    const size_t moves = g_log.moves.size();
    zoom_window_close(&v);
    EXPECT_EQ(g_log.moves.size(), moves);
}

TEST_F(ZoomWindow, AStepChangedWithTheWheelIsKeptAtOnceWhenTheWindowCloses) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    send_wheel(-120);  // towards the user: more magnification
    EXPECT_EQ(v.view.zoom_window_index, 4);
    EXPECT_EQ(v.layout.zoom_view.target_width, 400);  // rebuilt at 200 %
    zoom_window_close(&v);
    uint32_t kept = 0;
    ASSERT_TRUE(store_read_dword(&store, SettingsKey::kUser, u"zscalepct", &kept));
    EXPECT_EQ(kept, 200u);
}

TEST_F(ZoomWindow, ClosingWithoutAChangeOrWithSavingForbiddenWritesNothing) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    send_wheel(-120);
    send_wheel(120);  // and back
    zoom_window_close(&v);
    EXPECT_TRUE(store.write_log.empty());
    v.access_flags = kAccessNoSaveSettings;
    zoom_window_open(&v, 0, 0, true);
    send_wheel(-120);
    zoom_window_close(&v);
    EXPECT_TRUE(store.write_log.empty());
    EXPECT_EQ(v.view.zoom_window_index,
              4);  // the change still holds for this viewer
}

TEST_F(ZoomWindow, TheWheelIsIgnoredWhenTheSettingsSaySo) {
    use_custom_rect();
    v.settings.miscflags = kMiscIgnoreWheel;
    zoom_window_open(&v, 0, 0, true);
    send_wheel(-120);
    EXPECT_EQ(v.view.zoom_window_index, 5);
    SendMessageW(zoom(), WM_KEYDOWN, VK_ADD, 0);  // the keys still work
    EXPECT_EQ(v.view.zoom_window_index, 4);
    SendMessageW(zoom(), WM_KEYDOWN, VK_OEM_MINUS, 0);
    SendMessageW(zoom(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(v.view.zoom_window_index, 6);
}

TEST_F(ZoomWindow, LosingTheFocusFreesTheCursorAndARightClickConfinesItAgain) {
    use_custom_rect();
    v.view.zoom_window_index = 4;
    zoom_window_open(&v, 0, 0, true);
    const RECT confinement = g_log.clips.back();
    SendMessageW(zoom(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(v.layout.zoom.paused, 1);
    EXPECT_TRUE(released(g_log.clips.back()));
    const int sx = v.layout.zoom.scroll_x;
    send_move(32, 32);  // paused: the view stands still
    EXPECT_EQ(v.layout.zoom.scroll_x, sx);
    SendMessageW(zoom(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(32, 32));
    EXPECT_EQ(v.layout.zoom.paused, 0);
    EXPECT_TRUE(EqualRect(&g_log.clips.back(), &confinement));
    EXPECT_EQ(v.layout.zoom.scroll_x, 0);  // following again from where the click was
    SendMessageW(zoom(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(32, 32));
    EXPECT_EQ(v.layout.zoom.paused, 1);
    EXPECT_TRUE(released(g_log.clips.back()));
}

TEST_F(ZoomWindow, PageKeysTurnThePageInsideTheMagnifier) {
    use_custom_rect();
    v.view.zoom_window_index = 9;  // 60 %, a cached copy
    zoom_window_open(&v, 0, 0, true);
    SendMessageW(zoom(), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(v.document.current_page, 1);
    ASSERT_NE(zoom(), nullptr);
    const RECT c = client();
    const Canvas canvas = paint();
    EXPECT_EQ(canvas.at(c.right / 2, c.bottom / 2), grey(0x33));
    SendMessageW(zoom(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(v.document.current_page, 0);
}

TEST_F(ZoomWindow, WhiteOutsAreDrawnMagnified) {
    use_custom_rect();
    v.view.zoom_window_index = 4;
    PageMarks* marks = viewer_current_marks(&v);
    ASSERT_NE(marks, nullptr);
    marks_add_whiteout(marks, PageRect{10, 10, 19, 19});
    v.annotate.annotations_shown = 1;
    zoom_window_open(&v, 0, 0, false);
    send_move(32, 32);  // the page's top-left corner at the window's
    const Canvas canvas = paint();
    EXPECT_EQ(canvas.at(20, 20), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(39, 39), 0xFFFFFFu);
    EXPECT_EQ(canvas.at(40, 40), grey(40 / 2));
    EXPECT_EQ(canvas.at(19, 19), grey(19 / 2));
}

TEST_F(ZoomWindow, FullScreenChoicesCoverTheMonitorAndStayOnTop) {
    v.settings.zoomsize = 5;
    zoom_window_open(&v, 0, 0, false);
    ASSERT_NE(zoom(), nullptr);
    EXPECT_TRUE(GetWindowLongW(zoom(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(zoom(), GWL_STYLE) & WS_DLGFRAME);
    RECT r;
    GetWindowRect(zoom(), &r);
    POINT corner{0, 0};
    ClientToScreen(plugin, &corner);
    HMONITOR m = MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(m, &info));
    EXPECT_TRUE(EqualRect(&r, &info.rcMonitor));
}

TEST_F(ZoomWindow, WithoutTheMonitorFunctionsTheScreenIsOneMonitor) {
    const ZoomMonitorFns none{};
    zoom_monitor_fns_override(&none);
    POINT corners[10];
    EXPECT_EQ(zoom_list_secondary_monitors(corners, 10), 0);
    v.settings.zoomsize = 4;
    zoom_window_open(&v, 0, 0, false);
    ASSERT_NE(zoom(), nullptr);
    RECT r;
    GetWindowRect(zoom(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    // The default size keeps 5 pixels from the edges of the work area.
    zoom_window_close(&v);
    v.settings.zoomsize = 2;
    zoom_window_open(&v, 0, 0, false);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(zoom(), &r);
    EXPECT_EQ(r.left, work.left + 5);
    EXPECT_EQ(r.bottom, work.bottom - 5);
}

TEST_F(ZoomWindow, DestroyingThePluginWindowLeavesNoDanglingMagnifier) {
    use_custom_rect();
    zoom_window_open(&v, 0, 0, true);
    HWND z = zoom();
    DestroyWindow(plugin);  // owned pop-ups go with their owner
    plugin = nullptr;
    v.shell.plugin_window = nullptr;
    EXPECT_FALSE(IsWindow(z));
    EXPECT_EQ(v.shell.zoom_window, nullptr);
    EXPECT_EQ(v.layout.zoom.open, 0);
    EXPECT_TRUE(released(g_log.clips.back()));
}

namespace {
struct BoxLog {
    std::vector<std::u16string> texts;
};
int record_box(const MessageBoxRequest& r, void* context) {
    static_cast<BoxLog*>(context)->texts.push_back(r.text);
    return kIdOk;
}
}  // namespace

TEST_F(ZoomWindow, AWindowThatCannotBeMadeIsReportedAndChangesNothing) {
    UnregisterClassW(kZoomWindowClass,
                     module().instance);  // CreateWindowExW fails
    BoxLog boxes;
    void* old_context = nullptr;
    const MessageBoxHandler old = msgbox_set_handler(record_box, &boxes, &old_context);
    use_custom_rect();
    zoom_window_open(&v, 50, 50, false);
    msgbox_set_handler(old, old_context);
    EXPECT_EQ(v.shell.zoom_window, nullptr);
    EXPECT_EQ(v.layout.zoom.open, 0);
    EXPECT_TRUE(g_log.moves.empty());
    EXPECT_TRUE(g_log.clips.empty());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], u"Failed to create zoom window");
    EXPECT_TRUE(errlog_has_entries(&v.logs.error));
}
