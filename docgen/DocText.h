// DocText.h - text for the generated documents: the conversion of printers'
// strings (UTF-8) to the Windows-1252 ("WinAnsi") character set the PDF fonts
// use, the widths of the standard fonts, line wrapping, and the way back to
// UTF-8 or plain ASCII for text/plain.
//
// Every string in a document is WinAnsi: one byte a character, 0x20..0xFF,
// never a control character and never one of the five codes WinAnsi leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
//
// Portable C++17, no system headers.
#ifndef DOCGEN_DOCTEXT_H
#define DOCGEN_DOCTEXT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace docgen {

// The fonts of the documents: the standard PDF fonts, nothing embedded.
enum Font
{
    kHelvetica = 0,
    kHelveticaBold = 1,
    kCourier = 2
};

// The longest text taken from one field of a printer's answer, in characters;
// what is longer is cut and ends in "...".
const size_t kMaxFieldChars = 1000;

// Converts `text` (UTF-8) to WinAnsi, at most `maxChars` characters (a cut
// text ends in the ellipsis character 0x85). Control characters (tab, line
// breaks, C0 and C1 controls, DEL) become spaces; characters WinAnsi lacks
// become '?'. A byte that does not start valid UTF-8 is taken as a
// Windows-1252 character, so text an older device sends in that code page
// still reads right. Reads no further than it needs for `maxChars`.
std::string ToWinAnsi(const std::string& text, size_t maxChars = kMaxFieldChars);

// The Unicode code point of a WinAnsi character (0 for the undefined codes).
uint32_t WinAnsiToUnicode(unsigned char c);

// WinAnsi text as UTF-8, and as ASCII with German letters spelt out (ä "ae",
// ß "ss", € "EUR") and other letters without their accents (é "e"); what has
// no ASCII form becomes '?'.
std::string WinAnsiToUtf8(const std::string& text);
std::string WinAnsiToAscii(const std::string& text);

// The character the raster font draws for a WinAnsi character it has no
// picture of: the letter without its accent, a straight quote for a curly
// one, else '?'. Returns `c` itself for the characters it has.
unsigned char FallbackChar(unsigned char c);

// Width of one character and of a text, in thousandths of the font size.
int CharWidth(Font font, unsigned char c);
int TextWidth(Font font, const std::string& text);
// Width of a text in points at `size` points.
double TextWidthPt(Font font, double size, const std::string& text);

// Breaks `text` into lines no wider than `width` points at `size` points, at
// spaces where it can and inside a word where it must. At most `maxLines`
// lines: the last of a cut text ends in the ellipsis character. An empty text
// gives one empty line.
std::vector<std::string> WrapText(const std::string& text, Font font, double size, double width,
                                  size_t maxLines);

// Cuts `text` to fit `width` points (ending it in the ellipsis when cut).
std::string FitText(const std::string& text, Font font, double size, double width);

// Pads or cuts `text` to exactly `columns` characters (for fixed-width
// tables; a cut text ends in the ellipsis).
std::string FixedWidth(const std::string& text, size_t columns);

} // namespace docgen

#endif // DOCGEN_DOCTEXT_H
