#pragma once
// Reception of the document stream for one viewer. For now the bytes are
// counted and dropped; storing them (memory or a temporary file), the status
// line and loading the document at the end take their place here.
#include "host/npapi.h"

struct Viewer;

NPError stream_begin(Viewer* v, const char* type, NPStream* stream);
// Returns the number of bytes taken, or -1 to make the browser abort.
int32_t stream_write(Viewer* v, NPStream* stream, int32_t offset, int32_t len, const void* buffer);
NPError stream_end(Viewer* v, NPStream* stream, NPReason reason);
