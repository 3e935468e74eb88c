// DocPdf.cpp - the PDF writer.
#include "docgen/DocPdf.h"

#include <stdio.h>

#include <vector>

namespace docgen {

namespace {

// Objects 1..6 are fixed; each page adds a page object and its content.
const int kCatalog = 1;
const int kPages = 2;
const int kFontHelvetica = 3;
const int kFontBold = 4;
const int kFontCourier = 5;
const int kInfo = 6;
const int kFirstPage = 7;

const char* FontName(Font font)
{
    switch (font) {
    case kHelveticaBold: return "/F2";
    case kCourier: return "/F3";
    default: return "/F1";
    }
}

std::string ColorOp(const Color& color, bool stroke)
{
    std::string out;
    switch (color.space) {
    case Color::kGray:
        out = PdfNumber(color.c[0]) + (stroke ? " G" : " g");
        break;
    case Color::kRgb:
        out = PdfNumber(color.c[0]) + " " + PdfNumber(color.c[1]) + " " + PdfNumber(color.c[2]) +
              (stroke ? " RG" : " rg");
        break;
    case Color::kCmyk:
        out = PdfNumber(color.c[0]) + " " + PdfNumber(color.c[1]) + " " + PdfNumber(color.c[2]) +
              " " + PdfNumber(color.c[3]) + (stroke ? " K" : " k");
        break;
    }
    return out + "\n";
}

// A WinAnsi title as a PDF text string in UTF-16BE (the Info dictionary's
// encoding that needs no table).
std::string PdfTextString(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = WinAnsiToUnicode(static_cast<unsigned char>(text[i]));
        if (cp == 0)
            cp = '?';
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(cp >> shift) & 0xF];
    }
    return out + ">";
}

std::string PageContent(const Page& page, double height)
{
    std::string out;
    for (size_t i = 0; i < page.ops.size(); ++i) {
        const Op& op = page.ops[i];
        switch (op.kind) {
        case Op::kText:
            out += "BT\n" + ColorOp(op.color, false) + FontName(op.font) + " " + PdfNumber(op.size) +
                   " Tf\n" + PdfNumber(op.x) + " " + PdfNumber(height - op.y) + " Td\n" +
                   PdfString(op.text) + " Tj\nET\n";
            break;
        case Op::kLine:
            out += ColorOp(op.color, true) + PdfNumber(op.width) + " w\n" + PdfNumber(op.x) + " " +
                   PdfNumber(height - op.y) + " m " + PdfNumber(op.x2) + " " +
                   PdfNumber(height - op.y2) + " l S\n";
            break;
        case Op::kFill:
            out += ColorOp(op.color, false) + PdfNumber(op.x) + " " +
                   PdfNumber(height - op.y - op.y2) + " " + PdfNumber(op.x2) + " " +
                   PdfNumber(op.y2) + " re f\n";
            break;
        case Op::kFrame:
            out += ColorOp(op.color, true) + PdfNumber(op.width) + " w\n" + PdfNumber(op.x) + " " +
                   PdfNumber(height - op.y - op.y2) + " " + PdfNumber(op.x2) + " " +
                   PdfNumber(op.y2) + " re S\n";
            break;
        }
    }
    return out;
}

class Writer
{
public:
    Writer() : offsets_(1, 0) {}

    void Object(int number, const std::string& body)
    {
        if (offsets_.size() <= static_cast<size_t>(number))
            offsets_.resize(number + 1, 0);
        offsets_[number] = out_.size();
        out_ += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    }
    void Stream(int number, const std::string& data)
    {
        Object(number, "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
                           "\nendstream");
    }
    std::string& Out() { return out_; }

    // The cross-reference table (20 octets an entry) and the trailer.
    void Finish()
    {
        size_t xref = out_.size();
        out_ += "xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n";
        char entry[32];
        for (size_t i = 1; i < offsets_.size(); ++i) {
            snprintf(entry, sizeof(entry), "%010lu 00000 n \n",
                     static_cast<unsigned long>(offsets_[i]));
            out_ += entry;
        }
        out_ += "trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root " +
                std::to_string(kCatalog) + " 0 R /Info " + std::to_string(kInfo) +
                " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    }

private:
    std::string out_;
    std::vector<size_t> offsets_;
};

} // namespace

std::string PdfNumber(double value)
{
    bool negative = value < 0;
    double magnitude = negative ? -value : value;
    if (magnitude > 1e7)
        magnitude = 1e7;
    unsigned long hundredths = static_cast<unsigned long>(magnitude * 100.0 + 0.5);
    if (hundredths == 0)
        return "0";
    std::string out = negative ? "-" : "";
    out += std::to_string(hundredths / 100);
    unsigned long fraction = hundredths % 100;
    if (fraction != 0) {
        out += '.';
        out += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            out += static_cast<char>('0' + fraction % 10);
    }
    return out;
}

std::string PdfString(const std::string& text)
{
    std::string out = "(";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7E) {
            out += '\\';
            out += static_cast<char>('0' + (c >> 6));
            out += static_cast<char>('0' + ((c >> 3) & 7));
            out += static_cast<char>('0' + (c & 7));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + ")";
}

std::string WritePdf(const Document& document)
{
    std::vector<Page> empty(1);
    const std::vector<Page>& pages = document.pages.empty() ? empty : document.pages;
    Writer writer;
    // The binary comment tells transfer programs the file is not text.
    writer.Out() = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    writer.Object(kCatalog, "<< /Type /Catalog /Pages " + std::to_string(kPages) + " 0 R >>");
    std::string kids;
    for (size_t i = 0; i < pages.size(); ++i)
        kids += (i ? " " : "") + std::to_string(kFirstPage + 2 * i) + " 0 R";
    writer.Object(kPages, "<< /Type /Pages /Kids [" + kids + "] /Count " +
                              std::to_string(pages.size()) + " >>");
    writer.Object(kFontHelvetica, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                                  "/Encoding /WinAnsiEncoding >>");
    writer.Object(kFontBold, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold "
                             "/Encoding /WinAnsiEncoding >>");
    writer.Object(kFontCourier, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier "
                                "/Encoding /WinAnsiEncoding >>");
    writer.Object(kInfo, "<< /Title " + PdfTextString(document.title) +
                             " /Producer (Device Service) >>");
    const std::string mediaBox = "[0 0 " + PdfNumber(document.media.width) + " " +
                                 PdfNumber(document.media.height) + "]";
    const std::string resources = "<< /Font << /F1 " + std::to_string(kFontHelvetica) +
                                  " 0 R /F2 " + std::to_string(kFontBold) + " 0 R /F3 " +
                                  std::to_string(kFontCourier) + " 0 R >> /ProcSet [/PDF /Text] >>";
    for (size_t i = 0; i < pages.size(); ++i) {
        int pageObject = static_cast<int>(kFirstPage + 2 * i);
        writer.Object(pageObject, "<< /Type /Page /Parent " + std::to_string(kPages) +
                                      " 0 R /MediaBox " + mediaBox + " /Resources " + resources +
                                      " /Contents " + std::to_string(pageObject + 1) + " 0 R >>");
        writer.Stream(pageObject + 1, PageContent(pages[i], document.media.height));
    }
    writer.Finish();
    return writer.Out();
}

} // namespace docgen
