#pragma once
// The page as the plug-in sees it through NPRuntime: the `window` object,
// whose functions a test declares (each call is logged; a function can be made
// to fail), and the embed element with its `id`.
#include <string>

#include "host/npapi.h"

// Declares (or re-declares) a page function.
void page_declare_function(const std::string& name, bool fails);
void page_set_element_id(const std::string& id, bool exists);

// Each call returns a new reference for the caller; the element is null
// when the page has none.
NPObject* page_window_object(NPP npp);
NPObject* page_element_object(NPP npp);
// Drops the page's own references at the end of the run.
void page_release_objects();
