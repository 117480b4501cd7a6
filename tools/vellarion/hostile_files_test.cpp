// The tool on files that claim huge pages or blow up when decoded: each is
// refused under the default memory limit before the memory is taken, with the
// viewer's message. The files are described here, not stored.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "document/test_support.h"
#include "testing/tiff_builder.h"

namespace {
struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

ToolRun run_tool(const std::string& arguments) {
    ToolRun r;
    const std::string command = std::string(VL_TOOL_PATH) + " " + arguments + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) r.output.append(buffer, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TiffPage claimed_page(uint32_t w, uint32_t h, uint16_t bps, uint16_t spp, uint16_t compression,
                      std::vector<uint8_t> data) {
    TiffPage p;
    p.width = w;
    p.height = h;
    p.bits_per_sample = bps;
    p.samples_per_pixel = spp;
    p.photometric = spp == 3 ? 2 : 0;
    p.compression = compression;
    p.raw_chunks = {std::move(data)};
    return p;
}

std::vector<uint8_t> repeated(std::vector<uint8_t> unit, size_t times) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

const char kRefusal[] = "Image too large, exceeds configured 1024MB memory limit";
}  // namespace

TEST(ToolBounds, HugePagesAreRefusedBeforeAllocating) {
    const std::vector<uint8_t> empty_deflate = {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    const TiffPage pages[] = {
        claimed_page(100000, 100000, 1, 1, 1, {0}),                             // bilevel, 1.25 GB
        claimed_page(40000, 40000, 8, 1, 32773, repeated({0x81, 0x00}, 4096)),  // PackBits runs, 1.6 GB
        claimed_page(120000, 130000, 1, 1, 4, repeated({0xFF}, 64)),            // 2-D fax, 1.95 GB
        claimed_page(25000, 25000, 8, 3, 8, empty_deflate),                     // Deflate RGB, 1.9 GB
    };
    for (const TiffPage& page : pages) {
        ScratchFile file(tiff_build({page}));
        const std::string path = text_to_utf8(file.path), out = path + ".png";
        for (const char* view : {"", " --zoom 25"}) {
            const ToolRun r = run_tool("render " + path + " --out " + out + view);
            EXPECT_EQ(r.status, 1) << page.width << view << r.output;
            EXPECT_NE(r.output.find(kRefusal), std::string::npos) << page.width << view << r.output;
            EXPECT_EQ(fopen(out.c_str(), "rb"), nullptr) << page.width << view;
        }
        const ToolRun info = run_tool("info " + path);
        EXPECT_NE(info.output.find("page 1: cannot be shown\n"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find(kRefusal), std::string::npos) << info.output;
    }
}

TEST(ToolBounds, ViewsAreBoundedLikePagesAndTheLimitCanBeSet) {
    TiffPage small;
    small.width = 8;
    small.height = 6;
    small.samples_per_pixel = 3;
    small.photometric = 2;
    ScratchFile file(tiff_build({small}));
    const std::string path = text_to_utf8(file.path), out = path + ".png";
    const ToolRun huge_window = run_tool("render " + path + " --out " + out + " --fit best 100000x100000");
    EXPECT_EQ(huge_window.status, 1);
    EXPECT_NE(huge_window.output.find(kRefusal), std::string::npos) << huge_window.output;

    const std::string window = "render " + path + " --out " + out + " --fit best 2000x1500";
    const ToolRun one_mb = run_tool(window + " --memory-limit 1");  // 2000 x 1500 RGB is 9 MB
    EXPECT_EQ(one_mb.status, 1);
    EXPECT_NE(one_mb.output.find("exceeds configured 1MB memory limit"), std::string::npos) << one_mb.output;
    const ToolRun unlimited = run_tool(window + " --memory-limit 0");
    EXPECT_EQ(unlimited.status, 0) << unlimited.output;
    EXPECT_EQ(remove(out.c_str()), 0);
    EXPECT_EQ(run_tool(window + " --memory-limit -1").status, 2);
}
