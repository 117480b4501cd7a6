#include "host/win/viewer_quarantine.h"

#include <windows.h>

#include <cstring>

#include "host/viewer_registry.h"

namespace {
void* allocate_pages(size_t size) { return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

// The pages stay reserved for the life of the process, so no later
// allocation can reuse the address and make a stale pointer valid again.
void quarantine_pages(void* p, size_t size) {
    std::memset(p, 0xDD, size);
    DWORD old = 0;
    VirtualProtect(p, size, PAGE_NOACCESS, &old);
}
}  // namespace

void viewer_quarantine_from_environment() {
    if (GetEnvironmentVariableW(L"VELLARION_QUARANTINE_VIEWERS", nullptr, 0) == 0) return;
    ViewerMemory m;
    m.allocate = allocate_pages;
    m.release = quarantine_pages;
    viewer_set_memory(m);
}
