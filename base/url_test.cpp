#include "base/url.h"

#include <gtest/gtest.h>

namespace {
std::string form_name(UrlForm f) {
    static const char* const names[] = {"relative", "http", "https", "file", "drive", "backslash", "mailto", "other"};
    return names[int(f)];
}
std::string form(const char16_t* url) { return form_name(url_parse(url).form); }
}  // namespace

TEST(UrlParse, SchemeIsReadAsABrowserReadsIt) {
    EXPECT_EQ(form(u"http://h/a.tif"), "http");
    EXPECT_EQ(form(u"HTTPS://h/a.tif"), "https");
    EXPECT_EQ(url_parse(u"HTTPS://h/").scheme, u"https");
    // Spaces and control characters in front, tabs and line breaks inside are
    // dropped before the scheme is read.
    EXPECT_EQ(form(u" \x01\x1f javascript:x()"), "other");
    EXPECT_EQ(form(u"java\tscr\nipt:x()"), "other");
    EXPECT_EQ(url_parse(u"java\tscr\nipt:x()").scheme, u"javascript");
    EXPECT_EQ(url_parse(u"\x7f javascript:x()").scheme, u"");  // DEL is no control to trim
    EXPECT_EQ(url_parse(u"  http://h/a b\r\n ").text, u"http://h/a b");
    EXPECT_EQ(form(u"\tFiLe:///C:/a.tif"), "file");
    EXPECT_EQ(form(u"mailto:a@b"), "mailto");
    EXPECT_EQ(form(u"data:,x"), "other");
    // No scheme: a character outside the scheme alphabet before the colon.
    for (const char16_t* relative : {u"a.tif", u"/s/a.tif", u"//h/a.tif", u"?q=a:b", u"%6aavascript:x", u"1a:b", u""})
        EXPECT_EQ(form(relative), "relative") << text_to_utf8(relative);
    for (const char16_t* drive : {u"C:\\a.tif", u"c:", u"/C:/a.tif", u" d:/a.tif"})
        EXPECT_EQ(form(drive), "drive") << text_to_utf8(drive);
    EXPECT_EQ(form(u"\\\\srv\\s\\a.tif"), "backslash");
    EXPECT_TRUE(url_form_is_local(UrlForm::kBackslashPath));
    EXPECT_FALSE(url_form_is_local(UrlForm::kRelative));
    EXPECT_TRUE(url_form_is_web(UrlForm::kHttps));
    EXPECT_FALSE(url_form_is_web(UrlForm::kFile));
}

TEST(UrlParse, PathStopsAtQueryAndFragmentAndIsDecoded) {
    EXPECT_EQ(url_parse(u"file:///C:/x.pdf?.tif").path, u"/C:/x.pdf");
    EXPECT_EQ(url_parse(u"file:///C:/x.pdf#.tif").path, u"/C:/x.pdf");
    EXPECT_EQ(url_parse(u"file://host.tif/share/a%2Etif").path, u"/share/a.tif");  // not the host
    EXPECT_EQ(url_parse(u"file:\\\\host\\a.pdf").path, u"\\a.pdf");
    EXPECT_EQ(url_parse(u"http://h").path, u"");
    EXPECT_EQ(url_parse(u"C:\\s\\a#1.tif").path, u"C:\\s\\a");
    EXPECT_EQ(url_parse(u"a%00b%zz%4").path, Text16(u"a\0b%zz%4", 8));
    EXPECT_EQ(url_parse(u"mailto:a@b?subject=x").path, u"a@b");
}
