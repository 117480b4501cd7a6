#pragma once
// The viewer's preferences and an administrator's restrictions. Each viewer
// reads its own copy once, at creation; the view state and the settings dialog
// work on that copy, and it is written back only on explicit request.
#include <cstdint>

#include "config/settings_store.h"

// Bits of the `miscflags` value.
constexpr uint32_t kMiscSelectionTools = 0x1;
constexpr uint32_t kMiscLocalAccessAll = 0x2;
constexpr uint32_t kMiscIgnoreWheel = 0x4;
constexpr uint32_t kMiscIgnoreAccessParam = 0x8;

// Access bit that forbids saving settings.
constexpr uint32_t kAccessNoSaveSettings = 0x2;

struct Rect32 {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The view group: what the viewer keeps in its live View state.
struct ViewGroup {
    int smooth = 1;  // `resample`
    int negative = 0;
    int orientation = 0;        // 0 top, 1 right, 2 bottom, 3 left
    int size_mode = 1;          // `sizemode`: 0 fixed, 1 width, 2 height, 3 best
    int zoom_index = 5;         // image zoom step (`scalepct`)
    int zoom_window_index = 5;  // magnifier step (`zscalepct`)
    int mouse_mode = 0;
};

struct Settings {
    ViewGroup view;
    int lctrl = 0;
    uint32_t access = 0;     // ORed over all keys; never saved
    uint32_t miscflags = 0;  // ORed over all keys; never saved
    // The dialog group, in save order.
    int toolbar = 1;
    int zoomsize = 2;
    int pansens = 2;
    int toolbar_height = 26;  // `tbbuttonsize` (22..100) plus 4
    uint32_t bgcolor = 0x404040;
    int tooltips = 1;
    int zoommon = 0;
    int zoomloc_x = 0, zoomloc_y = 0;
    int fixratio = 1;
    uint32_t ignorespecialimages = 0;
    int printfull = 0, printcenter = 0, printautorotate = 0, printstretched = 0;
    int allowscript = 1;
    int allowautoprint = 0;
    int autoupdate = 1;
    int mousewheeldir = 0;
    int localaccess = 1;
    int supportmultcopies = 1;
    // Not stored in the registry.
    int palette_repair = 1;
    // Read, never saved.
    uint32_t memorylimit = 0;
    int sendmethod = 2;
    Rect32 zoomrect{10, 10, 410, 410};
    bool zoomrect_given = false;
    char16_t toolbaritems[200] = {};
};

// Defaults, then the machine key, the user key and (when it exists) the
// low-integrity key; each value found overrides, except `access` and
// `miscflags`, which are ORed. Applies the `localaccess` default.
void settings_load(SettingsStore* store, Settings* out);

// which: 0x1 the view group, 0x2 the dialog group. Nothing is saved when
// `access_flags` has 0x2 (false, no message). When the user key cannot be
// opened, the warning "Unable to save settings!" goes to `box_owner` and the
// result is false.
bool settings_save(SettingsStore* store, const Settings& settings, const ViewGroup& view, uint32_t access_flags,
                   unsigned which, void* box_owner);

// Whether the low-integrity key exists: decided at the first question and kept
// for the life of the module.
bool settings_low_integrity(SettingsStore* store);
void settings_forget_low_integrity();  // for tests: decide again

// Per-user values (the update check keeps its times there). Reading takes the
// user key, then the low-integrity key, which wins.
bool settings_read_user_dword(SettingsStore* store, const char16_t* name, uint32_t* out, bool* from_low);
long settings_write_user_dword(SettingsStore* store, const char16_t* name, uint32_t value);
void settings_delete_user_value(SettingsStore* store, const char16_t* name);

// Values read once at module start-up.
struct ProcessSettings {
    uint32_t update_interval = 10;
    uint32_t update_retry = 2;
    char16_t update_server[128] = {};
    char16_t update_resource[128] = {};
    uint32_t update_last_checked = 0;
    uint32_t update_last_attempt = 0;
    char16_t disable_compression[200] = {};
};

extern const char16_t kDefaultUpdateServer[];
extern const char16_t kDefaultUpdateResource[];

void settings_process_defaults(ProcessSettings* out);
void settings_load_process(SettingsStore* store, ProcessSettings* out);
