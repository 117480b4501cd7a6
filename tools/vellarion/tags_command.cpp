// `vellarion tags FILE [--page N] [--rtf|--text]`: the tag report of a file,
// as rich text or as plain text, for users without the viewer.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "inspect/report_builder.h"
#include "inspect/rtf_to_text.h"
#include "tools/vellarion/command.h"

namespace {

size_t read_file_at(void* file, uint64_t offset, void* buffer, size_t size) {
    FILE* f = static_cast<FILE*>(file);
    if (fseeko(f, (off_t)offset, SEEK_SET) != 0) return 0;
    return fread(buffer, 1, size, f);
}

bool append_string(void* text, const char* data, size_t size) {
    static_cast<std::string*>(text)->append(data, size);
    return true;
}

// The directory shown for --page N: the Nth one of the main chain, counting
// from 1, as the viewer numbers pages for the user.
bool page_offset(FILE* f, uint64_t size, long page, uint64_t* offset) {
    TagInspector* ins = inspector_create();
    if (!ins) return false;
    inspector_set_source(ins, f, read_file_at);
    inspector_set_file_size(ins, size);
    bool found = page >= 1 && (size_t)page <= inspector_directory_count(ins, kMainList);
    if (found) *offset = inspector_directory(ins, kMainList, page - 1)->offset;
    inspector_destroy(ins);
    return found;
}

int usage() {
    fprintf(stderr, "usage: vellarion tags FILE [--page N] [--rtf|--text]\n");
    return 2;
}

int run_tags(int argc, char** argv) {
    const char* path = nullptr;
    long page = 0;
    bool rtf = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--rtf")) rtf = true;
        else if (!strcmp(argv[i], "--text"))
            rtf = false;
        else if (!strcmp(argv[i], "--page") && i + 1 < argc)
            page = strtol(argv[++i], nullptr, 10);
        else if (argv[i][0] != '-' && !path)
            path = argv[i];
        else
            return usage();
    }
    if (!path) return usage();
    FILE* f = fopen(path, "rb");
    if (!f) {
        fprintf(stderr, "vellarion tags: cannot open %s: %s\n", path, strerror(errno));
        return 1;
    }
    fseeko(f, 0, SEEK_END);
    uint64_t size = (uint64_t)ftello(f);
    TagReportRequest request;
    request.read = read_file_at;
    request.read_user = f;
    request.size = size;
    std::string report;
    request.write = append_string;
    request.write_user = &report;
    if (page != 0) {
        request.all_pages = false;
        if (!page_offset(f, size, page, &request.page_offset)) {
            fclose(f);
            fprintf(stderr, "vellarion tags: %s has no page %ld\n", path, page);
            return 1;
        }
    }
    bool ok = tag_report_build(request);
    fclose(f);
    std::string text = rtf ? report : rtf_to_text(report);
    fwrite(text.data(), 1, text.size(), stdout);
    return ok ? 0 : 1;
}

}  // namespace

VL_CLI_COMMAND(tags, "tags", "FILE [--page N] [--rtf|--text]  TIFF structure and tags", run_tags);
