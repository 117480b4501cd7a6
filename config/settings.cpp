#include "config/settings.h"

#include <cstring>

#include "config/message_box.h"
#include "config/zoom_steps.h"

const char16_t kDefaultUpdateServer[] = u"update.vellarion.net";
const char16_t kDefaultUpdateResource[] = u"/vellarion/version-pl-w32.txt";

namespace {
enum class LowIntegrity { kUnknown, kAbsent, kPresent };
LowIntegrity g_low = LowIntegrity::kUnknown;

// Reads "%d,%d,..." with exactly `count` numbers; false unless all of them parse.
bool parse_ints(const char16_t* s, int* out, int count) {
    for (int i = 0; i < count; ++i) {
        while (*s == u' ' || *s == u'\t') ++s;
        bool neg = false;
        if (*s == u'-' || *s == u'+') neg = *s++ == u'-';
        if (*s < u'0' || *s > u'9') return false;
        long long v = 0;
        while (*s >= u'0' && *s <= u'9') {
            if (v < 10000000000LL) v = v * 10 + (*s - u'0');
            ++s;
        }
        if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
        out[i] = int(neg ? -v : v);
        if (i + 1 < count) {
            while (*s == u' ' || *s == u'\t') ++s;
            if (*s++ != u',') return false;
        }
    }
    return true;
}

void read_int(SettingsStore* st, SettingsKey k, const char16_t* name, int* field) {
    uint32_t v;
    if (store_read_dword(st, k, name, &v)) *field = int(v);
}

void read_u32(SettingsStore* st, SettingsKey k, const char16_t* name, uint32_t* field) {
    uint32_t v;
    if (store_read_dword(st, k, name, &v)) *field = v;
}

void load_key(SettingsStore* st, SettingsKey k, Settings* s, bool* localaccess_found) {
    ViewGroup& v = s->view;
    read_int(st, k, u"resample", &v.smooth);
    read_int(st, k, u"negative", &v.negative);
    read_int(st, k, u"orientation", &v.orientation);
    read_int(st, k, u"sizemode", &v.size_mode);
    uint32_t pct;
    if (store_read_dword(st, k, u"scalepct", &pct)) v.zoom_index = zoom_nearest_step(ZoomTable::kImage, int(pct));
    if (store_read_dword(st, k, u"zscalepct", &pct))
        v.zoom_window_index = zoom_nearest_step(ZoomTable::kMagnifier, int(pct));
    read_int(st, k, u"mousemode", &v.mouse_mode);
    read_int(st, k, u"lctrl", &s->lctrl);
    uint32_t bits;
    if (store_read_dword(st, k, u"access", &bits)) s->access |= bits;
    if (store_read_dword(st, k, u"miscflags", &bits)) s->miscflags |= bits;
    read_int(st, k, u"toolbar", &s->toolbar);
    read_int(st, k, u"zoomsize", &s->zoomsize);
    read_int(st, k, u"pansens", &s->pansens);
    uint32_t size;
    if (store_read_dword(st, k, u"tbbuttonsize", &size)) {
        const int clamped = int(size) < 22 ? 22 : int(size) > 100 ? 100 : int(size);
        s->toolbar_height = clamped + 4;
    }
    read_u32(st, k, u"bgcolor", &s->bgcolor);
    read_int(st, k, u"tooltips", &s->tooltips);
    read_int(st, k, u"zoommon", &s->zoommon);
    char16_t text[1001];
    int xy[4];
    if (store_read_text(st, k, u"zoomloc", text, 1001) && parse_ints(text, xy, 2)) {
        s->zoomloc_x = xy[0];
        s->zoomloc_y = xy[1];
    }
    read_int(st, k, u"fixratio", &s->fixratio);
    read_u32(st, k, u"ignorespecialimages", &s->ignorespecialimages);
    read_int(st, k, u"printfull", &s->printfull);
    read_int(st, k, u"printcenter", &s->printcenter);
    read_int(st, k, u"printautorotate", &s->printautorotate);
    read_int(st, k, u"printstretched", &s->printstretched);
    read_int(st, k, u"allowscript", &s->allowscript);
    read_int(st, k, u"allowautoprint", &s->allowautoprint);
    read_int(st, k, u"autoupdate", &s->autoupdate);
    read_u32(st, k, u"memorylimit", &s->memorylimit);
    read_int(st, k, u"sendmethod", &s->sendmethod);
    if (store_read_text(st, k, u"zoomrect", text, 1001) && parse_ints(text, xy, 4)) {
        s->zoomrect = Rect32{xy[0], xy[1], int(int64_t(xy[0]) + xy[2]), int(int64_t(xy[1]) + xy[3])};
        s->zoomrect_given = true;
    }
    read_int(st, k, u"mousewheeldir", &s->mousewheeldir);
    uint32_t la;
    if (store_read_dword(st, k, u"localaccess", &la)) {
        s->localaccess = int(la);
        *localaccess_found = true;
    }
    read_int(st, k, u"supportmultcopies", &s->supportmultcopies);
    if (store_read_text(st, k, u"toolbaritems", text, 1001)) text_copy(s->toolbaritems, 200, text);
}
}  // namespace

bool settings_low_integrity(SettingsStore* store) {
    if (g_low == LowIntegrity::kUnknown)
        g_low = store && store->key_exists(SettingsKey::kLowIntegrity) ? LowIntegrity::kPresent : LowIntegrity::kAbsent;
    return g_low == LowIntegrity::kPresent;
}

void settings_forget_low_integrity() { g_low = LowIntegrity::kUnknown; }

void settings_load(SettingsStore* store, Settings* out) {
    *out = Settings{};
    bool localaccess_found = false;
    load_key(store, SettingsKey::kMachine, out, &localaccess_found);
    load_key(store, SettingsKey::kUser, out, &localaccess_found);
    if (settings_low_integrity(store)) load_key(store, SettingsKey::kLowIntegrity, out, &localaccess_found);
    if (!localaccess_found) out->localaccess = (out->miscflags & kMiscLocalAccessAll) ? 2 : 1;
}

static void save_view_group(SettingsStore* st, const ViewGroup& v) {
    store_write_dword(st, u"resample", uint32_t(v.smooth));
    store_write_dword(st, u"negative", uint32_t(v.negative));
    store_write_dword(st, u"orientation", uint32_t(v.orientation));
    store_write_dword(st, u"scalepct", uint32_t(zoom_step_percent(ZoomTable::kImage, v.zoom_index)));
    store_write_dword(st, u"sizemode", uint32_t(v.size_mode));
    store_write_dword(st, u"zscalepct", uint32_t(zoom_step_percent(ZoomTable::kMagnifier, v.zoom_window_index)));
    store_write_dword(st, u"mousemode", uint32_t(v.mouse_mode));
}

static void save_dialog_group(SettingsStore* st, const Settings& s) {
    store_write_dword(st, u"toolbar", uint32_t(s.toolbar));
    store_write_dword(st, u"zoomsize", uint32_t(s.zoomsize));
    store_write_dword(st, u"pansens", uint32_t(s.pansens));
    store_write_dword(st, u"tbbuttonsize", uint32_t(s.toolbar_height - 4));
    store_write_dword(st, u"bgcolor", s.bgcolor);
    store_write_dword(st, u"tooltips", uint32_t(s.tooltips));
    store_write_dword(st, u"zoommon", uint32_t(s.zoommon));
    char16_t loc[32];
    text_format(loc, 32, u"%d,%d", s.zoomloc_x, s.zoomloc_y);
    store_write_text(st, u"zoomloc", loc);
    store_write_dword(st, u"fixratio", uint32_t(s.fixratio));
    store_write_dword(st, u"ignorespecialimages", s.ignorespecialimages);
    store_write_dword(st, u"printfull", uint32_t(s.printfull));
    store_write_dword(st, u"printcenter", uint32_t(s.printcenter));
    store_write_dword(st, u"printautorotate", uint32_t(s.printautorotate));
    store_write_dword(st, u"printstretched", uint32_t(s.printstretched));
    store_write_dword(st, u"allowscript", uint32_t(s.allowscript));
    store_write_dword(st, u"allowautoprint", uint32_t(s.allowautoprint));
    store_write_dword(st, u"autoupdate", uint32_t(s.autoupdate));
    store_write_dword(st, u"mousewheeldir", uint32_t(s.mousewheeldir));
    store_write_dword(st, u"localaccess", uint32_t(s.localaccess));
    store_write_dword(st, u"supportmultcopies", uint32_t(s.supportmultcopies));
}

bool settings_save(SettingsStore* store, const Settings& settings, const ViewGroup& view, uint32_t access_flags,
                   unsigned which, void* box_owner) {
    if (access_flags & kAccessNoSaveSettings) return false;
    const SettingsKey key = settings_low_integrity(store) ? SettingsKey::kLowIntegrity : SettingsKey::kUser;
    if (!store || store->open_for_write(key) != 0) {
        msgbox_show(box_owner, kMbIconWarning, u"Unable to save settings!");
        return false;
    }
    if (which & 0x1) save_view_group(store, view);
    if (which & 0x2) save_dialog_group(store, settings);
    store->close_write();
    return true;
}

bool settings_read_user_dword(SettingsStore* store, const char16_t* name, uint32_t* out, bool* from_low) {
    bool found = store_read_dword(store, SettingsKey::kUser, name, out);
    if (from_low) *from_low = false;
    if (settings_low_integrity(store) && store_read_dword(store, SettingsKey::kLowIntegrity, name, out)) {
        found = true;
        if (from_low) *from_low = true;
    }
    return found;
}

long settings_write_user_dword(SettingsStore* store, const char16_t* name, uint32_t value) {
    const SettingsKey key = settings_low_integrity(store) ? SettingsKey::kLowIntegrity : SettingsKey::kUser;
    const long err = store->open_for_write(key);
    if (err != 0) return err;
    const long result = store_write_dword(store, name, value);
    store->close_write();
    return result;
}

void settings_delete_user_value(SettingsStore* store, const char16_t* name) {
    store->remove(SettingsKey::kUser, name);
    if (settings_low_integrity(store)) store->remove(SettingsKey::kLowIntegrity, name);
}

void settings_process_defaults(ProcessSettings* out) {
    *out = ProcessSettings{};
    text_copy(out->update_server, 128, kDefaultUpdateServer);
    text_copy(out->update_resource, 128, kDefaultUpdateResource);
}

void settings_load_process(SettingsStore* store, ProcessSettings* out) {
    settings_process_defaults(out);
    const SettingsKey m = SettingsKey::kMachine;
    store_read_dword(store, m, u"updateinterval", &out->update_interval);
    store_read_dword(store, m, u"updateretry", &out->update_retry);
    char16_t text[1000];
    if (store_read_text(store, m, u"updateserver", text, 1000)) text_copy(out->update_server, 128, text);
    if (store_read_text(store, m, u"updateresource", text, 1000)) text_copy(out->update_resource, 128, text);
    // The larger time wins: any of the keys may hold the newest check.
    for (const char16_t* name : {u"updatelastchecked", u"updatelastattempt"}) {
        uint32_t* field = name[10] == u'c' ? &out->update_last_checked : &out->update_last_attempt;
        uint32_t t;
        if (store_read_dword(store, m, name, &t)) *field = t;
        if (store_read_dword(store, SettingsKey::kUser, name, &t) && t > *field) *field = t;
        if (settings_low_integrity(store) && store_read_dword(store, SettingsKey::kLowIntegrity, name, &t) &&
            t > *field)
            *field = t;
    }
    if (store_read_text(store, m, u"disable_compression", text, 200)) text_copy(out->disable_compression, 200, text);
}
