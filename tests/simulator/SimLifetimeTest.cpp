// SimLifetimeTest.cpp - reference counts: a client that releases everything
// lets the DLL unload (DllCanUnloadNow S_OK, "live objects: 0"); a held object
// or a server lock keeps it; over-releases and calls on released objects are
// journaled instead of touching freed memory.
#include "SimHarness.h"

namespace {

class SimLifetime : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        UseConfig(TwoDeviceConfig());
        Load();
        MakeCurrent(kAlphaId);
    }
};

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);

} // namespace

TEST_F(SimLifetime, AClientThatReleasesEverythingLetsTheDllUnload)
{
    {
        ComRef<IUnknown> devicesObject;
        ComRef<IServiceDevices> devices;
        ASSERT_EQ(S_OK, Service()->GetDevices(devicesObject.Out()));
        ASSERT_EQ(S_OK, devices.QueryFrom(devicesObject.Get(), IID_IServiceDevices));
        for (long i = 1; i <= 2; ++i) {
            VARIANT item;
            VariantInit(&item);
            ASSERT_EQ(S_OK, devices->Item(i, &item));
            ComRef<IServiceDevice> device;
            ASSERT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
            BstrHolder name;
            device->Name(name.Out());
            device.Release();
            VariantClear(&item);
        }

        ComRef<IUnknown> objects[12];
        ASSERT_EQ(S_OK, Service()->GetSettings(1, objects[0].Out()));
        ASSERT_EQ(S_OK, Service()->GetSettings(2, objects[1].Out()));
        ASSERT_EQ(S_OK, Service()->GetOptionProcedure(4, objects[2].Out()));
        ASSERT_EQ(S_OK, Service()->GetReport(11, objects[3].Out()));
        ASSERT_EQ(S_OK, Service()->GetAction(2, objects[4].Out()));
        ASSERT_EQ(S_OK, Service()->GetDeviceTasks(objects[5].Out()));
        ASSERT_EQ(S_OK, Service()->GetCommand(1, objects[6].Out()));
        ASSERT_EQ(S_OK, Service()->GetProcedureA(1, objects[7].Out()));
        ASSERT_EQ(S_OK, Service()->GetProcedureB(5, objects[8].Out()));
        ASSERT_EQ(S_OK, Service()->GetProcedureC(3, objects[9].Out()));
        ASSERT_EQ(S_OK, Service()->GetReport(2, objects[10].Out()));
        ComRef<IServiceMemory> memory;
        ComRef<IServiceDriverSettings> settings;
        ComRef<IServiceProcedureOptions> options;
        ComRef<IServiceProcedure> procedure;
        ComRef<IServiceReportOption> option;
        ComRef<IServiceReport> report;
        ComRef<IServiceAction> action;
        ComRef<IServiceTasks> tasks;
        ComRef<IServiceCommand> command;
        EXPECT_EQ(S_OK, memory.QueryFrom(objects[0].Get(), IID_IServiceMemory));
        EXPECT_EQ(S_OK, settings.QueryFrom(objects[1].Get(), IID_IServiceDriverSettings));
        EXPECT_EQ(S_OK, options.QueryFrom(objects[2].Get(), IID_IServiceProcedureOptions));
        EXPECT_EQ(S_OK, procedure.QueryFrom(objects[2].Get(), IID_IServiceProcedure));
        EXPECT_EQ(S_OK, option.QueryFrom(objects[3].Get(), IID_IServiceReportOption));
        EXPECT_EQ(S_OK, report.QueryFrom(objects[3].Get(), IID_IServiceReport));
        EXPECT_EQ(S_OK, action.QueryFrom(objects[4].Get(), IID_IServiceAction));
        EXPECT_EQ(S_OK, tasks.QueryFrom(objects[5].Get(), IID_IServiceTasks));
        EXPECT_EQ(S_OK, command.QueryFrom(objects[6].Get(), IID_IServiceCommand));
        ComRef<IServiceMemory> refused;
        EXPECT_EQ(E_NOINTERFACE, refused.QueryFrom(objects[4].Get(), IID_IServiceMemory));
        EXPECT_EQ(S_FALSE, CanUnloadNow());
    }
    EXPECT_EQ(S_FALSE, CanUnloadNow()) << "the service itself is still held";
    EXPECT_EQ(S_OK, Unload());
    EXPECT_EQ("live objects: 0", LastJournalLine());
    EXPECT_EQ(0, JournalCount("OVER-RELEASE"));
    EXPECT_EQ(0, JournalCount("USE-AFTER-RELEASE"));
}

TEST_F(SimLifetime, ReferenceCountsFollowAddRefQueryAndRelease)
{
    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, Service()->GetReport(1, &object));
    IServiceReport* report = NULL;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IServiceReport, reinterpret_cast<void**>(&report)));
    EXPECT_EQ(3u, object->AddRef());
    EXPECT_EQ(2u, object->Release());
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    EXPECT_EQ(0u, report->Release());
    EXPECT_EQ(S_OK, Unload());
    EXPECT_EQ(0, JournalCount("OVER-RELEASE"));
}

TEST_F(SimLifetime, OverReleaseAndUseAfterReleaseAreJournaled)
{
    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, Service()->GetAction(1, &object));
    IServiceAction* action = NULL;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IServiceAction, reinterpret_cast<void**>(&action)));
    action->Release();
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(0, JournalCount("OVER-RELEASE"));

    // The simulator keeps released objects, so these calls are safe here.
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(1, JournalCount("OVER-RELEASE Action#"));
    EXPECT_EQ(E_UNEXPECTED, action->Run());
    EXPECT_EQ(0u, LastJournalLine().find("USE-AFTER-RELEASE Action#")) << LastJournalLine();
    EXPECT_EQ(S_OK, Unload()) << "an over-release does not unbalance the live count";
}

TEST_F(SimLifetime, AnObjectHeldAtUnloadIsCounted)
{
    IUnknown* kept = NULL;
    ASSERT_EQ(S_OK, Service()->GetDeviceTasks(&kept));
    EXPECT_EQ(S_FALSE, Unload());
    EXPECT_EQ("live objects: 1", LastJournalLine());
}

TEST_F(SimLifetime, AServerLockKeepsTheDll)
{
    GetClassObjectFn getClassObject = SimProc<GetClassObjectFn>(Module(), "DllGetClassObject");
    ASSERT_TRUE(getClassObject != NULL);
    IClassFactory* factory = NULL;
    ASSERT_EQ(S_OK, getClassObject(CLSID_DeviceService, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    Service()->Release();
    m_service = NULL;
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    ASSERT_EQ(S_OK, getClassObject(CLSID_DeviceService, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_OK, CanUnloadNow());

    IUnknown* unknown = NULL;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              getClassObject(IID_IDeviceService, IID_IClassFactory, reinterpret_cast<void**>(&unknown)));
    EXPECT_TRUE(unknown == NULL);
    ASSERT_EQ(S_OK, getClassObject(CLSID_DeviceService, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    IUnknown* outer = factory;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    factory->Release();
    EXPECT_EQ(S_OK, CanUnloadNow());
}
