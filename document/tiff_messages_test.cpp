#include "document/tiff_messages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>

#include "document/test_support.h"

namespace {
void add(ErrorLog* log, bool is_error, const char* module, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    tiffmsg_log_message(log, is_error, module, format, ap);
    va_end(ap);
}
}  // namespace

TEST(TiffMessages, ModuleNameAndTextAreJoined) {
    CapturedLog log(false, false);
    add(&log.log, true, "TIFFReadDirectory", "Bad value %d for \"%s\"", 7, "Orientation");
    add(&log.log, false, "TIFFFetchNormalTag", ": already begins with a colon");
    add(&log.log, false, "", "no module");
    add(&log.log, false, nullptr, "null module");
    EXPECT_EQ(log.text(),
              u"Error: TIFFReadDirectory: Bad value 7 for \"Orientation\"\r\n"
              u"Warning: TIFFFetchNormalTag: already begins with a colon\r\n"
              u"Warning: no module\r\n"
              u"Warning: null module\r\n");
    EXPECT_EQ(log.log.error_count, 1);
    EXPECT_EQ(log.log.warning_count, 3);
}

TEST(TiffMessages, PathsControlCharactersAndTemporaryNamesAreTidied) {
    CapturedLog log(false, false);
    // A module that is a Windows path is the file name: left out.
    add(&log.log, true, "C:\\Users\\me\\AppData\\Local\\Temp\\vlr1A.tmp", "Cannot read TIFF header");
    // Everything up to a temporary file's name goes, wherever it stands.
    add(&log.log, true, "TIFFOpen", "C:\\Temp\\vlr1A.tmp: Cannot open");
    add(&log.log, false, "M", "line one\nline\ttwo\x7f");
    // Text in the system code page keeps its characters.
    add(&log.log, false, "M", "caf\xe9 \x80");
    EXPECT_EQ(log.text(),
              u"Error: Cannot read TIFF header\r\n"
              u"Error: TIFFOpen: Cannot open\r\n"
              u"Warning: M: line one|line|two\u007f\r\n"
              u"Warning: M: caf\u00e9 \u20ac\r\n");
}

TEST(TiffMessages, LongMessagesAndModuleNamesAreCut) {
    CapturedLog log(false, false);
    const std::string module(150, 'm');
    add(&log.log, false, module.c_str(), "%s", "short");
    EXPECT_EQ(log.text(), u"Warning: " + Text16(99, u'm') + u": short\r\n");
    errlog_clear(&log.log);
    const std::string text(5000, 't');
    add(&log.log, false, "", "%s", text.c_str());
    const Text16 logged = log.text();
    EXPECT_EQ(logged.rfind(u"Warning: tttt", 0), 0u);
    EXPECT_LE(std::count(logged.begin(), logged.end(), u't'), 1023);
}

TEST(TiffMessages, UnknownTagWarningsAreFilteredOnlyWhereAsked) {
    CapturedLog document(true, false), page(false, false);
    for (ErrorLog* log : {&document.log, &page.log}) {
        add(log, false, "TIFFReadDirectory", "Unknown field with tag %d (0x%x) encountered", 33550, 33550);
        add(log, false, "TIFFReadDirectory", ": unknown field with tag 1 encountered");
        // Only that module, and only warnings.
        add(log, false, "TIFFReadCustomDirectory", "Unknown field with tag 5 (0x5) encountered");
        add(log, true, "TIFFReadDirectory", "Unknown field with tag 6 (0x6) encountered");
    }
    EXPECT_EQ(document.text(),
              u"Warning: TIFFReadCustomDirectory: Unknown field with tag 5 (0x5) encountered\r\n"
              u"Error: TIFFReadDirectory: Unknown field with tag 6 (0x6) encountered\r\n");
    EXPECT_EQ(page.log.warning_count, 3);
    EXPECT_EQ(page.log.error_count, 1);
}

TEST(TiffMessages, HandlersFollowTheAttachedLog) {
    CapturedLog first(false, false), second(false, false);
    tiffmsg_attach(&first.log);
    TIFFWarning("Mod", "to the first %s", "log");
    tiffmsg_attach(&second.log);
    TIFFError("Mod", "to the second");
    tiffmsg_attach(nullptr);
    TIFFError("Mod", "to nobody");
    EXPECT_EQ(first.text(), u"Warning: Mod: to the first log\r\n");
    EXPECT_EQ(second.text(), u"Error: Mod: to the second\r\n");
    EXPECT_EQ(tiffmsg_current_log(), nullptr);
}
