// The socket events in the orders the network may deliver them, against a
// scripted socket.
#include "update/update_session.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {
struct FakeSocket {
    std::string sent;
    int send_error = 0;                // non-zero: send fails with it
    std::deque<std::string> incoming;  // each recv takes at most one chunk
    int recv_error_when_empty = kNetWouldBlock;
    bool peer_closed = false;  // an empty queue then reads as the end
    int recv_calls = 0;
    std::vector<std::string> reports;

    UpdateNet net() {
        UpdateNet n;
        n.context = this;
        n.send = [](void* c, const char* data, int size, int* error) {
            auto* f = static_cast<FakeSocket*>(c);
            if (f->send_error) {
                *error = f->send_error;
                return -1;
            }
            f->sent.append(data, size_t(size));
            return size;
        };
        n.recv = [](void* c, char* data, int size, int* error) {
            auto* f = static_cast<FakeSocket*>(c);
            ++f->recv_calls;
            if (f->incoming.empty()) {
                if (f->peer_closed) return 0;
                *error = f->recv_error_when_empty;
                return -1;
            }
            std::string& chunk = f->incoming.front();
            const int n = int(chunk.size()) < size ? int(chunk.size()) : size;
            chunk.copy(data, size_t(n));
            chunk.erase(0, size_t(n));
            if (chunk.empty()) f->incoming.pop_front();
            return n;
        };
        n.report = [](void* c, const char16_t* fmt, int code) {
            std::string s;
            for (const char16_t* p = fmt; *p; ++p) s += char(*p);
            static_cast<FakeSocket*>(c)->reports.push_back(s + " " + std::to_string(code));
        };
        return n;
    }
};

const std::string kRequest = "GET /v.txt HTTP/1.0\r\n\r\n";

UpdateSession* connecting() {
    static UpdateSession s;
    s = UpdateSession{};
    update_session_connecting(&s);
    return &s;
}
}  // namespace

TEST(UpdateSession, UsualOrderSendsOnceReadsAndEndsOnClose) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    EXPECT_EQ(update_session_events(s, kNetConnect, kRequest, sock.net()), SessionState::kOpen);
    EXPECT_EQ(s->stage, kStageConnected);
    update_session_events(s, kNetWrite, kRequest, sock.net());
    EXPECT_EQ(sock.sent, kRequest);
    sock.incoming = {"HTTP/1.0 200 OK\r\n", "\r\n!V2000003\n"};
    update_session_events(s, kNetRead, kRequest, sock.net());
    sock.peer_closed = true;
    EXPECT_EQ(update_session_events(s, kNetClose, kRequest, sock.net()), SessionState::kClosed);
    EXPECT_EQ(std::string(s->buffer), "HTTP/1.0 200 OK\r\n\r\n!V2000003\n");
    EXPECT_EQ(s->count, 29);
    EXPECT_EQ(sock.sent, kRequest);  // the request went out once
    EXPECT_TRUE(sock.reports.empty());
}

TEST(UpdateSession, WriteAndReadWaitForTheConnection) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    sock.incoming = {"early"};
    update_session_events(s, kNetWrite | kNetRead, kRequest, sock.net());
    EXPECT_TRUE(sock.sent.empty());
    EXPECT_EQ(sock.recv_calls, 0);
    EXPECT_EQ(s->pending, kNetWrite | kNetRead);
    // The connect notice releases both held events in the same call.
    update_session_events(s, kNetConnect, kRequest, sock.net());
    EXPECT_EQ(sock.sent, kRequest);
    EXPECT_EQ(std::string(s->buffer, size_t(s->count)), "early");
    EXPECT_EQ(s->pending, 0u);
}

TEST(UpdateSession, CloseCollectsDataTheReadNoticeDidNotAnnounce) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    update_session_events(s, kNetConnect | kNetWrite, kRequest, sock.net());
    sock.incoming = {"HTTP/1.0 200 OK\r\n\r\n", "!Px\n"};
    sock.peer_closed = true;
    EXPECT_EQ(update_session_events(s, kNetClose, kRequest, sock.net()), SessionState::kClosed);
    EXPECT_EQ(std::string(s->buffer), "HTTP/1.0 200 OK\r\n\r\n!Px\n");
}

TEST(UpdateSession, LongRepliesAreCutAndStillDrained) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    update_session_events(s, kNetConnect, kRequest, sock.net());
    const std::string big(kUpdateBufferSize - 10, 'a');
    sock.incoming = {big, std::string(100, 'b'), std::string(3000, 'c')};
    update_session_events(s, kNetRead, kRequest, sock.net());
    EXPECT_EQ(s->count, kUpdateBufferSize);
    EXPECT_EQ(s->buffer[kUpdateBufferSize], 0);
    EXPECT_EQ(std::string(s->buffer + kUpdateBufferSize - 10), std::string(10, 'b'));
    EXPECT_TRUE(sock.incoming.empty());  // the rest was read and dropped
    sock.incoming = {"more"};
    sock.peer_closed = true;
    EXPECT_EQ(update_session_events(s, kNetClose, kRequest, sock.net()), SessionState::kClosed);
    EXPECT_EQ(s->count, kUpdateBufferSize);
}

TEST(UpdateSession, SocketErrorsAreReportedExceptWouldBlock) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    sock.send_error = kNetWouldBlock;
    update_session_events(s, kNetConnect | kNetWrite | kNetRead, kRequest, sock.net());
    EXPECT_TRUE(sock.reports.empty());
    sock.send_error = 10054;
    sock.recv_error_when_empty = 10053;
    update_session_events(s, kNetWrite | kNetRead, kRequest, sock.net());
    ASSERT_EQ(sock.reports.size(), 2u);
    EXPECT_EQ(sock.reports[0], "send: Error %d 10054");
    EXPECT_EQ(sock.reports[1], "recv: Error %d 10053");
}

TEST(UpdateSession, CloseBeforeConnectingEndsWithAnEmptyReply) {
    FakeSocket sock;
    UpdateSession* s = connecting();
    EXPECT_EQ(update_session_events(s, kNetClose, kRequest, sock.net()), SessionState::kClosed);
    EXPECT_EQ(sock.recv_calls, 0);
    EXPECT_EQ(s->count, 0);
    EXPECT_EQ(s->buffer[0], 0);
}
