#include "host/viewer_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/viewer.h"

namespace {
Viewer* make() {
    Viewer* v = nullptr;
    ViewerCreateArgs a;
    EXPECT_EQ(viewer_create(a, &v), kNpErrNone);
    return v;
}

// Records kept apart after their release, as the debugging host does, so a
// new viewer cannot land on a freed one's address by accident and a test can
// place one there on purpose.
std::vector<void*> g_kept;
void* reuse_first(size_t size) { return g_kept.empty() ? ::operator new(size) : g_kept.front(); }
void keep(void* p, size_t) { g_kept.push_back(p); }
}  // namespace

TEST(ViewerRegistry, HandleFollowsTheViewerAndNotItsAddress) {
    Viewer* a = make();
    const ViewerHandle h(a);
    EXPECT_EQ(h.get(), a);
    EXPECT_FALSE(ViewerHandle().alive());
    EXPECT_FALSE(ViewerHandle(nullptr).alive());

    viewer_set_memory({reuse_first, keep});
    Viewer* b = make();
    const ViewerHandle hb(b);
    viewer_free(b);
    EXPECT_FALSE(hb.alive());
    Viewer* c = make();  // built in b's very record
    ASSERT_EQ(static_cast<void*>(c), static_cast<void*>(b));
    EXPECT_EQ(hb.get(), nullptr);  // same address, another viewer
    EXPECT_EQ(ViewerHandle(c).get(), c);
    viewer_free(c);
    viewer_set_memory({});
    ::operator delete(g_kept.front());  // b and c: one record
    g_kept.clear();

    EXPECT_EQ(h.get(), a);
    viewer_free(a);
    EXPECT_EQ(h.get(), nullptr);
}

TEST(ViewerRegistry, EveryViewerLivesFromConstructionToDestruction) {
    ViewerHandle h;
    {
        Viewer on_stack;
        h = ViewerHandle(&on_stack);
        EXPECT_EQ(h.get(), &on_stack);
        Viewer copy = on_stack;  // another viewer, not a second name for the first
        EXPECT_EQ(ViewerHandle(&copy).get(), &copy);
        viewer_registry_remove(&on_stack);  // as a test acts out NPP_Destroy
        EXPECT_FALSE(h.alive());
        EXPECT_TRUE(ViewerHandle(&copy).alive());
        viewer_registry_add(&on_stack);
        EXPECT_FALSE(h.alive());  // back as a new viewer: old handles stay dead
        h = ViewerHandle(&on_stack);
        EXPECT_TRUE(h.alive());
    }
    EXPECT_FALSE(h.alive());
}

TEST(ViewerRegistry, BusyScopeRefusesNestingAndLeavesAFreedViewerAlone) {
    Viewer* v = make();
    {
        ViewerBusyScope outer(v);
        EXPECT_TRUE(outer.entered());
        EXPECT_EQ(v->busy, 1);
        ViewerBusyScope inner(v);
        EXPECT_FALSE(inner.entered());
        EXPECT_EQ(inner.viewer(), v);
    }
    EXPECT_EQ(v->busy, 0);  // the inner scope did not clear the outer's mark early

    viewer_set_memory({[](size_t size) { return ::operator new(size); }, keep});
    Viewer* w = make();
    {
        ViewerBusyScope scope(w);
        viewer_free(w);  // the page removed the element inside the loop
        std::memset(static_cast<void*>(w), 0xA5, sizeof(Viewer));
        EXPECT_EQ(scope.viewer(), nullptr);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(w);
    for (size_t i = 0; i < sizeof(Viewer); ++i) ASSERT_EQ(bytes[i], 0xA5) << "the scope wrote at byte " << i;
    viewer_set_memory({});
    for (void* p : g_kept) ::operator delete(p);
    g_kept.clear();
    viewer_free(v);
}
