#include "config/bounded_text.h"

#include <gtest/gtest.h>

namespace {
struct Owned {
    BoundedText t;
    explicit Owned(int cap) { btext_init(&t, cap); }
    ~Owned() { btext_free(&t); }
};
}  // namespace

TEST(BoundedText, UnsetReadsEmpty) {
    Owned o(10);
    EXPECT_STREQ(reinterpret_cast<const char*>(btext_get(&o.t)), "");
    EXPECT_TRUE(btext_empty(&o.t));
    EXPECT_TRUE(btext_empty(nullptr));
}

TEST(BoundedText, SetCutsAtCapMinusOne) {
    Owned o(260);
    const Text16 long_text(300, u'x');
    btext_set(&o.t, long_text.c_str());
    EXPECT_EQ(o.t.length, 259);
    EXPECT_EQ(btext_view(&o.t), Text16(259, u'x'));
    EXPECT_EQ(o.t.allocated, 260);
}

TEST(BoundedText, SetAllocatesExactlyAndNullFrees) {
    Owned o(-1);
    EXPECT_EQ(o.t.cap, 1000000);
    btext_set(&o.t, u"abc");
    EXPECT_EQ(o.t.allocated, 4);
    btext_set(&o.t, u"ab");  // fits: no reallocation
    EXPECT_EQ(o.t.allocated, 4);
    btext_set(&o.t, nullptr);
    EXPECT_EQ(o.t.buffer, nullptr);
    EXPECT_TRUE(btext_empty(&o.t));
}

TEST(BoundedText, AppendGrowthRuleAndCap) {
    Owned o(100);
    btext_set(&o.t, u"abcd");   // allocated 5
    btext_append(&o.t, u"ef");  // max(5 + 3*2 + 3, 10) = 14
    EXPECT_EQ(o.t.allocated, 14);
    EXPECT_EQ(btext_view(&o.t), u"abcdef");
    btext_append(&o.t, Text16(200, u'z').c_str());  // capped at 100, cut to fit
    EXPECT_EQ(o.t.allocated, 100);
    EXPECT_EQ(o.t.length, 99);
    btext_append(&o.t, u"more");  // full: nothing changes
    EXPECT_EQ(o.t.length, 99);
}

TEST(BoundedText, FormatGoesThroughFixedBuffer) {
    Owned o(-1);
    btext_format(&o.t, u"%s=%d", u"page", 3);
    btext_append_format(&o.t, u" of %d", 9);
    EXPECT_EQ(btext_view(&o.t), u"page=3 of 9");
    // Formatted text is limited by the 4096-unit buffer even when the cap is larger.
    btext_format(&o.t, u"%s", Text16(5000, u'q').c_str());
    EXPECT_EQ(o.t.length, 4095);
}
