// Every third-party sample goes through the loader: it opens, or is refused
// with a message in the log, and each page loads or fails without harm. Its
// directory and page counts agree with the corpus manifest, except where
// libtiff itself cannot read a directory the manifest lists, and its main
// chain is the one libtiff's own walk found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "decode/raster_ops.h"
#include "document/page_loader.h"
#include "document/test_support.h"

namespace {
struct Expected {
    int directories = 0;
    int pages = 0;
    int main_chain = 0;  // directories outside any SubIFDs tree
};

std::map<std::string, Expected> read_manifest() {
    std::map<std::string, Expected> files;
    std::ifstream in(std::string(VL_CORPUS_DIR) + "/manifest.tsv");
    std::string line;
    std::getline(in, line);  // header: file, ..., dir, ifd_offset, subifd, page, pages, tiffinfo_dirs, ...
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream ss(line);
        for (std::string col; std::getline(ss, col, '\t');) cols.push_back(col);
        if (cols.size() < 10) continue;
        Expected& e = files[cols[0]];
        if (cols[4] != "-") ++e.directories;
        e.pages = std::stoi(cols[8]);
        e.main_chain = std::stoi(cols[9]);
    }
    return files;
}

// Files whose directories libtiff refuses although the manifest lists them.
const std::map<std::string, Expected> kLibtiffRefuses = {
    // The first directory lacks a field libtiff requires (StripOffsets or
    // ImageLength), so libtiff will not open the file at all: no Document,
    // and libtiff's own errors are in the log.
    {"exiv2__2018-01-09-exiv2-crash-002.tiff", {0, 0}},
    {"exiv2__2018-01-09-exiv2-crash-003.tiff", {0, 0}},
    {"exiv2__issue_1830_poc.tiff", {0, 0}},
    // A sub-IFD holding only a JPEG thumbnail reference, without ImageLength:
    // libtiff cannot read it, so it is left out and the main page remains.
    {"pillow__child_ifd_jpeg.tiff", {1, 1}},
};
}  // namespace

TEST(Corpus, EveryFileOpensOrIsRefusedWithAMessage) {
    const std::map<std::string, Expected> manifest = read_manifest();
    ASSERT_GT(manifest.size(), 100u);
    // No sample in the folder escapes the walk by missing from the manifest.
    for (const auto& e : std::filesystem::directory_iterator(VL_CORPUS_DIR)) {
        const std::string ext = e.path().extension().string();
        if (ext == ".tif" || ext == ".tiff") {
            EXPECT_EQ(manifest.count(e.path().filename().string()), 1u) << e.path();
        }
    }
    int pages_shown = 0, pages_refused = 0;
    for (const auto& [name, listed] : manifest) {
        SCOPED_TRACE(name);
        const Text16 path = text_from_utf8(std::string(VL_CORPUS_DIR) + "/" + name);
        const std::vector<uint8_t> file = read_whole_file(path.c_str());
        ASSERT_FALSE(file.empty());
        CapturedLog error_log(true, false), page_log(false, false);
        LoaderContext context;
        context.error_log = &error_log.log;
        context.page_log = &page_log.log;
        context.memory_limit_mb = 512;
        DocumentBytes bytes;
        bytes.memory = file.data();
        bytes.size = int64_t(file.size());
        bytes.size_known = true;
        Document doc;
        const bool opened = document_open(&doc, &bytes, context);
        if (!opened) {
            EXPECT_GT(error_log.log.error_count + error_log.log.warning_count, 0);
        }

        const auto refused = kLibtiffRefuses.find(name);
        const Expected expected = refused != kLibtiffRefuses.end() ? refused->second : listed;
        EXPECT_EQ(doc.directory_count, expected.directories);
        EXPECT_EQ(doc.page_count, expected.pages);
        int main_chain = 0;
        for (int i = 0; i < doc.directory_count; ++i) main_chain += !(doc.directories[i].kind & kKindSubIfd);
        EXPECT_EQ(main_chain, listed.main_chain);

        for (int page = 0; page < doc.page_count; ++page) {
            PageState state;
            DisplayRaster raster;
            errlog_clear(&page_log.log);
            if (page_load(&doc, document_directory_of_page(&doc, page), &bytes, context, &state, &raster)) {
                ++pages_shown;
                EXPECT_EQ(raster_width(&raster), state.width);
                EXPECT_EQ(raster_height(&raster), state.height);
            } else {
                ++pages_refused;
                EXPECT_GT(page_log.log.error_count + page_log.log.warning_count, 0) << "page " << page;
            }
            raster_destroy(&raster);
        }
        document_close(&doc);
    }
    printf("corpus: %zu files, %d pages shown, %d refused\n", manifest.size(), pages_shown, pages_refused);
}
