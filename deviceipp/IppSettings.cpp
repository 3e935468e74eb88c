// IppSettings.cpp - CIppDriverSettings: the driver settings of one printer.
// Job defaults are read from the monitor's cache (the printer's last
// answer) and written to the printer (PrinterMonitor::WritePrinterSetting);
// the settings with no IPP counterpart come from the service's state file
// (LocalSettings). SettingsMap.h says which is which.
#include "deviceipp/IppObjects.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"
#include "deviceipp/SettingsMap.h"

CIppDriverSettings::CIppDriverSettings(long id)
    : IppObject("DriverSettings"), m_id(id)
{
}

void* CIppDriverSettings::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDriverSettings))
        return static_cast<IServiceDriverSettings*>(this);
    return NULL;
}

HRESULT CIppDriverSettings::Get(int which, long* pValue)
{
    IppCall call(this, (std::string("IServiceDriverSettings.Get") + SettingName(which)).c_str());
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValue == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    if (!IsPrinterSetting(which))
        return call.HandNumber(pValue, Monitor().Local().Get(printer.uri, which));
    // The printer's last answer, also while it does not answer now; nothing
    // before its first answer.
    if (!printer.answered)
        return call.Done(DEVIPP_E_NOTREACHABLE);
    return call.HandNumber(pValue, ReadSetting(which, printer.facts));
}

HRESULT CIppDriverSettings::Set(int which, long value)
{
    IppCall call(this, (std::string("IServiceDriverSettings.Set") + SettingName(which)).c_str());
    call.Arg(value);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    PrinterView printer;
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    if (!IsPrinterSetting(which)) {
        call.Out("printer=" + printer.uri + " (kept by the service)");
        return call.Done(Monitor().Local().Set(printer.uri, which, value != 0 ? 1 : 0));
    }
    std::string note;
    const HRESULT hr = Monitor().WritePrinterSetting(m_id, which, value, note);
    call.Out(note);
    return call.Done(hr);
}

HRESULT CIppDriverSettings::GetDefault(int which, long* pValue)
{
    IppCall call(this, (std::string("IServiceDriverSettings.GetDefault") + SettingName(which)).c_str());
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValue == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    return call.HandNumber(pValue, DefaultSetting(which, printer.answered ? &printer.facts : NULL));
}

HRESULT CIppDriverSettings::GetNumberMax(long* pValue)
{
    IppCall call(this, "IServiceDriverSettings.GetNumberMax");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pValue == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (m_id == 0)
        return call.Done(DEVIPP_E_NODEVICE);
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    if (!printer.answered)
        return call.Done(DEVIPP_E_NOTREACHABLE);
    return call.HandNumber(pValue, CopiesMax(printer.facts));
}

HRESULT CIppDriverSettings::SetDevice(BSTR deviceName)
{
    IppCall call(this, "IServiceDriverSettings.SetDevice");
    call.ArgBstr(deviceName);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    long id = 0;
    if (deviceName == NULL || !Monitor().FindByUri(Utf8FromBstr(deviceName), id))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    m_id = id;
    Monitor().RefreshSoon(id, PrinterMonitor::kFreshMs);
    call.Out(ComFormat("id=%ld", id));
    return call.Done(S_OK);
}

HRESULT CIppDriverSettings::Reserved23() { return Reserved("IServiceDriverSettings", 23); }
HRESULT CIppDriverSettings::Reserved24() { return Reserved("IServiceDriverSettings", 24); }
HRESULT CIppDriverSettings::Reserved27() { return Reserved("IServiceDriverSettings", 27); }
HRESULT CIppDriverSettings::Reserved28() { return Reserved("IServiceDriverSettings", 28); }
HRESULT CIppDriverSettings::Reserved52() { return Reserved("IServiceDriverSettings", 52); }
HRESULT CIppDriverSettings::Reserved54() { return Reserved("IServiceDriverSettings", 54); }
HRESULT CIppDriverSettings::Reserved61() { return Reserved("IServiceDriverSettings", 61); }

HRESULT CIppDriverSettings::GetOption1(long* p) { return Get(SET_OPTION1, p); }
HRESULT CIppDriverSettings::GetOption2(long* p) { return Get(SET_OPTION2, p); }
HRESULT CIppDriverSettings::GetOption3(long* p) { return Get(SET_OPTION3, p); }
HRESULT CIppDriverSettings::GetOption4(long* p) { return Get(SET_OPTION4, p); }
HRESULT CIppDriverSettings::GetOption5(long* p) { return Get(SET_OPTION5, p); }
HRESULT CIppDriverSettings::GetOption6(long* p) { return Get(SET_OPTION6, p); }
HRESULT CIppDriverSettings::GetOption7(long* p) { return Get(SET_OPTION7, p); }
HRESULT CIppDriverSettings::GetOption8(long* p) { return Get(SET_OPTION8, p); }
HRESULT CIppDriverSettings::GetOption9(long* p) { return Get(SET_OPTION9, p); }
HRESULT CIppDriverSettings::GetOption10(long* p) { return Get(SET_OPTION10, p); }
HRESULT CIppDriverSettings::GetOption11(long* p) { return Get(SET_OPTION11, p); }
HRESULT CIppDriverSettings::GetOption12(long* p) { return Get(SET_OPTION12, p); }
HRESULT CIppDriverSettings::GetOption13(long* p) { return Get(SET_OPTION13, p); }
HRESULT CIppDriverSettings::GetNumber(long* p) { return Get(SET_NUMBER, p); }
HRESULT CIppDriverSettings::GetChoice(long* p) { return Get(SET_CHOICE, p); }
HRESULT CIppDriverSettings::GetSwitch(long* p) { return Get(SET_SWITCH, p); }

HRESULT CIppDriverSettings::SetOption1(long v) { return Set(SET_OPTION1, v); }
HRESULT CIppDriverSettings::SetOption2(long v) { return Set(SET_OPTION2, v); }
HRESULT CIppDriverSettings::SetOption3(long v) { return Set(SET_OPTION3, v); }
HRESULT CIppDriverSettings::SetOption4(long v) { return Set(SET_OPTION4, v); }
HRESULT CIppDriverSettings::SetOption5(long v) { return Set(SET_OPTION5, v); }
HRESULT CIppDriverSettings::SetOption6(long v) { return Set(SET_OPTION6, v); }
HRESULT CIppDriverSettings::SetOption7(long v) { return Set(SET_OPTION7, v); }
HRESULT CIppDriverSettings::SetOption8(long v) { return Set(SET_OPTION8, v); }
HRESULT CIppDriverSettings::SetOption9(long v) { return Set(SET_OPTION9, v); }
HRESULT CIppDriverSettings::SetOption10(long v) { return Set(SET_OPTION10, v); }
HRESULT CIppDriverSettings::SetOption11(long v) { return Set(SET_OPTION11, v); }
HRESULT CIppDriverSettings::SetOption12(long v) { return Set(SET_OPTION12, v); }
HRESULT CIppDriverSettings::SetOption13(long v) { return Set(SET_OPTION13, v); }
HRESULT CIppDriverSettings::SetNumber(long v) { return Set(SET_NUMBER, v); }
HRESULT CIppDriverSettings::SetChoice(short v) { return Set(SET_CHOICE, v); }
HRESULT CIppDriverSettings::SetSwitch(long v) { return Set(SET_SWITCH, v); }

HRESULT CIppDriverSettings::GetDefaultOption1(long* p) { return GetDefault(SET_OPTION1, p); }
HRESULT CIppDriverSettings::GetDefaultOption2(long* p) { return GetDefault(SET_OPTION2, p); }
HRESULT CIppDriverSettings::GetDefaultOption3(long* p) { return GetDefault(SET_OPTION3, p); }
HRESULT CIppDriverSettings::GetDefaultOption4(long* p) { return GetDefault(SET_OPTION4, p); }
HRESULT CIppDriverSettings::GetDefaultOption5(long* p) { return GetDefault(SET_OPTION5, p); }
HRESULT CIppDriverSettings::GetDefaultOption6(long* p) { return GetDefault(SET_OPTION6, p); }
HRESULT CIppDriverSettings::GetDefaultOption7(long* p) { return GetDefault(SET_OPTION7, p); }
HRESULT CIppDriverSettings::GetDefaultOption8(long* p) { return GetDefault(SET_OPTION8, p); }
HRESULT CIppDriverSettings::GetDefaultOption9(long* p) { return GetDefault(SET_OPTION9, p); }
HRESULT CIppDriverSettings::GetDefaultOption10(long* p) { return GetDefault(SET_OPTION10, p); }
HRESULT CIppDriverSettings::GetDefaultOption11(long* p) { return GetDefault(SET_OPTION11, p); }
HRESULT CIppDriverSettings::GetDefaultOption12(long* p) { return GetDefault(SET_OPTION12, p); }
HRESULT CIppDriverSettings::GetDefaultOption13(long* p) { return GetDefault(SET_OPTION13, p); }
HRESULT CIppDriverSettings::GetDefaultNumber(long* p) { return GetDefault(SET_NUMBER, p); }
HRESULT CIppDriverSettings::GetDefaultChoice(long* p) { return GetDefault(SET_CHOICE, p); }
HRESULT CIppDriverSettings::GetDefaultSwitch(long* p) { return GetDefault(SET_SWITCH, p); }
