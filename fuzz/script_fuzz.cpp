// A page may call the scriptable object's methods in any order, with any
// number and type of arguments, and may take the viewer away between calls.
// The input is read as a program: each step calls a method with made-up
// arguments, delivers a download the viewer asked for, changes a setting the
// page cannot (scripting, access bits, local access) or destroys the viewer.
// The viewer runs with the portable core only; a fake shell stands in for
// the windows and a fake browser for NPRuntime, the events and NPN_GetURL.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/url.h"
#include "config/settings_store.h"
#include "document/url_rules.h"
#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"
#include "host/page_events.h"
#include "host/script_methods.h"
#include "host/script_object.h"
#include "view/shell_seam.h"
#include "view/view_ops.h"

namespace {
// A fault the sanitizers cannot see: stop where it happened.
void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Reader {
    const uint8_t* p;
    size_t n;
    bool done() const { return n == 0; }
    uint8_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    std::string bytes(size_t len) {
        len = len < n ? len : n;
        std::string s(reinterpret_cast<const char*>(p), len);
        p += len;
        n -= len;
        return s;
    }
};

// --- documents the fake network can deliver --------------------------------

void put16(std::string* s, uint16_t v) { s->append({char(v & 0xFF), char(v >> 8)}); }
void put32(std::string* s, uint32_t v) {
    put16(s, uint16_t(v & 0xFFFF));
    put16(s, uint16_t(v >> 16));
}

// 16 × 8 grey pages, uncompressed; a page whose bit is set in `broken` names a
// compression nobody implements, so it is counted but never decodes.
std::string make_tiff(int pages, unsigned broken) {
    constexpr uint16_t w = 16, h = 8;
    std::string s = "II*";
    s.push_back(0);
    put32(&s, 8);
    for (int k = 0; k < pages; ++k) {
        const uint32_t pixels = uint32_t(s.size()) + 2 + 9 * 12 + 4;
        put16(&s, 9);
        const uint16_t compression = (broken >> k) & 1 ? 50000 : 1;
        const uint32_t entries[9][3] = {{256, 3, w},      {257, 3, h}, {258, 3, 8}, {259, 3, compression}, {262, 3, 1},
                                        {273, 4, pixels}, {277, 3, 1}, {278, 3, h}, {279, 4, w * h}};
        for (const auto& e : entries) {
            put16(&s, uint16_t(e[0]));
            put16(&s, uint16_t(e[1]));
            put32(&s, 1);
            put32(&s, e[2]);  // a SHORT sits in the low half, little-endian
        }
        const bool last = k + 1 == pages;
        put32(&s, last ? 0 : pixels + w * h);
        for (int i = 0; i < w * h; ++i) s.push_back(char((i * 7 + k * 31) & 0xFF));
    }
    return s;
}

const std::vector<std::string>& documents() {
    static const std::vector<std::string> docs = {
        make_tiff(3, 0), make_tiff(3, 0x2), make_tiff(1, 0x1), make_tiff(4, 0x9), "not a TIFF file at all",
    };
    return docs;
}

// --- the fake browser ------------------------------------------------------

struct Browser {
    std::set<std::string> names;  // interned identifiers
    NPObject window{}, element{};
    std::string requested;  // the last URL the viewer asked for (UTF-8)
    bool request_pending = false;
    int geturl_answer = 0;
    int last_page_event = 0;  // the page of the last vlar_OnPageChange; 0 none
    int page_events = 0;
};
Browser g_browser;

NPIdentifier intern(const char* name) { return const_cast<char*>(g_browser.names.insert(name).first->c_str()); }

void get_string_identifiers(const NPUTF8** names, int32_t count, NPIdentifier* out) {
    for (int32_t i = 0; i < count; ++i) out[i] = intern(names[i]);
}
NPIdentifier get_string_identifier(const NPUTF8* name) { return intern(name); }
void* mem_alloc(uint32_t size) { return std::malloc(size); }
void mem_free(void* p) { std::free(p); }

NPError get_value(NPP, NPNVariable what, void* out) {
    if (what == NPNVWindowNPObject) *static_cast<NPObject**>(out) = &g_browser.window;
    else if (what == NPNVPluginElementNPObject)
        *static_cast<NPObject**>(out) = &g_browser.element;
    else
        return NPERR_GENERIC_ERROR;
    return NPERR_NO_ERROR;
}
bool has_method(NPP, NPObject*, NPIdentifier) { return true; }
bool has_property(NPP, NPObject*, NPIdentifier) { return true; }
bool get_property(NPP, NPObject*, NPIdentifier, NPVariant* out) {
    char* id = static_cast<char*>(std::malloc(7));
    std::memcpy(id, "viewer", 7);
    out->type = NPVariantType_String;
    out->value.stringValue.UTF8Characters = id;
    out->value.stringValue.UTF8Length = 6;
    return true;
}
void release_variant(NPVariant* v) {
    if (v->type == NPVariantType_String) std::free(const_cast<NPUTF8*>(v->value.stringValue.UTF8Characters));
    v->type = NPVariantType_Void;
}
void release_object(NPObject*) {}

// The page's event functions: record what a page would see.
bool invoke_event(NPP, NPObject*, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) {
    check(count >= 1 && args[0].type == NPVariantType_String);
    if (std::strcmp(static_cast<const char*>(name), "vlar_OnPageChange") == 0) {
        check(count == 2 && args[1].type == NPVariantType_Int32);
        g_browser.last_page_event = args[1].value.intValue;
        ++g_browser.page_events;
    }
    result->type = NPVariantType_Void;
    return true;
}

NPError get_url(NPP npp, const char* url, const char* target) {
    check(url != nullptr);
    // Only web addresses, addresses relative to the page and the local files
    // the local-access setting allows ever reach the browser.
    const Text16 wide = text_from_utf8(url);
    const ParsedUrl p = url_parse(wide);
    const int local_access = static_cast<Viewer*>(npp->pdata)->settings.localaccess;
    const bool local_ok = local_access == 2 || (local_access == 1 && url_has_tiff_extension(wide.c_str()));
    check(url_form_is_web(p.form) || p.form == UrlForm::kRelative || (url_form_is_local(p.form) && local_ok));
    if (!target) {
        g_browser.requested = url;
        g_browser.request_pending = g_browser.geturl_answer == 0;
    }
    return NPError(g_browser.geturl_answer);
}

void install_browser() {
    NPNetscapeFuncs f{};
    f.size = sizeof f;
    f.version = 27;
    f.geturl = get_url;
    f.memalloc = mem_alloc;
    f.memfree = mem_free;
    f.getvalue = get_value;
    f.getstringidentifier = get_string_identifier;
    f.getstringidentifiers = get_string_identifiers;
    f.invoke = invoke_event;
    f.hasmethod = has_method;
    f.hasproperty = has_property;
    f.getproperty = get_property;
    f.releaseobject = release_object;
    f.releasevariantvalue = release_variant;
    browser_install(&f);
}

// --- the fake shell --------------------------------------------------------

Rect32 g_client{0, 0, 320, 240};

void lay_out(Viewer* v) {
    LayoutInput in;
    in.client = g_client;
    in.vbar_width = in.hbar_height = 16;
    in.keep_position = true;
    view_layout(viewer_view_context(v), in);
}

void set_orientation(Viewer* v, int orientation) {
    const OrientationChange o = view_set_orientation(viewer_view_context(v), orientation);
    if (!o.changed) return;
    if (o.needs_layout) lay_out(v);
    events_orientation_change(v, o.event_value);
}
void toggle_negative(Viewer* v) { events_negative_change(v, view_toggle_negative(viewer_view_context(v))); }
void toggle_smoothing(Viewer* v) { view_toggle_smoothing(viewer_view_context(v)); }
void set_mouse_mode(Viewer* v, int mode) {
    if (mode < kMouseZoom || mode > kMouseErase || mode == v->view.mouse_mode) return;
    v->view.mouse_mode = mode;
    if (mode == kMouseCrop) v->mouse.crop_select = 1;
    events_mouse_mode_change(v, mode);
}
void set_size_mode(Viewer* v, int mode) {
    if (mode < 0 || mode > 3) return;
    v->view.size_mode = mode;
    lay_out(v);
    events_size_mode_change(v, mode, 100);
}
// The windows' part of a repaint: only the layout keeps state.
void repaint(Viewer* v, unsigned what) {
    if (what & (kShellFit | kShellRefit)) lay_out(v);
}
void scroll(Viewer* v, bool vertical, int code, int thumb) {
    if (!viewer_page_shown(v)) return;
    const int32_t extent = vertical ? g_client.bottom - g_client.top : g_client.right - g_client.left;
    const ScrollStep s = view_scroll_target(v->layout, vertical, code, extent, thumb);
    if (s.changed) view_scroll_commit(&v->layout, vertical, s.to);
}
int g_print_answer = 0;
int print(Viewer*, bool) { return g_print_answer; }

void install_shell() {
    ShellSeam ops;
    ops.repaint = repaint;
    ops.print = print;
    ops.set_orientation = set_orientation;
    ops.toggle_negative = toggle_negative;
    ops.toggle_smoothing = toggle_smoothing;
    ops.set_mouse_mode = set_mouse_mode;
    ops.set_size_mode = set_size_mode;
    ops.scroll = scroll;
    shell_install(ops);
    StreamHooks h;
    h.ready_event = events_ready;
    h.page_change_event = events_page_change;
    h.get_url = [](Viewer* v, const char16_t* url) {
        return int(browser_open_url(static_cast<NPP>(v->browser.npp), url, nullptr));
    };
    stream_set_hooks(h);
}

// --- one page's session ----------------------------------------------------

struct Session {
    MemorySettingsStore store;
    NPP_t npp{};
    Viewer* viewer = nullptr;
    NPObject* object = nullptr;
    int stream_token = 0;

    bool create(Reader& in) {
        static const char16_t* const names[] = {u"enableevents", u"localaccess", u"access", u"href"};
        const Text16 mask = text_from_utf8(std::to_string(in.u32()));
        const Text16 local = text_from_utf8(std::to_string(in.byte() % 3));
        const Text16 values[] = {mask, local, u"0", u"http://example.test/more"};
        const char16_t* value_ptrs[] = {values[0].c_str(), values[1].c_str(), values[2].c_str(), values[3].c_str()};
        ViewerCreateArgs a;
        a.npp = &npp;
        a.count = 4;
        a.names = names;
        a.values = value_ptrs;
        a.store = &store;
        if (viewer_create(a, &viewer) != 0) return false;
        npp.pdata = viewer;
        object = script_class()->allocate(&npp, script_class());
        if (!object) return false;
        object->_class = script_class();
        object->referenceCount = 1;
        viewer->browser.script_object = object;
        g_client = Rect32{0, 0, 1 + in.byte(), 1 + in.byte()};
        return true;
    }
    // What NPP_Destroy does: the object first loses its way back.
    void destroy() {
        if (!viewer) return;
        script_object_detach(object);
        viewer->browser.script_object = nullptr;
        viewer->stream.state = DownloadState::kIdle;
        reception_release(viewer);
        viewer_file_free(viewer);
        viewer_free(viewer);
        viewer = nullptr;
        npp.pdata = nullptr;
    }
    // The browser lets go of the object last.
    void release() {
        destroy();
        if (object) script_class()->deallocate(object);
        object = nullptr;
    }

    void deliver(Reader& in) {
        if (!viewer || !g_browser.request_pending) return;
        g_browser.request_pending = false;
        const std::string& doc = documents()[in.byte() % documents().size()];
        const bool announce = in.byte() & 1;
        const StreamInfo info{&stream_token, g_browser.requested.c_str(), announce ? uint32_t(doc.size()) : 0};
        if (reception_new(viewer, info) != 0) return;
        const size_t chunk = 1 + in.byte() % 64;
        for (size_t at = 0; at < doc.size(); at += chunk) {
            const int32_t len = int32_t(std::min(chunk, doc.size() - at));
            if (reception_write(viewer, info, int32_t(at), len, doc.data() + at) < 0) break;
        }
        reception_end(viewer, info, in.byte() % 8 == 0 ? 1 : 0);
        events_file_ready(viewer);
    }
};

NPVariant make_int(int32_t n) {
    NPVariant v{};
    v.type = NPVariantType_Int32;
    v.value.intValue = n;
    return v;
}

// Numbers a page would try: keys, page numbers, edges.
int32_t interesting_int(Reader& in) {
    static const int32_t table[] = {0,  1,  2,   3,    4,  5,  6,    7,      8,    9,       10,        11,       12,
                                    13, 14, 15,  16,   18, 19, 20,   21,     22,   23,      24,        31,       41,
                                    -1, 99, 100, 1600, -5, 60, 0x7F, 0xFFFF, 8195, 1000000, INT32_MAX, INT32_MIN};
    const uint8_t pick = in.byte();
    if (pick < 200) return table[pick % (sizeof table / sizeof table[0])];
    return int32_t(in.u32());
}

// Addresses and texts a page would try, with a raw tail now and then.
std::string interesting_text(Reader& in) {
    static const char* const table[] = {
        "",
        "2",
        " 3abc",
        "#102030",
        "#fff",
        "http://example.test/a.tif",
        "https://example.test/b.tiff#x",
        "scans/c.tif",
        "//host/d.tif",
        "javascript:alert(1)",
        " \x01javascript:alert(1)",
        "java\tscript:alert(1)",
        "data:image/tiff;base64,SUkqAA==",
        "file:///C:/x.pdf?.tif",
        "file:///C:/x.pdf#.tif",
        " file:///C:/x.tif",
        "FILE:///C:/y.TIFF",
        "C:\\scans\\a.tif",
        "C:\\scans\\a.pdf",
        "\\\\server\\share\\a.tif",
        "/C:/a.tif",
        "file:///C:/a%2Etif",
        "file:///C:/a.pdf%00.tif",
        "vbscript:x.tif",
        "mailto:a@example.test",
        "name",
        "\xC3\xA9\xFF\xFE",
    };
    const uint8_t pick = in.byte();
    const size_t n = sizeof table / sizeof table[0];
    if (pick < 220) return table[pick % n];
    return in.bytes(in.byte() % 80);
}

struct Args {
    std::vector<NPVariant> values;
    std::vector<std::string> texts;  // kept alive while the call runs
};

Args make_args(Reader& in, uint32_t count) {
    static NPObject some_object{};
    Args a;
    a.texts.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        NPVariant v{};
        switch (in.byte() % 8) {
        case 0: v.type = NPVariantType_Void; break;
        case 1: v.type = NPVariantType_Null; break;
        case 2:
            v.type = NPVariantType_Bool;
            v.value.boolValue = in.byte() & 1;
            break;
        case 3: {
            static const double table[] = {0.0,
                                           2.9999999999,
                                           2.5,
                                           -2.5,
                                           1e300,
                                           -1e300,
                                           std::numeric_limits<double>::infinity(),
                                           std::numeric_limits<double>::quiet_NaN(),
                                           3.0,
                                           41.0};
            v.type = NPVariantType_Double;
            v.value.doubleValue = table[in.byte() % 10];
            break;
        }
        case 4:
            v.type = NPVariantType_Object;
            v.value.objectValue = &some_object;
            break;
        case 5:
        case 6:
            a.texts.push_back(interesting_text(in));
            v.type = NPVariantType_String;
            v.value.stringValue.UTF8Characters = a.texts.back().c_str();
            v.value.stringValue.UTF8Length = uint32_t(a.texts.back().size());
            break;
        default: v = make_int(interesting_int(in)); break;
        }
        a.values.push_back(v);
    }
    return a;
}

void call_method(Session& s, Reader& in) {
    const int method = in.byte() % kScriptMethodCount;
    uint32_t count = kScriptMethods[method].argc;
    if (in.byte() % 16 == 0) count = in.byte() % 7;  // the wrong number now and then
    Args a = make_args(in, count);
    Viewer* v = s.viewer;
    const int page_before = v ? v->document.current_page : 0;
    const int events_before = g_browser.page_events;
    NPVariant result{};
    const bool answered =
        script_class()->invoke(s.object, intern(kScriptMethods[method].name), a.values.data(), count, &result);
    if (!v) {
        check(!answered);  // a gone viewer leaves an invalid object
        return;
    }
    const bool gate_closed = !v->settings.allowscript || (v->access_flags & kAccessNoScript);
    if (count != kScriptMethods[method].argc) check(!answered || gate_closed);
    if (!answered) return;
    check(result.type == NPVariantType_Int32 || result.type == NPVariantType_Double ||
          result.type == NPVariantType_Void || result.type == NPVariantType_Null ||
          result.type == NPVariantType_String);
    if (result.type == NPVariantType_String) {
        const NPString& str = result.value.stringValue;
        check(str.UTF8Characters[str.UTF8Length] == 0);
        std::free(const_cast<NPUTF8*>(str.UTF8Characters));
    }
    const std::string_view name = kScriptMethods[method].name;
    if (name == "GoToPage" || name == "GoToPageSpecial") {
        // A page number comes back only for a page that is shown, and the
        // page hears of a change only when there was one.
        if (result.value.intValue != 0)
            check(viewer_page_shown(v) && result.value.intValue == v->document.current_page + 1);
        if (g_browser.page_events != events_before)
            check(g_browser.last_page_event != page_before + 1 &&
                  g_browser.last_page_event == v->document.current_page + 1);
    }
}

void change_setting(Session& s, Reader& in) {
    Viewer* v = s.viewer;
    if (!v) return;
    switch (in.byte() % 6) {
    case 0: v->settings.allowscript = !v->settings.allowscript; break;
    case 1: v->settings.allowautoprint = !v->settings.allowautoprint; break;
    case 2: v->settings.localaccess = in.byte() % 3; break;
    case 3: v->access_flags ^= (kAccessNoScript | kAccessNoAnnotation | kAccessNoUpload) & (in.byte() * 0x100u); break;
    case 4: g_browser.geturl_answer = in.byte() % 4 == 0 ? 1 + in.byte() % 12 : 0; break;
    default: g_print_answer = in.byte() & 1; break;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        install_browser();
        install_shell();
        return script_class_create() != nullptr;
    }();
    check(ready);
    script_forget_identifiers();
    g_browser.request_pending = false;
    g_browser.geturl_answer = 0;
    g_browser.last_page_event = 0;
    g_browser.page_events = 0;
    g_print_answer = 0;
    Reader in{data, size};
    Session s;
    if (!s.create(in)) {
        s.release();
        return 0;
    }
    for (int steps = 0; !in.done() && steps < 200; ++steps) {
        switch (in.byte() % 16) {
        case 0: s.deliver(in); break;
        case 1: change_setting(s, in); break;
        case 2:
            if (in.byte() % 4 == 0) s.destroy();
            break;
        default: call_method(s, in); break;
        }
    }
    s.release();
    return 0;
}
