// `vellarion render FILE [--page N] [--out PNG]`: one page as the viewer would
// show it before any view rotation (after the TIFF Orientation), through its
// colour table, as an 8-bit RGB PNG.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "config/error_log.h"
#include "decode/raster_ops.h"
#include "decode/raster_rgb.h"
#include "document/document.h"
#include "document/page_loader.h"
#include "document/temp_file.h"
#include "tools/vellarion/command.h"

namespace {

void print_log(const ErrorLog* log) {
    std::string text = text_to_utf8(errlog_text(log));
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    fputs(text.c_str(), stderr);
}

bool write_png(const DisplayRaster* raster, const char* path) {
    std::vector<uint8_t> rgb = raster_to_rgb(raster);
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(raster_width(raster));
    image.height = png_uint_32(raster_height(raster));
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr);
    if (!ok) fprintf(stderr, "vellarion: cannot write %s: %s\n", path, image.message);
    return ok;
}

struct Args {
    const char* file = nullptr;
    const char* out = nullptr;
    int page = 1;
};

bool parse(int argc, char** argv, Args* a) {
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--page") && i + 1 < argc) {
            char* end = nullptr;
            a->page = int(strtol(argv[++i], &end, 10));
            if (*end || a->page < 1) return false;
        } else if (!strcmp(argv[i], "--out") && i + 1 < argc) {
            a->out = argv[++i];
        } else if (!a->file && argv[i][0] != '-') {
            a->file = argv[i];
        } else {
            return false;
        }
    }
    return a->file != nullptr;
}

int render(const Args& a, const std::string& out) {
    const Text16 path = text_from_utf8(a.file);
    ErrorLog error_log, page_log;
    errlog_init(&error_log, true);
    errlog_init(&page_log, false);
    LoaderContext context;
    context.error_log = &error_log;
    context.page_log = &page_log;
    DocumentBytes bytes;
    bytes.file_path = path.c_str();
    uint64_t size = 0;
    bytes.size_known = file_size(path.c_str(), &size);
    bytes.size = int64_t(size);
    Document doc;
    DisplayRaster raster;
    PageState state;
    int status = 1;
    if (!bytes.size_known) fprintf(stderr, "vellarion: cannot open %s\n", a.file);
    else if (!document_open(&doc, &bytes, context)) print_log(&error_log);
    else if (a.page > doc.page_count) fprintf(stderr, "vellarion: %s has %d pages\n", a.file, doc.page_count);
    else if (!page_load(&doc, document_directory_of_page(&doc, a.page - 1), &bytes, context, &state, &raster))
        print_log(&page_log);
    else status = write_png(&raster, out.c_str()) ? 0 : 1;
    if (status == 0 && errlog_has_entries(&page_log)) print_log(&page_log);  // shown, with problems
    raster_destroy(&raster);
    document_close(&doc);
    errlog_free(&error_log);
    errlog_free(&page_log);
    return status;
}

int run_render(int argc, char** argv) {
    Args a;
    if (!parse(argc, argv, &a)) {
        fprintf(stderr, "usage: vellarion render FILE [--page N] [--out PNG]\n");
        return 2;
    }
    std::string out = a.out ? a.out : std::string(a.file) + ".p" + std::to_string(a.page) + ".png";
    return render(a, out);
}

}  // namespace

VL_CLI_COMMAND(render, "render", "FILE [--page N] [--out PNG]   one page as an RGB PNG", run_render);
