#include "update/update_session.h"

namespace {
void report(const UpdateNet& net, const char16_t* fmt, int code) {
    if (net.report) net.report(net.context, fmt, code);
}

// Reads what the socket has. Bytes beyond the buffer are read and dropped:
// leaving them unread would keep the connection from ever closing.
void receive(UpdateSession* s, const UpdateNet& net) {
    for (;;) {
        char scratch[512];
        const int room = kUpdateBufferSize - s->count;
        char* into = room > 0 ? s->buffer + s->count : scratch;
        const int want = room > 0 ? room : int(sizeof scratch);
        int error = 0;
        const int got = net.recv(net.context, into, want, &error);
        if (got < 0) {
            if (error != kNetWouldBlock) report(net, u"recv: Error %d", error);
            break;
        }
        if (got == 0) break;
        if (room > 0) s->count += got > room ? room : got;
    }
    s->buffer[s->count] = 0;
}
}  // namespace

void update_session_connecting(UpdateSession* s) {
    s->stage = kStageConnecting;
    s->count = 0;
    s->pending = 0;
    s->buffer[0] = 0;
}

SessionState update_session_events(UpdateSession* s, uint32_t events, const std::string& request,
                                   const UpdateNet& net) {
    s->pending |= events;
    if (s->pending & kNetConnect) {
        s->pending &= ~kNetConnect;
        if (s->stage == kStageConnecting) s->stage = kStageConnected;
    }
    if ((s->pending & kNetWrite) && s->stage >= kStageConnected) {
        s->pending &= ~kNetWrite;
        int error = 0;
        if (net.send(net.context, request.data(), int(request.size()), &error) < 0 && error != kNetWouldBlock)
            report(net, u"send: Error %d", error);
    }
    if ((s->pending & kNetRead) && s->stage >= kStageConnected) {
        s->pending &= ~kNetRead;
        receive(s, net);
    }
    if (s->pending & kNetClose) {
        s->pending &= ~kNetClose;
        // The close can overtake the last read notice: collect what is left.
        if (s->stage >= kStageConnected) receive(s, net);
        return SessionState::kClosed;
    }
    return SessionState::kOpen;
}
