// The check runs as a chain of Winsock notifications on the browser's thread:
// start → host lookup (kUpdateHostMessage) → connect and socket events
// (kUpdateSocketMessage) → the server closes → the reply is judged. Only the
// viewer that started it hears about it; any plug-in window going away ends it.
#include <winsock2.h>

#include "update/win/update_check.h"

#include <new>
#include <string>

#include "config/error_log.h"
#include "config/message_box.h"
#include "config/settings.h"
#include "config/win/codepage.h"
#include "config/win/registry_store.h"
#include "update/update_reply.h"
#include "update/update_rules.h"
#include "update/update_session.h"
#include "update/win/new_version_dialog.h"

namespace {
struct UpdateCheck {
    HWND window = nullptr;  // the plug-in window of the viewer that started it
    HANDLE lookup = nullptr;
    SOCKET socket = INVALID_SOCKET;
    bool winsock_started = false;
    std::string request;  // in the system code page
    UpdateSession session;
};

UpdateCheck* g_check = nullptr;
bool g_verbose = false;
bool g_checked_in_process = false;
UpdateHooks g_hooks;
// Winsock writes the host entry whenever the lookup ends, even after we have
// given up on it; kept outside the freed state so a late answer lands in
// memory that is still ours.
char g_host_entry[MAXGETHOSTSTRUCT];

uint32_t now() {
    if (g_hooks.now) return g_hooks.now();
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ft.dwHighDateTime;
}

SettingsStore* store() { return g_hooks.store ? g_hooks.store : registry_settings_store(); }

// The times go to the machine key (where start-up reads them first) and to
// the user's key, since an ordinary user may not write the machine's.
void write_time(const char16_t* name, uint32_t value) {
    SettingsStore* s = store();
    if (s->open_for_write(SettingsKey::kMachine) == 0) {
        store_write_dword(s, name, value);
        s->close_write();
    }
    settings_write_user_dword(s, name, value);
}

void tell(HWND owner, unsigned type, const char16_t* fmt, int code = 0) {
    if (g_verbose) msgbox_show(owner, type, fmt, code);
}

void close_socket(UpdateCheck* c) {
    if (c->socket == INVALID_SOCKET) return;
    shutdown(c->socket, SD_SEND);
    closesocket(c->socket);
    c->socket = INVALID_SOCKET;
}

void cancel_lookup(UpdateCheck* c) {
    if (c->lookup) WSACancelAsyncRequest(c->lookup);
    c->lookup = nullptr;
}

void end_check() {
    UpdateCheck* c = g_check;
    if (!c) return;
    g_check = nullptr;
    cancel_lookup(c);
    close_socket(c);
    if (c->winsock_started) WSACleanup();
    delete c;
}

// The dialog's loop may see the viewer destroyed: what the user chose goes
// back to the caller, which applies it only to a viewer that is still there.
UpdateAnswer offer_download(const UpdateViewer& v, const UpdateReply& reply) {
    UpdateAnswer answer;
    const NewVersionAnswer a = new_version_dialog_run(v.instance, v.window, v.auto_update != 0);
    if (a.answered) settings_write_user_dword(store(), u"autoupdate", a.auto_update ? 1 : 0);
    answer.answered = a.answered;
    answer.auto_update = a.auto_update;
    if (!a.download) return answer;
    Text16 url;
    if (!codepage_to_wide_alloc(reply.page_url.c_str(), &url)) return answer;
    answer.page_url = url;
    answer.target = update_target(reply) == "_blank" ? u"_blank" : u"_self";
    return answer;
}

UpdateAnswer judge_reply(const UpdateViewer& v, const char* bytes, int count) {
    const UpdateReply reply = update_parse_reply(bytes, size_t(count));
    const UpdateVerdict verdict = update_judge(reply);
    if (verdict == UpdateVerdict::kInvalid)
        errlog_error(v.errors,
                     u"Invalid reply from update server: only an http: or https: download page, "
                     u"in window _blank or _self, is opened.");
    if (verdict == UpdateVerdict::kBadData || verdict == UpdateVerdict::kInvalid) {
        tell(v.window, kMbIconError, u"Bad data received from update server");
        return {};
    }
    const uint32_t t = now();
    v.process->update_last_checked = t;
    write_time(u"updatelastchecked", t);
    if (verdict == UpdateVerdict::kNewer) return offer_download(v, reply);
    tell(v.window, kMbIconInformation, u"You are using the latest version of Vellarion.");
    return {};
}

int net_send(void* context, const char* data, int size, int* error) {
    const int n = send(*static_cast<SOCKET*>(context), data, size, 0);
    if (n == SOCKET_ERROR) *error = WSAGetLastError();
    return n == SOCKET_ERROR ? -1 : n;
}

int net_recv(void* context, char* data, int size, int* error) {
    const int n = recv(*static_cast<SOCKET*>(context), data, size, 0);
    if (n == SOCKET_ERROR) *error = WSAGetLastError();
    return n == SOCKET_ERROR ? -1 : n;
}

void net_report(void* context, const char16_t* fmt, int code) {
    (void)context;
    tell(g_check ? g_check->window : nullptr, kMbIconError, fmt, code);
}

// Socket, notifications, connect: the connection is under way, or the check ended.
void connect_to(HWND v, const hostent* host) {
    UpdateCheck* c = g_check;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(g_hooks.port);
    if (host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list[0]) {
        tell(v, kMbIconError, u"Error %d looking up hostname", WSANO_DATA);
        return end_check();
    }
    memcpy(&address.sin_addr, host->h_addr_list[0], 4);
    c->socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (c->socket == INVALID_SOCKET) {
        tell(v, kMbIconError, u"socket: Error %d", WSAGetLastError());
        return end_check();
    }
    update_session_connecting(&c->session);
    if (WSAAsyncSelect(c->socket, c->window, kUpdateSocketMessage, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
        tell(v, kMbIconError, u"WSAAsyncSelect: Error %d", WSAGetLastError());
        return end_check();
    }
    if (connect(c->socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) return;
        tell(v, kMbIconError, u"connect: Error %d", error);
        end_check();
    }
}

// Lookup under way for the configured server; false when it could not be asked.
bool begin_lookup(const UpdateViewer& v, UpdateCheck* c) {
    char host[256];
    wide_to_codepage(v.process->update_server, host, int(sizeof host));
    c->lookup = WSAAsyncGetHostByName(c->window, kUpdateHostMessage, host, g_host_entry, sizeof g_host_entry);
    if (!c->lookup) {
        tell(v.window, kMbIconError, u"Error %d looking up hostname", WSAGetLastError());
        return false;
    }
    c->session.stage = kStageLookup;
    return true;
}
}  // namespace

void update_arm(const UpdateViewer& v) {
    if (v.window && v.auto_update && update_due(*v.process, now()))
        SetTimer(v.window, kUpdateTimerId, kUpdateTimerDelay, nullptr);
}

void update_on_timer(const UpdateViewer& v) {
    if (!v.auto_update || g_checked_in_process || !update_due(*v.process, now())) return;
    g_checked_in_process = true;
    update_start(v);
}

void update_command(const UpdateViewer& v) {
    g_verbose = true;
    update_start(v);
}

bool update_start(const UpdateViewer& v) {
    if (!v.allowed || !v.window) return false;
    if (!g_check) g_check = new (std::nothrow) UpdateCheck;
    UpdateCheck* c = g_check;
    if (!c) return false;  // out of memory: silently no check
    // A second start while one runs asks again with the same state; what the
    // first had under way is dropped, not leaked.
    cancel_lookup(c);
    close_socket(c);
    c->window = v.window;
    const uint32_t t = now();
    v.process->update_last_attempt = t;
    write_time(u"updatelastattempt", t);
    if (!c->winsock_started) {
        WSADATA data;
        const int error = WSAStartup(MAKEWORD(2, 0), &data);
        if (error != 0) {
            tell(v.window, kMbIconError, u"Error (%d) initializing Winsock; can\u2019t check for new version", error);
            end_check();
            return false;
        }
        c->winsock_started = true;
    }
    std::string request;
    if (!wide_to_codepage_alloc(update_request_text(v.process->update_resource).c_str(), &request)) {
        end_check();
        return false;
    }
    c->request = std::move(request);
    if (!begin_lookup(v, c)) {
        end_check();
        return false;
    }
    return true;
}

LRESULT update_on_host_message(const UpdateViewer& v, WPARAM wp, LPARAM lp) {
    UpdateCheck* c = g_check;
    if (!c || !c->lookup || reinterpret_cast<HANDLE>(wp) != c->lookup) return 0;
    c->lookup = nullptr;
    if (const int error = WSAGETASYNCERROR(lp)) {
        tell(v.window, kMbIconError, u"Error %d looking up hostname", error);
        end_check();
        return 0;
    }
    connect_to(v.window, reinterpret_cast<const hostent*>(g_host_entry));
    return 0;
}

UpdateAnswer update_on_socket_message(const UpdateViewer& v, WPARAM wp, LPARAM lp) {
    UpdateCheck* c = g_check;
    if (!c || c->socket == INVALID_SOCKET || SOCKET(wp) != c->socket) return {};
    if (const int error = WSAGETSELECTERROR(lp)) {
        // A refused or broken connection sends nothing more: the check is over.
        tell(v.window, kMbIconError, u"WSAAsyncSelect: Error %d", error);
        end_check();
        return {};
    }
    UpdateNet net;
    net.context = &c->socket;
    net.send = net_send;
    net.recv = net_recv;
    net.report = net_report;
    if (update_session_events(&c->session, WSAGETSELECTEVENT(lp), c->request, net) != SessionState::kClosed) return {};
    // Everything network-side ends before the reply is judged: judging may
    // open a modal dialog, and inside its loop the window (and with it this
    // check) can go away.
    const std::string reply(c->session.buffer, size_t(c->session.count));
    end_check();
    return judge_reply(v, reply.data(), int(reply.size()));
}

void update_abort() { end_check(); }

bool update_running() { return g_check != nullptr; }

void update_set_hooks(const UpdateHooks& hooks) { g_hooks = hooks; }

void update_reset_process_flags() {
    g_verbose = false;
    g_checked_in_process = false;
}
