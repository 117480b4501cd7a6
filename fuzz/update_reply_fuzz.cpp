// The update server's reply is whatever answers on the other end of a plain
// HTTP connection: parse it and judge it, as the check does after the close.
#include <cstddef>
#include <cstdint>
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
    const UpdateReply raw = update_parse_reply(reinterpret_cast<const char*>(data), size);
    (void)update_judge(raw);
    return 0;
}
