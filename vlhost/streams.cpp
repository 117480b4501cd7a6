// Streams of local files, delivered as a browser does: NPP_NewStream, then
// NPP_WriteReady / NPP_Write in chunks, then NPP_DestroyStream; a stream the
// plug-in refuses gets no NPP_DestroyStream. Delivery never happens inside the
// plug-in's own call (NPN_GetURL): it is queued for the message loop.
#include <cstdio>
#include <deque>
#include <vector>

#include "vlhost/host.h"
#include "vlhost/log.h"

namespace {
struct Pending {
    int instance;
    std::string url;
    void* notify_data;
    bool notify;
};
std::deque<Pending> g_pending;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool read_file(const std::string& path, std::vector<char>* out) {
    FILE* f = _wfopen(wide_from_utf8(path).c_str(), L"rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
    fclose(f);
    return true;
}

// Writes until the data is taken, the plug-in refuses (negative) or stalls.
NPReason write_all(Instance* inst, NPStream* stream, const std::vector<char>& data) {
    const StreamOptions& o = host().options.stream;
    const size_t limit = o.stop_after >= 0 && size_t(o.stop_after) < data.size() ? size_t(o.stop_after) : data.size();
    size_t offset = 0, turn = 0;
    int stalls = 0;
    while (offset < limit) {
        const int32_t ready = host().plugin.writeready(&inst->npp, stream);
        int32_t len = o.chunks[turn++ % o.chunks.size()];
        if (size_t(len) > limit - offset) len = int32_t(limit - offset);
        if (ready < len) len = ready;
        const int32_t taken = len > 0 ? host().plugin.write(&inst->npp, stream, int32_t(offset), len,
                                                            const_cast<char*>(data.data() + offset))
                                      : 0;
        log_line("write %d offset=%lu len=%ld ready=%ld taken=%ld", inst->id, (unsigned long)offset, long(len),
                 long(ready), long(taken));
        if (taken < 0) return NPRES_NETWORK_ERR;
        if (taken == 0 && ++stalls >= 3) {
            log_line("stream %d stalled", inst->id);
            return NPRES_USER_BREAK;
        }
        if (taken > 0) stalls = 0;
        offset += size_t(taken > len ? len : taken);
        if (stream->end && offset > stream->end) stream->end = uint32_t(offset);  // more than announced
    }
    return offset < data.size() && o.end_reason == NPRES_DONE ? NPRES_NETWORK_ERR : o.end_reason;
}

bool is_src(const Instance* inst, const std::string& url) {
    const auto& setups = host().options.instances;
    if (inst->id < 1 || size_t(inst->id) > setups.size()) return false;
    for (const auto& [name, value] : setups[size_t(inst->id) - 1].params)
        if (_stricmp(name.c_str(), "src") == 0 && value == url) return true;
    return false;
}

void deliver(const Pending& p) {
    Instance* inst = instance_by_id(p.instance);
    if (!inst || !inst->alive) return;
    const Host& h = host();
    std::vector<char> data;
    std::string path = path_from_url(p.url);
    if (!h.options.file.empty() && is_src(inst, p.url)) path = h.options.file;
    if (path.empty() || !read_file(path, &data)) {
        log_line("stream %d url=%s failed: not a readable local file", inst->id, log_quote(p.url).c_str());
        if (p.notify && h.plugin.urlnotify)
            h.plugin.urlnotify(&inst->npp, p.url.c_str(), NPRES_NETWORK_ERR, p.notify_data);
        return;
    }
    NPStream stream{};
    stream.url = p.url.c_str();
    stream.end = h.options.stream.length == LengthMode::kTrue   ? uint32_t(data.size())
                 : h.options.stream.length == LengthMode::kNone ? 0
                                                                : h.options.stream.fixed_length;
    stream.notifyData = p.notify_data;
    uint16_t stype = NP_NORMAL;
    std::string mime = mime_for_path(path);
    const NPError opened = h.plugin.newstream(&inst->npp, mime.data(), &stream, 0, &stype);
    log_line("newstream %d url=%s type=%s end=%lu result=%d stype=%u", inst->id, log_quote(p.url).c_str(), mime.c_str(),
             (unsigned long)stream.end, opened, stype);
    if (opened != NPERR_NO_ERROR) {
        if (p.notify && h.plugin.urlnotify)
            h.plugin.urlnotify(&inst->npp, p.url.c_str(), NPRES_NETWORK_ERR, p.notify_data);
        return;
    }
    const NPReason reason = write_all(inst, &stream, data);
    if (!inst->alive) return;
    LARGE_INTEGER t0, t1, freq;
    QueryPerformanceCounter(&t0);
    const NPError closed = h.plugin.destroystream(&inst->npp, &stream, reason);
    log_line("destroystream %d reason=%d result=%d", inst->id, reason, closed);
    if (h.options.timing && inst->window) {
        // The end of the stream to the end of the first paint that follows it.
        RedrawWindow(inst->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        QueryPerformanceCounter(&t1);
        QueryPerformanceFrequency(&freq);
        log_line("timing %d end-of-stream to painted: %.1f ms", inst->id,
                 double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(freq.QuadPart));
    }
    if (p.notify && h.plugin.urlnotify) h.plugin.urlnotify(&inst->npp, p.url.c_str(), reason, p.notify_data);
}
}  // namespace

void stream_queue(Instance* inst, const std::string& url, void* notify_data, bool notify) {
    g_pending.push_back(Pending{inst->id, url, notify_data, notify});
    PostMessageW(host().page, WM_NULL, 0, 0);  // wake the loop
}

bool stream_deliver_pending() {
    if (g_pending.empty()) return false;
    const Pending p = g_pending.front();
    g_pending.pop_front();
    deliver(p);
    return true;
}

// A plain path, or a file: URL (file:///C:/x/y.tif, file:///tmp/y.tif), with %xx escapes.
std::string path_from_url(const std::string& url) {
    if (url.rfind("http:", 0) == 0 || url.rfind("https:", 0) == 0) return {};
    if (url.rfind("file:", 0) != 0) return url;
    std::string rest = url.substr(5);
    if (rest.rfind("///", 0) == 0) rest = rest.substr(3);
    else if (rest.rfind("//localhost/", 0) == 0)
        rest = rest.substr(12);
    std::string out;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hex_digit(rest[i + 1]) >= 0 && hex_digit(rest[i + 2]) >= 0) {
            out += char(hex_digit(rest[i + 1]) * 16 + hex_digit(rest[i + 2]));
            i += 2;
        } else {
            out += rest[i];
        }
    }
    // "C:/x" stays a drive path; "tmp/y" was an absolute Unix path, reached through Z:.
    if (!(out.size() > 1 && out[1] == ':')) out = "/" + out;
    return out;
}
