// The page: a top-level window holding one child window per embed (stacked
// top to bottom), or one child filling it in full-page mode. Each child is
// handed to its instance through NPP_SetWindow, as a windowed browser does.
#include "vlhost/host.h"
#include "vlhost/log.h"
#include "vlhost/npruntime.h"

namespace {
constexpr wchar_t kPageClass[] = L"VlHostPage";
constexpr wchar_t kEmbedClass[] = L"VlHostEmbed";
constexpr int kMargin = 10;

LRESULT CALLBACK page_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        host().page = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The bottom of the lowest embed: where the next one goes.
int next_embed_top(const Host& h) {
    int top = kMargin;
    for (const auto& inst : h.instances) {
        if (!inst->window) continue;
        RECT r;
        GetWindowRect(inst->window, &r);
        MapWindowPoints(nullptr, h.page, reinterpret_cast<POINT*>(&r), 2);
        if (r.bottom + kMargin > top) top = r.bottom + kMargin;
    }
    return top;
}

void fit_page(Host& h) {
    if (h.options.full_page) return;
    int width = 0, height = next_embed_top(h);
    for (const auto& inst : h.instances)
        if (inst->window && int(inst->np_window.width) + 2 * kMargin > width)
            width = inst->np_window.width + 2 * kMargin;
    RECT r{0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(h.page, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

std::vector<char*> c_strings(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (auto& t : texts) out.push_back(t.data());
    return out;
}
}  // namespace

bool page_create(Host& h) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = page_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPageClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kEmbedClass;
    RegisterClassW(&wc);
    const InstanceSetup& first = h.options.instances.front();
    RECT r{0, 0, first.width + (h.options.full_page ? 0 : 2 * kMargin),
           first.height + (h.options.full_page ? 0 : 2 * kMargin)};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    h.page = CreateWindowExW(0, kPageClass, L"vlhost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h.page) return false;
    ShowWindow(h.page, SW_SHOWNORMAL);
    return true;
}

Instance* instance_create(Host& h, const InstanceSetup& setup) {
    auto owned = std::make_unique<Instance>();
    Instance* inst = owned.get();
    inst->id = int(h.instances.size()) + 1;
    inst->mime = h.options.mime;
    h.instances.push_back(std::move(owned));
    const bool full = h.options.full_page;
    inst->np_window.x = full ? 0 : kMargin;
    inst->np_window.y = full ? 0 : next_embed_top(h);
    inst->np_window.width = setup.width;
    inst->np_window.height = setup.height;
    inst->np_window.clipRect = NPRect{0, 0, uint16_t(setup.height), uint16_t(setup.width)};
    inst->np_window.type = NPWindowTypeWindow;
    instance_new_window(inst);
    fit_page(h);

    std::vector<std::string> names, values;
    for (const auto& [n, v] : setup.params) {
        names.push_back(n);
        values.push_back(v);
    }
    auto argn = c_strings(names), argv = c_strings(values);
    std::string mime = inst->mime;
    NPError result = NPERR_GENERIC_ERROR;
    if (h.plugin.newp)
        result = h.plugin.newp(mime.data(), &inst->npp, full ? NP_FULL : NP_EMBED, int16_t(argn.size()), argn.data(),
                               argv.data(), nullptr);
    inst->alive = result == NPERR_NO_ERROR;
    log_line("new %d mode=%s params=%d result=%d", inst->id, full ? "full" : "embed", int(argn.size()), result);
    if (!inst->alive) return inst;
    instance_set_window(inst);
    for (const auto& [n, v] : setup.params)
        if (_stricmp(n.c_str(), "src") == 0 && !v.empty()) stream_queue(inst, v, nullptr, false);
    return inst;
}

void instance_new_window(Instance* inst) {
    if (inst->window) DestroyWindow(inst->window);
    const NPWindow& w = inst->np_window;
    inst->window =
        CreateWindowExW(0, kEmbedClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, w.x, w.y,
                        int(w.width), int(w.height), host().page, nullptr, GetModuleHandleW(nullptr), nullptr);
    inst->np_window.window = inst->window;
}

NPError instance_set_window(Instance* inst) {
    if (!inst->alive || !host().plugin.setwindow) return NPERR_INVALID_INSTANCE_ERROR;
    const NPError result = host().plugin.setwindow(&inst->npp, &inst->np_window);
    log_line("setwindow %d size=%lux%lu result=%d", inst->id, (unsigned long)inst->np_window.width,
             (unsigned long)inst->np_window.height, result);
    return result;
}

void instance_resize(Instance* inst, int width, int height) {
    SetWindowPos(inst->window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    inst->np_window.width = width;
    inst->np_window.height = height;
    inst->np_window.clipRect = NPRect{0, 0, uint16_t(height), uint16_t(width)};
    fit_page(host());
    instance_set_window(inst);
}

NPError instance_destroy(Instance* inst) {
    if (!inst->alive) return NPERR_INVALID_INSTANCE_ERROR;
    const NPError result =
        host().plugin.destroy ? host().plugin.destroy(&inst->npp, nullptr) : NPError(NPERR_GENERIC_ERROR);
    inst->alive = false;
    log_line("destroy %d result=%d pdata=%s", inst->id, result, inst->npp.pdata ? "kept" : "cleared");
    if (inst->window) DestroyWindow(inst->window);
    inst->window = nullptr;
    return result;
}

void page_destroy(Host& h) {
    for (auto& inst : h.instances)
        if (inst->alive) instance_destroy(inst.get());
    // The page lets go of the plug-in's objects it still holds only now, as
    // a browser does when the page's script context goes away.
    for (auto& inst : h.instances) {
        for (NPObject* o : inst->held) runtime_release(o);
        inst->held.clear();
    }
    if (h.page) DestroyWindow(h.page);
    h.page = nullptr;
}

Instance* instance_by_id(int id) {
    for (auto& inst : host().instances)
        if (inst->id == id) return inst.get();
    return nullptr;
}

Instance* instance_of(NPP npp) {
    for (auto& inst : host().instances)
        if (&inst->npp == npp) return inst.get();
    return nullptr;
}

int instance_id(NPP npp) {
    Instance* inst = instance_of(npp);
    return inst ? inst->id : 0;
}
