#pragma once
// The toolbar's item table: for each item-table index (the codes of
// toolbar_items.h), what kind of control shows it, how wide it is in 1/22 of
// the button height, its icon and tooltip, and what a click does. The menu and
// the toolbar share the command ids, so most items simply name one.
#include <cstdint>

#include "ui/toolbar_items.h"

enum class ToolbarKind : uint8_t {
    kSeparator,  // no window, only space
    kPush,       // a plain push button
    kToggle,     // a push-like check box; its check mirrors the viewer, never the click
    kSpinner,    // the up-down that steps the fixed zoom
    kPageList,   // the drop-down list of page numbers
};

enum class ToolbarAction : uint8_t {
    kNone,
    kCommand,   // value: the command id, carried out as the menu would
    kSizeMode,  // value: the size mode; the current mode again only refreshes the checks
    kMenu,      // the context menu, opened under the button
    kSpinner,   // handled through the up-down's scroll reports
    kPageList,  // handled through the list's selection change
};

struct ToolbarItemInfo {
    ToolbarKind kind;
    int width_units;
    uint16_t icon_id;       // 0: no icon
    uint16_t tooltip_id;    // string-table id; 0: no tooltip
    bool created_disabled;  // until the enable pass says otherwise
    ToolbarAction action;
    int value;
    const char16_t* tooltip;  // the string-table text under tooltip_id
};

extern const ToolbarItemInfo kToolbarItemTable[kToolbarItemCount];

// Tooltip texts live in the string table at kToolbarTooltipBase + item index;
// the upload button's second text ("Upload to") sits right after them.
constexpr int kToolbarTooltipBase = 49300;
constexpr int kToolbarUploadToId = kToolbarTooltipBase + kToolbarItemCount;
extern const char16_t kToolbarUploadToText[];

// The toolbar's logo: a 64 x 22 picture two pixels below the strip's top.
constexpr int kToolbarLogoWidth = 64;
constexpr int kToolbarLogoHeight = 22;
