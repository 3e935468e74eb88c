// ProceduresMaintenanceTasksE2ETests.cpp - ServiceApp.exe with the device
// service simulator, end to end: one click on each button of the maintenance,
// device tasks and procedures pages reaches the device exactly once, with the
// right numbers and option flags, and everything is released at exit.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"
#include "pages/ProceduresPage.h"

#include <string.h>

#include <string>
#include <vector>

using namespace e2e;

namespace
{

// Tab positions in the full page set.
const int kMaintenanceTab = 1;
const int kTasksTab = 3;
const int kProceduresTab = 4;

// One device of our own that offers report 10's main command.
const char kConfig[] =
    "fleet empty\n"
    "device id=9002 type=1 name=\"Procedure Lab\" col1=USB010 col2=Ready text=\"Procedure Lab: ready\" "
    "exec=0x400 alt=0x0\n";

// The whole text of a window of the program under test, however long.
std::string LongText(HWND hWnd)
{
    const LRESULT length = SendTo(hWnd, WM_GETTEXTLENGTH);
    std::string text((size_t)(length > 0 ? length : 0) + 1, '\0');
    ::SendMessageTimeoutA(hWnd, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)&text[0], SMTO_ABORTIFHUNG, 5000, NULL);
    text.resize(strlen(text.c_str()));
    return text;
}

class ProceduresMaintenanceTasksE2E : public FleetTest
{
protected:
    ProceduresMaintenanceTasksE2E() : FleetTest(kConfig) {}
};

} // namespace

TEST_F(ProceduresMaintenanceTasksE2E, EachButtonOfTheThreePagesReachesTheDeviceExactlyOnce)
{
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);

    HWND hPage = ShowPage(hSheet, kMaintenanceTab);
    ASSERT_NE(nullptr, hPage);
    ASSERT_EQ(ResourceText(IDS_MAINTENANCE_PAGE), WindowText(hPage));
    Click(hPage, IDC_MAINT_ACTION1);
    Click(hPage, IDC_MAINT_ACTION2);
    Click(hPage, IDC_MAINT_REPORT);

    hPage = ShowPage(hSheet, kTasksTab);
    ASSERT_NE(nullptr, hPage);
    ASSERT_EQ(ResourceText(IDS_TASKS_PAGE), WindowText(hPage));
    Click(hPage, IDC_TASK_FIRST);
    Click(hPage, IDC_TASK_SECOND);

    hPage = ShowPage(hSheet, kProceduresTab);
    ASSERT_NE(nullptr, hPage);
    ASSERT_EQ(ResourceText(IDS_PROCEDURES_PAGE), WindowText(hPage));
    // The Devices page made our device current: its text is shown, both options checked.
    EXPECT_EQ("Procedure Lab: ready", Text(hPage, IDC_PROC_DEVICE_TEXT));
    EXPECT_TRUE(Checked(hPage, IDC_PROC_OPTION_FIRST));
    EXPECT_TRUE(Checked(hPage, IDC_PROC_OPTION_SECOND));
    const int buttons[] = { IDC_PROC_B1, IDC_PROC_B5,      IDC_PROC_A1,    IDC_PROC_A2, IDC_PROC_C1,
                            IDC_PROC_C2, IDC_PROC_C3, IDC_PROC_COMMAND, IDC_PROC_OPTION };
    for (int button : buttons)
        Click(hPage, button);
    Close(app, hSheet);

    const std::string journal = Journal();
    const std::vector<std::string> lines = Lines(journal);
    const struct
    {
        const char* prefix;
        int count;
    } expected[] = {
        { "IDeviceService.GetAction(1) -> 0x00000000", 1 },
        { "IServiceAction.Run() -> 0x00000000 kind=1 counter=1", 1 },
        { "IDeviceService.GetAction(2) -> 0x00000000", 1 },
        { "IServiceAction.Run() -> 0x00000000 kind=2 counter=1", 1 },
        { "IServiceAction.Run(", 2 },
        { "IDeviceService.GetReport(10) -> 0x00000000", 1 },
        { "IServiceReport.Execute(0) -> 0x00000000 report=10 counter=1", 1 },
        { "IServiceReport.Execute(", 1 },
        { "IDeviceService.GetDeviceTasks() -> 0x00000000", 1 },
        { "IServiceTasks.StartFirstTask() -> 0x00000000 counter=1", 1 },
        { "IServiceTasks.StartSecondTask() -> 0x00000000 counter=1", 1 },
        { "IServiceTasks.", 2 },
        { "IDeviceService.GetProcedureB(1) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureB(5) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureA(1) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureA(2) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureC(1) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureC(2) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedureC(3) -> 0x00000000", 1 },
        { "IDeviceService.GetProcedure", 7 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=B1 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=B5 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=A1 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=A2 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=C1 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=C2 ", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=C3 ", 1 },
        { "IDeviceService.GetCommand(1) -> 0x00000000", 1 },
        { "IServiceCommand.Perform(0) -> 0x00000000 command=1 counter=1", 1 },
        { "IServiceCommand.Perform(", 1 },
        { "IDeviceService.GetOptionProcedure(4) -> 0x00000000", 1 },
        { "IServiceProcedureOptions.SetOptions(3) -> 0x00000000", 1 },
        { "IServiceProcedureOptions.SetOptions(", 1 },
        { "IServiceProcedure.Start(0) -> 0x00000000 procedure=O4 flags=3 ", 1 },
        { "IServiceProcedure.Start(", 8 },
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.count, CountLines(lines, e.prefix)) << e.prefix << "\n" << journal;
    // The options go to the device before the procedure starts.
    const size_t options = journal.find("IServiceProcedureOptions.SetOptions(3)");
    const size_t start = journal.find("procedure=O4");
    EXPECT_TRUE(options != std::string::npos && start != std::string::npos && options < start);
    ExpectAllReleased(journal);

    // The device's work counters, kept in the state file, agree: one run each.
    const std::string state = State();
    for (const char* record : { "M 9002 300 1\n", "M 9002 301 1\n", "M 9002 302 1\n", "M 9002 303 1\n",
                                "M 9002 304 1\n", "M 9002 306 8\n", "M 9002 307 1\n" })
        EXPECT_NE(std::string::npos, state.find(record)) << record << state;
}

TEST_F(ProceduresMaintenanceTasksE2E, AMegabyteDeviceTextLeavesThePageResponsive)
{
    Configure("fault IDeviceService.GetDeviceText long\n");
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    const DWORD started = ::GetTickCount();
    HWND hPage = ShowPage(hSheet, kProceduresTab);
    ASSERT_NE(nullptr, hPage);
    EXPECT_LT(::GetTickCount() - started, 10000u);

    // The head of the text is shown; the page still answers clicks.
    const std::string head = "Procedure Lab: ready";
    const size_t limit = (size_t)CProceduresPage::kDeviceTextLimit;
    EXPECT_EQ(head + std::string(limit - head.size(), '#'), LongText(::GetDlgItem(hPage, IDC_PROC_DEVICE_TEXT)));
    Click(hPage, IDC_PROC_COMMAND);
    Close(app, hSheet);

    const std::string journal = Journal();
    const std::vector<std::string> lines = Lines(journal);
    EXPECT_EQ(1, CountLines(lines, "IServiceCommand.Perform(0) -> 0x00000000")) << journal;
    ExpectAllReleased(journal);
}
