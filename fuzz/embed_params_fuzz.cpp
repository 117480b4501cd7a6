// Embed parameters come from any web page: split the input into name/value
// pairs (newline between pairs, '=' inside) and make a viewer from them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "config/settings.h"
#include "host/viewer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Text16> names, values;
    size_t start = 0;
    while (start <= text.size() && names.size() < 200) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        names.push_back(text_from_utf8(line.substr(0, eq)));
        values.push_back(text_from_utf8(eq == std::string::npos ? "" : line.substr(eq + 1)));
        start = end + 1;
    }
    std::vector<const char16_t*> n, v;
    for (size_t i = 0; i < names.size(); ++i) {
        // An empty name stands for a pair the browser handed over as null.
        n.push_back(names[i].empty() ? nullptr : names[i].c_str());
        v.push_back(values[i].c_str());
    }
    MemorySettingsStore store;
    ViewerCreateArgs a;
    a.mode = size % 2 ? kModeFull : kModeEmbed;
    a.count = int(n.size());
    a.names = n.data();
    a.values = v.data();
    a.store = &store;
    Viewer* viewer = nullptr;
    if (viewer_create(a, &viewer) == 0) viewer_free(viewer);
    return 0;
}
