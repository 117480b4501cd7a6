// Choosing the printer: the default one for quick print, otherwise the print
// dialog. The newer dialog (with several page ranges and a "current page"
// choice) is tried first; when it cannot run at all the older one takes over
// for the rest of the process.
#include <windows.h>

// The newer dialog's declarations need the COM macros, which the lean
// windows.h leaves out.
#include <objbase.h>

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>

#include "config/message_box.h"
#include "output/win/print_backend.h"

namespace {
bool g_older_dialog = false;  // only ever goes from false to true
bool g_nt_system = false;     // start-up tells

DWORD dialog_flags(const OutputSource& s) {
    DWORD flags = PD_RETURNDC | PD_NOSELECTION;
    // The driver makes copies and collates from its device mode; the dialog
    // then leaves nCopies at 1 and the viewer prints every page once.
    if (!s.settings->supportmultcopies) flags |= PD_USEDEVMODECOPIESANDCOLLATE;
    return flags;
}

WORD page_limit(const OutputSource& s) { return WORD(std::clamp(s.document->page_count, 1, 0xFFFF)); }

PrintPages pages_of(DWORD flags) {
    if (flags & PD_CURRENTPAGE) return PrintPages::kCurrent;
    if (flags & PD_PAGENUMS) return PrintPages::kRanges;
    return PrintPages::kAll;
}

bool choose_default(const OutputSource& s, PrinterChoice* out) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgW(&pd)) {
        const DWORD error = CommDlgExtendedError();
        if (error == PDERR_NODEFAULTPRN)
            msgbox_warning(s.owner, u"Unable to print. Your computer has no default printer.");
        else if (error)
            msgbox_warning(s.owner, u"Unable to print. (error code %d)", int(error));
        return false;
    }
    out->dc = pd.hDC;
    out->devmode = pd.hDevMode;
    out->devnames = pd.hDevNames;
    return true;
}

enum class DialogOutcome { kPrint, kNothing, kCannotRun };

DialogOutcome choose_newer(const OutputSource& s, PrinterChoice* out) {
    PRINTPAGERANGE ranges[kMaxPageRanges] = {};
    PRINTDLGEXW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = s.owner;
    pd.Flags = dialog_flags(s);
    pd.nMaxPageRanges = kMaxPageRanges;
    pd.lpPageRanges = ranges;
    pd.nMinPage = 1;
    pd.nMaxPage = DWORD(std::max(s.document->page_count, 1));
    pd.nCopies = 1;
    pd.nStartPage = START_PAGE_GENERAL;
    const HRESULT hr = PrintDlgExW(&pd);
    // Whatever came back is ours to free, whether or not we print.
    out->dc = pd.hDC;
    out->devmode = pd.hDevMode;
    out->devnames = pd.hDevNames;
    if (hr != S_OK) return DialogOutcome::kCannotRun;
    if (pd.dwResultAction != PD_RESULT_PRINT) return DialogOutcome::kNothing;
    out->pages = pages_of(pd.Flags);
    for (DWORD i = 0; i < std::min<DWORD>(pd.nPageRanges, kMaxPageRanges); ++i)
        out->ranges.push_back(PageRange{int(std::min<DWORD>(ranges[i].nFromPage, INT_MAX)),
                                        int(std::min<DWORD>(ranges[i].nToPage, INT_MAX))});
    out->copies = int(std::max<DWORD>(pd.nCopies, 1));
    out->collate = (pd.Flags & PD_COLLATE) != 0;
    return DialogOutcome::kPrint;
}

bool choose_older(const OutputSource& s, PrinterChoice* out) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = s.image_window;
    pd.Flags = dialog_flags(s);
    pd.nFromPage = pd.nToPage = WORD(std::clamp(s.document->current_page + 1, 1, 0xFFFF));
    pd.nMinPage = 1;
    pd.nMaxPage = page_limit(s);
    pd.nCopies = 1;
    const BOOL ok = PrintDlgW(&pd);
    out->dc = pd.hDC;
    out->devmode = pd.hDevMode;
    out->devnames = pd.hDevNames;
    if (!ok) return false;
    out->pages = pages_of(pd.Flags);
    if (out->pages == PrintPages::kRanges) out->ranges.push_back(PageRange{pd.nFromPage, pd.nToPage});
    out->copies = std::max<int>(pd.nCopies, 1);
    out->collate = (pd.Flags & PD_COLLATE) != 0;
    return true;
}
}  // namespace

void print_set_newer_dialog_system(bool nt) { g_nt_system = nt; }

bool print_choose_system(const OutputSource& s, bool quick, PrinterChoice* out) {
    if (quick) return choose_default(s, out);
    if (g_nt_system && !g_older_dialog) {
        switch (choose_newer(s, out)) {
        case DialogOutcome::kPrint: return true;
        case DialogOutcome::kNothing: return false;
        case DialogOutcome::kCannotRun:
            g_older_dialog = true;
            print_choice_release(out);
            break;
        }
    }
    return choose_older(s, out);
}
