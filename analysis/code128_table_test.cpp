#include "analysis/code128_table.h"

#include <gtest/gtest.h>

#include <set>

TEST(Code128Table, EveryPatternIsElevenModulesWithEvenBarsAndOddSpaces) {
    std::set<uint32_t> seen;
    for (int v = 0; v < kCode128Symbols; ++v) {
        int w[6];
        code128_widths(v, w);
        int bars = 0, spaces = 0;
        for (int k = 0; k < 6; ++k) {
            EXPECT_GE(w[k], 1) << v;
            EXPECT_LE(w[k], 4) << v;
            (k & 1 ? spaces : bars) += w[k];
        }
        EXPECT_EQ(bars + spaces, 11) << v;
        EXPECT_EQ(bars % 2, 0) << v;  // the symbology's own parity rule
        EXPECT_TRUE(seen.insert(kCode128Patterns[v]).second) << "duplicate pattern at " << v;
        EXPECT_EQ(code128_lookup(code128_pack(w)), v);
    }
    EXPECT_EQ(code128_lookup(code128_pack(kCode128StartB)), kCode128StartBValue);
    const int stop_head[6] = {2, 3, 3, 1, 1, 1};
    EXPECT_EQ(code128_lookup(code128_pack(stop_head)), -1);
}
