// SimVtableTest.cpp - pins every position of every interface: each named
// operation, called through its raw method-table position, gives what the
// declared method gives and what the configuration says, and the journal names
// the operation that ran. Reserved positions answer E_NOTIMPL.
#include "SimHarness.h"

#include <string>

namespace {

class SimVtable : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        UseConfig(TwoDeviceConfig());
        Load();
        MakeCurrent(kAlphaId);
    }

    // Gets an object from the service and queries it for T.
    template <class T>
    void Obtain(HRESULT got, ComRef<IUnknown>& object, REFIID iid, ComRef<T>& itf)
    {
        ASSERT_EQ(S_OK, got);
        ASSERT_EQ(S_OK, itf.QueryFrom(object.Get(), iid));
    }

    void ExpectReserved(void* itf, const char* interfaceName, int position)
    {
        EXPECT_EQ(E_NOTIMPL, RawCall(itf, position)) << interfaceName << " position " << position;
        EXPECT_EQ(0u, LastJournalLine().find(std::string(interfaceName) + ".Reserved"
                                             + std::to_string(position) + "("))
            << LastJournalLine();
    }
};

} // namespace

TEST_F(SimVtable, IUnknownAndIDispatchHoldPositionsZeroToSix)
{
    IDeviceService* s = Service();
    IDeviceService* again = NULL;
    EXPECT_EQ(S_OK, (RawCall<const IID*, void**>(s, 0, &IID_IDeviceService,
                                                  reinterpret_cast<void**>(&again))));
    EXPECT_EQ(s, again);
    EXPECT_EQ(3u, static_cast<unsigned>(RawCall(s, 1)));     // AddRef: the test's, QI's, this one
    EXPECT_EQ(2u, static_cast<unsigned>(RawCall(s, 2)));     // Release
    again->Release();
    UINT typeInfoCount = 99;
    EXPECT_EQ(S_OK, RawCall(s, 3, &typeInfoCount));
    EXPECT_EQ(0u, typeInfoCount);
}

TEST_F(SimVtable, DeviceServiceObjectOperations)
{
    IDeviceService* s = Service();
    ComRef<IUnknown> object;

    ASSERT_EQ(S_OK, RawCall(s, 11, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetDevices");
    ComRef<IServiceDevices> devices;
    EXPECT_EQ(S_OK, devices.QueryFrom(object.Get(), IID_IServiceDevices));

    ASSERT_EQ(S_OK, RawCall(s, 15, 1L, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetSettings");
    ComRef<IServiceMemory> memory;
    EXPECT_EQ(S_OK, memory.QueryFrom(object.Get(), IID_IServiceMemory));

    ASSERT_EQ(S_OK, RawCall(s, 15, 2L, object.Out()));
    ComRef<IServiceDriverSettings> settings;
    EXPECT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));

    ASSERT_EQ(S_OK, RawCall(s, 16, 4L, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetOptionProcedure");
    ComRef<IServiceProcedureOptions> options;
    EXPECT_EQ(S_OK, options.QueryFrom(object.Get(), IID_IServiceProcedureOptions));

    ASSERT_EQ(S_OK, RawCall(s, 17, 11L, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetReport");
    ComRef<IServiceReportOption> reportOption;
    EXPECT_EQ(S_OK, reportOption.QueryFrom(object.Get(), IID_IServiceReportOption));

    ASSERT_EQ(S_OK, RawCall(s, 18, 1L, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetAction");
    ComRef<IServiceAction> action;
    EXPECT_EQ(S_OK, action.QueryFrom(object.Get(), IID_IServiceAction));

    ASSERT_EQ(S_OK, RawCall(s, 19, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetDeviceTasks");
    ComRef<IServiceTasks> tasks;
    EXPECT_EQ(S_OK, tasks.QueryFrom(object.Get(), IID_IServiceTasks));

    ASSERT_EQ(S_OK, RawCall(s, 20, 1L, object.Out()));
    EXPECT_LAST_CALL("IDeviceService.GetCommand");
    ComRef<IServiceCommand> command;
    EXPECT_EQ(S_OK, command.QueryFrom(object.Get(), IID_IServiceCommand));

    const char* const procedures[] = { "IDeviceService.GetProcedureA", "IDeviceService.GetProcedureB",
                                       "IDeviceService.GetProcedureC" };
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(S_OK, RawCall(s, 25 + i, 2L, object.Out()));
        EXPECT_LAST_CALL(procedures[i]);
        ComRef<IServiceProcedure> procedure;
        EXPECT_EQ(S_OK, procedure.QueryFrom(object.Get(), IID_IServiceProcedure));
        ComRef<IServiceProcedureOptions> noOptions;
        EXPECT_EQ(E_NOINTERFACE, noOptions.QueryFrom(object.Get(), IID_IServiceProcedureOptions));
    }
}

TEST_F(SimVtable, DeviceServiceCurrentDeviceOperations)
{
    IDeviceService* s = Service();
    EXPECT_EQ(S_OK, RawCall(s, 14, kBetaId));
    EXPECT_LAST_CALL("IDeviceService.SetCurrentDevice");

    long rawIdentity = 0;
    long identity = 0;
    EXPECT_EQ(S_OK, RawCall(s, 13, &rawIdentity));
    EXPECT_LAST_CALL("IDeviceService.GetCurrentDevice");
    EXPECT_EQ(S_OK, s->GetCurrentDevice(&identity));
    EXPECT_NE(0, rawIdentity);
    EXPECT_EQ(identity, rawIdentity);

    struct Text { int position; const char* operation; const char* expected;
                  HRESULT (STDMETHODCALLTYPE IDeviceService::*declared)(BSTR*); };
    const Text texts[] = {
        { 30, "IDeviceService.GetSettingsDeviceName", "BETA@NET", &IDeviceService::GetSettingsDeviceName },
        { 34, "IDeviceService.GetDeviceText", "Beta device text", &IDeviceService::GetDeviceText },
        { 36, "IDeviceService.GetCurrentDeviceName", "Beta MFP", &IDeviceService::GetCurrentDeviceName },
    };
    for (size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i) {
        BstrHolder raw;
        BstrHolder declared;
        EXPECT_EQ(S_OK, RawCall(s, texts[i].position, raw.Out()));
        EXPECT_LAST_CALL(texts[i].operation);
        EXPECT_EQ(S_OK, (s->*texts[i].declared)(declared.Out()));
        EXPECT_EQ(texts[i].expected, raw.Ansi());
        EXPECT_EQ(declared.Ansi(), raw.Ansi());
    }
}

TEST_F(SimVtable, DeviceServiceReservedPositions)
{
    const int reserved[] = { 7, 8, 9, 10, 12, 21, 22, 23, 24, 28, 29, 31, 32, 33, 35 };
    for (size_t i = 0; i < sizeof(reserved) / sizeof(reserved[0]); ++i)
        ExpectReserved(Service(), "IDeviceService", reserved[i]);
}

TEST_F(SimVtable, DevicesCollection)
{
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    Obtain(Service()->GetDevices(object.Out()), object, IID_IServiceDevices, devices);
    if (!devices)
        return;

    long count = 0;
    EXPECT_EQ(S_OK, RawCall(devices.Get(), 9, &count));
    EXPECT_LAST_CALL("IServiceDevices.Count");
    EXPECT_EQ(2, count);

    VARIANT item;
    VariantInit(&item);
    EXPECT_EQ(S_OK, RawCall(devices.Get(), 7, kBetaId, &item));
    EXPECT_LAST_CALL("IServiceDevices.Item");
    EXPECT_EQ(VT_DISPATCH, item.vt);
    ComRef<IServiceDevice> device;
    ASSERT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
    BstrHolder name;
    EXPECT_EQ(S_OK, device->Name(name.Out()));
    EXPECT_EQ("Beta MFP", name.Ansi());
    device.Release();
    VariantClear(&item);

    ExpectReserved(devices.Get(), "IServiceDevices", 8);
}

TEST_F(SimVtable, DeviceValues)
{
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    Obtain(Service()->GetDevices(object.Out()), object, IID_IServiceDevices, devices);
    if (!devices)
        return;
    VARIANT item;
    VariantInit(&item);
    ASSERT_EQ(S_OK, devices->Item(1, &item));
    ComRef<IServiceDevice> device;
    ASSERT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
    VariantClear(&item);
    IServiceDevice* d = device.Get();

    struct Text { int position; const char* operation; const char* expected;
                  HRESULT (STDMETHODCALLTYPE IServiceDevice::*declared)(BSTR*); };
    const Text texts[] = {
        { 8, "IServiceDevice.ColumnText1", "Alpha column 1", &IServiceDevice::ColumnText1 },
        { 9, "IServiceDevice.ColumnText2", "Alpha column 2", &IServiceDevice::ColumnText2 },
        { 10, "IServiceDevice.Name", "Alpha MFP", &IServiceDevice::Name },
        { 13, "IServiceDevice.DetailText3", "Alpha detail 3", &IServiceDevice::DetailText3 },
        { 15, "IServiceDevice.DetailText2", "Alpha detail 2", &IServiceDevice::DetailText2 },
        { 16, "IServiceDevice.DetailText1", "Alpha detail 1", &IServiceDevice::DetailText1 },
    };
    for (size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i) {
        BstrHolder raw;
        BstrHolder declared;
        EXPECT_EQ(S_OK, RawCall(d, texts[i].position, raw.Out()));
        EXPECT_LAST_CALL(texts[i].operation);
        EXPECT_EQ(S_OK, (d->*texts[i].declared)(declared.Out()));
        EXPECT_EQ(texts[i].expected, raw.Ansi()) << "position " << texts[i].position;
        EXPECT_EQ(declared.Ansi(), raw.Ansi());
    }

    struct Number { int position; const char* operation; long expected;
                    HRESULT (STDMETHODCALLTYPE IServiceDevice::*declared)(long*); };
    const Number numbers[] = {
        { 12, "IServiceDevice.Id", kAlphaId, &IServiceDevice::Id },
        { 14, "IServiceDevice.DetailNumber", 1234, &IServiceDevice::DetailNumber },
        { 17, "IServiceDevice.Type", 2, &IServiceDevice::Type },
    };
    for (size_t i = 0; i < sizeof(numbers) / sizeof(numbers[0]); ++i) {
        long raw = -99;
        long declared = -98;
        EXPECT_EQ(S_OK, RawCall(d, numbers[i].position, &raw));
        EXPECT_LAST_CALL(numbers[i].operation);
        EXPECT_EQ(S_OK, (d->*numbers[i].declared)(&declared));
        EXPECT_EQ(numbers[i].expected, raw) << "position " << numbers[i].position;
        EXPECT_EQ(declared, raw);
    }
    ExpectReserved(d, "IServiceDevice", 7);
    ExpectReserved(d, "IServiceDevice", 11);
}

TEST_F(SimVtable, ReportAvailabilityAndCommands)
{
    // Alpha: report 3 offers Execute only, report 4 ExecuteAlternate only.
    ComRef<IUnknown> object;
    ComRef<IServiceReport> report3;
    Obtain(Service()->GetReport(3, object.Out()), object, IID_IServiceReport, report3);
    ComRef<IServiceReport> report4;
    Obtain(Service()->GetReport(4, object.Out()), object, IID_IServiceReport, report4);
    if (!report3 || !report4)
        return;

    long available = -1;
    EXPECT_EQ(S_OK, RawCall(report3.Get(), 12, &available));
    EXPECT_LAST_CALL("IServiceReport.CanExecute");
    EXPECT_EQ(1, available);
    EXPECT_EQ(S_OK, RawCall(report3.Get(), 11, &available));
    EXPECT_LAST_CALL("IServiceReport.CanExecuteAlternate");
    EXPECT_EQ(0, available);
    EXPECT_EQ(S_OK, RawCall(report4.Get(), 12, &available));
    EXPECT_EQ(0, available);
    EXPECT_EQ(S_OK, RawCall(report4.Get(), 11, &available));
    EXPECT_EQ(1, available);
    long declared = -1;
    EXPECT_EQ(S_OK, report4->CanExecuteAlternate(&declared));
    EXPECT_EQ(1, declared);

    const long executed = ReadMemory(304);
    EXPECT_EQ(S_OK, RawCall(report3.Get(), 9, 0L));
    EXPECT_LAST_CALL("IServiceReport.Execute");
    EXPECT_EQ(executed + 1, ReadMemory(304));
    const long alternate = ReadMemory(305);
    EXPECT_EQ(S_OK, RawCall(report4.Get(), 8, 0L));
    EXPECT_LAST_CALL("IServiceReport.ExecuteAlternate");
    EXPECT_EQ(alternate + 1, ReadMemory(305));

    ExpectReserved(report3.Get(), "IServiceReport", 10);
    EXPECT_EQ(E_NOTIMPL, RawCall(report3.Get(), 7));
}

TEST_F(SimVtable, ReportOption)
{
    ComRef<IUnknown> object;
    ComRef<IServiceReportOption> option;
    Obtain(Service()->GetReport(11, object.Out()), object, IID_IServiceReportOption, option);
    ComRef<IServiceReport> report;
    Obtain(S_OK, object, IID_IServiceReport, report);
    if (!option || !report)
        return;
    long available = -1;
    EXPECT_EQ(S_OK, report->CanExecuteAlternate(&available));
    EXPECT_EQ(0, available);
    EXPECT_EQ(S_OK, RawCall(option.Get(), 8, 1L));
    EXPECT_LAST_CALL("IServiceReportOption.SetReportOption");
    EXPECT_EQ(S_OK, report->CanExecuteAlternate(&available));
    EXPECT_EQ(1, available);
    EXPECT_EQ(E_NOTIMPL, RawCall(option.Get(), 7));
}

TEST_F(SimVtable, ActionTasksProcedureCommand)
{
    ComRef<IUnknown> object;
    ComRef<IServiceAction> action;
    Obtain(Service()->GetAction(1, object.Out()), object, IID_IServiceAction, action);
    ComRef<IUnknown> tasksObject;
    ComRef<IServiceTasks> tasks;
    Obtain(Service()->GetDeviceTasks(tasksObject.Out()), tasksObject, IID_IServiceTasks, tasks);
    ComRef<IUnknown> procedureObject;
    ComRef<IServiceProcedure> procedure;
    Obtain(Service()->GetOptionProcedure(4, procedureObject.Out()), procedureObject,
           IID_IServiceProcedure, procedure);
    ComRef<IServiceProcedureOptions> options;
    Obtain(S_OK, procedureObject, IID_IServiceProcedureOptions, options);
    ComRef<IUnknown> commandObject;
    ComRef<IServiceCommand> command;
    Obtain(Service()->GetCommand(1, commandObject.Out()), commandObject, IID_IServiceCommand, command);
    if (!action || !tasks || !procedure || !options || !command)
        return;

    const long action1 = ReadMemory(300);
    EXPECT_EQ(S_OK, RawCall(action.Get(), 7));
    EXPECT_LAST_CALL("IServiceAction.Run");
    EXPECT_EQ(action1 + 1, ReadMemory(300));

    const long second = ReadMemory(303);
    EXPECT_EQ(S_OK, RawCall(tasks.Get(), 7));
    EXPECT_LAST_CALL("IServiceTasks.StartSecondTask");
    EXPECT_EQ(second + 1, ReadMemory(303));
    const long first = ReadMemory(302);
    EXPECT_EQ(S_OK, RawCall(tasks.Get(), 9));
    EXPECT_LAST_CALL("IServiceTasks.StartFirstTask");
    EXPECT_EQ(first + 1, ReadMemory(302));
    ExpectReserved(tasks.Get(), "IServiceTasks", 8);

    EXPECT_EQ(S_OK, RawCall(options.Get(), 7, 3L));
    EXPECT_LAST_CALL("IServiceProcedureOptions.SetOptions");
    long rawResult = 0;
    EXPECT_EQ(S_OK, RawCall(procedure.Get(), 7, 0L, &rawResult));
    EXPECT_LAST_CALL("IServiceProcedure.Start");
    EXPECT_NE(std::string::npos, LastJournalLine().find("flags=3"));
    long declaredResult = 0;
    EXPECT_EQ(S_OK, procedure->Start(0, &declaredResult));
    EXPECT_EQ(rawResult + 1, declaredResult);   // the result counts the device's procedure runs

    const long performed = ReadMemory(307);
    EXPECT_EQ(S_OK, RawCall(command.Get(), 7, 0L));
    EXPECT_LAST_CALL("IServiceCommand.Perform");
    EXPECT_EQ(performed + 1, ReadMemory(307));
}

TEST_F(SimVtable, Memory)
{
    ComRef<IUnknown> object;
    ComRef<IServiceMemory> memory;
    Obtain(Service()->GetSettings(1, object.Out()), object, IID_IServiceMemory, memory);
    if (!memory)
        return;
    IServiceMemory* m = memory.Get();

    long valid = -1;
    EXPECT_EQ(S_OK, RawCall(m, 15, 11L, &valid));
    EXPECT_LAST_CALL("IServiceMemory.IsValidLocation");
    EXPECT_EQ(0, valid);
    EXPECT_EQ(S_OK, RawCall(m, 15, 13L, &valid));
    EXPECT_EQ(1, valid);

    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, RawCall(m, 12, 5L, &value));
    EXPECT_LAST_CALL("IServiceMemory.GetDefaultValue");
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(4321, value.lVal);
    VariantClear(&value);

    VARIANT written;
    VariantInit(&written);
    written.vt = VT_I4;
    written.lVal = 777;
    EXPECT_EQ(S_OK, RawCall(m, 11, 6L, written));
    EXPECT_LAST_CALL("IServiceMemory.WriteValue");
    EXPECT_EQ(S_OK, m->ReadValue(6, &value));
    EXPECT_EQ(777, value.lVal);
    VariantClear(&value);
    EXPECT_EQ(S_OK, RawCall(m, 10, 6L, &value));
    EXPECT_LAST_CALL("IServiceMemory.ReadValue");
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(777, value.lVal);
    VariantClear(&value);

    const int reserved[] = { 7, 8, 9, 13, 14 };
    for (size_t i = 0; i < sizeof(reserved) / sizeof(reserved[0]); ++i)
        ExpectReserved(m, "IServiceMemory", reserved[i]);
}

TEST_F(SimVtable, DriverSettings)
{
    ComRef<IUnknown> object;
    ComRef<IServiceDriverSettings> settings;
    Obtain(Service()->GetSettings(2, object.Out()), object, IID_IServiceDriverSettings, settings);
    if (!settings)
        return;
    IServiceDriverSettings* s = settings.Get();
    typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*Getter)(long*);
    typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*Setter)(long);
    struct Setting {
        const char* name; int get; int set; int def; long alphaDefault;
        Getter declaredGet; Getter declaredDefault; Setter declaredSet;
    };
    typedef IServiceDriverSettings D;
    const Setting table[] = {
        { "Option13", 7, 8, 44, 113, &D::GetOption13, &D::GetDefaultOption13, &D::SetOption13 },
        { "Option4", 9, 10, 45, 104, &D::GetOption4, &D::GetDefaultOption4, &D::SetOption4 },
        { "Option11", 11, 12, 46, 111, &D::GetOption11, &D::GetDefaultOption11, &D::SetOption11 },
        { "Option2", 13, 14, 47, 102, &D::GetOption2, &D::GetDefaultOption2, &D::SetOption2 },
        { "Option1", 15, 16, 48, 101, &D::GetOption1, &D::GetDefaultOption1, &D::SetOption1 },
        { "Option3", 17, 18, 49, 103, &D::GetOption3, &D::GetDefaultOption3, &D::SetOption3 },
        { "Option5", 19, 20, 50, 105, &D::GetOption5, &D::GetDefaultOption5, &D::SetOption5 },
        { "Option6", 21, 22, 51, 106, &D::GetOption6, &D::GetDefaultOption6, &D::SetOption6 },
        { "Option10", 25, 26, 53, 110, &D::GetOption10, &D::GetDefaultOption10, &D::SetOption10 },
        { "Option12", 29, 30, 63, 112, &D::GetOption12, &D::GetDefaultOption12, &D::SetOption12 },
        { "Number", 31, 32, 55, 114, &D::GetNumber, &D::GetDefaultNumber, &D::SetNumber },
        { "Choice", 34, 35, 56, 115, &D::GetChoice, &D::GetDefaultChoice, NULL },
        { "Switch", 36, 37, 57, 116, &D::GetSwitch, &D::GetDefaultSwitch, &D::SetSwitch },
        { "Option9", 38, 39, 58, 109, &D::GetOption9, &D::GetDefaultOption9, &D::SetOption9 },
        { "Option7", 40, 41, 59, 107, &D::GetOption7, &D::GetDefaultOption7, &D::SetOption7 },
        { "Option8", 42, 43, 60, 108, &D::GetOption8, &D::GetDefaultOption8, &D::SetOption8 },
    };
    const std::string prefix = "IServiceDriverSettings.";
    for (size_t i = 0; i < sizeof(table) / sizeof(table[0]); ++i) {
        const Setting& t = table[i];
        SCOPED_TRACE(t.name);
        long raw = -1;
        long declared = -2;
        EXPECT_EQ(S_OK, RawCall(s, t.def, &raw));
        EXPECT_LAST_CALL(prefix + "GetDefault" + t.name);
        EXPECT_EQ(S_OK, (s->*t.declaredDefault)(&declared));
        EXPECT_EQ(t.alphaDefault, raw);
        EXPECT_EQ(declared, raw);

        EXPECT_EQ(S_OK, RawCall(s, t.get, &raw));
        EXPECT_LAST_CALL(prefix + "Get" + t.name);
        EXPECT_EQ(t.alphaDefault, raw);

        const long value = 1000 + static_cast<long>(i);
        if (t.declaredSet != NULL)
            EXPECT_EQ(S_OK, RawCall(s, t.set, value));
        else
            EXPECT_EQ(S_OK, RawCall(s, t.set, static_cast<short>(value)));
        EXPECT_LAST_CALL(prefix + "Set" + t.name);
        EXPECT_EQ(S_OK, (s->*t.declaredGet)(&declared));
        EXPECT_EQ(value, declared);
        EXPECT_EQ(S_OK, RawCall(s, t.get, &raw));
        EXPECT_EQ(value, raw);
    }

    long max = 0;
    EXPECT_EQ(S_OK, RawCall(s, 33, &max));
    EXPECT_LAST_CALL("IServiceDriverSettings.GetNumberMax");
    EXPECT_EQ(300, max);

    BSTR beta = SysAllocString(L"BETA@NET");
    EXPECT_EQ(S_OK, RawCall(s, 62, beta));
    EXPECT_LAST_CALL("IServiceDriverSettings.SetDevice");
    SysFreeString(beta);
    EXPECT_EQ(S_OK, s->GetNumberMax(&max));
    EXPECT_EQ(77, max);

    const int reserved[] = { 23, 24, 27, 28, 52, 54, 61 };
    for (size_t i = 0; i < sizeof(reserved) / sizeof(reserved[0]); ++i)
        ExpectReserved(s, "IServiceDriverSettings", reserved[i]);
}
