#include "inspect/tag_names.h"

#include <cstdio>
#include <cstring>

namespace {

struct ValueName {
    uint32_t value;
    const char* name;
};

constexpr ValueName kCompression[] = {
    {1, "none"},
    {2, "Huffman RLE"},
    {3, "Fax3"},
    {4, "Fax4"},
    {5, "LZW"},
    {6, "Old JPEG"},
    {7, "JPEG"},
    {8, "Deflate"},
    {32766, "NeXT RLE"},
    {32771, "CCITTRLEW"},
    {32773, "Packbits"},
    {32809, "ThunderScan"},
    {32895, "IT8CTPAD"},
    {32896, "IT8LW"},
    {32897, "IT8MP"},
    {32898, "IT8BL"},
    {32908, "PIXARFILM"},
    {32909, "PIXARLOG"},
    {32946, "Deflate (libtiff)"},
    {32947, "Kodak DCS"},
    {34661, "JBIG"},
    {34676, "SGILOG"},
    {34677, "SGILOG24"},
    {34712, "JPEG2000"},
    {34718, "MODI_BLC"},
    {34719, "MODI_VECTOR"},
    {34720, "MODI_PTC"},
    {0, nullptr},
};

constexpr ValueName kPhotometric[] = {
    {0, "min-is-white"}, {1, "min-is-black"},      {2, "RGB"},
    {3, "palette"},      {4, "transparency mask"}, {5, "color-separated (CMYK)"},
    {6, "YCbCr"},        {8, "CIE L*a*b*"},        {9, "ICC L*a*b*"},
    {10, "ITU L*a*b*"},  {32844, "CIE Log2(L)"},   {32845, "CIE Log2(L) (u',v')"},
    {0, nullptr},
};

constexpr ValueName kOldSubfileType[] = {
    {1, "full-res-version"}, {2, "reduced-res-version"}, {3, "one-page-of-many"}, {0, nullptr}};
constexpr ValueName kThresholding[] = {
    {1, "no dithering"}, {2, "ordered dither"}, {3, "error diffusion"}, {0, nullptr}};
constexpr ValueName kFillOrder[] = {{1, "msb-to-lsb"}, {2, "lsb-to-msb"}, {0, nullptr}};
constexpr ValueName kOrientation[] = {{1, "top-left"},     {2, "top-right"},   {3, "bottom-right"},
                                      {4, "bottom-left"},  {5, "left-top"},    {6, "right-top"},
                                      {7, "right-bottom"}, {8, "left-bottom"}, {0, nullptr}};
constexpr ValueName kPlanar[] = {{1, "contiguous"}, {2, "separate"}, {0, nullptr}};
constexpr ValueName kGrayResponseUnit[] = {{1, "10ths"},     {2, "100ths"},     {3, "1000ths"},
                                           {4, "10,000ths"}, {5, "100,000ths"}, {0, nullptr}};
constexpr ValueName kResolutionUnit[] = {{1, "unspecified"}, {2, "pixels/inch"}, {3, "pixels/cm"}, {0, nullptr}};
constexpr ValueName kPredictor[] = {{1, "none"}, {2, "horizontal differencing"}, {0, nullptr}};
constexpr ValueName kInkSet[] = {{1, "CMYK"}, {2, "not CMYK"}, {0, nullptr}};
constexpr ValueName kExtraSamples[] = {
    {0, "unspecified"}, {1, "associated alpha"}, {2, "unassociated alpha"}, {0, nullptr}};
constexpr ValueName kSampleFormat[] = {
    {1, "unsigned integer"}, {2, "signed integer"}, {3, "floating point"}, {4, "undefined"}, {0, nullptr}};
constexpr ValueName kJpegProc[] = {
    {1, "baseline sequential process"}, {14, "lossless process with Huffman coding"}, {0, nullptr}};
constexpr ValueName kYCbCrPositioning[] = {{1, "centered"}, {2, "cosited"}, {0, nullptr}};

struct NamedTag {
    uint16_t tag;
    const ValueName* names;
    const char* other;  // shown for a value not in the list
};

constexpr NamedTag kNamedTags[] = {
    {255, kOldSubfileType, "unknown"}, {259, kCompression, "Unknown"},      {262, kPhotometric, "Unknown"},
    {263, kThresholding, "unknown"},   {266, kFillOrder, "unknown"},        {274, kOrientation, "unknown"},
    {284, kPlanar, "unknown"},         {290, kGrayResponseUnit, "unknown"}, {296, kResolutionUnit, "unknown"},
    {317, kPredictor, "unknown"},      {332, kInkSet, "unknown"},           {338, kExtraSamples, "unknown"},
    {339, kSampleFormat, "unknown"},   {512, kJpegProc, "unknown"},         {531, kYCbCrPositioning, "unknown"},
};

constexpr uint16_t kNewSubfileType = 254;

const NamedTag* find_named(uint16_t tag) {
    for (const NamedTag& t : kNamedTags)
        if (t.tag == tag) return &t;
    return nullptr;
}

void append(char* out, size_t cap, const char* s) {
    size_t n = strlen(out);
    if (n + 1 < cap) snprintf(out + n, cap - n, "%s", s);
}

// NewSubfileType is a bit set: every known bit set in the value is named.
void subfile_type_names(uint64_t value, char* out, size_t cap) {
    static constexpr ValueName kBits[] = {
        {1, "reduced-res-version"}, {2, "one-page-of-many"}, {4, "transparency-mask"}};
    for (const ValueName& b : kBits) {
        if (!(value & b.value)) continue;
        append(out, cap, out[0] ? "," : ":");
        append(out, cap, b.name);
    }
}

}  // namespace

ShownTagName tag_name_for(uint16_t tag, char naming) {
    const char* found = nullptr;
    for (size_t i = 0; i < kTagNameCount && kTagNames[i].number <= tag; ++i) {
        if (kTagNames[i].number != tag) continue;
        if (!found || kTagNames[i].name[0] == naming) found = kTagNames[i].name;
    }
    if (found) return {found[0] == 'E' ? "EXIF:" : "", found + 2};
    if (naming == 'E' || tag < 32768) return {"", "Unknown tag"};
    return {"", tag >= 65000 ? "Reusable tag" : "Unk. private tag"};
}

bool tag_has_value_names(uint16_t tag) { return tag == kNewSubfileType || find_named(tag); }

void tag_value_name(uint16_t tag, uint64_t value, char* out, size_t cap) {
    if (cap == 0) return;
    out[0] = 0;
    if (value > UINT32_MAX && tag_has_value_names(tag)) {
        snprintf(out, cap, ":%s", tag == 259 || tag == 262 ? "Unknown" : "unknown");
        return;
    }
    if (tag == kNewSubfileType) {
        subfile_type_names(value, out, cap);
        return;
    }
    const NamedTag* t = find_named(tag);
    if (!t) return;
    const char* name = t->other;
    for (const ValueName* v = t->names; v->name; ++v)
        if (v->value == value) name = v->name;
    snprintf(out, cap, ":%s", name);
}
