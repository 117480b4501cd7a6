#include "document/document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "document/test_support.h"
#include "testing/tiff_builder.h"

namespace {
TiffPage small_page(uint32_t subfile_type = 0) {
    TiffPage p;
    p.width = 4;
    p.height = 2;
    p.subfile_type = subfile_type;
    return p;
}

// Offsets of the main chain's directories in a classic little-endian file.
std::vector<uint32_t> chain_offsets(const std::vector<uint8_t>& f) {
    std::vector<uint32_t> out;
    uint32_t at;
    memcpy(&at, f.data() + 4, 4);
    while (at && out.size() < 100) {
        out.push_back(at);
        uint16_t n;
        memcpy(&n, f.data() + at, 2);
        memcpy(&at, f.data() + at + 2 + 12 * n, 4);
    }
    return out;
}

void set_next_offset(std::vector<uint8_t>* f, uint32_t ifd, uint32_t next) {
    uint16_t n;
    memcpy(&n, f->data() + ifd, 2);
    memcpy(f->data() + ifd + 2 + 12 * n, &next, 4);
}

struct Opened {
    CapturedLog log{true, false};
    Document doc;
    DocumentBytes bytes;
    bool ok = false;
    Opened(const std::vector<uint8_t>& file, int ignore = 0) {
        bytes.memory = file.data();
        bytes.size = int64_t(file.size());
        bytes.size_known = true;
        LoaderContext context;
        context.error_log = &log.log;
        context.ignore_special_images = ignore;
        ok = document_open(&doc, &bytes, context);
    }
    ~Opened() { document_close(&doc); }
    std::vector<int> pages() const {
        std::vector<int> p;
        for (int i = 0; i < doc.directory_count; ++i) p.push_back(doc.directories[i].page);
        return p;
    }
};

Text16 magic_error(std::vector<uint8_t> bytes, bool size_known = true) {
    CapturedLog log(true, false);
    DocumentBytes b;
    b.memory = bytes.data();
    b.size = int64_t(bytes.size());
    b.size_known = size_known;
    EXPECT_FALSE(document_check_magic(&b, &log.log));
    return log.text();
}
}  // namespace

TEST(MagicCheck, TooSmallFilesSayHowSmall) {
    EXPECT_EQ(magic_error(std::vector<uint8_t>(7, 'I')), u"Error: File is too small to be a TIFF file (7 bytes)\r\n");
    EXPECT_EQ(magic_error({'I'}), u"Error: File is too small to be a TIFF file (1 byte)\r\n");
    EXPECT_EQ(magic_error({}), u"Error: File is too small to be a TIFF file (0 bytes)\r\n");
    EXPECT_EQ(magic_error({'I', 'I'}, false), u"Error: Unexpected error: Can\u2019t determine file size\r\n");
}

TEST(MagicCheck, AnythingElseIsShownAsText) {
    const std::string page = "<html>\r\n<body>404\tNot found\x01\xff</body>";
    EXPECT_EQ(magic_error(std::vector<uint8_t>(page.begin(), page.end())),
              u"Error: Not a TIFF file. File contents: <html>  <body>404 Not found  </body>\r\n");
    // At most the first 1000 bytes are shown (the log may cut the line shorter).
    std::vector<uint8_t> big(5000, 'x');
    const Text16 text = magic_error(big);
    EXPECT_GT(std::count(text.begin(), text.end(), u'x'), 900);
    EXPECT_LE(std::count(text.begin(), text.end(), u'x'), 1000);
}

TEST(MagicCheck, BytesKeptDuringTheDownloadDecide) {
    std::vector<uint8_t> bytes(8, 0);
    DocumentBytes b;
    b.memory = bytes.data();
    b.size = 8;
    b.size_known = true;
    b.magic_captured = true;
    b.magic[0] = b.magic[1] = 'M';
    CapturedLog log(true, false);
    EXPECT_TRUE(document_check_magic(&b, &log.log));
    // Bytes not yet kept are read and kept now.
    b.magic_captured = false;
    bytes[0] = bytes[1] = 'I';
    EXPECT_TRUE(document_check_magic(&b, &log.log));
    EXPECT_TRUE(b.magic_captured);
    EXPECT_EQ(b.magic[1], 'I');
    EXPECT_EQ(log.log.error_count, 0);
}

TEST(MagicCheck, FilesOnDiskAreReadToo) {
    ScratchFile file({'M', 'M', 0, 42, 0, 0, 0, 8});
    DocumentBytes b;
    b.file_path = file.path.c_str();
    b.size = 8;
    b.size_known = true;
    CapturedLog log(true, false);
    EXPECT_TRUE(document_check_magic(&b, &log.log));
    // The file went away (or shrank) after its size was taken.
    b.magic_captured = false;
    b.size = 9;
    EXPECT_FALSE(document_check_magic(&b, &log.log));
    EXPECT_EQ(log.text(), u"Error: File read error\r\n");
}

TEST(Enumeration, PagesOfEveryLayout) {
    for (const TiffBuildOptions& options : {TiffBuildOptions{false, false}, TiffBuildOptions{true, false},
                                            TiffBuildOptions{false, true}, TiffBuildOptions{true, true}}) {
        const std::vector<uint8_t> file = tiff_build({small_page(), small_page(), small_page()}, options);
        Opened o(file);
        EXPECT_TRUE(o.ok);
        EXPECT_EQ(o.pages(), (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(o.doc.page_count, 3);
        EXPECT_EQ(o.log.log.warning_count + o.log.log.error_count, 0) << text_to_utf8(o.log.text());
    }
}

TEST(Enumeration, ChainPointingBackIsWalkedOnce) {
    std::vector<uint8_t> file = tiff_build({small_page(), small_page(), small_page()});
    const std::vector<uint32_t> ifds = chain_offsets(file);
    ASSERT_EQ(ifds.size(), 3u);
    set_next_offset(&file, ifds[2], ifds[0]);
    Opened o(file);
    EXPECT_EQ(o.pages(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(o.log.text(), u"Warning: IFD loop or duplicate IFD detected\r\n");
    EXPECT_EQ(o.log.log.warning_count, 1);

    // A directory pointing at itself.
    set_next_offset(&file, ifds[2], 0);
    set_next_offset(&file, ifds[0], ifds[0]);
    Opened self(file);
    EXPECT_EQ(self.pages(), (std::vector<int>{0}));
    EXPECT_EQ(self.log.log.warning_count, 1);
}

TEST(Enumeration, SubIfdsCarryTheirBitDownTheirChain) {
    TiffPage first = small_page();
    first.sub_ifds = {small_page(1), small_page(1)};
    const std::vector<uint8_t> file = tiff_build({first, small_page()});
    Opened o(file);
    ASSERT_EQ(o.doc.directory_count, 4);
    EXPECT_EQ(o.doc.directories[0].kind, 0u);
    EXPECT_EQ(o.doc.directories[1].kind, kKindSubIfd | kKindReducedResolution);
    EXPECT_EQ(o.doc.directories[2].kind, kKindSubIfd | kKindReducedResolution);
    EXPECT_EQ(o.doc.directories[3].kind, 0u);
    // The second page after two chained sub-IFDs is still found.
    EXPECT_EQ(o.pages(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(document_directory_of_page(&o.doc, 3), 3);

    Opened no_subs(file, kIgnoreSubIfds);
    EXPECT_EQ(no_subs.pages(), (std::vector<int>{0, -1, -1, 1}));
    EXPECT_EQ(document_directory_of_page(&no_subs.doc, 1), 3);
    EXPECT_EQ(document_directory_of_page(&no_subs.doc, 2), -1);
}

TEST(Enumeration, BrokenDirectoryDoesNotHideLaterPages) {
    TiffPage first = small_page();
    first.sub_ifds = {small_page()};
    std::vector<uint8_t> file = tiff_build({first, small_page()});
    // Make the sub-IFD unreadable: no image length.
    Opened before(file);
    ASSERT_EQ(before.doc.directory_count, 3);
    const uint64_t sub = before.doc.directories[1].offset;
    uint16_t n;
    memcpy(&n, file.data() + sub, 2);
    for (uint16_t k = 0; k < n; ++k) {
        uint16_t tag;
        memcpy(&tag, file.data() + sub + 2 + 12 * k, 2);
        if (tag == 257) {
            tag = 0xC000;  // an unknown private tag instead
            memcpy(file.data() + sub + 2 + 12 * k, &tag, 2);
        }
    }
    Opened o(file);
    ASSERT_EQ(o.doc.directory_count, 2);
    EXPECT_EQ(o.doc.directories[1].offset, before.doc.directories[2].offset);
    EXPECT_EQ(o.doc.page_count, 2);
}

TEST(Enumeration, RepeatedSubIfdOffsetsAreDroppedBeforeTheyFillTheTable) {
    TiffPage first = small_page();
    first.sub_ifds = {small_page(1)};
    std::vector<uint8_t> file = tiff_build({first, small_page()});
    // Point the SubIFDs entry at a list of 65,535 copies of its one offset.
    const uint32_t ifd0 = chain_offsets(file)[0];
    uint16_t n;
    memcpy(&n, file.data() + ifd0, 2);
    bool patched = false;
    for (uint16_t k = 0; k < n && !patched; ++k) {
        uint8_t* entry = file.data() + ifd0 + 2 + 12 * k;
        uint16_t tag;
        memcpy(&tag, entry, 2);
        if (tag != 330) continue;
        uint32_t sub, count = 65535, list = uint32_t(file.size());
        memcpy(&sub, entry + 8, 4);
        memcpy(entry + 4, &count, 4);
        memcpy(entry + 8, &list, 4);
        for (uint32_t c = 0; c < count; ++c)
            file.insert(file.end(), {uint8_t(sub), uint8_t(sub >> 8), uint8_t(sub >> 16), uint8_t(sub >> 24)});
        patched = true;
    }
    ASSERT_TRUE(patched);
    Opened o(file);
    EXPECT_EQ(o.doc.directory_count, 3);
    EXPECT_EQ(o.doc.page_count, 3);
    EXPECT_EQ(o.log.text(), u"Warning: IFD loop or duplicate IFD detected\r\n");
}

TEST(PageNumbering, SpecialImagesFollowTheSetting) {
    const std::vector<uint8_t> file =
        tiff_build({small_page(), small_page(kKindReducedResolution), small_page(kKindTransparencyMask), small_page()});
    Opened all(file);
    EXPECT_EQ(all.pages(), (std::vector<int>{0, 1, -1, 2}));
    Opened full_only(file, kIgnoreReducedResolution);
    EXPECT_EQ(full_only.pages(), (std::vector<int>{0, -1, -1, 1}));
    EXPECT_EQ(full_only.doc.page_count, 2);
    // Numbering again under a changed setting needs no new walk.
    EXPECT_EQ(document_number_pages(&full_only.doc, 0, nullptr), 3);
}

TEST(PageNumbering, NoPagesIsAWarningUnlessSomethingFailed) {
    const std::vector<uint8_t> masks = tiff_build({small_page(kKindTransparencyMask)});
    Opened o(masks);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.log.text(), u"Warning: No images found\r\n");

    std::vector<uint8_t> broken = {'I', 'I', 42, 0, 0xF0, 0xFF, 0, 0, 0, 0};
    Opened b(broken);
    EXPECT_FALSE(b.ok);
    EXPECT_GT(b.log.log.error_count, 0);
    EXPECT_EQ(b.log.text().find(u"No images found"), Text16::npos);
}

TEST(PageNumbering, UnreadableFileGetsOurMessageWhenLibtiffSaidNothing) {
    CapturedLog log(true, false);
    Document doc;
    ASSERT_TRUE(document_reserve(&doc));
    DocumentBytes b;
    b.file_path = u"";
    b.size = 100;
    b.size_known = true;
    tiffmsg_attach(nullptr);  // libtiff's own words go nowhere
    EXPECT_FALSE(document_enumerate(&doc, &b, &log.log));
    EXPECT_EQ(log.text(), u"Error: *** Unable to process this TIFF file ***\r\n");
    document_close(&doc);
}

TEST(DirectoryTable, GrowsByDoublingFromItsFirstSizeUpToItsCap) {
    const std::vector<uint8_t> file = tiff_build(std::vector<TiffPage>(600, small_page()));
    Opened o(file);
    EXPECT_EQ(o.doc.page_count, 600);
    EXPECT_EQ(o.doc.directory_capacity, 1000);
    EXPECT_EQ(document_directory_of_page(&o.doc, 599), 599);

    // Past the cap the walk stops with a full table: the file still opens
    // with the first kDirectoryTableMax pages and nothing is written beyond.
    const std::vector<uint8_t> huge = tiff_build(std::vector<TiffPage>(kDirectoryTableMax + 5, TiffPage{}));
    Opened capped(huge);
    EXPECT_TRUE(capped.ok);
    EXPECT_EQ(capped.doc.directory_capacity, kDirectoryTableMax);
    EXPECT_EQ(capped.doc.directory_count, kDirectoryTableMax);
    EXPECT_EQ(capped.doc.page_count, kDirectoryTableMax);
    EXPECT_EQ(document_directory_of_page(&capped.doc, kDirectoryTableMax - 1), kDirectoryTableMax - 1);
}
