// The steps a test runs against the page, one per line:
//   getvalue N | invoke N METHOD [int:5 double:1.5 bool:true str:text null void]...
//   hasmethod N NAME | release N | destroy N | stream N URL | setwindow N [null|new]
//   closewindow N
//   children N | resize N W H | screenshot N FILE | drain
//   click|dblclick|rclick|down|up|move N X Y [ctrl] [shift]
//   key N VK [ctrl] [shift] | wheel N DELTA X Y [ctrl]
//   function NAME [fail] | answer ok|cancel|yes|no|ID
//   menu COMMAND|cancel [show]   how the next pop-up menu is answered (show: log its items)
//   dialogshot FILE              photograph the next dialog before it is answered
//   contextkey N                 the keyboard's menu request | clipboard (log its text or DIB)
//   controls N                   every button, list and spinner inside the plug-in, with its state
//   pick N X Y INDEX             choose entry INDEX of the drop-down list under the point
//   popups N                     the pop-up windows owned for the plug-in window (the magnifier)
//   cursor                       where the mouse cursor is, and the rectangle it is confined to
//   during [menu|dialog|call] STEP  STEP runs inside the next modal loop (of that kind)
//                                before it is answered, or inside the next page function
//                                the plug-in calls: `during destroy 1` removes the
//                                instance while the plug-in waits for the loop to end
// N is the instance (1 = the first on the page); X, Y are client coordinates
// of the plug-in's window. With the word `popup`, the mouse, key, wheel and
// pixel steps go to the plug-in window's first visible owned pop-up instead,
// X, Y in its client area. Every step is echoed, then what it caused.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/npruntime.h"
#include "vlhost/page_objects.h"

namespace {
bool has_popup_word = false;  // the running step is aimed at the owned pop-up
// Steps waiting for the next modal loop of a kind ("menu", "dialog"; empty: any).
std::vector<std::pair<std::string, std::string>> g_during;

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) out.push_back(cur);
    return out;
}

bool has_word(const std::vector<std::string>& w, const char* word) {
    for (const auto& s : w)
        if (s == word) return true;
    return false;
}

NPVariant parse_arg(const std::string& token) {
    NPVariant v{};
    v.type = NPVariantType_Void;
    const size_t colon = token.find(':');
    const std::string kind = token.substr(0, colon), text = colon == std::string::npos ? "" : token.substr(colon + 1);
    if (kind == "int") {
        v.type = NPVariantType_Int32;
        v.value.intValue = int32_t(std::strtol(text.c_str(), nullptr, 0));
    } else if (kind == "double") {
        v.type = NPVariantType_Double;
        v.value.doubleValue = std::strtod(text.c_str(), nullptr);
    } else if (kind == "bool") {
        v.type = NPVariantType_Bool;
        v.value.boolValue = text == "true" || text == "1";
    } else if (kind == "str") {
        runtime_set_string(&v, text);
    } else if (kind == "null") {
        v.type = NPVariantType_Null;
    }
    return v;
}

NPObject* held_object(Instance* inst) { return inst->held.empty() ? nullptr : inst->held.front(); }

void step_getvalue(Instance* inst) {
    NPObject* object = nullptr;
    const NPError result = host().plugin.getvalue
                               ? host().plugin.getvalue(&inst->npp, NPPVpluginScriptableNPObject, &object)
                               : NPError(NPERR_GENERIC_ERROR);
    if (object) inst->held.push_back(object);
    log_line("getvalue %d result=%d object=#%d refs=%lu", inst->id, result, runtime_object_serial(object),
             object ? (unsigned long)object->referenceCount : 0ul);
}

void step_invoke(Instance* inst, const std::vector<std::string>& w) {
    NPObject* object = held_object(inst);
    if (w.size() < 3 || !runtime_object_alive(object)) {
        log_line("invoke %d: no object", inst->id);
        return;
    }
    std::vector<NPVariant> args;
    std::string shown;
    for (size_t i = 3; i < w.size(); ++i) {
        args.push_back(parse_arg(w[i]));
        if (i > 3) shown += ", ";
        shown += log_variant(args.back());
    }
    NPVariant result{};
    result.type = NPVariantType_Void;
    const bool ok = object->_class->invoke(object, runtime_string_identifier(w[2].c_str()), args.data(),
                                           uint32_t(args.size()), &result);
    log_line("invoke %d %s(%s) -> %s", inst->id, w[2].c_str(), shown.c_str(),
             ok ? log_variant(result).c_str() : "false");
    if (ok) runtime_release_variant(&result);
    for (auto& a : args) runtime_release_variant(&a);
}

void step_hasmethod(Instance* inst, const std::vector<std::string>& w) {
    NPObject* object = held_object(inst);
    if (w.size() < 3 || !runtime_object_alive(object)) {
        log_line("hasmethod %d: no object", inst->id);
        return;
    }
    const bool has = object->_class->hasMethod(object, runtime_string_identifier(w[2].c_str()));
    log_line("hasmethod %d %s -> %s", inst->id, w[2].c_str(), has ? "true" : "false");
}

void step_release(Instance* inst) {
    if (inst->held.empty()) return log_line("release %d: nothing held", inst->id);
    NPObject* object = inst->held.back();
    inst->held.pop_back();
    runtime_release(object);
}

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_owned(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<OwnedSearch*>(lp);
    if (s->owner && GetWindow(w, GW_OWNER) == s->owner) s->found.push_back(w);
    return TRUE;
}

// The top-level windows the plug-in window owns, in z-order. A pop-up made
// with a child window as its parent is owned by that child's top-level window.
std::vector<HWND> owned_windows(Instance* inst) {
    OwnedSearch s{inst->window ? GetAncestor(inst->window, GA_ROOT) : nullptr, {}};
    EnumWindows(collect_owned, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND first_popup(Instance* inst) {
    for (HWND w : owned_windows(inst))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

// The deepest visible child under the point, and the point in its client area.
// A disabled control takes no mouse input: its parent gets the click.
HWND target_at(Instance* inst, POINT* p) {
    if (HWND popup = has_popup_word ? first_popup(inst) : nullptr) return popup;
    HWND hwnd = inst->window;
    for (;;) {
        HWND child = ChildWindowFromPointEx(hwnd, *p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT | CWP_SKIPDISABLED);
        if (!child || child == hwnd) return hwnd;
        MapWindowPoints(hwnd, child, p, 1);
        hwnd = child;
    }
}

void set_modifiers(bool ctrl, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

void step_mouse(Instance* inst, const std::vector<std::string>& w) {
    if (w.size() < 4) return;
    POINT p{atoi(w[2].c_str()), atoi(w[3].c_str())};
    HWND target = target_at(inst, &p);
    const bool ctrl = has_word(w, "ctrl"), shift = has_word(w, "shift");
    set_modifiers(ctrl, shift);
    const WPARAM keys = (ctrl ? MK_CONTROL : 0) | (shift ? MK_SHIFT : 0);
    const LPARAM at = MAKELPARAM(p.x, p.y);
    const std::string& kind = w[0];
    SendMessageW(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (kind == "move") SendMessageW(target, WM_MOUSEMOVE, keys, at);
    if (kind == "down" || kind == "click" || kind == "dblclick")
        SendMessageW(target, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    if (kind == "up" || kind == "click" || kind == "dblclick") SendMessageW(target, WM_LBUTTONUP, keys, at);
    if (kind == "dblclick") {
        SendMessageW(target, WM_LBUTTONDBLCLK, keys | MK_LBUTTON, at);
        SendMessageW(target, WM_LBUTTONUP, keys, at);
    }
    if (kind == "rclick") {
        SendMessageW(target, WM_RBUTTONDOWN, keys | MK_RBUTTON, at);
        // The default handling of the release asks for the context menu, as with a real mouse.
        SendMessageW(target, WM_RBUTTONUP, keys, at);
    }
    wchar_t cls[64] = {};
    GetClassNameW(target, cls, 64);
    log_line("%s %d at %ld,%ld in %s", kind.c_str(), inst->id, long(p.x), long(p.y), utf8_from_wide(cls).c_str());
    set_modifiers(false, false);
}

UINT virtual_key(const std::string& name) {
    static const std::map<std::string, UINT> names = {
        {"PRIOR", VK_PRIOR}, {"NEXT", VK_NEXT},   {"END", VK_END},      {"HOME", VK_HOME},     {"LEFT", VK_LEFT},
        {"UP", VK_UP},       {"RIGHT", VK_RIGHT}, {"DOWN", VK_DOWN},    {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE},
        {"TAB", VK_TAB},     {"SPACE", VK_SPACE}, {"DELETE", VK_DELETE}};
    auto it = names.find(name);
    if (it != names.end()) return it->second;
    if (name.size() == 1) return UINT(toupper(static_cast<unsigned char>(name[0])));
    return UINT(strtoul(name.c_str(), nullptr, 0));
}

void step_key(Instance* inst, const std::vector<std::string>& w) {
    if (w.size() < 3) return;
    const UINT vk = virtual_key(w[2]);
    set_modifiers(has_word(w, "ctrl"), has_word(w, "shift"));
    HWND target = has_popup_word ? first_popup(inst) : inst->window;
    const LRESULT down = SendMessageW(target, WM_KEYDOWN, vk, 1);
    if (IsWindow(target)) SendMessageW(target, WM_KEYUP, vk, 0xC0000001);
    set_modifiers(false, false);
    log_line("key %d vk=%u result=%ld", inst->id, vk, long(down));
}

void step_wheel(Instance* inst, const std::vector<std::string>& w) {
    if (w.size() < 5) return;
    POINT p{atoi(w[3].c_str()), atoi(w[4].c_str())};
    HWND target = has_popup_word ? first_popup(inst) : inst->window;
    ClientToScreen(target, &p);  // the wheel message carries screen coordinates
    const bool ctrl = has_word(w, "ctrl");
    set_modifiers(ctrl, false);
    const int delta = atoi(w[2].c_str());
    SendMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(ctrl ? MK_CONTROL : 0, short(delta)), MAKELPARAM(p.x, p.y));
    log_line("wheel %d delta=%d", inst->id, delta);
    drain_messages();  // the plug-in passes the wheel on by posting it
    set_modifiers(false, false);
}

// Every window inside the plug-in's window that carries a text (the status
// line, for one), one line each.
BOOL CALLBACK log_window_text(HWND w, LPARAM id) {
    wchar_t cls[64] = {}, text[512] = {};
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, text, 512);
    if (text[0]) log_line("text %d %s \"%s\"", int(id), utf8_from_wide(cls).c_str(), utf8_from_wide(text).c_str());
    return TRUE;
}

void step_texts(Instance* inst) {
    if (inst->window) EnumChildWindows(inst->window, log_window_text, LPARAM(inst->id));
    log_line("texts %d done", inst->id);
}

// What a browser does for the keyboard's menu key: the context-menu request
// without a position.
void step_context_key(Instance* inst) {
    if (inst->window) SendMessageW(inst->window, WM_CONTEXTMENU, WPARAM(inst->window), MAKELPARAM(-1, -1));
}

void step_clipboard() {
    if (!OpenClipboard(nullptr)) {
        log_line("clipboard unavailable");
        return;
    }
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* text = static_cast<const wchar_t*>(GlobalLock(h))) {
            log_line("clipboard text %s", log_quote(utf8_from_wide(text)).c_str());
            GlobalUnlock(h);
        }
    } else if (HANDLE d = GetClipboardData(CF_DIB)) {
        if (auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(d))) {
            log_line("clipboard dib %ldx%ld bits=%u size=%lu", header->biWidth, header->biHeight,
                     unsigned(header->biBitCount), static_cast<unsigned long>(GlobalSize(d)));
            GlobalUnlock(d);
        }
    } else {
        log_line("clipboard empty");
    }
    CloseClipboard();
}

// The plug-in's controls, at any depth, by class and id, placed in the
// plug-in window's client coordinates.
BOOL CALLBACK log_control(HWND w, LPARAM lp) {
    auto* inst = reinterpret_cast<Instance*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    const std::string name = utf8_from_wide(cls);
    if (name != "Button" && name != "ComboBox" && name != "msctls_updown32") return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, inst->window, reinterpret_cast<POINT*>(&r), 2);
    std::string state = IsWindowEnabled(w) ? "" : " disabled";
    if (name == "Button" && SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED) state += " checked";
    if (name == "ComboBox") {
        wchar_t text[64] = {};
        GetWindowTextW(w, text, 64);
        state +=
            " items=" + std::to_string(SendMessageW(w, CB_GETCOUNT, 0, 0)) + " text=" + log_quote(utf8_from_wide(text));
    }
    log_line("control %d %s id=%d at %ld,%ld %ldx%ld%s", inst->id, name.c_str(), GetDlgCtrlID(w), long(r.left),
             long(r.top), long(r.right - r.left), long(r.bottom - r.top), state.c_str());
    return TRUE;
}

void step_controls(Instance* inst) {
    if (inst->window) EnumChildWindows(inst->window, log_control, reinterpret_cast<LPARAM>(inst));
    log_line("controls %d done", inst->id);
}

// What a user's choice in an open drop-down list leaves behind: the new
// selection, and the selection-change notice to the list's parent.
void step_pick(Instance* inst, const std::vector<std::string>& w) {
    if (w.size() < 5) return;
    POINT p{atoi(w[2].c_str()), atoi(w[3].c_str())};
    HWND list = target_at(inst, &p);
    wchar_t cls[64] = {};
    GetClassNameW(list, cls, 64);
    if (lstrcmpiW(cls, L"ComboBox") != 0) {
        log_line("pick %d: no list there", inst->id);
        return;
    }
    const int index = atoi(w[4].c_str());
    SendMessageW(list, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), LPARAM(list));
    log_line("pick %d entry %d", inst->id, index);
}

void step_children(Instance* inst) {
    static std::map<HWND, int> serials;  // a recreated window gets a new number
    std::string out;
    for (HWND c = GetWindow(inst->window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(c, cls, 64);
        auto it = serials.find(c);
        if (it == serials.end()) it = serials.emplace(c, int(serials.size()) + 1).first;
        char serial[16];
        snprintf(serial, sizeof serial, "#%d", it->second);
        out += ' ';
        out += utf8_from_wide(cls);
        out += serial;
        if (!IsWindowVisible(c)) out += "(hidden)";
    }
    log_line("children %d:%s", inst->id, out.c_str());
}

void step_setwindow(Instance* inst, const std::vector<std::string>& w) {
    if (has_word(w, "new")) instance_new_window(inst);
    if (has_word(w, "null")) inst->np_window.window = nullptr;
    else
        inst->np_window.window = inst->window;
    instance_set_window(inst);
}

// What the plug-in window shows at a point, children included.
void step_pixel(Instance* inst, const std::vector<std::string>& w) {
    unsigned rgb = 0;
    const int x = atoi(w[2].c_str()), y = atoi(w[3].c_str());
    if (window_pixel(has_popup_word ? first_popup(inst) : inst->window, x, y, &rgb))
        log_line("pixel %d at %d,%d = %06x", inst->id, x, y, rgb);
    else
        log_line("pixel %d at %d,%d unavailable", inst->id, x, y);
}

// Owned pop-ups with their class, title, window rectangle, client size and
// the styles that matter for placement.
void step_popups(Instance* inst) {
    std::string out;
    for (HWND h : owned_windows(inst)) {
        wchar_t cls[64] = {}, title[64] = {};
        GetClassNameW(h, cls, 64);
        GetWindowTextW(h, title, 64);
        RECT r{}, c{};
        GetWindowRect(h, &r);
        GetClientRect(h, &c);
        const LONG style = GetWindowLongW(h, GWL_STYLE), ex = GetWindowLongW(h, GWL_EXSTYLE);
        char line[256];
        snprintf(line, sizeof line, " %s \"%s\" at %ld,%ld %ldx%ld client %ldx%ld%s%s%s", utf8_from_wide(cls).c_str(),
                 utf8_from_wide(title).c_str(), long(r.left), long(r.top), long(r.right - r.left),
                 long(r.bottom - r.top), long(c.right), long(c.bottom), (style & WS_DLGFRAME) ? " framed" : "",
                 (ex & WS_EX_TOPMOST) ? " topmost" : "", IsWindowVisible(h) ? "" : " hidden");
        out += line;
    }
    log_line("popups %d:%s", inst->id, out.c_str());
}

void step_cursor() {
    POINT p{};
    RECT clip{};
    GetCursorPos(&p);
    GetClipCursor(&clip);
    log_line("cursor at %ld,%ld clip %ld,%ld-%ld,%ld", long(p.x), long(p.y), long(clip.left), long(clip.top),
             long(clip.right), long(clip.bottom));
}

// The page throws the plug-in's window away before telling the instance.
void step_close_window(Instance* inst) {
    if (inst->window) DestroyWindow(inst->window);
    inst->window = nullptr;
    log_line("closewindow %d", inst->id);
}

bool run(const std::vector<std::string>& w, Instance* inst) {
    const std::string& s = w[0];
    if (s == "getvalue") step_getvalue(inst);
    else if (s == "invoke")
        step_invoke(inst, w);
    else if (s == "hasmethod")
        step_hasmethod(inst, w);
    else if (s == "release")
        step_release(inst);
    else if (s == "destroy")
        instance_destroy(inst);
    else if (s == "stream" && w.size() > 2)
        stream_queue(inst, w[2], nullptr, false);
    else if (s == "setwindow")
        step_setwindow(inst, w);
    else if (s == "children")
        step_children(inst);
    else if (s == "popups")
        step_popups(inst);
    else if (s == "controls")
        step_controls(inst);
    else if (s == "pick")
        step_pick(inst, w);
    else if (s == "texts")
        step_texts(inst);
    else if (s == "contextkey")
        step_context_key(inst);
    else if (s == "closewindow")
        step_close_window(inst);
    else if (s == "resize" && w.size() > 3)
        instance_resize(inst, atoi(w[2].c_str()), atoi(w[3].c_str()));
    else if (s == "screenshot" && w.size() > 2)
        log_line("screenshot %d %s", inst->id,
                 screenshot_window(inst->window, wide_from_utf8(w[2])) ? "written" : "failed");
    else if (s == "pixel" && w.size() > 3)
        step_pixel(inst, w);
    else if (s == "key")
        step_key(inst, w);
    else if (s == "wheel")
        step_wheel(inst, w);
    else if (s == "click" || s == "dblclick" || s == "rclick" || s == "down" || s == "up" || s == "move")
        step_mouse(inst, w);
    else
        return false;
    return true;
}
}  // namespace

// Inside a modal loop nothing is drained: the loop itself runs the messages,
// and the answerers' timers must not fire again beneath us.
void step_run_during(const char* what) {
    std::vector<std::pair<std::string, std::string>> now, later;
    for (auto& armed : g_during) (armed.first.empty() || armed.first == what ? now : later).push_back(armed);
    g_during.swap(later);
    for (const auto& [kind, line] : now) {
        const std::vector<std::string> w = split(line);
        Instance* inst = w.size() > 1 ? instance_by_id(atoi(w[1].c_str())) : nullptr;
        log_line("during %s: %s", what, line.c_str());
        if (!inst || !run(w, inst)) log_line("error during step: %s", line.c_str());
    }
}

bool step_run(const std::string& line) {
    const std::vector<std::string> w = split(line);
    if (w.empty()) return true;
    log_line("step %s", line.c_str());
    if (w[0] == "during" && w.size() > 2) {
        const bool kind = w[1] == "menu" || w[1] == "dialog" || w[1] == "call";
        const std::string rest = line.substr(line.find(w[1], line.find("during") + 6));
        g_during.emplace_back(kind ? w[1] : "", kind ? rest.substr(w[1].size() + 1) : rest);
        return true;
    }
    if (w[0] == "drain") {
        drain_messages();
        return true;
    }
    if (w[0] == "function" && w.size() > 1) {
        page_declare_function(w[1], has_word(w, "fail"));
        return true;
    }
    if (w[0] == "answer" && w.size() > 1) {
        // A number presses the dialog's button of that id (when it has one).
        const int id = atoi(w[1].c_str());
        modal_set_answer(w[1] == "cancel" ? IDCANCEL
                         : w[1] == "yes"  ? IDYES
                         : w[1] == "no"   ? IDNO
                         : id > 0         ? id
                                          : IDOK);
        return true;
    }
    if (w[0] == "menu" && w.size() > 1) {
        menu_answer_arm(w[1] == "cancel" ? 0 : atoi(w[1].c_str()), has_word(w, "show"));
        return true;
    }
    if (w[0] == "clipboard") {
        step_clipboard();
        return true;
    }
    if (w[0] == "cursor") {
        step_cursor();
        return true;
    }
    if (w[0] == "dialogshot" && w.size() > 1) {
        modal_shoot_next(wide_from_utf8(w[1]));
        return true;
    }
    Instance* inst = w.size() > 1 ? instance_by_id(atoi(w[1].c_str())) : nullptr;
    if (!inst) {
        log_line("error step needs an instance: %s", line.c_str());
        return false;
    }
    has_popup_word = has_word(w, "popup");
    const bool known = run(w, inst);
    has_popup_word = false;
    if (!known) {
        log_line("error unknown step: %s", line.c_str());
        return false;
    }
    drain_messages();
    return true;
}
