// PwgCheck.cpp - reads a PWG raster file with CUPS's own raster reader
// (libcups) and checks it against what CUPS itself would write for the same
// media, type and resolution (cupsRasterInitPWGHeader): every page header's
// fields, every line of every page, and the page count.
//
// Usage: pwg_check <file> <pages> <type> <xdpi> <ydpi> <two-sided 0|1> <sheet-back>
// Prints one line per page; exits 1 on the first difference.
#include <cups/raster.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <vector>

static int Fail(const char* file, unsigned page, const char* what, long expected, long actual)
{
    fprintf(stderr, "%s page %u: %s is %ld, expected %ld\n", file, page, what, actual, expected);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 8) {
        fprintf(stderr, "usage: pwg_check file pages type xdpi ydpi two-sided sheet-back\n");
        return 2;
    }
    const char* file = argv[1];
    const unsigned pages = static_cast<unsigned>(atoi(argv[2]));
    const char* type = argv[3];
    const int xdpi = atoi(argv[4]), ydpi = atoi(argv[5]);
    const bool twoSided = atoi(argv[6]) != 0;
    const char* sheetBack = argv[7];

    int fd = open(file, O_RDONLY);
    if (fd < 0) {
        perror(file);
        return 1;
    }
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_READ);
    if (raster == NULL) {
        fprintf(stderr, "%s: CUPS does not take it as raster: %s\n", file, cupsRasterErrorString());
        return 1;
    }
    cups_page_header2_t h;
    unsigned page = 0;
    while (cupsRasterReadHeader2(raster, &h)) {
        ++page;
        // What CUPS writes for this media, type and resolution.
        pwg_media_t* media = pwgMediaForPWG(h.cupsPageSizeName);
        if (media == NULL) {
            fprintf(stderr, "%s page %u: CUPS knows no media \"%s\"\n", file, page, h.cupsPageSizeName);
            return 1;
        }
        const bool back = twoSided && page % 2 == 0;
        cups_page_header2_t e;
        if (!cupsRasterInitPWGHeader(&e, media, type, xdpi, ydpi,
                                     twoSided ? "two-sided-long-edge" : "one-sided",
                                     back ? sheetBack : NULL)) {
            fprintf(stderr, "%s: cupsRasterInitPWGHeader refused %s: %s\n", file, type,
                    cupsRasterErrorString());
            return 1;
        }
        if (strcmp(h.MediaClass, "PwgRaster") != 0) {
            fprintf(stderr, "%s page %u: not PwgRaster (%s)\n", file, page, h.MediaClass);
            return 1;
        }
#define SAME(field) \
        if (h.field != e.field) \
            return Fail(file, page, #field, static_cast<long>(e.field), static_cast<long>(h.field))
        SAME(HWResolution[0]);
        SAME(HWResolution[1]);
        SAME(PageSize[0]);
        SAME(PageSize[1]);
        SAME(cupsWidth);
        SAME(cupsHeight);
        SAME(cupsBitsPerColor);
        SAME(cupsBitsPerPixel);
        SAME(cupsBytesPerLine);
        SAME(cupsColorOrder);
        SAME(cupsColorSpace);
        SAME(cupsNumColors);
        SAME(Duplex);
        SAME(Tumble);
        SAME(cupsInteger[1]);  // CrossFeedTransform
        SAME(cupsInteger[2]);  // FeedTransform
        SAME(cupsInteger[7]);  // AlternatePrimary
#undef SAME
        if (h.cupsInteger[0] != pages)
            return Fail(file, page, "TotalPageCount", pages, h.cupsInteger[0]);
        if (h.cupsInteger[5] != h.cupsWidth || h.cupsInteger[6] != h.cupsHeight)
            return Fail(file, page, "ImageBox right/bottom", h.cupsWidth, h.cupsInteger[5]);
        // Every line, through CUPS's decompression.
        std::vector<unsigned char> line(h.cupsBytesPerLine);
        unsigned long ink = 0;
        for (unsigned y = 0; y < h.cupsHeight; ++y) {
            if (cupsRasterReadPixels(raster, line.data(), h.cupsBytesPerLine) != h.cupsBytesPerLine) {
                fprintf(stderr, "%s page %u: line %u of %u cannot be read\n", file, page, y,
                        h.cupsHeight);
                return 1;
            }
            for (unsigned x = 0; x < h.cupsBytesPerLine; ++x)
                ink += line[x] != 0xFF;
        }
        printf("%s page %u: %ux%u %s %ux%u dpi, %lu octets not white\n", file, page, h.cupsWidth,
               h.cupsHeight, type, h.HWResolution[0], h.HWResolution[1], ink);
    }
    cupsRasterClose(raster);
    close(fd);
    if (page != pages) {
        fprintf(stderr, "%s: %u pages, expected %u\n", file, page, pages);
        return 1;
    }
    return 0;
}
