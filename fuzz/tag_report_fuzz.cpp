// The tag report over arbitrary bytes: parser, walk and every value formatter,
// in both "All Pages" and "This Page" form.
#include <cstddef>
#include <cstdint>

#include "inspect/report_builder.h"

namespace {
bool discard(void *, const char *, size_t) { return true; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  MemoryBytes bytes{data, size};
  TagReportRequest request;
  request.read = tag_report_read_memory;
  request.read_user = &bytes;
  request.size = size;
  request.write = discard;
  tag_report_build(request);
  // "This Page" at an offset taken from the input's tail, as a stale or
  // hostile directory list would hand it over.
  if (size >= 4) {
    request.all_pages = false;
    request.page_offset =
        data[size - 1] | data[size - 2] << 8 | (uint64_t)data[size - 3] << 16;
    tag_report_build(request);
  }
  return 0;
}
