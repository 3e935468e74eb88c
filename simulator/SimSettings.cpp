// SimSettings.cpp - CSimMemory (settings set 1: memory locations) and
// CSimDriverSettings (settings set 2: the sixteen driver settings).
#include "simulator/SimObjects.h"

#include "comserver/ComJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimResults.h"

namespace {

// The integer VARIANT types that WriteValue coerces to VT_I4.
bool IsIntegerType(VARTYPE type)
{
    switch (type & ~VT_BYREF) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8:
        return true;
    default:
        return false;
    }
}

int Option(int number)
{
    return SET_OPTION1 + number - 1;
}

} // namespace

// ---------------------------------------------------------------------------
// CSimMemory
// ---------------------------------------------------------------------------

CSimMemory::CSimMemory(int device)
    : SimObject("Memory", device)
{
}

void* CSimMemory::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceMemory))
        return static_cast<IServiceMemory*>(this);
    return NULL;
}

HRESULT CSimMemory::Reserved7() { return Reserved("IServiceMemory", 7); }
HRESULT CSimMemory::Reserved8() { return Reserved("IServiceMemory", 8); }
HRESULT CSimMemory::Reserved9() { return Reserved("IServiceMemory", 9); }
HRESULT CSimMemory::Reserved13() { return Reserved("IServiceMemory", 13); }
HRESULT CSimMemory::Reserved14() { return Reserved("IServiceMemory", 14); }

HRESULT CSimMemory::CheckLocation(long location) const
{
    if (m_device < 0)
        return SIM_E_NODEVICE;
    if (!SimModel::LocationInRange(location))
        return E_INVALIDARG;
    if (!SimModel::Get().LocationAvailable(m_device, location))
        return SIM_E_UNAVAILABLE;
    return S_OK;
}

HRESULT CSimMemory::ReadValue(long location, VARIANT* pValue)
{
    SimCall call(this, "IServiceMemory.ReadValue");
    call.Arg(location);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    const HRESULT hr = CheckLocation(location);
    if (FAILED(hr))
        return call.Done(hr);
    return call.HandVariant(pValue, SimModel::Get().Value(m_device, location));
}

HRESULT CSimMemory::WriteValue(long location, VARIANT value)
{
    SimCall call(this, "IServiceMemory.WriteValue");
    call.Arg(location);
    call.ArgVariant(value);
    if (call.Blocked())
        return call.Done(call.Injected());
    const HRESULT hr = CheckLocation(location);
    if (FAILED(hr))
        return call.Done(hr);
    if (!IsIntegerType(value.vt))
        return call.Done(DISP_E_TYPEMISMATCH);
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT changed = VariantChangeType(&converted, &value, 0, VT_I4);
    if (FAILED(changed))
        return call.Done(changed);
    if (converted.lVal < 0 || converted.lVal > kMaxValue)
        return call.Done(DISP_E_OVERFLOW);
    SimModel::Get().WriteValue(m_device, location, converted.lVal);
    call.Out(ComFormat("stored=%ld", static_cast<long>(converted.lVal)));
    return call.Done(S_OK);
}

HRESULT CSimMemory::GetDefaultValue(long location, VARIANT* pValue)
{
    SimCall call(this, "IServiceMemory.GetDefaultValue");
    call.Arg(location);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    const HRESULT hr = CheckLocation(location);
    if (FAILED(hr))
        return call.Done(hr);
    return call.HandVariant(pValue, SimModel::Get().DefaultValue(m_device, location));
}

HRESULT CSimMemory::IsValidLocation(long location, long* pValid)
{
    SimCall call(this, "IServiceMemory.IsValidLocation");
    call.Arg(location);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValid == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    const bool valid = SimModel::Get().LocationAvailable(m_device, location);
    return call.HandNumber(pValid, valid ? 1 : 0, "valid");
}

// ---------------------------------------------------------------------------
// CSimDriverSettings
// ---------------------------------------------------------------------------

CSimDriverSettings::CSimDriverSettings(int device)
    : SimObject("DriverSettings", device)
{
}

void* CSimDriverSettings::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDriverSettings))
        return static_cast<IServiceDriverSettings*>(this);
    return NULL;
}

HRESULT CSimDriverSettings::Get(int which, long* pValue)
{
    const std::string operation = std::string("IServiceDriverSettings.Get") + SettingName(which);
    SimCall call(this, operation.c_str());
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    return call.HandNumber(pValue, SimModel::Get().Setting(m_device, which), "value");
}

HRESULT CSimDriverSettings::Set(int which, long value)
{
    const std::string operation = std::string("IServiceDriverSettings.Set") + SettingName(which);
    SimCall call(this, operation.c_str());
    call.Arg(value);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    SimModel::Get().SetSetting(m_device, which, value);
    return call.Done(S_OK);
}

HRESULT CSimDriverSettings::GetDefault(int which, long* pValue)
{
    const std::string operation = std::string("IServiceDriverSettings.GetDefault") + SettingName(which);
    SimCall call(this, operation.c_str());
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    return call.HandNumber(pValue, SimModel::Get().devices[m_device].settingDefaults[which], "value");
}

HRESULT CSimDriverSettings::GetNumberMax(long* pValue)
{
    SimCall call(this, "IServiceDriverSettings.GetNumberMax");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    if (m_device < 0)
        return call.Done(SIM_E_NODEVICE);
    return call.HandNumber(pValue, SimModel::Get().devices[m_device].numberMax, "value");
}

HRESULT CSimDriverSettings::SetDevice(BSTR deviceName)
{
    SimCall call(this, "IServiceDriverSettings.SetDevice");
    call.ArgBstr(deviceName);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (deviceName == NULL)
        return call.Done(E_INVALIDARG);
    const int index = SimModel::Get().FindBySettingsName(
        AnsiFromWide(deviceName, SysStringLen(deviceName)));
    if (index < 0)
        return call.Done(SIM_E_UNKNOWNDEVICE);
    m_device = index;
    return call.Done(S_OK);
}

HRESULT CSimDriverSettings::Reserved23() { return Reserved("IServiceDriverSettings", 23); }
HRESULT CSimDriverSettings::Reserved24() { return Reserved("IServiceDriverSettings", 24); }
HRESULT CSimDriverSettings::Reserved27() { return Reserved("IServiceDriverSettings", 27); }
HRESULT CSimDriverSettings::Reserved28() { return Reserved("IServiceDriverSettings", 28); }
HRESULT CSimDriverSettings::Reserved52() { return Reserved("IServiceDriverSettings", 52); }
HRESULT CSimDriverSettings::Reserved54() { return Reserved("IServiceDriverSettings", 54); }
HRESULT CSimDriverSettings::Reserved61() { return Reserved("IServiceDriverSettings", 61); }

HRESULT CSimDriverSettings::GetOption1(long* p) { return Get(Option(1), p); }
HRESULT CSimDriverSettings::GetOption2(long* p) { return Get(Option(2), p); }
HRESULT CSimDriverSettings::GetOption3(long* p) { return Get(Option(3), p); }
HRESULT CSimDriverSettings::GetOption4(long* p) { return Get(Option(4), p); }
HRESULT CSimDriverSettings::GetOption5(long* p) { return Get(Option(5), p); }
HRESULT CSimDriverSettings::GetOption6(long* p) { return Get(Option(6), p); }
HRESULT CSimDriverSettings::GetOption7(long* p) { return Get(Option(7), p); }
HRESULT CSimDriverSettings::GetOption8(long* p) { return Get(Option(8), p); }
HRESULT CSimDriverSettings::GetOption9(long* p) { return Get(Option(9), p); }
HRESULT CSimDriverSettings::GetOption10(long* p) { return Get(Option(10), p); }
HRESULT CSimDriverSettings::GetOption11(long* p) { return Get(Option(11), p); }
HRESULT CSimDriverSettings::GetOption12(long* p) { return Get(Option(12), p); }
HRESULT CSimDriverSettings::GetOption13(long* p) { return Get(Option(13), p); }
HRESULT CSimDriverSettings::GetNumber(long* p) { return Get(SET_NUMBER, p); }
HRESULT CSimDriverSettings::GetChoice(long* p) { return Get(SET_CHOICE, p); }
HRESULT CSimDriverSettings::GetSwitch(long* p) { return Get(SET_SWITCH, p); }

HRESULT CSimDriverSettings::SetOption1(long v) { return Set(Option(1), v); }
HRESULT CSimDriverSettings::SetOption2(long v) { return Set(Option(2), v); }
HRESULT CSimDriverSettings::SetOption3(long v) { return Set(Option(3), v); }
HRESULT CSimDriverSettings::SetOption4(long v) { return Set(Option(4), v); }
HRESULT CSimDriverSettings::SetOption5(long v) { return Set(Option(5), v); }
HRESULT CSimDriverSettings::SetOption6(long v) { return Set(Option(6), v); }
HRESULT CSimDriverSettings::SetOption7(long v) { return Set(Option(7), v); }
HRESULT CSimDriverSettings::SetOption8(long v) { return Set(Option(8), v); }
HRESULT CSimDriverSettings::SetOption9(long v) { return Set(Option(9), v); }
HRESULT CSimDriverSettings::SetOption10(long v) { return Set(Option(10), v); }
HRESULT CSimDriverSettings::SetOption11(long v) { return Set(Option(11), v); }
HRESULT CSimDriverSettings::SetOption12(long v) { return Set(Option(12), v); }
HRESULT CSimDriverSettings::SetOption13(long v) { return Set(Option(13), v); }
HRESULT CSimDriverSettings::SetNumber(long v) { return Set(SET_NUMBER, v); }
HRESULT CSimDriverSettings::SetChoice(short v) { return Set(SET_CHOICE, v); }
HRESULT CSimDriverSettings::SetSwitch(long v) { return Set(SET_SWITCH, v); }

HRESULT CSimDriverSettings::GetDefaultOption1(long* p) { return GetDefault(Option(1), p); }
HRESULT CSimDriverSettings::GetDefaultOption2(long* p) { return GetDefault(Option(2), p); }
HRESULT CSimDriverSettings::GetDefaultOption3(long* p) { return GetDefault(Option(3), p); }
HRESULT CSimDriverSettings::GetDefaultOption4(long* p) { return GetDefault(Option(4), p); }
HRESULT CSimDriverSettings::GetDefaultOption5(long* p) { return GetDefault(Option(5), p); }
HRESULT CSimDriverSettings::GetDefaultOption6(long* p) { return GetDefault(Option(6), p); }
HRESULT CSimDriverSettings::GetDefaultOption7(long* p) { return GetDefault(Option(7), p); }
HRESULT CSimDriverSettings::GetDefaultOption8(long* p) { return GetDefault(Option(8), p); }
HRESULT CSimDriverSettings::GetDefaultOption9(long* p) { return GetDefault(Option(9), p); }
HRESULT CSimDriverSettings::GetDefaultOption10(long* p) { return GetDefault(Option(10), p); }
HRESULT CSimDriverSettings::GetDefaultOption11(long* p) { return GetDefault(Option(11), p); }
HRESULT CSimDriverSettings::GetDefaultOption12(long* p) { return GetDefault(Option(12), p); }
HRESULT CSimDriverSettings::GetDefaultOption13(long* p) { return GetDefault(Option(13), p); }
HRESULT CSimDriverSettings::GetDefaultNumber(long* p) { return GetDefault(SET_NUMBER, p); }
HRESULT CSimDriverSettings::GetDefaultChoice(long* p) { return GetDefault(SET_CHOICE, p); }
HRESULT CSimDriverSettings::GetDefaultSwitch(long* p) { return GetDefault(SET_SWITCH, p); }
