// Our directory walk against a second opinion: for every corpus sample, the
// main-chain directories (offsets, in order) and each directory's entries (tag,
// type, count) must match what libtiff's tiffdump printed for the same file.
// testdata/tiffdump_corpus.txt is that tool's output (make_tiffdump.sh).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "inspect/report_builder.h"
#include "inspect/tiff_inspector.h"

namespace {

struct DumpEntry {
    uint64_t tag, type, count;
    bool operator==(const DumpEntry&) const = default;
};

struct DumpDirectory {
    uint64_t offset;
    std::vector<DumpEntry> entries;
};

// tiffdump reads a BigTIFF header whose filler word is not 0; we refuse it
// ("Invalid BigTIFF filler bytes"), as a header that breaks the format's own
// rule says little about the rest of the file.
const std::set<std::string> kRefusedHeaders = {"exiv2__issue_712_poc.tif"};

using Dump = std::map<std::string, std::vector<DumpDirectory>>;

uint64_t number(const std::string& s) { return std::stoull(s, nullptr, 0); }

// tiffdump names known tags and types ("ImageWidth (256) SHORT (3) 1<...>") and
// shows unknown ones as "decimal (hex)".
Dump read_dump() {
    std::ifstream in(VL_SOURCE_DIR "/inspect/testdata/tiffdump_corpus.txt");
    const std::regex file_re("^==> (.*) <==$");
    const std::regex dir_re("^Directory \\d+: offset (\\d+) ");
    const std::regex entry_re(
        "^(.+?) \\((0x[0-9a-f]+|\\d+)\\) (\\S+) "
        "\\((0x[0-9a-f]+|\\d+)\\) (\\d+)<");
    Dump dump;
    std::vector<DumpDirectory>* dirs = nullptr;
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, m, file_re)) {
            dirs = &dump[m[1]];
        } else if (dirs && std::regex_search(line, m, dir_re)) {
            dirs->push_back({number(m[1]), {}});
        } else if (dirs && !dirs->empty() && std::regex_search(line, m, entry_re)) {
            bool tag_named = m[2].str().rfind("0x", 0) != 0;
            bool type_named = m[4].str().rfind("0x", 0) != 0;
            uint64_t tag = tag_named ? number(m[2]) : number(m[1]);
            uint64_t type = type_named ? number(m[4]) : number(m[3]);
            dirs->back().entries.push_back({tag, type, number(m[5])});
        }
    }
    return dump;
}

std::vector<uint8_t> load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Ours {
    std::vector<DumpDirectory> dirs;
};

// Entries are read until the first one that lies past the end of the file,
// as the report lists them.
Ours read_ours(const std::vector<uint8_t>& bytes) {
    Ours ours;
    MemoryBytes mem{bytes.data(), bytes.size()};
    TagInspector* ins = inspector_create();
    inspector_set_source(ins, &mem, tag_report_read_memory);
    inspector_set_file_size(ins, bytes.size());
    size_t n = inspector_directory_count(ins, kMainList);
    for (size_t i = 0; i < n; ++i) {
        uint64_t dir = inspector_directory(ins, kMainList, i)->offset;
        DumpDirectory d{dir, {}};
        uint64_t count = inspector_entry_count(ins, dir);
        for (uint64_t k = 0; k < count && !ins->error; ++k) {
            InspectorEntry e;
            if (inspector_read_entry(ins, dir, k, &e)) d.entries.push_back({e.tag, e.type, e.count});
        }
        inspector_clear_error(ins);
        ours.dirs.push_back(d);
    }
    inspector_destroy(ins);
    return ours;
}

void expect_same_entries(const std::vector<DumpEntry>& ours, const std::vector<DumpEntry>& theirs, size_t dir) {
    EXPECT_EQ(ours.size(), theirs.size()) << "directory " << dir;
    for (size_t k = 0; k < ours.size() && k < theirs.size(); ++k) {
        if (ours[k] == theirs[k]) continue;
        ADD_FAILURE() << "directory " << dir << " entry " << k << ": ours " << ours[k].tag << "/" << ours[k].type << "/"
                      << ours[k].count << ", tiffdump " << theirs[k].tag << "/" << theirs[k].type << "/"
                      << theirs[k].count;
        return;
    }
}

}  // namespace

TEST(TiffdumpAgreement, DirectoriesAndEntriesMatchForEveryCorpusFile) {
    Dump dump = read_dump();
    ASSERT_GE(dump.size(), 190u);
    int files = 0, directories = 0, entries = 0;
    for (const auto& [name, theirs] : dump) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = load(std::string(VL_CORPUS_DIR "/") + name);
        ASSERT_FALSE(bytes.empty());
        Ours ours = read_ours(bytes);
        if (kRefusedHeaders.count(name)) {
            EXPECT_TRUE(ours.dirs.empty());
            continue;
        }
        // tiffdump stops at the first directory it cannot read whole; we list
        // that directory with the entries that are there. So we may hold one
        // more directory, never fewer.
        EXPECT_GE(ours.dirs.size(), theirs.size());
        EXPECT_LE(ours.dirs.size(), theirs.size() + 1);
        for (size_t i = 0; i < theirs.size() && i < ours.dirs.size(); ++i) {
            EXPECT_EQ(ours.dirs[i].offset, theirs[i].offset) << "directory " << i;
            expect_same_entries(ours.dirs[i].entries, theirs[i].entries, i);
            entries += (int)theirs[i].entries.size();
        }
        ++files;
        directories += (int)theirs.size();
    }
    EXPECT_GE(files, 190);
    printf("[ compared %d files, %d directories, %d entries ]\n", files, directories, entries);
}
