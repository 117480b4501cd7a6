// Each slot unpacks the browser's arguments, finds the viewer and hands over
// to the part that does the work; result codes are made here and nowhere else.
#include "host/win/npp_slots.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "host/browser.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "host/win/viewer_shell.h"
#include "host/win/viewer_output.h"
#include "host/page_events.h"
#include "host/script_object.h"

namespace {
// The browser's stream as the reception code sees it.
StreamInfo info_of(const NPStream* s) {
    StreamInfo i;
    i.identity = s;
    i.url = s ? s->url : nullptr;
    i.end = s ? s->end : 0;
    return i;
}

Viewer* viewer_of(NPP npp) { return npp ? static_cast<Viewer*>(npp->pdata) : nullptr; }

NPError slot_new(NPMIMEType, NPP npp, uint16_t mode, int16_t argc, char** argn, char** argv, NPSavedData*) {
    if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
    Viewer* v = nullptr;
    const NPError result = viewer_shell_new(npp, mode, argc, argn, argv, &v);
    if (result == NPERR_NO_ERROR) {
        npp->pdata = v;
        events_ready(v);
    }
    return result;
}

NPError slot_destroy(NPP npp, NPSavedData**) {
    Viewer* v = viewer_of(npp);
    if (!v) return NPERR_INVALID_INSTANCE_ERROR;
    // The page may keep the scriptable object alive after us: cut its way
    // back first, so a late call finds no viewer instead of freed memory.
    if (v->browser.script_object) {
        script_object_detach(static_cast<NPObject*>(v->browser.script_object));
        v->browser.script_object = nullptr;
    }
    const NPError result = viewer_shell_destroy(v);
    npp->pdata = nullptr;  // the browser may still call us with this NPP
    return result;
}

NPError slot_set_window(NPP npp, NPWindow* window) {
    Viewer* v = viewer_of(npp);
    if (!v) return NPERR_INVALID_INSTANCE_ERROR;
    HWND hwnd = window ? static_cast<HWND>(window->window) : nullptr;
    if (hwnd == static_cast<HWND>(v->shell.plugin_window)) {
        if (hwnd) plugin_window_refresh(v);
        return NPERR_NO_ERROR;
    }
    if (v->shell.plugin_window) viewer_shell_detach_window(v);
    if (hwnd) plugin_window_attach(v, hwnd);
    return NPERR_NO_ERROR;
}

NPError slot_new_stream(NPP npp, NPMIMEType, NPStream* stream, NPBool, uint16_t* stype) {
    Viewer* v = viewer_of(npp);
    if (!v) return NPERR_INVALID_INSTANCE_ERROR;
    if (!stream) return NPERR_INVALID_PARAM;
    if (stype) *stype = NP_NORMAL;
    return NPError(reception_new(v, info_of(stream)));
}

NPError slot_destroy_stream(NPP npp, NPStream* stream, NPReason reason) {
    Viewer* v = viewer_of(npp);
    if (!v) return NPERR_INVALID_INSTANCE_ERROR;
    const NPError result = NPError(reception_end(v, info_of(stream), reason));
    events_file_ready(v);
    return result;
}

void slot_as_file(NPP, NPStream*, const char*) {}

int32_t slot_write_ready(NPP, NPStream*) { return 0x0FFFFFFF; }

int32_t slot_write(NPP npp, NPStream* stream, int32_t offset, int32_t len, void* buffer) {
    Viewer* v = viewer_of(npp);
    if (!v) return -1;
    return reception_write(v, info_of(stream), offset, len, buffer);
}

void slot_print(NPP npp, NPPrint* print) {
    Viewer* v = viewer_of(npp);
    if (!v || (v->access_flags & kAccessNoPrint)) return;
    const Module& m = module();
    print_for_browser(v, print, m.browser_major, m.browser_minor);
}

int16_t slot_event(NPP, void*) { return 0; }

void slot_url_notify(NPP, const char*, NPReason, void*) {}

NPError slot_get_value(NPP npp, NPPVariable variable, void* value) {
    Viewer* v = viewer_of(npp);
    if (!v) return NPERR_INVALID_INSTANCE_ERROR;
    if (variable != NPPVpluginScriptableNPObject || !value) return NPERR_GENERIC_ERROR;
    NPObject** out = static_cast<NPObject**>(value);
    *out = nullptr;
    const NPNetscapeFuncs& b = browser();
    if (v->browser.script_object) {
        // The browser releases what it gets, so an object handed out again
        // must carry a new reference; without retainobject we cannot add one.
        if (!b.retainobject) return NPERR_NO_ERROR;
        *out = b.retainobject(static_cast<NPObject*>(v->browser.script_object));
        return NPERR_NO_ERROR;
    }
    if (!b.createobject || !script_class()) return NPERR_NO_ERROR;
    NPObject* object = b.createobject(npp, script_class());
    if (!object) return NPERR_OUT_OF_MEMORY_ERROR;
    v->browser.script_object = object;  // a plain pointer: the browser's reference keeps it alive
    *out = object;
    return NPERR_NO_ERROR;
}

NPError slot_set_value(NPP, NPNVariable, void*) { return NPERR_NO_ERROR; }
}  // namespace

void npp_fill_table(NPPluginFuncs* f) {
    f->version = (kNpVersionMajor << 8) | kNpVersionMinor;
    f->newp = slot_new;
    f->destroy = slot_destroy;
    f->setwindow = slot_set_window;
    f->newstream = slot_new_stream;
    f->destroystream = slot_destroy_stream;
    f->asfile = slot_as_file;
    f->writeready = slot_write_ready;
    f->write = slot_write;
    f->print = slot_print;
    f->event = slot_event;
    if (f->size < kPluginFuncsLaterSlotsEnd) return;
    f->urlnotify = slot_url_notify;
    f->javaClass = nullptr;
    f->getvalue = slot_get_value;
    f->setvalue = slot_set_value;
}

void* npp_print_dc(const NPPrint* print, int browser_major, int browser_minor) {
    if (!print) return nullptr;
    const NPEmbedPrint& embed = print->print.embedPrint;
    if (browser_major >= 1 || browser_minor > 10) return embed.platformPrint;
    void* dc = nullptr;  // the old record ends right after clipRect
    std::memcpy(&dc, reinterpret_cast<const char*>(&embed.window) + offsetof(NPWindow, type), sizeof dc);
    return dc;
}
