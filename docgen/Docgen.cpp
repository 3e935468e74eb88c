// Docgen.cpp - the reports and test pages, and Generate.
#include "docgen/Docgen.h"

#include <stdio.h>

#include <algorithm>
#include <map>
#include <new>
#include <stdexcept>

#include "docgen/DocPdf.h"
#include "docgen/DocRaster.h"

namespace docgen {

namespace {

const char* const kTitles[kDocumentKindCount] = {
    "Configuration report", "Status report",          "Job history",
    "Supply usage",         "Page counters",          "Print quality test",
    "Colour bars",          "Nozzle check pattern",   "Feed test",
    "Duplex test",          "Usage summary",          "Page counters per month",
    "Service report",       "Error log"};

const size_t kMaxValueChars = 600;   // one attribute's values in the full list
const size_t kMaxValuesShown = 24;   // values of one attribute in the full list
const size_t kMaxReasons = 64;

bool ValidKind(DocumentKind kind)
{
    return static_cast<int>(kind) >= 0 && static_cast<int>(kind) < kDocumentKindCount;
}

std::string W(const std::string& utf8, size_t maxChars = kMaxFieldChars)
{
    return ToWinAnsi(utf8, maxChars);
}

std::string NotReported()
{
    return "not reported";
}

std::string Number(int64_t value)
{
    return std::to_string(static_cast<long long>(value));
}

// 1234567 as "1,234,567".
std::string Grouped(int64_t value)
{
    std::string digits = Number(value < 0 ? -value : value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}

std::string YesNo(const std::optional<bool>& value)
{
    if (!value)
        return NotReported();
    return *value ? "yes" : "no";
}

// --- Time -------------------------------------------------------------------------

void CivilFromDays(int64_t z, int64_t& year, unsigned& month, unsigned& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

// time-at-creation: seconds since 1970 (CUPS) as a date, or the printer's
// up-time in seconds (most printers) as such.
std::string JobTime(const std::optional<int32_t>& value, int utcOffsetMinutes)
{
    if (!value || *value < 0)
        return "-";
    char text[48];
    if (*value >= 946684800) {  // 2000-01-01: a date, not an up-time
        if (utcOffsetMinutes <= -24 * 60 || utcOffsetMinutes >= 24 * 60)
            utcOffsetMinutes = 0;
        int64_t t = static_cast<int64_t>(*value) + static_cast<int64_t>(utcOffsetMinutes) * 60;
        int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
        int64_t seconds = t - days * 86400;
        int64_t year;
        unsigned month, day;
        CivilFromDays(days, year, month, day);
        snprintf(text, sizeof(text), "%04d-%02u-%02u %02d:%02d", static_cast<int>(year), month,
                 day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60));
    } else {
        int32_t s = *value;
        snprintf(text, sizeof(text), "up %dd %02d:%02d", static_cast<int>(s / 86400),
                 static_cast<int>(s / 3600 % 24), static_cast<int>(s / 60 % 60));
    }
    return text;
}

const char* JobStateText(int32_t state)
{
    switch (state) {
    case 3: return "pending";
    case 4: return "held";
    case 5: return "processing";
    case 6: return "stopped";
    case 7: return "canceled";
    case 8: return "aborted";
    case 9: return "completed";
    default: return "unknown";
    }
}

// --- Attribute values -----------------------------------------------------------

std::string ValueText(const ipp::Value& value, int depth);

std::string ValuesText(const ipp::Attribute& attribute, int depth)
{
    std::string out;
    for (size_t i = 0; i < attribute.values.size(); ++i) {
        if (i == kMaxValuesShown) {
            out += ", ... (" + Number(attribute.values.size()) + " values)";
            break;
        }
        if (i > 0)
            out += ", ";
        out += ValueText(attribute.values[i], depth);
        if (out.size() > kMaxValueChars)
            break;
    }
    return out;
}

std::string ValueText(const ipp::Value& value, int depth)
{
    switch (value.tag) {
    case ipp::kInteger:
    case ipp::kEnum:
        return Number(value.integer);
    case ipp::kBoolean:
        return value.integer ? "true" : "false";
    case ipp::kRangeOfInteger:
        return Number(value.integer) + "-" + Number(value.upper);
    case ipp::kResolution:
        return Number(value.integer) + "x" + Number(value.upper) +
               (value.units == 4 ? "dpcm" : "dpi");
    case ipp::kNoValue:
        return "no-value";
    case ipp::kUnknownValue:
        return "unknown";
    case ipp::kUnsupportedValue:
        return "unsupported";
    case ipp::kOctetString:
        return "<" + Number(value.text.size()) + " octets>";
    case ipp::kDateTime:
        if (value.text.size() == 11) {
            const unsigned char* d = reinterpret_cast<const unsigned char*>(value.text.data());
            char text[40];
            snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u",
                     static_cast<unsigned>(d[0] << 8 | d[1]), d[2], d[3], d[4], d[5], d[6]);
            return text;
        }
        return "<date>";
    case ipp::kBegCollection: {
        if (depth >= 2)
            return "{...}";
        std::string out = "{";
        for (size_t i = 0; i < value.members.size() && out.size() < kMaxValueChars; ++i) {
            if (i > 0)
                out += " ";
            out += value.members[i].name.substr(0, 64) + "=" +
                   ValuesText(value.members[i], depth + 1);
        }
        return out + "}";
    }
    default:
        if (value.IsString())
            return value.text.substr(0, kMaxValueChars);
        if (value.IsOutOfBand())
            return "out-of-band";
        return "<" + Number(value.text.size()) + " octets>";
    }
}

// --- Common parts ---------------------------------------------------------------------

std::string PrinterName(const PrinterFacts& facts)
{
    if (!facts.queueName.empty())
        return W(facts.queueName, 200);
    if (!facts.status.name.empty())
        return W(facts.status.name, 200);
    return "(printer without a name)";
}

// What every document starts with: what it is and which printer it is for.
void Opening(Composer& composer, DocumentKind kind, const PrinterFacts& facts)
{
    composer.Title(kTitles[kind]);
    const ipp::PrinterStatus& s = facts.status;
    composer.Field("Printer", PrinterName(facts), 2);
    composer.Field("Location", s.location.empty() ? NotReported() : W(s.location), 3);
    composer.Field("State", StateText(s), 2);
    if (!facts.uri.empty())
        composer.Field("URI", W(facts.uri), 3);
    if (!facts.generated.empty())
        composer.Field("Printed", W(facts.generated, 80), 1);
}

std::string LevelText(int32_t level)
{
    switch (level) {
    case -1: return "not measured";
    case -3: return "some remaining";
    default:
        if (level >= 0 && level <= 100)
            return Number(level) + " %";
        return "unknown";
    }
}

void SupplyBars(Composer& composer, const ipp::PrinterStatus& s)
{
    size_t shown = 0;
    for (size_t i = 0; i < s.markers.size() && shown < kMaxSupplies; ++i, ++shown) {
        const ipp::Marker& m = s.markers[i];
        std::string name = m.name.empty() ? "Marker " + Number(i + 1) : W(m.name, 120);
        std::string value = LevelText(m.level);
        if (m.level >= 0 && m.lowLevel >= 0 && m.level <= m.lowLevel)
            value += " (low)";
        if (!m.type.empty())
            value += ", " + W(m.type, 60);
        composer.Bar(name, m.level, ColorFromMarker(m.color), value);
    }
    // A printer that reports both (CUPS does) tells of the same supplies
    // twice: printer-supply only for a printer that reports no markers.
    const size_t supplies = s.markers.empty() ? s.supplies.size() : 0;
    for (size_t i = 0; i < supplies && shown < kMaxSupplies; ++i, ++shown) {
        const ipp::Supply& supply = s.supplies[i];
        std::string name = !supply.description.empty() ? W(supply.description, 120)
                           : !supply.type.empty()      ? W(supply.type, 120)
                                                       : "Supply " + Number(i + 1);
        int percent = supply.level;
        if (supply.level >= 0 && supply.maxCapacity > 0)
            percent = static_cast<int>(static_cast<int64_t>(supply.level) * 100 / supply.maxCapacity);
        if (percent > 100)
            percent = 100;
        std::string value = LevelText(percent);
        if (!supply.colorant.empty())
            value += ", " + W(supply.colorant, 60);
        composer.Bar(name, percent, Color::Gray(0.45), value);
    }
    if (shown == 0)
        composer.Paragraph("The printer reports no supply levels.");
    else if (s.markers.size() + supplies > shown)
        composer.Paragraph("(" + Number(s.markers.size() + supplies - shown) +
                           " more supplies not shown)");
}

std::string Reasons(const ipp::PrinterStatus& s)
{
    std::string out;
    for (size_t i = 0; i < s.reasons.size() && i < kMaxReasons; ++i) {
        if (s.reasons[i] == "none")
            continue;
        if (!out.empty())
            out += "; ";
        out += ReasonText(s.reasons[i]);
    }
    return out.empty() ? "none" : out;
}

// Each reason in words with its keyword, one paragraph each.
void ReasonList(Composer& c, const ipp::PrinterStatus& s)
{
    bool any = false;
    for (size_t i = 0; i < s.reasons.size() && i < kMaxReasons; ++i) {
        if (s.reasons[i] == "none" || s.reasons[i].empty())
            continue;
        c.Paragraph("\x95 " + W(ReasonText(s.reasons[i]), 200) + "  (" + W(s.reasons[i], 120) + ")");
        any = true;
    }
    if (!any)
        c.Paragraph("None: the printer reports nothing that needs attention.");
}

// A job's first state reason that says something ("job-canceled-by-user").
std::string JobReason(const ipp::JobInfo& job)
{
    for (size_t i = 0; i < job.reasons.size() && i < 16; ++i) {
        if (!job.reasons[i].empty() && job.reasons[i] != "none")
            return W(job.reasons[i], 120);
    }
    return "-";
}

std::string ZoneText(int utcOffsetMinutes)
{
    if (utcOffsetMinutes == 0 || utcOffsetMinutes <= -24 * 60 || utcOffsetMinutes >= 24 * 60)
        return "UTC";
    int m = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char text[24];
    snprintf(text, sizeof(text), "UTC%c%02d:%02d", utcOffsetMinutes < 0 ? '-' : '+', m / 60, m % 60);
    return text;
}

// The jobs newest first, at most kMaxJobs of them.
std::vector<const ipp::JobInfo*> Newest(const std::vector<ipp::JobInfo>& list)
{
    std::vector<const ipp::JobInfo*> jobs;
    for (size_t i = 0; i < list.size(); ++i)
        jobs.push_back(&list[i]);
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const ipp::JobInfo* a, const ipp::JobInfo* b) { return a->id > b->id; });
    return jobs;
}

// --- Reports -----------------------------------------------------------------------------

void Configuration(Composer& c, const PrinterFacts& facts)
{
    const ipp::PrinterStatus& s = facts.status;
    c.Heading("Printer");
    c.Field("Name", s.name.empty() ? NotReported() : W(s.name));
    c.Field("Description", s.info.empty() ? NotReported() : W(s.info));
    c.Field("Make and model", s.makeAndModel.empty() ? NotReported() : W(s.makeAndModel));
    c.Field("Firmware", s.firmware.empty() ? NotReported() : W(s.firmware));
    c.Field("Serial number", s.serialNumber.empty() ? NotReported() : W(s.serialNumber));
    c.Field("UUID", s.uuid.empty() ? NotReported() : W(s.uuid));
    if (!s.deviceUri.empty())
        c.Field("Device URI", W(s.deviceUri));
    if (!s.deviceId.empty())
        c.Field("Device ID", W(s.deviceId));

    c.Heading("State");
    c.Field("State", StateText(s));
    c.Field("Message", s.stateMessage.empty() ? "none" : W(s.stateMessage));
    c.Field("Reasons", W(Reasons(s)));
    c.Field("Accepting jobs", YesNo(s.accepting));
    c.Field("Waiting jobs", s.queuedJobCount ? Grouped(*s.queuedJobCount) : NotReported());

    c.Heading("Capabilities");
    c.Field("Colour", YesNo(s.colorSupported));
    if (s.printerType) {
        uint32_t t = static_cast<uint32_t>(*s.printerType);
        std::string kinds = (t & ipp::kCupsTypeColor) ? "colour" : "monochrome";
        if (t & ipp::kCupsTypeDuplex) kinds += ", two-sided";
        if (t & ipp::kCupsTypeFax) kinds += ", fax";
        if (t & (ipp::kCupsTypeScanner | ipp::kCupsTypeMultifunction)) kinds += ", scanner";
        if (t & ipp::kCupsTypeClass) kinds += ", class of printers";
        if (t & ipp::kCupsTypeRemote) kinds += ", remote";
        c.Field("Kind", kinds);
    }
    if (s.copiesMax)
        c.Field("Copies", "1 to " + Grouped(*s.copiesMax));

    c.Heading("Job defaults");
    const ipp::JobDefaults& d = s.defaults;
    bool any = false;
    if (d.sides) { c.Field("Sides", W(*d.sides)); any = true; }
    if (d.documentHandling) { c.Field("Collation", W(*d.documentHandling)); any = true; }
    if (d.outputOrder) { c.Field("Output order", W(*d.outputOrder)); any = true; }
    if (d.pageDelivery) { c.Field("Page delivery", W(*d.pageDelivery)); any = true; }
    if (d.printScaling) { c.Field("Scaling", W(*d.printScaling)); any = true; }
    if (d.jobSheets) {
        std::string sheets;
        for (size_t i = 0; i < d.jobSheets->size() && i < 8; ++i)
            sheets += (i ? ", " : "") + (*d.jobSheets)[i];
        c.Field("Banner pages", W(sheets));
        any = true;
    }
    if (d.mirror) { c.Field("Mirror image", *d.mirror ? "yes" : "no"); any = true; }
    if (d.copies) { c.Field("Copies", Grouped(*d.copies)); any = true; }
    if (d.printQuality) {
        int q = *d.printQuality;
        c.Field("Print quality", q == 3 ? "draft" : q == 4 ? "normal" : q == 5 ? "high"
                                                                           : Number(q));
        any = true;
    }
    if (d.colorMode) { c.Field("Colour mode", W(*d.colorMode)); any = true; }
    if (!any)
        c.Paragraph("The printer reports no job defaults.");

    c.Heading("Supplies");
    SupplyBars(c, s);

    c.Heading("Counters");
    c.Field("Impressions", s.impressionsCompleted ? Grouped(*s.impressionsCompleted) : NotReported());
    c.Field("Sheets", s.sheetsCompleted ? Grouped(*s.sheetsCompleted) : NotReported());
    c.Field("Pages", s.pagesCompleted ? Grouped(*s.pagesCompleted) : NotReported());

    if (!facts.attributes.empty()) {
        c.Heading("All attributes (" + Number(facts.attributes.size()) + ")");
        for (size_t i = 0; i < facts.attributes.size() && i < kMaxAttributes; ++i) {
            const ipp::Attribute& a = facts.attributes[i];
            c.Paragraph(W(a.name, 80) + ": " + W(ValuesText(a, 0), kMaxValueChars), kCourier, 7.5,
                        4);
        }
        if (facts.attributes.size() > kMaxAttributes)
            c.Paragraph("(" + Number(facts.attributes.size() - kMaxAttributes) +
                        " more attributes not shown)");
    }
}

void Status(Composer& c, const PrinterFacts& facts)
{
    const ipp::PrinterStatus& s = facts.status;
    c.Heading("State");
    c.Field("State", StateText(s));
    c.Field("Message", s.stateMessage.empty() ? "none" : W(s.stateMessage));
    c.Field("Accepting jobs", YesNo(s.accepting));
    c.Field("Waiting jobs", s.queuedJobCount ? Grouped(*s.queuedJobCount) : NotReported());
    c.Heading("Reasons");
    ReasonList(c, s);
    c.Heading("Supplies");
    SupplyBars(c, s);
    if (!facts.locations.empty()) {
        c.Heading("Memory locations");
        c.Paragraph("The printer's numbers as the device service shows them on its memory page "
                    "(read only).", kHelvetica, 8);
        const std::vector<size_t> columns = {9, 42, 13, 10};
        c.TableRow({"Location", "What", "Value", "Default"}, columns, true);
        for (size_t i = 0; i < facts.locations.size() && i < kMaxLocations && !c.Full(); ++i) {
            const LocationRow& row = facts.locations[i];
            c.TableRow({Number(row.location), W(row.name, 120), W(row.value, 40),
                        W(row.defaultValue, 40)},
                       columns);
        }
    }
}

void Supplies(Composer& c, const PrinterFacts& facts)
{
    c.Heading("Supply levels");
    SupplyBars(c, facts.status);
    c.MoveDown(6);
    c.Paragraph("Levels are the printer's own estimates in percent of a full supply.", kHelvetica,
                8);
}

void Counters(Composer& c, const PrinterFacts& facts)
{
    const ipp::PrinterStatus& s = facts.status;
    c.Heading("Counters");
    if (!s.impressionsCompleted && !s.sheetsCompleted && !s.pagesCompleted) {
        c.Paragraph("The printer reports no page counters.");
    } else {
        c.Field("Impressions", s.impressionsCompleted ? Grouped(*s.impressionsCompleted)
                                                      : NotReported());
        c.Field("Sheets", s.sheetsCompleted ? Grouped(*s.sheetsCompleted) : NotReported());
        c.Field("Pages", s.pagesCompleted ? Grouped(*s.pagesCompleted) : NotReported());
    }
    c.Field("Waiting jobs", s.queuedJobCount ? Grouped(*s.queuedJobCount) : NotReported());
    if (!facts.jobs.empty()) {
        int64_t pages = 0;
        for (size_t i = 0; i < facts.jobs.size(); ++i) {
            if (facts.jobs[i].impressionsCompleted && *facts.jobs[i].impressionsCompleted > 0)
                pages += *facts.jobs[i].impressionsCompleted;
        }
        c.Field("Completed jobs", Grouped(static_cast<int64_t>(facts.jobs.size())) +
                                      " known to the printer, " + Grouped(pages) + " impressions");
    }
}

void History(Composer& c, const PrinterFacts& facts)
{
    std::vector<const ipp::JobInfo*> jobs = Newest(facts.jobs);
    c.Heading("Completed jobs");
    if (jobs.empty()) {
        c.Paragraph("The printer knows no completed jobs.");
        return;
    }
    std::string count = Grouped(static_cast<int64_t>(jobs.size())) + " jobs";
    if (jobs.size() > kMaxJobs)
        count += ", the newest " + Number(kMaxJobs) + " listed";
    const std::vector<size_t> columns = {6, 26, 12, 9, 5, 16};
    c.Paragraph(count + "; times in " + ZoneText(facts.utcOffsetMinutes) + ".");
    c.MoveDown(4);
    c.TableRow({"Job", "Name", "User", "State", "Pages", "Created"}, columns, true);
    for (size_t i = 0; i < jobs.size() && i < kMaxJobs && !c.Full(); ++i) {
        const ipp::JobInfo& j = *jobs[i];
        c.TableRow({Number(j.id), W(j.name, 200), W(j.user, 100), JobStateText(j.state),
                    j.impressionsCompleted ? Number(*j.impressionsCompleted) : "-",
                    JobTime(j.createdAt, facts.utcOffsetMinutes)},
                   columns);
    }
}

// The jobs that did not complete: why and when.
void FailedJobs(Composer& c, const PrinterFacts& facts, bool withCancelled, const std::string& none)
{
    std::vector<const ipp::JobInfo*> jobs = Newest(facts.failedJobs);
    if (!withCancelled)
        jobs.erase(std::remove_if(jobs.begin(), jobs.end(),
                                  [](const ipp::JobInfo* j) { return j->state == 7; }),
                   jobs.end());
    if (jobs.empty()) {
        c.Paragraph(none);
        return;
    }
    std::string count = Grouped(static_cast<int64_t>(jobs.size())) + " jobs";
    if (jobs.size() > kMaxJobs)
        count += ", the newest " + Number(kMaxJobs) + " listed";
    c.Paragraph(count + "; times in " + ZoneText(facts.utcOffsetMinutes) + ".");
    c.MoveDown(4);
    const std::vector<size_t> columns = {6, 22, 9, 21, 16};
    c.TableRow({"Job", "Name", "State", "Why", "Created"}, columns, true);
    for (size_t i = 0; i < jobs.size() && i < kMaxJobs && !c.Full(); ++i) {
        const ipp::JobInfo& j = *jobs[i];
        c.TableRow({Number(j.id), W(j.name, 200), JobStateText(j.state), JobReason(j),
                    JobTime(j.createdAt, facts.utcOffsetMinutes)},
                   columns);
    }
}

void UsageSummary(Composer& c, const PrinterFacts& facts)
{
    Counters(c, facts);
    c.Heading("Supplies");
    SupplyBars(c, facts.status);
}

// Completed jobs and their impressions by the month they were made in (the
// jobs' times as seconds since 1970, as CUPS gives them).
void Monthly(Composer& c, const PrinterFacts& facts)
{
    struct Month { int64_t jobs; int64_t impressions; };
    std::map<int64_t, Month> months;   // year * 12 + month - 1
    size_t undated = 0;
    int offset = facts.utcOffsetMinutes > -24 * 60 && facts.utcOffsetMinutes < 24 * 60
                     ? facts.utcOffsetMinutes : 0;
    for (size_t i = 0; i < facts.jobs.size(); ++i) {
        const ipp::JobInfo& j = facts.jobs[i];
        if (!j.createdAt || *j.createdAt < 946684800) {
            ++undated;
            continue;
        }
        int64_t t = static_cast<int64_t>(*j.createdAt) + static_cast<int64_t>(offset) * 60;
        int64_t year;
        unsigned month, day;
        CivilFromDays(t / 86400, year, month, day);
        Month& m = months[year * 12 + month - 1];
        m.jobs += 1;
        if (j.impressionsCompleted && *j.impressionsCompleted > 0)
            m.impressions += *j.impressionsCompleted;
    }
    c.Heading("Completed jobs per month");
    if (facts.jobs.empty()) {
        c.Paragraph("The printer knows no completed jobs.");
        return;
    }
    if (months.empty()) {
        c.Paragraph("The printer gives its jobs no dates (their times count from when it "
                    "started), so they cannot be counted by month.");
        return;
    }
    c.Paragraph("From the completed jobs the printer still lists; jobs it no longer keeps are "
                "not counted. Months in " + ZoneText(offset) + ".", kHelvetica, 9);
    c.MoveDown(4);
    const std::vector<size_t> columns = {12, 10, 14};
    c.TableRow({"Month", "Jobs", "Impressions"}, columns, true);
    size_t shown = 0;
    for (std::map<int64_t, Month>::reverse_iterator it = months.rbegin();
         it != months.rend() && shown < kMaxMonths && !c.Full(); ++it, ++shown) {
        char name[24];
        snprintf(name, sizeof(name), "%04d-%02d", static_cast<int>(it->first / 12),
                 static_cast<int>(it->first % 12 + 1));
        c.TableRow({name, Grouped(it->second.jobs), Grouped(it->second.impressions)}, columns);
    }
    if (months.size() > shown)
        c.Paragraph("(" + Number(months.size() - shown) + " older months not shown)");
    if (undated > 0)
        c.Paragraph("(" + Grouped(static_cast<int64_t>(undated)) + " jobs without a date not counted)");
}

void ServiceReport(Composer& c, const PrinterFacts& facts)
{
    Counters(c, facts);
    const ipp::PrinterStatus& s = facts.status;
    c.Heading("State");
    c.Field("State", StateText(s));
    c.Field("Message", s.stateMessage.empty() ? "none" : W(s.stateMessage));
    ReasonList(c, s);
    c.Heading("Error history");
    FailedJobs(c, facts, true, "The printer knows no job that was aborted or cancelled.");
}

void ErrorLog(Composer& c, const PrinterFacts& facts, const DocumentOptions& options)
{
    c.Heading("Conditions now");
    ReasonList(c, facts.status);
    c.Heading(options.withCancelled ? "Jobs aborted or cancelled" : "Jobs aborted");
    c.Paragraph(options.withCancelled
                    ? "Jobs the printer aborted (an error while printing) and jobs that were "
                      "cancelled (cleared by a user, an operator or a restart)."
                    : "Jobs the printer aborted (an error while printing). Cleared entries "
                      "(cancelled jobs) are left out.",
                kHelvetica, 9);
    FailedJobs(c, facts, options.withCancelled,
               options.withCancelled
                             ? "The printer knows no job that was aborted or cancelled."
                             : "The printer knows no job that was aborted.");
}

// --- Test pages ---------------------------------------------------------------------------

void QualityTest(Composer& c)
{
    c.Heading("Text sizes");
    const double sizes[] = {6, 8, 10, 12, 14, 18, 24};
    const std::string sample =
        "The quick brown fox jumps over the lazy dog 0123456789 \xC4\xD6\xDC \xE4\xF6\xFC \xDF";
    for (size_t i = 0; i < sizeof(sizes) / sizeof(sizes[0]); ++i) {
        double top = 0;
        double h = sizes[i] * 1.35;
        Page& page = c.Reserve(h, top);
        std::string label = PdfNumber(sizes[i]) + " pt";
        page.Text(c.Left(), top + h - sizes[i] * 0.3, kHelvetica, 8, label);
        page.Text(c.Left() + 40, top + h - sizes[i] * 0.3, kHelvetica, sizes[i],
                  FitText(sample, kHelvetica, sizes[i], c.ContentWidth() - 40));
        c.TextLine(label + ": " + sample);
    }
    double top = 0;
    Page& fonts = c.Reserve(28, top);
    fonts.Text(c.Left() + 40, top + 12, kHelveticaBold, 10, "Bold: " + sample);
    fonts.Text(c.Left() + 40, top + 25, kCourier, 10, "Fixed: 0123456789 ()[]{}<>/\\|");
    c.TextLine("Bold: " + sample);
    c.TextLine("Fixed: 0123456789 ()[]{}<>/\\|");

    c.KeepTogether(27 + 5 * 14 + 70);
    c.Heading("Line widths");
    const double widths[] = {0.25, 0.5, 1, 2, 4};
    const size_t n = sizeof(widths) / sizeof(widths[0]);
    Page& lines = c.Reserve(n * 14 + 70, top);
    for (size_t i = 0; i < n; ++i) {
        double y = top + 10 + i * 14;
        lines.Text(c.Left(), y + 3, kHelvetica, 8, PdfNumber(widths[i]) + " pt");
        lines.Line(c.Left() + 40, y, c.Left() + 40 + c.ContentWidth() * 0.45, y, widths[i]);
    }
    const double vx = c.Left() + 60 + c.ContentWidth() * 0.45;
    for (size_t i = 0; i < n; ++i) {
        double x = vx + i * 28;
        lines.Line(x, top + 4, x, top + n * 14 + 40, widths[i]);
    }
    // A box of fine diagonals shows stair-stepping and blur.
    double bx = c.Left() + 40, by = top + n * 14 + 14;
    for (int i = 0; i <= 10; ++i)
        lines.Line(bx + i * 12, by, bx + i * 12 + 50, by + 50, 0.5);
    c.TextLine("Line widths: 0.25, 0.5, 1, 2 and 4 pt, horizontal and vertical; diagonals.");

    c.KeepTogether(27 + 48);
    c.Heading("Gray ramp");
    const int steps = 11;
    double patch = c.ContentWidth() / steps;
    Page& ramp = c.Reserve(48, top);
    for (int i = 0; i < steps; ++i) {
        double x = c.Left() + i * patch;
        ramp.Fill(x, top + 6, patch, 26, Color::Gray(1.0 - i / 10.0));
        ramp.Text(x + 2, top + 44, kHelvetica, 8, Number(i * 10) + "%");
    }
    ramp.Frame(c.Left(), top + 6, patch * steps, 26, 0.5);
    c.TextLine("Gray ramp: 11 patches from 0% to 100% black in steps of 10%.");
}

void ColorBars(Composer& c, const PrinterFacts& facts)
{
    struct Bar { const char* name; Color (*color)(double); };
    const Bar cmyk[] = {
        {"Cyan", [](double t) { return Color::Cmyk(t, 0, 0, 0); }},
        {"Magenta", [](double t) { return Color::Cmyk(0, t, 0, 0); }},
        {"Yellow", [](double t) { return Color::Cmyk(0, 0, t, 0); }},
        {"Black", [](double t) { return Color::Cmyk(0, 0, 0, t); }}};
    const Bar rgb[] = {
        {"Red", [](double t) { return Color::Rgb(1, 1 - t, 1 - t); }},
        {"Green", [](double t) { return Color::Rgb(1 - t, 1, 1 - t); }},
        {"Blue", [](double t) { return Color::Rgb(1 - t, 1 - t, 1); }}};
    const Bar mixed[] = {
        {"Cyan + magenta", [](double t) { return Color::Cmyk(t, t, 0, 0); }},
        {"Magenta + yellow", [](double t) { return Color::Cmyk(0, t, t, 0); }},
        {"Cyan + yellow", [](double t) { return Color::Cmyk(t, 0, t, 0); }},
        {"Cyan + magenta + yellow", [](double t) { return Color::Cmyk(t, t, t, 0); }}};
    const double tints[] = {1.0, 0.75, 0.5, 0.25, 0.1};
    const size_t tintCount = sizeof(tints) / sizeof(tints[0]);

    if (facts.status.colorSupported && !*facts.status.colorSupported)
        c.Paragraph("The printer reports no colour: the bars print as shades of gray.", kHelvetica,
                    9);
    auto group = [&](const char* heading, const Bar* bars, size_t count) {
        c.KeepTogether(27 + 36);
        c.Heading(heading);
        for (size_t b = 0; b < count; ++b) {
            double top = 0;
            Page& page = c.Reserve(30, top);
            const double labelWidth = 130;
            double patch = (c.ContentWidth() - labelWidth) / tintCount;
            page.Text(c.Left(), top + 17, kHelvetica, 9,
                      FitText(bars[b].name, kHelvetica, 9, labelWidth - 6));
            std::string line = FixedWidth(bars[b].name, 24);
            for (size_t t = 0; t < tintCount; ++t) {
                double x = c.Left() + labelWidth + t * patch;
                page.Fill(x, top + 3, patch - 4, 20, bars[b].color(tints[t]));
                page.Text(x, top + 30, kHelvetica, 6, Number(static_cast<int>(tints[t] * 100)) + "%");
                line += " " + Number(static_cast<int>(tints[t] * 100)) + "%";
            }
            c.MoveDown(6);
            c.TextLine(line);
        }
    };
    group("CMYK", cmyk, 4);
    group("RGB", rgb, 3);
    group("Overprints", mixed, 4);
}

void NozzleCheck(Composer& c, const PrinterFacts& facts)
{
    struct Ink { const char* name; Color color; };
    std::vector<Ink> inks;
    bool color = !facts.status.colorSupported || *facts.status.colorSupported;
    if (color) {
        inks.push_back({"Cyan", Color::Cmyk(1, 0, 0, 0)});
        inks.push_back({"Magenta", Color::Cmyk(0, 1, 0, 0)});
        inks.push_back({"Yellow", Color::Cmyk(0, 0, 1, 0)});
    }
    inks.push_back({"Black", Color::Cmyk(0, 0, 0, 1)});
    c.Paragraph("Each staircase is one colour: every step is one short line. A missing or broken "
                "step is a blocked nozzle; clean the print head and print the pattern again.",
                kHelvetica, 9);
    const int steps = 24;
    const int stairs = 2;
    const double stepHeight = 1.5;
    const double stairHeight = steps * stepHeight + 8;
    for (size_t i = 0; i < inks.size(); ++i) {
        c.KeepTogether(27 + stairs * stairHeight + 10);
        c.Heading(inks[i].name);
        double top = 0;
        Page& page = c.Reserve(stairs * stairHeight + 10, top);
        const double stepWidth = (c.ContentWidth() - 70) / steps;
        for (int stair = 0; stair < stairs; ++stair) {
            double y0 = top + 6 + stair * stairHeight;
            for (int s = 0; s < steps; ++s) {
                double x = c.Left() + s * stepWidth;
                double y = y0 + s * stepHeight;
                page.Line(x, y, x + stepWidth, y, 0.6, inks[i].color);
            }
        }
        // A solid patch of the same colour beside the stairs.
        page.Fill(c.Right() - 55, top + 6, 55, stairs * stairHeight - 8, inks[i].color);
        c.TextLine(std::string(inks[i].name) + ": " + Number(stairs) + " staircases of " +
                   Number(steps) + " steps and a solid patch.");
    }
}

void DuplexTest(Composer& c, const PrinterFacts& facts)
{
    const char* sides[2] = {"FRONT", "BACK"};
    for (int side = 0; side < 2; ++side) {
        if (side == 1) {
            c.PageBreak();
            c.Title("Duplex test, back side");
            c.Field("Printer", PrinterName(facts), 2);
        }
        double top = 0;
        Page& page = c.Reserve(200, top);
        double w = TextWidthPt(kHelveticaBold, 96, sides[side]);
        page.Text((c.Left() + c.Right() - w) / 2, top + 130, kHelveticaBold, 96, sides[side]);
        // An arrow to the top edge: both sides' arrows point the same way
        // when the sheet was turned on its long edge.
        double ax = (c.Left() + c.Right()) / 2;
        page.Line(ax, top + 195, ax, top + 150, 3);
        page.Line(ax, top + 150, ax - 12, top + 164, 3);
        page.Line(ax, top + 150, ax + 12, top + 164, 3);
        c.TextLine(sides[side]);
        c.Paragraph(side == 0 ? "Page 1 of 2: this side is the front of the sheet. The arrow "
                                "points to the top edge."
                              : "Page 2 of 2: this side is the back of the sheet. Turned on its "
                                "long edge, the arrow points to the same edge as on the front.");
    }
}

} // namespace

const char* DocumentTitle(DocumentKind kind)
{
    if (!ValidKind(kind))
        return "Document";
    return kTitles[kind];
}

std::string JobName(DocumentKind kind)
{
    return std::string("Device Service: ") + DocumentTitle(kind);
}

bool IsTwoSided(DocumentKind kind)
{
    return kind == kDuplexTest;
}

std::string StateText(const ipp::PrinterStatus& status)
{
    std::string text;
    switch (status.state) {
    case ipp::kPrinterIdle: text = "Idle"; break;
    case ipp::kPrinterProcessing: text = "Printing"; break;
    case ipp::kPrinterStopped: text = "Stopped"; break;
    default: text = "Unknown"; break;
    }
    if (status.accepting && !*status.accepting)
        text += ", not accepting jobs";
    return text;
}

std::string ReasonText(const std::string& keyword)
{
    static const struct { const char* keyword; const char* text; } kWords[] = {
        {"other", "Other condition"},
        {"media-needed", "Load paper"},
        {"media-empty", "Out of paper"},
        {"media-low", "Paper low"},
        {"media-jam", "Paper jam"},
        {"paused", "Paused"},
        {"moving-to-paused", "Pausing"},
        {"shutdown", "Shut down"},
        {"connecting-to-device", "Connecting to the device"},
        {"timed-out", "Not answering"},
        {"stopping", "Stopping"},
        {"stopped-partly", "Partly stopped"},
        {"toner-low", "Toner low"},
        {"toner-empty", "Toner empty"},
        {"spool-area-full", "Spool area full"},
        {"cover-open", "Cover open"},
        {"interlock-open", "Interlock open"},
        {"door-open", "Door open"},
        {"input-tray-missing", "Paper tray missing"},
        {"output-tray-missing", "Output tray missing"},
        {"output-area-almost-full", "Output tray almost full"},
        {"output-area-full", "Output tray full"},
        {"marker-supply-low", "Ink or toner low"},
        {"marker-supply-empty", "Ink or toner empty"},
        {"marker-waste-almost-full", "Waste container almost full"},
        {"marker-waste-full", "Waste container full"},
        {"fuser-over-temp", "Fuser too hot"},
        {"fuser-under-temp", "Fuser too cold"},
        {"opc-near-eol", "Drum near the end of its life"},
        {"opc-life-over", "Drum at the end of its life"},
        {"developer-low", "Developer low"},
        {"developer-empty", "Developer empty"},
        {"interpreter-resource-unavailable", "Interpreter resource unavailable"},
        {"offline", "Offline"},
        {"hold-new-jobs", "Holding new jobs"},
        {"identify-printer-requested", "Identifying itself"},
        {"printer-restarted", "Restarted"},
        {"printer-shutdown", "Shut down"},
        {"cups-missing-filter", "No filter for the document format"},
        {"cups-insecure-filter", "Insecure filter"},
        {"cups-waiting-for-job-completed", "Waiting for the job to complete"},
    };
    std::string base = keyword.substr(0, 200);
    std::string severity;
    const char* suffixes[] = {"-error", "-warning", "-report"};
    for (size_t i = 0; i < 3; ++i) {
        std::string suffix = suffixes[i];
        if (base.size() > suffix.size() &&
            base.compare(base.size() - suffix.size(), suffix.size(), suffix) == 0) {
            base.erase(base.size() - suffix.size());
            severity = i == 0 ? " (error)" : i == 1 ? " (warning)" : "";
            break;
        }
    }
    for (size_t i = 0; i < sizeof(kWords) / sizeof(kWords[0]); ++i) {
        if (base == kWords[i].keyword)
            return kWords[i].text + severity;
    }
    return keyword.substr(0, 200);
}

Document BuildDocument(DocumentKind kind, const PrinterFacts& facts,
                       const DocumentOptions& options, std::vector<std::string>* textLines)
{
    Media media;
    if (!MediaFromName(options.media, media))
        media = MediaA4();
    if (!ValidKind(kind)) {
        if (textLines != nullptr)
            textLines->clear();
        Document document;
        document.media = media;
        return document;
    }
    Composer c(media, kTitles[kind], PrinterName(facts));
    if (kind == kFeedTest) {
        int sheets = options.sheets < 1 ? 1 : (options.sheets > kMaxSheets ? kMaxSheets : options.sheets);
        for (int i = 0; i < sheets; ++i)
            c.BlankPage();
    } else {
        Opening(c, kind, facts);
        switch (kind) {
        case kConfigurationReport: Configuration(c, facts); break;
        case kStatusReport: Status(c, facts); break;
        case kJobHistory: History(c, facts); break;
        case kSupplyUsage: Supplies(c, facts); break;
        case kPageCounters: Counters(c, facts); break;
        case kPrintQualityTest: QualityTest(c); break;
        case kColorBars: ColorBars(c, facts); break;
        case kNozzleCheck: NozzleCheck(c, facts); break;
        case kDuplexTest: DuplexTest(c, facts); break;
        case kUsageSummary: UsageSummary(c, facts); break;
        case kMonthlyPages: Monthly(c, facts); break;
        case kServiceReport: ServiceReport(c, facts); break;
        case kErrorLog: ErrorLog(c, facts, options); break;
        default: break;
        }
    }
    Document document = c.Finish(IsTwoSided(kind));
    if (textLines != nullptr)
        *textLines = c.TextLines();
    return document;
}

std::string WriteText(const std::vector<std::string>& lines, bool utf8)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == "\f") {
            out += '\f';
            continue;
        }
        out += utf8 ? WinAnsiToUtf8(lines[i]) : WinAnsiToAscii(lines[i]);
        out += "\r\n";
    }
    return out;
}

bool Generate(DocumentKind kind, const PrinterFacts& facts, const DocumentOptions& options,
              const FormatChoice& choice, Output& out)
{
    out = Output();
    if (!ValidKind(kind) || choice.format == kFormatNone)
        return false;
    try {
        std::vector<std::string> lines;
        Document document = BuildDocument(kind, facts, options, &lines);
        switch (choice.format) {
        case kFormatPdf:
            out.data = WritePdf(document);
            break;
        case kFormatPwgRaster:
            out.data = WritePwgRaster(document, choice.raster);
            break;
        case kFormatText:
            out.data = WriteText(lines, choice.utf8);
            break;
        default:
            return false;
        }
        out.mimeType = choice.mimeType;
        out.jobName = JobName(kind);
        out.pages = document.pages.size();
        out.cut = document.cut;
        return true;
    } catch (const std::exception&) {
        // std::bad_alloc and the length errors of strings: nothing made.
        out = Output();
        return false;
    }
}

} // namespace docgen
