// ProceduresMaintenanceTasksTests.cpp - the procedures, maintenance and device
// tasks pages in a real sheet, driven by window messages, against the
// recording fake device service.
#include <gtest/gtest.h>

#include "fakes/FakeDeviceService.h"
#include "pages/DeviceTasksPage.h"
#include "pages/MaintenancePage.h"
#include "pages/ProceduresPage.h"
#include "support/PageHarness.h"

#include <string>
#include <vector>

using fake::FakeDeviceService;
using testutil::LoadText;
using testutil::PageHarness;

namespace
{

typedef std::vector<std::string> Log;

// What every test checks once the page window is gone: every object handed
// out was released exactly as often as it was referenced, no call reached a
// position the pages never use, and the script named only real calls.
void ExpectCleanAfterDestroy(const FakeDeviceService& service)
{
    EXPECT_EQ(0, service.LiveObjects()) << ::testing::PrintToString(service.LiveObjectLabels());
    EXPECT_FALSE(service.OverReleased()) << ::testing::PrintToString(service.OverReleases());
    EXPECT_TRUE(service.Unexpected().empty()) << ::testing::PrintToString(service.Unexpected());
    EXPECT_TRUE(service.ScriptProblems().empty()) << ::testing::PrintToString(service.ScriptProblems());
    EXPECT_EQ(1, service.ServiceRefs());
}

// The full sequence of one Get/query/call/release exchange with an object.
Log Exchange(const std::string& getter, const std::string& object, const std::string& iface,
             const std::string& call)
{
    return Log{ getter, "QueryInterface " + object + "." + iface, iface + "." + call,
                "Release " + object + "." + iface + " -> 1", "Release " + object + ".IUnknown -> 0" };
}

std::string AnsiOf(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string result((size_t)(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &result[0], n, NULL, NULL);
    result.resize(strlen(result.c_str()));
    return result;
}

// A fake that notes, while the page waits for GetOptionProcedure, whether the
// option procedure's button and both option boxes are enabled.
class WatchingFake : public FakeDeviceService
{
public:
    HWND hPage = NULL;
    std::vector<bool> enabledDuringCall;
    STDMETHODIMP GetOptionProcedure(long number, IUnknown** ppProcedure) override
    {
        for (int id : { IDC_PROC_OPTION, IDC_PROC_OPTION_SECOND, IDC_PROC_OPTION_FIRST })
            enabledDuringCall.push_back(::IsWindowEnabled(::GetDlgItem(hPage, id)) != FALSE);
        return FakeDeviceService::GetOptionProcedure(number, ppProcedure);
    }
};

} // namespace

// ===========================================================================
// Procedures page
// ===========================================================================

TEST(ProceduresPage, SetsEveryLabelAndStartsWithBothOptionsChecked)
{
    FakeDeviceService service;
    PageHarness<CProceduresPage> h(&service);

    EXPECT_EQ(LoadText(IDS_PROCEDURES_PAGE), testutil::WindowText(h.Page()));
    const struct
    {
        int control;
        UINT string;
    } labels[] = {
        { IDC_PROC_GROUP1, IDS_PROC_GROUP1 },   { IDC_PROC_B1_LABEL, IDS_PROC_B1_LABEL },
        { IDC_PROC_B5_LABEL, IDS_PROC_B5_LABEL }, { IDC_PROC_GROUP2, IDS_PROC_GROUP2 },
        { IDC_PROC_A1_LABEL, IDS_PROC_A1_LABEL }, { IDC_PROC_A2_LABEL, IDS_PROC_A2_LABEL },
        { IDC_PROC_GROUP3, IDS_PROC_GROUP3 },   { IDC_PROC_C1_LABEL, IDS_PROC_C1_LABEL },
        { IDC_PROC_C2_LABEL, IDS_PROC_C2_LABEL }, { IDC_PROC_C3_LABEL, IDS_PROC_C3_LABEL },
        { IDC_PROC_GROUP4, IDS_PROC_GROUP4 },   { IDC_PROC_COMMAND_LABEL, IDS_PROC_COMMAND_LABEL },
        { IDC_PROC_OPTION_LABEL, IDS_PROC_OPTION_LABEL }, { IDC_PROC_OPTION_SECOND, IDS_COLOUR },
        { IDC_PROC_OPTION_FIRST, IDS_BLACK },   { IDC_PROC_DEVICE_TEXT_LABEL, IDS_PROC_DEVICE_TEXT_LABEL },
    };
    for (const auto& label : labels)
    {
        const std::string expected = LoadText(label.string);
        EXPECT_FALSE(expected.empty()) << label.string;
        EXPECT_EQ(expected, h.Text(label.control)) << label.control;
    }
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_SECOND));
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION));

    // No device current (identity 0): the first activation is no change, so
    // the device text is not asked for and stays empty.
    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Calls());
    EXPECT_EQ("", h.Text(IDC_PROC_DEVICE_TEXT));

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, EachButtonStartsItsOwnOperationWithItsNumberOnce)
{
    FakeDeviceService service;
    service.startResult = 0x7FFFFFFF;
    PageHarness<CProceduresPage> h(&service);

    const struct
    {
        int control;
        Log expected;
    } buttons[] = {
        { IDC_PROC_B1, Exchange("GetProcedureB(1)", "ProcedureB(1)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_B5, Exchange("GetProcedureB(5)", "ProcedureB(5)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_A1, Exchange("GetProcedureA(1)", "ProcedureA(1)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_A2, Exchange("GetProcedureA(2)", "ProcedureA(2)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_C1, Exchange("GetProcedureC(1)", "ProcedureC(1)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_C2, Exchange("GetProcedureC(2)", "ProcedureC(2)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_C3, Exchange("GetProcedureC(3)", "ProcedureC(3)", "IServiceProcedure", "Start(0)") },
        { IDC_PROC_COMMAND, Exchange("GetCommand(1)", "Command(1)", "IServiceCommand", "Perform(0)") },
    };
    testutil::MessageBoxRecorder boxes;
    for (const auto& button : buttons)
    {
        for (int click = 0; click < 2; ++click)   // nothing is kept between clicks
        {
            service.ClearCalls();
            h.Click(button.control);
            EXPECT_EQ(button.expected, service.Events()) << button.control << " click " << click;
            EXPECT_EQ(0, service.LiveObjects()) << button.control;
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(h.IsActive());

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, OptionProcedureSendsTheFlagsOfTheCheckedBoxesAndNothingWithNone)
{
    FakeDeviceService service;
    PageHarness<CProceduresPage> h(&service);

    // first box, second box, flags (0: nothing sent)
    const struct
    {
        bool first;
        bool second;
        long flags;
    } cases[] = { { true, true, 3 }, { true, false, 1 }, { false, true, 2 }, { false, false, 0 } };
    for (const auto& c : cases)
    {
        // Bring the boxes to the wanted state by clicking them, as a user does.
        if (h.Checked(IDC_PROC_OPTION_FIRST) != c.first)
            h.Click(IDC_PROC_OPTION_FIRST);
        if (h.Checked(IDC_PROC_OPTION_SECOND) != c.second)
            h.Click(IDC_PROC_OPTION_SECOND);
        ASSERT_EQ(c.first, h.Checked(IDC_PROC_OPTION_FIRST));
        ASSERT_EQ(c.second, h.Checked(IDC_PROC_OPTION_SECOND));

        service.ClearCalls();
        service.procedureOptions = -1;
        h.Click(IDC_PROC_OPTION);
        if (c.flags == 0)
        {
            EXPECT_TRUE(service.Events().empty()) << service.EventsText();
            EXPECT_EQ(-1, service.procedureOptions);
        }
        else
        {
            EXPECT_EQ((Log{ "GetOptionProcedure(4)", "QueryInterface OptionProcedure(4).IServiceProcedureOptions",
                            "IServiceProcedureOptions.SetOptions(" + std::to_string(c.flags) + ")",
                            "QueryInterface OptionProcedure(4).IServiceProcedure", "IServiceProcedure.Start(0)",
                            "Release OptionProcedure(4).IServiceProcedure -> 2",
                            "Release OptionProcedure(4).IServiceProcedureOptions -> 1",
                            "Release OptionProcedure(4).IUnknown -> 0" }),
                      service.Events())
                << c.flags;
            EXPECT_EQ(c.flags, service.procedureOptions);
        }
        // The boxes stay as the user left them, and usable.
        EXPECT_EQ(c.first, h.Checked(IDC_PROC_OPTION_FIRST));
        EXPECT_EQ(c.second, h.Checked(IDC_PROC_OPTION_SECOND));
        EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION));
        EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION_FIRST));
        EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION_SECOND));
        EXPECT_EQ(0, service.LiveObjects());
    }

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, OptionControlsAreDisabledWhileTheOptionProcedureRuns)
{
    WatchingFake service;
    PageHarness<CProceduresPage> h(&service);
    service.hPage = h.Page();
    h.Click(IDC_PROC_OPTION);
    EXPECT_EQ((std::vector<bool>{ false, false, false }), service.enabledDuringCall);
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION));
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION_SECOND));
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION_FIRST));
    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, OptionsSurviveReactivationUntilAnotherDeviceBecomesCurrent)
{
    FakeDeviceService service;
    service.currentIdentity = 7;
    service.deviceText = L"Ready, 12 pages waiting";
    PageHarness<CProceduresPage> h(&service);

    // A current device at first activation counts as a change: the text is read.
    EXPECT_EQ((Log{ "GetCurrentDevice", "GetDeviceText" }), service.Calls());
    EXPECT_EQ("Ready, 12 pages waiting", h.Text(IDC_PROC_DEVICE_TEXT));

    // The user clears the first option; leaving and coming back with the same
    // device keeps that choice and does not read the text again.
    h.Click(IDC_PROC_OPTION_FIRST);
    service.deviceText = L"changed behind the page";
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Calls());
    EXPECT_FALSE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_SECOND));
    EXPECT_EQ("Ready, 12 pages waiting", h.Text(IDC_PROC_DEVICE_TEXT));
    // ...and the option procedure then sends only the second option.
    service.ClearCalls();
    h.Click(IDC_PROC_OPTION);
    EXPECT_EQ(1, service.CountOf("IServiceProcedureOptions.SetOptions(2)")) << service.EventsText();

    // A failing GetCurrentDevice is no change either.
    h.Click(IDC_PROC_OPTION_SECOND);
    service.fail["GetCurrentDevice"] = E_FAIL;
    service.currentIdentity = 8;
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Calls());
    EXPECT_FALSE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_FALSE(h.Checked(IDC_PROC_OPTION_SECOND));
    service.fail.clear();

    // Another device: both boxes checked again and the text read anew.
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{ "GetCurrentDevice", "GetDeviceText" }), service.Calls());
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_SECOND));
    EXPECT_EQ("changed behind the page", h.Text(IDC_PROC_DEVICE_TEXT));

    // Back to "no device" (identity 0) is a change as well.
    h.Click(IDC_PROC_OPTION_FIRST);
    service.currentIdentity = 0;
    service.deviceText = L"";
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{ "GetCurrentDevice", "GetDeviceText" }), service.Calls());
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_EQ("", h.Text(IDC_PROC_DEVICE_TEXT));

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, TheStatusBoxShowsAScrollBarOnlyForATextLongerThanTheBox)
{
    FakeDeviceService service;
    service.currentIdentity = 0;
    PageHarness<CProceduresPage> h(&service);
    std::wstring longText;
    for (int i = 0; i < 40; ++i)
        longText += L"Line " + std::to_wstring(i) + L"\r\n";
    const std::wstring texts[] = { L"Ready\r\nidle", longText, L"Ready" };
    for (int i = 0; i < 3; ++i)
    {
        service.deviceText = texts[i];
        service.currentIdentity = 10 + i;   // another device: the text is read anew
        h.SwitchAwayAndBack();
        EXPECT_EQ(i == 1, (::GetWindowLongA(h.Item(IDC_PROC_DEVICE_TEXT), GWL_STYLE) & WS_VSCROLL) != 0) << i;
    }
    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, DeviceTextIsEmptyWhenNullOrFailingAndCopesWithAHugeText)
{
    FakeDeviceService service;
    service.currentIdentity = 1;
    service.deviceText = L"Caf\u00e9 \u00c6 status";
    PageHarness<CProceduresPage> h(&service);
    EXPECT_EQ(AnsiOf(service.deviceText), h.Text(IDC_PROC_DEVICE_TEXT));

    // A failing GetDeviceText that still writes a text: the text is not shown.
    service.fail["GetDeviceText"] = E_FAIL;
    service.deviceText = L"must not show";
    service.currentIdentity = 2;
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ(1, service.CountOf("GetDeviceText"));
    EXPECT_EQ("", h.Text(IDC_PROC_DEVICE_TEXT));
    service.fail.clear();

    // A text first, then a null BSTR: empty again.
    service.deviceText = L"one";
    service.currentIdentity = 3;
    h.SwitchAwayAndBack();
    EXPECT_EQ("one", h.Text(IDC_PROC_DEVICE_TEXT));
    service.nullDeviceText = true;
    service.currentIdentity = 4;
    h.SwitchAwayAndBack();
    EXPECT_EQ("", h.Text(IDC_PROC_DEVICE_TEXT));
    service.nullDeviceText = false;

    // A text at the page's limit is taken whole; one unit more is cut there.
    const size_t limit = (size_t)CProceduresPage::kDeviceTextLimit;
    service.deviceText = std::wstring(limit - 1, L'a') + L"z";
    service.currentIdentity = 5;
    h.SwitchAwayAndBack();
    EXPECT_EQ(std::string(limit - 1, 'a') + "z", h.Text(IDC_PROC_DEVICE_TEXT));
    service.deviceText += L"!";
    service.currentIdentity = 6;
    h.SwitchAwayAndBack();
    EXPECT_EQ(std::string(limit - 1, 'a') + "z", h.Text(IDC_PROC_DEVICE_TEXT));
    // The cut never splits a surrogate pair.
    service.deviceText = std::wstring(limit - 1, L'b') + L"\xD83D\xDE00";
    service.currentIdentity = 7;
    h.SwitchAwayAndBack();
    EXPECT_EQ(std::string(limit - 1, 'b'), h.Text(IDC_PROC_DEVICE_TEXT));

    // A megabyte in one paragraph: the page stays responsive and shows its head.
    service.deviceText = std::wstring((size_t)1 << 20, L'#');
    service.deviceText[0] = L'<';
    service.currentIdentity = 8;
    const DWORD started = ::GetTickCount();
    h.SwitchAwayAndBack();
    EXPECT_LT(::GetTickCount() - started, 10000u);
    const std::string shown = h.Text(IDC_PROC_DEVICE_TEXT);
    EXPECT_EQ("<" + std::string(limit - 1, '#'), shown);
    EXPECT_TRUE(h.IsActive());

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(ProceduresPage, FailuresEndEachOperationSilentlyAndReleaseWhatCameBack)
{
    FakeDeviceService service;
    testutil::MessageBoxRecorder boxes;
    PageHarness<CProceduresPage> h(&service);

    // An object handed out with a failure code is released without a query.
    service.fail["GetProcedureB"] = E_FAIL;
    service.objectOnFailure.insert("GetProcedureB");
    service.ClearCalls();
    h.Click(IDC_PROC_B5);
    EXPECT_EQ((Log{ "GetProcedureB(5)", "Release ProcedureB(5).IUnknown -> 0" }), service.Events());

    // A procedure object that refuses IServiceProcedure: released, no Start.
    service.refuse.insert("ProcedureC.IServiceProcedure");
    service.ClearCalls();
    h.Click(IDC_PROC_C2);
    EXPECT_EQ((Log{ "GetProcedureC(2)", "QueryInterface ProcedureC(2).IServiceProcedure -> E_NOINTERFACE",
                    "Release ProcedureC(2).IUnknown -> 0" }),
              service.Events());

    // A command object that refuses IServiceCommand.
    service.Refuse(IID_IServiceCommand);
    service.ClearCalls();
    h.Click(IDC_PROC_COMMAND);
    EXPECT_EQ((Log{ "GetCommand(1)", "QueryInterface Command(1).IServiceCommand -> E_NOINTERFACE",
                    "Release Command(1).IUnknown -> 0" }),
              service.Events());

    // An option procedure without the options interface still starts, without options.
    service.refuse.insert("OptionProcedure.IServiceProcedureOptions");
    service.ClearCalls();
    h.Click(IDC_PROC_OPTION);
    EXPECT_EQ((Log{ "GetOptionProcedure(4)",
                    "QueryInterface OptionProcedure(4).IServiceProcedureOptions -> E_NOINTERFACE",
                    "QueryInterface OptionProcedure(4).IServiceProcedure", "IServiceProcedure.Start(0)",
                    "Release OptionProcedure(4).IServiceProcedure -> 1", "Release OptionProcedure(4).IUnknown -> 0" }),
              service.Events());

    // A failing option procedure getter that still hands out an object.
    service.fail["GetOptionProcedure"] = E_FAIL;
    service.objectOnFailure.insert("GetOptionProcedure");
    service.ClearCalls();
    h.Click(IDC_PROC_OPTION);
    EXPECT_EQ((Log{ "GetOptionProcedure(4)", "Release OptionProcedure(4).IUnknown -> 0" }), service.Events());
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION));
    EXPECT_TRUE(h.Enabled(IDC_PROC_OPTION_FIRST));

    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_FIRST));
    EXPECT_TRUE(h.Checked(IDC_PROC_OPTION_SECOND));
    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

// ===========================================================================
// Maintenance page
// ===========================================================================

TEST(MaintenancePage, HasRunTimeClassInformationAndDynamicCreation)
{
    CRuntimeClass* pClass = RUNTIME_CLASS(CMaintenancePage);
    EXPECT_STREQ("CMaintenancePage", pClass->m_lpszClassName);
    EXPECT_EQ((int)sizeof(CPropertyPage), pClass->m_nObjectSize);
    EXPECT_EQ(0xFFFFu, pClass->m_wSchema);
    EXPECT_TRUE(pClass->IsDerivedFrom(RUNTIME_CLASS(CPropertyPage)));

    CObject* pObject = pClass->CreateObject();
    ASSERT_NE(nullptr, pObject);
    EXPECT_EQ(pClass, pObject->GetRuntimeClass());
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    CMaintenancePage* pPage = dynamic_cast<CMaintenancePage*>(pObject);
    ASSERT_NE(nullptr, pPage);
    EXPECT_EQ((UINT)IDD_MAINTENANCE_PAGE, pPage->GetTemplateID());
    delete pObject;
}

TEST(MaintenancePage, SetsItsTextsAndEachButtonRunsItsExactSequence)
{
    FakeDeviceService service;
    testutil::MessageBoxRecorder boxes;
    PageHarness<CMaintenancePage> h(&service);

    EXPECT_EQ(LoadText(IDS_MAINTENANCE_PAGE), testutil::WindowText(h.Page()));
    EXPECT_EQ(LoadText(IDS_MAINT_INTRO), h.Text(IDC_MAINT_INTRO));
    EXPECT_EQ(LoadText(IDS_MAINT_ACTION2_LABEL), h.Text(IDC_MAINT_ACTION2_LABEL));
    EXPECT_EQ(LoadText(IDS_MAINT_ACTION1_LABEL), h.Text(IDC_MAINT_ACTION1_LABEL));
    EXPECT_EQ(LoadText(IDS_MAINT_REPORT_LABEL), h.Text(IDC_MAINT_REPORT_LABEL));
    EXPECT_TRUE(service.Events().empty()) << service.EventsText();   // nothing asked for up front

    const struct
    {
        int control;
        Log expected;
    } buttons[] = {
        { IDC_MAINT_ACTION1, Exchange("GetAction(1)", "Action(1)", "IServiceAction", "Run") },
        { IDC_MAINT_ACTION2, Exchange("GetAction(2)", "Action(2)", "IServiceAction", "Run") },
        { IDC_MAINT_REPORT, Exchange("GetReport(10)", "Report(10)", "IServiceReport", "Execute(0)") },
    };
    for (const auto& button : buttons)
    {
        for (int click = 0; click < 3; ++click)   // every click repeats the whole sequence
        {
            service.ClearCalls();
            h.Click(button.control);
            EXPECT_EQ(button.expected, service.Events()) << button.control << " click " << click;
            EXPECT_EQ(0, service.LiveObjects());
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(MaintenancePage, RefusedInterfacesAndFailuresOnlyReleaseWhatWasHandedOut)
{
    FakeDeviceService service;
    testutil::MessageBoxRecorder boxes;
    PageHarness<CMaintenancePage> h(&service);

    service.Refuse(IID_IServiceAction);
    service.ClearCalls();
    h.Click(IDC_MAINT_ACTION1);
    EXPECT_EQ((Log{ "GetAction(1)", "QueryInterface Action(1).IServiceAction -> E_NOINTERFACE",
                    "Release Action(1).IUnknown -> 0" }),
              service.Events());

    service.refuse.clear();
    service.fail["GetAction(2)"] = E_FAIL;
    service.objectOnFailure.insert("GetAction(2)");
    service.ClearCalls();
    h.Click(IDC_MAINT_ACTION2);
    EXPECT_EQ((Log{ "GetAction(2)", "Release Action(2).IUnknown -> 0" }), service.Events());

    // Kind 1 is unaffected by kind 2's failure.
    service.ClearCalls();
    h.Click(IDC_MAINT_ACTION1);
    EXPECT_EQ(1, service.CountOf("IServiceAction.Run"));

    service.Refuse(IID_IServiceReport);
    service.ClearCalls();
    h.Click(IDC_MAINT_REPORT);
    EXPECT_EQ((Log{ "GetReport(10)", "QueryInterface Report(10).IServiceReport -> E_NOINTERFACE",
                    "Release Report(10).IUnknown -> 0" }),
              service.Events());

    service.refuse.clear();
    service.fail["GetReport"] = E_FAIL;
    service.ClearCalls();
    h.Click(IDC_MAINT_REPORT);
    EXPECT_EQ((Log{ "GetReport(10)" }), service.Events());

    EXPECT_TRUE(boxes.boxes.empty());
    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

// ===========================================================================
// Device tasks page
// ===========================================================================

TEST(DeviceTasksPage, SetsItsTextsAndHidesTheSpareControls)
{
    FakeDeviceService service;
    PageHarness<CDeviceTasksPage> h(&service);

    EXPECT_EQ(LoadText(IDS_TASKS_PAGE), testutil::WindowText(h.Page()));
    EXPECT_EQ(LoadText(IDS_TASK_FIRST_LABEL), h.Text(IDC_TASK_FIRST_LABEL));
    EXPECT_EQ(LoadText(IDS_TASK_SECOND_LABEL), h.Text(IDC_TASK_SECOND_LABEL));
    EXPECT_EQ(LoadText(IDS_TASKS_NOTE), h.Text(IDC_TASKS_NOTE));
    EXPECT_EQ(LoadText(IDS_TASKS_NOTE), h.Text(IDC_TASKS_SPARE_NOTE));
    EXPECT_TRUE(h.Visible(IDC_TASK_FIRST));
    EXPECT_TRUE(h.Visible(IDC_TASK_SECOND));
    EXPECT_TRUE(h.Visible(IDC_TASKS_NOTE));
    EXPECT_FALSE(h.Visible(IDC_TASK_FIRST_SPARE));
    EXPECT_FALSE(h.Visible(IDC_TASKS_SPARE_NOTE));

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(DeviceTasksPage, GetsTheInterfaceOncePerWindowAndCallsOncePerClick)
{
    FakeDeviceService service;
    PageHarness<CDeviceTasksPage> h(&service);

    // Got once, the object released at once, the interface kept.
    EXPECT_EQ((Log{ "GetDeviceTasks", "QueryInterface Tasks.IServiceTasks", "Release Tasks.IUnknown -> 1" }),
              service.Events());
    EXPECT_EQ(1, service.LiveObjects());

    service.ClearCalls();
    h.Click(IDC_TASK_FIRST);
    EXPECT_EQ((Log{ "IServiceTasks.StartFirstTask" }), service.Events());
    service.ClearCalls();
    h.Click(IDC_TASK_SECOND);
    EXPECT_EQ((Log{ "IServiceTasks.StartSecondTask" }), service.Events());
    // The hidden spare button does what the first one does (clicked from code).
    service.ClearCalls();
    h.Click(IDC_TASK_FIRST_SPARE);
    EXPECT_EQ((Log{ "IServiceTasks.StartFirstTask" }), service.Events());

    // Neither more clicks, re-activation nor another current device asks again.
    service.ClearCalls();
    h.Click(IDC_TASK_SECOND);
    h.Click(IDC_TASK_SECOND);
    service.currentIdentity = 42;
    h.SwitchAwayAndBack();
    h.Click(IDC_TASK_FIRST);
    EXPECT_EQ((Log{ "IServiceTasks.StartSecondTask", "IServiceTasks.StartSecondTask", "IServiceTasks.StartFirstTask" }),
              service.Calls());
    EXPECT_EQ(1, service.LiveObjects());

    // The window going releases the interface exactly once.
    service.ClearCalls();
    h.Destroy();
    EXPECT_EQ((Log{ "Release Tasks.IServiceTasks -> 0" }), service.Releases());
    ExpectCleanAfterDestroy(service);

    // A new window of the same page object gets a new interface, once.
    service.ClearCalls();
    h.Create();
    EXPECT_EQ((Log{ "GetDeviceTasks" }), service.Calls());
    h.Click(IDC_TASK_FIRST);
    EXPECT_EQ(1, service.CountOf("IServiceTasks.StartFirstTask"));
    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

TEST(DeviceTasksPage, AnObjectWithoutTheInterfaceIsReleasedAtOnceAndTheButtonsAreInert)
{
    FakeDeviceService service;
    service.Refuse(IID_IServiceTasks);
    testutil::MessageBoxRecorder boxes;
    PageHarness<CDeviceTasksPage> h(&service);

    EXPECT_EQ((Log{ "GetDeviceTasks", "QueryInterface Tasks.IServiceTasks -> E_NOINTERFACE",
                    "Release Tasks.IUnknown -> 0" }),
              service.Events());
    EXPECT_EQ(0, service.LiveObjects());

    service.ClearCalls();
    h.Click(IDC_TASK_FIRST);
    h.Click(IDC_TASK_SECOND);
    h.Click(IDC_TASK_FIRST_SPARE);
    EXPECT_TRUE(service.Events().empty()) << service.EventsText();
    EXPECT_TRUE(boxes.boxes.empty());

    h.Destroy();
    EXPECT_TRUE(service.Releases().empty()) << service.EventsText();
    ExpectCleanAfterDestroy(service);
}

TEST(DeviceTasksPage, AFailedGetReleasesAnyObjectAndLeavesTheButtonsInert)
{
    FakeDeviceService service;
    service.fail["GetDeviceTasks"] = E_FAIL;
    service.objectOnFailure.insert("GetDeviceTasks");
    PageHarness<CDeviceTasksPage> h(&service);

    EXPECT_EQ((Log{ "GetDeviceTasks", "Release Tasks.IUnknown -> 0" }), service.Events());
    service.ClearCalls();
    h.Click(IDC_TASK_FIRST);
    h.Click(IDC_TASK_SECOND);
    EXPECT_TRUE(service.Events().empty()) << service.EventsText();

    h.Destroy();
    ExpectCleanAfterDestroy(service);
}

// ===========================================================================
// All three pages without a device service
// ===========================================================================

template <class TPage>
void ClickAllWithoutService(std::initializer_list<int> buttons)
{
    testutil::MessageBoxRecorder boxes;
    PageHarness<TPage> h(nullptr);
    for (int button : buttons)
        h.Click(button);
    h.SwitchAwayAndBack();
    EXPECT_TRUE(h.IsActive());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(AllThreePages, WithoutADeviceServiceTheButtonsDoNothingAndNothingBreaks)
{
    ClickAllWithoutService<CProceduresPage>({ IDC_PROC_B1, IDC_PROC_B5, IDC_PROC_A1, IDC_PROC_A2, IDC_PROC_C1,
                                              IDC_PROC_C2, IDC_PROC_C3, IDC_PROC_COMMAND, IDC_PROC_OPTION });
    ClickAllWithoutService<CMaintenancePage>({ IDC_MAINT_ACTION1, IDC_MAINT_ACTION2, IDC_MAINT_REPORT });
    ClickAllWithoutService<CDeviceTasksPage>({ IDC_TASK_FIRST, IDC_TASK_SECOND, IDC_TASK_FIRST_SPARE });
}
