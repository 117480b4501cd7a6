#include "host/nperror.h"

namespace {
const char16_t* const kNames[] = {
    u"No error",
    u"Generic error",
    u"Invalid instance",
    u"Invalid function table",
    u"Module load failed",
    u"Out of memory",
    u"Invalid plugin",
    u"Invalid plugin dir",
    u"Incompatible version",
    u"Invalid param",
    u"Invalid URL",
    u"File not found",
    u"No data",
    u"Stream not seekable",
};
}  // namespace

const char16_t* nperror_name(int32_t code) {
    const int16_t low = static_cast<int16_t>(static_cast<uint32_t>(code) & 0xFFFFu);
    if (low < 0 || low >= static_cast<int16_t>(sizeof kNames / sizeof kNames[0])) return u"Unrecognized error code";
    return kNames[low];
}
