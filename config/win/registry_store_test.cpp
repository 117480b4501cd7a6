#include "config/win/registry_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "config/settings.h"

namespace {
// The tests own the product keys of the test prefix while they run.
void wipe_keys() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryLowKeyPath);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRegistryKeyPath);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRegistryKeyPath);
}

void put_dword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD v) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    RegCloseKey(k);
}

bool get_dword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* v) {
    DWORD size = sizeof *v, type = 0;
    return RegGetValueW(root, path, name, RRF_RT_ANY, &type, v, &size) == ERROR_SUCCESS && type == REG_DWORD;
}

struct RegistryTest : ::testing::Test {
    void SetUp() override {
        wipe_keys();
        settings_forget_low_integrity();
    }
    void TearDown() override {
        wipe_keys();
        settings_forget_low_integrity();
    }
};
}  // namespace

TEST_F(RegistryTest, ReadsMachineThenUserAndOrsAccess) {
    put_dword(HKEY_LOCAL_MACHINE, kRegistryKeyPath, L"access", 0x4);
    put_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"access", 0x8);
    put_dword(HKEY_LOCAL_MACHINE, kRegistryKeyPath, L"pansens", 1);
    put_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"pansens", 3);
    put_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"tbbuttonsize", 500);
    HKEY k;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    const wchar_t loc[] = L"12";  // one number only: ignored
    RegSetValueExW(k, L"zoomloc", 0, REG_SZ, reinterpret_cast<const BYTE*>(loc), sizeof loc);
    const BYTE three[3] = {1, 2, 3};  // a DWORD of the wrong size: ignored
    RegSetValueExW(k, L"bgcolor", 0, REG_DWORD, three, 3);
    RegCloseKey(k);
    Settings s;
    settings_load(registry_settings_store(), &s);
    EXPECT_EQ(s.access, 0xCu);
    EXPECT_EQ(s.pansens, 3);
    EXPECT_EQ(s.toolbar_height, 104);
    EXPECT_EQ(s.zoomloc_x, 0);
    EXPECT_EQ(s.bgcolor, 0x404040u);
}

TEST_F(RegistryTest, SavesToTheUserKey) {
    Settings s;
    settings_load(registry_settings_store(), &s);
    s.view.negative = 1;
    s.pansens = 5;
    ASSERT_TRUE(settings_save(registry_settings_store(), s, s.view, 0, 0x3, nullptr));
    DWORD v = 0;
    ASSERT_TRUE(get_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"negative", &v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(get_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"pansens", &v));
    EXPECT_EQ(v, 5u);
    wchar_t loc[16];
    DWORD size = sizeof loc;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kRegistryKeyPath, L"zoomloc", RRF_RT_REG_SZ, nullptr, loc, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(loc, L"0,0");
}

TEST_F(RegistryTest, LowIntegrityKeyTakesWritesAndIsReadLast) {
    put_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"pansens", 3);
    put_dword(HKEY_CURRENT_USER, kRegistryLowKeyPath, L"pansens", 4);
    Settings s;
    settings_load(registry_settings_store(), &s);
    EXPECT_EQ(s.pansens, 4);
    s.view.negative = 1;
    ASSERT_TRUE(settings_save(registry_settings_store(), s, s.view, 0, 0x3, nullptr));
    DWORD v = 0;
    EXPECT_FALSE(get_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"negative", &v));
    ASSERT_TRUE(get_dword(HKEY_CURRENT_USER, kRegistryLowKeyPath, L"negative", &v));
    EXPECT_EQ(v, 1u);
    // A later load still reads the ordinary key first and the low copy last.
    put_dword(HKEY_CURRENT_USER, kRegistryKeyPath, L"negative", 0);
    Settings again;
    settings_load(registry_settings_store(), &again);
    EXPECT_EQ(again.view.negative, 1);
}

TEST_F(RegistryTest, UserValueWriteAndDelete) {
    ASSERT_EQ(settings_write_user_dword(registry_settings_store(), u"updatelastchecked", 1234), 0);
    uint32_t v = 0;
    bool low = true;
    ASSERT_TRUE(settings_read_user_dword(registry_settings_store(), u"updatelastchecked", &v, &low));
    EXPECT_EQ(v, 1234u);
    EXPECT_FALSE(low);
    settings_delete_user_value(registry_settings_store(), u"updatelastchecked");
    EXPECT_FALSE(settings_read_user_dword(registry_settings_store(), u"updatelastchecked", &v, &low));
}
