// DocPage.cpp - media, colours, the page model and the Composer's layout.
#include "docgen/DocPage.h"

namespace docgen {

namespace {

// The layout, in points.
const double kMargin = 48;
const double kHeaderY = 30;      // baseline of the running header
const double kContentTop = 54;
const double kFooterGap = 26;    // from the page's bottom to the footer's baseline
const double kContentGap = 46;   // from the page's bottom to the end of the content
const double kTextColumns = 78;  // width of the text/plain form
const size_t kLabelColumns = 24; // label column of the text/plain form

double Clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

unsigned char Byte(double v)
{
    return static_cast<unsigned char>(Clamp01(v) * 255.0 + 0.5);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a positive decimal number ("210", "8.5") from text[i..end).
bool ReadNumber(const std::string& text, size_t begin, size_t end, double& out)
{
    if (begin >= end || end - begin > 12)
        return false;
    double value = 0;
    double scale = 0;
    for (size_t i = begin; i < end; ++i) {
        char c = text[i];
        if (c == '.' && scale == 0) {
            scale = 1;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (scale != 0)
                scale *= 10;
        } else {
            return false;
        }
    }
    out = scale != 0 ? value / scale : value;
    return out > 0;
}

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

} // namespace

Media MediaA4()
{
    return Media("iso_a4_210x297mm", 210 * 72 / 25.4, 297 * 72 / 25.4);
}

Media MediaLetter()
{
    return Media("na_letter_8.5x11in", 612, 792);
}

bool MediaFromName(const std::string& name, Media& out)
{
    if (name == "a4" || name == "iso_a4")
        return MediaFromName("iso_a4_210x297mm", out);
    if (name == "letter" || name == "na_letter")
        return MediaFromName("na_letter_8.5x11in", out);
    if (name.size() > 100)
        return false;
    // class_name_WxHunit: the size is the part after the last underscore.
    size_t underscore = name.rfind('_');
    if (underscore == std::string::npos || name.size() < underscore + 5)
        return false;
    std::string unit = name.substr(name.size() - 2);
    double perUnit;
    if (unit == "mm")
        perUnit = 72.0 / 25.4;
    else if (unit == "in")
        perUnit = 72.0;
    else
        return false;
    size_t x = name.find('x', underscore);
    double w = 0, h = 0;
    if (x == std::string::npos || !ReadNumber(name, underscore + 1, x, w) ||
        !ReadNumber(name, x + 1, name.size() - 2, h))
        return false;
    w *= perUnit;
    h *= perUnit;
    if (w < 360 || h < 360 || w > 936 || h > 1368)
        return false;
    out = Media(name, w, h);
    return true;
}

Color Color::Gray(double level)
{
    Color color;
    color.space = kGray;
    color.c[0] = Clamp01(level);
    return color;
}

Color Color::Rgb(double r, double g, double b)
{
    Color color;
    color.space = kRgb;
    color.c[0] = Clamp01(r);
    color.c[1] = Clamp01(g);
    color.c[2] = Clamp01(b);
    return color;
}

Color Color::Cmyk(double c, double m, double y, double k)
{
    Color color;
    color.space = kCmyk;
    color.c[0] = Clamp01(c);
    color.c[1] = Clamp01(m);
    color.c[2] = Clamp01(y);
    color.c[3] = Clamp01(k);
    return color;
}

void Color::ToRgb(unsigned char rgb[3]) const
{
    switch (space) {
    case kGray:
        rgb[0] = rgb[1] = rgb[2] = Byte(c[0]);
        break;
    case kRgb:
        rgb[0] = Byte(c[0]);
        rgb[1] = Byte(c[1]);
        rgb[2] = Byte(c[2]);
        break;
    case kCmyk:
        rgb[0] = Byte((1 - c[0]) * (1 - c[3]));
        rgb[1] = Byte((1 - c[1]) * (1 - c[3]));
        rgb[2] = Byte((1 - c[2]) * (1 - c[3]));
        break;
    }
}

unsigned char Color::ToGray() const
{
    if (space == kGray)
        return Byte(c[0]);
    unsigned char rgb[3];
    ToRgb(rgb);
    // Luma of the sRGB values (ITU-R BT.601 weights).
    return static_cast<unsigned char>((299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] + 500) / 1000);
}

Color ColorFromMarker(const std::string& markerColor)
{
    if (markerColor.size() >= 7 && markerColor[0] == '#') {
        int v[6];
        bool ok = true;
        for (int i = 0; i < 6; ++i) {
            v[i] = HexDigit(markerColor[1 + i]);
            ok = ok && v[i] >= 0;
        }
        if (ok)
            return Color::Rgb((v[0] * 16 + v[1]) / 255.0, (v[2] * 16 + v[3]) / 255.0,
                              (v[4] * 16 + v[5]) / 255.0);
    }
    return Color::Gray(0.5);
}

// --- Page ---------------------------------------------------------------------

void Page::Text(double x, double y, Font font, double size, const std::string& text,
                const Color& color)
{
    if (text.empty())
        return;
    Op op;
    op.kind = Op::kText;
    op.x = x;
    op.y = y;
    op.font = font;
    op.size = size;
    op.text = text;
    op.color = color;
    ops.push_back(op);
}

void Page::Line(double x1, double y1, double x2, double y2, double width, const Color& color)
{
    Op op;
    op.kind = Op::kLine;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.width = width;
    op.color = color;
    ops.push_back(op);
}

void Page::Fill(double x, double y, double w, double h, const Color& color)
{
    Op op;
    op.kind = Op::kFill;
    op.x = x;
    op.y = y;
    op.x2 = w;
    op.y2 = h;
    op.color = color;
    ops.push_back(op);
}

void Page::Frame(double x, double y, double w, double h, double width, const Color& color)
{
    Op op;
    op.kind = Op::kFrame;
    op.x = x;
    op.y = y;
    op.x2 = w;
    op.y2 = h;
    op.width = width;
    op.color = color;
    ops.push_back(op);
}

// --- Composer -----------------------------------------------------------------

Composer::Composer(const Media& media, const std::string& title, const std::string& printer)
    : media_(media), title_(title), printer_(printer), margin_(kMargin),
      bottom_(media.height - kContentGap), y_(kContentTop), full_(false), pageOpen_(false)
{
}

void Composer::NewPage()
{
    if (pages_.size() >= kMaxPages) {
        full_ = true;
        return;
    }
    pages_.push_back(Page());
    blank_.push_back(false);
    pageOpen_ = true;
    y_ = kContentTop;
    Page& page = pages_.back();
    const Color gray = Color::Gray(0.35);
    const double half = ContentWidth() / 2 - 6;
    page.Text(Left(), kHeaderY, kHelvetica, 8, FitText(printer_, kHelvetica, 8, half), gray);
    std::string title = FitText(title_, kHelvetica, 8, half);
    page.Text(Right() - TextWidthPt(kHelvetica, 8, title), kHeaderY, kHelvetica, 8, title, gray);
    page.Line(Left(), kHeaderY + 5, Right(), kHeaderY + 5, 0.5, gray);
}

bool Composer::Ensure(double height)
{
    if (full_)
        return false;
    if (!pageOpen_ || y_ + height > bottom_)
        NewPage();
    return !full_;
}

void Composer::MoveDown(double points)
{
    if (pageOpen_)
        y_ += points;
}

void Composer::Title(const std::string& text)
{
    const double size = 18;
    std::vector<std::string> lines = WrapText(text, kHelveticaBold, size, ContentWidth(), 2);
    if (!Ensure(lines.size() * 22.0 + 12))
        return;
    for (size_t i = 0; i < lines.size(); ++i) {
        y_ += 22;
        pages_.back().Text(Left(), y_ - 4, kHelveticaBold, size, lines[i]);
    }
    pages_.back().Line(Left(), y_ + 2, Right(), y_ + 2, 1.2);
    y_ += 12;
    TextLine(text);
    TextLine(Repeat('=', text.size() < 78 ? text.size() : 78));
}

void Composer::Heading(const std::string& text)
{
    std::string line = FitText(text, kHelveticaBold, 12, ContentWidth());
    // A heading is kept with at least two lines of what follows it.
    if (!Ensure(8 + 16 + 2 * 13))
        return;
    y_ += 8 + 16;
    pages_.back().Text(Left(), y_ - 4, kHelveticaBold, 12, line);
    pages_.back().Line(Left(), y_ - 1, Right(), y_ - 1, 0.5, Color::Gray(0.5));
    y_ += 3;
    TextLine("");
    TextLine(text);
    TextLine(Repeat('-', text.size() < 78 ? text.size() : 78));
}

void Composer::Field(const std::string& label, const std::string& value, size_t maxLines)
{
    const double size = 10;
    const double lineHeight = 13;
    double labelWidth = ContentWidth() * 0.34;
    if (labelWidth > 150)
        labelWidth = 150;
    std::vector<std::string> lines =
        WrapText(value, kHelvetica, size, ContentWidth() - labelWidth, maxLines);
    if (!Ensure(lines.size() * lineHeight))
        return;
    Page& page = pages_.back();
    page.Text(Left(), y_ + size, kHelveticaBold, size,
              FitText(label, kHelveticaBold, size, labelWidth - 6));
    for (size_t i = 0; i < lines.size(); ++i) {
        page.Text(Left() + labelWidth, y_ + size, kHelvetica, size, lines[i]);
        y_ += lineHeight;
    }
    // The text form: "Label:" in a column of its own, the value wrapped beside it.
    std::string head = FixedWidth(label + ":", kLabelColumns - 1) + " ";
    std::vector<std::string> textLines = WrapText(
        value, kCourier, 10, (kTextColumns - kLabelColumns) * 6.0, maxLines);
    for (size_t i = 0; i < textLines.size(); ++i)
        TextLine((i == 0 ? head : std::string(kLabelColumns, ' ')) + textLines[i]);
}

void Composer::Paragraph(const std::string& text, Font font, double size, size_t maxLines)
{
    const double lineHeight = size * 1.3;
    std::vector<std::string> lines = WrapText(text, font, size, ContentWidth(), maxLines);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!Ensure(lineHeight))
            return;
        y_ += lineHeight;
        pages_.back().Text(Left(), y_ - lineHeight * 0.25, font, size, lines[i]);
    }
    std::vector<std::string> textLines = WrapText(text, kCourier, 10, kTextColumns * 6.0, maxLines);
    for (size_t i = 0; i < textLines.size(); ++i)
        TextLine(textLines[i]);
}

void Composer::TableRow(const std::vector<std::string>& cells, const std::vector<size_t>& columns,
                        bool header)
{
    size_t total = 0;
    for (size_t i = 0; i < columns.size(); ++i)
        total += columns[i] + 1;
    if (total == 0)
        return;
    double size = ContentWidth() / (total * 0.6);
    if (size > 8.5)
        size = 8.5;
    const double charWidth = size * 0.6;
    const double lineHeight = size * 1.4;
    if (!Ensure(lineHeight + (header ? 4 : 0)))
        return;
    Page& page = pages_.back();
    y_ += lineHeight;
    std::string textLine;
    double x = Left();
    for (size_t i = 0; i < columns.size(); ++i) {
        std::string cell = i < cells.size() ? cells[i] : std::string();
        std::string fixed = FixedWidth(cell, columns[i]);
        if (header) {
            page.Text(x, y_ - lineHeight * 0.25, kHelveticaBold, size,
                      FitText(cell, kHelveticaBold, size, columns[i] * charWidth));
        } else {
            size_t end = fixed.find_last_not_of(' ');
            page.Text(x, y_ - lineHeight * 0.25, kCourier, size,
                      end == std::string::npos ? std::string() : fixed.substr(0, end + 1));
        }
        x += (columns[i] + 1) * charWidth;
        textLine += fixed;
        if (i + 1 < columns.size())
            textLine += ' ';
    }
    if (header) {
        page.Line(Left(), y_ + 1, Left() + (total - 1) * charWidth, y_ + 1, 0.5);
        y_ += 4;
    }
    size_t end = textLine.find_last_not_of(' ');
    TextLine(end == std::string::npos ? std::string() : textLine.substr(0, end + 1));
    if (header)
        TextLine(Repeat('-', total - 1));
}

void Composer::Bar(const std::string& label, int percent, const Color& color,
                   const std::string& valueText)
{
    const double lineHeight = 16;
    double labelWidth = ContentWidth() * 0.34;
    if (labelWidth > 150)
        labelWidth = 150;
    double barWidth = ContentWidth() - labelWidth - 90;
    if (barWidth > 220)
        barWidth = 220;
    if (!Ensure(lineHeight))
        return;
    Page& page = pages_.back();
    const double top = y_ + 3;
    page.Text(Left(), y_ + 11, kHelvetica, 10, FitText(label, kHelvetica, 10, labelWidth - 6));
    const double x = Left() + labelWidth;
    if (percent > 0 && percent <= 100)
        page.Fill(x, top, barWidth * percent / 100.0, 10, color);
    page.Frame(x, top, barWidth, 10, 0.6);
    page.Text(x + barWidth + 8, y_ + 11, kHelvetica, 10,
              FitText(valueText, kHelvetica, 10, Right() - x - barWidth - 8));
    y_ += lineHeight;
    int filled = percent >= 0 && percent <= 100 ? (percent * 20 + 50) / 100 : 0;
    TextLine(FixedWidth(label, kLabelColumns - 1) + " [" + Repeat('#', filled) +
             Repeat('-', 20 - filled) + "] " + valueText);
}

Page& Composer::Reserve(double height, double& top)
{
    static_cast<void>(Ensure(height));
    if (full_) {
        // Drawn nowhere: the document is full.
        scratch_ = Page();
        top = 0;
        return scratch_;
    }
    top = y_;
    y_ += height;
    return pages_.back();
}

void Composer::TextLine(const std::string& text)
{
    if (!full_)
        text_.push_back(text);
}

void Composer::PageBreak()
{
    if (full_ || !pageOpen_)
        return;
    pageOpen_ = false;
    TextLine("\f");
}

void Composer::BlankPage()
{
    if (pages_.size() >= kMaxPages) {
        full_ = true;
        return;
    }
    pages_.push_back(Page());
    blank_.push_back(true);
    pageOpen_ = false;
    TextLine("\f");
}

Document Composer::Finish(bool twoSided)
{
    Document document;
    document.media = media_;
    document.title = title_;
    document.twoSided = twoSided;
    document.cut = full_;
    if (pages_.empty()) {
        pages_.push_back(Page());
        blank_.push_back(true);
    }
    const Color gray = Color::Gray(0.35);
    const double y = media_.height - kFooterGap;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (blank_[i])
            continue;
        std::string right = "page " + std::to_string(i + 1) + " of " + std::to_string(pages_.size());
        if (full_ && i + 1 == pages_.size())
            right += " (cut: the rest would need more than " + std::to_string(kMaxPages) +
                     " pages)";
        double rightWidth = TextWidthPt(kHelvetica, 8, right);
        std::string left = FitText("Device Service \x95 " + title_ + " \x95 " + printer_,
                                   kHelvetica, 8, ContentWidth() - rightWidth - 12);
        pages_[i].Line(Left(), y - 10, Right(), y - 10, 0.5, gray);
        pages_[i].Text(Left(), y, kHelvetica, 8, left, gray);
        pages_[i].Text(Right() - rightWidth, y, kHelvetica, 8, right, gray);
    }
    if (full_)
        text_.push_back("[The rest was left out: it would need more than " +
                        std::to_string(kMaxPages) + " pages.]");
    document.pages.swap(pages_);
    return document;
}

} // namespace docgen
