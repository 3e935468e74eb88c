// IppWork.cpp - the work the pages ask for besides the list and the driver
// settings: reports (GetReport), maintenance actions (GetAction), device
// tasks (GetDeviceTasks), procedures (GetProcedureA/B/C,
// GetOptionProcedure), commands (GetCommand) and memory locations
// (GetSettings(1), handed out in IppService.cpp).
//
// WorkMap.h says what each number does on an IPP printer; PrinterMonitor's
// DoWork, ViewWork and AskNumbers do it. What has no counterpart is refused
// when it is asked for (DEVIPP_E_NOTAVAILABLE, nothing handed out), so a
// page never gets an object that pretends.
#include "deviceipp/IppObjects.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"
#include "deviceipp/MemoryMap.h"
#include "deviceipp/Viewer.h"
#include "deviceipp/WorkMap.h"

#include <new>

namespace {

Work WorkOf(char family, long number)
{
    switch (family) {
    case 'R': return ReportWork(number);
    case 'M': return ActionWork(number);
    case 'A':
    case 'B':
    case 'C': return ProcedureWork(family, number);
    case 'K': return CommandWork(number);
    }
    return Work();
}

} // namespace

HRESULT CIppDeviceService::HandWork(const char* operation, char family, long number, IUnknown** pp)
{
    IppCall call(this, operation);
    call.Arg(number);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pp == NULL)
        return call.Done(E_POINTER);
    *pp = NULL;
    const bool mapped = family == 'O' ? IsOptionProcedure(number) : WorkOf(family, number).kind != WORK_NONE;
    if (!mapped)
        return call.Done(DEVIPP_E_NOTAVAILABLE);
    const long id = Monitor().CurrentId();
    if (id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    ComObject* made = NULL;
    if (family == 'R')
        made = new (std::nothrow) CIppReport(number, id);
    else if (family == 'M')
        made = new (std::nothrow) CIppAction(number, id);
    else
        made = new (std::nothrow) CIppProcedure(family, number, id);
    if (made == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(pp, made);
}

// ---------------------------------------------------------------------------
// CIppReport
// ---------------------------------------------------------------------------

CIppReport::CIppReport(long number, long id)
    : IppObject("Report"), m_number(number), m_id(id)
{
}

void* CIppReport::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceReport))
        return static_cast<IServiceReport*>(this);
    // Report 11, the error log, has the option: cancelled jobs too.
    if (IsEqualIID(iid, IID_IServiceReportOption) && m_number == 11)
        return static_cast<IServiceReportOption*>(this);
    return NULL;
}

HRESULT CIppReport::Reserved7() { return Reserved("IServiceReport/IServiceReportOption", 7); }
HRESULT CIppReport::Reserved10() { return Reserved("IServiceReport", 10); }

HRESULT CIppReport::Availability(bool alternate, long* pAvailable)
{
    IppCall call(this, alternate ? "IServiceReport.CanExecuteAlternate" : "IServiceReport.CanExecute");
    call.Arg(m_number);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pAvailable == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    const Work work = ReportWork(m_number);
    // From the cache: no request.
    HRESULT why = S_OK;
    if (alternate) {
        std::string viewer;
        if (!printer.Reachable())
            why = DEVIPP_E_NOTREACHABLE;
        else if (work.kind != WORK_DOCUMENT)
            why = DEVIPP_E_NOTAVAILABLE;
        else if (!FindPdfViewer(viewer))
            why = DEVIPP_E_NOVIEWER;
    } else {
        why = CanDo(work, printer, NULL);
    }
    if (FAILED(why))
        call.Out("because " + HresultText(why));
    return call.HandNumber(pAvailable, SUCCEEDED(why) ? 1 : 0);
}

HRESULT CIppReport::CanExecuteAlternate(long* pAvailable) { return Availability(true, pAvailable); }
HRESULT CIppReport::CanExecute(long* pAvailable) { return Availability(false, pAvailable); }

HRESULT CIppReport::Execute(long value)
{
    IppCall call(this, "IServiceReport.Execute");
    call.Arg(value);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    WorkOptions options;
    options.withCancelled = Monitor().ErrorLogWithCancelled();
    std::string note;
    const HRESULT hr = Monitor().DoWork(m_id, ReportWork(m_number), options, note, NULL);
    call.Out(ComFormat("report=%ld ", m_number) + note);
    return call.Done(hr);
}

HRESULT CIppReport::ExecuteAlternate(long value)
{
    IppCall call(this, "IServiceReport.ExecuteAlternate");
    call.Arg(value);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    WorkOptions options;
    options.withCancelled = Monitor().ErrorLogWithCancelled();
    std::string note;
    const HRESULT hr = Monitor().ViewWork(m_id, ReportWork(m_number), options, note);
    call.Out(ComFormat("report=%ld ", m_number) + note);
    return call.Done(hr);
}

HRESULT CIppReport::SetReportOption(long enabled)
{
    IppCall call(this, "IServiceReportOption.SetReportOption");
    call.Arg(enabled);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    Monitor().SetErrorLogWithCancelled(enabled != 0);
    call.Out(enabled != 0 ? "error log: aborted and cancelled jobs" : "error log: aborted jobs");
    return call.Done(S_OK);
}

// ---------------------------------------------------------------------------
// CIppAction
// ---------------------------------------------------------------------------

CIppAction::CIppAction(long kind, long id)
    : IppObject("Action"), m_kind(kind), m_id(id)
{
}

void* CIppAction::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceAction))
        return static_cast<IServiceAction*>(this);
    return NULL;
}

HRESULT CIppAction::Run()
{
    IppCall call(this, "IServiceAction.Run");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    std::string note;
    const HRESULT hr = Monitor().DoWork(m_id, ActionWork(m_kind), WorkOptions(), note, NULL);
    call.Out(ComFormat("kind=%ld ", m_kind) + note);
    return call.Done(hr);
}

// ---------------------------------------------------------------------------
// CIppTasks
// ---------------------------------------------------------------------------

CIppTasks::CIppTasks()
    : IppObject("Tasks")
{
}

void* CIppTasks::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceTasks))
        return static_cast<IServiceTasks*>(this);
    return NULL;
}

HRESULT CIppTasks::Reserved8() { return Reserved("IServiceTasks", 8); }

HRESULT CIppTasks::StartTask(const char* operation, bool first)
{
    IppCall call(this, operation);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    const long id = Monitor().CurrentId();
    if (id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    std::string note;
    const HRESULT hr = Monitor().DoWork(id, TaskWork(first), WorkOptions(), note, NULL);
    call.Out(note);
    return call.Done(hr);
}

HRESULT CIppTasks::StartSecondTask() { return StartTask("IServiceTasks.StartSecondTask", false); }
HRESULT CIppTasks::StartFirstTask() { return StartTask("IServiceTasks.StartFirstTask", true); }

// ---------------------------------------------------------------------------
// CIppProcedure
// ---------------------------------------------------------------------------

CIppProcedure::CIppProcedure(char family, long number, long id)
    : IppObject(family == 'O' ? "OptionProcedure" : "Procedure"), m_family(family),
      m_number(number), m_id(id), m_flags(0)
{
}

void* CIppProcedure::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceProcedure))
        return static_cast<IServiceProcedure*>(this);
    if (IsEqualIID(iid, IID_IServiceProcedureOptions) && m_family == 'O')
        return static_cast<IServiceProcedureOptions*>(this);
    return NULL;
}

HRESULT CIppProcedure::SetOptions(long flags)
{
    IppCall call(this, "IServiceProcedureOptions.SetOptions");
    call.Arg(flags);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    // Bit 0 the first box (black), bit 1 the second (colour); nothing else.
    if (flags < 1 || flags > 3)
        return call.Done(E_INVALIDARG);
    m_flags = flags;
    return call.Done(S_OK);
}

HRESULT CIppProcedure::Start(long value, long* pResult)
{
    IppCall call(this, "IServiceProcedure.Start");
    call.Arg(value);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pResult == NULL)
        return call.Done(E_POINTER);
    *pResult = 0;
    call.Out(ComFormat("procedure=%c%ld ", m_family, m_number));
    // The option procedure cleans the heads its options chose: none chosen
    // is nothing to do.
    if (m_family == 'O' && m_flags == 0)
        return call.Done(E_INVALIDARG);
    const Work work = m_family == 'O' ? OptionProcedureWork(m_number, m_flags)
                                      : ProcedureWork(m_family, m_number);
    std::string note;
    long job = 0;
    const HRESULT hr = Monitor().DoWork(m_id, work, WorkOptions(), note, &job);
    call.Out(note);
    if (FAILED(hr))
        return call.Done(hr);
    return call.HandNumber(pResult, job);
}

// ---------------------------------------------------------------------------
// CIppMemory
// ---------------------------------------------------------------------------

CIppMemory::CIppMemory(long id)
    : IppObject("Memory"), m_id(id)
{
}

void* CIppMemory::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceMemory))
        return static_cast<IServiceMemory*>(this);
    return NULL;
}

HRESULT CIppMemory::Reserved7() { return Reserved("IServiceMemory", 7); }
HRESULT CIppMemory::Reserved8() { return Reserved("IServiceMemory", 8); }
HRESULT CIppMemory::Reserved9() { return Reserved("IServiceMemory", 9); }
HRESULT CIppMemory::Reserved13() { return Reserved("IServiceMemory", 13); }
HRESULT CIppMemory::Reserved14() { return Reserved("IServiceMemory", 14); }

HRESULT CIppMemory::IsValidLocation(long location, long* pValid)
{
    IppCall call(this, "IServiceMemory.IsValidLocation");
    call.Arg(location);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValid == NULL)
        return call.Done(E_POINTER);
    *pValid = 0;
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    PrinterView printer;
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    // The printer's last answer says which numbers it reports. A printer
    // that does not answer now has none to read: the page would show a
    // value of 0 it never read, so no location exists then.
    if (!printer.Reachable())
        return call.Done(DEVIPP_E_NOTREACHABLE);
    return call.HandNumber(pValid, LocationExists(location, printer.facts) ? 1 : 0);
}

HRESULT CIppMemory::ReadValue(long location, VARIANT* pValue)
{
    IppCall call(this, "IServiceMemory.ReadValue");
    call.Arg(location);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValue == NULL)
        return call.Done(E_POINTER);
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    if (!IsMapped(location))
        return call.Done(E_INVALIDARG);
    PrinterNumbers numbers;
    std::string note;
    const HRESULT hr = Monitor().AskNumbers(m_id, NeedsJobs(location), numbers, note);
    call.Out(note);
    if (FAILED(hr))
        return call.Done(hr);
    long value = 0;
    if (!ReadLocation(location, numbers, value))
        return call.Done(DEVIPP_E_NOTREPORTED);
    return call.HandVariant(pValue, value, "(" + LocationName(location, numbers.facts) + ")");
}

HRESULT CIppMemory::WriteValue(long location, VARIANT value)
{
    IppCall call(this, "IServiceMemory.WriteValue");
    call.Arg(location);
    call.ArgVariant(value);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    // The locations are what the printer reports: nothing can be written.
    return call.Done(DEVIPP_E_READONLY);
}

HRESULT CIppMemory::GetDefaultValue(long location, VARIANT* pValue)
{
    IppCall call(this, "IServiceMemory.GetDefaultValue");
    call.Arg(location);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValue == NULL)
        return call.Done(E_POINTER);
    long value = 0;
    if (!LocationDefault(location, value))
        return call.Done(E_INVALIDARG);
    return call.HandVariant(pValue, value);
}
