#pragma once
// The browser's stream calls for one viewer, handed to the reception code.
#include "host/npapi.h"

struct Viewer;

NPError stream_begin(Viewer* v, const char* type, NPStream* stream);
// Returns the number of bytes taken, or -1 to make the browser abort.
int32_t stream_write(Viewer* v, NPStream* stream, int32_t offset, int32_t len, const void* buffer);
NPError stream_end(Viewer* v, NPStream* stream, NPReason reason);
