// One validator for every way libtiff reads our bytes: a buffer, a file named
// by us and a file made in the temporary folder. Built natively and for
// Windows, where it runs over the Win32 file layer.
#include "document/byte_source.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "config/message_box.h"
#include "document/temp_file.h"
#include "document/test_support.h"
#include "testing/tiff_builder.h"

namespace {
enum class Kind { kMemory, kFile, kTemporaryFile };

std::vector<uint8_t> sample_file() {
    TiffPage p;
    p.width = 64;
    p.height = 40;
    for (uint32_t i = 0; i < p.width * p.height; ++i) p.pixels.push_back(uint8_t(i * 7));
    return tiff_build({p});
}

class ByteSource : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        bytes_ = sample_file();
        ASSERT_FALSE(bytes_.empty());
        if (GetParam() == Kind::kMemory) {
            tif_ = tiffsrc_open_memory(bytes_.data(), int64_t(bytes_.size()));
        } else if (GetParam() == Kind::kFile) {
            file_ = std::make_unique<ScratchFile>(bytes_);
            tif_ = tiffsrc_open_file(file_->path.c_str());
        } else {
            char16_t path[kFsMaxPath];
            ASSERT_TRUE(tempfile_make(nullptr, path, kFsMaxPath));
            temp_path_ = path;
            const FsHandle f = fs_create(path, nullptr);
            uint32_t done = 0;
            ASSERT_TRUE(fs_write(f, bytes_.data(), uint32_t(bytes_.size()), &done));
            ASSERT_TRUE(fs_close(f));
            tif_ = tiffsrc_open_file(path);
        }
        ASSERT_NE(tif_, nullptr) << text_to_utf8(log_.text());
    }
    void TearDown() override {
        if (tif_) TIFFClose(tif_);
        if (!temp_path_.empty()) fs_delete(temp_path_.c_str());
    }
    // Reads n bytes at `from` through the reader's own procedures.
    tmsize_t read_at(uint64_t from, std::vector<uint8_t>* out, tmsize_t n) {
        out->assign(size_t(n), 0xEE);
        EXPECT_EQ(TIFFGetSeekProc(tif_)(TIFFClientdata(tif_), from, SEEK_SET), from);
        return TIFFGetReadProc(tif_)(TIFFClientdata(tif_), out->data(), n);
    }
    bool is_memory() const { return GetParam() == Kind::kMemory; }

    CapturedLog log_;
    std::vector<uint8_t> bytes_;
    std::unique_ptr<ScratchFile> file_;
    Text16 temp_path_;
    TIFF* tif_ = nullptr;
};
}  // namespace

TEST_P(ByteSource, DeliversThePageAndItsSize) {
    std::vector<uint8_t> strip(64 * 40);
    ASSERT_EQ(TIFFReadEncodedStrip(tif_, 0, strip.data(), tmsize_t(strip.size())), tmsize_t(strip.size()));
    for (size_t i = 0; i < strip.size(); ++i) ASSERT_EQ(strip[i], uint8_t(i * 7)) << i;
    EXPECT_EQ(TIFFGetSizeProc(tif_)(TIFFClientdata(tif_)), bytes_.size());
    EXPECT_EQ(log_.log.error_count + log_.log.warning_count, 0);
}

TEST_P(ByteSource, ShortReadsWithinToleranceAreZeroFilledWithOneWarning) {
    const uint64_t end = bytes_.size();
    std::vector<uint8_t> got;
    ASSERT_EQ(read_at(end - 40, &got, 100), 100);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 40, bytes_.end() - 40));
    EXPECT_TRUE(std::all_of(got.begin() + 40, got.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(log_.text(),
              u"Warning: Unexpected end of file -- need 100 bytes but only 40 are available. "
              u"Attempting to continue.\r\n");

    // The tolerance is inclusive: a gap of exactly 16,384 bytes is still filled.
    ASSERT_EQ(read_at(end - 40, &got, 40 + kShortReadTolerance), 40 + kShortReadTolerance);
    EXPECT_EQ(got.back(), 0);
    EXPECT_EQ(log_.log.warning_count, 2);
}

TEST_P(ByteSource, LargerShortfallsReturnTheShortCountQuietly) {
    const uint64_t end = bytes_.size();
    std::vector<uint8_t> got;
    EXPECT_EQ(read_at(end - 40, &got, 20000), 40);
    EXPECT_EQ(read_at(end - 40, &got, 40 + kShortReadTolerance + 1), 40);
    EXPECT_EQ(got[40], 0xEE);  // nothing written past the bytes read
    EXPECT_EQ(read_at(end, &got, 10), 0);
    EXPECT_EQ(log_.log.warning_count, 0);
}

TEST_P(ByteSource, MemoryIsMappedAndBoundedFilesAreNot) {
    const thandle_t h = TIFFClientdata(tif_);
    void* base = nullptr;
    toff_t size = 0;
    const TIFFSeekProc seek = TIFFGetSeekProc(tif_);
    if (is_memory()) {
        ASSERT_EQ(TIFFGetMapFileProc(tif_)(h, &base, &size), 1);
        EXPECT_EQ(base, bytes_.data());
        EXPECT_EQ(size, bytes_.size());
        // The buffer's end is a valid position; one byte beyond is not.
        EXPECT_EQ(seek(h, bytes_.size(), SEEK_SET), bytes_.size());
        errno = 0;
        EXPECT_EQ(seek(h, bytes_.size() + 1, SEEK_SET), toff_t(-1));
        EXPECT_EQ(errno, EINVAL);
        EXPECT_EQ(seek(h, toff_t(-1), SEEK_SET), toff_t(-1));
        EXPECT_EQ(seek(h, 0, 3), toff_t(-1));
        EXPECT_EQ(seek(h, toff_t(-4), SEEK_END), bytes_.size() - 4);
    } else {
        EXPECT_EQ(TIFFGetMapFileProc(tif_)(h, &base, &size), 0);
        EXPECT_EQ(seek(h, 0xFFFFFFFFull, SEEK_SET), toff_t(-1));
        EXPECT_EQ(seek(h, 10, SEEK_SET), 10u);
        EXPECT_EQ(seek(h, 5, SEEK_CUR), 15u);
    }
    // Sources are read-only.
    uint8_t byte = 0;
    EXPECT_EQ(TIFFGetWriteProc(tif_)(h, &byte, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(EverySource, ByteSource, ::testing::Values(Kind::kMemory, Kind::kFile, Kind::kTemporaryFile),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::kMemory ? "Memory"
                                    : info.param == Kind::kFile ? "File"
                                                                : "TemporaryFile";
                         });

TEST(FileSource, MissingFileIsReportedWithItsPath) {
    CapturedLog log;
    ScratchFile gone({});
    const Text16 path = gone.path + u"-missing";
    EXPECT_EQ(tiffsrc_open_file(path.c_str()), nullptr);
    EXPECT_EQ(log.text(), u"Error: TIFFOpen: " + path + u": Cannot open\r\n");
}

TEST(WriteSink, OffsetsCountFromTheHandlesPosition) {
    // The upload writes a TIFF after a header of its own: the TIFF must be
    // readable on its own once the header is cut off.
    ScratchFile out({});
    const FsHandle f = fs_create(out.path.c_str(), nullptr);
    ASSERT_NE(f, kNoFile);
    uint32_t done = 0;
    ASSERT_TRUE(fs_write(f, "HEADER", 6, &done));
    TIFF* w = tiffsrc_open_sink(f);
    ASSERT_NE(w, nullptr);
    // The header libtiff has just written, without ours in front of it.
    EXPECT_EQ(TIFFGetSizeProc(w)(TIFFClientdata(w)), 8u);
    TIFFSetField(w, TIFFTAG_IMAGEWIDTH, 5);
    TIFFSetField(w, TIFFTAG_IMAGELENGTH, 3);
    TIFFSetField(w, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(w, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(w, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(w, TIFFTAG_ROWSPERSTRIP, 3);
    uint8_t pixels[15];
    for (int i = 0; i < 15; ++i) pixels[i] = uint8_t(i * 10);
    ASSERT_EQ(TIFFWriteEncodedStrip(w, 0, pixels, 15), 15);
    TIFFClose(w);
    ASSERT_TRUE(fs_close(f));  // the sink leaves the handle to its owner

    std::vector<uint8_t> written = read_whole_file(out.path.c_str());
    ASSERT_GT(written.size(), 6u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 6), "HEADER");
    const std::vector<uint8_t> tiff(written.begin() + 6, written.end());
    TIFF* r = tiffsrc_open_memory(tiff.data(), int64_t(tiff.size()));
    ASSERT_NE(r, nullptr);
    uint8_t back[15] = {};
    EXPECT_EQ(TIFFReadEncodedStrip(r, 0, back, 15), 15);
    EXPECT_EQ(memcmp(back, pixels, 15), 0);
    TIFFClose(r);
}

TEST(TempFile, MadeEmptyWithOurPrefix) {
    char16_t path[kFsMaxPath];
    ASSERT_TRUE(tempfile_make(nullptr, path, kFsMaxPath));
    const Text16 p = path;
    const Text16 name = p.substr(p.find_last_of(u"/\\") + 1);
    EXPECT_EQ(name.substr(0, 3), u"vlr");
    EXPECT_TRUE(p.size() > 4 && text_iequal(std::u16string_view(p).substr(p.size() - 4), u".tmp"));
    EXPECT_TRUE(file_exists(path));
    uint64_t size = 1;
    EXPECT_TRUE(file_size(path, &size));
    EXPECT_EQ(size, 0u);
    ASSERT_TRUE(fs_delete(path));
    EXPECT_FALSE(file_exists(path));
    EXPECT_FALSE(file_size(path, &size));
    EXPECT_FALSE(file_exists(u""));
}

#if !defined(_WIN32)
TEST(TempFile, FailureIsShownInABox) {
    struct Seen {
        int count = 0;
        unsigned type = 0;
        Text16 text;
    } seen;
    void* old_context = nullptr;
    const MessageBoxHandler old = msgbox_set_handler(
        [](const MessageBoxRequest& r, void* c) {
            Seen* s = static_cast<Seen*>(c);
            ++s->count;
            s->type = r.type;
            s->text = r.text;
            return kIdOk;
        },
        &seen, &old_context);
    const char* saved = getenv("TMPDIR");
    const std::string keep = saved ? saved : "";
    setenv("TMPDIR", "/nonexistent-folder-for-vlr", 1);
    char16_t path[kFsMaxPath];
    EXPECT_FALSE(tempfile_make(nullptr, path, kFsMaxPath));
    if (saved) setenv("TMPDIR", keep.c_str(), 1);
    else
        unsetenv("TMPDIR");
    msgbox_set_handler(old, old_context);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.type, kMbOk | kMbIconError);
    EXPECT_EQ(seen.text, u"Failed to create a temporary file (error=2, temp folder=/nonexistent-folder-for-vlr/)");
    EXPECT_EQ(path[0], 0);
}
#endif
