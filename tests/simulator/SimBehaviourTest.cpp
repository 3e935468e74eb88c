// SimBehaviourTest.cpp - what each interface of the simulator does: the fleet
// and the current device, memory, driver settings, reports, actions, tasks,
// procedures and commands, and the journal lines that record them.
#include "SimHarness.h"

#include <set>

namespace {

// Tests on the two-device configuration (SimHarness.h lists its values).
class SimBehaviour : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        UseConfig(TwoDeviceConfig());
        Load();
    }

    // Fresh objects from the service, queried for their interface into `itf`.
    void Memory(ComRef<IServiceMemory>& itf)
    {
        ComRef<IUnknown> object;
        EXPECT_EQ(S_OK, Service()->GetSettings(1, object.Out()));
        EXPECT_EQ(S_OK, itf.QueryFrom(object.Get(), IID_IServiceMemory));
    }

    void Settings(ComRef<IServiceDriverSettings>& itf)
    {
        ComRef<IUnknown> object;
        EXPECT_EQ(S_OK, Service()->GetSettings(2, object.Out()));
        EXPECT_EQ(S_OK, itf.QueryFrom(object.Get(), IID_IServiceDriverSettings));
    }

    void Report(long number, ComRef<IServiceReport>& itf)
    {
        ComRef<IUnknown> object;
        EXPECT_EQ(S_OK, Service()->GetReport(number, object.Out()));
        EXPECT_EQ(S_OK, itf.QueryFrom(object.Get(), IID_IServiceReport));
    }

    static VARIANT Variant(VARTYPE type)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = type;
        return v;
    }
};

// Tests on the built-in fleet (no configuration file).
class SimBuiltinFleet : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        Load();
    }
};

} // namespace

// ---------------------------------------------------------------------------
// The built-in fleet
// ---------------------------------------------------------------------------

TEST_F(SimBuiltinFleet, SixDistinctDevicesCoverTypesZeroToFive)
{
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    ASSERT_EQ(S_OK, Service()->GetDevices(object.Out()));
    ASSERT_EQ(S_OK, devices.QueryFrom(object.Get(), IID_IServiceDevices));
    long count = 0;
    ASSERT_EQ(S_OK, devices->Count(&count));
    EXPECT_EQ(6, count);

    std::set<long> types, ids;
    std::set<std::string> names, settingsNames, deviceTexts;
    for (long i = 1; i <= count; ++i) {
        VARIANT item;
        VariantInit(&item);
        ASSERT_EQ(S_OK, devices->Item(i, &item));
        ComRef<IServiceDevice> device;
        ASSERT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
        VariantClear(&item);
        long id = 0, type = -1;
        BstrHolder name, col1, col2, d1, d2, d3;
        EXPECT_EQ(S_OK, device->Id(&id));
        EXPECT_EQ(S_OK, device->Type(&type));
        EXPECT_EQ(S_OK, device->Name(name.Out()));
        EXPECT_EQ(S_OK, device->ColumnText1(col1.Out()));
        EXPECT_EQ(S_OK, device->ColumnText2(col2.Out()));
        EXPECT_EQ(S_OK, device->DetailText1(d1.Out()));
        EXPECT_EQ(S_OK, device->DetailText2(d2.Out()));
        EXPECT_EQ(S_OK, device->DetailText3(d3.Out()));
        EXPECT_FALSE(col1.Ansi().empty() || col2.Ansi().empty() || d1.Ansi().empty()
                     || d2.Ansi().empty() || d3.Ansi().empty()) << name.Ansi();
        EXPECT_TRUE(id < 1 || id > count) << "an id inside the position range: " << id;
        types.insert(type);
        ids.insert(id);
        names.insert(name.Ansi());

        MakeCurrent(id);
        BstrHolder text, settingsName, currentName;
        EXPECT_EQ(S_OK, Service()->GetDeviceText(text.Out()));
        EXPECT_EQ(S_OK, Service()->GetSettingsDeviceName(settingsName.Out()));
        EXPECT_EQ(S_OK, Service()->GetCurrentDeviceName(currentName.Out()));
        EXPECT_EQ(name.Ansi(), currentName.Ansi());
        deviceTexts.insert(text.Ansi());
        settingsNames.insert(settingsName.Ansi());
    }
    EXPECT_EQ((std::set<long>{ 0, 1, 2, 3, 4, 5 }), types);
    EXPECT_EQ(6u, ids.size());
    EXPECT_EQ(6u, names.size());
    EXPECT_EQ(6u, deviceTexts.size());
    EXPECT_EQ(6u, settingsNames.size());
}

TEST_F(SimBuiltinFleet, EveryDeviceHasUnavailableLocationsAndDefaultsInRange)
{
    const std::vector<long> ids = DeviceIds();
    ASSERT_EQ(6u, ids.size());
    int devicesWithGaps = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        MakeCurrent(ids[i]);
        ComRef<IUnknown> object;
        ComRef<IServiceMemory> memory;
        ASSERT_EQ(S_OK, Service()->GetSettings(1, object.Out()));
        ASSERT_EQ(S_OK, memory.QueryFrom(object.Get(), IID_IServiceMemory));
        int unavailable = 0;
        for (long location = 0; location <= 320; ++location) {
            long valid = -1;
            ASSERT_EQ(S_OK, memory->IsValidLocation(location, &valid));
            ASSERT_TRUE(valid == 0 || valid == 1);
            VARIANT value;
            VariantInit(&value);
            const HRESULT hr = memory->GetDefaultValue(location, &value);
            if (valid == 0) {
                ++unavailable;
                EXPECT_EQ(SIM_E_UNAVAILABLE, hr) << location;
            } else {
                ASSERT_EQ(S_OK, hr) << location;
                EXPECT_EQ(VT_I4, value.vt);
                EXPECT_GE(value.lVal, 0);
                EXPECT_LE(value.lVal, 65535);
            }
            VariantClear(&value);
        }
        if (unavailable > 0)
            ++devicesWithGaps;
        // The work counters are always there.
        for (long counter = 300; counter <= 307; ++counter) {
            long valid = 0;
            memory->IsValidLocation(counter, &valid);
            EXPECT_EQ(1, valid) << "device " << ids[i] << " location " << counter;
        }
    }
    EXPECT_GE(devicesWithGaps, 3);
}

TEST_F(SimBuiltinFleet, ReportAvailabilityDiffersBetweenDevices)
{
    const std::vector<long> ids = DeviceIds();
    std::set<std::string> patterns;
    for (size_t i = 0; i < ids.size(); ++i) {
        MakeCurrent(ids[i]);
        std::string pattern;
        for (long number = 1; number <= 11; ++number) {
            ComRef<IUnknown> object;
            ComRef<IServiceReport> report;
            ASSERT_EQ(S_OK, Service()->GetReport(number, object.Out()));
            ASSERT_EQ(S_OK, report.QueryFrom(object.Get(), IID_IServiceReport));
            long execute = -1, alternate = -1;
            EXPECT_EQ(S_OK, report->CanExecute(&execute));
            EXPECT_EQ(S_OK, report->CanExecuteAlternate(&alternate));
            pattern += static_cast<char>('0' + execute);
            pattern += static_cast<char>('0' + alternate);
        }
        patterns.insert(pattern);
    }
    EXPECT_EQ(ids.size(), patterns.size());
}

// ---------------------------------------------------------------------------
// Devices and the current device
// ---------------------------------------------------------------------------

TEST_F(SimBehaviour, ItemTakesPositionOrDeviceId)
{
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    ASSERT_EQ(S_OK, Service()->GetDevices(object.Out()));
    ASSERT_EQ(S_OK, devices.QueryFrom(object.Get(), IID_IServiceDevices));
    const long keys[] = { 2, kBetaId };
    for (size_t i = 0; i < 2; ++i) {
        VARIANT item;
        VariantInit(&item);
        ASSERT_EQ(S_OK, devices->Item(keys[i], &item));
        EXPECT_EQ(VT_DISPATCH, item.vt);
        ComRef<IServiceDevice> device;
        ASSERT_EQ(S_OK, device.QueryFrom(item.pdispVal, IID_IServiceDevice));
        long id = 0;
        EXPECT_EQ(S_OK, device->Id(&id));
        EXPECT_EQ(kBetaId, id) << "key " << keys[i];
        device.Release();
        VariantClear(&item);
    }
    const long bad[] = { 0, 3, -1, 503 };
    for (size_t i = 0; i < 4; ++i) {
        VARIANT item;
        VariantInit(&item);
        EXPECT_EQ(DISP_E_BADINDEX, devices->Item(bad[i], &item)) << bad[i];
        EXPECT_EQ(VT_EMPTY, item.vt);
    }
}

TEST_F(SimBehaviour, IdentityChangesWhenAnotherDeviceBecomesCurrent)
{
    EXPECT_EQ(0, CurrentIdentity());
    BstrHolder name;
    EXPECT_EQ(SIM_E_NODEVICE, Service()->GetCurrentDeviceName(name.Out()));
    EXPECT_TRUE(name.Get() == NULL);

    EXPECT_EQ(SIM_E_UNKNOWNDEVICE, Service()->SetCurrentDevice(999));
    EXPECT_EQ(0, CurrentIdentity());

    MakeCurrent(kAlphaId);
    const long first = CurrentIdentity();
    EXPECT_NE(0, first);
    MakeCurrent(kAlphaId);
    EXPECT_EQ(first, CurrentIdentity()) << "the same device again is no change";
    MakeCurrent(kBetaId);
    const long second = CurrentIdentity();
    EXPECT_NE(first, second);
    EXPECT_NE(0, second);
    MakeCurrent(kAlphaId);
    const long third = CurrentIdentity();
    EXPECT_NE(second, third);
    EXPECT_NE(first, third) << "going back to a device is a change as well";

    EXPECT_EQ(SIM_E_UNKNOWNDEVICE, Service()->SetCurrentDevice(2)) << "a position is no device id";
    EXPECT_EQ(third, CurrentIdentity());
    EXPECT_EQ(S_OK, Service()->GetCurrentDeviceName(name.Out()));
    EXPECT_EQ("Alpha MFP", name.Ansi());
}

TEST_F(SimBehaviour, JournalRecordsEachCallWithArgumentsResultAndOuts)
{
    MakeCurrent(kBetaId);
    EXPECT_EQ("IDeviceService.SetCurrentDevice(502) -> 0x00000000 identity=1", LastJournalLine());
    ComRef<IUnknown> object;
    EXPECT_EQ(E_INVALIDARG, Service()->GetReport(12, object.Out()));
    EXPECT_EQ("IDeviceService.GetReport(12) -> 0x80070057", LastJournalLine());
    EXPECT_EQ(S_OK, Service()->GetReport(3, object.Out()));
    EXPECT_EQ(0u, LastJournalLine().find("IDeviceService.GetReport(3) -> 0x00000000 object=Report#"));
    ComRef<IServiceReport> report;
    EXPECT_EQ(S_OK, report.QueryFrom(object.Get(), IID_IServiceReport));
    EXPECT_NE(std::string::npos, LastJournalLine().find("IUnknown.QueryInterface(Report#"));
    EXPECT_NE(std::string::npos, LastJournalLine().find(", IServiceReport) -> 0x00000000"));
    long available = 0;
    report->CanExecute(&available);
    EXPECT_EQ("IServiceReport.CanExecute(3) -> 0x00000000 available=1 device=502", LastJournalLine());
}

// ---------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------

TEST_F(SimBehaviour, MemoryLocationsAvailabilityAndDefaults)
{
    MakeCurrent(kAlphaId);
    ComRef<IServiceMemory> memory;
    Memory(memory);
    ASSERT_TRUE(static_cast<bool>(memory));
    const long locations[] = { -1, 0, 9, 10, 12, 13, 199, 200, 201, 320, 321 };
    const long expected[] = { 0, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0 };
    for (size_t i = 0; i < sizeof(locations) / sizeof(locations[0]); ++i) {
        long valid = -1;
        EXPECT_EQ(S_OK, memory->IsValidLocation(locations[i], &valid));
        EXPECT_EQ(expected[i], valid) << "location " << locations[i];
    }

    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(SIM_E_UNAVAILABLE, memory->ReadValue(11, &value));
    EXPECT_EQ(SIM_E_UNAVAILABLE, memory->GetDefaultValue(200, &value));
    EXPECT_EQ(E_INVALIDARG, memory->ReadValue(321, &value));
    EXPECT_EQ(E_INVALIDARG, memory->ReadValue(-1, &value));
    EXPECT_EQ(VT_EMPTY, value.vt);

    EXPECT_EQ(S_OK, memory->GetDefaultValue(5, &value));
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(4321, value.lVal);
    VariantClear(&value);
    EXPECT_EQ(S_OK, memory->ReadValue(5, &value));
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(4321, value.lVal) << "an unwritten location holds its default";
    VariantClear(&value);
}

TEST_F(SimBehaviour, WriteValueCoercesIntegerTypesAndRefusesTheRest)
{
    MakeCurrent(kAlphaId);
    ComRef<IServiceMemory> memory;
    Memory(memory);
    ASSERT_TRUE(static_cast<bool>(memory));

    VARIANT v = Variant(VT_I4);
    v.lVal = 65535;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(65535, ReadMemory(7));
    v.lVal = 0;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(0, ReadMemory(7));

    v = Variant(VT_I2);
    v.iVal = 1234;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(1234, ReadMemory(7));
    v = Variant(VT_UI1);
    v.bVal = 200;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(200, ReadMemory(7));
    v = Variant(VT_UI4);
    v.ulVal = 40000;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(40000, ReadMemory(7));
    long byReference = 321;
    v = Variant(VT_I4 | VT_BYREF);
    v.plVal = &byReference;
    EXPECT_EQ(S_OK, memory->WriteValue(7, v));
    EXPECT_EQ(321, ReadMemory(7));

    v = Variant(VT_I4);
    v.lVal = 65536;
    EXPECT_EQ(DISP_E_OVERFLOW, memory->WriteValue(7, v));
    v.lVal = -1;
    EXPECT_EQ(DISP_E_OVERFLOW, memory->WriteValue(7, v));
    v = Variant(VT_R8);
    v.dblVal = 5.0;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, memory->WriteValue(7, v));
    v = Variant(VT_EMPTY);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, memory->WriteValue(7, v));
    v = Variant(VT_BSTR);
    v.bstrVal = SysAllocString(L"12");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, memory->WriteValue(7, v));
    VariantClear(&v);
    EXPECT_EQ(321, ReadMemory(7)) << "refused writes change nothing";

    v = Variant(VT_I4);
    v.lVal = 5;
    EXPECT_EQ(SIM_E_UNAVAILABLE, memory->WriteValue(11, v));
    EXPECT_EQ(E_INVALIDARG, memory->WriteValue(321, v));
}

TEST_F(SimBehaviour, MemoryBelongsToEachDeviceAndObjectsKeepTheirDevice)
{
    MakeCurrent(kAlphaId);
    ComRef<IServiceMemory> alphaMemory;
    Memory(alphaMemory);
    ASSERT_TRUE(static_cast<bool>(alphaMemory));
    MakeCurrent(kBetaId);
    const long betaBefore = ReadMemory(40);

    VARIANT v = Variant(VT_I4);
    v.lVal = betaBefore == 4444 ? 4445 : 4444;
    EXPECT_EQ(S_OK, alphaMemory->WriteValue(40, v)) << "the object still works on Alpha";
    EXPECT_EQ(betaBefore, ReadMemory(40)) << "Beta's location is untouched";
    MakeCurrent(kAlphaId);
    EXPECT_EQ(v.lVal, ReadMemory(40));
}

TEST_F(SimBehaviour, MemoryWithoutCurrentDevice)
{
    ComRef<IServiceMemory> memory;
    Memory(memory);
    ASSERT_TRUE(static_cast<bool>(memory));
    long valid = 7;
    EXPECT_EQ(SIM_E_NODEVICE, memory->IsValidLocation(1, &valid));
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(SIM_E_NODEVICE, memory->ReadValue(1, &v));
    v.vt = VT_I4;
    v.lVal = 1;
    EXPECT_EQ(SIM_E_NODEVICE, memory->WriteValue(1, v));
}

// ---------------------------------------------------------------------------
// Driver settings
// ---------------------------------------------------------------------------

TEST_F(SimBehaviour, DriverSettingsFollowSetDevice)
{
    MakeCurrent(kAlphaId);
    ComRef<IServiceDriverSettings> settings;
    Settings(settings);
    ASSERT_TRUE(static_cast<bool>(settings));
    long value = 0;
    EXPECT_EQ(S_OK, settings->GetNumber(&value));
    EXPECT_EQ(114, value) << "an object starts on the current device";

    BSTR beta = SysAllocString(L"BETA@NET");
    EXPECT_EQ(S_OK, settings->SetDevice(beta));
    SysFreeString(beta);
    EXPECT_EQ(S_OK, settings->GetNumber(&value));
    EXPECT_EQ(214, value);
    EXPECT_EQ(S_OK, settings->SetOption5(1));
    EXPECT_EQ(S_OK, settings->SetChoice(2));
    EXPECT_EQ(S_OK, settings->GetChoice(&value));
    EXPECT_EQ(2, value);

    BSTR unknown = SysAllocString(L"beta@net");
    EXPECT_EQ(SIM_E_UNKNOWNDEVICE, settings->SetDevice(unknown)) << "names match exactly";
    SysFreeString(unknown);
    EXPECT_EQ(E_INVALIDARG, settings->SetDevice(NULL));
    EXPECT_EQ(S_OK, settings->GetOption5(&value));
    EXPECT_EQ(1, value) << "a refused SetDevice keeps the device";

    BSTR alpha = SysAllocString(L"ALPHA@USB");
    EXPECT_EQ(S_OK, settings->SetDevice(alpha));
    SysFreeString(alpha);
    EXPECT_EQ(S_OK, settings->GetOption5(&value));
    EXPECT_EQ(105, value) << "Alpha's settings are its own";
    EXPECT_EQ(S_OK, settings->GetDefaultOption5(&value));
    EXPECT_EQ(105, value);
}

TEST_F(SimBehaviour, DriverSettingsWithoutDeviceUntilSetDevice)
{
    ComRef<IServiceDriverSettings> settings;
    Settings(settings);
    ASSERT_TRUE(static_cast<bool>(settings));
    long value = -5;
    EXPECT_EQ(SIM_E_NODEVICE, settings->GetOption1(&value));
    EXPECT_EQ(SIM_E_NODEVICE, settings->SetOption1(1));
    EXPECT_EQ(SIM_E_NODEVICE, settings->GetNumberMax(&value));
    EXPECT_EQ(-5, value) << "a failed getter writes nothing";
    BSTR beta = SysAllocString(L"BETA@NET");
    EXPECT_EQ(S_OK, settings->SetDevice(beta));
    SysFreeString(beta);
    EXPECT_EQ(S_OK, settings->GetNumberMax(&value));
    EXPECT_EQ(77, value);
}

// ---------------------------------------------------------------------------
// Reports
// ---------------------------------------------------------------------------

TEST_F(SimBehaviour, ReportsOneToElevenWithPerDeviceAvailability)
{
    MakeCurrent(kAlphaId);
    ComRef<IUnknown> object;
    EXPECT_EQ(E_INVALIDARG, Service()->GetReport(0, object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));
    EXPECT_EQ(E_INVALIDARG, Service()->GetReport(12, object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));

    // Alpha: exec=0x0AE (1 2 3 5 7), alt=0x054 (2 4 6).
    for (long number = 1; number <= 11; ++number) {
        ComRef<IServiceReport> report;
        Report(number, report);
        ASSERT_TRUE(static_cast<bool>(report));
        long execute = -1, alternate = -1;
        EXPECT_EQ(S_OK, report->CanExecute(&execute));
        EXPECT_EQ(S_OK, report->CanExecuteAlternate(&alternate));
        EXPECT_EQ((0x0AE >> number) & 1, execute) << "report " << number;
        EXPECT_EQ((0x054 >> number) & 1, alternate) << "report " << number;
    }
    MakeCurrent(kBetaId);
    for (long number = 1; number <= 11; ++number) {
        ComRef<IServiceReport> report;
        Report(number, report);
        long execute = -1, alternate = -1;
        report->CanExecute(&execute);
        report->CanExecuteAlternate(&alternate);
        EXPECT_EQ(1, execute) << "report " << number;
        EXPECT_EQ(0, alternate) << "report " << number;
    }
}

TEST_F(SimBehaviour, ExecuteRunsOnlyWhatTheReportOffers)
{
    MakeCurrent(kAlphaId);
    const long executed = ReadMemory(304);
    const long alternates = ReadMemory(305);
    ComRef<IServiceReport> report4;
    Report(4, report4);    // alternate only
    ASSERT_TRUE(static_cast<bool>(report4));
    EXPECT_EQ(SIM_E_NOTAVAILABLE, report4->Execute(0));
    EXPECT_EQ(executed, ReadMemory(304));
    EXPECT_EQ(S_OK, report4->ExecuteAlternate(0));
    EXPECT_NE(std::string::npos, LastJournalLine().find("report=4 counter=")) << LastJournalLine();
    EXPECT_EQ(alternates + 1, ReadMemory(305));

    ComRef<IServiceReport> report5;

    Report(5, report5);    // execute only
    EXPECT_EQ(S_OK, report5->Execute(0));
    EXPECT_EQ(SIM_E_NOTAVAILABLE, report5->ExecuteAlternate(0));
    EXPECT_EQ(executed + 1, ReadMemory(304));
    EXPECT_EQ(alternates + 1, ReadMemory(305));
}

TEST_F(SimBehaviour, OnlyReportElevenHasTheOptionAndItOffersTheAlternate)
{
    MakeCurrent(kAlphaId);
    for (long number = 1; number <= 10; ++number) {
        ComRef<IUnknown> object;
        ASSERT_EQ(S_OK, Service()->GetReport(number, object.Out()));
        ComRef<IServiceReportOption> option;
        EXPECT_EQ(E_NOINTERFACE, option.QueryFrom(object.Get(), IID_IServiceReportOption))
            << "report " << number;
        EXPECT_FALSE(static_cast<bool>(option));
    }
    ComRef<IUnknown> object;
    ASSERT_EQ(S_OK, Service()->GetReport(11, object.Out()));
    ComRef<IServiceReportOption> option;
    ASSERT_EQ(S_OK, option.QueryFrom(object.Get(), IID_IServiceReportOption));
    ComRef<IServiceReport> report;
    Report(11, report);
    long alternate = -1;
    report->CanExecuteAlternate(&alternate);
    EXPECT_EQ(0, alternate);
    EXPECT_EQ(S_OK, option->SetReportOption(1));
    ComRef<IServiceReport> again;
    Report(11, again);
    again->CanExecuteAlternate(&alternate);
    EXPECT_EQ(1, alternate) << "the option is kept by the device, not the object";
    EXPECT_EQ(S_OK, option->SetReportOption(0));
    again->CanExecuteAlternate(&alternate);
    EXPECT_EQ(0, alternate);
}

// ---------------------------------------------------------------------------
// Actions, tasks, procedures, commands
// ---------------------------------------------------------------------------

TEST_F(SimBehaviour, ActionsBumpTheirCounters)
{
    MakeCurrent(kBetaId);
    const long one = ReadMemory(300);
    const long two = ReadMemory(301);
    for (long kind = 1; kind <= 2; ++kind) {
        ComRef<IUnknown> object;
        ComRef<IServiceAction> action;
        ASSERT_EQ(S_OK, Service()->GetAction(kind, object.Out()));
        ASSERT_EQ(S_OK, action.QueryFrom(object.Get(), IID_IServiceAction));
        EXPECT_EQ(S_OK, action->Run());
        EXPECT_NE(std::string::npos, LastJournalLine().find(SimTestText("kind=", kind)));
    }
    EXPECT_EQ(one + 1, ReadMemory(300));
    EXPECT_EQ(two + 1, ReadMemory(301));
    ComRef<IUnknown> object;
    EXPECT_EQ(E_INVALIDARG, Service()->GetAction(3, object.Out()));
    EXPECT_EQ(E_INVALIDARG, Service()->GetAction(0, object.Out()));
    EXPECT_FALSE(static_cast<bool>(object));
}

TEST_F(SimBehaviour, TasksStayWithTheDeviceTheyWereMadeFor)
{
    MakeCurrent(kAlphaId);
    ComRef<IUnknown> object;
    ComRef<IServiceTasks> tasks;
    ASSERT_EQ(S_OK, Service()->GetDeviceTasks(object.Out()));
    ASSERT_EQ(S_OK, tasks.QueryFrom(object.Get(), IID_IServiceTasks));
    const long alphaFirst = ReadMemory(302);
    const long alphaSecond = ReadMemory(303);
    MakeCurrent(kBetaId);
    const long betaFirst = ReadMemory(302);
    EXPECT_EQ(S_OK, tasks->StartFirstTask());
    EXPECT_EQ(S_OK, tasks->StartFirstTask());
    EXPECT_EQ(S_OK, tasks->StartSecondTask());
    EXPECT_NE(std::string::npos, LastJournalLine().find("device=501"));
    EXPECT_EQ(betaFirst, ReadMemory(302));
    MakeCurrent(kAlphaId);
    EXPECT_EQ(alphaFirst + 2, ReadMemory(302));
    EXPECT_EQ(alphaSecond + 1, ReadMemory(303));
}

TEST_F(SimBehaviour, ProceduresAndTheOptionProcedure)
{
    MakeCurrent(kAlphaId);
    typedef HRESULT (STDMETHODCALLTYPE IDeviceService::*Getter)(long, IUnknown**);
    const Getter getters[] = { &IDeviceService::GetProcedureA, &IDeviceService::GetProcedureB,
                               &IDeviceService::GetProcedureC, &IDeviceService::GetOptionProcedure };
    long lastResult = ReadMemory(306);
    for (int g = 0; g < 4; ++g) {
        ComRef<IUnknown> object;
        EXPECT_EQ(E_INVALIDARG, (Service()->*getters[g])(0, object.Out()));
        EXPECT_EQ(E_INVALIDARG, (Service()->*getters[g])(10, object.Out()));
        EXPECT_FALSE(static_cast<bool>(object));
        for (long number = 1; number <= 9; number += 4) {
            ASSERT_EQ(S_OK, (Service()->*getters[g])(number, object.Out()));
            ComRef<IServiceProcedure> procedure;
            ASSERT_EQ(S_OK, procedure.QueryFrom(object.Get(), IID_IServiceProcedure));
            ComRef<IServiceProcedureOptions> options;
            EXPECT_EQ(g == 3 ? S_OK : E_NOINTERFACE,
                      options.QueryFrom(object.Get(), IID_IServiceProcedureOptions));
            long result = 0;
            EXPECT_EQ(S_OK, procedure->Start(0, &result));
            EXPECT_EQ(lastResult + 1, result) << "the result counts the device's procedure runs";
            lastResult = result;
        }
    }

    ComRef<IUnknown> object;
    ASSERT_EQ(S_OK, Service()->GetOptionProcedure(4, object.Out()));
    ComRef<IServiceProcedureOptions> options;
    ComRef<IServiceProcedure> procedure;
    ASSERT_EQ(S_OK, options.QueryFrom(object.Get(), IID_IServiceProcedureOptions));
    ASSERT_EQ(S_OK, procedure.QueryFrom(object.Get(), IID_IServiceProcedure));
    EXPECT_EQ(E_INVALIDARG, options->SetOptions(0));
    EXPECT_EQ(E_INVALIDARG, options->SetOptions(4));
    for (long flags = 1; flags <= 3; ++flags) {
        EXPECT_EQ(S_OK, options->SetOptions(flags));
        long result = 0;
        EXPECT_EQ(S_OK, procedure->Start(0, &result));
        EXPECT_NE(std::string::npos, LastJournalLine().find(SimTestText("procedure=O4 flags=", flags)))
            << LastJournalLine();
    }
}

TEST_F(SimBehaviour, CommandsOneToThree)
{
    MakeCurrent(kBetaId);
    const long performed = ReadMemory(307);
    for (long number = 1; number <= 3; ++number) {
        ComRef<IUnknown> object;
        ComRef<IServiceCommand> command;
        ASSERT_EQ(S_OK, Service()->GetCommand(number, object.Out()));
        ASSERT_EQ(S_OK, command.QueryFrom(object.Get(), IID_IServiceCommand));
        EXPECT_EQ(S_OK, command->Perform(0));
        EXPECT_NE(std::string::npos, LastJournalLine().find(SimTestText("command=", number)));
    }
    EXPECT_EQ(performed + 3, ReadMemory(307));
    ComRef<IUnknown> object;
    EXPECT_EQ(E_INVALIDARG, Service()->GetCommand(4, object.Out()));
}

TEST_F(SimBehaviour, WorkWithoutCurrentDeviceFailsCleanly)
{
    ComRef<IUnknown> object;
    ComRef<IServiceReport> report;
    ASSERT_EQ(S_OK, Service()->GetReport(1, object.Out())) << "objects are handed out all the same";
    ASSERT_EQ(S_OK, report.QueryFrom(object.Get(), IID_IServiceReport));
    long available = 9;
    EXPECT_EQ(SIM_E_NODEVICE, report->CanExecute(&available));
    EXPECT_EQ(9, available);
    EXPECT_EQ(SIM_E_NODEVICE, report->Execute(0));

    ComRef<IUnknown> actionObject;
    ComRef<IServiceAction> action;
    ASSERT_EQ(S_OK, Service()->GetAction(1, actionObject.Out()));
    ASSERT_EQ(S_OK, action.QueryFrom(actionObject.Get(), IID_IServiceAction));
    EXPECT_EQ(SIM_E_NODEVICE, action->Run());
    BstrHolder text;
    EXPECT_EQ(SIM_E_NODEVICE, Service()->GetDeviceText(text.Out()));
    EXPECT_EQ(SIM_E_NODEVICE, Service()->GetSettingsDeviceName(text.Out()));
}

TEST_F(SimBehaviour, NullOutPointersAreRefused)
{
    MakeCurrent(kAlphaId);
    EXPECT_EQ(E_POINTER, Service()->GetDevices(NULL));
    EXPECT_EQ(E_POINTER, Service()->GetCurrentDevice(NULL));
    EXPECT_EQ(E_POINTER, Service()->GetReport(1, NULL));
    EXPECT_EQ(E_POINTER, Service()->GetSettings(1, NULL));
    EXPECT_EQ(E_POINTER, Service()->GetCurrentDeviceName(NULL));
    EXPECT_EQ(E_POINTER, Service()->QueryInterface(IID_IDeviceService, NULL));
    ComRef<IServiceMemory> memory;
    Memory(memory);
    EXPECT_EQ(E_POINTER, memory->ReadValue(1, NULL));
    EXPECT_EQ(E_POINTER, memory->IsValidLocation(1, NULL));
    ComRef<IServiceDriverSettings> settings;
    Settings(settings);
    EXPECT_EQ(E_POINTER, settings->GetOption1(NULL));
    EXPECT_EQ(E_POINTER, settings->GetDefaultChoice(NULL));
    ComRef<IServiceReport> report;
    Report(1, report);
    EXPECT_EQ(E_POINTER, report->CanExecute(NULL));
    EXPECT_EQ(0, JournalCount("INTERNAL")) << "every operation is in the catalogue";
}
