#pragma once
// One conversation with the update server, driven by the socket's network
// events as they arrive (connect, write, read, close). The socket calls come
// in through a small table so that the order and gating of the events can be
// exercised without a network.
//
//   stage 1 looking up ──host found──> 2 connecting ──connect──> 3 connected
//   3: write sends the request, read appends to the buffer, close ends it
#include <cstdint>
#include <string>

// Network-event bits as the socket layer numbers them.
constexpr uint32_t kNetRead = 0x01;
constexpr uint32_t kNetWrite = 0x02;
constexpr uint32_t kNetConnect = 0x10;
constexpr uint32_t kNetClose = 0x20;
constexpr int kNetWouldBlock = 10035;

constexpr int kUpdateBufferSize = 4096;

enum UpdateStage { kStageIdle = 0, kStageLookup = 1, kStageConnecting = 2, kStageConnected = 3 };

struct UpdateSession {
    int stage = kStageIdle;
    uint32_t pending = 0;
    int count = 0;
    char buffer[kUpdateBufferSize + 1] = {};  // always ends with a zero
};

struct UpdateNet {
    void* context = nullptr;
    // Bytes moved, or -1 with `*error` set to the socket error code.
    int (*send)(void* context, const char* data, int size, int* error) = nullptr;
    int (*recv)(void* context, char* data, int size, int* error) = nullptr;
    // A failure worth telling a user who asked: `fmt` holds one %d.
    void (*report)(void* context, const char16_t* fmt, int code) = nullptr;
};

// A new connection is being made: nothing received, nothing pending.
void update_session_connecting(UpdateSession* s);

enum class SessionState { kOpen, kClosed };

// Adds `events` to the pending ones and handles them in order: connect, write
// (from stage 3 on), read (from stage 3 on), close. kClosed means the server
// has closed and `buffer` holds the reply (cut at 4096 bytes, zero-ended).
SessionState update_session_events(UpdateSession* s, uint32_t events, const std::string& request, const UpdateNet& net);
