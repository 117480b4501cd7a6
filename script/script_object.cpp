#include "script/script_object.h"

#include <cstdlib>

#include "host/viewer.h"

namespace {
NPClass* g_class = nullptr;

NPObject* object_allocate(NPP npp, NPClass*) {
    auto* object = static_cast<ScriptObject*>(std::calloc(1, sizeof(ScriptObject)));
    if (object && npp) object->viewer = static_cast<Viewer*>(npp->pdata);
    return object ? &object->header : nullptr;
}

// Browsers may force this while the page still holds references (page
// teardown), so the viewer may already be gone; its pointer is cleared then.
void object_deallocate(NPObject* header) {
    auto* object = reinterpret_cast<ScriptObject*>(header);
    if (object->viewer && object->viewer->script_object == header) object->viewer->script_object = nullptr;
    std::free(object);
}

void object_invalidate(NPObject*) {}

// The page's methods are not offered yet: every name is unknown, which the
// browser turns into a script error.
bool object_has_method(NPObject*, NPIdentifier) { return false; }

bool object_invoke(NPObject* header, NPIdentifier, const NPVariant*, uint32_t, NPVariant* result) {
    if (!script_object_viewer(header)) return false;  // the viewer is gone: invalid object
    if (result) {
        result->type = NPVariantType_Void;
        result->value.objectValue = nullptr;
    }
    return false;
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

void script_object_detach(NPObject* header) {
    if (!header || !g_class || header->_class != g_class) return;
    reinterpret_cast<ScriptObject*>(header)->viewer = nullptr;
}
