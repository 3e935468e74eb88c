// IppService.cpp - IppObject, IppCall and CIppDeviceService: the main
// interface of the IPP device service.
#include "deviceipp/IppObjects.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"

#include <new>

// ---------------------------------------------------------------------------
// IppObject, IppCall and the string helpers
// ---------------------------------------------------------------------------

IppObject::IppObject(const char* kind)
    : ComObject(kind), m_monitor(PrinterMonitor::Acquire())
{
}

void IppObject::LastReleased()
{
    if (m_monitor != NULL) {
        PrinterMonitor* monitor = m_monitor;
        m_monitor = NULL;
        monitor->Release();
    }
}

BSTR BstrFromUtf8(const std::string& text)
{
    if (text.empty())
        return SysAllocStringLen(L"", 0);
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    if (length <= 0)
        return BstrFromAnsi(text);      // not UTF-8: take it as ANSI
    BSTR result = SysAllocStringLen(NULL, static_cast<UINT>(length));
    if (result != NULL)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

std::string Utf8FromBstr(BSTR text)
{
    if (text == NULL)
        return std::string();
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0)
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
    if (bytes <= 0)
        return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], bytes, NULL, NULL);
    return out;
}

HRESULT IppCall::HandString(BSTR* out, const std::string& text)
{
    *out = BstrFromUtf8(text);
    if (*out == NULL)
        return Done(E_OUTOFMEMORY);
    Out("value=" + JournalText(text));
    return Done(S_OK);
}

HRESULT IppCall::HandNumber(long* out, long value)
{
    *out = value;
    Out(ComFormat("value=%ld", value));
    return Done(S_OK);
}

HRESULT IppCall::HandVariant(VARIANT* out, long value, const std::string& note)
{
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    Out(ComFormat("value=%ld", value) + (note.empty() ? "" : " " + note));
    return Done(S_OK);
}

HRESULT IppCall::HandObject(IUnknown** out, ComObject* made)
{
    *out = made->Unknown();
    Out("object=" + made->Name());
    return Done(S_OK);
}

// ---------------------------------------------------------------------------
// CIppDeviceService
// ---------------------------------------------------------------------------

CIppDeviceService::CIppDeviceService()
    : IppObject("DeviceService")
{
}

void* CIppDeviceService::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IDeviceService))
        return static_cast<IDeviceService*>(this);
    return NULL;
}

HRESULT CIppDeviceService::Reserved7() { return Reserved("IDeviceService", 7); }
HRESULT CIppDeviceService::Reserved8() { return Reserved("IDeviceService", 8); }
HRESULT CIppDeviceService::Reserved9() { return Reserved("IDeviceService", 9); }
HRESULT CIppDeviceService::Reserved10() { return Reserved("IDeviceService", 10); }
HRESULT CIppDeviceService::Reserved12() { return Reserved("IDeviceService", 12); }
HRESULT CIppDeviceService::Reserved21() { return Reserved("IDeviceService", 21); }
HRESULT CIppDeviceService::Reserved22() { return Reserved("IDeviceService", 22); }
HRESULT CIppDeviceService::Reserved23() { return Reserved("IDeviceService", 23); }
HRESULT CIppDeviceService::Reserved24() { return Reserved("IDeviceService", 24); }
HRESULT CIppDeviceService::Reserved28() { return Reserved("IDeviceService", 28); }
HRESULT CIppDeviceService::Reserved29() { return Reserved("IDeviceService", 29); }
HRESULT CIppDeviceService::Reserved31() { return Reserved("IDeviceService", 31); }
HRESULT CIppDeviceService::Reserved32() { return Reserved("IDeviceService", 32); }
HRESULT CIppDeviceService::Reserved33() { return Reserved("IDeviceService", 33); }
HRESULT CIppDeviceService::Reserved35() { return Reserved("IDeviceService", 35); }

HRESULT CIppDeviceService::GetDevices(IUnknown** ppDevices)
{
    IppCall call(this, "IDeviceService.GetDevices");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (ppDevices == NULL)
        return call.Done(E_POINTER);
    *ppDevices = NULL;
    // The first call after the start waits, with a bound, for the first answers.
    Monitor().WaitForFirstRound();
    CIppDevices* devices = new (std::nothrow) CIppDevices();
    if (devices == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppDevices, devices);
}

HRESULT CIppDeviceService::GetCurrentDevice(long* pIdentity)
{
    IppCall call(this, "IDeviceService.GetCurrentDevice");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pIdentity == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pIdentity, Monitor().Identity());
}

HRESULT CIppDeviceService::SetCurrentDevice(long deviceId)
{
    IppCall call(this, "IDeviceService.SetCurrentDevice");
    call.Arg(deviceId);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    PrinterView printer;
    if (!Monitor().View(deviceId, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    Monitor().MakeCurrent(deviceId);
    call.Out(ComFormat("identity=%ld printer=", Monitor().Identity()) + printer.uri);
    return call.Done(S_OK);
}

HRESULT CIppDeviceService::GetSettings(long settingsSet, IUnknown** ppSettings)
{
    IppCall call(this, "IDeviceService.GetSettings");
    call.Arg(settingsSet);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (ppSettings == NULL)
        return call.Done(E_POINTER);
    *ppSettings = NULL;
    if (settingsSet == 1) {
        // The memory locations: the printer's numbers, read only.
        CIppMemory* memory = new (std::nothrow) CIppMemory(Monitor().CurrentId());
        if (memory == NULL)
            return call.Done(E_OUTOFMEMORY);
        return call.HandObject(ppSettings, memory);
    }
    if (settingsSet != 2)
        return call.Done(E_INVALIDARG);
    CIppDriverSettings* settings = new (std::nothrow) CIppDriverSettings(Monitor().CurrentId());
    if (settings == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppSettings, settings);
}

HRESULT CIppDeviceService::GetOptionProcedure(long number, IUnknown** ppProcedure)
{
    return HandWork("IDeviceService.GetOptionProcedure", 'O', number, ppProcedure);
}

HRESULT CIppDeviceService::GetReport(long number, IUnknown** ppReport)
{
    return HandWork("IDeviceService.GetReport", 'R', number, ppReport);
}

HRESULT CIppDeviceService::GetAction(long kind, IUnknown** ppAction)
{
    return HandWork("IDeviceService.GetAction", 'M', kind, ppAction);
}

HRESULT CIppDeviceService::GetDeviceTasks(IUnknown** ppTasks)
{
    // The Tasks page asks once for its whole life, maybe before a printer is
    // current: the object works on the printer current when a task starts.
    IppCall call(this, "IDeviceService.GetDeviceTasks");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (ppTasks == NULL)
        return call.Done(E_POINTER);
    *ppTasks = NULL;
    CIppTasks* tasks = new (std::nothrow) CIppTasks();
    if (tasks == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandObject(ppTasks, tasks);
}

HRESULT CIppDeviceService::GetCommand(long number, IUnknown** ppCommand)
{
    return HandWork("IDeviceService.GetCommand", 'K', number, ppCommand);
}

HRESULT CIppDeviceService::GetProcedureA(long number, IUnknown** ppProcedure)
{
    return HandWork("IDeviceService.GetProcedureA", 'A', number, ppProcedure);
}

HRESULT CIppDeviceService::GetProcedureB(long number, IUnknown** ppProcedure)
{
    return HandWork("IDeviceService.GetProcedureB", 'B', number, ppProcedure);
}

HRESULT CIppDeviceService::GetProcedureC(long number, IUnknown** ppProcedure)
{
    return HandWork("IDeviceService.GetProcedureC", 'C', number, ppProcedure);
}

HRESULT CIppDeviceService::HandCurrentText(const char* operation, CurrentText which, BSTR* pText)
{
    IppCall call(this, operation);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pText == NULL)
        return call.Done(E_POINTER);
    *pText = NULL;
    PrinterView printer;
    if (Monitor().CurrentId() == 0 || !Monitor().View(Monitor().CurrentId(), printer))
        return call.Done(DEVIPP_E_NODEVICE);
    const std::string text = which == TEXT_NAME     ? printer.name
                             : which == TEXT_DEVICE ? DeviceText(printer, GetTickCount())
                                                    : printer.uri;
    return call.HandString(pText, text);
}

HRESULT CIppDeviceService::GetSettingsDeviceName(BSTR* pName)
{
    return HandCurrentText("IDeviceService.GetSettingsDeviceName", TEXT_SETTINGS_NAME, pName);
}

HRESULT CIppDeviceService::GetDeviceText(BSTR* pText)
{
    return HandCurrentText("IDeviceService.GetDeviceText", TEXT_DEVICE, pText);
}

HRESULT CIppDeviceService::GetCurrentDeviceName(BSTR* pName)
{
    return HandCurrentText("IDeviceService.GetCurrentDeviceName", TEXT_NAME, pName);
}
