// The printer settings of the print-hint mode: each page may choose its paper
// tray and duplex, so the printer's device mode is rewritten before the page
// and handed to the DC with ResetDCW.
#include <windows.h>

#include <winspool.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/win/handles.h"
#include "config/message_box.h"
#include "output/print_hack.h"

namespace {
struct PrinterTraits {
    using Handle = HANDLE;
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { ClosePrinter(h); }
};
using UniquePrinter = Unique<PrinterTraits>;

// Anything shorter is not a DEVMODEW the fields below can be written into.
constexpr LONG kSmallestDevmode = 219;
}  // namespace

bool print_printer_duplex(const wchar_t* printer) {
    DWORD needed = 0, count = 0;
    const DWORD where = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(where, nullptr, 5, nullptr, 0, &needed, &count);
    if (needed == 0) return false;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[needed]);
    if (!buffer || !EnumPrintersW(where, nullptr, 5, buffer.get(), needed, &needed, &count)) return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        if (!info[i].pPrinterName || wcscmp(info[i].pPrinterName, printer) != 0) continue;
        const DWORD answer = DeviceCapabilitiesW(printer, info[i].pPortName, DC_DUPLEX, nullptr, nullptr);
        return answer != 0 && answer != DWORD(-1);
    }
    return false;
}

void print_apply_page_settings(HWND owner, HDC dc, const wchar_t* printer, const HackSheetState& state, int copies,
                               int collate) {
    HANDLE raw = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer), &raw, nullptr)) {
        const DWORD error = GetLastError();
        msgbox_warning(owner, u"Error changing Page settings. Error Code: %u", unsigned(error));
        return;
    }
    UniquePrinter handle{raw};
    wchar_t* name = const_cast<wchar_t*>(printer);
    const LONG size = DocumentPropertiesW(nullptr, handle.get(), name, nullptr, nullptr, 0);
    if (size <= kSmallestDevmode) {
        msgbox_warning(owner, u"internal error: DEVMODE too small (%d)", int(size));
        return;
    }
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size_t(size)]());
    if (!buffer) return;
    auto* mode = reinterpret_cast<DEVMODEW*>(buffer.get());
    if (DocumentPropertiesW(nullptr, handle.get(), name, mode, nullptr, DM_OUT_BUFFER) != IDOK) return;
    if (state.source_set) {
        mode->dmDefaultSource = short(state.source);
        mode->dmFields |= DM_DEFAULTSOURCE;
    }
    if (state.printer_duplex) {
        mode->dmDuplex = short(state.duplex);
        mode->dmFields |= DM_DUPLEX;
    }
    mode->dmCopies = short(copies);
    mode->dmCollate = short(collate);
    mode->dmFields |= DM_COPIES | DM_COLLATE;
    if (DocumentPropertiesW(nullptr, handle.get(), name, mode, mode, DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK) return;
    ResetDCW(dc, mode);
}
