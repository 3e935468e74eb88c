// DocFormat.cpp - the format chooser.
#include "docgen/DocFormat.h"

namespace docgen {

namespace {

const int kPreferredDpi = 150;
const int kDefaultDpi = 300;
const size_t kMaxListed = 256;  // list entries looked at

std::string Lower(const std::string& text)
{
    std::string out(text.size() < 200 ? text : text.substr(0, 200));
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

// A MIME type without blanks, lower case ("text/plain;charset=utf-8").
std::string Normal(const std::string& type)
{
    std::string lower = Lower(type), out;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (lower[i] != ' ' && lower[i] != '\t' && lower[i] != '"')
            out += lower[i];
    }
    return out;
}

std::string BaseType(const std::string& normal)
{
    return normal.substr(0, normal.find(';'));
}

bool Lists(const std::vector<std::string>& list, const std::string& value)
{
    for (size_t i = 0; i < list.size() && i < kMaxListed; ++i) {
        if (Lower(list[i]) == value)
            return true;
    }
    return false;
}

} // namespace

const std::vector<std::string>& FormatAttributes()
{
    static const std::vector<std::string> names = {
        "document-format-supported", "pwg-raster-document-resolution-supported",
        "pwg-raster-document-type-supported", "pwg-raster-document-sheet-back", "media-default",
        "color-supported"};
    return names;
}

void ReadPrinterFormats(const ipp::Group& printer, PrinterFormats& out)
{
    out = PrinterFormats();
    const ipp::Attribute* a = printer.Find("document-format-supported");
    if (a != nullptr)
        out.formats = a->Strings();
    a = printer.Find("pwg-raster-document-resolution-supported");
    if (a != nullptr) {
        for (size_t i = 0; i < a->values.size() && i < kMaxListed; ++i) {
            const ipp::Value& v = a->values[i];
            if (v.tag != ipp::kResolution || v.integer <= 0 || v.upper <= 0)
                continue;
            if (v.units == 4) {  // dots per centimetre
                out.xdpi.push_back(static_cast<int>(v.integer * 2.54 + 0.5));
                out.ydpi.push_back(static_cast<int>(v.upper * 2.54 + 0.5));
            } else if (v.units == 3) {
                out.xdpi.push_back(v.integer);
                out.ydpi.push_back(v.upper);
            }
        }
    }
    a = printer.Find("pwg-raster-document-type-supported");
    if (a != nullptr)
        out.rasterTypes = a->Strings();
    a = printer.Find("pwg-raster-document-sheet-back");
    if (a != nullptr)
        a->GetString(out.sheetBack);
    a = printer.Find("media-default");
    if (a != nullptr)
        a->GetString(out.mediaDefault);
    bool color = false;
    a = printer.Find("color-supported");
    if (a != nullptr && a->GetBoolean(color))
        out.color = color;
}

FormatChoice ChooseFormat(const PrinterFormats& printer)
{
    FormatChoice choice;
    bool pdf = false, pwg = false, text = false, utf8 = false;
    for (size_t i = 0; i < printer.formats.size() && i < kMaxListed; ++i) {
        std::string normal = Normal(printer.formats[i]);
        std::string base = BaseType(normal);
        if (base == "application/pdf")
            pdf = true;
        else if (base == "image/pwg-raster")
            pwg = true;
        else if (base == "text/plain") {
            text = true;
            if (normal.find("charset=utf-8") != std::string::npos)
                utf8 = true;
        }
    }
    if (pdf) {
        choice.format = kFormatPdf;
        choice.mimeType = "application/pdf";
        return choice;
    }
    bool srgb = Lists(printer.rasterTypes, "srgb_8");
    bool sgray = Lists(printer.rasterTypes, "sgray_8");
    if (pwg && (srgb || sgray)) {
        choice.format = kFormatPwgRaster;
        choice.mimeType = "image/pwg-raster";
        choice.raster.type = (srgb && (printer.color || !sgray)) ? kSrgb8 : kSgray8;
        // The lowest resolution of at least 150 dpi, else the highest below it.
        int best = -1;
        for (size_t i = 0; i < printer.xdpi.size() && i < printer.ydpi.size(); ++i) {
            int x = printer.xdpi[i], y = printer.ydpi[i];
            if (x < 72 || y < 72 || x > 1200 || y > 1200)
                continue;
            if (best < 0) {
                best = static_cast<int>(i);
                continue;
            }
            int bx = printer.xdpi[best], by = printer.ydpi[best];
            bool high = x >= kPreferredDpi && y >= kPreferredDpi;
            bool bestHigh = bx >= kPreferredDpi && by >= kPreferredDpi;
            if (high != bestHigh ? high : (high ? x * y < bx * by : x * y > bx * by))
                best = static_cast<int>(i);
        }
        choice.raster.xdpi = best >= 0 ? printer.xdpi[best] : kDefaultDpi;
        choice.raster.ydpi = best >= 0 ? printer.ydpi[best] : kDefaultDpi;
        std::string back = Lower(printer.sheetBack);
        choice.raster.back = back == "flipped"        ? kBackFlipped
                             : back == "rotated"      ? kBackRotated
                             : back == "manual-tumble" ? kBackManualTumble
                                                      : kBackNormal;
        return choice;
    }
    if (text) {
        choice.format = kFormatText;
        choice.utf8 = utf8;
        choice.mimeType = utf8 ? "text/plain; charset=utf-8" : "text/plain";
        return choice;
    }
    return choice;
}

const char* FormatName(Format format)
{
    switch (format) {
    case kFormatPdf: return "PDF";
    case kFormatPwgRaster: return "PWG raster";
    case kFormatText: return "plain text";
    default: return "none";
    }
}

} // namespace docgen
