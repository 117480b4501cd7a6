// The third-party barcode pages: codes drawn by another program and printed by
// a raster image processor at 200 and 300 dpi, as Group 4 and as 8-bit grey.
// The manifest's `rowscan` column lists what a row-scanning, Start-B-only
// reader under our rules finds: set-B codes read, codes starting in set A or
// C and codes turned on their side not found, and a switch into set C read
// as set-B characters.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/page_analysis.h"
#include "analysis/raster_load.h"

namespace {

// A JSON list of strings, as the manifest writes it.
std::vector<std::string> parse_string_list(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    while ((i = s.find('"', i)) != std::string::npos) {
        std::u16string text;
        for (++i; i < s.size() && s[i] != '"'; ++i) {
            if (s[i] != '\\') {
                text += char16_t(uint8_t(s[i]));  // the manifest escapes everything past ASCII
                continue;
            }
            const char e = s[++i];
            if (e == 'u') {
                text += char16_t(std::stoi(s.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else {
                text += char16_t(e);
            }
        }
        out.push_back(text_to_utf8(text));
        ++i;
    }
    return out;
}

struct Sample {
    std::string file, category, rowscan;
};

std::vector<Sample> read_manifest() {
    std::ifstream in(std::string(VL_CORPUS_DIR) + "/barcodes/manifest.tsv");
    std::vector<Sample> out;
    std::string line;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, '\t');) cells.push_back(cell);
        if (header.empty()) {
            header = cells;
            continue;
        }
        auto col = [&](const char* name) {
            for (size_t k = 0; k < header.size(); ++k)
                if (header[k] == name && k < cells.size()) return cells[k];
            return std::string();
        };
        out.push_back({col("file"), col("category"), col("rowscan")});
    }
    return out;
}

}  // namespace

TEST(BarcodeCorpus, EveryPageReadsWhatTheRowScanningRulesFind) {
    const std::vector<Sample> samples = read_manifest();
    ASSERT_EQ(samples.size(), 36u);
    int read = 0;
    for (const Sample& s : samples) {
        DisplayRaster raster;
        std::string error;
        ASSERT_TRUE(
            analysis_raster_load((std::string(VL_CORPUS_DIR) + "/barcodes/" + s.file).c_str(), 0, &raster, &error))
            << s.file << ": " << error;
        PageAnalysis a;
        analysis_init(&a);
        analysis_detect_barcodes(&a, &raster, 0, 0, 0, 0);
        std::vector<std::string> found;
        for (Text16 t = analysis_get_barcode(&a); !t.empty(); t = analysis_get_barcode(&a))
            found.push_back(text_to_utf8(t));
        EXPECT_EQ(found, parse_string_list(s.rowscan)) << s.file;
        if (s.category == "rotated" || s.category == "startAC") {
            EXPECT_TRUE(found.empty()) << s.file;
        }
        read += int(found.size());
        // A printed page is mostly paper.
        EXPECT_GT(a.blank_score, 0.0) << s.file;
        EXPECT_LT(a.blank_score, 0.2) << s.file;
        analysis_raster_free(&raster);
    }
    EXPECT_EQ(read, 32);
}
