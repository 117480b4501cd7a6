#include "host/page_events.h"

#include <cstring>
#include <string>
#include <vector>

#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"

namespace {
constexpr uint32_t kAccessNoScript = 0x100;

bool scripting_allowed(const Viewer* v) { return v && v->settings.allowscript && !(v->access_flags & kAccessNoScript); }

bool browser_has_event_support(const NPNetscapeFuncs& b) {
    return b.getstringidentifier && b.getvalue && b.hasmethod && b.hasproperty && b.getproperty && b.invoke &&
           b.releaseobject && b.releasevariantvalue;
}

void set_empty_string(NPVariant* out) {
    out->type = NPVariantType_String;
    out->value.stringValue.UTF8Characters = "";
    out->value.stringValue.UTF8Length = 0;
}

// The id of the plug-in's element; true when `slot` came from the browser and
// must be released.
bool element_id(NPP npp, const NPNetscapeFuncs& b, NPObject** element, NPVariant* slot) {
    std::memset(slot, 0, sizeof *slot);
    const NPIdentifier id = b.getstringidentifier("id");
    if (b.getvalue(npp, NPNVPluginElementNPObject, element) == NPERR_NO_ERROR && *element &&
        b.hasproperty(npp, *element, id)) {
        if (b.getproperty(npp, *element, id, slot)) return true;
        b.releasevariantvalue(slot);
    }
    set_empty_string(slot);
    return false;
}

// Name and bit come from the event table; a call whose argument count differs
// from the table's does not compile.
template <PageEvent kEvent, size_t kCount>
void raise(Viewer* v, const EventArg (&args)[kCount]) {
    constexpr PageEventInfo e = kPageEvents[int(kEvent)];
    static_assert(e.arg_count == int(kCount), "the event table gives this event another argument count");
    events_raise(v, e.bit, e.name, args, int(kCount));
}

template <PageEvent kEvent>
void raise(Viewer* v) {
    constexpr PageEventInfo e = kPageEvents[int(kEvent)];
    static_assert(e.arg_count == 0, "the event table gives this event arguments");
    events_raise(v, e.bit, e.name, nullptr, 0);
}
}  // namespace

int events_dispatch(Viewer* v, const char* name, const EventArg* args, int count) {
    const NPNetscapeFuncs& b = browser();
    if (!scripting_allowed(v) || !browser_has_event_support(b) || !v->browser.npp) return 0;
    NPP npp = static_cast<NPP>(v->browser.npp);
    std::vector<NPVariant> argv(size_t(count) + 1);
    std::vector<std::string> texts(static_cast<size_t>(count));  // alive for the whole call
    for (int i = 0; i < count; ++i) {
        NPVariant& a = argv[size_t(i) + 1];
        if (args[i].is_text) {
            texts[size_t(i)] = text_to_utf8(args[i].text ? args[i].text : u"");
            a.type = NPVariantType_String;
            a.value.stringValue.UTF8Characters = texts[size_t(i)].c_str();
            a.value.stringValue.UTF8Length = uint32_t(texts[size_t(i)].size());
        } else {
            a.type = NPVariantType_Int32;
            a.value.intValue = args[i].number;
        }
    }
    const NPIdentifier method = b.getstringidentifier(name);
    NPObject* window = nullptr;
    NPObject* element = nullptr;
    int answer = 0;
    if (b.getvalue(npp, NPNVWindowNPObject, &window) == NPERR_NO_ERROR && window && b.hasmethod(npp, window, method)) {
        const bool release_id = element_id(npp, b, &element, &argv[0]);
        NPVariant result;
        std::memset(&result, 0, sizeof result);
        if (b.invoke(npp, window, method, argv.data(), uint32_t(argv.size()), &result)) {
            b.releasevariantvalue(&result);
            answer = 2;
        } else {
            answer = 1;
        }
        if (release_id) b.releasevariantvalue(&argv[0]);
    }
    if (element) b.releaseobject(element);
    if (window) b.releaseobject(window);
    return answer;
}

void events_raise(Viewer* v, uint32_t bit, const char* name, const EventArg* args, int count) {
    if (!scripting_allowed(v) || v->events.firing || !(v->events.mask & bit)) return;
    // The page function may remove the element, which frees the viewer.
    const ViewerHandle handle(v);
    v->events.firing = 1;
    events_dispatch(v, name, args, count);
    if ((v = handle.get())) v->events.firing = 0;
}

void events_ready(Viewer* v) {
    if (!v || v->events.ready_fired) return;
    v->events.ready_fired = 1;
    constexpr PageEventInfo e = kPageEvents[int(PageEvent::kReady)];
    if (!scripting_allowed(v) || v->events.firing || !(v->events.mask & e.bit)) return;
    const ViewerHandle handle(v);
    v->events.firing = 1;
    const int answer = events_dispatch(v, e.name, nullptr, 0);
    if (!(v = handle.get())) return;
    v->events.firing = 0;
    if (answer == 1) v->events.ready_fired = 0;  // the next stream tries again
}

void events_file_ready(Viewer* v) { raise<PageEvent::kFileReady>(v); }

void events_page_change(Viewer* v, int page) {
    const EventArg a[1] = {{false, page, nullptr}};
    raise<PageEvent::kPageChange>(v, a);
}

void events_crop_select(Viewer* v, int selected, int page, int left, int top, int width, int height) {
    const EventArg a[6] = {{false, selected, nullptr}, {false, page, nullptr},  {false, left, nullptr},
                           {false, top, nullptr},      {false, width, nullptr}, {false, height, nullptr}};
    raise<PageEvent::kCropSelect>(v, a);
}

void events_print_complete(Viewer* v, int result) {
    const EventArg a[1] = {{false, result, nullptr}};
    raise<PageEvent::kPrintComplete>(v, a);
}

void events_mouse_mode_change(Viewer* v, int mode) {
    const EventArg a[1] = {{false, mode, nullptr}};
    raise<PageEvent::kMouseModeChange>(v, a);
}

void events_size_mode_change(Viewer* v, int size_mode, int zoom_percent) {
    const EventArg a[2] = {{false, size_mode, nullptr}, {false, zoom_percent, nullptr}};
    raise<PageEvent::kSizeModeChange>(v, a);
}

void events_orientation_change(Viewer* v, int value) {
    const EventArg a[1] = {{false, value, nullptr}};
    raise<PageEvent::kOrientationChange>(v, a);
}

void events_negative_change(Viewer* v, int negative) {
    const EventArg a[1] = {{false, negative, nullptr}};
    raise<PageEvent::kNegativeChange>(v, a);
}

void events_annotation_change(Viewer* v, int page) {
    const EventArg a[2] = {{false, page, nullptr}, {false, 1, nullptr}};
    raise<PageEvent::kAnnotationChange>(v, a);
}

void events_upload_start(Viewer* v, int tag) {
    const EventArg a[1] = {{false, tag, nullptr}};
    raise<PageEvent::kUploadStart>(v, a);
}

void events_upload_header(Viewer* v, int tag, const char16_t* name, const char16_t* value) {
    const EventArg a[3] = {{false, tag, nullptr}, {true, 0, name}, {true, 0, value}};
    raise<PageEvent::kUploadHttpHeader>(v, a);
}

void events_upload_complete(Viewer* v, int tag, int code, const char16_t* message) {
    const EventArg a[3] = {{false, tag, nullptr}, {false, code, nullptr}, {true, 0, message}};
    raise<PageEvent::kUploadComplete>(v, a);
}
