#include "host/win/npp_slots.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NppSlots, CallsWithoutAViewerAreRefusedNotFollowed) {
    NPPluginFuncs f{};
    f.size = sizeof f;
    npp_fill_table(&f);
    NPP_t empty{nullptr, nullptr};
    NPStream stream{};
    NPObject* object = reinterpret_cast<NPObject*>(&stream);  // must not be touched
    uint16_t stype = 0;
    char data[4] = {};
    EXPECT_EQ(f.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.destroy(&empty, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.setwindow(&empty, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.newstream(&empty, nullptr, &stream, 0, &stype), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.destroystream(&empty, &stream, NPRES_DONE), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.write(&empty, &stream, 0, 4, data), -1);
    EXPECT_EQ(f.getvalue(&empty, NPPVpluginScriptableNPObject, &object), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(f.writeready(&empty, &stream), 0x0FFFFFFF);
    EXPECT_EQ(f.event(&empty, nullptr), 0);
    EXPECT_EQ(f.setvalue(&empty, NPNVjavascriptEnabledBool, nullptr), NPERR_NO_ERROR);
    f.print(&empty, nullptr);  // nothing to print with, nothing happens
}

TEST(NppSlots, PrinterContextMovedWithTheWindowRecord) {
    NPPrint print{};
    std::memset(&print, 0, sizeof print);
    print.mode = NP_EMBED;
    void* const current = reinterpret_cast<void*>(0x1234);
    void* const old = reinterpret_cast<void*>(0x5678);
    print.print.embedPrint.platformPrint = current;
    std::memcpy(reinterpret_cast<char*>(&print.print.embedPrint.window) + offsetof(NPWindow, type), &old, sizeof old);
    EXPECT_EQ(npp_print_dc(&print, 0, 11), current);
    EXPECT_EQ(npp_print_dc(&print, 1, 0), current);
    EXPECT_EQ(npp_print_dc(&print, 0, 10), old);  // before the window record had a type
    EXPECT_EQ(npp_print_dc(nullptr, 0, 27), nullptr);
}
