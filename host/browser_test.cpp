#include "host/browser.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"

namespace {
std::vector<std::string> g_calls;

NPError fake_get_url(NPP, const char* url, const char* target) {
    g_calls.push_back(std::string("get ") + url + " " + (target ? target : "(null)"));
    return 7;
}
void fake_push(NPP, NPBool enabled) { g_calls.push_back(enabled ? "push 1" : "push 0"); }
void fake_pop(NPP) { g_calls.push_back("pop"); }

NPNetscapeFuncs url_table() {
    NPNetscapeFuncs f{};
    f.size = sizeof f;
    f.geturl = fake_get_url;
    f.pushpopupsenabledstate = fake_push;
    f.poppopupsenabledstate = fake_pop;
    return f;
}

class BrowserTable : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    void TearDown() override { browser_clear(); }
};
}  // namespace

TEST_F(BrowserTable, CopyKeepsAtMostTheFirst176BytesAndNothingPastTheBrowsersSize) {
    NPNetscapeFuncs big;
    std::memset(&big, 0x5A, sizeof big);
    big.size = sizeof big;
    big.version = 27;
    ASSERT_EQ(browser_install(&big), NPERR_NO_ERROR);
    const auto* copy = reinterpret_cast<const unsigned char*>(&browser());
    EXPECT_EQ(std::memcmp(copy + 4, reinterpret_cast<const unsigned char*>(&big) + 4, kBrowserFuncsKept - 4), 0);
    for (size_t i = kBrowserFuncsKept; i < sizeof big; ++i) ASSERT_EQ(copy[i], 0) << "byte " << i;

    NPNetscapeFuncs small;
    std::memset(&small, 0x5A, sizeof small);
    small.size = offsetof(NPNetscapeFuncs, getstringidentifier);  // before scripting existed
    small.version = 9;
    ASSERT_EQ(browser_install(&small), NPERR_NO_ERROR);
    EXPECT_NE(browser().forceredraw, nullptr);
    EXPECT_EQ(browser().getstringidentifier, nullptr);
    EXPECT_EQ(browser().createobject, nullptr);
    EXPECT_EQ(browser_minor(), 9);

    // A size that ends inside a slot keeps none of that slot.
    small.size = offsetof(NPNetscapeFuncs, createobject) + sizeof(void*) - 1;
    ASSERT_EQ(browser_install(&small), NPERR_NO_ERROR);
    EXPECT_NE(browser().getstringidentifier, nullptr);
    EXPECT_EQ(browser().createobject, nullptr);
}

TEST_F(BrowserTable, RefusesNullTablesAndOtherMajorVersions) {
    EXPECT_EQ(browser_install(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    NPNetscapeFuncs f{};
    f.size = sizeof f;
    f.version = 0x0100;
    EXPECT_EQ(browser_install(&f), NPERR_INCOMPATIBLE_VERSION_ERROR);
    f.version = 0x001D;
    EXPECT_EQ(browser_install(&f), NPERR_NO_ERROR);
    EXPECT_EQ(browser_major(), 0);
    EXPECT_EQ(browser_minor(), 29);
}

TEST_F(BrowserTable, OpenUrlEnablesPopupsOnlyAroundNamedTargetsOtherThanSelf) {
    NPNetscapeFuncs f = url_table();
    ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
    EXPECT_EQ(browser_open_url(nullptr, u"http://a/x", u"_blank"), 7);
    EXPECT_EQ(browser_open_url(nullptr, u"http://a/y", u"_SELF"), 7);
    EXPECT_EQ(browser_open_url(nullptr, u"file:///c:/b.tif", nullptr), 7);
    EXPECT_EQ(browser_open_url(nullptr, u"http://a/\u00e9", u"frame1"), 7);
    const std::vector<std::string> expected = {
        "push 1", "get http://a/x _blank",        "pop", "get http://a/y _SELF", "get file:///c:/b.tif (null)",
        "push 1", "get http://a/\xc3\xa9 frame1", "pop"};
    EXPECT_EQ(g_calls, expected);
}

TEST_F(BrowserTable, OpenUrlWithoutTheBrowsersSlots) {
    NPNetscapeFuncs f = url_table();
    f.poppopupsenabledstate = nullptr;  // half a bracket is no bracket
    ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
    EXPECT_EQ(browser_open_url(nullptr, u"http://a/", u"_blank"), 7);
    EXPECT_EQ(g_calls, std::vector<std::string>{"get http://a/ _blank"});
    EXPECT_EQ(browser_open_url(nullptr, nullptr, u"_blank"), NPERR_OUT_OF_MEMORY_ERROR);
    f.geturl = nullptr;
    ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
    EXPECT_EQ(browser_open_url(nullptr, u"http://a/", nullptr), NPERR_GENERIC_ERROR);
}

TEST_F(BrowserTable, NavigateOpensOnlyWebAddressesAndWhenAskedRelativeOnes) {
    NPNetscapeFuncs f = url_table();
    ASSERT_EQ(browser_install(&f), NPERR_NO_ERROR);
    for (const char16_t* refused : {u"javascript:alert(1)", u" \x01JavaScript:alert(1)", u"java\tscript:x", u"data:,x",
                                    u"file:///C:/a.tif", u"C:\\a.tif", u"\\\\srv\\a.tif", u"mailto:a@b", u"vbscript:x"})
        EXPECT_EQ(browser_navigate(nullptr, refused, u"_self", Navigable::kWebOrRelative), NPERR_INVALID_URL)
            << text_to_utf8(refused);
    EXPECT_EQ(browser_navigate(nullptr, u"scans/a.tif", u"_self", Navigable::kWebOnly), NPERR_INVALID_URL);
    EXPECT_EQ(browser_navigate(nullptr, nullptr, u"_self", Navigable::kWebOnly), NPERR_INVALID_URL);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(browser_navigate(nullptr, u" HTTPS://a/x\r\n", u"_self", Navigable::kWebOnly), 7);
    EXPECT_EQ(browser_navigate(nullptr, u"scans/a.tif", u"_self", Navigable::kWebOrRelative), 7);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"get HTTPS://a/x _self", "get scans/a.tif _self"}));
}
