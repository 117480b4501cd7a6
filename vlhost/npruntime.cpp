#include "vlhost/npruntime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "vlhost/log.h"

namespace {
struct Identifier {
    bool is_string;
    std::string text;
    int32_t value;
};

std::map<std::string, std::unique_ptr<Identifier>> g_strings;
std::map<int32_t, std::unique_ptr<Identifier>> g_ints;
std::map<NPObject*, int> g_objects;  // live object → serial
int g_next_serial = 1;

Identifier* identifier_of(NPIdentifier id) { return static_cast<Identifier*>(id); }
}  // namespace

NPIdentifier runtime_string_identifier(const NPUTF8* name) {
    if (!name) return nullptr;
    auto& slot = g_strings[name];
    if (!slot) slot.reset(new Identifier{true, name, 0});
    return slot.get();
}

NPIdentifier runtime_int_identifier(int32_t value) {
    auto& slot = g_ints[value];
    if (!slot) slot.reset(new Identifier{false, {}, value});
    return slot.get();
}

bool runtime_identifier_is_string(NPIdentifier id) { return id && identifier_of(id)->is_string; }

std::string runtime_identifier_text(NPIdentifier id) {
    if (!id) return "(null identifier)";
    const Identifier* i = identifier_of(id);
    if (i->is_string) return i->text;
    char buf[16];
    snprintf(buf, sizeof buf, "#%ld", long(i->value));
    return buf;
}

NPObject* runtime_create_object(NPP npp, NPClass* klass) {
    if (!klass) return nullptr;
    NPObject* object =
        klass->allocate ? klass->allocate(npp, klass) : static_cast<NPObject*>(std::calloc(1, sizeof(NPObject)));
    if (!object) return nullptr;
    object->_class = klass;
    object->referenceCount = 1;
    g_objects[object] = g_next_serial++;
    return object;
}

NPObject* runtime_retain(NPObject* object) {
    if (object) object->referenceCount += 1;
    return object;
}

void runtime_release(NPObject* object) {
    if (!object) return;
    if (!runtime_object_alive(object)) {
        log_line("error release of a dead object");
        return;
    }
    if (object->referenceCount == 0 || --object->referenceCount > 0) return;
    const int serial = g_objects[object];
    g_objects.erase(object);
    log_line("deallocate #%d", serial);
    if (object->_class && object->_class->deallocate) object->_class->deallocate(object);
    else
        std::free(object);
}

int runtime_object_serial(NPObject* object) {
    auto it = g_objects.find(object);
    return it == g_objects.end() ? 0 : it->second;
}

bool runtime_object_alive(NPObject* object) { return g_objects.count(object) != 0; }

int runtime_live_objects() { return static_cast<int>(g_objects.size()); }

void* runtime_alloc(uint32_t size) { return std::malloc(size ? size : 1); }

void runtime_free(void* block) { std::free(block); }

void runtime_release_variant(NPVariant* v) {
    if (!v) return;
    if (v->type == NPVariantType_String) runtime_free(const_cast<NPUTF8*>(v->value.stringValue.UTF8Characters));
    if (v->type == NPVariantType_Object) runtime_release(v->value.objectValue);
    v->type = NPVariantType_Void;
    v->value.objectValue = nullptr;
}

void runtime_set_string(NPVariant* v, const std::string& text) {
    auto* chars = static_cast<NPUTF8*>(runtime_alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(chars, text.c_str(), text.size() + 1);
    v->type = NPVariantType_String;
    v->value.stringValue.UTF8Characters = chars;
    v->value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
}
