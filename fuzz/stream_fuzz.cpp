// A browser stream is driven by the page's server: announced lengths, offsets
// and chunk sizes can be anything. The input gives the announced length, then
// write commands (offset, length) whose bytes come from the rest of the input;
// the end reason closes it, and whatever arrived is opened and shown.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "config/message_box.h"
#include "config/settings.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_file.h"

namespace {
int quiet_box(const MessageBoxRequest&, void*) { return kIdOk; }

uint32_t take(const uint8_t*& p, const uint8_t* end, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes && p < end; ++i) v = v << 8 | *p++;
    return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (msgbox_set_handler(quiet_box, nullptr), true);
    (void)quiet;
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    MemorySettingsStore store;
    ViewerCreateArgs a;
    a.store = &store;
    Viewer* v = nullptr;
    if (viewer_create(a, &v) != 0) return 0;
    // Small announced lengths keep the stream in memory, where offsets matter;
    // zero sends it to a temporary file.
    const uint32_t announced = take(p, end, 2);
    int token = 0;
    const StreamInfo info{&token, "http://fuzz.test/a.tif", announced};
    if (reception_new(v, info) == 0) {
        for (int writes = 0; writes < 64 && p < end; ++writes) {
            const int32_t offset = int32_t(take(p, end, 2)) - 16;  // a few negative offsets too
            const int32_t length = int32_t(take(p, end, 2) % 4096);
            const size_t avail = size_t(end - p);
            const int32_t n = length > int32_t(avail) ? int32_t(avail) : length;
            if (reception_write(v, info, offset, n, p) < 0) break;
            p += n;
        }
        reception_end(v, info, int(size % 3));
    }
    reception_release(v);
    viewer_file_free(v);
    viewer_free(v);
    return 0;
}
