#include "output/win/print_backend.h"

#include "base/win/handles.h"

namespace {
int start_doc(HDC dc, const wchar_t* name) {
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = name;
    return StartDocW(dc, &info);
}
int start_page(HDC dc) { return StartPage(dc); }
int end_page(HDC dc) { return EndPage(dc); }
int end_doc(HDC dc) { return EndDoc(dc); }
int abort_doc(HDC dc) { return AbortDoc(dc); }

PrintBackend g_backend = print_system_backend();

void free_global(HGLOBAL* h) {
    const UniqueGlobal block{*h};
    *h = nullptr;
}
}  // namespace

// Defined with the printer settings of the print-hint mode.
bool print_printer_duplex(const wchar_t* printer);
void print_apply_page_settings(HWND owner, HDC dc, const wchar_t* printer, const HackSheetState& state, int copies,
                               int collate);

PrintBackend print_system_backend() {
    PrintBackend b;
    b.choose = print_choose_system;
    b.start_doc = start_doc;
    b.start_page = start_page;
    b.end_page = end_page;
    b.end_doc = end_doc;
    b.abort_doc = abort_doc;
    b.metrics = print_read_metrics;
    b.printer_duplex = print_printer_duplex;
    b.apply_page_settings = print_apply_page_settings;
    return b;
}

const PrintBackend& print_backend() { return g_backend; }

PrintBackend print_set_backend(const PrintBackend& backend) {
    const PrintBackend old = g_backend;
    g_backend = backend;
    return old;
}

void print_choice_release(PrinterChoice* c) {
    UniqueMemoryDc dc{c->dc};  // a printer DC is deleted the same way
    c->dc = nullptr;
    free_global(&c->devmode);
    free_global(&c->devnames);
}

PrinterMetrics print_read_metrics(HDC dc) {
    PrinterMetrics m;
    m.printable_width = GetDeviceCaps(dc, HORZRES);
    m.printable_height = GetDeviceCaps(dc, VERTRES);
    m.physical_width = GetDeviceCaps(dc, PHYSICALWIDTH);
    m.physical_height = GetDeviceCaps(dc, PHYSICALHEIGHT);
    m.offset_x = GetDeviceCaps(dc, PHYSICALOFFSETX);
    m.offset_y = GetDeviceCaps(dc, PHYSICALOFFSETY);
    m.dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
    m.dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    return m;
}
