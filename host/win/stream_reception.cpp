#include "host/win/stream_reception.h"

#include "host/stream_reception.h"
#include "host/viewer.h"

namespace {
StreamInfo info_of(const NPStream* s) {
    StreamInfo i;
    i.identity = s;
    i.url = s ? s->url : nullptr;
    i.end = s ? s->end : 0;
    return i;
}
}  // namespace

NPError stream_begin(Viewer* v, const char*, NPStream* stream) { return NPError(reception_new(v, info_of(stream))); }

int32_t stream_write(Viewer* v, NPStream* stream, int32_t offset, int32_t len, const void* buffer) {
    return reception_write(v, info_of(stream), offset, len, buffer);
}

NPError stream_end(Viewer* v, NPStream* stream, NPReason reason) {
    return NPError(reception_end(v, info_of(stream), reason));
}
