// DocFont.h - the raster's bitmap font: 5 x 9 dots a character (seven rows
// down to the baseline, two below it for descenders), drawn by us for the
// printable ASCII characters, the German letters and a few signs; other
// WinAnsi characters are drawn as their FallbackChar (DocText.h).
#ifndef DOCGEN_DOCFONT_H
#define DOCGEN_DOCFONT_H

#include <stdint.h>

namespace docgen {

const int kGlyphColumns = 5;
const int kGlyphRows = 9;
const int kGlyphBaselineRow = 6;  // the last row above the baseline

// The nine rows of the character's picture, bit 4 the leftmost column; every
// WinAnsi code gives a picture (blank for the space and what has none).
const uint8_t* GlyphRows(unsigned char c);

// The leftmost and rightmost columns the picture uses (0..4); false for a
// blank picture.
bool GlyphInk(unsigned char c, int& first, int& last);

} // namespace docgen

#endif // DOCGEN_DOCFONT_H
