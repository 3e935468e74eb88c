// SamplePrinters.h - the printers the docgen tests print documents for: an
// ordinary colour printer of a CUPS server, a stopped monochrome printer on
// Letter paper that reports almost nothing, and a hostile one (huge strings,
// control characters, parentheses and backslashes, invalid UTF-8, thousands
// of jobs, supplies, reasons and attributes).
#ifndef TESTS_DOCGEN_SAMPLEPRINTERS_H
#define TESTS_DOCGEN_SAMPLEPRINTERS_H

#include <string>
#include <vector>

#include "docgen/Docgen.h"

namespace sample {

struct Sample
{
    std::string id;              // file name part
    docgen::PrinterFacts facts;
    docgen::DocumentOptions options;
    // What pdftotext must find in each report (UTF-8): name, location, state.
    std::vector<std::string> expected;
};

inline ipp::Marker MakeMarker(const char* name, const char* color, int level, int low)
{
    ipp::Marker m;
    m.name = name;
    m.type = "toner";
    m.color = color;
    m.level = level;
    m.lowLevel = low;
    m.highLevel = 100;
    return m;
}

inline Sample Office()
{
    Sample s;
    s.id = "office";
    docgen::PrinterFacts& f = s.facts;
    f.queueName = "office";
    f.uri = "ipp://127.0.0.1:8631/printers/office";
    f.generated = "2026-12-08 14:03";
    f.utcOffsetMinutes = 60;
    ipp::PrinterStatus& st = f.status;
    st.name = "office";
    st.state = 3;
    st.accepting = true;
    st.location = "B\xC3\xBCro 2 (Nord)";                 // UTF-8 u umlaut
    st.info = "Office printer \xE2\x80\x93 second floor";  // en dash
    st.makeAndModel = "Generic colour laser";
    st.firmware = "4.2.1";
    st.serialNumber = "SN-0042";
    st.uuid = "urn:uuid:3f2a0b1c-0000-4000-8000-000000000042";
    st.reasons = {"toner-low-report", "media-jam-error"};
    st.stateMessage = "Gr\xC3\xBC\xC3\x9F" "e: ready";
    st.markers = {MakeMarker("Black toner", "#000000", 12, 15),
                  MakeMarker("Cyan toner", "#00FFFF", 80, 15),
                  MakeMarker("Magenta toner", "#FF00FF", -3, 15),
                  MakeMarker("Yellow toner", "#FFFF00", -2, 15)};
    st.impressionsCompleted = 123456;
    st.pagesCompleted = 120001;
    st.queuedJobCount = 2;
    st.colorSupported = true;
    st.printerType = ipp::kCupsTypeColor | ipp::kCupsTypeDuplex;
    st.copiesMax = 999;
    st.defaults.sides = "two-sided-long-edge";
    st.defaults.copies = 1;
    st.defaults.printQuality = 4;
    for (int i = 1; i <= 12; ++i) {
        ipp::JobInfo j;
        j.id = 100 + i;
        j.name = "Letter " + std::to_string(i) + ".pdf";
        j.user = "anna";
        j.state = i == 3 ? 7 : 9;
        j.impressionsCompleted = i;
        j.createdAt = 1796729400 + i * 60;  // 2026-12-08 12:10 UTC onwards
        f.jobs.push_back(j);
    }
    ipp::JobInfo aborted;
    aborted.id = 99;
    aborted.name = "Broken.pdf";
    aborted.user = "anna";
    aborted.state = 8;
    aborted.reasons = {"document-format-error"};
    aborted.createdAt = 1796729100;
    f.failedJobs.push_back(aborted);
    ipp::JobInfo cleared = aborted;
    cleared.id = 98;
    cleared.name = "Cleared.pdf";
    cleared.state = 7;
    cleared.reasons = {"job-canceled-by-user"};
    f.failedJobs.push_back(cleared);
    docgen::LocationRow waiting;
    waiting.location = 2;
    waiting.name = "Waiting jobs";
    waiting.value = "2";
    waiting.defaultValue = "0";
    f.locations.push_back(waiting);
    f.attributes.push_back(ipp::Attribute("printer-name", ipp::Value::Name("office")));
    f.attributes.push_back(ipp::Attribute("printer-state", ipp::Value::Enum(3)));
    f.attributes.push_back(ipp::Attribute(
        "pwg-raster-document-resolution-supported",
        std::vector<ipp::Value>{ipp::Value::Resolution(150, 150, 3),
                                ipp::Value::Resolution(300, 300, 3)}));
    s.expected = {"office", "B\xC3\xBCro 2 (Nord)", "Idle"};
    return s;
}

inline Sample Stopped()
{
    Sample s;
    s.id = "stopped";
    docgen::PrinterFacts& f = s.facts;
    f.queueName = "stopped";
    f.uri = "ipp://127.0.0.1:8631/printers/stopped";
    f.status.name = "stopped";
    f.status.state = 5;
    f.status.accepting = false;
    f.status.location = "Basement";
    f.status.reasons = {"paused"};
    f.status.colorSupported = false;
    s.options.media = "na_letter_8.5x11in";
    s.options.sheets = 2;
    s.expected = {"stopped", "Basement", "Stopped, not accepting jobs"};
    return s;
}

inline Sample Hostile()
{
    Sample s;
    s.id = "hostile";
    docgen::PrinterFacts& f = s.facts;
    f.queueName = "Evil (queue) \\ name)\r\n\x01\x7F(";
    f.uri = "ipp://127.0.0.1:8631/printers/" + std::string(100000, 'x');
    ipp::PrinterStatus& st = f.status;
    st.name = std::string(70000, '(');
    st.state = 4;
    st.accepting = true;
    st.location = "Keller \xFC\xFF\xC3 " + std::string(1 << 20, 'L');  // invalid UTF-8, then 1 MiB
    st.info = std::string(5000, '\\');
    st.stateMessage = std::string(3000, ')') + "\t\f\x1B[2J";
    st.makeAndModel = std::string(4000, '\xC3');  // cut-off UTF-8 sequences
    st.deviceId = "MFG:x;" + std::string(50000, ';');
    for (int i = 0; i < 5000; ++i)
        st.reasons.push_back(i % 2 ? "media-jam-error" : std::string(300, 'r'));
    for (int i = 0; i < 3000; ++i)
        st.markers.push_back(MakeMarker("M\\(", i % 2 ? "#zz" : "#00FF", i - 5, 2000000000));
    for (int i = 0; i < 3000; ++i) {
        ipp::Supply supply;
        supply.description = std::string(1000, 'S');
        supply.level = 2000000000;
        supply.maxCapacity = i % 3 - 1;
        st.supplies.push_back(supply);
    }
    st.impressionsCompleted = -2147483647 - 1;
    st.sheetsCompleted = 2147483647;
    st.queuedJobCount = -1;
    st.copiesMax = -5;
    st.printerType = -1;
    st.defaults.printQuality = 99;
    st.defaults.jobSheets = std::vector<std::string>(10000, "none");
    for (int i = 0; i < 6000; ++i) {
        ipp::JobInfo j;
        j.id = i;
        j.name = i % 2 ? std::string(10000, ')') : "Job \x01\x02 (\\)";
        j.user = std::string(500, '\xE2');
        j.state = i % 12;
        if (i % 3)
            j.impressionsCompleted = -i;
        j.createdAt = i % 2 ? -5 : 2147483647;
        f.jobs.push_back(j);
        if (i % 5 == 0) {
            j.reasons = std::vector<std::string>(20, std::string(400, '('));
            f.failedJobs.push_back(j);
        }
    }
    for (int i = 0; i < 2000; ++i) {
        docgen::LocationRow row;
        row.location = i;
        row.name = std::string(300, '(');
        row.value = std::string(100, '\\');
        row.defaultValue = "\x01\x02";
        f.locations.push_back(row);
    }
    for (int i = 0; i < 5000; ++i) {
        std::vector<ipp::Value> values(40, ipp::Value::Text(std::string(2000, '(')));
        values.push_back(ipp::Value::Collection({ipp::Attribute(
            "m", ipp::Value::Collection({ipp::Attribute("n", ipp::Value::Collection({}))}))}));
        values.push_back(ipp::Value::String(ipp::kDateTime, std::string(11, '\xFF')));
        f.attributes.push_back(ipp::Attribute(std::string(300, 'a'), values));
    }
    f.generated = std::string(5000, '\x07');
    f.utcOffsetMinutes = -2147483647;
    s.options.media = "custom_" + std::string(500, '9') + "x1mm";
    s.options.sheets = 1000000;
    // The invalid UTF-8 of the location is read as Windows-1252.
    s.expected = {"Evil (queue) \\ name)", "Keller \xC3\xBC\xC3\xBF\xC3\x83", "Printing"};
    return s;
}

inline std::vector<Sample> All()
{
    return {Office(), Stopped(), Hostile()};
}

inline bool IsReport(docgen::DocumentKind kind)
{
    return kind <= docgen::kPageCounters || kind >= docgen::kUsageSummary;
}

} // namespace sample

#endif // TESTS_DOCGEN_SAMPLEPRINTERS_H
