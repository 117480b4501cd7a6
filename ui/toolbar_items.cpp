#include "ui/toolbar_items.h"

const char16_t* const kToolbarCodes[kToolbarItemCount] = {
    u"_",  u"PR", u"SA", u"CC", u"ZO", u"PA", u"BF", u"FW", u"FS", u"SS", u"O4", u"O1", u"O2", u"O3", u"NE", u"PP",
    u"NP", u"ME", u"AB", u"PG", u"OF", u"FH", u"SM", u"O6", u"O5", u"SE", u"QP", u"SL", u"DR", u"ER", u"UP", u"O7"};

const char16_t kToolbarLayoutStandard[] =
    u"PR,SA,CC,UP?,_,ZO,PA,SL?,DR?,ER?,_,BF,FW,FS,SS,_,O4,O1,O2,O3,_,NE,_,PG,PP,NP,_,ME,AB";
const char16_t kToolbarLayoutFull[] =
    u"PR,QP,OF,SA,CC,SE,UP?,_,ZO,PA,SL?,DR?,ER?,_,BF,FW,FH,FS,SS,_,O4,O1,O2,O3,O6,O5,O7,_,SM,NE,_,PG,PP,NP,_,ME,AB";

// Every code appears once and separators never stand two in a row, so a
// layout holds at most every item with a separator on either side of each:
// the item cap is never reached, however long the layout text.
static_assert(2 * (kToolbarItemCount - 1) + 1 <= kToolbarMaxItems);

namespace {

bool conditional_allowed(int index, const ToolbarConditions& c) {
    switch (index) {
    case kToolbarItemSelect: return c.allow_select;
    case kItemDraw:
    case kItemErase: return c.sketch_buttons;
    case kItemUpload: return c.has_upload_url;
    default: return false;
    }
}

void offer(std::vector<int>& items, std::u16string_view token, const ToolbarConditions& c) {
    const int index = toolbar_item_index(token.substr(0, 2));
    if (index < 0) return;
    if (index == kToolbarSeparator) {
        if (!items.empty() && items.back() == kToolbarSeparator) return;
    } else {
        for (int existing : items)
            if (existing == index) return;
    }
    const bool conditional = token.size() >= 3 && token[2] == u'?';
    if (conditional && !conditional_allowed(index, c)) return;
    items.push_back(index);
}
}  // namespace

int toolbar_item_index(std::u16string_view code) {
    for (int i = 0; i < kToolbarItemCount; ++i)
        if (code == kToolbarCodes[i]) return i;
    return -1;
}

std::vector<int> toolbar_parse_layout(std::u16string_view layout, const ToolbarConditions& c) {
    std::vector<int> items;
    size_t start = 0;
    while (start < layout.size()) {
        size_t comma = layout.find(u',', start);
        if (comma == std::u16string_view::npos) comma = layout.size();
        offer(items, layout.substr(start, comma - start), c);
        start = comma + 1;
    }
    return items;
}

LayoutChoice toolbar_classify_layout(std::u16string_view t) {
    if (t.empty()) return LayoutChoice::kUnusable;
    if (t[0] != u'.' && t[0] != u'$') return LayoutChoice::kLiteral;
    const std::u16string_view word = t.substr(1);
    if (word == u"standard") return LayoutChoice::kStandard;
    if (word == u"full") return LayoutChoice::kFull;
    if (word == u"none") return LayoutChoice::kNone;
    return LayoutChoice::kUnusable;
}

std::u16string_view toolbar_choose_layout(std::u16string_view page_text, std::u16string_view settings_text) {
    for (std::u16string_view t : {page_text, settings_text}) {
        switch (toolbar_classify_layout(t)) {
        case LayoutChoice::kLiteral: return t;
        case LayoutChoice::kStandard: return kToolbarLayoutStandard;
        case LayoutChoice::kFull: return kToolbarLayoutFull;
        case LayoutChoice::kNone: return u"";
        case LayoutChoice::kUnusable: break;
        }
    }
    return kToolbarLayoutStandard;
}
