// PrinterWork.cpp - the work of the pages on a printer: documents printed
// with Print-Job or shown in the PDF viewer, CUPS command files, the job
// history cleared, the restart, and the fresh numbers of the memory
// locations. Runs on the client's thread; each request has the monitor's
// timeouts and the first failure ends the work.
#include "deviceipp/PrinterMonitor.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"
#include "deviceipp/Viewer.h"
#include "ipp/IppResults.h"

#include <new>
#include <stdexcept>

namespace {

bool IsCupsQueue(const PrinterView& printer)
{
    return printer.source == SOURCE_CUPS || printer.facts.isCups;
}

// Local time as the documents print it, and its distance from UTC.
void LocalTime(std::string& text, int& utcOffsetMinutes)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    text = ComFormat("%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                     now.wMinute);
    TIME_ZONE_INFORMATION zone;
    const DWORD which = GetTimeZoneInformation(&zone);
    long bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT)
        bias += zone.DaylightBias;
    else if (which == TIME_ZONE_ID_STANDARD)
        bias += zone.StandardBias;
    utcOffsetMinutes = which == TIME_ZONE_ID_INVALID ? 0 : static_cast<int>(-bias);
}

} // namespace

HRESULT PrinterMonitor::AskFresh(const ipp::Client& client, const PrinterView& printer, bool all,
                                 PrinterFacts& facts, std::vector<ipp::Attribute>* attributes)
{
    ipp::Message request = ipp::MakeRequest(ipp::kGetPrinterAttributes, 0, std::string(), m_userName,
                                            all ? std::vector<std::string>(1, "all") : RequestedAttributes());
    ipp::Message response;
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    HRESULT hr = client.Exchange(printer.uri, request, response, &info);
    const ipp::Group* group = SUCCEEDED(hr) ? response.FindGroup(ipp::kPrinterGroup) : NULL;
    if (SUCCEEDED(hr) && group == NULL)
        hr = IPP_E_BADRESPONSE;
    JournalRequest("Get-Printer-Attributes", printer.uri, hr, info, started);
    if (FAILED(hr)) {
        RefreshSoon(printer.id);
        return hr;
    }
    ParsePrinterFacts(*group, facts);
    if (attributes != NULL)
        *attributes = group->attributes;
    StoreAnswer(printer.id, facts);
    return S_OK;
}

HRESULT PrinterMonitor::AskJobs(const ipp::Client& client, const PrinterView& printer,
                                std::vector<ipp::JobInfo>& jobs)
{
    // "completed" is every finished job: completed, aborted and cancelled.
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    const HRESULT hr = client.GetJobs(printer.uri, "completed", false, 0, jobs, &info);
    JournalRequest("Get-Jobs", printer.uri, hr, info, started);
    return hr;
}

HRESULT PrinterMonitor::GatherFacts(const ipp::Client& client, PrinterView& printer, const Work& work,
                                    docgen::PrinterFacts& facts)
{
    PrinterFacts fresh;
    HRESULT hr = AskFresh(client, printer, work.allAttributes, fresh,
                          work.allAttributes ? &facts.attributes : NULL);
    if (FAILED(hr))
        return hr;
    if (IsCupsQueue(printer))
        fresh.isCups = true;
    printer.facts = fresh;
    facts.queueName = printer.name;
    facts.uri = printer.uri;
    facts.status = fresh.status;
    LocalTime(facts.generated, facts.utcOffsetMinutes);
    if (!work.needsJobs)
        return S_OK;
    hr = AskJobs(client, printer, facts.jobs);
    if (FAILED(hr))
        return hr;
    for (size_t i = 0; i < facts.jobs.size(); ++i) {
        const int32_t state = facts.jobs[i].state;
        if (state == 7 || state == 8)   // canceled, aborted
            facts.failedJobs.push_back(facts.jobs[i]);
    }
    if (work.memoryList) {
        PrinterNumbers numbers;
        numbers.facts = fresh;
        numbers.jobsKnown = true;
        numbers.finishedJobs = static_cast<int32_t>(facts.jobs.size());
        for (size_t i = 0; i < facts.jobs.size(); ++i) {
            if (facts.jobs[i].impressionsCompleted && *facts.jobs[i].impressionsCompleted > 0)
                numbers.jobImpressions += *facts.jobs[i].impressionsCompleted;
        }
        facts.locations = LocationRows(numbers);
    }
    return S_OK;
}

HRESULT PrinterMonitor::PrintDocumentWork(const ipp::Client& client, PrinterView& printer,
                                          const Work& work, const WorkOptions& options,
                                          std::string& note, long* jobId)
{
    ipp::PrintDocument document;
    try {
        docgen::PrinterFacts facts;
        HRESULT hr = GatherFacts(client, printer, work, facts);
        if (FAILED(hr))
            return hr;
        // The fresh answer decides: the printer may have stopped meanwhile.
        docgen::FormatChoice choice;
        hr = CanDo(work, printer, &choice);
        if (FAILED(hr))
            return hr;
        docgen::DocumentOptions documentOptions;
        documentOptions.media = printer.facts.formats.mediaDefault;
        documentOptions.sheets = options.sheets;
        documentOptions.withCancelled = options.withCancelled;
        docgen::Output out;
        if (!docgen::Generate(work.document, facts, documentOptions, choice, out))
            return E_OUTOFMEMORY;
        note += ComFormat(" format=%s pages=%lu bytes=%lu", out.mimeType.c_str(),
                          static_cast<unsigned long>(out.pages),
                          static_cast<unsigned long>(out.data.size()));
        document.jobName = out.jobName;
        document.format = out.mimeType;
        document.data.swap(out.data);
        if (docgen::IsTwoSided(work.document))
            document.sides = "two-sided-long-edge";
    } catch (const std::exception&) {
        // std::bad_alloc and the length errors of strings: nothing sent.
        return E_OUTOFMEMORY;
    }
    ipp::JobTicket job;
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    const HRESULT hr = client.PrintJob(printer.uri, document, job, &info);
    JournalRequest("Print-Job", printer.uri, hr, info, started);
    RefreshSoon(printer.id);
    if (FAILED(hr))
        return hr;
    note += ComFormat(" job=%ld", static_cast<long>(job.id));
    if (jobId != NULL)
        *jobId = job.id;
    return S_OK;
}

HRESULT PrinterMonitor::OperationWork(const ipp::Client& client, const PrinterView& printer,
                                      int operation, std::string& note)
{
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    const HRESULT hr = client.PrinterOperation(printer.uri, operation, IsCupsQueue(printer), &info);
    JournalRequest(ipp::OperationName(operation).c_str(), printer.uri, hr, info, started);
    note += " " + ipp::OperationName(operation);
    if (FAILED(hr) && !info.statusMessage.empty())
        note += " refused: " + JournalText(info.statusMessage);
    return hr;
}

HRESULT PrinterMonitor::DoWork(long id, const Work& work, const WorkOptions& options,
                               std::string& note, long* jobId)
{
    try {
        return DoWorkOn(id, work, options, note, jobId);
    } catch (const std::exception&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT PrinterMonitor::DoWorkOn(long id, const Work& work, const WorkOptions& options,
                                 std::string& note, long* jobId)
{
    if (jobId != NULL)
        *jobId = 0;
    PrinterView printer;
    if (!View(id, printer))
        return DEVIPP_E_UNKNOWNDEVICE;
    note = "printer=" + printer.uri + " work=\"" + work.what + "\"";
    HRESULT hr = CanDo(work, printer, NULL);
    if (FAILED(hr))
        return hr;
    const ipp::Client client(Options(printer.acceptSelfSigned), m_userName);
    switch (work.kind) {
    case WORK_DOCUMENT:
        return PrintDocumentWork(client, printer, work, options, note, jobId);
    case WORK_COMMAND: {
        ipp::PrintDocument document;
        document.jobName = CommandJobName(work);
        document.format = "application/vnd.cups-command";
        document.data = CommandFile(work);
        ipp::JobTicket job;
        ipp::CallInfo info;
        const DWORD started = GetTickCount();
        hr = client.PrintJob(printer.uri, document, job, &info);
        JournalRequest("Print-Job", printer.uri, hr, info, started);
        RefreshSoon(id);
        if (FAILED(hr))
            return hr;
        note += ComFormat(" command=\"%s\" job=%ld", work.command.c_str(), static_cast<long>(job.id));
        if (jobId != NULL)
            *jobId = job.id;
        return S_OK;
    }
    case WORK_CLEAR_HISTORY:
        hr = OperationWork(client, printer, ipp::kPurgeJobs, note);
        RefreshSoon(id);
        return hr;
    case WORK_RESTART:
        // Restart-Printer where the printer offers it; else what a restart
        // does to the jobs and the queue: cancel them all, then go on.
        if (!printer.facts.operations.empty() && OffersOperation(printer.facts, ipp::kRestartPrinter)) {
            hr = OperationWork(client, printer, ipp::kRestartPrinter, note);
        } else {
            hr = OperationWork(client, printer, ipp::kCancelJobs, note);
            if (SUCCEEDED(hr))
                hr = OperationWork(client, printer, ipp::kResumePrinter, note);
        }
        RefreshSoon(id);
        return hr;
    default:
        return DEVIPP_E_NOTAVAILABLE;
    }
}

HRESULT PrinterMonitor::ViewWork(long id, const Work& work, const WorkOptions& options,
                                 std::string& note)
{
    PrinterView printer;
    if (!View(id, printer))
        return DEVIPP_E_UNKNOWNDEVICE;
    note = "printer=" + printer.uri + " work=\"" + work.what + "\"";
    if (work.kind != WORK_DOCUMENT)
        return DEVIPP_E_NOTAVAILABLE;
    if (!printer.Reachable())
        return NotReachableResult(printer);
    std::string viewer;
    if (!FindPdfViewer(viewer))
        return DEVIPP_E_NOVIEWER;
    note += " viewer=" + JournalText(viewer);
    const ipp::Client client(Options(printer.acceptSelfSigned), m_userName);
    std::string path;
    try {
        docgen::PrinterFacts facts;
        HRESULT hr = GatherFacts(client, printer, work, facts);
        if (FAILED(hr))
            return hr;
        docgen::PrinterFormats pdfOnly;
        pdfOnly.formats.push_back("application/pdf");
        docgen::DocumentOptions documentOptions;
        documentOptions.media = printer.facts.formats.mediaDefault;
        documentOptions.sheets = options.sheets;
        documentOptions.withCancelled = options.withCancelled;
        docgen::Output out;
        if (!docgen::Generate(work.document, facts, documentOptions, docgen::ChooseFormat(pdfOnly), out))
            return E_OUTOFMEMORY;
        hr = WriteViewFile(std::string(docgen::DocumentTitle(work.document)) + " - " + printer.name,
                           out.data, path);
        if (FAILED(hr))
            return hr;
        note += ComFormat(" pages=%lu file=", static_cast<unsigned long>(out.pages)) + JournalText(path);
    } catch (const std::exception&) {
        return E_OUTOFMEMORY;
    }
    return OpenInViewer(path);
}

HRESULT PrinterMonitor::AskNumbers(long id, bool withJobs, PrinterNumbers& out, std::string& note)
{
    try {
        return AskNumbersOf(id, withJobs, out, note);
    } catch (const std::exception&) {
        out = PrinterNumbers();
        return E_OUTOFMEMORY;
    }
}

HRESULT PrinterMonitor::AskNumbersOf(long id, bool withJobs, PrinterNumbers& out, std::string& note)
{
    out = PrinterNumbers();
    PrinterView printer;
    if (!View(id, printer))
        return DEVIPP_E_UNKNOWNDEVICE;
    note = "printer=" + printer.uri;
    if (!printer.Reachable())
        return NotReachableResult(printer);
    const ipp::Client client(Options(printer.acceptSelfSigned), m_userName);
    HRESULT hr = AskFresh(client, printer, false, out.facts, NULL);
    if (FAILED(hr) || !withJobs)
        return hr;
    std::vector<ipp::JobInfo> jobs;
    hr = AskJobs(client, printer, jobs);
    if (FAILED(hr))
        return hr;
    out.jobsKnown = true;
    out.finishedJobs = static_cast<int32_t>(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].impressionsCompleted && *jobs[i].impressionsCompleted > 0)
            out.jobImpressions += *jobs[i].impressionsCompleted;
    }
    return S_OK;
}
