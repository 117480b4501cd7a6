#pragma once
// One page of a TIFF we write (saving or uploading an annotated document):
// the kind of page an image is, and the directory it becomes.
//
//   colour   24-bit, some pixel not grey  -> RGB, 8 bits x 3, LZW, 64 rows a strip
//   grey     24-bit, every pixel R = G = B -> BlackIsZero, 8 bits, LZW, 64 rows
//   bilevel  1-bit                         -> WhiteIsZero, 1 bit, Group 4, 128 rows
#include <cstdint>

typedef struct tiff TIFF;

// An Annotated page image as it comes from drawing: bottom-up rows of `stride`
// bytes, 24-bit pixels blue-green-red, 1-bit pixels with 0 black and 1 white.
struct PageImage {
    int32_t width = 0;
    int32_t height = 0;
    int bits_per_pixel = 0;  // 1 or 24
    int32_t stride = 0;
    const uint8_t* bits = nullptr;  // the bottom row first
    void* owner = nullptr;          // whatever the maker keeps the pixels in
};

// Tags carried over from the source page.
struct PageTags {
    uint32_t subfile_type = 0;
    int resolution_unit = 1;
    double x_resolution = 0;
    double y_resolution = 0;  // both written only when both are positive
};

enum class PageKind { kColour, kGrey, kBilevel };

PageKind page_image_kind(const PageImage& image);

// Writes the image as the next directory of `tif`, opened for writing. False
// when the image does not describe itself sensibly or a row or the directory
// cannot be written; the caller then gives up the file.
[[nodiscard]] bool tiffwrite_page(TIFF* tif, const PageImage& image, const PageTags& tags);
