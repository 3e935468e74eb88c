// DocRaster.cpp - the PWG raster writer: page headers, a band renderer for
// the page model and the line compression.
#include "docgen/DocRaster.h"

#include <string.h>

#include <vector>

#include "docgen/DocFont.h"

namespace docgen {

namespace {

const int kBandLines = 32;

// Offsets of the page header fields this writer sets (all others are zero).
// Numbers are 32-bit big-endian; strings are 64 octets, NUL-padded.
enum HeaderOffset
{
    kPwgRaster = 0,            // "PwgRaster"
    kDuplex = 272,
    kHwResolution = 276,       // cross-feed, feed
    kNumCopies = 340,
    kPageSize = 352,           // width, length in points
    kTumble = 368,
    kWidth = 372,
    kHeight = 376,
    kBitsPerColor = 384,
    kBitsPerPixel = 388,
    kBytesPerLine = 392,
    kColorOrder = 396,
    kColorSpace = 400,
    kNumColors = 420,
    kTotalPageCount = 452,
    kCrossFeedTransform = 456,
    kFeedTransform = 460,
    kImageBoxLeft = 464,
    kImageBoxTop = 468,
    kImageBoxRight = 472,
    kImageBoxBottom = 476,
    kPrintQuality = 484,
    kPageSizeName = 1732
};

const uint32_t kColorSpaceSgray = 18;
const uint32_t kColorSpaceSrgb = 19;

void PutNumber(std::string& header, size_t offset, uint32_t value)
{
    header[offset] = static_cast<char>(value >> 24);
    header[offset + 1] = static_cast<char>(value >> 16);
    header[offset + 2] = static_cast<char>(value >> 8);
    header[offset + 3] = static_cast<char>(value);
}

void PutString(std::string& header, size_t offset, const std::string& text)
{
    size_t n = text.size() < 63 ? text.size() : 63;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        header[offset + i] = (c > 0x20 && c < 0x7F) ? c : '_';
    }
}

int Round(double v)
{
    return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
}

// Page sizes in pixels and points are whole units cut down, as CUPS makes
// them (a page of 1753.9 lines has 1753).
int Whole(double v)
{
    return static_cast<int>(v + 1e-6);
}

// What one op becomes in pixels.
struct Prim
{
    enum Kind { kRect, kStroke, kGlyph };
    Kind kind;
    int x0, y0, x1, y1;   // rect: [x0, x1) x [y0, y1); stroke: the end points
    int top, bottom;      // rows it touches: [top, bottom)
    int thickness;        // stroke: square brush size; glyph: dot height
    int dotWidth;         // glyph
    unsigned char code;   // glyph
    bool bold;            // glyph
    unsigned char pixel[3];
};

class PageRaster
{
public:
    PageRaster(int width, int height, int xdpi, int ydpi, RasterType type)
        : width_(width), height_(height), xdpi_(xdpi), ydpi_(ydpi),
          bpp_(type == kSrgb8 ? 3 : 1), type_(type) {}

    int BytesPerPixel() const { return bpp_; }

    void Add(const Op& op)
    {
        Prim prim;
        Pixel(op.color, prim.pixel);
        switch (op.kind) {
        case Op::kFill:
            AddRect(prim, PxX(op.x), PxY(op.y), PxX(op.x + op.x2), PxY(op.y + op.y2));
            break;
        case Op::kFrame: {
            int wx = StrokeWidth(op.width, xdpi_), wy = StrokeWidth(op.width, ydpi_);
            int x0 = PxX(op.x), y0 = PxY(op.y), x1 = PxX(op.x + op.x2), y1 = PxY(op.y + op.y2);
            AddRect(prim, x0, y0, x1, y0 + wy);
            AddRect(prim, x0, y1 - wy, x1, y1);
            AddRect(prim, x0, y0, x0 + wx, y1);
            AddRect(prim, x1 - wx, y0, x1, y1);
            break;
        }
        case Op::kLine:
            AddLine(prim, op);
            break;
        case Op::kText:
            AddText(prim, op);
            break;
        }
    }

    // Draws the lines [y0, y0 + count) into `band` (count lines of the page's width).
    void Draw(int y0, int count, std::vector<unsigned char>& band) const
    {
        band.assign(static_cast<size_t>(width_) * bpp_ * count, 0xFF);
        const int y1 = y0 + count;
        for (size_t i = 0; i < prims_.size(); ++i) {
            const Prim& p = prims_[i];
            if (p.bottom <= y0 || p.top >= y1)
                continue;
            switch (p.kind) {
            case Prim::kRect:
                FillRect(band, y0, y1, p.x0, p.y0, p.x1, p.y1, p.pixel);
                break;
            case Prim::kStroke:
                DrawStroke(band, y0, y1, p);
                break;
            case Prim::kGlyph:
                DrawGlyph(band, y0, y1, p);
                break;
            }
        }
    }

private:
    int PxX(double pt) const { return Round(pt * xdpi_ / 72.0); }
    int PxY(double pt) const { return Round(pt * ydpi_ / 72.0); }
    static int StrokeWidth(double pt, int dpi)
    {
        int w = Round(pt * dpi / 72.0);
        return w < 1 ? 1 : w;
    }

    void Pixel(const Color& color, unsigned char* pixel) const
    {
        if (type_ == kSrgb8)
            color.ToRgb(pixel);
        else
            pixel[0] = color.ToGray();
    }

    void AddRect(Prim prim, int x0, int y0, int x1, int y1)
    {
        if (x1 <= x0 || y1 <= y0)
            return;
        prim.kind = Prim::kRect;
        prim.x0 = x0;
        prim.y0 = y0;
        prim.x1 = x1;
        prim.y1 = y1;
        prim.top = y0;
        prim.bottom = y1;
        prims_.push_back(prim);
    }

    void AddLine(Prim prim, const Op& op)
    {
        int x0 = PxX(op.x), y0 = PxY(op.y), x1 = PxX(op.x2), y1 = PxY(op.y2);
        if (y0 == y1) {  // horizontal: a rectangle as thick as the line
            int w = StrokeWidth(op.width, ydpi_);
            int top = y0 - w / 2;
            AddRect(prim, x0 < x1 ? x0 : x1, top, (x0 < x1 ? x1 : x0) + 1, top + w);
            return;
        }
        if (x0 == x1) {
            int w = StrokeWidth(op.width, xdpi_);
            int left = x0 - w / 2;
            AddRect(prim, left, y0 < y1 ? y0 : y1, left + w, (y0 < y1 ? y1 : y0) + 1);
            return;
        }
        prim.kind = Prim::kStroke;
        prim.x0 = x0;
        prim.y0 = y0;
        prim.x1 = x1;
        prim.y1 = y1;
        prim.thickness = StrokeWidth(op.width, (xdpi_ + ydpi_) / 2);
        prim.top = (y0 < y1 ? y0 : y1) - prim.thickness;
        prim.bottom = (y0 < y1 ? y1 : y0) + prim.thickness + 1;
        prims_.push_back(prim);
    }

    void AddText(Prim prim, const Op& op)
    {
        // Dots as high as a seventh of the cap height (0.718 of the size).
        int dotHeight = Round(op.size * 0.718 * ydpi_ / 72.0 / 7.0);
        int dotWidth = Round(op.size * 0.718 * xdpi_ / 72.0 / 7.0);
        if (dotHeight < 1)
            dotHeight = 1;
        if (dotWidth < 1)
            dotWidth = 1;
        const int baseline = PxY(op.y);
        prim.kind = Prim::kGlyph;
        prim.thickness = dotHeight;
        prim.dotWidth = dotWidth;
        prim.bold = op.font == kHelveticaBold;
        prim.y0 = baseline - (kGlyphBaselineRow + 1) * dotHeight;
        prim.top = prim.y0;
        prim.bottom = prim.y0 + kGlyphRows * dotHeight;
        if (op.font == kCourier) {
            // Fixed width: each picture centred in its character's cell, so
            // columns stay aligned.
            double x = op.x;
            for (size_t i = 0; i < op.text.size(); ++i) {
                unsigned char c = static_cast<unsigned char>(op.text[i]);
                double advance = CharWidth(op.font, c) * op.size / 1000.0;
                int first = 0, last = 0;
                if (GlyphInk(c, first, last)) {
                    int cell = PxX(x), cellWidth = PxX(x + advance) - cell;
                    int ink = (last - first + 1) * dotWidth;
                    prim.x0 = cell + (cellWidth - ink) / 2 - first * dotWidth;
                    prim.code = c;
                    prims_.push_back(prim);
                }
                x += advance;
            }
            return;
        }
        // Proportional: each picture as wide as its ink and one dot of space
        // (a space three dots), squeezed evenly when the run would come out
        // wider than the PDF font makes it, so it never runs past where the
        // layout ends it.
        const int gap = dotWidth;  // bold pictures are drawn twice, into the gap
        std::vector<int> advances(op.text.size());
        double natural = 0;
        for (size_t i = 0; i < op.text.size(); ++i) {
            int first = 0, last = 0;
            unsigned char c = static_cast<unsigned char>(op.text[i]);
            advances[i] = GlyphInk(c, first, last) ? (last - first + 1) * dotWidth + gap
                                                   : 3 * dotWidth;
            natural += advances[i];
        }
        const double target = PxX(op.x + TextWidthPt(op.font, op.size, op.text)) - PxX(op.x);
        const double scale = natural > target && natural > 0 ? target / natural : 1.0;
        double position = PxX(op.x);
        for (size_t i = 0; i < op.text.size(); ++i) {
            int first = 0, last = 0;
            unsigned char c = static_cast<unsigned char>(op.text[i]);
            if (GlyphInk(c, first, last)) {
                prim.x0 = Round(position) - first * dotWidth;
                prim.code = c;
                prims_.push_back(prim);
            }
            position += advances[i] * scale;
        }
    }

    void FillRect(std::vector<unsigned char>& band, int y0, int y1, int rx0, int ry0, int rx1,
                  int ry1, const unsigned char* pixel) const
    {
        if (rx0 < 0) rx0 = 0;
        if (rx1 > width_) rx1 = width_;
        if (ry0 < y0) ry0 = y0;
        if (ry1 > y1) ry1 = y1;
        if (ry0 < 0) ry0 = 0;
        if (ry1 > height_) ry1 = height_;
        if (rx1 <= rx0 || ry1 <= ry0)
            return;
        for (int y = ry0; y < ry1; ++y) {
            unsigned char* row = &band[(static_cast<size_t>(y - y0) * width_ + rx0) * bpp_];
            if (bpp_ == 1) {
                memset(row, pixel[0], rx1 - rx0);
            } else {
                for (int x = rx0; x < rx1; ++x, row += 3) {
                    row[0] = pixel[0];
                    row[1] = pixel[1];
                    row[2] = pixel[2];
                }
            }
        }
    }

    void DrawStroke(std::vector<unsigned char>& band, int y0, int y1, const Prim& p) const
    {
        int dx = p.x1 - p.x0, dy = p.y1 - p.y0;
        int steps = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy) ? (dx < 0 ? -dx : dx)
                                                              : (dy < 0 ? -dy : dy);
        int half = p.thickness / 2;
        for (int i = 0; i <= steps; ++i) {
            int x = p.x0 + Round(static_cast<double>(dx) * i / steps);
            int y = p.y0 + Round(static_cast<double>(dy) * i / steps);
            if (y + p.thickness - half <= y0 || y - half >= y1)
                continue;
            FillRect(band, y0, y1, x - half, y - half, x - half + p.thickness,
                     y - half + p.thickness, p.pixel);
        }
    }

    void DrawGlyph(std::vector<unsigned char>& band, int y0, int y1, const Prim& p) const
    {
        const uint8_t* rows = GlyphRows(p.code);
        const int boldShift = p.bold ? (p.dotWidth + 1) / 2 : 0;
        for (int r = 0; r < kGlyphRows; ++r) {
            int top = p.y0 + r * p.thickness;
            if (top + p.thickness <= y0 || top >= y1 || rows[r] == 0)
                continue;
            for (int col = 0; col < kGlyphColumns; ++col) {
                if (!(rows[r] & (0x10 >> col)))
                    continue;
                int left = p.x0 + col * p.dotWidth;
                FillRect(band, y0, y1, left, top, left + p.dotWidth + boldShift, top + p.thickness,
                         p.pixel);
            }
        }
    }

    int width_, height_, xdpi_, ydpi_, bpp_;
    RasterType type_;
    std::vector<Prim> prims_;
};

// The compression: each line is a line-repeat octet (how many more times the
// same line follows, 0..255) and the line's pixels as runs: an octet n of
// 0..127 repeats the next pixel n + 1 times; n of 129..255 is followed by
// 257 - n different pixels.
class LineEncoder
{
public:
    LineEncoder(std::string& out, size_t lineBytes, int bpp)
        : out_(out), lineBytes_(lineBytes), bpp_(bpp), repeat_(0) {}

    void Push(const unsigned char* line)
    {
        if (!last_.empty() && repeat_ < 255 && memcmp(&last_[0], line, lineBytes_) == 0) {
            ++repeat_;
            return;
        }
        Flush();
        last_.assign(line, line + lineBytes_);
        repeat_ = 0;
    }

    void Flush()
    {
        if (last_.empty())
            return;
        out_ += static_cast<char>(repeat_);
        Encode(&last_[0]);
        last_.clear();
    }

private:
    bool Same(const unsigned char* line, size_t a, size_t b) const
    {
        return memcmp(line + a * bpp_, line + b * bpp_, bpp_) == 0;
    }

    void Encode(const unsigned char* line)
    {
        const size_t count = lineBytes_ / bpp_;
        size_t i = 0;
        while (i < count) {
            if (i + 1 < count && Same(line, i, i + 1)) {
                size_t run = 2;
                while (i + run < count && run < 128 && Same(line, i, i + run))
                    ++run;
                out_ += static_cast<char>(run - 1);
                out_.append(reinterpret_cast<const char*>(line + i * bpp_), bpp_);
                i += run;
            } else {
                size_t run = 1;
                while (i + run < count && run < 128 &&
                       !(i + run + 1 < count && Same(line, i + run, i + run + 1)))
                    ++run;
                out_ += static_cast<char>(run == 1 ? 0 : 257 - run);
                out_.append(reinterpret_cast<const char*>(line + i * bpp_), run * bpp_);
                i += run;
            }
        }
    }

    std::string& out_;
    size_t lineBytes_;
    int bpp_;
    unsigned repeat_;
    std::vector<unsigned char> last_;
};

int ClampDpi(int dpi)
{
    return dpi < 72 ? 72 : (dpi > 1200 ? 1200 : dpi);
}

} // namespace

std::string WritePwgRaster(const Document& document, const RasterOptions& options)
{
    const int xdpi = ClampDpi(options.xdpi), ydpi = ClampDpi(options.ydpi);
    const int width = Whole(document.media.width * xdpi / 72.0);
    const int height = Whole(document.media.height * ydpi / 72.0);
    const int bpp = options.type == kSrgb8 ? 3 : 1;
    const size_t lineBytes = static_cast<size_t>(width) * bpp;
    const size_t pageCount = document.pages.empty() ? 1 : document.pages.size();

    std::string out = "RaS2";
    std::vector<unsigned char> band;
    std::vector<unsigned char> reversed(lineBytes);
    for (size_t index = 0; index < pageCount; ++index) {
        // A back side is drawn as the printer wants it.
        const bool back = document.twoSided && index % 2 == 1;
        const bool upsideDown =
            back && (options.back == kBackFlipped || options.back == kBackRotated);
        const bool mirrored = back && options.back == kBackRotated;

        std::string header(kPwgHeaderSize, '\0');
        PutString(header, kPwgRaster, "PwgRaster");
        PutNumber(header, kDuplex, document.twoSided ? 1 : 0);
        PutNumber(header, kHwResolution, xdpi);
        PutNumber(header, kHwResolution + 4, ydpi);
        PutNumber(header, kNumCopies, 1);
        PutNumber(header, kPageSize, Whole(document.media.width));
        PutNumber(header, kPageSize + 4, Whole(document.media.height));
        PutNumber(header, kTumble, 0);
        PutNumber(header, kWidth, width);
        PutNumber(header, kHeight, height);
        PutNumber(header, kBitsPerColor, 8);
        PutNumber(header, kBitsPerPixel, 8 * bpp);
        PutNumber(header, kBytesPerLine, static_cast<uint32_t>(lineBytes));
        PutNumber(header, kColorOrder, 0);  // chunky
        PutNumber(header, kColorSpace, bpp == 3 ? kColorSpaceSrgb : kColorSpaceSgray);
        PutNumber(header, kNumColors, bpp);
        PutNumber(header, kTotalPageCount, static_cast<uint32_t>(pageCount));
        PutNumber(header, kCrossFeedTransform, mirrored ? 0xFFFFFFFFu : 1u);
        PutNumber(header, kFeedTransform, upsideDown ? 0xFFFFFFFFu : 1u);
        PutNumber(header, kImageBoxLeft, 0);
        PutNumber(header, kImageBoxTop, 0);
        PutNumber(header, kImageBoxRight, width);
        PutNumber(header, kImageBoxBottom, height);
        PutNumber(header, kPrintQuality, 0);
        PutString(header, kPageSizeName, document.media.name);
        out += header;

        PageRaster raster(width, height, xdpi, ydpi, options.type);
        if (!document.pages.empty()) {
            const Page& page = document.pages[index];
            for (size_t i = 0; i < page.ops.size(); ++i)
                raster.Add(page.ops[i]);
        }
        LineEncoder encoder(out, lineBytes, bpp);
        const int bands = (height + kBandLines - 1) / kBandLines;
        for (int b = 0; b < bands; ++b) {
            const int bandIndex = upsideDown ? bands - 1 - b : b;
            const int y0 = bandIndex * kBandLines;
            const int count = height - y0 < kBandLines ? height - y0 : kBandLines;
            raster.Draw(y0, count, band);
            for (int k = 0; k < count; ++k) {
                const int line = upsideDown ? count - 1 - k : k;
                const unsigned char* pixels = &band[static_cast<size_t>(line) * lineBytes];
                if (mirrored) {
                    for (int x = 0; x < width; ++x)
                        memcpy(&reversed[static_cast<size_t>(x) * bpp],
                               pixels + static_cast<size_t>(width - 1 - x) * bpp, bpp);
                    pixels = &reversed[0];
                }
                encoder.Push(pixels);
            }
        }
        encoder.Flush();
    }
    return out;
}

} // namespace docgen
