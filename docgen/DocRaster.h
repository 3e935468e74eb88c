// DocRaster.h - PWG raster (image/pwg-raster) of the page model, for printers
// that take no PDF: 8-bit sGray or sRGB, any resolution from 72 to 1200 dpi,
// the format's PackBits-style compression with line repeats. Pages are drawn
// a band of lines at a time, so memory stays small at any resolution.
//
// Text is drawn with a small built-in bitmap font (5 x 7 dots, scaled to the
// text's size, placed where the PDF fonts would place each character), not
// with real outlines: readable, blocky, enough for reports and test pages.
//
// Portable C++17, no system headers.
#ifndef DOCGEN_DOCRASTER_H
#define DOCGEN_DOCRASTER_H

#include <stdint.h>

#include <string>

#include "docgen/DocPage.h"

namespace docgen {

// How the printer wants the back side of a two-sided sheet
// (pwg-raster-document-sheet-back).
enum SheetBack
{
    kBackNormal = 0,        // as the front
    kBackFlipped = 1,       // upside down (last line first)
    kBackRotated = 2,       // turned by 180 degrees
    kBackManualTumble = 3   // as the front for long-edge binding
};

enum RasterType
{
    kSgray8 = 0,  // "sgray_8": one octet a pixel, 0 black .. 255 white
    kSrgb8 = 1    // "srgb_8": red, green, blue octets
};

struct RasterOptions
{
    int xdpi;
    int ydpi;
    RasterType type;
    SheetBack back;

    RasterOptions() : xdpi(150), ydpi(150), type(kSrgb8), back(kBackNormal) {}
};

// The whole image/pwg-raster stream of `document` ("RaS2" and one page
// header and compressed image a page). Resolutions are clamped to 72..1200
// dpi. A document with no pages gets one blank page.
std::string WritePwgRaster(const Document& document, const RasterOptions& options);

// The fixed parts of the format, for readers of it.
const size_t kPwgHeaderSize = 1796;

} // namespace docgen

#endif // DOCGEN_DOCRASTER_H
