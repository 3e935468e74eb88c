// DocPdf.h - a small PDF writer for the page model (DocPage.h): PDF 1.4, the
// standard Helvetica, Helvetica-Bold and Courier fonts with WinAnsiEncoding
// (nothing embedded), uncompressed content streams, one cross-reference
// table. Text stays extractable (pdftotext and the like read it).
//
// Portable C++17, no system headers.
#ifndef DOCGEN_DOCPDF_H
#define DOCGEN_DOCPDF_H

#include <string>

#include "docgen/DocPage.h"

namespace docgen {

// The whole PDF file of `document`. A document with no pages gets one empty
// page (a PDF needs one).
std::string WritePdf(const Document& document);

// A number as PDF writes it: at most two decimals, no exponent, a dot as the
// decimal separator whatever the C locale says ("12.5", "-3", "0.25").
std::string PdfNumber(double value);

// A WinAnsi text as a PDF literal string: "(...)" with '(', ')' and '\'
// escaped and every byte outside 0x20..0x7E written as an octal escape.
std::string PdfString(const std::string& text);

} // namespace docgen

#endif // DOCGEN_DOCPDF_H
