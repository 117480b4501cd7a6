#include "host/win/stream_reception.h"

#include "host/viewer.h"

NPError stream_begin(Viewer* v, const char*, NPStream* stream) {
    v->download_count += 1;
    v->download_state = 2;
    v->download_failed = 0;
    v->bytes_received = 0;
    v->expected_length = stream->end;
    return NPERR_NO_ERROR;
}

int32_t stream_write(Viewer* v, NPStream*, int32_t, int32_t len, const void* buffer) {
    if (v->download_failed || len < 0 || (len > 0 && !buffer)) return -1;
    v->bytes_received += len;
    return len;
}

NPError stream_end(Viewer* v, NPStream*, NPReason) {
    v->download_state = 3;
    return NPERR_NO_ERROR;
}
