#include "tools/vellarion/analysis_cli.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "analysis/raster_load.h"

bool analysis_cli_arg(int argc, char** argv, int* i, AnalysisCliArgs* args) {
    const char* a = argv[*i];
    if (!strcmp(a, "--page") && *i + 1 < argc) {
        char* end = nullptr;
        const long page = strtol(argv[++*i], &end, 10);
        if (!*argv[*i] || *end || page < 1 || page > 65535) return false;
        args->page = int(page);
        return true;
    }
    if (a[0] == '-' || args->file) return false;
    args->file = a;
    return true;
}

int analysis_cli_usage(const char* command, const char* problem) {
    fprintf(stderr, "vellarion %s: %s\n", command, problem);
    if (!strcmp(command, "barcodes")) fprintf(stderr, "usage: vellarion barcodes FILE [--page N] [--region L,T,W,H]\n");
    else
        fprintf(stderr, "usage: vellarion %s FILE [--page N]\n", command);
    return 2;
}

bool analysis_cli_load(const AnalysisCliArgs& args, DisplayRaster* raster) {
    std::string error;
    if (analysis_raster_load(args.file, args.page - 1, raster, &error)) return true;
    fprintf(stderr, "vellarion: %s: page %d: %s\n", args.file, args.page, error.c_str());
    return false;
}
