// The whole check against a server on the loopback address, started by each
// test on a port of its own: lookup, connect, request, reply, the verdict with
// its boxes and dialog, the stored times, and the ways a check ends early.
#include <winsock2.h>

#include "update/win/update_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/message_box.h"
#include "config/settings.h"
#include "host/browser.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/win/module.h"
#include "host/win/plugin_window.h"
#include "host/win/viewer_update.h"
#include "update/update_rules.h"
#include "update/win/new_version_dialog.h"

namespace {
// One connection: read the request up to its blank line, answer, close.
struct LoopbackServer {
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::string reply, request;
    HANDLE thread = nullptr;
    bool winsock = false;

    static DWORD WINAPI serve(LPVOID p) {
        auto* s = static_cast<LoopbackServer*>(p);
        SOCKET c = accept(s->listener, nullptr, nullptr);
        if (c == INVALID_SOCKET) return 1;
        char buf[512];
        while (s->request.find("\r\n\r\n") == std::string::npos) {
            const int n = recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            s->request.append(buf, size_t(n));
        }
        // In pieces, as a slow network would hand them over.
        for (size_t at = 0; at < s->reply.size(); at += 1000)
            send(c, s->reply.data() + at, int(std::min<size_t>(1000, s->reply.size() - at)), 0);
        shutdown(c, SD_SEND);
        while (recv(c, buf, sizeof buf, 0) > 0) {
        }
        closesocket(c);
        return 0;
    }
    // listen = false: the port is taken and let go again, so connecting is refused.
    bool open(bool listen_on_it) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return false;
        winsock = true;
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
        int len = sizeof a;
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        if (!listen_on_it) {
            closesocket(listener);
            listener = INVALID_SOCKET;
            return true;
        }
        if (listen(listener, 1) != 0) return false;
        thread = CreateThread(nullptr, 0, serve, this, 0, nullptr);
        return thread != nullptr;
    }
    ~LoopbackServer() {
        if (listener != INVALID_SOCKET) closesocket(listener);  // wakes an accept still waiting
        if (thread) {
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
        if (winsock) WSACleanup();
    }
};

struct Box {
    unsigned type;
    std::u16string text;
};
int record_box(const MessageBoxRequest& r, void* context) {
    static_cast<std::vector<Box>*>(context)->push_back({r.type, r.text});
    return kIdOk;
}

std::string g_url, g_target;
NPError record_get_url(NPP, const char* url, const char* target) {
    g_url = url ? url : "";
    g_target = target ? target : "(null)";
    return 0;
}

uint32_t g_now = 0;
uint32_t fake_now() { return g_now; }

// The dialog player: a thread timer fires inside DialogBoxParamW's loop.
struct DialogSeen {
    bool seen = false;
    std::wstring caption, text, yes, no, box;
    bool box_checked = false;
    bool has_icon = false;
};
DialogSeen g_seen;
int g_press = IDYES;
bool g_toggle_box = false;
Viewer* g_destroy = nullptr;  // dropped from the live viewers while the dialog is open, as a free does

BOOL CALLBACK find_dialog(HWND h, LPARAM lp) {
    wchar_t cls[32];
    GetClassNameW(h, cls, 32);
    if (IsWindowVisible(h) && !wcscmp(cls, L"#32770")) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

std::wstring text_of(HWND h) {
    wchar_t buf[512] = L"";
    GetWindowTextW(h, buf, 512);
    return buf;
}

void CALLBACK answer_tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return;
    KillTimer(nullptr, id);
    g_seen.seen = true;
    g_seen.caption = text_of(dlg);
    g_seen.text = text_of(GetDlgItem(dlg, IDC_NEWVERS_TEXT));
    g_seen.yes = text_of(GetDlgItem(dlg, IDYES));
    g_seen.no = text_of(GetDlgItem(dlg, IDNO));
    g_seen.box = text_of(GetDlgItem(dlg, IDC_NEWVERS_AUTO));
    g_seen.box_checked = IsDlgButtonChecked(dlg, IDC_NEWVERS_AUTO) == BST_CHECKED;
    g_seen.has_icon = SendDlgItemMessageW(dlg, IDC_NEWVERS_ICON, STM_GETICON, 0, 0) != 0;
    if (g_destroy) viewer_registry_remove(g_destroy);
    if (g_toggle_box) CheckDlgButton(dlg, IDC_NEWVERS_AUTO, g_seen.box_checked ? BST_UNCHECKED : BST_CHECKED);
    if (g_press == IDCANCEL) PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(g_press, BN_CLICKED), LPARAM(GetDlgItem(dlg, g_press)));
}

HINSTANCE plugin_resources() {
    static HINSTANCE resources = [] {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wcscpy(wcsrchr(path, L'\\') + 1, L"npvellarion.dll");
        return HINSTANCE(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }();
    return resources;
}

uint32_t stored(MemorySettingsStore& s, SettingsKey key, const char16_t* name) {
    uint32_t v = 0xDEADBEEF;
    store_read_dword(&s, key, name, &v);
    return v;
}

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// A viewer in a window run by the plug-in window procedure, the check aimed
// at the loopback address, the clock and the settings store in memory.
struct UpdateCheckFlow : ::testing::Test {
    MemorySettingsStore store;
    Viewer* v = nullptr;
    HWND window = nullptr;
    std::vector<Box> boxes;
    MessageBoxHandler old_handler = nullptr;
    void* old_context = nullptr;
    ProcessSettings saved_process;
    HINSTANCE saved_instance = nullptr;

    void SetUp() override {
        settings_forget_low_integrity();
        ViewerCreateArgs a;
        a.store = &store;
        ASSERT_EQ(viewer_create(a, &v), 0);
        WNDCLASSW wc{};
        wc.lpfnWndProc = plugin_window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"UpdateCheckTestPlugin";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"plug-in", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        v->shell.plugin_window = window;
        SetPropW(window, kViewerProperty, v);
        saved_process = module().process;
        settings_process_defaults(&module().process);
        text_copy(module().process.update_server, 128, u"127.0.0.1");
        saved_instance = module().instance;
        module().instance = plugin_resources();
        old_handler = msgbox_set_handler(record_box, &boxes, &old_context);
        NPNetscapeFuncs f{};
        f.size = sizeof f;
        f.version = 27;
        f.geturl = record_get_url;
        ASSERT_EQ(browser_install(&f), 0);
        g_url.clear();
        g_target.clear();
        g_now = 0x01D60000;
        g_seen = DialogSeen{};
        g_press = IDYES;
        g_toggle_box = false;
        g_destroy = nullptr;
        update_reset_process_flags();
    }
    void TearDown() override {
        update_abort();
        update_set_hooks(UpdateHooks{});
        update_reset_process_flags();
        browser_clear();
        msgbox_set_handler(old_handler, old_context);
        module().instance = saved_instance;
        module().process = saved_process;
        if (window && IsWindow(window)) {
            RemovePropW(window, kViewerProperty);
            DestroyWindow(window);
        }
        viewer_free(v);
        settings_forget_low_integrity();
    }
    void aim_at(const LoopbackServer& server) {
        UpdateHooks h;
        h.port = server.port;
        h.now = fake_now;
        h.store = &store;
        update_set_hooks(h);
    }
    // Runs the thread's messages until the check is over (a stuck check fails
    // through the ctest timeout rather than any clock here).
    void run_until_done() {
        MSG msg;
        while (update_running() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void answer_dialog(int press, bool toggle_box = false) {
        g_press = press;
        g_toggle_box = toggle_box;
        SetTimer(nullptr, 0, 20, answer_tick);
    }
};
}  // namespace

TEST_F(UpdateCheckFlow, NewerVersionAsksAndYesOpensThePageInTheNamedWindow) {
    LoopbackServer server;
    server.reply = kOk + "!V2000003\n!Phttp://example.test/get?x=1\n!W_blank\n";
    ASSERT_TRUE(server.open(true));
    aim_at(server);
    answer_dialog(IDYES, true);  // and clear "Automatically check"
    ASSERT_TRUE(update_start(v));
    EXPECT_EQ(stored(store, SettingsKey::kMachine, u"updatelastattempt"), g_now);  // before any network
    run_until_done();
    EXPECT_EQ(server.request,
              "GET /vellarion/version-pl-w32.txt HTTP/1.0\r\nUser-Agent: Vellarion/2.0.0 (Plug-in)\r\n\r\n");
    ASSERT_TRUE(g_seen.seen);
    EXPECT_EQ(g_seen.caption, L"Vellarion plug-in");
    EXPECT_EQ(g_seen.text,
              L"There is a new version of the Vellarion image viewer plug-in available.\r\n\r\n"
              L"Do you want to download it now?");
    EXPECT_EQ(g_seen.yes, L"&Yes");
    EXPECT_EQ(g_seen.no, L"&No");
    EXPECT_EQ(g_seen.box, L"Automatically check for new versions");
    EXPECT_TRUE(g_seen.box_checked);  // from `autoupdate`
    EXPECT_TRUE(g_seen.has_icon);
    EXPECT_EQ(g_url, "http://example.test/get?x=1");
    EXPECT_EQ(g_target, "_blank");
    EXPECT_EQ(v->settings.autoupdate, 0);
    EXPECT_EQ(stored(store, SettingsKey::kUser, u"autoupdate"), 0u);
    for (SettingsKey k : {SettingsKey::kMachine, SettingsKey::kUser}) {
        EXPECT_EQ(stored(store, k, u"updatelastchecked"), g_now);
        EXPECT_EQ(stored(store, k, u"updatelastattempt"), g_now);
    }
    EXPECT_EQ(module().process.update_last_checked, g_now);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UpdateCheckFlow, NoStoresTheBoxAndTheCloseBoxStoresNothing) {
    {
        LoopbackServer server;
        server.reply = kOk + "!V2000003\n!Phttp://example.test/\n";
        ASSERT_TRUE(server.open(true));
        aim_at(server);
        answer_dialog(IDNO, true);
        ASSERT_TRUE(update_start(v));
        run_until_done();
        EXPECT_TRUE(g_seen.seen);
        EXPECT_EQ(g_url, "");
        EXPECT_EQ(v->settings.autoupdate, 0);
        EXPECT_EQ(stored(store, SettingsKey::kUser, u"autoupdate"), 0u);
    }
    {
        LoopbackServer server;
        server.reply = kOk + "!V2000003\n!Phttp://example.test/\n";
        ASSERT_TRUE(server.open(true));
        aim_at(server);
        store.set_dword(SettingsKey::kUser, u"autoupdate", 7);
        answer_dialog(IDCANCEL, true);
        ASSERT_TRUE(update_start(v));
        run_until_done();
        EXPECT_TRUE(g_seen.seen);
        EXPECT_EQ(g_url, "");
        EXPECT_EQ(v->settings.autoupdate, 0);
        EXPECT_EQ(stored(store, SettingsKey::kUser, u"autoupdate"), 7u);
    }
}

TEST_F(UpdateCheckFlow, ViewerLeavingDuringTheQuestionIsNotTouchedAfterwards) {
    LoopbackServer server;
    server.reply = kOk + "!V2000003\n!Phttp://example.test/\n";
    ASSERT_TRUE(server.open(true));
    aim_at(server);
    g_destroy = v;
    answer_dialog(IDYES, true);
    ASSERT_TRUE(update_start(v));
    run_until_done();
    EXPECT_TRUE(g_seen.seen);
    EXPECT_EQ(g_url, "");  // no page opened for a viewer that is gone
    EXPECT_EQ(v->settings.autoupdate, 1);
    EXPECT_EQ(stored(store, SettingsKey::kUser, u"autoupdate"), 0u);  // the user's answer still counts
}

TEST_F(UpdateCheckFlow, LatestVersionIsQuietUnlessVerboseAndCrLfRepliesWork) {
    {
        LoopbackServer server;
        server.reply = kOk + "!V2000002\r\n!Phttp://example.test/\r\n";
        ASSERT_TRUE(server.open(true));
        aim_at(server);
        ASSERT_TRUE(update_start(v));
        run_until_done();
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(g_seen.seen);
        EXPECT_EQ(stored(store, SettingsKey::kUser, u"updatelastchecked"), g_now);
    }
    LoopbackServer server;
    server.reply = kOk + "!V2000002\n!Phttp://example.test/\n";
    ASSERT_TRUE(server.open(true));
    aim_at(server);
    update_command(v);  // the menu: verbose from now on
    run_until_done();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, kMbIconInformation);
    EXPECT_EQ(boxes[0].text, u"You are using the latest version of Vellarion.");
}

TEST_F(UpdateCheckFlow, BadDataLeavesLastCheckedAloneAndLongRepliesAreCut) {
    store.set_dword(SettingsKey::kUser, u"updatelastchecked", 5);
    // The page address stands beyond the first 4096 bytes: it is never seen.
    LoopbackServer server;
    server.reply = kOk + "!V2000003\n" + std::string(5000, 'x') + "\n!Phttp://example.test/\n";
    ASSERT_TRUE(server.open(true));
    aim_at(server);
    update_command(v);
    run_until_done();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Bad data received from update server");
    EXPECT_EQ(stored(store, SettingsKey::kUser, u"updatelastchecked"), 5u);
    EXPECT_EQ(stored(store, SettingsKey::kUser, u"updatelastattempt"), g_now);
    EXPECT_FALSE(g_seen.seen);
    // Values near the start survive a long tail, which is read and dropped.
    LoopbackServer second;
    second.reply = kOk + "!V2000002\n!Phttp://example.test/\n" + std::string(9000, 'y');
    ASSERT_TRUE(second.open(true));
    aim_at(second);
    boxes.clear();
    update_command(v);
    run_until_done();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"You are using the latest version of Vellarion.");
}

TEST_F(UpdateCheckFlow, ScriptLocalOrFramedPagesMakeTheReplyInvalidAndNothingIsAsked) {
    for (const char* body :
         {"!V2000003\n!Pjavascript:alert(document.cookie)\n",
          "!V2000003\n!P \x01"
          "data:text/html,<script>x()</script>\n",
          "!V2000003\n!Pfile:///C:/Windows/x.exe\n", "!V2000003\n!Phttp://example.test/\n!W_top\n"}) {
        LoopbackServer server;
        server.reply = kOk + body;
        ASSERT_TRUE(server.open(true));
        aim_at(server);
        boxes.clear();
        errlog_clear(&v->logs.error);
        g_press = IDYES;  // should the question come after all, it is answered and the test fails
        const UINT_PTR player = SetTimer(nullptr, 0, 20, answer_tick);
        update_command(v);
        run_until_done();
        KillTimer(nullptr, player);
        EXPECT_FALSE(g_seen.seen) << body;
        EXPECT_EQ(g_url, "") << body;
        ASSERT_EQ(boxes.size(), 1u) << body;
        EXPECT_EQ(boxes[0].text, u"Bad data received from update server");
        EXPECT_NE(Text16(errlog_text(&v->logs.error)).find(u"Invalid reply from update server"), Text16::npos);
        EXPECT_EQ(stored(store, SettingsKey::kUser, u"updatelastchecked"), 0xDEADBEEFu);
    }
}

TEST_F(UpdateCheckFlow, RefusedConnectionIsReportedOnlyWhenVerbose) {
    LoopbackServer closed;
    ASSERT_TRUE(closed.open(false));
    aim_at(closed);
    ASSERT_TRUE(update_start(v));
    run_until_done();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(stored(store, SettingsKey::kMachine, u"updatelastattempt"), g_now);
    EXPECT_EQ(stored(store, SettingsKey::kMachine, u"updatelastchecked"), 0xDEADBEEFu);
    update_command(v);
    run_until_done();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, kMbIconError);
    EXPECT_EQ(boxes[0].text, u"WSAAsyncSelect: Error 10061");  // WSAECONNREFUSED
}

TEST_F(UpdateCheckFlow, AccessBitRefusesAndDestroyingTheWindowEndsARunningCheck) {
    LoopbackServer server;
    server.reply = kOk + "!V2000003\n!Phttp://example.test/\n";
    ASSERT_TRUE(server.open(true));
    aim_at(server);
    v->access_flags |= kAccessNoUpdateCheck;
    update_command(v);
    EXPECT_FALSE(update_running());
    EXPECT_EQ(stored(store, SettingsKey::kMachine, u"updatelastattempt"), 0xDEADBEEFu);  // not even an attempt
    v->access_flags &= ~kAccessNoUpdateCheck;
    ASSERT_TRUE(update_start(v));
    EXPECT_TRUE(update_running());
    DestroyWindow(window);  // the browser takes the window away mid-check
    window = nullptr;
    EXPECT_FALSE(update_running());
    // Whatever Winsock still posts finds no check and no window.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(g_seen.seen);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UpdateCheckFlow, TimerStartsTheSilentCheckOncePerProcessWhenDue) {
    LoopbackServer closed;
    ASSERT_TRUE(closed.open(false));
    aim_at(closed);
    // Checked 9 days ago: not due, no timer.
    module().process.update_last_checked = uint32_t(g_now - 9 * kUpdateUnitsPerDay);
    update_arm(v);
    EXPECT_FALSE(KillTimer(window, kUpdateTimerId));
    update_on_timer(v);
    EXPECT_FALSE(update_running());
    // 11 days, but a failed attempt yesterday: still not due.
    module().process.update_last_checked = uint32_t(g_now - 11 * kUpdateUnitsPerDay);
    module().process.update_last_attempt = uint32_t(g_now - 1 * kUpdateUnitsPerDay);
    update_arm(v);
    EXPECT_FALSE(KillTimer(window, kUpdateTimerId));
    // Three days since that attempt: due; with `autoupdate` off, still nothing.
    module().process.update_last_attempt = uint32_t(g_now - 3 * kUpdateUnitsPerDay);
    v->settings.autoupdate = 0;
    update_arm(v);
    EXPECT_FALSE(KillTimer(window, kUpdateTimerId));
    update_on_timer(v);
    EXPECT_FALSE(update_running());
    v->settings.autoupdate = 1;
    update_arm(v);
    EXPECT_TRUE(KillTimer(window, kUpdateTimerId));
    // The timer's message, through the plug-in window: the check starts, silently.
    SendMessageW(window, WM_TIMER, kUpdateTimerId, 0);
    EXPECT_TRUE(update_running());
    EXPECT_EQ(module().process.update_last_attempt, g_now);
    run_until_done();
    EXPECT_TRUE(boxes.empty());
    // Due again (a later clock), but this process has had its automatic check.
    g_now += uint32_t(30 * kUpdateUnitsPerDay);
    update_on_timer(v);
    EXPECT_FALSE(update_running());
}
