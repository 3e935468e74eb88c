// FakeSelfTests.cpp - tests of the fake device service itself: the call log,
// reference accounting, over-release, and each scripting switch.
#include <gtest/gtest.h>

#include "fakes/FakeDeviceService.h"
#include "service/BstrText.h"
#include "service/ComRef.h"

#include <string>
#include <vector>

using fake::FakeDevice;
using fake::FakeDeviceService;

namespace
{

typedef std::vector<std::string> Log;

// Asks object for iid; NULL when the object refuses.
template <class I>
I* Ask(IUnknown* object, REFIID iid)
{
    I* result = NULL;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&result))))
        return NULL;
    return result;
}

// A pointer value that no call hands out, to see whether a call wrote its out-pointer.
IUnknown* Sentinel()
{
    static int marker;
    return reinterpret_cast<IUnknown*>(&marker);
}

std::string TextOf(BSTR text)
{
    std::string result = text == NULL ? "(null)" : AnsiFromBstr(text);
    SysFreeString(text);
    return result;
}

VARIANT I4(long value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

} // namespace

// ---------------------------------------------------------------------------
// The log
// ---------------------------------------------------------------------------

TEST(FakeLog, RecordsCallsQueriesAndReleasesInOrder)
{
    FakeDeviceService fake;
    fake.reports[10].canExecute = 1;

    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, fake.GetReport(10, &object));
    ASSERT_NE(nullptr, object);
    IServiceReport* report = Ask<IServiceReport>(object, IID_IServiceReport);
    ASSERT_NE(nullptr, report);
    long can = -1;
    long alternate = -1;
    EXPECT_EQ(S_OK, report->CanExecute(&can));
    EXPECT_EQ(S_OK, report->CanExecuteAlternate(&alternate));
    EXPECT_EQ(1, can);
    EXPECT_EQ(0, alternate);
    EXPECT_EQ(S_OK, report->Execute(0));
    EXPECT_EQ(1u, report->Release());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(S_OK, fake.SetCurrentDevice(42));

    EXPECT_EQ((Log{ "GetReport(10)", "IServiceReport.CanExecute", "IServiceReport.CanExecuteAlternate",
                    "IServiceReport.Execute(0)", "SetCurrentDevice(42)" }),
              fake.Calls());
    EXPECT_EQ((Log{ "QueryInterface Report(10).IServiceReport" }), fake.Queries());
    EXPECT_EQ((Log{ "Release Report(10).IServiceReport -> 1", "Release Report(10).IUnknown -> 0" }),
              fake.Releases());
    EXPECT_EQ((Log{ "GetReport(10)", "QueryInterface Report(10).IServiceReport", "IServiceReport.CanExecute",
                    "IServiceReport.CanExecuteAlternate", "IServiceReport.Execute(0)",
                    "Release Report(10).IServiceReport -> 1", "Release Report(10).IUnknown -> 0",
                    "SetCurrentDevice(42)" }),
              fake.Events());

    EXPECT_EQ(3, fake.CountOf("IServiceReport."));
    EXPECT_EQ(0, fake.CountOf("GetAction"));
    EXPECT_EQ((Log{ "IServiceReport.CanExecute", "IServiceReport.CanExecuteAlternate" }),
              fake.CallsMatching("IServiceReport.Can"));
    EXPECT_TRUE(fake.Unexpected().empty());

    fake.ClearCalls();
    EXPECT_TRUE(fake.Calls().empty());
    EXPECT_TRUE(fake.Queries().empty());
    EXPECT_TRUE(fake.Releases().empty());
    EXPECT_TRUE(fake.Events().empty());
    long identity = 0;
    fake.GetCurrentDevice(&identity);
    EXPECT_EQ((Log{ "GetCurrentDevice" }), fake.Calls());
}

TEST(FakeLog, NamesEveryKindOfCallWithItsArguments)
{
    FakeDeviceService fake;
    fake.AddDevice(L"Alpha", 101);
    fake.memory[12].value = 1;

    IUnknown* object = NULL;
    fake.GetDevices(&object);
    IServiceDevices* collection = Ask<IServiceDevices>(object, IID_IServiceDevices);
    VARIANT item;
    VariantInit(&item);
    collection->Item(1, &item);
    IServiceDevice* device = Ask<IServiceDevice>(V_DISPATCH(&item), IID_IServiceDevice);
    BSTR name = NULL;
    device->Name(&name);
    SysFreeString(name);
    device->Release();
    VariantClear(&item);
    collection->Release();
    object->Release();

    fake.GetSettings(1, &object);
    IServiceMemory* memory = Ask<IServiceMemory>(object, IID_IServiceMemory);
    memory->WriteValue(12, I4(345));
    memory->Release();
    object->Release();

    fake.GetSettings(2, &object);
    IServiceDriverSettings* settings = Ask<IServiceDriverSettings>(object, IID_IServiceDriverSettings);
    settings->SetChoice(2);
    settings->Release();
    object->Release();

    fake.GetOptionProcedure(4, &object);
    IServiceProcedureOptions* options = Ask<IServiceProcedureOptions>(object, IID_IServiceProcedureOptions);
    options->SetOptions(3);
    options->Release();
    object->Release();

    EXPECT_EQ((Log{ "GetDevices", "IServiceDevices.Item(1)", "IServiceDevice.Name", "GetSettings(1)",
                    "IServiceMemory.WriteValue(12,VT_I4:345)", "GetSettings(2)",
                    "IServiceDriverSettings.SetChoice(2)", "GetOptionProcedure(4)",
                    "IServiceProcedureOptions.SetOptions(3)" }),
              fake.Calls());
    EXPECT_EQ((Log{ "Release Device(101).IServiceDevice -> 1", "Release Device(101).IUnknown -> 0" }),
              Log(fake.Releases().begin(), fake.Releases().begin() + 2));
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST(FakeLog, ReservedPositionsAndDispatchMethodsAreUnexpected)
{
    FakeDeviceService fake;
    EXPECT_EQ(E_NOTIMPL, fake.Reserved7());
    UINT count = 5;
    EXPECT_EQ(E_NOTIMPL, fake.GetTypeInfoCount(&count));

    IUnknown* object = NULL;
    fake.GetSettings(1, &object);
    IServiceMemory* memory = Ask<IServiceMemory>(object, IID_IServiceMemory);
    EXPECT_EQ(E_NOTIMPL, memory->Reserved13());
    DISPID id = 0;
    LPOLESTR names[] = { const_cast<LPOLESTR>(L"Run") };
    EXPECT_EQ(E_NOTIMPL, memory->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    memory->Release();
    object->Release();

    EXPECT_EQ((Log{ "Reserved7", "GetTypeInfoCount", "Settings(1).IServiceMemory.Reserved13",
                    "Settings(1).IServiceMemory.GetIDsOfNames" }),
              fake.Unexpected());
    EXPECT_EQ((Log{ "UNEXPECTED Reserved7", "UNEXPECTED GetTypeInfoCount", "GetSettings(1)",
                    "UNEXPECTED Settings(1).IServiceMemory.Reserved13",
                    "UNEXPECTED Settings(1).IServiceMemory.GetIDsOfNames" }),
              fake.Calls());
}

// ---------------------------------------------------------------------------
// References
// ---------------------------------------------------------------------------

TEST(FakeReferences, InterfacesShareTheirObjectsCountAndAnswerOneIdentity)
{
    FakeDeviceService fake;
    EXPECT_EQ(0, fake.LiveObjects());

    IUnknown* object = NULL;
    fake.GetOptionProcedure(4, &object);
    EXPECT_EQ(1, fake.LiveObjects());
    IServiceProcedure* procedure = Ask<IServiceProcedure>(object, IID_IServiceProcedure);
    IServiceProcedureOptions* options = Ask<IServiceProcedureOptions>(procedure, IID_IServiceProcedureOptions);
    ASSERT_NE(nullptr, procedure);
    ASSERT_NE(nullptr, options);
    EXPECT_EQ(4u, options->AddRef());  // object, two queries, this AddRef: one count

    IUnknown* identity = Ask<IUnknown>(options, IID_IUnknown);
    IDispatch* dispatch = Ask<IDispatch>(procedure, IID_IDispatch);
    EXPECT_EQ(object, identity);
    EXPECT_EQ(static_cast<void*>(object), static_cast<void*>(dispatch));
    EXPECT_EQ(1, fake.LiveObjects());
    EXPECT_EQ((Log{ "OptionProcedure(4) refs=6" }), fake.LiveObjectLabels());

    identity->Release();
    dispatch->Release();
    options->Release();
    options->Release();
    procedure->Release();
    EXPECT_EQ(1, fake.LiveObjects());
    object->Release();
    EXPECT_EQ(0, fake.LiveObjects());
    EXPECT_FALSE(fake.OverReleased());

    EXPECT_EQ((Log{ "Release OptionProcedure(4).IUnknown -> 5", "Release OptionProcedure(4).IUnknown -> 4",
                    "Release OptionProcedure(4).IServiceProcedureOptions -> 3",
                    "Release OptionProcedure(4).IServiceProcedureOptions -> 2",
                    "Release OptionProcedure(4).IServiceProcedure -> 1",
                    "Release OptionProcedure(4).IUnknown -> 0" }),
              fake.Releases());
}

TEST(FakeReferences, ShowsWhetherTheInterfaceWentBeforeTheObject)
{
    FakeDeviceService fake;
    g_pDeviceService = &fake;
    {
        ComRef<IUnknown> object;
        ComRef<IServiceAction> action;
        ASSERT_EQ(S_OK, g_pDeviceService->GetAction(2, object.Out()));
        ASSERT_EQ(S_OK, action.QueryFrom(object.Get(), IID_IServiceAction));
        action->Run();
        EXPECT_EQ(1, fake.LiveObjects());
    }
    EXPECT_EQ((Log{ "Release Action(2).IServiceAction -> 1", "Release Action(2).IUnknown -> 0" }), fake.Releases());

    // The other way round is visible too.
    fake.ClearCalls();
    IUnknown* object = NULL;
    g_pDeviceService->GetAction(1, &object);
    IServiceAction* action = Ask<IServiceAction>(object, IID_IServiceAction);
    object->Release();
    action->Release();
    EXPECT_EQ((Log{ "Release Action(1).IUnknown -> 1", "Release Action(1).IServiceAction -> 0" }), fake.Releases());
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST(FakeReferences, ReportsOverReleaseAndUseAfterTheFinalRelease)
{
    FakeDeviceService fake;
    IUnknown* object = NULL;
    fake.GetAction(1, &object);
    IServiceAction* action = Ask<IServiceAction>(object, IID_IServiceAction);
    action->Release();
    object->Release();
    EXPECT_FALSE(fake.OverReleased());
    EXPECT_TRUE(fake.Unexpected().empty());

    // Objects stay in memory while the fake lives, so these calls are safe to make.
    action->Run();
    EXPECT_EQ((Log{ "IServiceAction.Run on Action(1) after its final release" }), fake.Unexpected());
    EXPECT_EQ(1, fake.CountOf("IServiceAction.Run"));

    object->Release();
    EXPECT_TRUE(fake.OverReleased());
    EXPECT_EQ((Log{ "Release Action(1).IUnknown -> -1" }), fake.OverReleases());
    EXPECT_EQ(0, fake.LiveObjects());

    // The fake's own count: the test's reference, one AddRef, then one Release too many.
    FakeDeviceService service;
    EXPECT_EQ(1, service.ServiceRefs());
    service.AddRef();
    service.Release();
    service.Release();
    EXPECT_FALSE(service.OverReleased());
    service.Release();
    EXPECT_TRUE(service.OverReleased());
    EXPECT_EQ((Log{ "Release DeviceService -> -1" }), service.OverReleases());
}

TEST(FakeReferences, ObjectsOutliveTheirFakeSafely)
{
    IUnknown* object = NULL;
    IServiceTasks* tasks = NULL;
    {
        FakeDeviceService fake;
        g_pDeviceService = &fake;
        fake.GetDeviceTasks(&object);
        tasks = Ask<IServiceTasks>(object, IID_IServiceTasks);
        ASSERT_NE(nullptr, tasks);
        EXPECT_EQ(S_OK, tasks->StartFirstTask());
    }
    EXPECT_EQ(nullptr, g_pDeviceService);
    EXPECT_EQ(E_UNEXPECTED, tasks->StartSecondTask());
    EXPECT_EQ(1u, tasks->Release());
    EXPECT_EQ(0u, object->Release());
}

// ---------------------------------------------------------------------------
// Scripting: results, objects, out-values, interfaces
// ---------------------------------------------------------------------------

TEST(FakeScript, FailNoObjectAndObjectOnFailureShapeObjectGetters)
{
    FakeDeviceService fake;
    fake.fail["GetReport"] = E_FAIL;
    fake.fail["GetReport(11)"] = E_ACCESSDENIED;
    fake.fail["GetAction"] = E_FAIL;
    fake.objectOnFailure.insert("GetAction");
    fake.noObject.insert("GetDeviceTasks");
    fake.untouched.insert("GetCommand");
    fake.fail["GetProcedureA"] = S_FALSE;

    IUnknown* object = Sentinel();
    EXPECT_EQ(E_FAIL, fake.GetReport(3, &object));
    EXPECT_EQ(nullptr, object);
    object = Sentinel();
    EXPECT_EQ(E_ACCESSDENIED, fake.GetReport(11, &object));
    EXPECT_EQ(nullptr, object);

    object = NULL;
    EXPECT_EQ(E_FAIL, fake.GetAction(1, &object));
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(1, fake.LiveObjects());
    object->Release();

    object = Sentinel();
    EXPECT_EQ(S_OK, fake.GetDeviceTasks(&object));
    EXPECT_EQ(nullptr, object);

    object = Sentinel();
    EXPECT_EQ(S_OK, fake.GetCommand(1, &object));
    EXPECT_EQ(Sentinel(), object);

    object = NULL;
    EXPECT_EQ(S_FALSE, fake.GetProcedureA(1, &object));
    ASSERT_NE(nullptr, object);  // a success code hands out the object
    object->Release();

    object = NULL;
    EXPECT_EQ(S_OK, fake.GetProcedureB(5, &object));
    ASSERT_NE(nullptr, object);
    object->Release();

    EXPECT_EQ(0, fake.LiveObjects());
    EXPECT_EQ((Log{ "GetReport(3)", "GetReport(11)", "GetAction(1)", "GetDeviceTasks", "GetCommand(1)",
                    "GetProcedureA(1)", "GetProcedureB(5)" }),
              fake.Calls());
}

TEST(FakeScript, FailingGettersStillWriteUnlessUntouchedAndSettersStoreOnlyOnSuccess)
{
    FakeDeviceService fake;
    fake.currentIdentity = 7;
    fake.deviceText = L"text";
    fake.fail["GetCurrentDevice"] = E_FAIL;
    fake.fail["GetDeviceText"] = E_FAIL;
    fake.untouched.insert("GetDeviceText");
    fake.untouched.insert("GetCurrentDeviceName");
    fake.currentDeviceName = L"name";

    long identity = 0;
    EXPECT_EQ(E_FAIL, fake.GetCurrentDevice(&identity));
    EXPECT_EQ(7, identity);
    BSTR text = reinterpret_cast<BSTR>(Sentinel());
    EXPECT_EQ(E_FAIL, fake.GetDeviceText(&text));
    EXPECT_EQ(reinterpret_cast<BSTR>(Sentinel()), text);
    text = reinterpret_cast<BSTR>(Sentinel());
    EXPECT_EQ(S_OK, fake.GetCurrentDeviceName(&text));
    EXPECT_EQ(reinterpret_cast<BSTR>(Sentinel()), text);

    fake.untouched.insert("GetCurrentDevice");
    identity = -5;
    EXPECT_EQ(E_FAIL, fake.GetCurrentDevice(&identity));
    EXPECT_EQ(-5, identity);

    // Keys on object methods: qualified, with arguments, bare.
    fake.driver.option1 = 11;
    fake.fail["IServiceDriverSettings.SetOption1"] = E_FAIL;
    fake.untouched.insert("SetOption2");
    fake.fail["IServiceDriverSettings.GetOption3"] = E_FAIL;
    fake.driver.option3 = 33;
    fake.fail["SetNumber(5)"] = E_INVALIDARG;
    IUnknown* object = NULL;
    fake.GetSettings(2, &object);
    IServiceDriverSettings* settings = Ask<IServiceDriverSettings>(object, IID_IServiceDriverSettings);
    EXPECT_EQ(E_FAIL, settings->SetOption1(1));
    EXPECT_EQ(11, fake.driver.option1);
    EXPECT_EQ(S_OK, settings->SetOption2(1));
    EXPECT_EQ(0, fake.driver.option2);
    long value = 0;
    EXPECT_EQ(E_FAIL, settings->GetOption3(&value));
    EXPECT_EQ(33, value);
    EXPECT_EQ(E_INVALIDARG, settings->SetNumber(5));
    EXPECT_EQ(0, fake.driver.number);
    EXPECT_EQ(S_OK, settings->SetNumber(6));
    EXPECT_EQ(6, fake.driver.number);
    settings->Release();
    object->Release();
}

TEST(FakeScript, ObjectsRefuseInterfacesByNameIidKindOrLabel)
{
    FakeDeviceService fake;
    fake.refuse.insert("IServiceReport");
    fake.Refuse(IID_IServiceCommand);
    fake.refuse.insert("OptionProcedure.IServiceProcedure");
    fake.refuse.insert("Report(11).IServiceReportOption");
    fake.reportsWithOption.insert(12);

    IUnknown* object = NULL;
    fake.GetReport(12, &object);
    EXPECT_EQ(nullptr, Ask<IServiceReport>(object, IID_IServiceReport));
    IServiceReportOption* option = Ask<IServiceReportOption>(object, IID_IServiceReportOption);
    ASSERT_NE(nullptr, option);
    option->Release();
    object->Release();

    fake.GetReport(11, &object);
    EXPECT_EQ(nullptr, Ask<IServiceReportOption>(object, IID_IServiceReportOption));
    object->Release();

    fake.GetReport(3, &object);  // not a report with an option
    EXPECT_EQ(nullptr, Ask<IServiceReportOption>(object, IID_IServiceReportOption));
    object->Release();

    fake.GetCommand(1, &object);
    EXPECT_EQ(nullptr, Ask<IServiceCommand>(object, IID_IServiceCommand));
    object->Release();

    fake.GetOptionProcedure(4, &object);
    EXPECT_EQ(nullptr, Ask<IServiceProcedure>(object, IID_IServiceProcedure));
    IServiceProcedureOptions* options = Ask<IServiceProcedureOptions>(object, IID_IServiceProcedureOptions);
    ASSERT_NE(nullptr, options);
    options->Release();
    object->Release();

    fake.GetProcedureC(2, &object);
    IServiceProcedure* procedure = Ask<IServiceProcedure>(object, IID_IServiceProcedure);
    ASSERT_NE(nullptr, procedure);
    EXPECT_EQ(nullptr, Ask<IServiceProcedureOptions>(object, IID_IServiceProcedureOptions));
    EXPECT_EQ(nullptr, Ask<IClassFactory>(object, IID_IClassFactory));
    procedure->Release();
    object->Release();

    EXPECT_EQ((Log{ "QueryInterface Report(12).IServiceReport -> E_NOINTERFACE",
                    "QueryInterface Report(12).IServiceReportOption",
                    "QueryInterface Report(11).IServiceReportOption -> E_NOINTERFACE",
                    "QueryInterface Report(3).IServiceReportOption -> E_NOINTERFACE",
                    "QueryInterface Command(1).IServiceCommand -> E_NOINTERFACE",
                    "QueryInterface OptionProcedure(4).IServiceProcedure -> E_NOINTERFACE",
                    "QueryInterface OptionProcedure(4).IServiceProcedureOptions",
                    "QueryInterface ProcedureC(2).IServiceProcedure",
                    "QueryInterface ProcedureC(2).IServiceProcedureOptions -> E_NOINTERFACE",
                    "QueryInterface ProcedureC(2).{00000001-0000-0000-C000-000000000046} -> E_NOINTERFACE" }),
              fake.Queries());
    EXPECT_EQ(0, fake.LiveObjects());
    EXPECT_TRUE(fake.ScriptProblems().empty());
}

TEST(FakeScript, ScriptProblemsNamesMistypedKeys)
{
    FakeDeviceService fake;
    fake.fail["GetReport(11)"] = E_FAIL;
    fake.fail["IServiceDevices.Item(2)"] = E_FAIL;
    fake.fail["Start"] = E_FAIL;
    fake.fail["GetReprot"] = E_FAIL;
    fake.untouched.insert("IServiceDriverSettings.GetDefaultChoice");
    fake.untouched.insert("IServiceReport.Exec");
    fake.noObject.insert("GetSettings(2)");
    fake.objectOnFailure.insert("GetDevice");
    fake.refuse.insert("Report(11).IServiceReportOption");
    fake.refuse.insert("IServiceReprot");
    fake.refuse.insert("Reprot.IServiceReport");
    FakeDevice& device = fake.AddDevice(L"Alpha", 101);
    device.fail["DetailText1"] = E_FAIL;
    device.untouched.insert("Nmae");
    device.nullTexts.insert("DetailText3");
    device.nullTexts.insert("Detail3");

    EXPECT_EQ((Log{ "fail: GetReprot", "objectOnFailure: GetDevice", "untouched: IServiceReport.Exec",
                    "refuse: IServiceReprot", "refuse: Reprot.IServiceReport", "device 101 untouched: Nmae",
                    "device 101 nullTexts: Detail3" }),
              fake.ScriptProblems());
}

// ---------------------------------------------------------------------------
// Scripting: data
// ---------------------------------------------------------------------------

TEST(FakeData, DevicesCollectionServesPositionsIdsAndEveryField)
{
    FakeDeviceService fake;
    FakeDevice& alpha = fake.AddDevice(L"Alpha", 101, 0);
    alpha.columnText1 = L"c1";
    alpha.columnText2 = L"c2";
    alpha.detailText1 = L"d1";
    alpha.detailText2 = L"d2";
    alpha.detailText3 = L"d3";
    alpha.detailNumber = 77;
    alpha.fail["ColumnText2"] = E_FAIL;
    alpha.untouched.insert("DetailNumber");
    alpha.nullTexts.insert("DetailText2");
    FakeDevice& nameless = fake.AddDevice(L"ignored", 102, 5);
    nameless.nullName = true;
    fake.fail["IServiceDevices.Item(2)"] = E_FAIL;

    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, fake.GetDevices(&object));
    IServiceDevices* collection = Ask<IServiceDevices>(object, IID_IServiceDevices);
    ASSERT_NE(nullptr, collection);
    long count = 0;
    EXPECT_EQ(S_OK, collection->Count(&count));
    EXPECT_EQ(2, count);

    VARIANT item;
    VariantInit(&item);
    ASSERT_EQ(S_OK, collection->Item(1, &item));
    EXPECT_EQ(VT_DISPATCH, V_VT(&item));
    IServiceDevice* device = Ask<IServiceDevice>(V_DISPATCH(&item), IID_IServiceDevice);
    ASSERT_NE(nullptr, device);
    BSTR text = NULL;
    long number = 0;
    EXPECT_EQ(S_OK, device->Name(&text));
    EXPECT_EQ("Alpha", TextOf(text));
    EXPECT_EQ(S_OK, device->Id(&number));
    EXPECT_EQ(101, number);
    number = -1;
    EXPECT_EQ(S_OK, device->Type(&number));
    EXPECT_EQ(0, number);
    device->ColumnText1(&text);
    EXPECT_EQ("c1", TextOf(text));
    EXPECT_EQ(E_FAIL, device->ColumnText2(&text));  // fails, and still delivers
    EXPECT_EQ("c2", TextOf(text));
    device->DetailText1(&text);
    EXPECT_EQ("d1", TextOf(text));
    text = reinterpret_cast<BSTR>(Sentinel());
    EXPECT_EQ(S_OK, device->DetailText2(&text));
    EXPECT_EQ(nullptr, text);  // scripted null
    device->DetailText3(&text);
    EXPECT_EQ("d3", TextOf(text));
    number = -9;
    EXPECT_EQ(S_OK, device->DetailNumber(&number));
    EXPECT_EQ(-9, number);  // untouched for this device
    device->Release();
    EXPECT_EQ(2, fake.LiveObjects());
    EXPECT_EQ(S_OK, VariantClear(&item));
    EXPECT_EQ(1, fake.LiveObjects());

    // 2 is a position, but scripted to fail: no object in the VARIANT.
    VariantInit(&item);
    EXPECT_EQ(E_FAIL, collection->Item(2, &item));
    EXPECT_EQ(VT_DISPATCH, V_VT(&item));
    EXPECT_EQ(nullptr, V_DISPATCH(&item));

    // 102 is an id; a null name comes out as a null BSTR.
    fake.itemType = VT_UNKNOWN;
    VariantInit(&item);
    ASSERT_EQ(S_OK, collection->Item(102, &item));
    EXPECT_EQ(VT_UNKNOWN, V_VT(&item));
    device = Ask<IServiceDevice>(V_UNKNOWN(&item), IID_IServiceDevice);
    ASSERT_NE(nullptr, device);
    text = reinterpret_cast<BSTR>(Sentinel());
    EXPECT_EQ(S_OK, device->Name(&text));
    EXPECT_EQ(nullptr, text);
    device->Type(&number);
    EXPECT_EQ(5, number);
    device->Release();
    VariantClear(&item);

    // Neither a position nor an id.
    VariantInit(&item);
    EXPECT_EQ(E_INVALIDARG, collection->Item(7, &item));
    EXPECT_EQ(VT_EMPTY, V_VT(&item));

    // A tag that carries no object: nothing is handed out.
    fake.itemType = VT_I4;
    VariantInit(&item);
    EXPECT_EQ(S_OK, collection->Item(1, &item));
    EXPECT_EQ(VT_I4, V_VT(&item));
    EXPECT_EQ(nullptr, V_DISPATCH(&item));
    EXPECT_EQ(1, fake.LiveObjects());

    collection->Release();
    object->Release();
    EXPECT_EQ(0, fake.LiveObjects());
    EXPECT_EQ((Log{ "Release Device(101).IServiceDevice -> 1", "Release Device(101).IUnknown -> 0",
                    "Release Device(102).IServiceDevice -> 1", "Release Device(102).IUnknown -> 0",
                    "Release Devices.IServiceDevices -> 1", "Release Devices.IUnknown -> 0" }),
              fake.Releases());
}

TEST(FakeData, CurrentDeviceIdentityAndNames)
{
    FakeDeviceService fake;
    long identity = -1;
    fake.GetCurrentDevice(&identity);
    EXPECT_EQ(0, identity);

    fake.currentIdentity = 5;
    fake.GetCurrentDevice(&identity);
    EXPECT_EQ(5, identity);

    EXPECT_EQ(S_OK, fake.SetCurrentDevice(101));
    EXPECT_EQ(101, fake.currentDeviceId);
    const long first = fake.currentIdentity;
    EXPECT_NE(5, first);
    EXPECT_NE(0, first);
    fake.GetCurrentDevice(&identity);
    EXPECT_EQ(first, identity);

    fake.SetCurrentDevice(101);  // same device: same identity
    EXPECT_EQ(first, fake.currentIdentity);
    fake.SetCurrentDevice(102);
    const long second = fake.currentIdentity;
    EXPECT_NE(first, second);
    EXPECT_NE(0, second);
    fake.SetCurrentDevice(101);  // back again: yet another identity
    EXPECT_NE(first, fake.currentIdentity);
    EXPECT_NE(second, fake.currentIdentity);

    fake.fail["SetCurrentDevice"] = E_FAIL;
    const long before = fake.currentIdentity;
    EXPECT_EQ(E_FAIL, fake.SetCurrentDevice(103));
    EXPECT_EQ(101, fake.currentDeviceId);
    EXPECT_EQ(before, fake.currentIdentity);

    fake.currentDeviceName = L"Beta";
    fake.deviceText = L"Device text";
    fake.settingsDeviceName = L"\\\\host\\Beta";
    BSTR text = NULL;
    fake.GetCurrentDeviceName(&text);
    EXPECT_EQ("Beta", TextOf(text));
    fake.GetDeviceText(&text);
    EXPECT_EQ("Device text", TextOf(text));
    fake.GetSettingsDeviceName(&text);
    EXPECT_EQ("\\\\host\\Beta", TextOf(text));

    fake.nullCurrentDeviceName = true;
    fake.nullDeviceText = true;
    fake.nullSettingsDeviceName = true;
    text = reinterpret_cast<BSTR>(Sentinel());
    EXPECT_EQ(S_OK, fake.GetCurrentDeviceName(&text));
    EXPECT_EQ(nullptr, text);
    text = reinterpret_cast<BSTR>(Sentinel());
    fake.GetDeviceText(&text);
    EXPECT_EQ(nullptr, text);
    text = reinterpret_cast<BSTR>(Sentinel());
    fake.GetSettingsDeviceName(&text);
    EXPECT_EQ(nullptr, text);
}

TEST(FakeData, MemoryValidityValuesDefaultsWritesAndReadBack)
{
    FakeDeviceService fake;
    fake.memory[12].value = 345;
    fake.memory[12].defaultValue = 100;
    fake.memory[13].value = 9;
    fake.memory[13].valid = 2;

    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, fake.GetSettings(1, &object));
    IServiceMemory* memory = Ask<IServiceMemory>(object, IID_IServiceMemory);
    ASSERT_NE(nullptr, memory);

    long valid = -1;
    memory->IsValidLocation(12, &valid);
    EXPECT_EQ(1, valid);
    memory->IsValidLocation(13, &valid);
    EXPECT_EQ(2, valid);
    EXPECT_EQ(S_OK, memory->IsValidLocation(99, &valid));
    EXPECT_EQ(0, valid);

    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, memory->ReadValue(12, &value));
    EXPECT_EQ(VT_I4, V_VT(&value));
    EXPECT_EQ(345, V_I4(&value));
    EXPECT_EQ(S_OK, memory->GetDefaultValue(12, &value));
    EXPECT_EQ(100, V_I4(&value));
    VariantInit(&value);
    EXPECT_EQ(E_INVALIDARG, memory->ReadValue(99, &value));
    EXPECT_EQ(VT_EMPTY, V_VT(&value));

    EXPECT_EQ(S_OK, memory->WriteValue(12, I4(500)));
    EXPECT_EQ(500, fake.memory[12].value);
    EXPECT_TRUE(fake.memory[12].written);
    memory->ReadValue(12, &value);
    EXPECT_EQ(500, V_I4(&value));

    VARIANT small;
    VariantInit(&small);
    V_VT(&small) = VT_I2;
    V_I2(&small) = 7;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, memory->WriteValue(12, small));
    EXPECT_EQ(E_INVALIDARG, memory->WriteValue(99, I4(1)));
    EXPECT_EQ(500, fake.memory[12].value);
    EXPECT_EQ(0u, fake.memory.count(99));

    fake.untouched.insert("WriteValue");
    EXPECT_EQ(S_OK, memory->WriteValue(12, I4(600)));
    EXPECT_EQ(500, fake.memory[12].value);
    fake.untouched.clear();

    // Read-back after a write: only for locations that were written.
    fake.readBackAfterWrite = 0;
    memory->ReadValue(12, &value);
    EXPECT_EQ(0, V_I4(&value));
    memory->ReadValue(13, &value);
    EXPECT_EQ(9, V_I4(&value));
    fake.readBackAfterWrite = 4321;
    memory->ReadValue(12, &value);
    EXPECT_EQ(4321, V_I4(&value));
    fake.readBackAfterWrite.reset();

    // The type tag of the answers.
    fake.memoryType = VT_EMPTY;
    memory->ReadValue(13, &value);
    EXPECT_EQ(VT_EMPTY, V_VT(&value));
    EXPECT_EQ(9, V_I4(&value));
    fake.memoryType = VT_BSTR;
    memory->GetDefaultValue(12, &value);
    EXPECT_EQ(VT_BSTR, V_VT(&value));
    EXPECT_EQ("100", AnsiFromBstr(V_BSTR(&value)));
    VariantClear(&value);
    fake.memoryType = VT_UNKNOWN;
    memory->ReadValue(13, &value);
    EXPECT_EQ(VT_UNKNOWN, V_VT(&value));
    EXPECT_EQ(nullptr, V_UNKNOWN(&value));
    EXPECT_EQ(S_OK, VariantClear(&value));

    memory->Release();
    object->Release();

    EXPECT_EQ((Log{ "IServiceMemory.WriteValue(12,VT_I4:500)", "IServiceMemory.WriteValue(12,VT_I2:7)",
                    "IServiceMemory.WriteValue(99,VT_I4:1)", "IServiceMemory.WriteValue(12,VT_I4:600)" }),
              fake.CallsMatching("IServiceMemory.WriteValue"));

    // Other settings sets hand out nothing.
    object = Sentinel();
    EXPECT_EQ(E_INVALIDARG, fake.GetSettings(3, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST(FakeData, DriverSettingsGettersSettersAndDefaultsUseTheirOwnFields)
{
    typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*Getter)(long*);
    typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*Setter)(long);
    struct Setting
    {
        const char* name;
        long fake::DriverValues::*field;
        Getter get;
        Setter set;  // NULL for Choice, whose setter takes a short
        Getter getDefault;
    };
    const Setting settings[] = {
        { "Option1", &fake::DriverValues::option1, &IServiceDriverSettings::GetOption1,
          &IServiceDriverSettings::SetOption1, &IServiceDriverSettings::GetDefaultOption1 },
        { "Option2", &fake::DriverValues::option2, &IServiceDriverSettings::GetOption2,
          &IServiceDriverSettings::SetOption2, &IServiceDriverSettings::GetDefaultOption2 },
        { "Option3", &fake::DriverValues::option3, &IServiceDriverSettings::GetOption3,
          &IServiceDriverSettings::SetOption3, &IServiceDriverSettings::GetDefaultOption3 },
        { "Option4", &fake::DriverValues::option4, &IServiceDriverSettings::GetOption4,
          &IServiceDriverSettings::SetOption4, &IServiceDriverSettings::GetDefaultOption4 },
        { "Option5", &fake::DriverValues::option5, &IServiceDriverSettings::GetOption5,
          &IServiceDriverSettings::SetOption5, &IServiceDriverSettings::GetDefaultOption5 },
        { "Option6", &fake::DriverValues::option6, &IServiceDriverSettings::GetOption6,
          &IServiceDriverSettings::SetOption6, &IServiceDriverSettings::GetDefaultOption6 },
        { "Option7", &fake::DriverValues::option7, &IServiceDriverSettings::GetOption7,
          &IServiceDriverSettings::SetOption7, &IServiceDriverSettings::GetDefaultOption7 },
        { "Option8", &fake::DriverValues::option8, &IServiceDriverSettings::GetOption8,
          &IServiceDriverSettings::SetOption8, &IServiceDriverSettings::GetDefaultOption8 },
        { "Option9", &fake::DriverValues::option9, &IServiceDriverSettings::GetOption9,
          &IServiceDriverSettings::SetOption9, &IServiceDriverSettings::GetDefaultOption9 },
        { "Option10", &fake::DriverValues::option10, &IServiceDriverSettings::GetOption10,
          &IServiceDriverSettings::SetOption10, &IServiceDriverSettings::GetDefaultOption10 },
        { "Option11", &fake::DriverValues::option11, &IServiceDriverSettings::GetOption11,
          &IServiceDriverSettings::SetOption11, &IServiceDriverSettings::GetDefaultOption11 },
        { "Option12", &fake::DriverValues::option12, &IServiceDriverSettings::GetOption12,
          &IServiceDriverSettings::SetOption12, &IServiceDriverSettings::GetDefaultOption12 },
        { "Option13", &fake::DriverValues::option13, &IServiceDriverSettings::GetOption13,
          &IServiceDriverSettings::SetOption13, &IServiceDriverSettings::GetDefaultOption13 },
        { "Number", &fake::DriverValues::number, &IServiceDriverSettings::GetNumber,
          &IServiceDriverSettings::SetNumber, &IServiceDriverSettings::GetDefaultNumber },
        { "Choice", &fake::DriverValues::choice, &IServiceDriverSettings::GetChoice, NULL,
          &IServiceDriverSettings::GetDefaultChoice },
        { "Switch", &fake::DriverValues::switchValue, &IServiceDriverSettings::GetSwitch,
          &IServiceDriverSettings::SetSwitch, &IServiceDriverSettings::GetDefaultSwitch },
    };

    FakeDeviceService fake;
    long n = 0;
    for (const Setting& s : settings) {
        ++n;
        fake.driver.*s.field = 100 + n;
        fake.driverDefaults.*s.field = 200 + n;
    }
    fake.driverNumberMax = 300;

    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, fake.GetSettings(2, &object));
    IServiceDriverSettings* driver = Ask<IServiceDriverSettings>(object, IID_IServiceDriverSettings);
    ASSERT_NE(nullptr, driver);

    n = 0;
    for (const Setting& s : settings) {
        ++n;
        long value = 0;
        EXPECT_EQ(S_OK, (driver->*s.get)(&value)) << s.name;
        EXPECT_EQ(100 + n, value) << s.name;
        EXPECT_EQ(S_OK, (driver->*s.getDefault)(&value)) << s.name;
        EXPECT_EQ(200 + n, value) << s.name;
        if (s.set != NULL) {
            EXPECT_EQ(S_OK, (driver->*s.set)(300 + n)) << s.name;
            EXPECT_EQ(300 + n, fake.driver.*s.field) << s.name;
            EXPECT_EQ(200 + n, fake.driverDefaults.*s.field) << s.name;
            EXPECT_EQ(1, fake.CountOf("IServiceDriverSettings.Set" + std::string(s.name) + "("
                                      + std::to_string(300 + n) + ")"))
                << s.name;
        }
        EXPECT_EQ(1, fake.CountOf("IServiceDriverSettings.Get" + std::string(s.name))) << s.name;
        EXPECT_EQ(1, fake.CountOf("IServiceDriverSettings.GetDefault" + std::string(s.name))) << s.name;
    }

    long value = 0;
    EXPECT_EQ(S_OK, driver->GetNumberMax(&value));
    EXPECT_EQ(300, value);

    // Choice: all 32 bits out, a short in.
    fake.driver.choice = 0x00030002;
    driver->GetChoice(&value);
    EXPECT_EQ(0x00030002, value);
    EXPECT_EQ(S_OK, driver->SetChoice(-2));
    EXPECT_EQ(-2, fake.driver.choice);
    driver->SetChoice(2);
    EXPECT_EQ(2, fake.driver.choice);
    EXPECT_EQ((Log{ "IServiceDriverSettings.SetChoice(-2)", "IServiceDriverSettings.SetChoice(2)" }),
              fake.CallsMatching("IServiceDriverSettings.SetChoice"));

    BSTR name = SysAllocString(L"DEV-7");
    EXPECT_EQ(S_OK, driver->SetDevice(name));
    SysFreeString(name);
    EXPECT_EQ(L"DEV-7", fake.driverDevice);
    EXPECT_FALSE(fake.nullDriverDevice);
    driver->SetDevice(NULL);
    EXPECT_TRUE(fake.nullDriverDevice);
    EXPECT_EQ((Log{ "IServiceDriverSettings.SetDevice(\"DEV-7\")", "IServiceDriverSettings.SetDevice(null)" }),
              fake.CallsMatching("IServiceDriverSettings.SetDevice"));

    EXPECT_EQ(E_NOTIMPL, driver->Reserved61());
    EXPECT_EQ((Log{ "Settings(2).IServiceDriverSettings.Reserved61" }), fake.Unexpected());
    driver->Release();
    object->Release();
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST(FakeData, ReportsProceduresCommandsActionsAndTasks)
{
    FakeDeviceService fake;
    fake.reports[1].canExecute = 1;
    fake.reports[1].canExecuteAlternate = 0;
    fake.reports[2].canExecute = 0;
    fake.reports[2].canExecuteAlternate = 1;
    fake.startResult = 17;

    const long numbers[] = { 1, 2, 5 };
    const long expectMain[] = { 1, 0, 0 };
    const long expectAlternate[] = { 0, 1, 0 };
    for (int i = 0; i < 3; ++i) {
        IUnknown* object = NULL;
        fake.GetReport(numbers[i], &object);
        IServiceReport* report = Ask<IServiceReport>(object, IID_IServiceReport);
        ASSERT_NE(nullptr, report);
        long main = -1;
        long alternate = -1;
        report->CanExecute(&main);
        report->CanExecuteAlternate(&alternate);
        EXPECT_EQ(expectMain[i], main) << numbers[i];
        EXPECT_EQ(expectAlternate[i], alternate) << numbers[i];
        report->ExecuteAlternate(0);
        report->Release();
        object->Release();
    }

    IUnknown* object = NULL;
    fake.GetReport(11, &object);
    IServiceReportOption* option = Ask<IServiceReportOption>(object, IID_IServiceReportOption);
    ASSERT_NE(nullptr, option);
    EXPECT_EQ(S_OK, option->SetReportOption(1));
    EXPECT_EQ(1, fake.reportOptions[11]);
    option->SetReportOption(0);
    EXPECT_EQ(0, fake.reportOptions[11]);
    option->Release();
    object->Release();

    fake.GetOptionProcedure(4, &object);
    IServiceProcedureOptions* options = Ask<IServiceProcedureOptions>(object, IID_IServiceProcedureOptions);
    IServiceProcedure* procedure = Ask<IServiceProcedure>(object, IID_IServiceProcedure);
    options->SetOptions(2);
    EXPECT_EQ(2, fake.procedureOptions);
    long result = 0;
    EXPECT_EQ(S_OK, procedure->Start(0, &result));
    EXPECT_EQ(17, result);
    procedure->Release();
    options->Release();
    object->Release();

    fake.GetCommand(1, &object);
    IServiceCommand* command = Ask<IServiceCommand>(object, IID_IServiceCommand);
    command->Perform(0);
    command->Release();
    object->Release();

    fake.GetAction(2, &object);
    IServiceAction* action = Ask<IServiceAction>(object, IID_IServiceAction);
    action->Run();
    action->Release();
    object->Release();

    fake.GetDeviceTasks(&object);
    IServiceTasks* tasks = Ask<IServiceTasks>(object, IID_IServiceTasks);
    tasks->StartFirstTask();
    tasks->StartSecondTask();
    tasks->Release();
    object->Release();

    EXPECT_EQ((Log{ "IServiceReportOption.SetReportOption(1)", "IServiceReportOption.SetReportOption(0)",
                    "GetOptionProcedure(4)", "IServiceProcedureOptions.SetOptions(2)", "IServiceProcedure.Start(0)",
                    "GetCommand(1)", "IServiceCommand.Perform(0)", "GetAction(2)", "IServiceAction.Run",
                    "GetDeviceTasks", "IServiceTasks.StartFirstTask", "IServiceTasks.StartSecondTask" }),
              Log(fake.Calls().end() - 12, fake.Calls().end()));
    EXPECT_EQ(3, fake.CountOf("IServiceReport.ExecuteAlternate(0)"));
    EXPECT_EQ(0, fake.LiveObjects());
    EXPECT_TRUE(fake.Unexpected().empty());
}
