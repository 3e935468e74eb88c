// SimFaultTest.cpp - each fault injection switch of the configuration: failed
// calls, objects handed out with a failure or not at all, refused interfaces,
// null and very long strings, extreme numbers, VARIANTs of the wrong type, and
// rules limited to the n-th call.
#include "SimHarness.h"

#include <limits.h>

namespace {

class SimFault : public SimTest
{
protected:
    // The two-device fleet plus these fault lines; Alpha made current.
    void Start(const std::string& faults)
    {
        UseConfig(TwoDeviceConfig() + faults);
        Load();
        if (Service() != NULL)
            MakeCurrent(kAlphaId);
    }

    HRESULT Devices(ComRef<IServiceDevices>& devices)
    {
        ComRef<IUnknown> object;
        HRESULT hr = Service()->GetDevices(object.Out());
        if (SUCCEEDED(hr))
            hr = devices.QueryFrom(object.Get(), IID_IServiceDevices);
        return hr;
    }

    HRESULT Device(long key, ComRef<IServiceDevice>& device)
    {
        ComRef<IServiceDevices> devices;
        HRESULT hr = Devices(devices);
        if (FAILED(hr))
            return hr;
        VARIANT item;
        VariantInit(&item);
        hr = devices->Item(key, &item);
        if (SUCCEEDED(hr))
            hr = device.QueryFrom(item.punkVal, IID_IServiceDevice);
        VariantClear(&item);
        return hr;
    }
};

} // namespace

TEST_F(SimFault, FailReturnsTheInjectedResultAndHandsOutNothing)
{
    Start("fault IDeviceService.GetReport fail\n");
    ComRef<IUnknown> object;
    EXPECT_EQ(SIM_E_INJECTED, Service()->GetReport(1, object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));
    EXPECT_NE(std::string::npos, LastJournalLine().find("(fault, line 4)")) << LastJournalLine();
    EXPECT_EQ(SIM_E_INJECTED, Service()->GetReport(2, object.Out())) << "every call";
    EXPECT_EQ(S_OK, Service()->GetAction(1, object.Out())) << "other operations are untouched";
}

TEST_F(SimFault, ACustomResultLimitedToTheSecondCall)
{
    Start("fault IDeviceService.GetAction fail 0x80004005 call=2\n");
    ComRef<IUnknown> object;
    EXPECT_EQ(S_OK, Service()->GetAction(1, object.Out()));
    EXPECT_EQ(E_FAIL, Service()->GetAction(1, object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));
    EXPECT_EQ(S_OK, Service()->GetAction(1, object.Out()));
}

TEST_F(SimFault, AFailedSetterOrWriteChangesNothing)
{
    Start("fault IServiceDriverSettings.SetNumber fail\nfault IServiceMemory.WriteValue fail\n");
    ComRef<IUnknown> object;
    ComRef<IServiceDriverSettings> settings;
    ASSERT_EQ(S_OK, Service()->GetSettings(2, object.Out()));
    ASSERT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));
    EXPECT_EQ(SIM_E_INJECTED, settings->SetNumber(5));
    long number = 0;
    EXPECT_EQ(S_OK, settings->GetNumber(&number));
    EXPECT_EQ(114, number);
    const long before = ReadMemory(20);
    EXPECT_EQ(SIM_E_INJECTED, WriteMemory(20, before + 1));
    EXPECT_EQ(before, ReadMemory(20));
}

TEST_F(SimFault, AFailedGetterWritesNothing)
{
    Start("fault IServiceDriverSettings.GetNumberMax fail\nfault IDeviceService.GetCurrentDevice fail call=1\n");
    ComRef<IUnknown> object;
    ComRef<IServiceDriverSettings> settings;
    ASSERT_EQ(S_OK, Service()->GetSettings(2, object.Out()));
    ASSERT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));
    long max = 1;
    EXPECT_EQ(SIM_E_INJECTED, settings->GetNumberMax(&max));
    EXPECT_EQ(1, max);
    long identity = 12345;
    EXPECT_EQ(SIM_E_INJECTED, Service()->GetCurrentDevice(&identity));
    EXPECT_EQ(12345, identity);
}

TEST_F(SimFault, FailObjectHandsOutTheObjectWithAFailure)
{
    Start("fault IDeviceService.GetAction failobject\n");
    ComRef<IUnknown> object;
    EXPECT_EQ(SIM_E_INJECTED, Service()->GetAction(1, object.Out()));
    ASSERT_TRUE(static_cast<bool>(object));
    ComRef<IServiceAction> action;
    EXPECT_EQ(S_OK, action.QueryFrom(object.Get(), IID_IServiceAction));
    action.Release();
    object.Release();
    EXPECT_EQ(S_OK, Unload()) << "the object's reference is the caller's to release";
}

TEST_F(SimFault, NoObjectSucceedsWithoutAnObject)
{
    Start("fault IDeviceService.GetDevices noobject call=1\nfault IServiceDevices.Item noobject call=2\n");
    ComRef<IUnknown> object;
    EXPECT_EQ(S_OK, Service()->GetDevices(object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));
    ComRef<IServiceDevices> devices;
    ASSERT_EQ(S_OK, Devices(devices));
    VARIANT item;
    VariantInit(&item);
    EXPECT_EQ(S_OK, devices->Item(1, &item));
    EXPECT_EQ(VT_DISPATCH, item.vt);
    EXPECT_TRUE(item.pdispVal != NULL);
    VariantClear(&item);
    EXPECT_EQ(S_OK, devices->Item(2, &item));
    EXPECT_EQ(VT_DISPATCH, item.vt);
    EXPECT_TRUE(item.pdispVal == NULL);
    VariantClear(&item);
    devices.Release();
    EXPECT_EQ(S_OK, Unload());
}

TEST_F(SimFault, RefuseAnInterface)
{
    Start("fault IServiceReport refuse\nfault IServiceDevice refuse call=1\n");
    ComRef<IUnknown> object;
    ASSERT_EQ(S_OK, Service()->GetReport(11, object.Out()));
    ComRef<IServiceReport> report;
    EXPECT_EQ(E_NOINTERFACE, report.QueryFrom(object.Get(), IID_IServiceReport));
    EXPECT_FALSE(static_cast<bool>(report));
    EXPECT_NE(std::string::npos, LastJournalLine().find("(refused)"));
    ComRef<IServiceReportOption> option;
    EXPECT_EQ(S_OK, option.QueryFrom(object.Get(), IID_IServiceReportOption));

    ComRef<IServiceDevice> device;
    EXPECT_EQ(E_NOINTERFACE, Device(1, device));
    EXPECT_EQ(S_OK, Device(1, device)) << "only the first query is refused";
}

TEST_F(SimFault, CreationFailsOrRefusesTheMainInterface)
{
    UseConfig(TwoDeviceConfig() + "fault IClassFactory.CreateInstance fail call=1\n"
              "fault IDeviceService refuse call=1\n");
    LoadModule();
    IDeviceService* service = NULL;
    EXPECT_EQ(SIM_E_INJECTED, CreateService(&service));
    EXPECT_TRUE(service == NULL);
    EXPECT_EQ(E_NOINTERFACE, CreateService(&service));
    EXPECT_TRUE(service == NULL);
    EXPECT_EQ(S_OK, CreateService(&service));
    ASSERT_TRUE(service != NULL);
    service->Release();
    EXPECT_EQ(S_OK, CanUnloadNow());
}

TEST_F(SimFault, NullAndLongStrings)
{
    Start("fault IServiceDevice.Name null\n"
          "fault IDeviceService.GetCurrentDeviceName long call=1\n"
          "fault IDeviceService.GetCurrentDeviceName long 100 call=2\n");
    ComRef<IServiceDevice> device;
    ASSERT_EQ(S_OK, Device(kAlphaId, device));
    BSTR name = reinterpret_cast<BSTR>(1);  // whatever was there before
    EXPECT_EQ(S_OK, device->Name(&name));
    EXPECT_TRUE(name == NULL);

    BstrHolder text;
    EXPECT_EQ(S_OK, Service()->GetCurrentDeviceName(text.Out()));
    EXPECT_EQ(1048576u, SysStringLen(text.Get()));
    const std::string ansi = text.Ansi();
    EXPECT_EQ(1048576u, ansi.size());
    EXPECT_EQ(0u, ansi.find("Alpha MFP"));
    EXPECT_NE(std::string::npos, LastJournalLine().find("...(1048576 chars)"));
    EXPECT_LT(LastJournalLine().size(), 300u) << "the journal shows long texts shortened";

    EXPECT_EQ(S_OK, Service()->GetCurrentDeviceName(text.Out()));
    EXPECT_EQ(100u, SysStringLen(text.Get()));
    EXPECT_EQ(S_OK, Service()->GetCurrentDeviceName(text.Out()));
    EXPECT_EQ("Alpha MFP", text.Ansi());
}

TEST_F(SimFault, ExtremeNumbers)
{
    Start("fault IDeviceService.GetCurrentDevice number max call=1\n"
          "fault IDeviceService.GetCurrentDevice number min call=2\n"
          "fault IDeviceService.GetCurrentDevice number 0 call=3\n"
          "fault IDeviceService.GetCurrentDevice number -1 call=4\n"
          "fault IServiceDevices.Count number -1\n"
          "fault IServiceDevice.Type number 6\n");
    const long expected[] = { LONG_MAX, LONG_MIN, 0, -1 };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(expected[i], CurrentIdentity()) << "call " << i + 1;
    EXPECT_EQ(1, CurrentIdentity()) << "the fifth call is real";
    EXPECT_EQ(-1, Count());
    ComRef<IServiceDevice> device;
    ASSERT_EQ(S_OK, Device(kBetaId, device));
    long type = 0;
    EXPECT_EQ(S_OK, device->Type(&type));
    EXPECT_EQ(6, type);
}

TEST_F(SimFault, VariantsOfTheWrongType)
{
    Start("fault IServiceMemory.ReadValue vartype bstr call=1\n"
          "fault IServiceMemory.ReadValue vartype i2 call=2\n"
          "fault IServiceMemory.ReadValue vartype empty call=3\n"
          "fault IServiceMemory.GetDefaultValue vartype r8\n");
    ComRef<IUnknown> object;
    ComRef<IServiceMemory> memory;
    ASSERT_EQ(S_OK, Service()->GetSettings(1, object.Out()));
    ASSERT_EQ(S_OK, memory.QueryFrom(object.Get(), IID_IServiceMemory));
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, memory->ReadValue(5, &value));
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_EQ("4321", AnsiFromBstr(value.bstrVal));
    VariantClear(&value);
    EXPECT_EQ(S_OK, memory->ReadValue(5, &value));
    EXPECT_EQ(VT_I2, value.vt);
    EXPECT_EQ(4321, value.iVal);
    VariantClear(&value);
    EXPECT_EQ(S_OK, memory->ReadValue(5, &value));
    EXPECT_EQ(VT_EMPTY, value.vt);
    EXPECT_EQ(S_OK, memory->ReadValue(5, &value));
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(4321, value.lVal);
    EXPECT_EQ(S_OK, memory->GetDefaultValue(5, &value));
    EXPECT_EQ(VT_R8, value.vt);
    EXPECT_EQ(4321.0, value.dblVal);
}

TEST_F(SimFault, ItemVariantsOfTheWrongType)
{
    Start("fault IServiceDevices.Item vartype unknown call=1\n"
          "fault IServiceDevices.Item vartype bstr call=2\n"
          "fault IServiceDevices.Item vartype i4 call=3\n");
    ComRef<IServiceDevices> devices;
    ASSERT_EQ(S_OK, Devices(devices));
    VARIANT item;
    VariantInit(&item);
    EXPECT_EQ(S_OK, devices->Item(kBetaId, &item));
    ASSERT_EQ(VT_UNKNOWN, item.vt);
    ComRef<IServiceDevice> device;
    EXPECT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
    device.Release();
    VariantClear(&item);
    EXPECT_EQ(S_OK, devices->Item(kBetaId, &item));
    ASSERT_EQ(VT_BSTR, item.vt);
    EXPECT_EQ("Beta MFP", AnsiFromBstr(item.bstrVal));
    VariantClear(&item);
    EXPECT_EQ(S_OK, devices->Item(kBetaId, &item));
    EXPECT_EQ(VT_I4, item.vt);
    EXPECT_EQ(kBetaId, item.lVal);
    VariantClear(&item);
    devices.Release();
    EXPECT_EQ(S_OK, Unload()) << "no object of a wrong-type answer is left behind";
}
