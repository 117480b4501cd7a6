#include "annotate/upload_fields.h"

#include <gtest/gtest.h>

TEST(UploadFields, SanitisingKeepsExactlyTheAllowedCharacters) {
    EXPECT_EQ(upload_sanitise_url(u"http://h/a b#c'd\\e\u00e9f?x=1&y=[2]~\"!"), u"http://h/a_b_c_d_e_f?x=1&y=[2]~\"!");
    EXPECT_EQ(upload_sanitise_url(u"\t%$&()"), u"_%$&()");
    EXPECT_EQ(upload_sanitise_name(u"My file #1 (v2).tif"), u"My file _1 _v2_.tif");
    EXPECT_EQ(upload_sanitise_name(u"$+,-./@_Az09:;"), u"$+,-./@_Az09__");
}

TEST(UploadFields, TableHolds64FieldsAndDeletesByTheStoredName) {
    UploadParams p;
    EXPECT_EQ(upload_param_delete(&p, u"x"), 0);
    EXPECT_TRUE(upload_param_add(&p, u"a#b", u"v#1"));
    // The name was stored sanitised, the value as given.
    EXPECT_EQ(p.slots[0].name, u"a_b");
    EXPECT_EQ(p.slots[0].value, u"v#1");
    EXPECT_EQ(upload_param_delete(&p, u"a#b"), 0);
    EXPECT_EQ(upload_param_delete(&p, u"a_b"), 1);
    for (int i = 0; i < kUploadParamSlots; ++i) ASSERT_TRUE(upload_param_add(&p, i % 2 ? u"odd" : u"even", u"v"));
    EXPECT_FALSE(upload_param_add(&p, u"one more", u"v"));
    EXPECT_EQ(upload_param_delete(&p, u"odd"), 32);
    EXPECT_TRUE(upload_param_add(&p, u"again", u"v"));
    EXPECT_EQ(p.slots[1].name, u"again");  // the first free slot

    UploadParams q;
    ASSERT_TRUE(upload_param_add(&q, std::u16string(150, u'n'), std::u16string(1500, u'v')));
    EXPECT_EQ(q.slots[0].name.size(), kUploadParamNameMax);
    EXPECT_EQ(q.slots[0].value.size(), kUploadParamValueMax);
}
