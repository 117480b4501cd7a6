// The reply parser and the verdict, and when a check is due.
#include "update/update_reply.h"

#include <gtest/gtest.h>

#include <string>

#include "config/settings.h"
#include "update/update_rules.h"

namespace {
const std::string kHead = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

UpdateReply parse(const std::string& bytes) { return update_parse_reply(bytes.data(), bytes.size()); }
}  // namespace

TEST(UpdateReply, NewerVersionWithPageAsksAndOwnVersionIsLatest) {
    const UpdateReply newer = parse(kHead + "!V2000003\n!Phttp://example.test/get\n");
    EXPECT_TRUE(newer.body_found);
    EXPECT_EQ(newer.version, 2000003);
    EXPECT_EQ(newer.page_url, "http://example.test/get");
    EXPECT_EQ(newer.window, "_self");
    EXPECT_EQ(update_judge(newer), UpdateVerdict::kNewer);
    EXPECT_EQ(update_judge(parse(kHead + "!V2000002\n!Phttp://example.test/get\n")), UpdateVerdict::kLatest);
    EXPECT_EQ(update_judge(parse(kHead + "!V-5\n!Phttp://x/\n")), UpdateVerdict::kLatest);
}

TEST(UpdateReply, OnlyAWebPageInANewOrTheSameWindowIsValid) {
    for (const char* page : {"javascript:alert(document.cookie)", " \x01javascript:x()", "java\tscript:x()",
                             "data:text/html,<script>x()</script>", "file:///C:/x.exe", "C:\\x.exe", "//host/x",
                             "get.html", "vbscript:x", "ftp://h/x", "mailto:a@b"})
        EXPECT_EQ(update_judge(parse(kHead + "!V2000003\n!P" + page + "\n")), UpdateVerdict::kInvalid) << page;
    for (const char* window : {"_top", "_parent", "frame1", "_blank\r", ""})
        EXPECT_EQ(update_judge(parse(kHead + "!V2000003\n!Phttp://x/\n!W" + window + "\n")), UpdateVerdict::kInvalid)
            << window;
    EXPECT_EQ(update_judge(parse(kHead + "!V2000002\n!Pjavascript:x()\n")), UpdateVerdict::kInvalid);
    const UpdateReply ok = parse(kHead + "!V2000003\n!P HTTPS://x/get\r\n!W_BLANK");
    EXPECT_EQ(update_judge(ok), UpdateVerdict::kNewer);
    EXPECT_EQ(update_target(ok), "_blank");
    EXPECT_EQ(update_target(parse(kHead + "!V1\n!Phttp://x/\n")), "_self");
}

TEST(UpdateReply, MissingPiecesAreBadData) {
    EXPECT_EQ(update_judge(parse(kHead + "!V2000003\n")), UpdateVerdict::kBadData);         // no page
    EXPECT_EQ(update_judge(parse(kHead + "!Phttp://x/\n")), UpdateVerdict::kBadData);       // no version
    EXPECT_EQ(update_judge(parse(kHead + "!V0\n!Phttp://x/\n")), UpdateVerdict::kBadData);  // version 0
    EXPECT_EQ(update_judge(parse(kHead + "!Vabc\n!Phttp://x/\n")), UpdateVerdict::kBadData);
    EXPECT_EQ(update_judge(parse(kHead + "!V2000003\n!P\n")), UpdateVerdict::kBadData);  // empty page
    // No blank line after the headers: no body at all, whatever follows.
    EXPECT_FALSE(parse("HTTP/1.0 200 OK\r\n!V2000003\n!Phttp://x/\n").body_found);
    EXPECT_EQ(update_judge(UpdateReply{}), UpdateVerdict::kBadData);
}

TEST(UpdateReply, BodySeparatorMustLeaveRoomForABody) {
    // The separator is looked for only where at least five bytes follow it.
    EXPECT_FALSE(parse("\r\n\r\n!V12").body_found);
    EXPECT_TRUE(parse("\r\n\r\n!V123").body_found);
    // Replies shorter than the window itself have no body and are not read past.
    for (size_t n = 0; n <= 8; ++n) EXPECT_FALSE(parse(std::string("\r\n\r\n\r\n\r\n").substr(0, n)).body_found) << n;
    EXPECT_FALSE(update_parse_reply(nullptr, 100).body_found);
}

TEST(UpdateReply, LinesSplitAtLineFeedKeepTheirCarriageReturn) {
    const UpdateReply r = parse(kHead + "!V2000003\r\n!Phttp://x/\r\n!W_blank\r\n");
    EXPECT_EQ(r.version, 2000003);  // the number stops at the CR
    EXPECT_EQ(r.page_url, "http://x/\r");
    EXPECT_EQ(r.window, "_blank\r");
    // Last line without an end, later lines override earlier ones, others ignored.
    const UpdateReply s = parse(kHead + "!V7\n!Pfirst\nnote\n!Xzzz\n! V9\n!V 2000005 beta\n!Psecond");
    EXPECT_EQ(s.version, 2000005);
    EXPECT_EQ(s.page_url, "second");
    EXPECT_EQ(s.window, "_self");
}

TEST(UpdateReply, ZeroByteEndsTheReplyAndHugeVersionsClamp) {
    const std::string with_zero = kHead + "!V2000003\n" + std::string(1, '\0') + "!Phttp://x/\n";
    EXPECT_FALSE(parse(with_zero).has_page);
    // The header separator itself hidden behind a zero byte: no body.
    const char hidden[] = "HTTP/1.0 200 OK\0\r\n\r\n!V2000003\n!Px\n";
    EXPECT_FALSE(parse(std::string(hidden, sizeof hidden - 1)).body_found);
    EXPECT_EQ(parse(kHead + "!V99999999999999999999\n").version, INT32_MAX);
    EXPECT_EQ(parse(kHead + "!V-99999999999999999999\n").version, INT32_MIN);
}

TEST(UpdateDue, IntervalAndRetryBothHaveToPass) {
    ProcessSettings p;
    settings_process_defaults(&p);  // interval 10, retry 2
    const uint32_t now = 100000;
    const auto days_ago = [&](double d) { return uint32_t(now - d * kUpdateUnitsPerDay); };
    p.update_last_checked = days_ago(9);
    p.update_last_attempt = days_ago(9);
    EXPECT_FALSE(update_due(p, now));
    p.update_last_checked = days_ago(11);
    p.update_last_attempt = days_ago(1);  // a failed attempt yesterday
    EXPECT_FALSE(update_due(p, now));
    p.update_last_attempt = days_ago(3);
    EXPECT_TRUE(update_due(p, now));
    // Never checked: due at any real clock time; "now" must pass the mark, not meet it.
    ProcessSettings fresh;
    EXPECT_TRUE(update_due(fresh, 0x01D60000));
    fresh.update_interval = fresh.update_retry = 0;
    fresh.update_last_checked = fresh.update_last_attempt = 5;
    EXPECT_FALSE(update_due(fresh, 5));
    EXPECT_TRUE(update_due(fresh, 6));
    // A huge interval does not wrap round into "due".
    p.update_interval = 0xFFFFFFFF;
    p.update_last_checked = 0xFFFFFF00;
    EXPECT_FALSE(update_due(p, 0xFFFFFFFF));
}

TEST(UpdateDue, StoredTimeIsTheFileTimesHighWord) {
    EXPECT_EQ(update_time_from_filetime(0x01D0000012345678ULL), 0x01D00000u);
    // 36 hours is 1.5 days of units (the information dialog reads them back).
    EXPECT_NEAR(36 * 3600 * 1e7 / 4294967296.0, 1.5 * kUpdateUnitsPerDay, 0.001);
}

TEST(UpdateRequest, PlainHttp10GetWithoutHostLine) {
    EXPECT_EQ(update_request_text(u"/vellarion/version-pl-w32.txt"),
              u"GET /vellarion/version-pl-w32.txt HTTP/1.0\r\nUser-Agent: Vellarion/2.0.0 (Plug-in)\r\n\r\n");
}
