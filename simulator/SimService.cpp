// SimService.cpp - CSimDeviceService: the main interface of the simulator.
#include "simulator/SimObjects.h"

#include "comserver/ComJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimResults.h"

#include <new>

namespace {

// Numbers that the device service accepts for the objects it hands out.
const long kLastAction = 2;
const long kLastProcedure = 9;
const long kLastCommand = 3;

enum CurrentText { TEXT_NAME, TEXT_DEVICE, TEXT_SETTINGS_NAME };

} // namespace

CSimDeviceService::CSimDeviceService()
    : SimObject("DeviceService", -1)
{
}

void* CSimDeviceService::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IDeviceService))
        return static_cast<IDeviceService*>(this);
    return NULL;
}

HRESULT CSimDeviceService::Reserved7() { return Reserved("IDeviceService", 7); }
HRESULT CSimDeviceService::Reserved8() { return Reserved("IDeviceService", 8); }
HRESULT CSimDeviceService::Reserved9() { return Reserved("IDeviceService", 9); }
HRESULT CSimDeviceService::Reserved10() { return Reserved("IDeviceService", 10); }
HRESULT CSimDeviceService::Reserved12() { return Reserved("IDeviceService", 12); }
HRESULT CSimDeviceService::Reserved21() { return Reserved("IDeviceService", 21); }
HRESULT CSimDeviceService::Reserved22() { return Reserved("IDeviceService", 22); }
HRESULT CSimDeviceService::Reserved23() { return Reserved("IDeviceService", 23); }
HRESULT CSimDeviceService::Reserved24() { return Reserved("IDeviceService", 24); }
HRESULT CSimDeviceService::Reserved28() { return Reserved("IDeviceService", 28); }
HRESULT CSimDeviceService::Reserved29() { return Reserved("IDeviceService", 29); }
HRESULT CSimDeviceService::Reserved31() { return Reserved("IDeviceService", 31); }
HRESULT CSimDeviceService::Reserved32() { return Reserved("IDeviceService", 32); }
HRESULT CSimDeviceService::Reserved33() { return Reserved("IDeviceService", 33); }
HRESULT CSimDeviceService::Reserved35() { return Reserved("IDeviceService", 35); }

HRESULT CSimDeviceService::GetDevices(IUnknown** ppDevices)
{
    SimCall call(this, "IDeviceService.GetDevices");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppDevices == NULL)
        return call.Done(E_POINTER);
    CSimDevices* devices = new (std::nothrow) CSimDevices();
    if (devices == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppDevices, devices);
}

HRESULT CSimDeviceService::GetCurrentDevice(long* pIdentity)
{
    SimCall call(this, "IDeviceService.GetCurrentDevice");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pIdentity == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pIdentity, SimModel::Get().identity, "identity");
}

HRESULT CSimDeviceService::SetCurrentDevice(long deviceId)
{
    SimCall call(this, "IDeviceService.SetCurrentDevice");
    call.Arg(deviceId);
    if (call.Blocked())
        return call.Done(call.Injected());
    SimModel& model = SimModel::Get();
    const int index = model.FindById(deviceId);
    if (index < 0)
        return call.Done(SIM_E_UNKNOWNDEVICE);
    model.MakeCurrent(index);
    call.Out(ComFormat("identity=%ld", model.identity));
    return call.Done(S_OK);
}

HRESULT CSimDeviceService::GetSettings(long settingsSet, IUnknown** ppSettings)
{
    SimCall call(this, "IDeviceService.GetSettings");
    call.Arg(settingsSet);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppSettings == NULL)
        return call.Done(E_POINTER);
    const int current = SimModel::Get().current;
    SimObject* settings = NULL;
    if (settingsSet == 1)
        settings = new (std::nothrow) CSimMemory(current);
    else if (settingsSet == 2)
        settings = new (std::nothrow) CSimDriverSettings(current);
    else
        return call.Done(E_INVALIDARG);
    if (settings == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppSettings, settings);
}

HRESULT CSimDeviceService::HandProcedure(const char* operation, char family, long number,
                                         IUnknown** pp)
{
    SimCall call(this, operation);
    call.Arg(number);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pp == NULL)
        return call.Done(E_POINTER);
    if (number < 1 || number > kLastProcedure)
        return call.Done(E_INVALIDARG);
    CSimProcedure* procedure = new (std::nothrow) CSimProcedure(family, number, SimModel::Get().current);
    if (procedure == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(pp, procedure);
}

HRESULT CSimDeviceService::GetOptionProcedure(long number, IUnknown** ppProcedure)
{
    return HandProcedure("IDeviceService.GetOptionProcedure", 'O', number, ppProcedure);
}

HRESULT CSimDeviceService::GetProcedureA(long number, IUnknown** ppProcedure)
{
    return HandProcedure("IDeviceService.GetProcedureA", 'A', number, ppProcedure);
}

HRESULT CSimDeviceService::GetProcedureB(long number, IUnknown** ppProcedure)
{
    return HandProcedure("IDeviceService.GetProcedureB", 'B', number, ppProcedure);
}

HRESULT CSimDeviceService::GetProcedureC(long number, IUnknown** ppProcedure)
{
    return HandProcedure("IDeviceService.GetProcedureC", 'C', number, ppProcedure);
}

HRESULT CSimDeviceService::GetReport(long number, IUnknown** ppReport)
{
    SimCall call(this, "IDeviceService.GetReport");
    call.Arg(number);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppReport == NULL)
        return call.Done(E_POINTER);
    if (number < kFirstReport || number > kLastReport)
        return call.Done(E_INVALIDARG);
    CSimReport* report = new (std::nothrow) CSimReport(number, SimModel::Get().current);
    if (report == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppReport, report);
}

HRESULT CSimDeviceService::GetAction(long kind, IUnknown** ppAction)
{
    SimCall call(this, "IDeviceService.GetAction");
    call.Arg(kind);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppAction == NULL)
        return call.Done(E_POINTER);
    if (kind < 1 || kind > kLastAction)
        return call.Done(E_INVALIDARG);
    CSimAction* action = new (std::nothrow) CSimAction(kind, SimModel::Get().current);
    if (action == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppAction, action);
}

HRESULT CSimDeviceService::GetDeviceTasks(IUnknown** ppTasks)
{
    SimCall call(this, "IDeviceService.GetDeviceTasks");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppTasks == NULL)
        return call.Done(E_POINTER);
    CSimTasks* tasks = new (std::nothrow) CSimTasks(SimModel::Get().current);
    if (tasks == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppTasks, tasks);
}

HRESULT CSimDeviceService::GetCommand(long number, IUnknown** ppCommand)
{
    SimCall call(this, "IDeviceService.GetCommand");
    call.Arg(number);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (ppCommand == NULL)
        return call.Done(E_POINTER);
    if (number < 1 || number > kLastCommand)
        return call.Done(E_INVALIDARG);
    CSimCommand* command = new (std::nothrow) CSimCommand(number, SimModel::Get().current);
    if (command == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppCommand, command);
}

HRESULT CSimDeviceService::HandCurrentText(const char* operation, int field, BSTR* pText)
{
    SimCall call(this, operation);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pText == NULL)
        return call.Done(E_POINTER);
    const SimModel& model = SimModel::Get();
    if (model.current < 0)
        return call.Done(SIM_E_NODEVICE);
    const SimDevice& d = model.devices[model.current];
    const std::string& text = field == TEXT_NAME ? d.name
                              : field == TEXT_DEVICE ? d.deviceText : d.settingsName;
    return call.HandString(pText, text);
}

HRESULT CSimDeviceService::GetSettingsDeviceName(BSTR* pName)
{
    return HandCurrentText("IDeviceService.GetSettingsDeviceName", TEXT_SETTINGS_NAME, pName);
}

HRESULT CSimDeviceService::GetDeviceText(BSTR* pText)
{
    return HandCurrentText("IDeviceService.GetDeviceText", TEXT_DEVICE, pText);
}

HRESULT CSimDeviceService::GetCurrentDeviceName(BSTR* pName)
{
    return HandCurrentText("IDeviceService.GetCurrentDeviceName", TEXT_NAME, pName);
}
