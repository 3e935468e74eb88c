// Docgen.h - the documents the IPP device service prints: reports from what
// a printer tells over IPP, and test pages, as PDF, PWG raster or plain text.
//
//   docgen::PrinterFormats formats;              // from Get-Printer-Attributes
//   docgen::ReadPrinterFormats(printerGroup, formats);   // asked for FormatAttributes()
//   docgen::FormatChoice choice = docgen::ChooseFormat(formats);
//   if (choice.format == docgen::kFormatNone) -> "not available"
//
//   docgen::PrinterFacts facts;                  // what the report prints
//   facts.queueName = "office"; facts.uri = uri; facts.status = status;
//   docgen::DocumentOptions options;             // media, sheets of the feed test
//   options.media = formats.mediaDefault;
//   docgen::Output out;
//   if (docgen::Generate(docgen::kStatusReport, facts, options, choice, out))
//       Print-Job with document-format out.mimeType, job-name out.jobName, data out.data
//
// Everything is bounded: fields are cut at kMaxFieldChars characters, lists
// at the caps below, documents at kMaxPages pages.
//
// Portable C++17 (no windows.h); builds natively and with mingw or MSVC.
#ifndef DOCGEN_DOCGEN_H
#define DOCGEN_DOCGEN_H

#include <stdint.h>

#include <string>
#include <vector>

#include "docgen/DocFormat.h"
#include "docgen/DocPage.h"
#include "ipp/IppPrinter.h"

namespace docgen {

enum DocumentKind
{
    kConfigurationReport = 0,  // the printer's attributes
    kStatusReport,             // state, reasons in words, supplies, waiting jobs
    kJobHistory,               // completed jobs
    kSupplyUsage,              // supply levels as bars
    kPageCounters,             // impressions, sheets, pages (where reported)
    kPrintQualityTest,         // text sizes, line widths, gray ramp
    kColorBars,                // CMYK and RGB bars
    kNozzleCheck,              // stair-step lines per colour
    kFeedTest,                 // blank sheets
    kDuplexTest,               // two pages: front and back (send sides=two-sided-long-edge)
    kUsageSummary,             // counters, completed jobs and supply levels
    kMonthlyPages,             // completed jobs and their impressions per month
    kServiceReport,            // counters, state and the error history (failed jobs)
    kErrorLog,                 // state reasons and the jobs that did not complete
    kDocumentKindCount
};

// The most jobs the job history lists (the newest), the most supplies and
// attributes a report lists, the most blank sheets of a feed test.
const size_t kMaxJobs = 500;
const size_t kMaxSupplies = 64;
const size_t kMaxAttributes = 400;
const int kMaxSheets = 20;
// The most months the per-month counters list (the newest), the most
// memory locations the status report lists.
const size_t kMaxMonths = 120;
const size_t kMaxLocations = 321;

// One numbered location of the printer's numbers (the device memory view of
// the IPP device service), as the status report lists it.
struct LocationRow
{
    int32_t location;
    std::string name;          // what it is ("Waiting jobs")
    std::string value;         // its value now, as text
    std::string defaultValue;  // its documented default, as text

    LocationRow() : location(0) {}
};

// What the documents print about a printer. Strings are UTF-8 as IPP sends
// them; anything may be empty.
struct PrinterFacts
{
    std::string queueName;              // the queue's or configured name
    std::string uri;                    // where the service reaches it
    ipp::PrinterStatus status;          // Get-Printer-Attributes, parsed
    std::vector<ipp::JobInfo> jobs;     // Get-Jobs which-jobs=completed (job history,
                                        // counters, the per-month counters)
    std::vector<ipp::JobInfo> failedJobs;  // jobs that did not complete: Get-Jobs
                                        // which-jobs=aborted (and canceled) (error log,
                                        // service report)
    std::vector<LocationRow> locations;  // the status report lists them when given
    std::vector<ipp::Attribute> attributes;  // the whole printer group, for the
                                        // configuration report's full list (optional)
    std::string generated;              // when the document was made, as the caller
                                        // writes it ("2026-12-08 14:03"); optional
    int utcOffsetMinutes;               // for job times given as seconds since 1970

    PrinterFacts() : utcOffsetMinutes(0) {}
};

struct DocumentOptions
{
    std::string media;  // a PWG media name (media-default); unreadable or empty: A4
    int sheets;         // feed test: blank sheets, 1..kMaxSheets
    bool withCancelled; // error log: failedJobs holds cancelled jobs too (says so)

    DocumentOptions() : sheets(3), withCancelled(false) {}
};

// "Configuration report", "Nozzle check pattern", ...
const char* DocumentTitle(DocumentKind kind);
// The job name that says what the job is: "Device Service: Configuration report".
std::string JobName(DocumentKind kind);
// The duplex test is printed on both sides (sides=two-sided-long-edge).
bool IsTwoSided(DocumentKind kind);

// The printer's state in words: "Idle", "Printing", "Stopped", with ", not
// accepting jobs" when it refuses jobs; "Unknown" when not reported.
std::string StateText(const ipp::PrinterStatus& status);
// One printer-state-reasons keyword in words: "media-jam-error" gives
// "Paper jam (error)"; unknown keywords are given as they are.
std::string ReasonText(const std::string& keyword);

// The document laid out on pages, and its text/plain lines ("\f" alone is a
// page break). `kind` outside the enum gives an empty document.
Document BuildDocument(DocumentKind kind, const PrinterFacts& facts,
                       const DocumentOptions& options, std::vector<std::string>* textLines);

// The text/plain form: CR LF line ends, form feeds between pages, UTF-8 or ASCII.
std::string WriteText(const std::vector<std::string>& lines, bool utf8);

struct Output
{
    std::string mimeType;  // document-format
    std::string jobName;   // job-name
    std::string data;      // the document
    size_t pages;
    bool cut;              // content was left out (kMaxPages)

    Output() : pages(0), cut(false) {}
};

// Builds `kind` in the chosen format. False when the choice is kFormatNone,
// the kind is unknown, or memory ran out (no exception leaves it).
bool Generate(DocumentKind kind, const PrinterFacts& facts, const DocumentOptions& options,
              const FormatChoice& choice, Output& out);

} // namespace docgen

#endif // DOCGEN_DOCGEN_H
