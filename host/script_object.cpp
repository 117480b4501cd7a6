#include "host/script_object.h"

#include <cstdlib>

#include "host/browser.h"
#include "host/viewer.h"
#include "host/script_methods.h"

namespace {
NPClass* g_class = nullptr;

// The method names as the browser's identifiers, made once for the process.
NPIdentifier g_identifiers[kScriptMethodCount] = {};
bool g_identifiers_made = false;

bool make_identifiers() {
    if (g_identifiers_made) return true;
    if (!browser().getstringidentifiers) return false;
    const NPUTF8* names[kScriptMethodCount];
    for (int i = 0; i < kScriptMethodCount; ++i) names[i] = kScriptMethods[i].name;
    browser().getstringidentifiers(names, kScriptMethodCount, g_identifiers);
    g_identifiers_made = true;
    return true;
}

int method_index(NPIdentifier name) {
    for (int i = 0; i < kScriptMethodCount; ++i)
        if (g_identifiers[i] == name) return i;
    return -1;
}

NPObject* object_allocate(NPP npp, NPClass*) {
    auto* object = static_cast<ScriptObject*>(std::calloc(1, sizeof(ScriptObject)));
    if (object && npp) object->viewer = static_cast<Viewer*>(npp->pdata);
    return object ? &object->header : nullptr;
}

// Browsers may force this while the page still holds references (page
// teardown), so the viewer may already be gone; its pointer is cleared then.
void object_deallocate(NPObject* header) {
    auto* object = reinterpret_cast<ScriptObject*>(header);
    if (object->viewer && object->viewer->browser.script_object == header)
        object->viewer->browser.script_object = nullptr;
    std::free(object);
}

void object_invalidate(NPObject*) {}

bool object_has_method(NPObject*, NPIdentifier name) { return make_identifiers() && method_index(name) >= 0; }

bool object_invoke(NPObject* header, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) {
    if (!make_identifiers() || !result) return false;
    Viewer* v = script_object_viewer(header);
    if (!v) return false;  // the viewer is gone: invalid object
    result->type = NPVariantType_Int32;
    result->value.intValue = 0;
    // Scripting switched off: every call succeeds and does nothing.
    if (!v->settings.allowscript || (v->access_flags & kAccessNoScript)) return true;
    return script_run_method(v, method_index(name), args, count, result);
}

bool object_invoke_default(NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool object_has_property(NPObject*, NPIdentifier) { return false; }
bool object_get_property(NPObject*, NPIdentifier, NPVariant*) { return false; }
bool object_set_property(NPObject*, NPIdentifier, const NPVariant*) { return false; }
bool object_remove_property(NPObject*, NPIdentifier) { return false; }
}  // namespace

NPClass* script_class_create() {
    if (g_class) return g_class;
    g_class = static_cast<NPClass*>(std::calloc(1, sizeof(NPClass)));
    if (!g_class) return nullptr;
    g_class->structVersion = 1;
    g_class->allocate = object_allocate;
    g_class->deallocate = object_deallocate;
    g_class->invalidate = object_invalidate;
    g_class->hasMethod = object_has_method;
    g_class->invoke = object_invoke;
    g_class->invokeDefault = object_invoke_default;
    g_class->hasProperty = object_has_property;
    g_class->getProperty = object_get_property;
    g_class->setProperty = object_set_property;
    g_class->removeProperty = object_remove_property;
    return g_class;
}

void script_class_free() {
    std::free(g_class);
    g_class = nullptr;
}

NPClass* script_class() { return g_class; }

Viewer* script_object_viewer(NPObject* header) {
    if (!header || !g_class || header->_class != g_class) return nullptr;
    return reinterpret_cast<ScriptObject*>(header)->viewer;
}

void script_forget_identifiers() {
    g_identifiers_made = false;
    for (NPIdentifier& id : g_identifiers) id = nullptr;
}

void script_object_detach(NPObject* header) {
    if (!header || !g_class || header->_class != g_class) return;
    reinterpret_cast<ScriptObject*>(header)->viewer = nullptr;
}
