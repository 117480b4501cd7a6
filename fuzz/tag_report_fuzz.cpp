// The tag report over arbitrary bytes: parser, walk and every value formatter,
// in both "All Pages" and "This Page" form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "inspect/report_builder.h"

namespace {
bool keep(void* user, const char* data, size_t size) {
    static_cast<std::string*>(user)->append(data, size);
    return true;
}

// Whatever the file holds, a report that was made is one whole RTF group:
// text taken from the file is escaped, and no path leaves a group open,
// closes one twice or keeps the end in its buffer.
void build_and_check(TagReportRequest request) {
    std::string rtf;
    request.write = keep;
    request.write_user = &rtf;
    if (!tag_report_build(request)) return;
    const size_t last = rtf.find_last_not_of("\r\n");
    if (last == std::string::npos || rtf[0] != '{') abort();
    int depth = 0;
    for (size_t i = 0; i <= last; ++i) {
        if (rtf[i] == '\\') ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth <= 0 && i != last)
            abort();
    }
    if (depth != 0) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryBytes bytes{data, size};
    TagReportRequest request;
    request.read = tag_report_read_memory;
    request.read_user = &bytes;
    request.size = size;
    build_and_check(request);
    // "This Page" at an offset taken from the input's tail, as a stale or
    // hostile directory list would hand it over.
    if (size >= 4) {
        request.all_pages = false;
        request.page_offset = data[size - 1] | data[size - 2] << 8 | (uint64_t)data[size - 3] << 16;
        build_and_check(request);
    }
    return 0;
}
