#pragma once
// The toolbar's item codes and the parsing of a layout string ("PR,SA,_,ZO,SL?")
// into the items shown, in order.
#include <string_view>
#include <vector>

constexpr int kToolbarItemCount = 32;
constexpr int kToolbarMaxItems = 64;
constexpr int kToolbarSeparator = 0;
constexpr int kToolbarItemSelect = 27;  // `SL`, the white-out tool

// Item-table indices that other code addresses by name.
enum ToolbarItem : int {
    kItemSeparator = 0,
    kItemPrint = 1,
    kItemSaveAs = 2,
    kItemCopy = 3,
    kItemZoomMode = 4,
    kItemPanMode = 5,
    kItemBestFit = 6,
    kItemFitWidth = 7,
    kItemFixedSize = 8,
    kItemSpinner = 9,
    kItemRotatedLeft = 10,
    kItemOriginal = 11,
    kItemRotatedRight = 12,
    kItemUpsideDown = 13,
    kItemNegative = 14,
    kItemPreviousPage = 15,
    kItemNextPage = 16,
    kItemMenu = 17,
    kItemAbout = 18,
    kItemPageList = 19,
    kItemOpen = 20,
    kItemFitHeight = 21,
    kItemSmooth = 22,
    kItemRotateLeft = 23,
    kItemRotateRight = 24,
    kItemSend = 25,
    kItemQuickPrint = 26,
    kItemWhiteOut = 27,
    kItemDraw = 28,
    kItemErase = 29,
    kItemUpload = 30,
    kItemRotate180 = 31,
};

// Two-letter codes by item-table index (`_` for the separator).
extern const char16_t* const kToolbarCodes[kToolbarItemCount];

extern const char16_t kToolbarLayoutStandard[];
extern const char16_t kToolbarLayoutFull[];

// What decides whether a conditional item ("SL?", "DR?", "ER?", "UP?") is shown.
struct ToolbarConditions {
    bool allow_select = false;
    bool sketch_buttons = false;
    bool has_upload_url = false;
};

// Item-table index of a code, compared case-sensitively; -1 when unknown.
int toolbar_item_index(std::u16string_view code);
std::vector<int> toolbar_parse_layout(std::u16string_view layout, const ToolbarConditions& conditions);

enum class LayoutChoice { kUnusable, kLiteral, kStandard, kFull, kNone };
// Classifies one source of a layout: a literal list, or "." / "$" and a keyword.
LayoutChoice toolbar_classify_layout(std::u16string_view text);
// The page's text wins when usable, then the setting's, then the standard layout.
std::u16string_view toolbar_choose_layout(std::u16string_view page_text, std::u16string_view settings_text);
