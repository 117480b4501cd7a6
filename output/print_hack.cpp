#include "output/print_hack.h"

HackPageActions print_hack_before_page(HackSheetState* s, const PrintHints& hints) {
    HackPageActions a;
    if (hints.source >= 0) {
        s->source = hints.source;
        s->source_set = true;
    }
    if (hints.duplex >= 0) s->duplex = hints.duplex != 0 ? kDuplexVertical : kDuplexSimplex;
    // The document starts with the first page, once its device mode is in place.
    if (!s->document_started) {
        a.start_document = true;
        s->document_started = true;
    }
    // A duplex page that wants a sheet of its own must not land on the back of
    // the previous one: a duplex printer gets an empty back side first.
    if (hints.new_sheet >= 0 && hints.duplex > 0 && !s->next_is_front) {
        a.blank_first = s->printer_duplex;
        s->next_is_front = true;
    }
    return a;
}

void print_hack_after_page(HackSheetState* s) {
    ++s->pages;
    s->next_is_front = s->duplex == kDuplexSimplex ? true : !s->next_is_front;
}
