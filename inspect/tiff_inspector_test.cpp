#include "inspect/tiff_inspector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inspect/report_builder.h"
#include "inspect/test_tiff_bytes.h"

namespace {

struct Source {
    std::vector<uint8_t> bytes;
    MemoryBytes mem;
    int reads = 0;
};

size_t counting_read(void* user, uint64_t offset, void* buffer, size_t size) {
    auto* s = static_cast<Source*>(user);
    ++s->reads;
    return tag_report_read_memory(&s->mem, offset, buffer, size);
}

// An inspector over `bytes`, owning both.
struct Inspect {
    explicit Inspect(std::vector<uint8_t> bytes) : ins(inspector_create()) {
        src.bytes = std::move(bytes);
        src.mem = {src.bytes.data(), src.bytes.size()};
        inspector_set_source(ins, &src, counting_read);
        inspector_set_file_size(ins, src.bytes.size());
    }
    ~Inspect() { inspector_destroy(ins); }
    std::vector<uint64_t> offsets(int kind) {
        std::vector<uint64_t> out;
        for (size_t i = 0; i < inspector_directory_count(ins, kind); ++i)
            out.push_back(inspector_directory(ins, kind, i)->offset);
        return out;
    }
    Source src;
    TagInspector* ins;
};

std::vector<uint8_t> raw(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(InspectorHeader, RejectsWhatIsNotTiffWithTheReason) {
    struct Case {
        std::string bytes;
        const char* error;
    } cases[] = {
        {"II*\0", "Attempt to read beyond end of file"},  // fewer than 8 bytes
        {std::string("IM*\0\x08\0\0\0", 8), "Not a TIFF file"},
        {std::string("MI\0*\0\0\0\x08", 8), "Not a TIFF file"},
        {std::string("II\x2b\0\x04\0\0\0\x10\0\0\0\0\0\0\0", 16), "Invalid or unsupported BigTIFF bytesize (4)"},
        {std::string("II\x2b\0\x08\0\x07\0\x10\0\0\0\0\0\0\0", 16), "Invalid BigTIFF filler bytes (7)"},
        {std::string("II\x2c\0\x08\0\0\0", 8), "Invalid or unsupported TIFF file (bad version number)"},
    };
    for (const Case& c : cases) {
        Inspect t(raw(c.bytes));
        EXPECT_FALSE(inspector_parse_header(t.ins));
        EXPECT_STREQ(t.ins->error_text, c.error);
        EXPECT_EQ(inspector_directory_count(t.ins, kMainList), 0u);
    }
}

TEST(InspectorHeader, ReadsByteOrderFormatAndFirstOffset) {
    Inspect mdi(raw(std::string("EP*\0\x10\0\0\0", 8)));
    ASSERT_TRUE(inspector_parse_header(mdi.ins));
    EXPECT_EQ(mdi.ins->header_kind, kHeaderMdi);
    EXPECT_EQ(mdi.ins->byte_order, kLittleEndian);
    EXPECT_EQ(mdi.ins->first_offset, 16u);

    TestTiff big(true, true);
    big.set_first(0x0102030405060708ull);
    Inspect b(big.bytes());
    ASSERT_TRUE(inspector_parse_header(b.ins));
    EXPECT_TRUE(b.ins->bigtiff);
    EXPECT_EQ(b.ins->byte_order, kBigEndian);
    EXPECT_EQ(b.ins->first_offset, 0x0102030405060708ull);
}

TEST(InspectorReads, ErrorIsStickyAndZeroesLaterReads) {
    TestTiff tiff;
    tiff.put_at(8, 0xABCD, 2);
    Inspect t(tiff.bytes());
    ASSERT_TRUE(inspector_parse_header(t.ins));
    EXPECT_EQ(inspector_read_u16(t.ins, 8), 0xABCD);
    EXPECT_EQ(inspector_read_u32(t.ins, 9), 0u);  // runs past the 10-byte file
    EXPECT_STREQ(t.ins->error_text, "Attempt to read beyond end of file");
    EXPECT_EQ(inspector_read_u16(t.ins, 8), 0u);  // inside the file, yet zero
    inspector_clear_error(t.ins);
    EXPECT_EQ(inspector_read_u16(t.ins, 8), 0xABCD);
}

TEST(InspectorReads, ValuesSpanningTheCacheWindowAndSignedForms) {
    std::vector<uint8_t> bytes(3000, 0);
    bytes[0] = 'M', bytes[1] = 'M', bytes[3] = 42;
    for (int i = 0; i < 8; ++i) bytes[1020 + i] = (uint8_t)(0xF1 + i);  // straddles 1024
    Inspect t(bytes);
    ASSERT_TRUE(inspector_parse_header(t.ins));
    EXPECT_EQ(inspector_read_u64(t.ins, 1020), 0xF1F2F3F4F5F6F7F8ull);
    EXPECT_EQ(inspector_read_s16(t.ins, 1020), (int16_t)0xF1F2);
    EXPECT_EQ(inspector_read_s8(t.ins, 1021), (int8_t)0xF2);
    EXPECT_EQ(inspector_read_s32(t.ins, 1022), (int32_t)0xF3F4F5F6);
    int before = t.src.reads;
    for (uint64_t o = 1024; o < 2048; o += 4) inspector_read_u32(t.ins, o);
    EXPECT_LE(t.src.reads - before, 2);  // one 1024-byte window serves them
}

TEST(InspectorReads, OffsetsNearTheTopOfTheRangeFailInsteadOfWrapping) {
    TestTiff tiff(false, true);
    tiff.set_first(UINT64_MAX - 10);
    Inspect t(tiff.bytes());
    EXPECT_EQ(inspector_directory_count(t.ins, kMainList), 1u);
    InspectorEntry e;
    EXPECT_FALSE(inspector_read_entry(t.ins, UINT64_MAX - 10, 0, &e));
    EXPECT_STREQ(t.ins->error_text, "Attempt to read beyond end of file");
    EXPECT_TRUE(t.ins->walk_error);
}

TEST(InspectorEntries, DataLocationIsInsideTheEntryOnlyWhenItFits) {
    for (bool big : {false, true}) {
        TestTiff tiff(false, big);
        uint64_t dir = tiff.add_directory({{256, 4, 1, {7}},        // 4 bytes
                                           {258, 3, 3, {8, 8, 8}},  // 6 bytes
                                           {282, 5, 1, {72, 1}},    // 8 bytes
                                           {300, 99, 5, {}}});      // unknown type
        tiff.set_first(dir);
        Inspect t(tiff.bytes());
        ASSERT_TRUE(inspector_parse_header(t.ins));
        uint64_t first = dir + (big ? 8 : 2), step = big ? 20 : 12, field = big ? 12 : 8;
        InspectorEntry e;
        ASSERT_TRUE(inspector_read_entry(t.ins, dir, 0, &e));
        EXPECT_FALSE(e.out_of_line);
        EXPECT_EQ(e.data_location, first + field);
        ASSERT_TRUE(inspector_read_entry(t.ins, dir, 1, &e));
        EXPECT_EQ(e.out_of_line, !big);
        EXPECT_EQ(e.total_bytes, 6u);
        ASSERT_TRUE(inspector_read_entry(t.ins, dir, 2, &e));
        EXPECT_EQ(e.out_of_line, !big);
        if (big) {
            EXPECT_EQ(e.data_location, first + 2 * step + field);
        }
        EXPECT_EQ(inspector_read_u32(t.ins, e.data_location), 72u);
        ASSERT_TRUE(inspector_read_entry(t.ins, dir, 3, &e));
        EXPECT_EQ(e.total_bytes, 0u);
        EXPECT_STREQ(inspector_field_type(e.type).name, "??");
        EXPECT_EQ(inspector_next_offset(t.ins, dir, 4), 0u);
    }
}

TEST(InspectorEntries, HugeBigTiffCountDoesNotWrapTheByteTotal) {
    TestTiff tiff(false, true);
    uint64_t dir = tiff.add_directory({{273, 16, 1, {1}}});
    tiff.put_at(dir + 8 + 4, 1ull << 62, 8);  // 2^62 eight-byte values
    tiff.set_first(dir);
    Inspect t(tiff.bytes());
    ASSERT_TRUE(inspector_parse_header(t.ins));
    InspectorEntry e;
    ASSERT_TRUE(inspector_read_entry(t.ins, dir, 0, &e));
    EXPECT_EQ(e.total_bytes, UINT64_MAX);
    EXPECT_TRUE(e.out_of_line);
}

TEST(InspectorWalk, LoopBackToTheFirstDirectoryListsItOnce) {
    TestTiff tiff;
    uint64_t a = tiff.add_directory({{256, 3, 1, {1}}});
    uint64_t b = tiff.add_directory({{256, 3, 1, {2}}});
    tiff.set_first(a);
    tiff.set_next(a, b);
    tiff.set_next(b, a);
    Inspect t(tiff.bytes());
    EXPECT_EQ(t.offsets(kMainList), (std::vector<uint64_t>{a, b}));
    EXPECT_TRUE(t.ins->walk_error);
    EXPECT_STREQ(t.ins->walk_error_text, "IFD loop or cross-link detected");
    EXPECT_FALSE(t.ins->error);  // the listed directories stay readable
}

TEST(InspectorWalk, FollowsSingleSubdirectoryPointersWithTheirNaming) {
    TestTiff tiff;
    uint64_t exif = tiff.add_directory({{33434, 5, 1, {1, 100}}});
    uint64_t exif_next = tiff.add_directory({{256, 3, 1, {9}}});
    tiff.set_next(exif, exif_next);
    uint64_t sub = tiff.add_directory({{256, 3, 1, {3}}});
    uint64_t gps = tiff.add_directory({{1, 2, 2, {}, "N"}});
    uint64_t ignored = tiff.add_directory({{256, 3, 1, {4}}});
    uint64_t main = tiff.add_directory({{256, 3, 1, {5}},
                                        {330, 13, 1, {sub}},
                                        {330, 4, 2, {ignored, ignored}},  // two offsets: not followed
                                        {34665, 4, 1, {exif}},
                                        {34853, 3, 1, {gps}},  // wrong type: not followed
                                        {40965, 4, 1, {0}}});  // zero: nothing
    tiff.set_first(main);
    Inspect t(tiff.bytes());
    EXPECT_EQ(t.offsets(kMainList), (std::vector<uint64_t>{main}));
    EXPECT_EQ(t.offsets(kExtraList), (std::vector<uint64_t>{sub, exif, exif_next}));
    EXPECT_FALSE(inspector_directory(t.ins, kExtraList, 0)->exif_naming);
    EXPECT_TRUE(inspector_directory(t.ins, kExtraList, 1)->exif_naming);
    EXPECT_FALSE(inspector_directory(t.ins, kExtraList, 2)->exif_naming);  // a next link names T
    EXPECT_FALSE(t.ins->walk_error);
}

TEST(InspectorWalk, BigTiffFollowsOnlyThirtyTwoBitPointerTypes) {
    TestTiff tiff(false, true);
    uint64_t a = tiff.add_directory({{256, 3, 1, {1}}});
    uint64_t b = tiff.add_directory({{256, 3, 1, {2}}});
    uint64_t main = tiff.add_directory({{330, 18, 1, {a}}, {34665, 16, 1, {a}}, {400, 13, 1, {b}}});
    tiff.set_first(main);
    Inspect t(tiff.bytes());
    EXPECT_EQ(t.offsets(kExtraList), (std::vector<uint64_t>{b}));
}

TEST(InspectorWalk, EmptyDirectoryStillLeadsOnAndMdiWalksLikeClassic) {
    TestTiff tiff;
    uint64_t empty = tiff.add_directory({});
    uint64_t last = tiff.add_directory({{256, 3, 1, {1}}});
    tiff.set_first(empty);
    tiff.set_next(empty, last);
    tiff.bytes()[0] = 'E', tiff.bytes()[1] = 'P';
    Inspect t(tiff.bytes());
    EXPECT_EQ(t.offsets(kMainList), (std::vector<uint64_t>{empty, last}));
}

TEST(InspectorWalk, MoreThanFiftyThousandDirectoriesEndTheWalk) {
    TestTiff tiff;
    std::vector<uint64_t> dirs;
    for (int i = 0; i < 50001; ++i) dirs.push_back(tiff.add_directory({}));
    tiff.set_first(dirs[0]);
    for (size_t i = 0; i + 1 < dirs.size(); ++i) tiff.set_next(dirs[i], dirs[i + 1]);
    Inspect t(tiff.bytes());
    EXPECT_EQ(inspector_directory_count(t.ins, kMainList),
              0u);  // the list is dropped
    EXPECT_STREQ(t.ins->walk_error_text, "Too many IFDs");

    TestTiff fits;
    dirs.clear();
    for (int i = 0; i < 50000; ++i) dirs.push_back(fits.add_directory({}));
    fits.set_first(dirs[0]);
    for (size_t i = 0; i + 1 < dirs.size(); ++i) fits.set_next(dirs[i], dirs[i + 1]);
    Inspect f(fits.bytes());
    EXPECT_EQ(inspector_directory_count(f.ins, kMainList), 50000u);
    EXPECT_FALSE(f.ins->walk_error);
}
