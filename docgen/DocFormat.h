// DocFormat.h - which document format a printer gets, from what it lists.
//
// The rule: PDF when document-format-supported lists application/pdf; else
// PWG raster when it lists image/pwg-raster and pwg-raster-document-type-
// supported has sgray_8 or srgb_8 (srgb_8 for a colour printer, else
// sgray_8), at the lowest listed resolution of at least 150 dpi (else the
// highest listed; 300 dpi when none is listed); else text/plain when listed
// (UTF-8 when a "text/plain; charset=utf-8" entry is listed, else ASCII);
// else none, and the caller answers "not available".
//
// Portable C++17 (IppMessage.h and IppPrinter.h are portable too).
#ifndef DOCGEN_DOCFORMAT_H
#define DOCGEN_DOCFORMAT_H

#include <string>
#include <vector>

#include "docgen/DocRaster.h"
#include "ipp/IppMessage.h"

namespace docgen {

enum Format
{
    kFormatNone = 0,
    kFormatPdf,
    kFormatPwgRaster,
    kFormatText
};

// What a printer says about the formats it takes.
struct PrinterFormats
{
    std::vector<std::string> formats;      // document-format-supported
    std::vector<int> xdpi, ydpi;           // pwg-raster-document-resolution-supported,
                                           // in dots per inch (dpcm converted), pairwise
    std::vector<std::string> rasterTypes;  // pwg-raster-document-type-supported
    std::string sheetBack;                 // pwg-raster-document-sheet-back
    std::string mediaDefault;              // media-default
    bool color;                            // color-supported

    PrinterFormats() : color(false) {}
};

// The attributes ReadPrinterFormats reads: ask Get-Printer-Attributes for them.
const std::vector<std::string>& FormatAttributes();

// Reads those attributes from a printer group (what is missing stays empty).
void ReadPrinterFormats(const ipp::Group& printer, PrinterFormats& out);

struct FormatChoice
{
    Format format;
    std::string mimeType;  // the document-format to send ("" for none)
    RasterOptions raster;  // PWG raster: resolution, type, back side
    bool utf8;             // text/plain: UTF-8 (else ASCII)

    FormatChoice() : format(kFormatNone), utf8(false) {}
};

FormatChoice ChooseFormat(const PrinterFormats& printer);

// The name of a format for journals and messages ("PDF", "PWG raster",
// "plain text", "none").
const char* FormatName(Format format);

} // namespace docgen

#endif // DOCGEN_DOCFORMAT_H
