// DocgenTests.cpp - the document generator (docgen/) under Wine: text
// conversion and wrapping, the PDF's cross-reference table, streams and
// escaping, the PWG raster read back by a decoder of our own (headers, line
// counts, sizes, pixels, back sides), the format chooser, and every document
// for an ordinary, a stopped and a hostile printer. check-documents.sh checks
// the same documents natively with qpdf, pdftotext and CUPS's raster reader.
#include "docgen/DocPdf.h"
#include "docgen/DocRaster.h"
#include "docgen/Docgen.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "SamplePrinters.h"

using namespace docgen;

namespace
{

// --- A reader of the PDFs our writer makes --------------------------------------------

// The literal strings of a content stream, decoded.
std::vector<std::string> StringsOf(const std::string& content)
{
    std::vector<std::string> strings;
    size_t i = 0;
    while (i < content.size()) {
        if (content[i] != '(') {
            ++i;
            continue;
        }
        std::string s;
        int depth = 1;
        ++i;
        while (i < content.size() && depth > 0) {
            char c = content[i++];
            if (c == '\\' && i < content.size()) {
                char e = content[i++];
                if (e >= '0' && e <= '7') {
                    int v = e - '0';
                    for (int k = 0; k < 2 && i < content.size() && content[i] >= '0' &&
                                    content[i] <= '7'; ++k)
                        v = v * 8 + (content[i++] - '0');
                    s += static_cast<char>(v);
                } else {
                    s += e;
                }
            } else if (c == '(') {
                ++depth;
                s += c;
            } else if (c == ')') {
                if (--depth > 0)
                    s += c;
            } else {
                s += c;
            }
        }
        EXPECT_EQ(0, depth) << "a string runs to the end of the stream";
        strings.push_back(s);
    }
    return strings;
}

struct PdfCheck
{
    size_t objects = 0;
    size_t pages = 0;
    std::vector<std::string> contents;  // the content streams, in file order
    std::string Text() const
    {
        std::string all;
        for (size_t i = 0; i < contents.size(); ++i) {
            std::vector<std::string> s = StringsOf(contents[i]);
            for (size_t k = 0; k < s.size(); ++k)
                all += s[k] + "\n";
        }
        return all;
    }
};

// Checks the structure (header, every xref entry, trailer, stream lengths)
// and returns what it found.
PdfCheck CheckPdf(const std::string& pdf)
{
    PdfCheck check;
    EXPECT_EQ(0u, pdf.find("%PDF-1.4\n"));
    size_t startxref = pdf.rfind("startxref\n");
    EXPECT_NE(std::string::npos, startxref);
    if (startxref == std::string::npos)
        return check;
    EXPECT_EQ(pdf.size() - 6, pdf.rfind("%%EOF\n"));
    size_t xref = static_cast<size_t>(atol(pdf.c_str() + startxref + 10));
    EXPECT_EQ(0, pdf.compare(xref, 7, "xref\n0 "));
    size_t count = static_cast<size_t>(atol(pdf.c_str() + xref + 7));
    size_t entries = pdf.find('\n', xref + 7) + 1;
    EXPECT_EQ(0, pdf.compare(entries, 20, "0000000000 65535 f \n"));
    for (size_t i = 1; i < count; ++i) {
        std::string entry = pdf.substr(entries + 20 * i, 20);
        EXPECT_EQ(" 00000 n \n", entry.substr(10)) << "entry " << i;
        size_t offset = static_cast<size_t>(atol(entry.c_str()));
        std::string head = std::to_string(i) + " 0 obj\n";
        EXPECT_EQ(0, pdf.compare(offset, head.size(), head)) << "object " << i << " at " << offset;
    }
    EXPECT_EQ(0, pdf.compare(entries + 20 * count, 8, "trailer\n"));
    EXPECT_NE(std::string::npos,
              pdf.find("<< /Size " + std::to_string(count) + " /Root 1 0 R", entries + 20 * count));
    check.objects = count - 1;
    // Every stream as long as its /Length says.
    size_t at = 0;
    while ((at = pdf.find("<< /Length ", at)) != std::string::npos) {
        size_t length = static_cast<size_t>(atol(pdf.c_str() + at + 11));
        size_t data = pdf.find(">>\nstream\n", at) + 10;
        EXPECT_EQ(0, pdf.compare(data + length, 11, "\nendstream\n")) << "stream at " << at;
        check.contents.push_back(pdf.substr(data, length));
        at = data + length;
    }
    size_t kids = pdf.find("/Count ");
    EXPECT_NE(std::string::npos, kids);
    check.pages = static_cast<size_t>(atol(pdf.c_str() + kids + 7));
    EXPECT_EQ(check.pages, check.contents.size());
    return check;
}

// --- A reader of PWG raster ------------------------------------------------------------

uint32_t Be32(const std::string& s, size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<unsigned char>(s[at + 3]);
}

struct RasterPage
{
    std::string header;
    uint32_t width = 0, height = 0, bpp = 0;
    std::vector<unsigned char> pixels;  // when kept
    uint32_t Field(size_t offset) const { return Be32(header, offset); }
    std::string Name(size_t offset) const { return header.substr(offset, 64).c_str(); }
};

// Decodes a whole stream; fails (with a message) on anything malformed: a
// bad header, a run past the line's end, lines beyond the page's height, or
// octets left over.
bool DecodePwg(const std::string& data, std::vector<RasterPage>& pages, bool keepPixels,
               std::string& error)
{
    if (data.compare(0, 4, "RaS2") != 0) {
        error = "no RaS2";
        return false;
    }
    size_t at = 4;
    while (at < data.size()) {
        if (data.size() - at < kPwgHeaderSize) {
            error = "short header";
            return false;
        }
        RasterPage page;
        page.header = data.substr(at, kPwgHeaderSize);
        at += kPwgHeaderSize;
        page.width = page.Field(372);
        page.height = page.Field(376);
        page.bpp = page.Field(388) / 8;
        const size_t lineBytes = page.Field(392);
        if (page.Name(0) != "PwgRaster" || page.bpp == 0 || lineBytes != page.width * page.bpp ||
            page.height > 20000 || page.width > 20000) {
            error = "bad header fields";
            return false;
        }
        std::vector<unsigned char> line;
        uint32_t y = 0;
        while (y < page.height) {
            if (at >= data.size()) {
                error = "ends inside a page";
                return false;
            }
            uint32_t repeat = static_cast<unsigned char>(data[at++]) + 1u;
            line.clear();
            while (line.size() < lineBytes) {
                if (at >= data.size()) {
                    error = "ends inside a line";
                    return false;
                }
                unsigned n = static_cast<unsigned char>(data[at++]);
                size_t pixels = n < 128 ? 1 : (n == 128 ? 0 : 257 - n);
                if (n == 128 || at + pixels * page.bpp > data.size() ||
                    line.size() + (n < 128 ? n + 1 : pixels) * page.bpp > lineBytes) {
                    error = "bad run";
                    return false;
                }
                if (n < 128) {
                    for (unsigned k = 0; k <= n; ++k)
                        line.insert(line.end(), data.begin() + at, data.begin() + at + page.bpp);
                } else {
                    line.insert(line.end(), data.begin() + at, data.begin() + at + pixels * page.bpp);
                }
                at += pixels * page.bpp;
            }
            if (y + repeat > page.height) {
                error = "more lines than the height";
                return false;
            }
            for (uint32_t k = 0; k < repeat && keepPixels; ++k)
                page.pixels.insert(page.pixels.end(), line.begin(), line.end());
            y += repeat;
        }
        pages.push_back(page);
    }
    return true;
}

const unsigned char* PixelAt(const RasterPage& page, uint32_t x, uint32_t y)
{
    return &page.pixels[(static_cast<size_t>(y) * page.width + x) * page.bpp];
}

PrinterFormats Formats(const std::vector<std::string>& formats)
{
    PrinterFormats p;
    p.formats = formats;
    return p;
}

// True when every byte is a printable WinAnsi character (no controls, no
// undefined codes).
bool CleanWinAnsi(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
            return false;
    }
    return true;
}

} // namespace

// --- Text ---------------------------------------------------------------------------------

TEST(DocText, ConvertsUtf8AndRepairsWhatIsNot)
{
    // Umlauts, sharp s, euro and en dash are WinAnsi; CJK is not.
    EXPECT_EQ("B\xFCro \xC4\xD6\xDC \xDF \x80 \x96 ?", ToWinAnsi("B\xC3\xBCro \xC3\x84\xC3\x96\xC3\x9C \xC3\x9F \xE2\x82\xAC \xE2\x80\x93 \xE6\x97\xA5"));
    // Controls become spaces; bytes that are no UTF-8 are Windows-1252.
    EXPECT_EQ("a b c d", ToWinAnsi("a\tb\nc\x1B" "d"));
    EXPECT_EQ("K\xFC\xFF ?", ToWinAnsi("K\xFC\xFF \x81"));
    EXPECT_EQ("\xC3\xED\xA0\x80", ToWinAnsi("\xC3\xED\xA0\x80"));  // a surrogate is no UTF-8
    // Cut to the cap, ending in the ellipsis.
    std::string cut = ToWinAnsi(std::string(5000000, 'x'), 1000);
    ASSERT_EQ(1000u, cut.size());
    EXPECT_EQ('\x85', cut[999]);
    EXPECT_TRUE(CleanWinAnsi(ToWinAnsi(std::string("\x01\x7F\xC2\x85\xC2\x81 ok", 9))));
    // And back: UTF-8 again, or ASCII with the letters spelt out.
    EXPECT_EQ("B\xC3\xBCro \xE2\x82\xAC", WinAnsiToUtf8("B\xFCro \x80"));
    EXPECT_EQ("Gruesse aus Koeln, 5 EUR, cafe", WinAnsiToAscii("Gr\xFC\xDF" "e aus K\xF6ln, 5 \x80, caf\xE9"));
}

TEST(DocText, WrapsWithinTheWidthAndKeepsTheText)
{
    srand(20261208);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        int n = rand() % 300;
        for (int i = 0; i < n; ++i)
            text += (rand() % 6 == 0) ? ' ' : static_cast<char>(0x21 + rand() % 0x5E);
        double width = 40 + rand() % 300;
        Font font = static_cast<Font>(rand() % 3);
        std::vector<std::string> lines = WrapText(text, font, 10, width, 1000);
        std::string joined;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_LE(TextWidthPt(font, 10, lines[i]), width + 1e-9) << "[" << lines[i] << "]";
            joined += lines[i];
        }
        // Nothing lost but the spaces where lines break.
        std::string a, b;
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] != ' ') a += text[i];
        for (size_t i = 0; i < joined.size(); ++i)
            if (joined[i] != ' ') b += joined[i];
        EXPECT_EQ(a, b);
    }
    // Words are kept whole when they fit; a cut text ends in the ellipsis.
    std::vector<std::string> lines = WrapText("alpha beta gamma delta", kCourier, 10, 66, 10);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("alpha beta", lines[0]);
    EXPECT_EQ("gamma delta", lines[1]);
    lines = WrapText(std::string(10000, 'w'), kHelvetica, 10, 100, 3);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ('\x85', lines[2][lines[2].size() - 1]);
    EXPECT_LE(TextWidthPt(kHelvetica, 10, lines[2]), 100);
}

// --- PDF -----------------------------------------------------------------------------------

TEST(DocPdf, CrossReferenceStreamsAndEscapesAreRight)
{
    Document document;
    document.title = "Test \xFC (1)";
    document.pages.resize(3);
    const std::string tricky = "a(b)c\\d) ( \xE4\xF6\xFC\xDF \x80 \\";
    document.pages[1].Text(10, 20, kCourier, 9, tricky);
    document.pages[1].Fill(1, 2, 3, 4, Color::Cmyk(0.1, 0.2, 0.3, 0.4));
    document.pages[2].Line(0, 0, 100, 100, 0.25, Color::Rgb(1, 0, 0));
    std::string pdf = WritePdf(document);
    PdfCheck check = CheckPdf(pdf);
    EXPECT_EQ(3u, check.pages);
    EXPECT_EQ(6u + 2 * 3, check.objects);
    ASSERT_EQ(3u, check.contents.size());
    EXPECT_EQ("", check.contents[0]);
    std::vector<std::string> strings = StringsOf(check.contents[1]);
    ASSERT_EQ(1u, strings.size());
    EXPECT_EQ(tricky, strings[0]);
    EXPECT_NE(std::string::npos, check.contents[1].find("(a\\(b\\)c\\\\d\\) \\( \\344\\366\\374\\337 \\200 \\\\)"));
    // Numbers in points from the bottom-left: y 20 on an A4 page is 821.89.
    EXPECT_NE(std::string::npos, check.contents[1].find("10 821.89 Td"));
    EXPECT_NE(std::string::npos, check.contents[1].find("0.1 0.2 0.3 0.4 k"));
    EXPECT_NE(std::string::npos, check.contents[2].find("1 0 0 RG"));
    EXPECT_NE(std::string::npos, pdf.find("/Title <FEFF0054006500730074002000FC0020002800310029>"));
    EXPECT_EQ("-3.5", PdfNumber(-3.5));
    EXPECT_EQ("0", PdfNumber(0.001));
    EXPECT_EQ("10000000", PdfNumber(1e300));
}

// --- PWG raster ------------------------------------------------------------------------------

TEST(DocRaster, HeadersLinesAndPixelsReadBack)
{
    Document document;
    document.media = MediaLetter();
    document.title = "t";
    document.pages.resize(2);
    // A red square one inch from the corner, one inch wide.
    document.pages[0].Fill(72, 72, 72, 72, Color::Rgb(1, 0, 0));
    // 400 one-pixel stripes of different grays (long literal runs).
    for (int i = 0; i < 400; ++i)
        document.pages[1].Fill(i * 72.0 / 100, 0, 72.0 / 100, 10, Color::Gray((i % 200) / 255.0));
    RasterOptions options;
    options.xdpi = 100;
    options.ydpi = 100;
    for (int type = 0; type < 2; ++type) {
        options.type = type == 0 ? kSgray8 : kSrgb8;
        std::string data = WritePwgRaster(document, options);
        std::vector<RasterPage> pages;
        std::string error;
        ASSERT_TRUE(DecodePwg(data, pages, true, error)) << error;
        ASSERT_EQ(2u, pages.size());
        const RasterPage& p = pages[0];
        const uint32_t bpp = type == 0 ? 1 : 3;
        EXPECT_EQ(850u, p.width);   // 8.5 in at 100 dpi
        EXPECT_EQ(1100u, p.height);
        EXPECT_EQ(bpp, p.bpp);
        EXPECT_EQ(100u, p.Field(276));
        EXPECT_EQ(100u, p.Field(280));
        EXPECT_EQ(612u, p.Field(352));
        EXPECT_EQ(792u, p.Field(356));
        EXPECT_EQ(8u, p.Field(384));
        EXPECT_EQ(type == 0 ? 18u : 19u, p.Field(400));  // sGray, sRGB
        EXPECT_EQ(bpp, p.Field(420));
        EXPECT_EQ(2u, p.Field(452));                     // TotalPageCount
        EXPECT_EQ(1u, p.Field(456));
        EXPECT_EQ(1u, p.Field(460));
        EXPECT_EQ("na_letter_8.5x11in", p.Name(1732));
        EXPECT_EQ(p.height * p.width * bpp, p.pixels.size());
        // Inside, at the edges and outside the red square.
        unsigned char red = type == 0 ? Color::Rgb(1, 0, 0).ToGray() : 255;
        EXPECT_EQ(red, PixelAt(p, 100, 100)[0]);
        EXPECT_EQ(red, PixelAt(p, 199, 199)[0]);
        if (type == 1) {
            EXPECT_EQ(0, PixelAt(p, 150, 150)[1]);
            EXPECT_EQ(255, PixelAt(p, 200, 150)[1]);
        }
        EXPECT_EQ(255, PixelAt(p, 99, 150)[0]);
        EXPECT_EQ(255, PixelAt(p, 150, 200)[0]);
        const RasterPage& q = pages[1];
        for (uint32_t x = 0; x < 400; ++x)
            ASSERT_EQ(Color::Gray((x % 200) / 255.0).ToGray(), PixelAt(q, x, 5)[0]) << x;
        EXPECT_EQ(255, PixelAt(q, 400, 5)[0]);
    }
}

TEST(DocRaster, BackSidesAreTurnedAsThePrinterAsks)
{
    Document document;
    document.media = MediaA4();
    document.twoSided = true;
    document.pages.resize(2);
    for (int p = 0; p < 2; ++p) {
        document.pages[p].Fill(10, 20, 30, 40, Color::Rgb(0, 0, 1));
        document.pages[p].Text(100, 300, kHelvetica, 20, "BACK");
    }
    RasterOptions options;
    options.xdpi = options.ydpi = 72;
    std::vector<RasterPage> normal, flipped, rotated;
    std::string error;
    options.back = kBackNormal;
    ASSERT_TRUE(DecodePwg(WritePwgRaster(document, options), normal, true, error)) << error;
    options.back = kBackFlipped;
    ASSERT_TRUE(DecodePwg(WritePwgRaster(document, options), flipped, true, error)) << error;
    options.back = kBackRotated;
    ASSERT_TRUE(DecodePwg(WritePwgRaster(document, options), rotated, true, error)) << error;
    ASSERT_EQ(2u, normal.size());
    const RasterPage& n = normal[1];
    // Fronts are the same; backs are upside down (flipped) or turned (rotated).
    EXPECT_EQ(normal[0].pixels, flipped[0].pixels);
    EXPECT_EQ(normal[0].pixels, rotated[0].pixels);
    EXPECT_EQ(normal[0].pixels, n.pixels);
    size_t differences = 0;
    for (uint32_t y = 0; y < n.height; ++y) {
        for (uint32_t x = 0; x < n.width; ++x) {
            differences += memcmp(PixelAt(n, x, y), PixelAt(flipped[1], x, n.height - 1 - y), 3) != 0;
            differences += memcmp(PixelAt(n, x, y),
                                  PixelAt(rotated[1], n.width - 1 - x, n.height - 1 - y), 3) != 0;
        }
    }
    EXPECT_EQ(0u, differences);
    EXPECT_EQ(1u, normal[1].Field(272));                 // Duplex
    EXPECT_EQ(1u, flipped[1].Field(456));                // CrossFeedTransform
    EXPECT_EQ(0xFFFFFFFFu, flipped[1].Field(460));       // FeedTransform -1
    EXPECT_EQ(0xFFFFFFFFu, rotated[1].Field(456));
    EXPECT_EQ(0xFFFFFFFFu, rotated[1].Field(460));
    EXPECT_EQ(1u, rotated[0].Field(456));
}

// --- The chooser ---------------------------------------------------------------------------------

TEST(DocFormat, ChoosesPdfThenRasterThenText)
{
    FormatChoice c = ChooseFormat(Formats({"text/plain", "image/pwg-raster", "Application/PDF"}));
    EXPECT_EQ(kFormatPdf, c.format);
    EXPECT_EQ("application/pdf", c.mimeType);

    PrinterFormats p = Formats({"application/octet-stream", "image/pwg-raster", "text/plain"});
    p.rasterTypes = {"black_1", "sgray_8", "srgb_8"};
    p.xdpi = {600, 300, 75, 150};
    p.ydpi = {600, 300, 75, 150};
    c = ChooseFormat(p);
    EXPECT_EQ(kFormatPwgRaster, c.format);
    EXPECT_EQ("image/pwg-raster", c.mimeType);
    EXPECT_EQ(kSgray8, c.raster.type);  // not colour
    EXPECT_EQ(150, c.raster.xdpi);
    p.color = true;
    p.xdpi = {600, 300};
    p.ydpi = {1200, 300};
    p.sheetBack = "Rotated";
    c = ChooseFormat(p);
    EXPECT_EQ(kSrgb8, c.raster.type);
    EXPECT_EQ(300, c.raster.xdpi);
    EXPECT_EQ(300, c.raster.ydpi);
    EXPECT_EQ(kBackRotated, c.raster.back);
    p.xdpi = {100, 2400};
    p.ydpi = {100, 2400};
    c = ChooseFormat(p);
    EXPECT_EQ(100, c.raster.xdpi);  // the only one in 72..1200
    p.xdpi.clear();
    p.ydpi.clear();
    EXPECT_EQ(300, ChooseFormat(p).raster.xdpi);
    // Raster without a type we make: text.
    p.rasterTypes = {"black_1", "cmyk_8"};
    c = ChooseFormat(p);
    EXPECT_EQ(kFormatText, c.format);
    EXPECT_FALSE(c.utf8);
    EXPECT_EQ("text/plain", c.mimeType);
    c = ChooseFormat(Formats({"TEXT/PLAIN; charset=\"UTF-8\""}));
    EXPECT_EQ(kFormatText, c.format);
    EXPECT_TRUE(c.utf8);
    EXPECT_EQ(kFormatNone, ChooseFormat(Formats({"application/octet-stream", "image/urf"})).format);
    EXPECT_EQ(kFormatNone, ChooseFormat(Formats({})).format);
    EXPECT_EQ(kFormatNone, ChooseFormat(Formats({"application/pdfx"})).format);

    // From a printer's attributes; resolutions in dots per centimetre too.
    ipp::Group g(ipp::kPrinterGroup);
    g.Add("document-format-supported", std::vector<ipp::Value>{ipp::Value::String(ipp::kMimeMediaType, "image/pwg-raster")});
    g.Add("pwg-raster-document-resolution-supported",
          std::vector<ipp::Value>{ipp::Value::Resolution(118, 118, 4), ipp::Value::Keyword("x")});
    g.Add("pwg-raster-document-type-supported", ipp::Value::Keyword("srgb_8"));
    g.Add("pwg-raster-document-sheet-back", ipp::Value::Keyword("flipped"));
    g.Add("media-default", ipp::Value::Keyword("na_letter_8.5x11in"));
    g.Add("color-supported", ipp::Value::Boolean(true));
    ReadPrinterFormats(g, p);
    c = ChooseFormat(p);
    EXPECT_EQ(kFormatPwgRaster, c.format);
    EXPECT_EQ(300, c.raster.xdpi);
    EXPECT_EQ(kBackFlipped, c.raster.back);
    EXPECT_EQ("na_letter_8.5x11in", p.mediaDefault);
    EXPECT_TRUE(p.color);
}

TEST(DocPage, MediaNames)
{
    Media m;
    ASSERT_TRUE(MediaFromName("na_legal_8.5x14in", m));
    EXPECT_DOUBLE_EQ(612, m.width);
    EXPECT_DOUBLE_EQ(1008, m.height);
    ASSERT_TRUE(MediaFromName("iso_a5_148x210mm", m));
    EXPECT_NEAR(419.53, m.width, 0.01);
    ASSERT_TRUE(MediaFromName("letter", m));
    EXPECT_EQ("na_letter_8.5x11in", m.name);
    const char* bad[] = {"", "na_index-4x6_4x6in", "x_1x2cm", "a_210x297", "a_2.1.0x297mm",
                         "a_x297mm", "a_210xmm", "iso_a0_841x1189mm"};
    for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i)
        EXPECT_FALSE(MediaFromName(bad[i], m)) << bad[i];
}

// --- The documents ------------------------------------------------------------------------------

TEST(Documents, EveryKindNamesItsPrinterInEveryFormat)
{
    std::vector<sample::Sample> samples = {sample::Office(), sample::Stopped()};
    for (size_t s = 0; s < samples.size(); ++s) {
        const sample::Sample& sm = samples[s];
        for (int k = 0; k < kDocumentKindCount; ++k) {
            DocumentKind kind = static_cast<DocumentKind>(k);
            SCOPED_TRACE(sm.id + " " + DocumentTitle(kind));
            Output out;
            ASSERT_TRUE(Generate(kind, sm.facts, sm.options, ChooseFormat(Formats({"application/pdf"})), out));
            EXPECT_EQ("application/pdf", out.mimeType);
            EXPECT_EQ(std::string("Device Service: ") + DocumentTitle(kind), out.jobName);
            PdfCheck check = CheckPdf(out.data);
            EXPECT_EQ(out.pages, check.pages);
            std::string text = check.Text();
            if (kind == kFeedTest) {
                EXPECT_EQ(static_cast<size_t>(sm.options.sheets), out.pages);
                EXPECT_EQ("", text);  // blank sheets
                continue;
            }
            for (size_t e = 0; e < sm.expected.size(); ++e)
                EXPECT_NE(std::string::npos, text.find(ToWinAnsi(sm.expected[e]))) << sm.expected[e];
            EXPECT_NE(std::string::npos, text.find(DocumentTitle(kind)));
            EXPECT_EQ(kind == kDuplexTest ? 2u : 1u, out.pages);

            Output txt;
            FormatChoice choice = ChooseFormat(Formats({"text/plain;charset=utf-8"}));
            ASSERT_TRUE(Generate(kind, sm.facts, sm.options, choice, txt));
            for (size_t e = 0; e < sm.expected.size(); ++e)
                EXPECT_NE(std::string::npos, txt.data.find(sm.expected[e])) << sm.expected[e];
            EXPECT_EQ(kind == kDuplexTest, txt.data.find('\f') != std::string::npos);
        }
    }
    // The reports say what the printer reported.
    Output out;
    sample::Sample office = sample::Office();
    ASSERT_TRUE(Generate(kStatusReport, office.facts, office.options, ChooseFormat(Formats({"application/pdf"})), out));
    std::string text = CheckPdf(out.data).Text();
    EXPECT_NE(std::string::npos, text.find("Paper jam (error)"));
    EXPECT_NE(std::string::npos, text.find("12 % (low), toner"));
    ASSERT_TRUE(Generate(kJobHistory, office.facts, office.options, ChooseFormat(Formats({"application/pdf"})), out));
    text = CheckPdf(out.data).Text();
    EXPECT_NE(std::string::npos, text.find("12 jobs; times in UTC+01:00."));
    EXPECT_LT(text.find("Letter 12.pdf"), text.find("Letter 11.pdf"));  // newest first
    EXPECT_NE(std::string::npos, text.find("2026-12-08 12:42"));  // 1796730120 is 11:42 UTC
    EXPECT_NE(std::string::npos, text.find("canceled"));

    // The status report lists the memory locations it is given; the usage
    // summary and the service report the counters; the error log the failed
    // jobs, the cancelled ones only when asked; the months add up the jobs.
    auto pdfText = [&](DocumentKind kind, const DocumentOptions& options) {
        Output made;
        EXPECT_TRUE(Generate(kind, office.facts, options, ChooseFormat(Formats({"application/pdf"})), made));
        return CheckPdf(made.data).Text();
    };
    text = pdfText(kStatusReport, office.options);
    EXPECT_NE(std::string::npos, text.find("Memory locations"));
    EXPECT_NE(std::string::npos, text.find("Waiting jobs"));
    text = pdfText(kUsageSummary, office.options);
    EXPECT_NE(std::string::npos, text.find("123,456"));
    EXPECT_NE(std::string::npos, text.find("Cyan toner"));
    text = pdfText(kServiceReport, office.options);
    EXPECT_NE(std::string::npos, text.find("123,456"));
    EXPECT_NE(std::string::npos, text.find("Paper jam (error)"));
    EXPECT_NE(std::string::npos, text.find("Broken.pdf"));
    EXPECT_NE(std::string::npos, text.find("Cleared.pdf"));
    text = pdfText(kErrorLog, office.options);
    EXPECT_NE(std::string::npos, text.find("document-format-error"));
    EXPECT_EQ(std::string::npos, text.find("Cleared.pdf"));
    DocumentOptions withCancelled = office.options;
    withCancelled.withCancelled = true;
    text = pdfText(kErrorLog, withCancelled);
    EXPECT_LT(text.find("Broken.pdf"), text.find("Cleared.pdf"));  // newest (highest id) first
    EXPECT_NE(std::string::npos, text.find("job-canceled-by-user"));
    text = pdfText(kMonthlyPages, office.options);
    EXPECT_NE(std::string::npos, text.find("2026-12\n12\n78\n")) << text;  // 1 + 2 + ... + 12
    // printer-supply entries show only for a printer that reports no
    // markers: CUPS reports both for the same supplies.
    ipp::Supply supply;
    supply.description = "Waste container";
    supply.level = 30;
    supply.maxCapacity = 60;
    office.facts.status.supplies.push_back(supply);
    text = pdfText(kSupplyUsage, office.options);
    EXPECT_EQ(std::string::npos, text.find("Waste container"));
    EXPECT_NE(std::string::npos, text.find("Cyan toner"));
    office.facts.status.markers.clear();
    text = pdfText(kSupplyUsage, office.options);
    EXPECT_NE(std::string::npos, text.find("Waste container\n50 %")) << text;
    sample::Sample stopped = sample::Stopped();
    Output none;
    ASSERT_TRUE(Generate(kMonthlyPages, stopped.facts, stopped.options, ChooseFormat(Formats({"application/pdf"})), none));
    EXPECT_NE(std::string::npos, CheckPdf(none.data).Text().find("knows no completed jobs"));
}

TEST(Documents, HostileInputGivesBoundedValidOutput)
{
    sample::Sample hostile = sample::Hostile();
    for (int k = 0; k < kDocumentKindCount; ++k) {
        DocumentKind kind = static_cast<DocumentKind>(k);
        SCOPED_TRACE(DocumentTitle(kind));
        std::vector<std::string> lines;
        Document document = BuildDocument(kind, hostile.facts, hostile.options, &lines);
        ASSERT_LE(document.pages.size(), kMaxPages);
        EXPECT_EQ("iso_a4_210x297mm", document.media.name);  // the unreadable media
        if (kind == kFeedTest) {
            EXPECT_EQ(static_cast<size_t>(kMaxSheets), document.pages.size());
        }
        for (size_t p = 0; p < document.pages.size(); ++p) {
            for (size_t i = 0; i < document.pages[p].ops.size(); ++i) {
                const Op& op = document.pages[p].ops[i];
                if (op.kind != Op::kText)
                    continue;
                // Inside the page, printable, and not running past the margin.
                EXPECT_TRUE(CleanWinAnsi(op.text));
                EXPECT_GE(op.x, 0);
                EXPECT_LE(op.x + TextWidthPt(op.font, op.size, op.text), document.media.width - 47.9)
                    << op.text.substr(0, 40);
                EXPECT_LE(op.y, document.media.height);
            }
        }
        std::string pdf = WritePdf(document);
        CheckPdf(pdf);
        EXPECT_LT(pdf.size(), 1u << 20);
        std::string text = WriteText(lines, false);
        EXPECT_LT(text.size(), 256u * 1024);
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            ASSERT_TRUE(c == '\r' || c == '\n' || c == '\f' || (c >= 0x20 && c < 0x7F)) << i;
        }
        RasterOptions options;
        options.xdpi = options.ydpi = 72;
        std::vector<RasterPage> pages;
        std::string error;
        std::string raster = WritePwgRaster(document, options);
        ASSERT_TRUE(DecodePwg(raster, pages, false, error)) << error;
        EXPECT_EQ(document.pages.size(), pages.size());
    }
    // The job history lists the newest 500 of 6,000 and says so; the
    // configuration report is cut at the page cap and says so.
    std::vector<std::string> lines;
    Document history = BuildDocument(kJobHistory, hostile.facts, hostile.options, &lines);
    std::string all;
    for (size_t i = 0; i < lines.size(); ++i)
        all += lines[i] + "\n";
    EXPECT_NE(std::string::npos, all.find("6,000 jobs, the newest 500 listed"));
    EXPECT_NE(std::string::npos, all.find("\n5999   "));
    EXPECT_EQ(std::string::npos, all.find("\n5499   "));
    EXPECT_FALSE(history.cut);
    // No report reaches the page cap with the caps above; a composer fed
    // without end stops there and says so.
    Composer composer(MediaA4(), "Endless", "p");
    for (int i = 0; i < 100000; ++i)
        composer.Paragraph("line " + std::to_string(i));
    EXPECT_TRUE(composer.Full());
    Document endless = composer.Finish(false);
    EXPECT_TRUE(endless.cut);
    EXPECT_EQ(kMaxPages, endless.pages.size());
    EXPECT_NE(std::string::npos,
              CheckPdf(WritePdf(endless)).Text().find("(cut: the rest would need more than 40 pages)"));
    EXPECT_LT(composer.TextLines().size(), 4000u);
    EXPECT_EQ("[The rest was left out: it would need more than 40 pages.]", composer.TextLines().back());
    Output out;
    // Nothing to send, nothing made.
    EXPECT_FALSE(Generate(kStatusReport, hostile.facts, hostile.options, FormatChoice(), out));
    EXPECT_FALSE(Generate(static_cast<DocumentKind>(77), hostile.facts, hostile.options,
                          ChooseFormat(Formats({"application/pdf"})), out));
}

TEST(Documents, StatesAndReasonsInWords)
{
    ipp::PrinterStatus s;
    EXPECT_EQ("Unknown", StateText(s));
    s.state = 4;
    EXPECT_EQ("Printing", StateText(s));
    s.state = 5;
    s.accepting = false;
    EXPECT_EQ("Stopped, not accepting jobs", StateText(s));
    EXPECT_EQ("Paper jam (error)", ReasonText("media-jam-error"));
    EXPECT_EQ("Toner low (warning)", ReasonText("toner-low-warning"));
    EXPECT_EQ("Out of paper", ReasonText("media-empty-report"));
    EXPECT_EQ("Cover open", ReasonText("cover-open"));
    EXPECT_EQ("vendor-thing-error", ReasonText("vendor-thing-error"));
    EXPECT_EQ(200u, ReasonText(std::string(100000, 'z')).size());
}
