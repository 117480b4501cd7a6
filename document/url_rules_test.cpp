#include "document/url_rules.h"

#include <gtest/gtest.h>

#include "document/test_support.h"

namespace {
Text16 suggest(const char16_t* url, const char16_t* path, bool add_extension) {
    char16_t out[kSuggestedNameCap];
    url_suggest_file_name(url, path, add_extension, out, kSuggestedNameCap);
    return out;
}
}  // namespace

TEST(UrlRules, LocalNamesInEveryForm) {
    for (const char16_t* local : {u"C:\\scan.tif", u"\\\\server\\share\\a.tif", u"\\a.tif", u"/C:/a.tif",
                                  u"file:///C:/a.tif", u"FILE://host/a.tif", u"c:", u" file:///C:/a.pdf",
                                  u"\x01\x1f\tfile:///C:/a.pdf", u"fi\tle:///C:/a.pdf", u" \\\\server\\a.pdf"})
        EXPECT_TRUE(url_is_local(local)) << text_to_utf8(local);
    for (const char16_t* remote : {u"http://example.com/a.tif", u"//host/a.tif", u"/scans/a.tif", u"", u"C"})
        EXPECT_FALSE(url_is_local(remote)) << text_to_utf8(remote);
    EXPECT_FALSE(url_is_local(nullptr));
}

TEST(UrlRules, TiffExtensionNeedsANameBeforeIt) {
    EXPECT_TRUE(url_has_tiff_extension(u"a.tif"));
    EXPECT_TRUE(url_has_tiff_extension(u"C:\\X.TIFF"));
    EXPECT_TRUE(url_has_tiff_extension(u"p.VlrImg"));
    EXPECT_FALSE(url_has_tiff_extension(u".tif"));
    EXPECT_FALSE(url_has_tiff_extension(u".tiff"));
    EXPECT_FALSE(url_has_tiff_extension(u".vlrimg"));
    EXPECT_FALSE(url_has_tiff_extension(u"a.tif.pdf"));
    EXPECT_TRUE(url_has_tiff_extension(u"file:///C:/scan.tif?x=1#y"));
    EXPECT_TRUE(url_has_tiff_extension(u"file:///C:/scan%2Etif"));
    // Only the path counts: a query, a fragment or a decoded zero cannot supply the extension.
    for (const char16_t* not_tiff :
         {u"file:///C:/x.pdf?.tif", u"file:///C:/x.pdf#.tif", u"C:\\x.pdf?a=.tif", u"file:///C:/x.pdf%00.tif",
          u"file://h/x.pdf%0A.tif", u"C:\\x\\.tif", u"file://a.tif"})
        EXPECT_FALSE(url_has_tiff_extension(not_tiff)) << text_to_utf8(not_tiff);
}

TEST(UrlRules, LocalAccessPolicy) {
    CapturedLog log(true, false);
    EXPECT_TRUE(url_access_allowed(nullptr, 0, &log.log));
    EXPECT_TRUE(url_access_allowed(u"http://example.com/x.pdf", 0, &log.log));
    EXPECT_TRUE(url_access_allowed(u"C:\\secret.pdf", 2, &log.log));
    EXPECT_TRUE(url_access_allowed(u"scans/a.pdf", 0, &log.log));  // the browser resolves it against the page
    EXPECT_TRUE(url_access_allowed(u"C:\\scans\\A.TIFF", 1, &log.log));
    EXPECT_EQ(log.log.error_count, 0);

    EXPECT_FALSE(url_access_allowed(u"C:\\scans\\a.pdf", 1, &log.log));
    EXPECT_EQ(log.text(), u"Error: Remote access to local non-TIFF files not allowed.\r\n");
    errlog_clear(&log.log);
    EXPECT_FALSE(url_access_allowed(u"C:\\scans\\A.TIFF", 0, &log.log));
    EXPECT_FALSE(url_access_allowed(u"file:///etc/passwd", 0, &log.log));
    EXPECT_EQ(log.log.error_count, 2);
    EXPECT_EQ(log.text(), u"Error: Remote access to local files not allowed.\r\n");
    // Script URLs are refused even when they look like a TIFF name.
    errlog_clear(&log.log);
    EXPECT_FALSE(url_access_allowed(u"JavaScript:x('a.tif')", 1, &log.log));
    EXPECT_FALSE(url_access_allowed(u"vbscript:x.tif", 0, &log.log));
    EXPECT_FALSE(url_access_allowed(u" \x01javascript:x('a.tif')", 1, &log.log));
    EXPECT_EQ(log.log.error_count, 3);
    // A local file hidden behind a space or a query is still local, and not a TIFF.
    EXPECT_FALSE(url_access_allowed(u" file:///C:/secret.pdf", 0, &log.log));
    EXPECT_FALSE(url_access_allowed(u"file:///C:/secret.pdf?.tif", 1, &log.log));
    EXPECT_FALSE(url_access_allowed(u"file:///C:/secret.pdf#.tif", 1, &log.log));
    EXPECT_EQ(log.log.error_count, 6);
    // Only web and local addresses are fetched, whatever the local-access setting.
    errlog_clear(&log.log);
    for (const char16_t* other :
         {u"data:image/tiff;base64,SUkqAA==", u"javascript:x()", u"mailto:a@b", u"ftp://h/a.tif"})
        EXPECT_FALSE(url_access_allowed(other, 2, &log.log)) << text_to_utf8(other);
    EXPECT_EQ(log.log.error_count, 4);
    EXPECT_EQ(log.text(),
              u"Error: Addresses beginning with \"data:\" are not loaded.\r\n"
              u"Error: Addresses beginning with \"javascript:\" are not loaded.\r\n"
              u"Error: Addresses beginning with \"mailto:\" are not loaded.\r\n"
              u"Error: Addresses beginning with \"ftp:\" are not loaded.\r\n");
}

TEST(SuggestedName, TiffNamesKeepOrDropTheirExtension) {
    EXPECT_EQ(suggest(u"http://h/scans/Report%20A.tif", u"", false), u"Report A");
    EXPECT_EQ(suggest(u"http://h/scans/Report%20A.tif", u"", true), u"Report A.tif");
    EXPECT_EQ(suggest(u"http://h/a/B.TIFF", u"", true), u"B.TIFF");
    // Local paths are not percent-decoded.
    EXPECT_EQ(suggest(u"", u"C:\\in\\Scan%20.tif", false), u"Scan%20");
    EXPECT_EQ(suggest(nullptr, u"/tmp/page.tiff", true), u"page.tiff");
    // No stem, or a stem of 100 characters, is not a TIFF name.
    EXPECT_EQ(suggest(u"http://h/.tif", u"", true), u"");
    EXPECT_EQ(suggest((u"http://h/" + Text16(100, u'x') + u".tif").c_str(), u"", false), u"");
    EXPECT_EQ(suggest((u"http://h/" + Text16(99, u'x') + u".tif").c_str(), u"", false), Text16(99, u'x'));
}

TEST(SuggestedName, DocumentServerQueries) {
    EXPECT_EQ(suggest(u"http://h/view.asp?DocId=ABC&PageNum=7", u"", false), u"abc-007");
    EXPECT_EQ(suggest(u"http://h/view.asp?DocId=ABC&PageNum=7", u"", true), u"abc-007.tif");
    EXPECT_EQ(suggest(u"http://h/view.asp?pagenum=0&docid=x", u"", false), u"x");
    EXPECT_EQ(suggest(u"http://h/view.asp?docid=abcdefghijklmnopqrstuvwxyz", u"", false), u"abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(suggest(u"http://h/view.asp?pagenum=3", u"", true), u"");
    EXPECT_EQ(suggest(u"http://h/get?docid=1234&pagenum=12345", u"", false), u"1234-12345");
}

TEST(SuggestedName, PercentDecodingFallsBackToSingleBytes) {
    EXPECT_EQ(suggest(u"http://h/Gr%C3%BC%C3%9Fe.tif", u"", false), u"Gr\u00FC\u00DFe");
    // Not UTF-8: each escape is one Latin-1 character.
    EXPECT_EQ(suggest(u"http://h/Gr%FCn.tif", u"", false), u"Gr\u00FCn");
    // The colour-digit rule: letters beyond f count on (g = 16), other characters as 0.
    EXPECT_EQ(suggest(u"http://h/a%4gb.tif", u"", false), u"aPb");  // 4 * 16 + 16 = 'P'
    EXPECT_EQ(suggest(u"http://h/a%zzb.tif", u"", false), Text16(u"a") + char16_t((35 * 16 + 35) & 0xFF) + u"b");
    EXPECT_EQ(suggest(u"http://h/a%-5b.tif", u"", false), u"a_b");
    // A trailing escape without two characters after it stays as it is.
    EXPECT_EQ(suggest(u"http://h/get?docid=x%4", u"", false), u"x%4");
}

TEST(SuggestedName, CharactersWindowsRefusesBecomeUnderscores) {
    EXPECT_EQ(suggest(u"http://h/a%2Fb%3Ac%3F%2A%22%3C%3E%7C%5C%09.tif", u"", false), u"a_b_c________");
    EXPECT_EQ(suggest(u"http://h/get?docid=a%00b", u"", false), u"a_b");
}
