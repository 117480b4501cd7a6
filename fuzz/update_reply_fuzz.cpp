// The update server's reply is whatever answers on the other end of a plain
// HTTP connection: parse it and judge it, as the check does after the close.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "update/update_reply.h"
#include "update/update_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The check hands over at most the receive buffer, zero-ended.
    static char buffer[kUpdateBufferSize + 1];
    const size_t n = size < size_t(kUpdateBufferSize) ? size : size_t(kUpdateBufferSize);
    std::memcpy(buffer, data, n);
    buffer[n] = 0;
    const UpdateReply reply = update_parse_reply(buffer, n);
    (void)update_judge(reply);
    // The parser also sees the raw bytes without the terminating zero.
    const char* text = reinterpret_cast<const char*>(data);
    const UpdateReply raw = update_parse_reply(text, size);
    (void)update_judge(raw);
    // A zero byte ends the reply just as the count does.
    const UpdateReply cut = update_parse_reply(text, strnlen(text, size));
    if (raw.body_found != cut.body_found || raw.version != cut.version || raw.has_page != cut.has_page ||
        raw.page_url != cut.page_url || raw.window != cut.window)
        abort();
    return 0;
}
