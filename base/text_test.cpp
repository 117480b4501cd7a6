#include "base/text.h"

#include <gtest/gtest.h>

TEST(TextFormat, IntegerConversionsFollowPrintf) {
    EXPECT_EQ(text_printf(u"%d|%5d|%-4d|%05d|%+d", -12, 42, 7, -3, 9), u"-12|   42|7   |-0003|+9");
    EXPECT_EQ(text_printf(u"%u %x %X %02x %#x %o", 4000000000u, 255u, 255u, 5u, 16u, 8u),
              u"4000000000 ff FF 05 0x10 10");
    EXPECT_EQ(text_printf(u"%ld %lld %I64d", -5L, -6000000000LL, 7000000000LL), u"-5 -6000000000 7000000000");
    EXPECT_EQ(text_printf(u"%03d%%", 7), u"007%");
}

TEST(TextFormat, StringsAndPrecision) {
    EXPECT_EQ(text_printf(u"[%s] [%S] [%.3s] [%6s] [%-6s]", u"wide", "utf8 \xc3\xa9", u"abcdef", u"ab", u"ab"),
              u"[wide] [utf8 \u00e9] [abc] [    ab] [ab    ]");
    EXPECT_EQ(text_printf(u"%s", (const char16_t*)nullptr), u"(null)");
    EXPECT_EQ(text_printf(u"%.1f %.2f %g", 2.25, 1.005, 0.5), u"2.2 1.00 0.5");
}

TEST(TextFormat, BoundedOutputAlwaysTerminates) {
    char16_t buf[5];
    EXPECT_EQ(text_format(buf, 5, u"%s", u"abcdefgh"), 8);
    EXPECT_EQ(Text16(buf), u"abcd");
    EXPECT_EQ(text_format(nullptr, 0, u"%d", 12345), 5);
    // A huge width is clamped rather than written past the buffer.
    char16_t small[8];
    text_format(small, 8, u"%100000d", 1);
    EXPECT_EQ(text_len(small), 7u);
}

TEST(TextCopy, CutsAndTerminates) {
    char16_t buf[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_FALSE(text_copy(buf, 4, u"abcdef"));
    EXPECT_EQ(Text16(buf), u"abc");
    EXPECT_TRUE(text_copy(buf, 4, u"ab"));
    EXPECT_EQ(Text16(buf), u"ab");
    EXPECT_FALSE(text_copy(buf, -1, u"ab"));  // negative capacity: nothing written
    EXPECT_EQ(Text16(buf), u"ab");
}

TEST(TextConvert, Utf8RoundTripAndBadSequences) {
    const std::string s = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z";
    const Text16 w = text_from_utf8(s);
    EXPECT_EQ(w, u"a\u00e9\u20ac\U0001F600z");
    EXPECT_EQ(text_to_utf8(w), s);
    EXPECT_EQ(text_from_utf8("\xc3"), u"\uFFFD");                        // cut short
    EXPECT_EQ(text_from_utf8("\xc0\xaf"), u"\uFFFD\uFFFD");              // overlong
    EXPECT_EQ(text_from_utf8("\xed\xa0\x80x"), u"\uFFFD\uFFFD\uFFFDx");  // surrogate
    EXPECT_EQ(text_from_cp1252("\x80\xe9"), u"\u20ac\u00e9");
}

TEST(TextNumbers, LeadingDigitsOnly) {
    bool any = true;
    EXPECT_EQ(text_leading_int(u"150%"), 150);
    EXPECT_EQ(text_leading_int(u"-7x"), -7);
    EXPECT_EQ(text_leading_int(u"abc", &any), 0);
    EXPECT_FALSE(any);
    EXPECT_EQ(text_leading_int(u"99999999999999999999999"), text_leading_int(u"999999999999999999"));
}
