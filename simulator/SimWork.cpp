// SimWork.cpp - the objects that do device work: CSimReport, CSimAction,
// CSimTasks, CSimProcedure and CSimCommand. Each piece of work bumps a counter
// location of its device (SimModel.h lists them) and is journaled.
#include "simulator/SimObjects.h"

#include "comserver/ComJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimResults.h"

// ---------------------------------------------------------------------------
// CSimReport
// ---------------------------------------------------------------------------

CSimReport::CSimReport(long number, int device)
    : SimObject("Report", device), m_number(number)
{
}

void* CSimReport::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceReport))
        return static_cast<IServiceReport*>(this);
    if (IsEqualIID(iid, IID_IServiceReportOption) && m_number == kOptionReport)
        return static_cast<IServiceReportOption*>(this);
    return NULL;
}

HRESULT CSimReport::Reserved7() { return Reserved("IServiceReport/IServiceReportOption", 7); }
HRESULT CSimReport::Reserved10() { return Reserved("IServiceReport", 10); }

bool CSimReport::Offers(bool alternate) const
{
    const SimDevice& d = SimModel::Get().devices[m_device];
    const unsigned long mask = alternate ? d.alternateMask : d.executeMask;
    if (((mask >> m_number) & 1UL) != 0)
        return true;
    // Report 11's option makes its alternate command available.
    return alternate && m_number == kOptionReport && d.reportOption;
}

HRESULT CSimReport::Availability(bool alternate, long* pAvailable)
{
    SimCall call(this, alternate ? "IServiceReport.CanExecuteAlternate" : "IServiceReport.CanExecute");
    call.Arg(m_number);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pAvailable == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    return call.HandNumber(pAvailable, Offers(alternate) ? 1 : 0, "available");
}

HRESULT CSimReport::Run(bool alternate, long value)
{
    SimCall call(this, alternate ? "IServiceReport.ExecuteAlternate" : "IServiceReport.Execute");
    call.Arg(value);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    call.Out(ComFormat("report=%ld", m_number));
    if (!Offers(alternate))
        return call.Done(SIM_E_NOTAVAILABLE);
    const long counter = SimModel::Get().Bump(m_device, alternate ? kCounterExecuteAlternate
                                                                  : kCounterExecute);
    call.Out(ComFormat("counter=%ld", counter));
    return call.Done(S_OK);
}

HRESULT CSimReport::ExecuteAlternate(long value) { return Run(true, value); }
HRESULT CSimReport::Execute(long value) { return Run(false, value); }
HRESULT CSimReport::CanExecuteAlternate(long* pAvailable) { return Availability(true, pAvailable); }
HRESULT CSimReport::CanExecute(long* pAvailable) { return Availability(false, pAvailable); }

HRESULT CSimReport::SetReportOption(long enabled)
{
    SimCall call(this, "IServiceReportOption.SetReportOption");
    call.Arg(enabled);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    SimModel::Get().devices[m_device].reportOption = enabled != 0;
    call.Out(ComFormat("report=%ld", m_number));
    return call.Done(S_OK);
}

// ---------------------------------------------------------------------------
// CSimAction
// ---------------------------------------------------------------------------

CSimAction::CSimAction(long kind, int device)
    : SimObject("Action", device), m_kind(kind)
{
}

void* CSimAction::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceAction))
        return static_cast<IServiceAction*>(this);
    return NULL;
}

HRESULT CSimAction::Run()
{
    SimCall call(this, "IServiceAction.Run");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    const long counter = SimModel::Get().Bump(m_device, m_kind == 1 ? kCounterAction1
                                                                    : kCounterAction2);
    call.Out(ComFormat("kind=%ld counter=%ld", m_kind, counter));
    return call.Done(S_OK);
}

// ---------------------------------------------------------------------------
// CSimTasks
// ---------------------------------------------------------------------------

CSimTasks::CSimTasks(int device)
    : SimObject("Tasks", device)
{
}

void* CSimTasks::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceTasks))
        return static_cast<IServiceTasks*>(this);
    return NULL;
}

HRESULT CSimTasks::StartTask(const char* operation, long counterLocation)
{
    SimCall call(this, operation);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    const long counter = SimModel::Get().Bump(m_device, counterLocation);
    call.Out(ComFormat("counter=%ld", counter));
    return call.Done(S_OK);
}

HRESULT CSimTasks::StartSecondTask()
{
    return StartTask("IServiceTasks.StartSecondTask", kCounterSecondTask);
}

HRESULT CSimTasks::Reserved8() { return Reserved("IServiceTasks", 8); }

HRESULT CSimTasks::StartFirstTask()
{
    return StartTask("IServiceTasks.StartFirstTask", kCounterFirstTask);
}

// ---------------------------------------------------------------------------
// CSimProcedure
// ---------------------------------------------------------------------------

CSimProcedure::CSimProcedure(char family, long number, int device)
    : SimObject(family == 'O' ? "OptionProcedure" : "Procedure", device),
      m_family(family), m_number(number), m_flags(0)
{
}

void* CSimProcedure::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceProcedure))
        return static_cast<IServiceProcedure*>(this);
    if (IsEqualIID(iid, IID_IServiceProcedureOptions) && m_family == 'O')
        return static_cast<IServiceProcedureOptions*>(this);
    return NULL;
}

HRESULT CSimProcedure::Start(long value, long* pResult)
{
    SimCall call(this, "IServiceProcedure.Start");
    call.Arg(value);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pResult == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    call.Out(ComFormat("procedure=%c%ld", m_family, m_number));
    if (m_family == 'O')
        call.Out(ComFormat("flags=%ld", m_flags));
    // The result is the device's procedure run count.
    return call.HandNumber(pResult, SimModel::Get().Bump(m_device, kCounterProcedure), "result");
}

HRESULT CSimProcedure::SetOptions(long flags)
{
    SimCall call(this, "IServiceProcedureOptions.SetOptions");
    call.Arg(flags);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (flags < 1 || flags > 3)
        return call.Done(E_INVALIDARG);
    m_flags = flags;
    return call.Done(S_OK);
}

// ---------------------------------------------------------------------------
// CSimCommand
// ---------------------------------------------------------------------------

CSimCommand::CSimCommand(long number, int device)
    : SimObject("Command", device), m_number(number)
{
}

void* CSimCommand::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceCommand))
        return static_cast<IServiceCommand*>(this);
    return NULL;
}

HRESULT CSimCommand::Perform(long value)
{
    SimCall call(this, "IServiceCommand.Perform");
    call.Arg(value);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    const long counter = SimModel::Get().Bump(m_device, kCounterCommand);
    call.Out(ComFormat("command=%ld counter=%ld", m_number, counter));
    return call.Done(S_OK);
}
