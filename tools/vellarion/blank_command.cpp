// vellarion blank FILE [--page N]: the dark fraction of a page (0 white, 1
// black), for pipelines that drop blank scans by their own threshold.
#include <cstdio>
#include <string>

#include "tools/vellarion/analysis_cli.h"
#include "analysis/page_analysis.h"
#include "analysis/raster_load.h"
#include "tools/vellarion/command.h"

namespace {

int run_blank(int argc, char** argv) {
    AnalysisCliArgs args;
    for (int i = 1; i < argc; ++i)
        if (!analysis_cli_arg(argc, argv, &i, &args))
            return analysis_cli_usage("blank", ("unexpected argument: " + std::string(argv[i])).c_str());
    if (!args.file) return analysis_cli_usage("blank", "no file given");
    DisplayRaster raster;
    if (!analysis_cli_load(args, &raster)) return 1;
    PageAnalysis a;
    analysis_init(&a);
    printf("%.6f\n", analysis_detect_blank_page(&a, &raster));
    analysis_raster_free(&raster);
    return 0;
}

}  // namespace

VL_CLI_COMMAND(blank, "blank", "FILE [--page N]  dark fraction of the page", run_blank);
