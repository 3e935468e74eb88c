// WorkMap.cpp - the buttons' work on IPP printers and whether a printer can
// do it now.
#include "deviceipp/WorkMap.h"

#include "deviceipp/DeviceIppResults.h"
#include "ipp/IppResults.h"

namespace {

const char kCommandFormat[] = "application/vnd.cups-command";

Work Operation(WorkKind kind, const char* what)
{
    Work work;
    work.kind = kind;
    work.what = what;
    return work;
}

Work Document(const char* what, docgen::DocumentKind document, bool needsJobs)
{
    Work work = Operation(WORK_DOCUMENT, what);
    work.document = document;
    work.needsJobs = needsJobs;
    return work;
}

Work Command(const char* what, const char* command, const char* keyword)
{
    Work work = Operation(WORK_COMMAND, what);
    work.command = command;
    work.commandKeyword = keyword;
    return work;
}

// A MIME type as compared: lower case, no blanks or quotes, no parameters.
std::string BareFormat(const std::string& format)
{
    std::string out;
    for (size_t i = 0; i < format.size() && format[i] != ';'; ++i) {
        char c = format[i];
        if (c == ' ' || c == '\t' || c == '"')
            continue;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        out += c;
    }
    return out;
}

bool ListsString(const std::vector<std::string>& list, const std::string& value)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == value)
            return true;
    }
    return false;
}

} // namespace

Work ReportWork(long number)
{
    switch (number) {
    case 1: {
        Work work = Document("Configuration report", docgen::kConfigurationReport, false);
        work.allAttributes = true;
        return work;
    }
    case 2: {
        // The Reports page's status report and the memory page's list of
        // locations are one report number: the status report lists them.
        Work work = Document("Status report", docgen::kStatusReport, true);
        work.memoryList = true;
        return work;
    }
    case 3: return Document("Print quality test", docgen::kPrintQualityTest, false);
    case 4: return Document("Colour bars", docgen::kColorBars, false);
    case 5: return Document("Usage summary", docgen::kUsageSummary, true);
    case 6: return Document("Job history", docgen::kJobHistory, true);
    case 7: return Document("Supply usage", docgen::kSupplyUsage, false);
    case 8: return Document("Page counters", docgen::kPageCounters, true);
    case 9: return Document("Page counters per month", docgen::kMonthlyPages, true);
    case 10: return Document("Service report", docgen::kServiceReport, true);
    case 11: return Document("Error log", docgen::kErrorLog, true);
    }
    return Work();
}

Work ActionWork(long kind)
{
    // Action 1 resets the maintenance counters: IPP printers' counters only
    // ever grow, and no IPP or CUPS operation resets them.
    if (kind == 2)
        return Operation(WORK_CLEAR_HISTORY, "Clear the job history");
    return Work();
}

Work TaskWork(bool first)
{
    if (first)
        return Command("Self-test page", "PrintSelfTestPage", "PrintSelfTestPage");
    return Operation(WORK_RESTART, "Restart");
}

Work ProcedureWork(char family, long number)
{
    if (family == 'A' && number == 1)
        return Document("Feed test", docgen::kFeedTest, false);
    if (family == 'A' && number == 2)
        return Document("Duplex test", docgen::kDuplexTest, false);
    if (family == 'B' && number == 1)
        return Document("Nozzle check pattern", docgen::kNozzleCheck, false);
    if (family == 'B' && number == 5)
        return Command("Head alignment page", "PrintAlignmentPage 1", "PrintAlignmentPage");
    // Family C is the scanner's: IPP has no operation that calibrates or
    // tests a scanner.
    return Work();
}

bool IsOptionProcedure(long number)
{
    return number == 4;
}

Work OptionProcedureWork(long number, long flags)
{
    if (!IsOptionProcedure(number))
        return Work();
    switch (flags & 3) {
    case 1: return Command("Clean black", "Clean black", "Clean");
    case 2: return Command("Clean color", "Clean color", "Clean");
    case 3: return Command("Clean all", "Clean all", "Clean");
    }
    return Work();
}

Work CommandWork(long number)
{
    // Command 1 fills the ink lines: no IPP operation or CUPS command does.
    (void)number;
    return Work();
}

std::string CommandFile(const Work& work)
{
    return "#CUPS-COMMAND\n" + work.command + "\n";
}

std::string CommandJobName(const Work& work)
{
    return "Device Service: " + work.what;
}

bool ListsFormat(const PrinterFacts& facts, const std::string& format)
{
    const std::string wanted = BareFormat(format);
    for (size_t i = 0; i < facts.formats.formats.size(); ++i) {
        if (BareFormat(facts.formats.formats[i]) == wanted)
            return true;
    }
    return false;
}

bool OffersOperation(const PrinterFacts& facts, int operation)
{
    if (facts.operations.empty())
        return true;
    for (size_t i = 0; i < facts.operations.size(); ++i) {
        if (facts.operations[i] == operation)
            return true;
    }
    return false;
}

HRESULT CanDo(const Work& work, const PrinterView& printer, docgen::FormatChoice* choice)
{
    if (work.kind == WORK_NONE)
        return DEVIPP_E_NOTAVAILABLE;
    if (!printer.Reachable())
        return NotReachableResult(printer);
    const PrinterFacts& facts = printer.facts;
    const ipp::PrinterStatus& status = facts.status;
    const bool accepting = status.state != ipp::kPrinterStopped
                           && !(status.accepting.has_value() && !*status.accepting);
    switch (work.kind) {
    case WORK_DOCUMENT: {
        if (!accepting)
            return DEVIPP_E_NOTACCEPTING;
        const docgen::FormatChoice chosen = docgen::ChooseFormat(facts.formats);
        if (chosen.format == docgen::kFormatNone)
            return DEVIPP_E_UNSUPPORTED;
        if (docgen::IsTwoSided(work.document) && facts.supported.sides
            && !ListsString(*facts.supported.sides, "two-sided-long-edge"))
            return DEVIPP_E_UNSUPPORTED;
        if (choice != NULL)
            *choice = chosen;
        return S_OK;
    }
    case WORK_COMMAND:
        if (!accepting)
            return DEVIPP_E_NOTACCEPTING;
        if (!ListsFormat(facts, kCommandFormat))
            return DEVIPP_E_UNSUPPORTED;
        if (facts.commands && !ListsString(*facts.commands, work.commandKeyword))
            return DEVIPP_E_UNSUPPORTED;
        return S_OK;
    case WORK_CLEAR_HISTORY:
        if (!OffersOperation(facts, ipp::kPurgeJobs))
            return DEVIPP_E_UNSUPPORTED;
        // Purge-Jobs cancels the jobs that wait as well.
        if (status.queuedJobCount && *status.queuedJobCount > 0)
            return DEVIPP_E_JOBSWAITING;
        return S_OK;
    case WORK_RESTART:
        if (!facts.operations.empty() && !OffersOperation(facts, ipp::kRestartPrinter)
            && !(OffersOperation(facts, ipp::kCancelJobs) && OffersOperation(facts, ipp::kResumePrinter)))
            return DEVIPP_E_UNSUPPORTED;
        return S_OK;
    default:
        return DEVIPP_E_NOTAVAILABLE;
    }
}
