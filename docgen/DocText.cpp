// DocText.cpp - WinAnsi conversion, font widths and line wrapping.
#include "docgen/DocText.h"

namespace docgen {

namespace {

const unsigned char kEllipsis = 0x85;

// Unicode of WinAnsi 0x80..0x9F (0: undefined).
const uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Widths of 0x20..0x7E in thousandths of the size, from the fonts' metrics.
const uint16_t kHelveticaWidths[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // space../
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0..?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // @..O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P.._
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // `..o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};      // p..~
const uint16_t kBoldWidths[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

// The letter an accented WinAnsi letter is built on (0xC0..0xFF), 0 for the
// others; the same letter gives its width and its raster picture.
const char kBase[64] = {
    'A', 'A', 'A', 'A', 0,   'A', 0,   'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',  // C0
    'D', 'N', 'O', 'O', 'O', 'O', 0,   0,   'O', 'U', 'U', 'U', 0,   'Y', 0,   0,    // D0
    'a', 'a', 'a', 'a', 0,   'a', 0,   'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // E0
    'd', 'n', 'o', 'o', 'o', 'o', 0,   0,   'o', 'u', 'u', 'u', 0,   'y', 0,   'y'}; // F0

// Widths of the WinAnsi characters above 0x7E that are no accented letter.
int SpecialWidth(unsigned char c, bool bold)
{
    switch (c) {
    case 0x80: case 0x86: case 0x87: case 0x83: case 0xA2: case 0xA3: case 0xA4:
    case 0xA5: case 0xA7: case 0xAB: case 0xBB: case 0x96:
        return 556;
    case 0x82: case 0x91: case 0x92:
        return bold ? 278 : 222;
    case 0x84: case 0x93: case 0x94:
        return bold ? 500 : 333;
    case 0x85: case 0x89: case 0x97: case 0x99: case 0x8C: case 0xC6:
        return 1000;
    case 0x8B: case 0x9B: case 0x88: case 0x98: case 0xA8: case 0xAF: case 0xB4:
    case 0xB8: case 0xB9: case 0xB2: case 0xB3: case 0xA1: case 0xAD:
        return 333;
    case 0x8A: case 0x9F: case 0xDE:
        return 667;
    case 0x8E:
        return 611;
    case 0x9A:
        return bold ? 556 : 500;
    case 0x9C:
        return 944;
    case 0x9E:
        return 500;
    case 0x95:
        return 350;
    case 0xA0: case 0xB7:
        return 278;
    case 0xA6:
        return bold ? 280 : 260;
    case 0xA9: case 0xAE:
        return 737;
    case 0xAA:
        return 370;
    case 0xAC: case 0xB1: case 0xD7: case 0xF7:
        return 584;
    case 0xB0:
        return 400;
    case 0xB5:
        return bold ? 611 : 556;
    case 0xB6:
        return bold ? 556 : 537;
    case 0xBA:
        return 365;
    case 0xBC: case 0xBD: case 0xBE:
        return 834;
    case 0xBF: case 0xDF:
        return 611;
    case 0xE6:
        return 889;
    case 0xF0: case 0xFE:
        return bold ? 611 : 556;
    default:
        return bold ? 611 : 556;
    }
}

bool IsDefinedHigh(unsigned char c)
{
    return c >= 0xA0 || (c >= 0x80 && kHigh[c - 0x80] != 0);
}

// The WinAnsi code of a Unicode code point, 0 if it has none.
unsigned char FromUnicode(uint32_t cp)
{
    if (cp >= 0x20 && cp < 0x7F)
        return static_cast<unsigned char>(cp);
    if (cp >= 0xA0 && cp <= 0xFF)
        return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

bool IsControl(uint32_t cp)
{
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0);
}

// Decodes one UTF-8 sequence at text[i]; returns its length (0: not valid
// UTF-8: overlong, a surrogate, beyond U+10FFFF, cut short or a stray byte).
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t& cp)
{
    unsigned char b = static_cast<unsigned char>(text[i]);
    size_t length;
    uint32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        length = 2; cp = b & 0x1F; min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3; cp = b & 0x0F; min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4; cp = b & 0x07; min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Removes characters from the end of `line` until it and the ellipsis fit.
std::string WithEllipsis(std::string line, Font font, double size, double width)
{
    while (!line.empty() &&
           TextWidthPt(font, size, line + static_cast<char>(kEllipsis)) > width)
        line.erase(line.size() - 1);
    while (!line.empty() && line[line.size() - 1] == ' ')
        line.erase(line.size() - 1);
    return line + static_cast<char>(kEllipsis);
}

} // namespace

std::string ToWinAnsi(const std::string& text, size_t maxChars)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (out.size() >= maxChars) {
            if (!out.empty())
                out[out.size() - 1] = static_cast<char>(kEllipsis);
            break;
        }
        uint32_t cp = 0;
        size_t length = DecodeUtf8(text, i, cp);
        unsigned char c;
        if (length == 0) {
            // Not UTF-8: the byte as a Windows-1252 character.
            c = static_cast<unsigned char>(text[i]);
            if (!IsDefinedHigh(c))
                c = '?';
            length = 1;
        } else if (IsControl(cp)) {
            c = ' ';
        } else {
            c = FromUnicode(cp);
            if (c == 0)
                c = '?';
        }
        out += static_cast<char>(c);
        i += length;
    }
    return out;
}

uint32_t WinAnsiToUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0)
        return kHigh[c - 0x80];
    return c;
}

std::string WinAnsiToUtf8(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = WinAnsiToUnicode(static_cast<unsigned char>(text[i]));
        AppendUtf8(out, cp != 0 ? cp : '?');
    }
    return out;
}

std::string WinAnsiToAscii(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        switch (c) {
        case 0xC4: out += "Ae"; break;
        case 0xD6: out += "Oe"; break;
        case 0xDC: out += "Ue"; break;
        case 0xE4: out += "ae"; break;
        case 0xF6: out += "oe"; break;
        case 0xFC: out += "ue"; break;
        case 0xDF: out += "ss"; break;
        case 0xC6: out += "AE"; break;
        case 0xE6: out += "ae"; break;
        case 0x8C: out += "OE"; break;
        case 0x9C: out += "oe"; break;
        case 0x80: out += "EUR"; break;
        case 0x85: out += "..."; break;
        case 0x99: out += "(TM)"; break;
        case 0xA9: out += "(C)"; break;
        case 0xAE: out += "(R)"; break;
        case 0xB0: out += " deg"; break;
        case 0xB5: out += "u"; break;
        case 0xD7: out += "x"; break;
        case 0x97: out += "--"; break;
        case 0x95: out += "*"; break;
        case 0xA7: out += "S."; break;
        default: {
            unsigned char plain = FallbackChar(c);
            out += static_cast<char>(plain < 0x80 ? plain : '?');
            break;
        }
        }
    }
    return out;
}

unsigned char FallbackChar(unsigned char c)
{
    if (c < 0x80)
        return c;
    switch (c) {
    // The raster font draws these itself.
    case 0xC4: case 0xD6: case 0xDC: case 0xE4: case 0xF6: case 0xFC: case 0xDF:
    case 0xB0: case 0x80: case 0xA7: case 0xB5: case 0x95: case 0x85:
        return c;
    case 0x82: case 0x91: case 0x92: case 0x8B: case 0x9B:
        return '\'';
    case 0x84: case 0x93: case 0x94: case 0xAB: case 0xBB:
        return '"';
    case 0x96: case 0x97: case 0xAD:
        return '-';
    case 0xA0:
        return ' ';
    case 0xD7:
        return 'x';
    case 0x8A: return 'S';
    case 0x9A: return 's';
    case 0x8E: return 'Z';
    case 0x9E: return 'z';
    case 0x9F: return 'Y';
    case 0x8C: return 'O';
    case 0x9C: return 'o';
    case 0xC6: return 'A';
    case 0xE6: return 'a';
    case 0xA9: return 'C';
    case 0xAE: return 'R';
    case 0xB7: return '.';
    case 0x88: return '^';
    case 0x98: return '~';
    default:
        break;
    }
    if (c >= 0xC0 && kBase[c - 0xC0] != 0)
        return static_cast<unsigned char>(kBase[c - 0xC0]);
    return '?';
}

int CharWidth(Font font, unsigned char c)
{
    if (font == kCourier)
        return 600;
    bool bold = font == kHelveticaBold;
    if (c >= 0x20 && c < 0x7F)
        return bold ? kBoldWidths[c - 0x20] : kHelveticaWidths[c - 0x20];
    if (c >= 0xC0 && kBase[c - 0xC0] != 0)
        return CharWidth(font, static_cast<unsigned char>(kBase[c - 0xC0]));
    if (c >= 0x80)
        return SpecialWidth(c, bold);
    return 0;
}

int TextWidth(Font font, const std::string& text)
{
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i)
        width += CharWidth(font, static_cast<unsigned char>(text[i]));
    return width;
}

double TextWidthPt(Font font, double size, const std::string& text)
{
    return TextWidth(font, text) * size / 1000.0;
}

std::vector<std::string> WrapText(const std::string& text, Font font, double size, double width,
                                  size_t maxLines)
{
    std::vector<std::string> lines;
    if (maxLines == 0)
        return lines;
    const double limit = width * 1000.0 / size;  // in thousandths of the size
    std::string line;
    int lineWidth = 0;
    size_t i = 0;
    bool cut = false;
    while (i < text.size()) {
        // The next word with the spaces before it.
        size_t start = i;
        while (i < text.size() && text[i] == ' ')
            ++i;
        size_t wordStart = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        std::string spaces = line.empty() ? std::string() : text.substr(start, wordStart - start);
        std::string word = text.substr(wordStart, i - wordStart);
        int spacesWidth = TextWidth(font, spaces);
        int wordWidth = TextWidth(font, word);
        if (lineWidth + spacesWidth + wordWidth <= limit) {
            line += spaces;
            line += word;
            lineWidth += spacesWidth + wordWidth;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
            lineWidth = 0;
            if (lines.size() == maxLines) {
                cut = true;
                break;
            }
        }
        // The word alone: break it where it must be broken.
        for (size_t k = 0; k < word.size(); ++k) {
            int w = CharWidth(font, static_cast<unsigned char>(word[k]));
            if (lineWidth + w > limit && !line.empty()) {
                lines.push_back(line);
                line.clear();
                lineWidth = 0;
                if (lines.size() == maxLines) {
                    cut = true;
                    break;
                }
            }
            line += word[k];
            lineWidth += w;
        }
        if (cut)
            break;
    }
    if (!cut && (!line.empty() || lines.empty()))
        lines.push_back(line);
    if (cut)
        lines.back() = WithEllipsis(lines.back(), font, size, width);
    return lines;
}

std::string FitText(const std::string& text, Font font, double size, double width)
{
    if (TextWidthPt(font, size, text) <= width)
        return text;
    return WithEllipsis(text, font, size, width);
}

std::string FixedWidth(const std::string& text, size_t columns)
{
    if (text.size() <= columns)
        return text + std::string(columns - text.size(), ' ');
    if (columns == 0)
        return std::string();
    return text.substr(0, columns - 1) + static_cast<char>(kEllipsis);
}

} // namespace docgen
