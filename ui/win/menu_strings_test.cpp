#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "ui/commands.h"
#include "ui/context_menu.h"

namespace {
// The plug-in DLL beside this program, for its string table.
HINSTANCE plugin_module() {
    static HINSTANCE module = [] {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wcscpy(wcsrchr(path, L'\\') + 1, L"npvellarion.dll");
        return HINSTANCE(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }();
    return module;
}

// The menu is built from the string table, the tests and the command line
// read the core's table: they must say the same, character for character.
TEST(MenuStrings, TheResourceTableMatchesEveryMenuText) {
    ASSERT_NE(plugin_module(), nullptr);
    MenuState s;
    s.page_has_marks = s.has_href = s.has_upload_url = s.allow_select = s.crop_select = true;
    const ContextMenu m = context_menu_build(s);
    int checked = 0;
    for (const auto& menu : m.menus)
        for (const MenuEntry& e : menu) {
            if (e.kind == MenuEntryKind::kSeparator) continue;
            wchar_t text[128] = {};
            ASSERT_GT(LoadStringW(plugin_module(), UINT(e.id), text, 128), 0) << e.id;
            EXPECT_EQ(text_to_utf8(reinterpret_cast<const char16_t*>(text)), text_to_utf8(command_text(e.id))) << e.id;
            ++checked;
        }
    EXPECT_EQ(checked, 83);
}
}  // namespace
