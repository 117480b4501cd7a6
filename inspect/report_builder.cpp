#include "inspect/report_builder.h"

#include <cstring>

#include "inspect/tag_report.h"

namespace {

struct LimitedSource {
    InspectorRead read;
    void* user;
    uint64_t size;
};

size_t limited_read(void* user, uint64_t offset, void* buffer, size_t size) {
    auto* src = static_cast<LimitedSource*>(user);
    if (offset >= kReportReadLimit || offset >= src->size) return 0;
    if (src->size - offset < size) size = (size_t)(src->size - offset);
    return src->read(src->user, offset, buffer, size);
}

void print_all_pages(TagInspector* ins) {
    for (int kind : {kMainList, kExtraList}) {
        size_t count = inspector_directory_count(ins, kind);
        for (size_t i = 0; i < count; ++i) {
            report_print_directory(ins, kind, i);
            rtf_par(&ins->out);
        }
    }
}

}  // namespace

bool tag_report_build(const TagReportRequest& request) {
    TagInspector* ins = inspector_create();
    if (!ins) return false;
    LimitedSource source{request.read, request.read_user, request.size};
    inspector_set_source(ins, &source, limited_read);
    inspector_set_writer(ins, request.write_user, request.write);
    inspector_set_file_size(ins, request.size);
    inspector_set_output_mode(ins, kInspectorRichText);

    report_write_header(ins);
    bool header_ok = report_print_file_info(ins);
    rtf_par(&ins->out);
    if (header_ok) {
        if (request.all_pages) {
            print_all_pages(ins);
        } else {
            report_print_directory_at(ins, request.page_offset, kNamingNone);
            rtf_par(&ins->out);
        }
    }
    report_print_pending(ins);
    report_finish(ins);
    bool ok = !ins->out.failed;
    inspector_destroy(ins);
    return ok;
}

bool tag_report_use_all_pages(bool all_pages, bool loaded, int current_page, int directory_count) {
    return all_pages || !loaded || current_page < 0 || current_page >= directory_count;
}

size_t tag_report_read_memory(void* bytes, uint64_t offset, void* buffer, size_t size) {
    auto* m = static_cast<MemoryBytes*>(bytes);
    if (offset >= m->size) return 0;
    if (m->size - offset < size) size = (size_t)(m->size - offset);
    memcpy(buffer, m->data + offset, size);
    return size;
}
