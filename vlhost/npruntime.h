#pragma once
// The host's NPRuntime: identifiers that live for the whole run, objects with
// reference counts (deallocated through their class at zero), variants and
// the browser heap that NPN_MemAlloc hands out.
#include <cstdint>
#include <string>

#include "host/npapi.h"

NPIdentifier runtime_string_identifier(const NPUTF8* name);
NPIdentifier runtime_int_identifier(int32_t value);
bool runtime_identifier_is_string(NPIdentifier id);
std::string runtime_identifier_text(NPIdentifier id);  // "#5" for an integer identifier

NPObject* runtime_create_object(NPP npp, NPClass* klass);
NPObject* runtime_retain(NPObject* object);
void runtime_release(NPObject* object);
// A small number per object, in creation order, for the log; 0 for unknown.
int runtime_object_serial(NPObject* object);
bool runtime_object_alive(NPObject* object);
int runtime_live_objects();

void* runtime_alloc(uint32_t size);
void runtime_free(void* block);
// Frees what a variant owns (string text, an object reference) and makes it void.
void runtime_release_variant(NPVariant* v);
// A string variant whose text lives in the browser heap.
void runtime_set_string(NPVariant* v, const std::string& text);
