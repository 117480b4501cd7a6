// The credit notices of the libraries built into the viewer, with the
// versions the libraries report about themselves: zlib's version function,
// libjpeg's message table (and libjpeg-turbo's version macro), libtiff's
// version text.
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>
#include <jerror.h>
#include <tiffio.h>
#include <zlib.h>

#include "ui/info_text.h"

#define VL_STRINGIFY2(x) #x
#define VL_STRINGIFY(x) VL_STRINGIFY2(x)

namespace {
Text16 zlib_notice() {
    const char* version = zlibVersion();
    return text_printf(
        u"This software uses zlib %s, the general-purpose compression library\n"
        u"by Jean-loup Gailly and Mark Adler.\n",
        text_from_cp1252(version ? version : "").c_str());
}

Text16 jpeg_notice() {
    jpeg_error_mgr errors;
    jpeg_std_error(&errors);
    const char* version = errors.jpeg_message_table[JMSG_VERSION];
    const char* copyright = errors.jpeg_message_table[JMSG_COPYRIGHT];
#ifdef LIBJPEG_TURBO_VERSION
    const Text16 turbo = u", libjpeg-turbo " + text_from_cp1252(VL_STRINGIFY(LIBJPEG_TURBO_VERSION));
#else
    const Text16 turbo;
#endif
    return text_printf(
        u"This software is based in part on the work of the\r\n"
        u"Independent JPEG Group. (libjpeg version %s%s)\r\n%s\r\n",
        text_from_cp1252(version ? version : "").c_str(), turbo.c_str(),
        text_from_cp1252(copyright ? copyright : "").c_str());
}

Text16 tiff_notice() {
    const char* version = TIFFGetVersion();
    return text_printf(u"Contains code from %s\n", text_from_cp1252(version ? version : "").c_str());
}
}  // namespace

std::vector<Text16> info_library_credits() { return {zlib_notice(), jpeg_notice(), tiff_notice()}; }
