// The browser side of the function table. Every call the plug-in makes that a
// test may care about is logged; the NPRuntime calls dispatch to the objects'
// classes the way a browser's script engine would.
#include <cstring>

#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/npruntime.h"
#include "vlhost/page_objects.h"

namespace {
const char kUserAgent[] = "vlhost/1.0 (Windows NT 6.1; plug-in test host)";

NPError get_url(NPP npp, const char* url, const char* target) {
    const int id = instance_id(npp);
    if (!url) return NPERR_INVALID_URL;
    if (target) {
        log_line("navigate %d url=%s target=%s", id, log_quote(url).c_str(), log_quote(target).c_str());
        return host().options.geturl_result >= 0 ? NPError(host().options.geturl_result) : NPError(NPERR_NO_ERROR);
    }
    log_line("geturl %d url=%s", id, log_quote(url).c_str());
    if (host().options.geturl_result >= 0) return NPError(host().options.geturl_result);
    Instance* inst = instance_of(npp);
    if (!inst) return NPERR_INVALID_INSTANCE_ERROR;
    stream_queue(inst, url, nullptr, false);
    return NPERR_NO_ERROR;
}

NPError get_url_notify(NPP npp, const char* url, const char* target, void* data) {
    log_line("geturlnotify %d", instance_id(npp));
    if (target) return get_url(npp, url, target);
    Instance* inst = instance_of(npp);
    if (!inst || !url) return NPERR_INVALID_PARAM;
    log_line("geturl %d url=%s notify", inst->id, log_quote(url).c_str());
    stream_queue(inst, url, data, true);
    return NPERR_NO_ERROR;
}

NPError post_url(NPP npp, const char* url, const char*, uint32_t len, const char*, NPBool) {
    log_line("posturl %d url=%s len=%lu", instance_id(npp), log_quote(url ? url : "").c_str(), (unsigned long)len);
    return NPERR_NO_ERROR;
}

void status(NPP npp, const char* message) {
    log_line("status %d %s", instance_id(npp), log_quote(message ? message : "").c_str());
}

const char* user_agent(NPP) { return kUserAgent; }
void* mem_alloc(uint32_t size) { return runtime_alloc(size); }
void mem_free(void* p) { runtime_free(p); }
uint32_t mem_flush(uint32_t) { return 0; }

NPError get_value(NPP npp, NPNVariable variable, void* value) {
    if (!value) return NPERR_INVALID_PARAM;
    switch (variable) {
    case NPNVWindowNPObject: *static_cast<NPObject**>(value) = page_window_object(npp); return NPERR_NO_ERROR;
    case NPNVPluginElementNPObject: {
        NPObject* element = page_element_object(npp);
        *static_cast<NPObject**>(value) = element;
        return element ? NPERR_NO_ERROR : NPERR_GENERIC_ERROR;
    }
    case NPNVnetscapeWindow: *static_cast<HWND*>(value) = host().page; return NPERR_NO_ERROR;
    case NPNVjavascriptEnabledBool: *static_cast<NPBool*>(value) = 1; return NPERR_NO_ERROR;
    case NPNVSupportsWindowless: *static_cast<NPBool*>(value) = 0; return NPERR_NO_ERROR;
    default: log_line("npn_getvalue %d variable=%d unknown", instance_id(npp), int(variable));
    }
    return NPERR_GENERIC_ERROR;
}

NPError set_value(NPP npp, NPPVariable variable, void*) {
    log_line("npn_setvalue %d variable=%d", instance_id(npp), int(variable));
    return NPERR_NO_ERROR;
}

void invalidate_rect(NPP, NPRect*) {}
void invalidate_region(NPP, NPRegion) {}
void force_redraw(NPP) {}

void get_string_identifiers(const NPUTF8** names, int32_t count, NPIdentifier* out) {
    for (int32_t i = 0; i < count; ++i) out[i] = runtime_string_identifier(names[i]);
}

NPUTF8* utf8_from_identifier(NPIdentifier id) {
    if (!runtime_identifier_is_string(id)) return nullptr;
    const std::string text = runtime_identifier_text(id);
    auto* out = static_cast<NPUTF8*>(runtime_alloc(uint32_t(text.size() + 1)));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

int32_t int_from_identifier(NPIdentifier id) {
    const std::string text = runtime_identifier_text(id);
    return text.size() > 1 && text[0] == '#' ? std::atoi(text.c_str() + 1) : 0;
}

bool invoke(NPP, NPObject* o, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->invoke) return false;
    return o->_class->invoke(o, name, args, count, result);
}

bool invoke_default(NPP, NPObject* o, const NPVariant* args, uint32_t count, NPVariant* result) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->invokeDefault) return false;
    return o->_class->invokeDefault(o, args, count, result);
}

bool evaluate(NPP npp, NPObject*, NPString* script, NPVariant*) {
    log_line("evaluate %d %s", instance_id(npp),
             log_quote(script ? std::string(script->UTF8Characters, script->UTF8Length) : "").c_str());
    return false;
}

bool get_property(NPP, NPObject* o, NPIdentifier name, NPVariant* result) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->getProperty) return false;
    return o->_class->getProperty(o, name, result);
}

bool set_property(NPP, NPObject* o, NPIdentifier name, const NPVariant* value) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->setProperty) return false;
    return o->_class->setProperty(o, name, value);
}

bool remove_property(NPP, NPObject* o, NPIdentifier name) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->removeProperty) return false;
    return o->_class->removeProperty(o, name);
}

bool has_property(NPP, NPObject* o, NPIdentifier name) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->hasProperty) return false;
    return o->_class->hasProperty(o, name);
}

bool has_method(NPP, NPObject* o, NPIdentifier name) {
    if (!runtime_object_alive(o) || !o->_class || !o->_class->hasMethod) return false;
    return o->_class->hasMethod(o, name);
}

void set_exception(NPObject* o, const NPUTF8* message) {
    log_line("exception #%d %s", runtime_object_serial(o), log_quote(message ? message : "").c_str());
}

void push_popups(NPP npp, NPBool enabled) { log_line("popups %d push %d", instance_id(npp), int(enabled)); }
void pop_popups(NPP npp) { log_line("popups %d pop", instance_id(npp)); }

bool enumerate(NPP, NPObject*, NPIdentifier**, uint32_t*) { return false; }

// Slots a module must never call: they lie past what it may keep of the table.
void beyond_kept_table() { log_line("error a slot beyond the first 176 bytes was called"); }
}  // namespace

void browser_funcs_build(NPNetscapeFuncs* f, int size, int version) {
    std::memset(f, 0, sizeof *f);
    f->size = uint16_t(size);
    f->version = uint16_t(version);
    f->geturl = get_url;
    f->posturl = post_url;
    f->status = status;
    f->uagent = user_agent;
    f->memalloc = mem_alloc;
    f->memfree = mem_free;
    f->memflush = mem_flush;
    f->geturlnotify = get_url_notify;
    f->getvalue = get_value;
    f->setvalue = set_value;
    f->invalidaterect = invalidate_rect;
    f->invalidateregion = invalidate_region;
    f->forceredraw = force_redraw;
    f->getstringidentifier = runtime_string_identifier;
    f->getstringidentifiers = get_string_identifiers;
    f->getintidentifier = runtime_int_identifier;
    f->identifierisstring = runtime_identifier_is_string;
    f->utf8fromidentifier = utf8_from_identifier;
    f->intfromidentifier = int_from_identifier;
    f->createobject = runtime_create_object;
    f->retainobject = runtime_retain;
    f->releaseobject = runtime_release;
    f->invoke = invoke;
    f->invokeDefault = invoke_default;
    f->evaluate = evaluate;
    f->getproperty = get_property;
    f->setproperty = set_property;
    f->removeproperty = remove_property;
    f->hasproperty = has_property;
    f->hasmethod = has_method;
    f->releasevariantvalue = runtime_release_variant;
    f->setexception = set_exception;
    f->pushpopupsenabledstate = push_popups;
    f->poppopupsenabledstate = pop_popups;
    f->enumerate = enumerate;
    void** tail = &f->pluginthreadasynccall;
    void** end = reinterpret_cast<void**>(f + 1);
    for (void** slot = tail; slot < end; ++slot) *slot = reinterpret_cast<void*>(beyond_kept_table);
}
