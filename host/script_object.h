#pragma once
// The scriptable object a page reaches through the viewer's embed element,
// and its class record. The object holds a plain pointer to its viewer; the
// viewer holds a plain pointer back (no reference either way), so whichever
// side goes first clears the other's pointer.
#include "host/npapi.h"

struct Viewer;

struct ScriptObject {
    NPObject header;  // class and reference count, kept by the browser
    Viewer* viewer;   // null once the viewer is gone
};

// The process-wide class record: structure version 1, eleven fields. Null
// until script_class_create; creation failing leaves it null, and the viewers
// then hand the page no object.
NPClass* script_class_create();
void script_class_free();
NPClass* script_class();

// The viewer an object serves; null when it is not one of ours or its viewer
// was destroyed.
Viewer* script_object_viewer(NPObject* object);
// Called before the viewer is destroyed: a page that still holds the object
// then gets "invalid object" answers instead of a dangling viewer.
void script_object_detach(NPObject* object);
// For tests that change browsers: the method identifiers are made again.
void script_forget_identifiers();
