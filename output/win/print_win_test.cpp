// Printing with a memory DC standing in for the printer: the fake backend
// below answers the dialog, counts the spooler calls and keeps a picture of
// every sheet at its EndPage. Nothing here reaches a real printer; the one
// test that calls the system's chooser runs only where no printer exists.
#include <windows.h>

#include <commdlg.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "document/page_marks.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/viewer_registry.h"
#include "host/win/plugin_window.h"
#include "host/win/viewer_output.h"
#include "output/win/print_backend.h"
#include "output/win/print_draw.h"
#include "testing/tiff_builder.h"
#include "ui/commands.h"
#include "host/win/viewer_commands.h"
#include "view/geometry.h"
#include "view/view_ops.h"

namespace {
// The stand-in printer: 50 dpi, a 220 x 280 sheet with a 10-pixel margin.
constexpr int kSheetW = 200, kSheetH = 260;
const PrinterMetrics kPrinter{kSheetW, kSheetH, 220, 280, 10, 10, 50, 50};
constexpr uint32_t kWhite = 0xFFFFFF;
// The grey of page n (1-based) of the test document.
uint32_t grey(int page) {
    const uint32_t g = 0x40 * uint32_t(page);
    return g << 16 | g << 8 | g;
}

struct Sheet {
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * kSheetW + x] & 0xFFFFFF; }
};

struct FakePrinter;
FakePrinter* g_fake = nullptr;

struct FakePrinter {
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    // What the "dialog" answers.
    bool answer = true;
    PrintPages pages = PrintPages::kAll;
    std::vector<PageRange> ranges;
    int copies = 1;
    bool collate = false;
    const wchar_t* printer_name = nullptr;  // devnames for the print-hint mode
    int fail_start_page_at = 0;             // 1-based StartPage call that fails
    // What happened.
    std::vector<std::string> calls;
    std::vector<std::u16string> statuses;
    std::vector<Sheet> sheets;
    std::vector<HackSheetState> applied;
    int start_pages = 0;
    int chosen = 0;
    bool quick = false;
    Viewer* viewer = nullptr;  // whose status line each sheet is read from, and whom during_dialog acts on
    void (*during_dialog)(Viewer*) = nullptr;
    PrintBackend old;

    FakePrinter() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kSheetW, -kSheetH, 1, 32, BI_RGB};
        void* p = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        bits = static_cast<uint32_t*>(p);
        g_fake = this;
        PrintBackend b;
        b.choose = choose;
        b.start_doc = [](HDC, const wchar_t* name) {
            g_fake->calls.push_back(name == std::wstring(L"Vellarion printout") ? "doc" : "doc?");
            return 1;
        };
        b.start_page = [](HDC) {
            g_fake->calls.push_back("page");
            if (g_fake->viewer) g_fake->statuses.push_back(btext_get(&g_fake->viewer->shell.status_text));
            std::fill(g_fake->bits, g_fake->bits + kSheetW * kSheetH, 0xFFFFFFu);
            return ++g_fake->start_pages == g_fake->fail_start_page_at ? -1 : 1;
        };
        b.end_page = [](HDC) {
            GdiFlush();
            g_fake->calls.push_back("end");
            g_fake->sheets.push_back(Sheet{std::vector<uint32_t>(g_fake->bits, g_fake->bits + kSheetW * kSheetH)});
            return 1;
        };
        b.end_doc = [](HDC) {
            g_fake->calls.push_back("enddoc");
            return 1;
        };
        b.abort_doc = [](HDC) {
            g_fake->calls.push_back("abort");
            return 1;
        };
        b.metrics = [](HDC) { return kPrinter; };
        b.printer_duplex = [](const wchar_t* name) { return std::wstring(name) == L"Duplex printer"; };
        b.apply_page_settings = [](HWND, HDC, const wchar_t*, const HackSheetState& s, int, int) {
            g_fake->calls.push_back("settings");
            g_fake->applied.push_back(s);
        };
        old = print_set_backend(b);
    }
    ~FakePrinter() {
        print_set_backend(old);
        g_fake = nullptr;
    }

    // A DC drawing on the sheet. A bitmap lives in one DC at a time, so each
    // user (a print job, which deletes its DC) gets a DC of its own.
    HDC make_dc() const {
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap.get());
        return dc;
    }
    Sheet snapshot() const {
        GdiFlush();
        return Sheet{std::vector<uint32_t>(bits, bits + kSheetW * kSheetH)};
    }

    static bool choose(const OutputSource&, bool quick, PrinterChoice* out) {
        FakePrinter* f = g_fake;
        ++f->chosen;
        f->quick = quick;
        if (f->during_dialog) f->during_dialog(f->viewer);
        if (!f->answer) return false;
        out->dc = f->make_dc();
        out->pages = f->pages;
        out->ranges = f->ranges;
        out->copies = f->copies;
        out->collate = f->collate;
        if (f->printer_name) {
            const size_t chars = wcslen(f->printer_name) + 1;
            out->devnames = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + chars * sizeof(wchar_t));
            auto* names = static_cast<DEVNAMES*>(GlobalLock(out->devnames));
            names->wDeviceOffset = sizeof(DEVNAMES) / sizeof(wchar_t);
            wcscpy(reinterpret_cast<wchar_t*>(names) + names->wDeviceOffset, f->printer_name);
            GlobalUnlock(out->devnames);
        }
        return true;
    }
};

// A viewer holding a three-page document (pages 0x40, 0x80, 0xC0 grey, 40 x 30
// at 100 dpi) with the first page shown.
struct PrintWin : ::testing::Test {
    Viewer v;
    int token = 0;
    std::vector<TiffPage> pages;

    void SetUp() override {
        errlog_init(&v.logs.error, true);
        errlog_init(&v.logs.page, false);
        for (int n = 1; n <= 3; ++n) {
            TiffPage p;
            p.width = 40;
            p.height = 30;
            p.pixels.assign(40 * 30, uint8_t(0x40 * n));
            p.resolution_unit = 2;
            p.x_resolution = p.y_resolution = 100;
            pages.push_back(p);
        }
    }
    void load(bool print_hack = false) {
        v.document.print_hack = print_hack;
        const std::vector<uint8_t> file = tiff_build(pages);
        const StreamInfo info{&token, "http://example.test/a.tif", uint32_t(file.size())};
        ASSERT_EQ(reception_new(&v, info), 0);
        ASSERT_EQ(reception_write(&v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
        ASSERT_EQ(reception_end(&v, info, 0), 0);
        ASSERT_TRUE(viewer_page_shown(&v));
        ASSERT_EQ(v.document.page_count, 3);
    }
    void TearDown() override {
        reception_release(&v);
        viewer_file_free(&v);
        errlog_free(&v.logs.error);
        errlog_free(&v.logs.page);
    }
};

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

// The first pixel of a colour, row by row; (-1, -1) when there is none.
Point32 find(const Sheet& s, uint32_t colour) {
    for (int y = 0; y < kSheetH; ++y)
        for (int x = 0; x < kSheetW; ++x)
            if (s.at(x, y) == colour) return {x, y};
    return {-1, -1};
}

struct RecordedBox {
    std::vector<std::u16string> texts;
    MessageBoxHandler old = nullptr;
    void* old_context = nullptr;
    RecordedBox() {
        old = msgbox_set_handler(
            [](const MessageBoxRequest& r, void* c) {
                static_cast<RecordedBox*>(c)->texts.push_back(r.text);
                return kIdOk;
            },
            this, &old_context);
    }
    ~RecordedBox() { msgbox_set_handler(old, old_context); }
};
}  // namespace

TEST_F(PrintWin, CollatedCopiesGoOutPassAfterPassWithTheirStatusAndTheViewerIsFreeAgain) {
    load();
    FakePrinter printer;
    printer.viewer = &v;
    printer.copies = 2;
    printer.collate = true;
    EXPECT_EQ(print_request(&v, false), 1);
    EXPECT_FALSE(printer.quick);
    ASSERT_EQ(printer.sheets.size(), 6u);
    const int order[] = {1, 2, 3, 1, 2, 3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(printer.sheets[i].at(5, 5), grey(order[i])) << "sheet " << i;
    EXPECT_EQ(narrow(printer.statuses[0]), "  Printing page 1 of 3 (copy 1 of 2)");
    EXPECT_EQ(narrow(printer.statuses[3]), "  Printing page 1 of 3 (copy 2 of 2)");
    EXPECT_EQ(printer.calls.front(), "doc");
    EXPECT_EQ(printer.calls.back(), "enddoc");
    EXPECT_EQ(v.busy, 0);
    EXPECT_TRUE(btext_empty(&v.shell.status_text));
}

TEST_F(PrintWin, RangesAndQuickPrintChooseThePages) {
    load();
    {
        FakePrinter printer;
        printer.pages = PrintPages::kRanges;
        printer.ranges = {{2, 2}, {3, 9}};
        EXPECT_EQ(print_request(&v, false), 1);
        ASSERT_EQ(printer.sheets.size(), 2u);
        EXPECT_EQ(printer.sheets[0].at(5, 5), grey(2));
        EXPECT_EQ(printer.sheets[1].at(5, 5), grey(3));
    }
    {
        // A range past the last page selects nothing: no empty document goes out.
        FakePrinter printer;
        printer.pages = PrintPages::kRanges;
        printer.ranges = {{5, 9}};
        EXPECT_EQ(print_request(&v, false), 0);
        EXPECT_TRUE(printer.calls.empty());
    }
    {
        FakePrinter printer;
        printer.pages = PrintPages::kCurrent;
        printer.copies = 3;  // ignored: the driver makes the copies
        v.settings.supportmultcopies = 0;
        EXPECT_EQ(print_request(&v, true), 1);
        EXPECT_TRUE(printer.quick);
        EXPECT_EQ(printer.sheets.size(), 1u);
        v.settings.supportmultcopies = 1;
    }
}

TEST_F(PrintWin, PagesPrintAtTheirNaturalSizeOrCentredAndOtherPagesAreNegatedLikeTheView) {
    load();
    FakePrinter printer;
    EXPECT_EQ(print_request(&v, true), 1);
    // 40 x 30 at 100 dpi is 20 x 15 at the printer's 50 dpi, at the printable area's corner.
    const Sheet& plain = printer.sheets[0];
    EXPECT_EQ(plain.at(0, 0), grey(1));
    EXPECT_EQ(plain.at(19, 14), grey(1));
    EXPECT_EQ(plain.at(20, 5), kWhite);
    EXPECT_EQ(plain.at(5, 15), kWhite);

    printer.sheets.clear();
    v.settings.printcenter = 1;
    view_toggle_negative(viewer_view_context(&v));
    EXPECT_EQ(print_request(&v, true), 1);
    // Centred on the 220 x 280 sheet: (220 - 20) / 2 - 10 = 90, (280 - 15) / 2 - 10 = 122.
    EXPECT_EQ(printer.sheets[0].at(89, 130), kWhite);
    EXPECT_EQ(printer.sheets[0].at(90, 122), 0xFFFFFFu - grey(1));  // the shown page, negated
    EXPECT_EQ(printer.sheets[0].at(109, 136), 0xFFFFFFu - grey(1));
    EXPECT_EQ(printer.sheets[1].at(95, 125), 0xFFFFFFu - grey(2));  // decoded afresh and negated too
}

TEST_F(PrintWin, MarksFollowThePageOntoTheSheetEvenWhenItIsTurned) {
    // 4.8 x 1.2 inches: too wide for the 4 x 5.2-inch area upright, whole when turned.
    pages[0].width = 120;
    pages[0].height = 30;
    pages[0].pixels.assign(120 * 30, 0x40);
    pages[0].x_resolution = pages[0].y_resolution = 25;
    load();
    PageMarks* m = viewer_current_marks(&v);
    ASSERT_TRUE(m);
    marks_add_whiteout(m, PageRect{0, 0, 9, 9});
    marks_add_pen(m, PenSegment{60, 20, 60, 20, 0x0000FF});  // a red dot
    v.annotate.annotations_shown = 1;
    FakePrinter printer;
    printer.pages = PrintPages::kCurrent;
    EXPECT_EQ(print_request(&v, false), 1);
    const Sheet& upright = printer.sheets[0];
    // Fitted to the area's width: 200 x 50, scale 200 / 120.
    EXPECT_EQ(upright.at(5, 5), kWhite);
    EXPECT_EQ(upright.at(30, 5), grey(1));
    EXPECT_EQ(upright.at(100, 33), 0xFF0000u);

    printer.sheets.clear();
    v.settings.printautorotate = 1;
    EXPECT_EQ(print_request(&v, false), 1);
    // Turned a quarter clockwise: 60 x 240 device pixels (4.8 inches fit the 5.2-inch height);
    // page (0, 0) is now at the top right, and the white-out with it.
    const Sheet& turned = printer.sheets[0];
    EXPECT_EQ(turned.at(59, 239), grey(1));
    EXPECT_EQ(turned.at(60, 10), kWhite);
    EXPECT_EQ(turned.at(55, 5), kWhite);  // the white-out
    EXPECT_EQ(turned.at(5, 5), grey(1));
    // The dot: page (60, 20) turned is (30 - 20, 60) in the 30 x 120 raster, doubled on the sheet.
    const Point32 dot = find(turned, 0xFF0000);
    EXPECT_NEAR(dot.x, 20, 1);
    EXPECT_NEAR(dot.y, 120, 1);
    EXPECT_EQ(raster_width(&v.document.file->raster), 120);  // the shown page is not turned itself
}

TEST_F(PrintWin, RefusalsCancelsAndSpoolerFailuresReportNothingPrinted) {
    {
        FakePrinter printer;
        EXPECT_EQ(print_request(&v, false), 0);  // nothing loaded
        EXPECT_EQ(printer.chosen, 0);
    }
    load();
    FakePrinter printer;
    v.access_flags = kAccessNoPrint;
    EXPECT_EQ(print_request(&v, false), 0);
    command_perform(&v, kCmdPrint);
    v.access_flags = 0;
    v.busy = 1;
    EXPECT_EQ(print_request(&v, false), 0);
    v.busy = 0;
    EXPECT_EQ(printer.chosen, 0);

    printer.answer = false;  // cancelled
    EXPECT_EQ(print_request(&v, false), 0);
    EXPECT_TRUE(printer.calls.empty());
    EXPECT_EQ(v.busy, 0);

    printer.answer = true;
    printer.fail_start_page_at = 2;
    EXPECT_EQ(print_request(&v, false), 0);
    EXPECT_EQ(printer.calls, (std::vector<std::string>{"doc", "page", "end", "page", "abort"}));
    EXPECT_EQ(v.busy, 0);
    EXPECT_TRUE(btext_empty(&v.shell.status_text));
}

TEST_F(PrintWin, AViewerDestroyedDuringTheDialogIsLeftAlone) {
    load();
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    v.shell.plugin_window = window;
    FakePrinter printer;
    // Dropped from the live viewers as NPP_Destroy's free does; the record stays for the checks.
    printer.viewer = &v;
    printer.during_dialog = [](Viewer* viewer) { viewer_registry_remove(viewer); };
    bool gone = false;
    EXPECT_EQ(print_request(&v, false, &gone), 0);
    EXPECT_TRUE(gone);
    EXPECT_TRUE(printer.calls.empty());
    EXPECT_EQ(v.busy, 1);  // not touched: it might have been freed
    v.busy = 0;
    v.shell.plugin_window = nullptr;
    DestroyWindow(window);
}

TEST_F(PrintWin, AutoprintRespectsItsValueAndTheSettings) {
    load();
    FakePrinter printer;
    v.stream.autoprint = 4;  // quick, but only when allowed
    print_autoprint(&v);
    EXPECT_EQ(printer.chosen, 0);
    v.settings.allowautoprint = 1;
    print_autoprint(&v);
    EXPECT_EQ(printer.chosen, 1);
    EXPECT_TRUE(printer.quick);
    v.stream.autoprint = 5;
    v.settings.allowautoprint = 0;
    print_autoprint(&v);
    EXPECT_EQ(printer.chosen, 2);
    EXPECT_FALSE(printer.quick);  // with the dialog
    v.settings.allowscript = 0;
    print_autoprint(&v);
    EXPECT_EQ(printer.chosen, 2);
}

TEST_F(PrintWin, TheBrowsersPrintDrawsTheEmbeddedPageOrRunsARequestWhenFullPage) {
    load();
    FakePrinter printer;
    UniqueMemoryDc dc{printer.make_dc()};
    NPPrint record{};
    record.mode = NP_EMBED;
    NPWindow& w = record.print.embedPrint.window;
    w.x = 10;
    w.y = 20;
    w.width = w.height = 100;
    record.print.embedPrint.platformPrint = dc.get();
    std::fill(printer.bits, printer.bits + kSheetW * kSheetH, 0xFFFFFFu);
    print_for_browser(&v, &record, 0, 27);
    // 40 x 30 shrunk into 100 x 100 from its top-left corner: 100 x 75.
    const Sheet s = printer.snapshot();
    EXPECT_EQ(s.at(10, 20), grey(1));
    EXPECT_EQ(s.at(109, 94), grey(1));
    EXPECT_EQ(s.at(50, 95), kWhite);
    EXPECT_EQ(printer.chosen, 0);

    v.settings.printstretched = 1;
    print_for_browser(&v, &record, 0, 27);
    GdiFlush();
    EXPECT_EQ(printer.bits[119 * kSheetW + 50] & 0xFFFFFF, grey(1));

    NPPrint full{};
    full.mode = NP_FULL;
    print_for_browser(&v, &full, 0, 27);
    EXPECT_EQ(printer.chosen, 1);
    EXPECT_TRUE(full.print.fullPrint.pluginPrinted);

    v.access_flags = kAccessNoPrint;
    std::fill(printer.bits, printer.bits + kSheetW * kSheetH, 0xFFFFFFu);
    print_for_browser(&v, &record, 0, 27);
    GdiFlush();
    EXPECT_EQ(printer.bits[20 * kSheetW + 10] & 0xFFFFFF, kWhite);
}

TEST_F(PrintWin, PrintHintsChooseTraysAndLeaveABackSideEmptyBeforeANewSheet) {
    pages[0].text_tags = {{272, "1"}, {337, "3"}};  // duplex, tray 3
    pages[1].text_tags = {{285, "0"}, {272, "1"}};  // wants a sheet of its own
    pages[2].text_tags = {{272, "0"}};              // simplex
    load(true);
    {
        RecordedBox boxes;
        FakePrinter printer;  // no device names: the printer is unknown
        EXPECT_EQ(print_request(&v, false), 0);
        EXPECT_EQ(boxes.texts, (std::vector<std::u16string>{u"Can\u2019t get printer name"}));
        EXPECT_TRUE(printer.calls.empty());
    }
    FakePrinter printer;
    printer.printer_name = L"Duplex printer";
    EXPECT_EQ(print_request(&v, false), 1);
    EXPECT_EQ(printer.calls, (std::vector<std::string>{"settings", "doc", "page", "end",          // front of sheet 1
                                                       "settings", "page", "end", "page", "end",  // empty back
                                                       "settings", "page", "end", "enddoc"}));
    ASSERT_EQ(printer.applied.size(), 3u);
    EXPECT_TRUE(printer.applied[0].source_set);
    EXPECT_EQ(printer.applied[0].source, 3);
    EXPECT_EQ(printer.applied[0].duplex, kDuplexVertical);
    EXPECT_EQ(printer.applied[2].duplex, kDuplexSimplex);
    EXPECT_EQ(printer.sheets[1].at(5, 5), kWhite);  // the empty back side
    EXPECT_EQ(printer.sheets[2].at(5, 5), grey(2));
}

TEST(PrintSystem, QuickPrintWithoutAnyPrinterSaysSo) {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 5, nullptr, 0, &needed, &count);
    // Never print for real: where a printer is installed this test has nothing to check.
    if (needed != 0) GTEST_SKIP() << "a printer is installed";
    Viewer v;
    RecordedBox boxes;
    PrinterChoice choice;
    EXPECT_FALSE(print_choose_system(viewer_output_source(&v), true, &choice));
    EXPECT_EQ(boxes.texts, (std::vector<std::u16string>{u"Unable to print. Your computer has no default printer."}));
    EXPECT_FALSE(choice.dc);
}
