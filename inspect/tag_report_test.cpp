#include "inspect/tag_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inspect/report_builder.h"
#include "inspect/rtf_to_text.h"
#include "inspect/tag_names.h"
#include "inspect/test_tiff_bytes.h"

namespace {

struct Sink {
    std::string text;
    std::vector<size_t> pieces;
    int fail_after = -1;  // pieces accepted before the writer fails
};

bool sink_write(void* user, const char* data, size_t size) {
    auto* s = static_cast<Sink*>(user);
    if (s->fail_after >= 0 && (int)s->pieces.size() >= s->fail_after) return false;
    s->text.append(data, size);
    s->pieces.push_back(size);
    return true;
}

std::string rtf_report(const std::vector<uint8_t>& bytes, bool all_pages = true, uint64_t page = 0,
                       Sink* sink_out = nullptr) {
    MemoryBytes mem{bytes.data(), bytes.size()};
    Sink local;
    Sink* sink = sink_out ? sink_out : &local;
    TagReportRequest r;
    r.read = tag_report_read_memory;
    r.read_user = &mem;
    r.size = bytes.size();
    r.write = sink_write;
    r.write_user = sink;
    r.all_pages = all_pages;
    r.page_offset = page;
    tag_report_build(r);
    return sink->text;
}

std::string text_report(const std::vector<uint8_t>& bytes, bool all_pages = true, uint64_t page = 0) {
    return rtf_to_text(rtf_report(bytes, all_pages, page));
}

size_t occurrences(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

// The report of a file holding one directory with these entries.
std::string one_directory(const std::vector<TestEntry>& entries, bool big_endian = false) {
    TestTiff tiff(big_endian);
    tiff.set_first(tiff.add_directory(entries));
    return text_report(tiff.bytes());
}

}  // namespace

TEST(TagReport, StartsWithTheFixedRichTextHeaderAndFileInformation) {
    TestTiff tiff(true);
    tiff.set_first(tiff.add_directory({{256, 3, 1, {1}}}));
    std::string rtf = rtf_report(tiff.bytes());
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n"
                        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                        "{\\colortbl "
                        ";\\red0\\green0\\blue192;\\red0\\green128\\blue255;"
                        "\\red128\\green0\\blue0;}\r\n"
                        "\\viewkind4\\uc1\\pard\\tx150\\tx1100\\tx2000\\tx4200\\t"
                        "x5300\\f0\\fs16\r\n"
                        "\\b\\ul TIFF file information\\b0\\ulnone\\par\r\n"
                        "Byte order: big-endian\\par\r\n"
                        "First image offset: \\cf1 8\\cf0\\par\r\n\\par\r\n",
                        0),
              0u);
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
}

TEST(TagReport, HeaderErrorsEndTheReportAfterTheFileInformation) {
    std::vector<uint8_t> big4 = {'I', 'I', 43, 0, 4, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
    std::string rtf = rtf_report(big4);
    EXPECT_NE(rtf.find("\\cf3 Error: Invalid or unsupported BigTIFF bytesize (4)\\cf0\\par"), std::string::npos);
    EXPECT_EQ(rtf.find("TIFF image"), std::string::npos);
    EXPECT_EQ(occurrences(rtf, "Error:"), 1u);
    EXPECT_NE(text_report({'I', 'I', 42}).find("Error: Attempt to read beyond end of file"), std::string::npos);

    TestTiff mdi;
    mdi.set_first(mdi.add_directory({{256, 3, 1, {1}}}));
    mdi.bytes()[0] = 'E', mdi.bytes()[1] = 'P';
    std::string text = text_report(mdi.bytes());
    EXPECT_NE(text.find("File format: MDI\nByte order: little-endian\n"), std::string::npos);
    EXPECT_NE(text.find("256:ImageWidth"), std::string::npos);
}

TEST(TagReport, EntryLineShowsLocationTypeTagSizeAndContents) {
    TestTiff tiff;
    uint64_t dir = tiff.add_directory({{258, 3, 3, {8, 8, 8}}, {259, 3, 1, {32773}}});
    tiff.set_first(dir);
    std::string rtf = rtf_report(tiff.bytes());
    uint64_t data = dir + 2 + 2 * 12 + 4;
    std::string bits = "\\bullet\\tab\\cf1 " + std::to_string(data) +
                       "\\cf0\\tab\\cf1 3\\cf0 :int16\\tab\\cf1 258\\cf0 "
                       ":BitsPerSample\\tab\\cf1 3\\cf0\\'d72=6\\tab"
                       "\\cf1 8\\cf0 , \\cf1 8\\cf0 , \\cf1 8\\cf0\\par\r\n";
    EXPECT_NE(rtf.find(bits), std::string::npos) << rtf;
    // Inside the entry: the location is in the default colour.
    std::string compression = "\\bullet\\tab " + std::to_string(dir + 2 + 12 + 8) + "\\tab\\cf1 3\\cf0 :int16\\tab";
    EXPECT_NE(rtf.find(compression), std::string::npos);
    EXPECT_NE(rtf.find("\\cf1 32773\\cf0 :Packbits\\par"), std::string::npos);
    EXPECT_NE(rtf.find("\\b\\tab\\ul Offset\\ulnone\\tab\\ul "
                       "Type\\ulnone\\tab\\ul Tag\\ulnone\\tab\\ul Size"
                       "\\ulnone\\tab\\ul Contents\\ulnone\\b0\\par"),
              std::string::npos);
    EXPECT_NE(rtf.find("Number of tags: \\cf1 2\\cf0\\par"), std::string::npos);
    EXPECT_NE(rtf.find("Next image offset: none\\par"), std::string::npos);
}

TEST(TagReport, StringsShowPrintableBytesAndEscapeTheRest) {
    TestTiff tiff;
    tiff.set_first(tiff.add_directory({{270, 2, 4, {}, "A\tB"}, {305, 2, 8, {}, "x{y}\\\xe9z"}}));
    std::string rtf = rtf_report(tiff.bytes());
    EXPECT_NE(rtf.find("\\'93\\cf1 A\\cf2 \\\\09\\cf1 B\\cf0\\'94"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cf1 x\\{y\\}\\\\\\cf2 \\\\e9\\cf1 z\\cf0\\'94"), std::string::npos) << rtf;

    std::string text = rtf_to_text(rtf);
    EXPECT_NE(text.find("\xe2\x80\x9c"
                        "A\\09B\xe2\x80\x9d"),
              std::string::npos);
    std::string long_text(300, 'q');
    std::string shown = one_directory({{270, 2, 300, {}, long_text}});
    EXPECT_NE(shown.find("\xe2\x80\x9c" + std::string(200, 'q') + "\xe2\x80\xa6\xe2\x80\x9d"), std::string::npos);
}

TEST(TagReport, NumbersAreCutAtFiftyAndByteCountsAreSummedInFull) {
    std::vector<uint64_t> offsets, counts;
    uint64_t sum = 0;
    for (uint64_t i = 0; i < 1000; ++i) {
        offsets.push_back(1000 + i);
        counts.push_back(i * 7 + 1);
        sum += i * 7 + 1;
    }
    std::string text = one_directory({{273, 4, 1000, offsets}, {279, 4, 1000, counts}});
    EXPECT_NE(text.find("1048, 1049, \xe2\x80\xa6\n"), std::string::npos);
    EXPECT_EQ(text.find("1050"), std::string::npos);
    EXPECT_NE(text.find(", \xe2\x80\xa6 (total=" + std::to_string(sum) + ")\n"), std::string::npos);
    // A single byte count needs no total.
    EXPECT_EQ(one_directory({{325, 3, 1, {5}}}).find("total"), std::string::npos);
}

TEST(TagReport, PageNumberNotesAndValueNames) {
    EXPECT_NE(one_directory({{297, 3, 2, {0, 3}}}).find("0, 3 (page 1 of 3)\n"), std::string::npos);
    EXPECT_NE(one_directory({{297, 3, 2, {2, 0}}}).find("2, 0 (page 3)\n"), std::string::npos);
    EXPECT_EQ(one_directory({{297, 3, 3, {2, 0, 1}}}).find("(page"), std::string::npos);
    EXPECT_NE(one_directory({{274, 3, 1, {9}}}).find("\t9:unknown\n"), std::string::npos);
    EXPECT_NE(one_directory({{274, 3, 1, {6}}}, true).find("\t6:right-top\n"), std::string::npos);
    EXPECT_NE(one_directory({{262, 3, 1, {7}}}).find("\t7:Unknown\n"), std::string::npos);
    EXPECT_NE(one_directory({{254, 4, 1, {5}}}).find("\t5:reduced-res-version,transparency-mask\n"), std::string::npos);
    EXPECT_NE(one_directory({{254, 4, 1, {0}}}).find("\t0\n"), std::string::npos);
    EXPECT_NE(one_directory({{259, 16, 1, {1ull << 32 | 1}}}).find(":Unknown\n"), std::string::npos);
    EXPECT_NE(one_directory({{338, 3, 2, {0, 2}}}).find("0:unspecified, 2:unassociated alpha\n"), std::string::npos);
}

TEST(TagReport, RationalsFloatsAndSignedValues) {
    std::string text = one_directory({{282, 5, 2, {300, 1, 7, 0}},
                                      {283, 10, 1, {(uint32_t)-3, 4}},
                                      {300, 11, 1, {0x3FC00000}},
                                      {301, 12, 1, {0x4004000000000000ull}},
                                      {302, 8, 2, {0xFFFF, 5}}});
    EXPECT_NE(text.find("\t300/1=300.000, 7/0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t-3/4=-0.750\n"), std::string::npos);
    EXPECT_NE(text.find("\t1.5\n"), std::string::npos);
    EXPECT_NE(text.find("\t2.5\n"), std::string::npos);
    EXPECT_NE(text.find("\t-1, 5\n"), std::string::npos);
    std::vector<uint64_t> many;
    for (int i = 0; i < 42; ++i) many.push_back(i + 1), many.push_back(1);
    std::string rationals = one_directory({{282, 5, 21, many}});
    EXPECT_NE(rationals.find("20/1=20.000, \xe2\x80\xa6\n"), std::string::npos);
}

TEST(TagReport, UnknownTypesAndTagNamesByDirectoryKind) {
    std::string text =
        one_directory({{50000, 99, 2, {}}, {65100, 99, 0, {}}, {700, 7, 2, {1, 2}}, {33434, 5, 1, {1, 2}}});
    EXPECT_NE(text.find("99:??\t50000:Unk. private tag\t2\xc3\x97?\?=?\?\t\n"), std::string::npos) << text;
    EXPECT_NE(text.find("65100:Reusable tag\t0\xc3\x97?\?=0\t\n"), std::string::npos);
    EXPECT_NE(text.find("33434:EXIF:ExposureTime"), std::string::npos);

    TestTiff tiff;
    uint64_t exif = tiff.add_directory({{33434, 5, 1, {1, 250}}, {50000, 3, 1, {1}}});
    tiff.set_first(tiff.add_directory({{256, 3, 1, {1}}, {34665, 4, 1, {exif}}}));
    std::string report = text_report(tiff.bytes());
    EXPECT_NE(report.find("34665:Exif IFD"), std::string::npos);
    EXPECT_NE(report.find("TIFF image at offset " + std::to_string(exif)), std::string::npos);
    EXPECT_NE(report.find("50000:Unknown tag"),
              std::string::npos);  // E directories know no private tags
}

TEST(TagReport, DirectoryWarnings) {
    std::vector<TestEntry> entries;
    for (int i = 0; i < 300; ++i) entries.push_back({(uint16_t)(1000 + i), 3, 1, {1}});
    std::string text = one_directory(entries);
    EXPECT_EQ(occurrences(text, "Warning: Excessive number of tags. Only displaying the first 200."), 1u);
    EXPECT_EQ(occurrences(text, "\xe2\x80\xa2\t"), 200u);
    EXPECT_NE(text.find("Number of tags: 300\n"), std::string::npos);

    std::string unordered = one_directory({{300, 3, 1, {1}}, {256, 3, 1, {1}}, {255, 3, 1, {1}}});
    EXPECT_EQ(occurrences(unordered, "Warning: Tags not in ascending numerical order."), 1u);
    EXPECT_LT(unordered.find("256:ImageWidth"), unordered.find("Warning: Tags not"));
    EXPECT_GT(unordered.find("255:OldSubFileType"), unordered.find("Warning: Tags not"));

    std::string empty = one_directory({});
    EXPECT_NE(empty.find("Number of tags: 0\nWarning: Every image directory must "
                         "have at least one tag.\n"
                         "Next image offset: none\n"),
              std::string::npos)
        << empty;

    TestTiff odd;
    odd.bytes().push_back(0);
    odd.put_at(9, 1, 2);
    odd.put_at(11, 256, 2), odd.put_at(13, 3, 2), odd.put_at(15, 1, 4), odd.put_at(19, 1, 2), odd.put_at(21, 0, 4);
    odd.set_first(9);
    std::string odd_text = text_report(odd.bytes());
    EXPECT_NE(odd_text.find("TIFF image at offset 9\nWarning: Offset should be "
                            "an even number.\nNumber of tags: 1\n"),
              std::string::npos)
        << odd_text;
}

TEST(TagReport, ReadErrorsInsideADirectoryStopItButNotTheNext) {
    TestTiff tiff;
    uint64_t good = tiff.add_directory({{256, 3, 1, {1}}});
    uint64_t broken = tiff.add_directory({{256, 3, 1, {1}}, {270, 2, 50, {}, std::string(50, 'a')}});
    tiff.set_first(broken);
    tiff.set_next(broken, good);
    tiff.put_at(broken + 2 + 12 + 8, 1000000,
                4);  // the string's data lies past the end
    std::string text = text_report(tiff.bytes());
    EXPECT_NE(text.find("270:ImageDescription\t50\xc3\x97"
                        "1=50\t\xe2\x80\x9c\xe2\x80\x9d\n"
                        "Error: Attempt to read beyond end of file\n\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("TIFF image at offset " + std::to_string(good) + "\nNumber of tags: 1\n"), std::string::npos);
}

TEST(TagReport, LoopErrorFollowsTheDirectoriesFoundBeforeIt) {
    TestTiff tiff;
    uint64_t a = tiff.add_directory({{256, 3, 1, {1}}});
    tiff.set_first(a);
    tiff.set_next(a, a);
    std::string text = text_report(tiff.bytes());
    EXPECT_EQ(occurrences(text, "TIFF image at offset"), 1u);
    EXPECT_NE(text.find("Next image offset: " + std::to_string(a) + "\n\nError: IFD loop or cross-link detected\n"),
              std::string::npos)
        << text;
}

TEST(TagReport, ThisPageShowsOnlyThatDirectoryWithoutNaming) {
    TestTiff tiff;
    uint64_t first = tiff.add_directory({{256, 3, 1, {1}}});
    uint64_t second = tiff.add_directory({{256, 3, 1, {2}}, {33434, 5, 1, {1, 2}}});
    tiff.set_first(first);
    tiff.set_next(first, second);
    std::string text = text_report(tiff.bytes(), false, second);
    EXPECT_EQ(occurrences(text, "TIFF image at offset"), 1u);
    EXPECT_NE(text.find("TIFF image at offset " + std::to_string(second)), std::string::npos);
    EXPECT_NE(text.find("33434:EXIF:ExposureTime"), std::string::npos);
    EXPECT_TRUE(tag_report_use_all_pages(false, true, 2, 2));
    EXPECT_TRUE(tag_report_use_all_pages(false, false, 0, 2));
    EXPECT_TRUE(tag_report_use_all_pages(false, true, -1, 2));
    EXPECT_FALSE(tag_report_use_all_pages(false, true, 1, 2));
}

TEST(TagReport, OutputGoesOutInPiecesAndStopsAtAFailedWrite) {
    std::vector<TestEntry> entries;
    for (int i = 0; i < 150; ++i) entries.push_back({(uint16_t)(256 + i), 3, 1, {1}});
    TestTiff tiff;
    tiff.set_first(tiff.add_directory(entries));
    Sink sink;
    std::string rtf = rtf_report(tiff.bytes(), true, 0, &sink);
    ASSERT_GT(sink.pieces.size(), 3u);
    for (size_t i = 0; i + 1 < sink.pieces.size(); ++i) {
        EXPECT_GT(sink.pieces[i], kRtfFlushAbove);
        EXPECT_LE(sink.pieces[i], kRtfBufferSize);
    }
    Sink failing;
    failing.fail_after = 1;
    MemoryBytes mem{tiff.bytes().data(), tiff.bytes().size()};
    TagReportRequest r;
    r.read = tag_report_read_memory;
    r.read_user = &mem;
    r.size = mem.size;
    r.write = sink_write;
    r.write_user = &failing;
    EXPECT_FALSE(tag_report_build(r));
    EXPECT_EQ(failing.pieces.size(), 1u);
}

TEST(TagNames, TableHasBothKindsInNumberOrder) {
    size_t tiff = 0, exif = 0;
    for (size_t i = 0; i < kTagNameCount; ++i) {
        ASSERT_TRUE(kTagNames[i].name[0] == 'T' || kTagNames[i].name[0] == 'E');
        ASSERT_EQ(kTagNames[i].name[1], ':');
        (kTagNames[i].name[0] == 'T' ? tiff : exif)++;
        if (i > 0) {
            EXPECT_LT(kTagNames[i - 1].number, kTagNames[i].number);
        }
    }
    EXPECT_EQ(tiff, 213u);
    EXPECT_EQ(exif, 57u);
    EXPECT_EQ(kTagNames[kTagNameCount].name, nullptr);
    EXPECT_STREQ(tag_name_for(50834, 'T').name, "CURRENTPREPROFILEMATRIX (DNG)");
    EXPECT_STREQ(tag_name_for(42240, '*').prefix, "EXIF:");
}

TEST(RtfToText, KeepsTheReportTextAndDropsTheMarkup) {
    EXPECT_EQ(rtf_to_text("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl "
                          ";\\red1\\green2\\blue3;}\r\n"
                          "\\b\\ul Title\\b0\\ulnone\\par\r\n\\bullet\\tab\\cf1 "
                          "7\\cf0\\'d72=14\\tab\\'93a\\\\b\\{\\}\\'94"
                          "\\'85\\par\r\n}\r\n"),
              "Title\n\xe2\x80\xa2\t7\xc3\x97"
              "2=14\t\xe2\x80\x9c"
              "a\\b{}\xe2\x80\x9d\xe2\x80\xa6\n");
}
