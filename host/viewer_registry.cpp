#include "host/viewer_registry.h"

#include <algorithm>
#include <new>
#include <vector>

#include "host/viewer.h"

namespace {
// Few viewers live at once (one per embed on the open pages), so a list
// searched from the front is as quick as anything cleverer.
std::vector<const ViewerLife*> g_live;
uint64_t g_next_serial = 1;
ViewerMemory g_memory;

void forget(const ViewerLife* life) { g_live.erase(std::remove(g_live.begin(), g_live.end(), life), g_live.end()); }
}  // namespace

ViewerLife::ViewerLife() : serial_(g_next_serial++) { g_live.push_back(this); }
ViewerLife::ViewerLife(const ViewerLife&) : ViewerLife() {}
ViewerLife::~ViewerLife() { forget(this); }

ViewerHandle::ViewerHandle(const Viewer* v)
    : v_(const_cast<Viewer*>(v)), life_(v ? &v->life : nullptr), serial_(v ? v->life.serial() : 0) {}

Viewer* ViewerHandle::get() const {
    if (!life_) return nullptr;
    // Only live records are read: the address is compared first.
    for (const ViewerLife* life : g_live)
        if (life == life_ && life->serial() == serial_) return v_;
    return nullptr;
}

ViewerBusyScope::ViewerBusyScope(Viewer* v) : handle_(v), entered_(v && !v->busy) {
    if (entered_) v->busy = 1;
}

ViewerBusyScope::~ViewerBusyScope() {
    if (!entered_) return;
    if (Viewer* v = handle_.get()) v->busy = 0;
}

void viewer_registry_remove(Viewer* v) {
    if (v) forget(&v->life);
}

void viewer_registry_add(Viewer* v) {
    if (!v || std::find(g_live.begin(), g_live.end(), &v->life) != g_live.end()) return;
    v->life.serial_ = g_next_serial++;
    g_live.push_back(&v->life);
}

void viewer_set_memory(const ViewerMemory& m) { g_memory = m; }

void* viewer_memory_allocate(size_t size) {
    return g_memory.allocate ? g_memory.allocate(size) : ::operator new(size, std::nothrow);
}

void viewer_memory_release(void* p, size_t size) {
    if (!p) return;
    if (g_memory.release) g_memory.release(p, size);
    else
        ::operator delete(p);
}
