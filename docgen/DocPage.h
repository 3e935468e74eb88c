// DocPage.h - the page model every output format draws from: a document is
// pages of a media size; a page is a list of text runs, lines and filled or
// outlined rectangles in gray, RGB or CMYK. Positions are in points (1/72
// inch) from the page's top-left corner, y growing downwards; text is placed
// by its baseline. Text is WinAnsi (DocText.h).
//
// Composer lays a report out on such pages (and writes its text/plain lines
// at the same time): titles, fields, tables, bars and drawings, with page
// breaks, running headers, footers and the caps that keep hostile input from
// making unbounded output.
//
// Portable C++17, no system headers.
#ifndef DOCGEN_DOCPAGE_H
#define DOCGEN_DOCPAGE_H

#include <stddef.h>

#include <string>
#include <vector>

#include "docgen/DocText.h"

namespace docgen {

// The most pages a document has; what would need more is cut, and the last
// page's footer says so.
const size_t kMaxPages = 40;

// A page size in points. Media() is A4.
struct Media
{
    std::string name;   // the PWG media name ("iso_a4_210x297mm")
    double width;
    double height;

    Media() : name("iso_a4_210x297mm"), width(210 * 72 / 25.4), height(297 * 72 / 25.4) {}
    Media(const std::string& n, double w, double h) : name(n), width(w), height(h) {}
};

Media MediaA4();
Media MediaLetter();

// The media a PWG self-describing name stands for ("iso_a4_210x297mm",
// "na_letter_8.5x11in", "custom_max_100x200mm", and "a4"/"letter"). A name
// that cannot be read, or a size outside 5 x 5 to 13 x 19 inches (what the
// layout is made for), gives false.
bool MediaFromName(const std::string& name, Media& out);

struct Color
{
    enum Space { kGray, kRgb, kCmyk };
    Space space;
    double c[4];  // each 0..1; gray: 0 black .. 1 white

    Color() : space(kGray) { c[0] = 0; c[1] = c[2] = c[3] = 0; }
    static Color Gray(double level);
    static Color Rgb(double r, double g, double b);
    static Color Cmyk(double c, double m, double y, double k);
    static Color Black() { return Gray(0); }
    static Color White() { return Gray(1); }

    // The colour as sRGB values 0..255 (CMYK by the simple complement).
    void ToRgb(unsigned char rgb[3]) const;
    // The colour as a gray level 0..255 (0 black).
    unsigned char ToGray() const;
};

// The colour of an IPP marker-colors value ("#00FFFF", "#FF00FF#00FFFF" takes
// the first, "none" or unreadable text gives mid gray).
Color ColorFromMarker(const std::string& markerColor);

struct Op
{
    enum Kind { kText, kLine, kFill, kFrame };
    Kind kind;
    double x, y;        // text: start of the baseline; line: from; fill, frame: top-left
    double x2, y2;      // line: to; fill, frame: width and height
    double width;       // line and frame: the stroke width
    Color color;
    Font font;          // text
    double size;        // text: font size
    std::string text;   // text: WinAnsi

    Op() : kind(kFill), x(0), y(0), x2(0), y2(0), width(0), font(kHelvetica), size(10) {}
};

struct Page
{
    std::vector<Op> ops;

    void Text(double x, double y, Font font, double size, const std::string& text,
              const Color& color = Color::Black());
    void Line(double x1, double y1, double x2, double y2, double width,
              const Color& color = Color::Black());
    void Fill(double x, double y, double w, double h, const Color& color);
    void Frame(double x, double y, double w, double h, double width,
               const Color& color = Color::Black());
};

struct Document
{
    Media media;
    std::string title;   // WinAnsi: what the document is ("Configuration report")
    std::vector<Page> pages;
    bool twoSided;       // printed on both sides: even pages are back sides
    bool cut;            // content was left out because of kMaxPages

    Document() : twoSided(false), cut(false) {}
};

// Lays a report out on pages. Every method adds to the current page and
// starts a new one when what it adds does not fit; each also appends the
// same content to the text/plain lines. Texts are WinAnsi.
class Composer
{
public:
    // `title`: what the document is; `printer`: the printer's name for the
    // running header and footer of every page.
    Composer(const Media& media, const std::string& title, const std::string& printer);

    double Left() const { return margin_; }
    double Right() const { return media_.width - margin_; }
    double ContentWidth() const { return media_.width - 2 * margin_; }
    double Y() const { return y_; }
    void MoveDown(double points);

    // The big title at the top of the first page.
    void Title(const std::string& text);
    // A section heading.
    void Heading(const std::string& text);
    // "label: value", the value wrapped into at most `maxLines` lines.
    void Field(const std::string& label, const std::string& value, size_t maxLines = 6);
    // A paragraph of running text.
    void Paragraph(const std::string& text, Font font = kHelvetica, double size = 10,
                   size_t maxLines = 20);
    // A row of a fixed-width table in Courier: cells padded or cut to their
    // column widths (in characters). `header` draws it bold with a rule.
    void TableRow(const std::vector<std::string>& cells, const std::vector<size_t>& columns,
                  bool header = false);
    // A level bar: label, a bar of `percent` (0..100) filled with `color`,
    // and `valueText` after it. A percent outside 0..100 draws an empty bar.
    void Bar(const std::string& label, int percent, const Color& color,
             const std::string& valueText);
    // Makes room for a drawing `height` points high (a new page if needed)
    // and returns the page and the top of the room; the caller draws there
    // and adds the drawing's text form with TextLine.
    Page& Reserve(double height, double& top);
    // Starts a new page unless `height` points are left on this one (keeps a
    // heading with the drawing under it).
    void KeepTogether(double height) { static_cast<void>(Ensure(height)); }
    // A line of the text/plain form only.
    void TextLine(const std::string& text);
    // Ends the page here; the next content goes on a new page. `blank` makes
    // the page stay without header and footer (a sheet for a feed test).
    void PageBreak();
    void BlankPage();

    // True once content was dropped because the document reached kMaxPages.
    bool Full() const { return full_; }

    // The pages with their footers ("page 2 of 3"), and the text/plain lines
    // ("\f" alone on a line is a page break).
    Document Finish(bool twoSided);
    const std::vector<std::string>& TextLines() const { return text_; }

private:
    bool Ensure(double height);
    void NewPage();

    Media media_;
    std::string title_;
    std::string printer_;
    double margin_;
    double bottom_;
    double y_;
    std::vector<Page> pages_;
    std::vector<bool> blank_;   // pages left blank (no header, no footer)
    Page scratch_;              // where drawings go once the document is full
    std::vector<std::string> text_;
    bool full_;
    bool pageOpen_;
};

} // namespace docgen

#endif // DOCGEN_DOCPAGE_H
