#include "config/error_log.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/message_box.h"

namespace {
struct Log {
    ErrorLog log;
    Log() { errlog_init(&log, true); }
    ~Log() { errlog_free(&log); }
    Text16 text() const { return errlog_text(&log); }
};
}  // namespace

TEST(ErrorLog, RepeatedLineCountedButWrittenOnce) {
    Log l;
    for (int i = 0; i < 50; ++i) errlog_warning(&l.log, u"Unknown field %d", 7);
    EXPECT_EQ(l.log.warning_count, 50);
    EXPECT_EQ(l.text(), u"Warning: Unknown field 7\r\n");
}

TEST(ErrorLog, AlternatingLinesAreAllWritten) {
    Log l;
    errlog_error(&l.log, u"a");
    errlog_warning(&l.log, u"a");
    errlog_error(&l.log, u"a");
    EXPECT_EQ(l.log.error_count, 2);
    EXPECT_EQ(l.log.warning_count, 1);
    EXPECT_EQ(l.text(), u"Error: a\r\nWarning: a\r\nError: a\r\n");
}

TEST(ErrorLog, RestartsInsteadOfOverflowing) {
    Log l;
    const Text16 msg(900, u'm');
    int lines = 0;
    while (l.log.text.length + 900 + 11 + 1 <= 8000) {
        errlog_error(&l.log, u"%s%d", msg.c_str(), lines++);
    }
    const int before = l.log.text.length;
    EXPECT_GT(before, 7000);
    errlog_error(&l.log, u"%sZ", msg.c_str());  // does not fit: the text restarts with it
    EXPECT_EQ(l.text(), u"Error: " + msg + u"Z\r\n");
    EXPECT_EQ(l.log.error_count, lines + 1);
}

TEST(ErrorLog, LongMessageIsCutToOneLine) {
    Log l;
    errlog_error(&l.log, u"%s", Text16(5000, u'x').c_str());
    EXPECT_EQ(l.log.text.length, 1023);
}

TEST(ErrorLog, ClearKeepsFilterAndForgetsLastLine) {
    Log l;
    errlog_warning(&l.log, u"w");
    errlog_clear(&l.log);
    EXPECT_FALSE(errlog_has_entries(&l.log));
    EXPECT_TRUE(l.log.unknown_tag_filter);
    errlog_warning(&l.log, u"w");  // same as the line before the clear: written again
    EXPECT_EQ(l.text(), u"Warning: w\r\n");
}

TEST(ErrorLog, FailedAllocationIsReported) {
    Log l;
    // More than any allocator hands out, and not a size a sanitizer refuses to try.
    void* p = errlog_alloc(&l.log, size_t(-1) / 2);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(l.log.error_count, 1);
    EXPECT_NE(l.text().find(u"Out of memory (failed to allocate"), Text16::npos);
    void* q = errlog_alloc_zeroed(nullptr, 16);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(q)[15], 0);
    free(q);
}

TEST(ColourText, RedGreenBlueInLowerCase) {
    char16_t buf[8];
    EXPECT_TRUE(colour_to_text(0x000000FF, buf, 8));
    EXPECT_EQ(Text16(buf), u"#ff0000");
    EXPECT_TRUE(colour_to_text(0x00ABCDEF, buf, 8));
    EXPECT_EQ(Text16(buf), u"#efcdab");
    EXPECT_FALSE(colour_to_text(0x00ABCDEF, buf, 4));
    EXPECT_EQ(Text16(buf), u"#ef");
}

namespace {
std::vector<MessageBoxRequest> g_seen;
std::vector<Text16> g_texts;
int record(const MessageBoxRequest& r, void* ctx) {
    g_seen.push_back(r);
    g_texts.push_back(r.text);
    return *static_cast<int*>(ctx);
}
}  // namespace

TEST(MessageBox, CaptionOwnerTypeAndAnswer) {
    int answer = kIdYes;
    void* old_ctx = nullptr;
    MessageBoxHandler old = msgbox_set_handler(record, &answer, &old_ctx);
    g_seen.clear();
    g_texts.clear();
    EXPECT_EQ(msgbox_show(nullptr, 0, u"Unable to save %s!", u"settings"), kIdYes);
    int owner_token = 0;
    msgbox_show(&owner_token, kMbIconError, u"x");
    msgbox_warning(nullptr, u"w");
    msgbox_set_handler(old, old_ctx);
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].owner, nullptr);
    EXPECT_EQ(g_seen[0].type, kMbIconWarning);  // type 0 becomes a warning
    EXPECT_EQ(Text16(g_seen[0].caption), u"Vellarion");
    EXPECT_EQ(g_texts[0], u"Unable to save settings!");
    EXPECT_EQ(g_seen[1].owner, &owner_token);
    EXPECT_EQ(g_seen[1].type, kMbIconError);
    EXPECT_EQ(g_seen[2].type, kMbIconWarning);
}
