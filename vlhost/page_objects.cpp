#include "vlhost/page_objects.h"

#include <map>
#include <string>

#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/npruntime.h"

namespace {
std::map<std::string, bool> g_functions;  // name → fails
std::string g_element_id = "viewer";
bool g_element_exists = true;
NPObject* g_window = nullptr;
NPObject* g_element = nullptr;

std::string args_text(const NPVariant* args, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) out += (i ? ", " : "") + log_variant(args[i]);
    return out;
}

bool window_has_method(NPObject*, NPIdentifier name) { return g_functions.count(runtime_identifier_text(name)) != 0; }

bool window_invoke(NPObject*, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) {
    const std::string text = runtime_identifier_text(name);
    auto it = g_functions.find(text);
    const bool ok = it != g_functions.end() && !it->second;
    log_line("call window.%s(%s) -> %s", text.c_str(), args_text(args, count).c_str(),
             it == g_functions.end() ? "undefined"
             : ok                    ? "ok"
                                     : "fail");
    if (result) {
        result->type = NPVariantType_Void;
        result->value.objectValue = nullptr;
    }
    // A page function may do anything the page can, removing the element included.
    if (it != g_functions.end()) step_run_during("call");
    return ok;
}

bool window_has_property(NPObject*, NPIdentifier name) { return g_functions.count(runtime_identifier_text(name)) != 0; }

bool window_get_property(NPObject*, NPIdentifier name, NPVariant* result) {
    // A declared function reads as a (non-null) value; anything else is undefined.
    const bool known = g_functions.count(runtime_identifier_text(name)) != 0;
    result->type = known ? NPVariantType_Bool : NPVariantType_Void;
    result->value.boolValue = known;
    return true;
}

bool element_has_property(NPObject*, NPIdentifier name) { return runtime_identifier_text(name) == "id"; }

bool element_get_property(NPObject*, NPIdentifier name, NPVariant* result) {
    if (runtime_identifier_text(name) != "id") {
        result->type = NPVariantType_Void;
        return true;
    }
    runtime_set_string(result, g_element_id);
    return true;
}

bool no_method(NPObject*, NPIdentifier) { return false; }
bool no_invoke(NPObject*, NPIdentifier, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool no_default(NPObject*, const NPVariant*, uint32_t, NPVariant*) { return false; }
bool no_set(NPObject*, NPIdentifier, const NPVariant*) { return false; }
bool no_remove(NPObject*, NPIdentifier) { return false; }

NPClass g_window_class = {1,
                          nullptr,
                          nullptr,
                          nullptr,
                          window_has_method,
                          window_invoke,
                          no_default,
                          window_has_property,
                          window_get_property,
                          no_set,
                          no_remove};
NPClass g_element_class = {
    1,      nullptr,  nullptr, nullptr, no_method, no_invoke, no_default, element_has_property, element_get_property,
    no_set, no_remove};
}  // namespace

void page_declare_function(const std::string& name, bool fails) { g_functions[name] = fails; }

void page_set_element_id(const std::string& id, bool exists) {
    g_element_id = id;
    g_element_exists = exists;
}

NPObject* page_window_object(NPP npp) {
    if (!g_window) g_window = runtime_create_object(npp, &g_window_class);
    return runtime_retain(g_window);
}

NPObject* page_element_object(NPP npp) {
    if (!g_element_exists) return nullptr;
    if (!g_element) g_element = runtime_create_object(npp, &g_element_class);
    return runtime_retain(g_element);
}

void page_release_objects() {
    runtime_release(g_window);
    runtime_release(g_element);
    g_window = g_element = nullptr;
}
