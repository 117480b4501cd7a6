#include "config/win/codepage.h"

#include <gtest/gtest.h>

// The test prefix runs with code page 1252, as an English Windows does.
TEST(CodePage, RoundTripAndCutting) {
    char16_t buf[8];
    EXPECT_TRUE(codepage_to_wide("caf\xe9 \x80", buf, 8));
    EXPECT_EQ(Text16(buf), u"caf\u00e9 \u20ac");
    EXPECT_TRUE(codepage_to_wide("abcdefghijk", buf, 4) || buf[0] == 0);
    EXPECT_LE(text_len(buf), 3u);
    EXPECT_FALSE(codepage_to_wide(nullptr, buf, 8));
    EXPECT_EQ(buf[0], 0);
    char narrow[8];
    EXPECT_TRUE(wide_to_codepage(u"caf\u00e9", narrow, 8));
    EXPECT_STREQ(narrow, "caf\xe9");
    Text16 w;
    EXPECT_FALSE(codepage_to_wide_alloc(nullptr, &w));
    EXPECT_TRUE(codepage_to_wide_alloc("x\xe9", &w));
    EXPECT_EQ(w, u"x\u00e9");
    std::string n;
    EXPECT_TRUE(wide_to_codepage_alloc(u"\u20ac", &n));
    EXPECT_EQ(n, "\x80");
}
