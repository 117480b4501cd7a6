// `vellarion info FILE`: what the viewer makes of a file, page by page, with
// the messages its Error log would show.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/colour.h"
#include "decode/raster_ops.h"
#include "document/compression_names.h"
#include "document/document.h"
#include "document/page_loader.h"
#include "document/temp_file.h"
#include "document/file_document.h"
#include "tools/vellarion/command.h"
#include "tools/vellarion/memory_limit.h"

namespace {
std::string utf8(const char16_t* s) { return text_to_utf8(std::u16string_view(s, text_len(s))); }

// Log text uses the dialog's line breaks; a terminal wants plain ones.
void print_log(const ErrorLog* log, const char* indent) {
    std::string text = utf8(errlog_text(log));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        printf("%s%s\n", indent, text.substr(start, end - start).c_str());
        start = end + 2;
    }
}

std::string resolution_text(const PageState& p) {
    if (!p.resolution_valid) return "no resolution";
    const char* unit = p.resolution_unit == 2 ? " dpi" : p.resolution_unit == 3 ? " pixels/cm" : " (aspect only)";
    char text[96];
    snprintf(text, sizeof text, "%g x %g%s", p.x_resolution, p.y_resolution, unit);
    return text;
}

void print_page(int page_number, const PageState& p) {
    char16_t colour[100], compression[64];
    colour_type_name(p.photometric, p.bits_per_sample, colour, 100);
    compression_name(p.compression, compression, 64);
    printf("page %d: %d x %d, %s, %d bits/pixel, %s, %s\n", page_number, p.width, p.height, utf8(colour).c_str(),
           p.source_bits_per_pixel, utf8(compression).c_str(), resolution_text(p).c_str());
}

// A page's description comes from its directory; the page is decoded only
// where its data could add to the Error log, or for every page when asked.
bool describe_page(FileDocument* f, int page, bool decode, PageState* state) {
    const int directory = document_directory_of_page(&f->doc, page);
    if (!decode) {
        const PageDescription d = page_describe(&f->doc, directory, &f->bytes, f->context, state);
        if (d != PageDescription::kNeedsDecoding) return d == PageDescription::kDescribed;
        errlog_clear(&f->page_log);
    }
    DisplayRaster raster;
    const bool shown = file_document_load_page(f, page, state, &raster);
    raster_destroy(&raster);
    return shown;
}

int run_info(int argc, char** argv) {
    const char* file = nullptr;
    bool decode = false, usage_error = false;
    FileDocument f;
    f.context.memory_limit_mb = kToolMemoryLimitMb;
    for (int i = 1; i < argc && !usage_error; ++i) {
        if (!strcmp(argv[i], "--decode")) decode = true;
        else if (!strcmp(argv[i], "--memory-limit") && i + 1 < argc)
            usage_error = !parse_memory_limit(argv[++i], &f.context.memory_limit_mb);
        else if (!file && argv[i][0] != '-')
            file = argv[i];
        else
            usage_error = true;
    }
    if (usage_error || !file) {
        fprintf(stderr, "usage: vellarion info FILE [--decode] [--memory-limit MB]\n");
        return 2;
    }
    const FileOpenResult opened = file_document_open(&f, file);
    int status = opened == FileOpenResult::kOpened ? 0 : 1;
    if (opened == FileOpenResult::kUnreadable) fprintf(stderr, "vellarion: cannot open %s\n", file);
    else
        printf("%s: %lld bytes, %d directories, %d pages\n", file, (long long)f.bytes.size, f.doc.directory_count,
               f.doc.page_count);
    for (int page = 0; page < f.doc.page_count; ++page) {
        errlog_clear(&f.page_log);
        PageState state;
        if (describe_page(&f, page, decode, &state)) print_page(page + 1, state);
        else
            printf("page %d: cannot be shown\n", page + 1);
        print_log(&f.page_log, "  ");
    }
    if (errlog_has_entries(&f.error_log)) {
        printf("Error log:\n");
        print_log(&f.error_log, "  ");
    }
    return status;
}
}  // namespace

VL_CLI_COMMAND(info, "info",
               "FILE [--decode] [--memory-limit MB]   pages, sizes, colour types and compressions; the Error log",
               run_info);
