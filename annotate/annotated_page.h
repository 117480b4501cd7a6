#pragma once
// The Annotated page image: a page with its white-outs and pen strokes burnt
// in, made for copying, saving and uploading. This decides its format; the
// pixels are drawn by view/win/render_overlays.
#include "decode/raster.h"
#include "document/page_marks.h"

// A black-and-white page stays one bit deep (a faxed page keeps its size), as
// long as every pen segment on it is black or white; one coloured stroke, or
// any other page, makes a 24-bit image. White-outs are white, so they never
// need colour. `marks` may be null.
bool annotated_page_is_bilevel(const DisplayRaster* page, const PageMarks* marks);
