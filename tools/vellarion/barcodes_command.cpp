// vellarion barcodes FILE [--page N] [--region L,T,W,H]: the Code 128 texts of
// a page, one per line in the order found, for scanned-document pipelines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "analysis/page_analysis.h"
#include "analysis/raster_load.h"
#include "tools/vellarion/analysis_cli.h"
#include "tools/vellarion/command.h"

namespace {

bool parse_region(const char* s, int32_t v[4]) {
    for (int k = 0; k < 4; ++k) {
        char* end = nullptr;
        const long n = strtol(s, &end, 10);
        if (end == s || n < INT32_MIN || n > INT32_MAX) return false;
        v[k] = int32_t(n);
        if (k < 3 && *end != ',') return false;
        if (k == 3 && *end) return false;
        s = end + 1;
    }
    return true;
}

int run_barcodes(int argc, char** argv) {
    AnalysisCliArgs args;
    int32_t region[4] = {0, 0, 0, 0};
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--region") && i + 1 < argc) {
            if (!parse_region(argv[++i], region)) return analysis_cli_usage("barcodes", "--region wants L,T,W,H");
        } else if (!analysis_cli_arg(argc, argv, &i, &args)) {
            return analysis_cli_usage("barcodes", ("unexpected argument: " + std::string(argv[i])).c_str());
        }
    }
    if (!args.file) return analysis_cli_usage("barcodes", "no file given");
    DisplayRaster raster;
    if (!analysis_cli_load(args, &raster)) return 1;
    PageAnalysis a;
    analysis_init(&a);
    analysis_detect_barcodes(&a, &raster, region[0], region[1], region[2], region[3]);
    for (const Text16& t : a.barcodes.texts) printf("%s\n", text_to_utf8(t).c_str());
    analysis_raster_free(&raster);
    return 0;
}

}  // namespace

VL_CLI_COMMAND(barcodes, "barcodes", "FILE [--page N] [--region L,T,W,H]  Code 128 texts, one per line", run_barcodes);
