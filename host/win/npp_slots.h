#pragma once
// The plug-in's function table: the browser calls these for every viewer.
#include "host/npapi.h"

// Sets the table's version and fills its slots. The four later slots
// (urlnotify, javaClass, getvalue, setvalue) are written only when the
// browser's table is big enough to hold them.
void npp_fill_table(NPPluginFuncs* funcs);

// Where an embedded print record keeps the printer's device context: browsers
// from before windowless plug-ins had no window `type` field, and put it there.
void* npp_print_dc(const NPPrint* print, int browser_major, int browser_minor);
