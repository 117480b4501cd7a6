// The built module, loaded as a browser loads it: start-up, its resources and
// shutdown.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/npapi.h"

namespace {
using InitializeFn = NPError(__stdcall*)(NPNetscapeFuncs*);
using ShutdownFn = NPError(__stdcall*)();

template <class F>
F entry(HMODULE m, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

class BuiltModule : public ::testing::Test {
protected:
    void SetUp() override {
        dll = LoadLibraryA(VL_BINARY_DIR "/npvellarion.dll");
        ASSERT_NE(dll, nullptr);
    }
    void TearDown() override { FreeLibrary(dll); }
    bool has_class(const wchar_t* name) {
        WNDCLASSW wc{};
        return GetClassInfoW(dll, name, &wc) != 0;
    }
    HMODULE dll = nullptr;
};
}  // namespace

TEST_F(BuiltModule, WindowClassesLiveFromInitializeToShutdown) {
    NPNetscapeFuncs browser{};  // a browser without scripting is enough to start
    browser.size = offsetof(NPNetscapeFuncs, getstringidentifier);
    browser.version = 27;
    ASSERT_EQ(entry<InitializeFn>(dll, "NP_Initialize")(&browser), NPERR_NO_ERROR);
    EXPECT_TRUE(has_class(L"ZEBTiff1Class"));
    EXPECT_TRUE(has_class(L"ZEBTiffTClass"));
    EXPECT_TRUE(has_class(L"ZEBTiffZClass"));
    ASSERT_EQ(entry<ShutdownFn>(dll, "NP_Shutdown")(), NPERR_NO_ERROR);
    // Windows keeps a DLL's classes after it is unloaded; the shutdown must
    // release them itself or a reloaded module cannot register them again.
    EXPECT_FALSE(has_class(L"ZEBTiff1Class"));
    EXPECT_FALSE(has_class(L"ZEBTiffTClass"));
    EXPECT_FALSE(has_class(L"ZEBTiffZClass"));
}

TEST_F(BuiltModule, CursorsAreMonochromeCursorsWithTheirHotSpots) {
    struct Expected {
        const wchar_t* name;
        DWORD x, y;
    };
    const Expected cursors[] = {{L"HOTSPOT2", 6, 1}, {L"MAGNIFY", 6, 6},     {L"CUR_PAN1", 8, 8},
                                {L"CUR_PAN2", 8, 8}, {L"CUR_PENCIL", 0, 15}, {L"CUR_ERASER", 1, 14}};
    for (const Expected& c : cursors) {
        HCURSOR cursor = LoadCursorW(dll, c.name);
        ASSERT_NE(cursor, nullptr) << "missing " << c.name;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.x);
        EXPECT_EQ(info.yHotspot, c.y);
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, 64);  // a monochrome cursor keeps both planes in its mask
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}
