// DocgenDump.cpp - writes every document for every sample printer in every
// format into a folder, with a list of what each file must hold, for
// check-documents.sh (built natively there, so qpdf, pdftotext and CUPS's
// raster reader can look at the files).
//
// Usage: docgen_dump <folder>
// checks.txt lines: file, format (pdf|pwg|txt), pages, raster type
// (sgray_8|srgb_8|-), x dpi, y dpi, two-sided (0|1), the back side keyword,
// then the texts the file must contain, separated by tabs.
#include <stdio.h>

#include <string>

#include "SamplePrinters.h"

namespace {

bool WriteFile(const std::string& path, const std::string& data)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f == NULL)
        return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: docgen_dump <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::string checks;
    std::vector<sample::Sample> samples = sample::All();
    for (size_t s = 0; s < samples.size(); ++s) {
        const sample::Sample& sample = samples[s];
        docgen::PrinterFormats printer;
        printer.color = sample.id != "stopped";
        printer.xdpi = {600, sample.id == "stopped" ? 300 : 150};
        printer.ydpi = printer.xdpi;
        printer.rasterTypes = {"sgray_8", "srgb_8"};
        printer.sheetBack = sample.id == "office" ? "flipped" : "rotated";
        for (int k = 0; k < docgen::kDocumentKindCount; ++k) {
            docgen::DocumentKind kind = static_cast<docgen::DocumentKind>(k);
            const char* formats[3][2] = {{"pdf", "application/pdf"},
                                         {"pwg", "image/pwg-raster"},
                                         {"txt", sample.id == "stopped" ? "text/plain"
                                                                        : "text/plain; charset=utf-8"}};
            for (int f = 0; f < 3; ++f) {
                printer.formats = {formats[f][1], "application/octet-stream"};
                docgen::FormatChoice choice = docgen::ChooseFormat(printer);
                docgen::Output out;
                if (!docgen::Generate(kind, sample.facts, sample.options, choice, out)) {
                    fprintf(stderr, "Generate failed: %s %d %s\n", sample.id.c_str(), k,
                            formats[f][0]);
                    return 1;
                }
                std::string name = sample.id + "-" + std::to_string(k) + "." + formats[f][0];
                if (!WriteFile(folder + "/" + name, out.data)) {
                    fprintf(stderr, "cannot write %s\n", name.c_str());
                    return 1;
                }
                checks += name + "\t" + formats[f][0] + "\t" + std::to_string(out.pages) + "\t" +
                          (f != 1 ? "-" : choice.raster.type == docgen::kSrgb8 ? "srgb_8" : "sgray_8") +
                          "\t" + std::to_string(choice.raster.xdpi) + "\t" +
                          std::to_string(choice.raster.ydpi) + "\t" +
                          (docgen::IsTwoSided(kind) ? "1" : "0") + "\t" + printer.sheetBack;
                if (kind != docgen::kFeedTest) {
                    for (size_t e = 0; e < sample.expected.size(); ++e)
                        checks += "\t" + sample.expected[e];
                    checks += std::string("\t") + docgen::DocumentTitle(kind);
                }
                checks += "\n";
            }
        }
    }
    if (!WriteFile(folder + "/checks.txt", checks)) {
        fprintf(stderr, "cannot write checks.txt\n");
        return 1;
    }
    printf("%zu samples written to %s\n", samples.size(), folder.c_str());
    return 0;
}
