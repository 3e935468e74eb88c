// PrinterModel.cpp - parsing a printer's answer into facts, and the texts,
// types and details of the Devices page.
#include "deviceipp/PrinterModel.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"
#include "ipp/IppHttp.h"
#include "ipp/IppResults.h"

namespace {

enum Severity { REASON_ERROR, REASON_WARNING, REASON_INFO };

// printer-state-reasons keywords (without their -error, -warning or -report
// suffix) that the state column names, and how they rank: an error reason
// outranks "Stopped", a warning comes after "Not accepting jobs".
struct KnownReason
{
    const char* keyword;
    const char* word;       // the state column's word
    const char* text;       // in the device text's reasons line
    Severity severity;
};

const KnownReason kReasons[] = {
    { "media-jam", "Paper jam", "paper jam", REASON_ERROR },
    { "media-empty", "Out of paper", "out of paper", REASON_ERROR },
    { "media-needed", "Out of paper", "paper needed", REASON_ERROR },
    { "toner-empty", "Out of toner", "toner empty", REASON_ERROR },
    { "marker-supply-empty", "Out of ink", "ink or toner empty", REASON_ERROR },
    { "door-open", "Door open", "door open", REASON_ERROR },
    { "cover-open", "Cover open", "cover open", REASON_ERROR },
    { "input-tray-missing", "Tray missing", "input tray missing", REASON_ERROR },
    { "output-tray-missing", "Tray missing", "output tray missing", REASON_ERROR },
    { "output-area-full", "Output tray full", "output tray full", REASON_ERROR },
    { "marker-waste-full", "Waste full", "waste container full", REASON_ERROR },
    { "spool-area-full", "Spool full", "spool area full", REASON_ERROR },
    { "offline", "Offline", "offline", REASON_ERROR },
    { "shutdown", "Shut down", "shut down", REASON_ERROR },
    { "fuser-over-temp", "Fuser error", "fuser too hot", REASON_ERROR },
    { "fuser-under-temp", "Warming up", "fuser warming up", REASON_WARNING },
    { "toner-low", "Toner low", "toner low", REASON_WARNING },
    { "marker-supply-low", "Ink low", "ink or toner low", REASON_WARNING },
    { "media-low", "Paper low", "paper low", REASON_WARNING },
    { "marker-waste-almost-full", "Waste almost full", "waste container almost full", REASON_WARNING },
    { "developer-low", "Developer low", "developer low", REASON_WARNING },
    { "opc-near-eol", "Drum near end", "drum near its end of life", REASON_WARNING },
    { "connecting-to-device", "Connecting", "connecting to the device", REASON_WARNING },
    { "moving-to-paused", "Stopping", "stopping", REASON_WARNING },
    { "paused", "Stopped", "stopped", REASON_INFO },
    { "cups-missing-filter", NULL, "a filter is missing", REASON_INFO },
};

// The keyword without its severity suffix.
std::string Stem(const std::string& keyword)
{
    const char* const suffixes[] = { "-error", "-warning", "-report" };
    for (size_t i = 0; i < 3; ++i) {
        const std::string suffix = suffixes[i];
        if (keyword.size() > suffix.size()
            && keyword.compare(keyword.size() - suffix.size(), suffix.size(), suffix) == 0)
            return keyword.substr(0, keyword.size() - suffix.size());
    }
    return keyword;
}

const KnownReason* Known(const std::string& keyword)
{
    const std::string stem = Stem(keyword);
    for (size_t i = 0; i < sizeof(kReasons) / sizeof(kReasons[0]); ++i) {
        if (stem == kReasons[i].keyword)
            return &kReasons[i];
    }
    return NULL;
}

// The first reason of this severity that has a word.
const char* FirstWord(const std::vector<std::string>& reasons, Severity severity)
{
    for (size_t i = 0; i < reasons.size(); ++i) {
        const KnownReason* known = Known(reasons[i]);
        if (known != NULL && known->severity == severity && known->word != NULL)
            return known->word;
    }
    return NULL;
}

std::optional<std::vector<std::string> > OptionalStrings(const ipp::Group& group, const char* name)
{
    const ipp::Attribute* attribute = group.Find(name);
    if (attribute == NULL || attribute->IsOutOfBand())
        return std::nullopt;
    return attribute->Strings();
}

bool AuthFailure(HRESULT hr)
{
    return hr == IPP_E_AUTH || hr == IPP_E_NOTAUTHORIZED;
}

const char* const kExtraAttributes[] = {
    "sides-supported", "multiple-document-handling-supported", "page-delivery-supported",
    "print-scaling-supported", "job-sheets-supported", "print-quality-supported",
    "print-color-mode-supported", "ipp-features-supported", "operations-supported",
    "printer-commands", "printer-up-time"
};

void AddOnce(std::vector<std::string>& names, const std::string& name)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return;
    }
    names.push_back(name);
}

} // namespace

const std::vector<std::string>& RequestedAttributes()
{
    static std::vector<std::string> names;
    if (names.empty()) {
        names = ipp::StatusAttributes();
        for (size_t i = 0; i < sizeof(kExtraAttributes) / sizeof(kExtraAttributes[0]); ++i)
            AddOnce(names, kExtraAttributes[i]);
        const std::vector<std::string>& formats = docgen::FormatAttributes();
        for (size_t i = 0; i < formats.size(); ++i)
            AddOnce(names, formats[i]);
    }
    return names;
}

void ParsePrinterFacts(const ipp::Group& printer, PrinterFacts& out)
{
    out = PrinterFacts();
    ipp::ParsePrinterStatus(printer, out.status);
    SupportedValues& s = out.supported;
    s.sides = OptionalStrings(printer, "sides-supported");
    s.documentHandling = OptionalStrings(printer, "multiple-document-handling-supported");
    s.pageDelivery = OptionalStrings(printer, "page-delivery-supported");
    s.printScaling = OptionalStrings(printer, "print-scaling-supported");
    s.jobSheets = OptionalStrings(printer, "job-sheets-supported");
    s.colorModes = OptionalStrings(printer, "print-color-mode-supported");
    const ipp::Attribute* quality = printer.Find("print-quality-supported");
    if (quality != NULL && !quality->IsOutOfBand())
        s.printQuality = quality->Integers();
    const std::optional<std::vector<std::string> > features = OptionalStrings(printer, "ipp-features-supported");
    if (features)
        s.features = *features;
    out.isCups = out.status.printerType.has_value();
    docgen::ReadPrinterFormats(printer, out.formats);
    const ipp::Attribute* operations = printer.Find("operations-supported");
    if (operations != NULL && !operations->IsOutOfBand())
        out.operations = operations->Integers();
    out.commands = OptionalStrings(printer, "printer-commands");
    // printer-up-time is the seconds since the printer started; CUPS puts
    // the time of day there (seconds since 1970). No printer runs twenty
    // years without a restart, so a larger number is not an up-time and the
    // printer is taken to report none.
    const ipp::Attribute* upTime = printer.Find("printer-up-time");
    int32_t seconds = 0;
    const int32_t kTwentyYears = 20 * 365 * 24 * 3600;
    if (upTime != NULL && upTime->GetInteger(seconds) && seconds >= 0 && seconds < kTwentyYears)
        out.upTime = seconds;
}

HRESULT NotReachableResult(const PrinterView& printer)
{
    return AuthFailure(printer.lastResult) ? printer.lastResult : DEVIPP_E_NOTREACHABLE;
}

std::string StateWord(const PrinterView& printer, DWORD now)
{
    if (!printer.Reachable()) {
        if (printer.lastResult == S_FALSE && !printer.gone
            && (printer.firstAttemptTick == 0 || now - printer.firstAttemptTick < kFirstAnswerGraceMs))
            return "Connecting";
        if (AuthFailure(printer.lastResult))
            return "Authentication required";
        return "Not reachable";
    }
    const ipp::PrinterStatus& status = printer.facts.status;
    const char* word = FirstWord(status.reasons, REASON_ERROR);
    if (word != NULL)
        return word;
    if (status.state == ipp::kPrinterStopped)
        return "Stopped";
    if (status.accepting.has_value() && !*status.accepting)
        return "Not accepting jobs";
    word = FirstWord(status.reasons, REASON_WARNING);
    if (word != NULL)
        return word;
    if (status.state == ipp::kPrinterProcessing)
        return "Printing";
    if (status.state == ipp::kPrinterIdle)
        return "Idle";
    return "Unknown";
}

std::string ConnectionText(const std::string& uri)
{
    ipp::Endpoint endpoint;
    if (FAILED(ipp::ParseUri(uri, endpoint)))
        return uri;
    std::string text = endpoint.host.find(':') != std::string::npos ? "[" + endpoint.host + "]"
                                                                     : endpoint.host;
    const bool usual = endpoint.port == 631 || (endpoint.secure && endpoint.port == 443);
    if (!usual)
        text += ComFormat(":%u", static_cast<unsigned>(endpoint.port));
    std::string path = endpoint.path;
    const char* const queues[] = { "/printers/", "/classes/" };
    for (size_t i = 0; i < 2; ++i) {
        const std::string prefix = queues[i];
        if (path.compare(0, prefix.size(), prefix) == 0) {
            path = "/" + path.substr(prefix.size());
            break;
        }
    }
    if (path != "/")
        text += path;
    if (endpoint.secure)
        text += " (TLS)";
    return text;
}

long DeviceType(const PrinterView& printer)
{
    const PrinterFacts& facts = printer.facts;
    if (!printer.answered)
        return 1;
    const ipp::PrinterStatus& status = facts.status;
    bool color = status.colorSupported.value_or(false);
    bool fax = false;
    bool scanner = false;
    bool multifunction = false;
    if (status.printerType) {
        const uint32_t type = static_cast<uint32_t>(*status.printerType);
        if ((type & ipp::kCupsTypeColor) != 0)
            color = true;
        else if ((type & ipp::kCupsTypeBlackAndWhite) != 0)
            color = false;
        fax = (type & ipp::kCupsTypeFax) != 0;
        scanner = (type & ipp::kCupsTypeScanner) != 0;
        multifunction = (type & ipp::kCupsTypeMultifunction) != 0;
    }
    for (size_t i = 0; i < facts.supported.features.size(); ++i) {
        if (facts.supported.features[i] == "faxout")
            fax = true;
        else if (facts.supported.features[i] == "scan")
            multifunction = true;
    }
    if (fax)
        return color ? 4 : 3;
    if (multifunction)
        return 2;
    if (scanner)
        return 0;
    return color ? 5 : 1;
}

std::string SerialText(const PrinterView& printer)
{
    const ipp::PrinterStatus& status = printer.facts.status;
    if (!status.serialNumber.empty())
        return status.serialNumber;
    const std::string prefix = "urn:uuid:";
    if (status.uuid.compare(0, prefix.size(), prefix) == 0)
        return status.uuid.substr(prefix.size());
    return status.uuid;
}

std::string FirmwareText(const PrinterView& printer)
{
    const ipp::PrinterStatus& status = printer.facts.status;
    return !status.firmware.empty() ? status.firmware : status.makeAndModel;
}

bool PageCount(const PrinterView& printer, long& count)
{
    const ipp::PrinterStatus& status = printer.facts.status;
    const std::optional<int32_t>& value = status.impressionsCompleted ? status.impressionsCompleted
                                          : status.pagesCompleted     ? status.pagesCompleted
                                                                      : status.sheetsCompleted;
    if (!value)
        return false;
    count = static_cast<long>(*value);
    return true;
}

std::string ReasonText(const std::string& keyword)
{
    const KnownReason* known = Known(keyword);
    std::string text;
    if (known != NULL) {
        text = known->text;
    } else {
        text = Stem(keyword);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '-')
                text[i] = ' ';
        }
    }
    const std::string stem = Stem(keyword);
    if (keyword.size() > stem.size())
        text += " (" + keyword.substr(stem.size() + 1) + ")";
    return text;
}

std::string FailureText(HRESULT hr)
{
    if (hr == IPP_E_TIMEOUT)
        return "no answer (timed out)";
    if (hr == IPP_E_CONNECT)
        return "the connection was refused";
    if (hr == IPP_E_HOSTNOTFOUND)
        return "the host name does not resolve";
    if (hr == IPP_E_NETWORK)
        return "the connection broke off";
    if (hr == IPP_E_SECURE)
        return "its certificate was refused";
    if (AuthFailure(hr))
        return "it asks for authentication (store credentials for it in the Windows credential store)";
    if (hr == IPP_E_NOTFOUND)
        return "the server no longer has this printer";
    if (hr == IPP_E_HTTP)
        return "an HTTP error";
    if (hr == IPP_E_BADRESPONSE || hr == IPP_E_TOOLARGE)
        return "its answer was not usable";
    if (hr == IPP_E_CANCELLED)
        return "the request was cancelled";
    if (hr == S_FALSE)
        return "no answer yet";
    return "the request failed (" + HresultText(hr) + ")";
}

std::string DeviceText(const PrinterView& printer, DWORD now)
{
    const std::string word = StateWord(printer, now);
    std::string text = word;
    if (!printer.Reachable()) {
        text += ": " + FailureText(printer.gone ? IPP_E_NOTFOUND : printer.lastResult) + ".";
        if (printer.answered && printer.lastAnswerTick != 0)
            text += ComFormat("\r\nLast answer %lu s ago.",
                              static_cast<unsigned long>((now - printer.lastAnswerTick) / 1000));
        return text;
    }
    const ipp::PrinterStatus& status = printer.facts.status;
    if (!status.stateMessage.empty() && status.stateMessage != word)
        text += ": " + status.stateMessage;
    text += "\r\n";
    std::string reasons;
    for (size_t i = 0; i < status.reasons.size(); ++i) {
        if (status.reasons[i] == "none")
            continue;
        reasons += (reasons.empty() ? "" : ", ") + ReasonText(status.reasons[i]);
    }
    if (!reasons.empty())
        text += "Reasons: " + reasons + "\r\n";
    std::string supplies;
    for (size_t i = 0; i < status.markers.size(); ++i) {
        const ipp::Marker& marker = status.markers[i];
        std::string level = marker.level >= 0    ? ComFormat("%d%%", static_cast<int>(marker.level))
                            : marker.level == -3 ? std::string("some left")
                                                 : std::string("level unknown");
        supplies += (supplies.empty() ? "" : ", ") + (marker.name.empty() ? marker.type : marker.name)
                    + " " + level;
    }
    if (status.markers.empty()) {
        for (size_t i = 0; i < status.supplies.size(); ++i) {
            const ipp::Supply& supply = status.supplies[i];
            std::string level = "level unknown";
            if (supply.level >= 0 && supply.maxCapacity > 0)
                level = ComFormat("%d%%", static_cast<int>((static_cast<long long>(supply.level) * 100)
                                                           / supply.maxCapacity));
            else if (supply.level >= 0 && supply.unit == "percent")
                level = ComFormat("%d%%", static_cast<int>(supply.level));
            const std::string label = !supply.description.empty() ? supply.description
                                      : !supply.colorant.empty()  ? supply.colorant + " " + supply.type
                                                                  : supply.type;
            supplies += (supplies.empty() ? "" : ", ") + label + " " + level;
        }
    }
    text += "Supplies: " + (supplies.empty() ? std::string("none reported") : supplies) + "\r\n";
    if (status.queuedJobCount)
        text += ComFormat("Jobs waiting: %d", static_cast<int>(*status.queuedJobCount));
    else
        text += "Jobs waiting: not reported";
    return text;
}
