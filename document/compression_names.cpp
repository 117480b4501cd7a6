#include "document/compression_names.h"

#include "base/text.h"

namespace {
struct CompressionName {
    int code;
    const char16_t* name;
};

constexpr CompressionName kNames[] = {
    {1, u"None"},         {2, u"CCITT RLE (Huffman)"},   {3, u"CCITT Group 3"}, {4, u"CCITT Group 4"},
    {5, u"LZW"},          {6, u"Old-style JPEG"},        {7, u"JPEG"},          {8, u"Deflate (Adobe)"},
    {32766, u"NeXT"},     {32771, u"CCITT RLE/W"},       {32773, u"PackBits"},  {32809, u"ThunderScan"},
    {32909, u"PixarLog"}, {32946, u"Deflate (libtiff)"}, {34661, u"ISO JBIG"},  {34676, u"SGILog"},
    {34677, u"SGILog24"},
};
}  // namespace

void compression_name(int code, char16_t* out, int cap) {
    for (const CompressionName& n : kNames)
        if (n.code == code) {
            text_copy(out, cap, n.name);
            return;
        }
    text_format(out, cap, u"Unknown (%d)", code);
}
