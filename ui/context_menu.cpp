#include "ui/context_menu.h"

#include "config/zoom_steps.h"
#include "ui/commands.h"

namespace {
// Access bits as they act on the menu.
constexpr uint32_t kNoSaveSettings = 0x2, kNoPrint = 0x4, kNoSave = 0x8, kNoOpenLocal = 0x10, kNoWallpaper = 0x20,
                   kNoCopyImage = 0x40, kNoLocations = 0x80, kNoEmail = 0x400, kNoSketchModes = 0x800, kNoTags = 0x1000,
                   kNoUpdateCheck = 0x2000, kNoUpload = 0x4000;

struct Builder {
    std::vector<MenuEntry>* menu;

    void command(int id, bool greyed = false, bool checked = false) {
        menu->push_back(MenuEntry{MenuEntryKind::kCommand, id, -1, greyed, checked});
    }
    void separator() { menu->push_back(MenuEntry{MenuEntryKind::kSeparator, 0, -1, false, false}); }
    void submenu(int title, int index) {
        menu->push_back(MenuEntry{MenuEntryKind::kSubmenu, title, index, false, false});
    }
};

// Size-menu percentages in menu order, ids alongside.
struct PercentItem {
    int id;
    int percent;
};
constexpr PercentItem kSizePercents[] = {
    {49040, 5},         {49041, 10},  {49042, 17},  {49043, 25},  {49044, 33},  {49045, 50},   {49046, 70},
    {kCmdZoom100, 100}, {49100, 200}, {49101, 300}, {49102, 400}, {49103, 800}, {49104, 1600},
};
constexpr PercentItem kZoomWindowPercents[] = {
    {49059, 10}, {49058, 20},  {49057, 30},  {49056, 40},  {49055, 50},  {49054, 60},  {49053, 70},   {49052, 80},
    {49051, 90}, {49050, 100}, {49110, 200}, {49111, 300}, {49112, 400}, {49113, 800}, {49114, 1600},
};

void fill_sketch(const MenuState& s, bool loaded, Builder b) {
    b.command(kCmdPenColor);
    b.command(kCmdClearPen);
    if (!(s.access_flags & kNoUpload) && s.has_upload_url) b.command(kCmdUpload, !loaded);
}

void fill_orientation(const MenuState& s, Builder b) {
    b.command(kCmdRotateLeft);
    b.command(kCmdRotateRight);
    b.command(kCmdRotate180);
    b.separator();
    for (int o = 0; o < 4; ++o) b.command(kCmdOrientationOriginal + o, false, s.orientation == o);
}

void fill_size(const MenuState& s, Builder b) {
    b.command(kCmdFitWidth, false, s.size_mode == 1);
    b.command(kCmdFitHeight, false, s.size_mode == 2);
    b.command(kCmdBestFit, false, s.size_mode == 3);
    b.separator();
    for (const PercentItem& p : kSizePercents)
        b.command(p.id, false, s.size_mode == 0 && zoom_nearest_step(ZoomTable::kImage, p.percent) == s.zoom_index);
}

void fill_zoom_window(const MenuState& s, Builder b) {
    for (const PercentItem& p : kZoomWindowPercents)
        b.command(p.id, false, zoom_nearest_step(ZoomTable::kMagnifier, p.percent) == s.zoom_window_index);
}

void fill_page(const MenuState& s, Builder b) {
    const bool first = s.current_page <= 0, last = s.current_page >= s.page_count - 1;
    b.command(kCmdPreviousPage, first);
    b.command(kCmdNextPage, last);
    b.separator();
    b.command(kCmdFirstPage, first);
    b.command(kCmdLastPage, last);
}

void fill_mouse_mode(const MenuState& s, Builder b) {
    auto mode = [&](int id, int m) { b.command(id, false, s.mouse_mode == m); };
    mode(kCmdMouseZoom, 0);
    mode(kCmdMousePan, 1);
    if (!(s.access_flags & kNoSketchModes)) {
        mode(kCmdMouseDraw, 5);
        mode(kCmdMouseErase, 6);
        if (s.allow_select) mode(kCmdMouseWhiteOut, 3);
        if (s.crop_select) mode(kCmdMouseCrop, 4);
    }
    mode(kCmdMouseNone, 2);
}

void fill_tools(const MenuState& s, bool loaded, Builder b) {
    b.command(kCmdShowErrorLog, !s.error_log_has_text);
    if (!(s.access_flags & kNoTags)) {
        b.command(kCmdTagsThisPage, !loaded);
        b.command(kCmdTagsAllPages, !loaded);
    }
    if (!(s.access_flags & kNoUpdateCheck)) b.command(kCmdCheckVersion);
    if (!(s.access_flags & kNoWallpaper)) {
        b.separator();
        const bool greyed = !(loaded && s.decoded);
        b.command(kCmdWallpaperCentered, greyed);
        b.command(kCmdWallpaperTiled, greyed);
        b.command(kCmdWallpaperStretched, greyed);
    }
}

void fill_main(const MenuState& s, bool loaded, Builder b) {
    const uint32_t a = s.access_flags;
    if (s.page_has_marks) {
        b.command(kCmdRemoveLastMark);
        b.command(kCmdRemoveAllMarks);
        b.separator();
    }
    if (!(a & kNoPrint)) b.command(kCmdPrint, !(loaded && (s.decoded || (s.document_loaded && s.page_count > 1))));
    if (!(a & kNoOpenLocal)) b.command(kCmdOpenLocalFile, s.download_state == DownloadState::kReceiving);
    if (!(a & kNoSave)) b.command(kCmdSaveAs, !loaded);
    if (!(a & kNoCopyImage)) b.command(kCmdCopyImage, !(loaded && s.decoded));
    if (!(a & kNoLocations)) b.command(kCmdCopyImageLocation, !s.has_download_url);
    if (s.has_href && !(a & kNoLocations)) b.command(kCmdCopyLinkLocation);
    if (!(a & kNoEmail)) b.command(kCmdSendImage, !loaded);
    b.submenu(kMenuSketch, kSubSketch);
    b.separator();
    b.command(kCmdSmooth, false, s.smooth);
    b.command(kCmdNegative, false, s.negative);
    b.submenu(kMenuOrientation, kSubOrientation);
    b.submenu(kMenuSize, kSubSize);
    b.submenu(kMenuZoomImageSize, kSubZoomImageSize);
    b.submenu(kMenuPage, kSubPage);
    b.submenu(kMenuMouseMode, kSubMouseMode);
    b.command(kCmdMoreSettings);
    b.separator();
    if (!(a & kNoSaveSettings)) {
        b.command(kCmdSaveAllSettings);
        b.separator();
    }
    b.submenu(kMenuTools, kSubTools);
    b.separator();
    if (!(a & kNoLocations)) {
        b.command(kCmdViewImage, !s.has_download_url);
        b.command(kCmdOpenNewWindow, !s.has_download_url);
    }
    b.command(kCmdHomePage);
    b.command(kCmdAbout);
}
}  // namespace

ContextMenu context_menu_build(const MenuState& s) {
    ContextMenu m;
    const bool loaded = s.download_state == DownloadState::kFinished;
    fill_main(s, loaded, Builder{&m.menus[kMenuMain]});
    fill_sketch(s, loaded, Builder{&m.menus[kSubSketch]});
    fill_orientation(s, Builder{&m.menus[kSubOrientation]});
    fill_size(s, Builder{&m.menus[kSubSize]});
    fill_zoom_window(s, Builder{&m.menus[kSubZoomImageSize]});
    fill_page(s, Builder{&m.menus[kSubPage]});
    fill_mouse_mode(s, Builder{&m.menus[kSubMouseMode]});
    fill_tools(s, loaded, Builder{&m.menus[kSubTools]});
    return m;
}

const MenuEntry* context_menu_find(const ContextMenu& m, int id) {
    for (const auto& menu : m.menus)
        for (const MenuEntry& e : menu)
            if (e.kind == MenuEntryKind::kCommand && e.id == id) return &e;
    return nullptr;
}
