// PrintersE2ETests.cpp - ServiceApp.exe with the IPP device service
// (DeviceIpp.dll registered in the test prefix) on the CUPS test server's
// queues. Run by tests/deviceipp/host-tools.sh: CUPS_SERVER names the
// server, and the server is checked and changed with CUPS's own tools
// (ipptool, lpstat, lpadmin), never through our IPP code.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"
#include "support/HostTools.h"
#include "support/TestViewer.h"

#include <commctrl.h>
#include <prsht.h>

#include <fstream>

#include <string>
#include <vector>

using namespace e2e;

namespace
{

const DWORD kTimeout = 15000;
const int kMaintenanceTab = 1;
const int kMemoryTab = 2;
const int kTasksTab = 3;
const int kProceduresTab = 4;
const int kReportsTab = 5;
const int kDriverTab = 6;

using hosttools::JobAttribute;

// What the testrecord backend got for a job ("data" or "info").
std::string Received(long job, const char* what)
{
    std::string out;
    for (int i = 0; i < 100; ++i)
    {
        if (hosttools::HostRun("cat $CUPS_TEST_DIR/received/" + std::to_string(job) + "." + what, &out) == 0)
            return out;
        ::Sleep(100);
    }
    return out;
}

std::string WaitForText(HWND hWnd, const std::string& text)
{
    DWORD start = ::GetTickCount();
    std::string now = WindowText(hWnd);
    while (now != text && ::GetTickCount() - start < kTimeout)
    {
        ::Sleep(50);
        now = WindowText(hWnd);
    }
    return now;
}

class PrintersE2E : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(RegisterService("DeviceIpp.dll")); }
    // The other end-to-end programs expect the simulator.
    static void TearDownTestSuite() { RegisterSimulator(true); }

    void SetUp() override
    {
        ASSERT_TRUE(hosttools::Available()) << "run through tests/deviceipp/host-tools.sh";
        m_config = TempPath("printers.ini");
        m_state = TempPath("printers.state");
        m_journal = TempPath("printers_journal.txt");
        std::ofstream(m_config.c_str()) << "# the CUPS server's queues only\n";
        ::DeleteFileA(m_state.c_str());
        ::DeleteFileA(m_journal.c_str());
    }

    void TearDown() override
    {
        for (const std::string& queue : m_queues)
            hosttools::HostRun("lpadmin -x " + queue);
        ::DeleteFileA(m_config.c_str());
        ::DeleteFileA(m_state.c_str());
        ::DeleteFileA((m_state + ".tmp").c_str());
        ::DeleteFileA(m_journal.c_str());
    }

    void AddQueue(const std::string& name, const std::string& arguments)
    {
        std::string out;
        ASSERT_EQ(0, hosttools::HostRun("lpadmin -p " + name + " -E " + arguments, &out)) << out;
        m_queues.push_back(name);
    }

    HWND Start(AppProcess& app, const std::string& viewed = std::string())
    {
        return StartToSheet(app, {"DEVICEIPP_CONFIG=" + m_config, "DEVICEIPP_STATE=" + m_state,
                                  "DEVICEIPP_JOURNAL=" + m_journal, "DEVICEIPP_VIEWED=" + viewed});
    }

    // The job of the last journal line with `call` in it ("job=N"), 0 when none.
    long JobOf(const std::string& call) const
    {
        const std::vector<std::string> lines = Lines(Journal());
        for (size_t i = lines.size(); i-- > 0;)
        {
            const size_t at = lines[i].find(" job=");
            if (lines[i].find(call) != std::string::npos && at != std::string::npos)
                return atol(lines[i].c_str() + at + 5);
        }
        return 0;
    }

    std::string Journal() const { return ReadFile(m_journal); }

    static HWND CurrentPage(HWND hSheet) { return (HWND)SendTo(hSheet, PSM_GETCURRENTPAGEHWND); }
    static HWND ShowPage(HWND hSheet, int nTab)
    {
        SendTo(hSheet, PSM_SETCURSEL, (WPARAM)nTab, 0);
        return CurrentPage(hSheet);
    }
    static HWND List(HWND hSheet) { return ::GetDlgItem(ShowPage(hSheet, 0), IDC_DEVICE_LIST); }
    static int Rows(HWND hList) { return (int)SendTo(hList, LVM_GETITEMCOUNT); }
    static int RowOf(HWND hList, const std::string& name)
    {
        for (int row = 0; row < Rows(hList); ++row)
            if (ListItemText(hList, row, 0) == name)
                return row;
        return -1;
    }
    // Selects a row with the keys a user would press (Home, then Down).
    static void SelectRow(HWND hSheet, const std::string& name)
    {
        HWND hList = List(hSheet);
        const int row = RowOf(hList, name);
        ASSERT_GE(row, 0) << "no row " << name;
        SendTo(hList, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < row; ++i)
            SendTo(hList, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(name + " - " + ResourceText(IDS_APP_TITLE), WaitForText(hSheet, name + " - " + ResourceText(IDS_APP_TITLE)));
    }
    static void Close(AppProcess& app, HWND hSheet)
    {
        ::PostMessageA(hSheet, WM_COMMAND, IDCANCEL, 0);
        DWORD code = 1234;
        ASSERT_TRUE(app.WaitExit(kTimeout, &code)) << "still running after Close";
        EXPECT_EQ(0u, code);
    }
    static bool Checked(HWND hPage, int nID) { return SendTo(::GetDlgItem(hPage, nID), BM_GETCHECK) == BST_CHECKED; }
    static void SetText(HWND hPage, int nID, const char* text)
    {
        SendTo(::GetDlgItem(hPage, nID), WM_SETTEXT, 0, (LPARAM)text);
    }
    static std::string Text(HWND hPage, int nID) { return WindowText(::GetDlgItem(hPage, nID)); }
    static bool Enabled(HWND hPage, int nID) { return ::IsWindowEnabled(::GetDlgItem(hPage, nID)) != FALSE; }
    static void Click(HWND hPage, int nID) { SendTo(::GetDlgItem(hPage, nID), BM_CLICK); }

    void ExpectCleanJournal()
    {
        const std::string journal = Journal();
        EXPECT_NE(std::string::npos, journal.find("live objects: 0")) << journal;
        EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE"));
        EXPECT_EQ(std::string::npos, journal.find("USE-AFTER-RELEASE"));
        EXPECT_NE(std::string::npos, journal.find("workers ended, requests released"));
    }

    std::string m_config;
    std::string m_state;
    std::string m_journal;
    std::vector<std::string> m_queues;
};

} // namespace

// The Devices page lists the server's queues with their connection and state;
// the stopped queue says so; a selected queue shows its location.
TEST_F(PrintersE2E, DevicesPageListsTheServersQueues)
{
    std::string lpstat;
    ASSERT_EQ(0, hosttools::HostRun("lpstat -v | wc -l", &lpstat));
    const int queues = atoi(lpstat.c_str());
    ASSERT_GE(queues, 6);

    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    HWND hList = List(hSheet);
    EXPECT_EQ(queues, Rows(hList));
    const std::string server = hosttools::CupsServer();
    const char* const expected[][2] = { { "office", "Idle" }, { "lab", "Idle" }, { "stopped", "Stopped" },
                                        { "supplies", "Toner low" } };
    for (const auto& queue : expected)
    {
        const int row = RowOf(hList, queue[0]);
        ASSERT_GE(row, 0) << queue[0];
        EXPECT_EQ(server + "/" + queue[0], ListItemText(hList, row, 1));
        EXPECT_EQ(queue[1], ListItemText(hList, row, 2)) << queue[0];
    }

    SelectRow(hSheet, "office");
    HWND hPage = CurrentPage(hSheet);
    EXPECT_EQ("Room 101", WindowText(::GetDlgItem(hPage, IDC_DETAIL_TEXT3)));
    EXPECT_EQ("Local Raw Printer", WindowText(::GetDlgItem(hPage, IDC_DETAIL_TEXT2)));
    SelectRow(hSheet, "stopped");
    EXPECT_EQ("Basement", WindowText(::GetDlgItem(hPage, IDC_DETAIL_TEXT3)));
    HWND hProcedures = ShowPage(hSheet, kProceduresTab);
    EXPECT_EQ(0u, WindowText(::GetDlgItem(hProcedures, IDC_PROC_DEVICE_TEXT)).find("Stopped: Out of order"))
        << WindowText(::GetDlgItem(hProcedures, IDC_PROC_DEVICE_TEXT));
    Close(app, hSheet);
    ExpectCleanJournal();
}

// Ticking two-sided printing and applying changes the queue's sides-default;
// Revert shows the queue's values again without sending anything; Defaults
// fills in the documented defaults, which Apply writes.
TEST_F(PrintersE2E, DriverSettingsApplyRevertAndDefaults)
{
    AddQueue("dipp_duplex", "-v file:///dev/null -P $IPP_TEST_DATA/color.ppd -L \"Print room 2\" "
                            "-o sides-default=one-sided -o copies-default=2");
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    SelectRow(hSheet, "dipp_duplex");
    HWND hPage = ShowPage(hSheet, kDriverTab);
    ASSERT_EQ(ResourceText(IDS_DRIVER_PAGE), WindowText(hPage));
    EXPECT_FALSE(Checked(hPage, IDC_DRV_OPTION13));
    EXPECT_EQ("2", WindowText(::GetDlgItem(hPage, IDC_DRV_NUMBER)));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_CHOICE2)) << "normal quality";
    EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));

    // Two-sided, applied: the server has it.
    Click(hPage, IDC_DRV_OPTION13);
    EXPECT_TRUE(Enabled(hPage, IDC_DRV_APPLY));
    Click(hPage, IDC_DRV_APPLY);
    EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));
    EXPECT_EQ("two-sided-long-edge", hosttools::QueueDefault("dipp_duplex", "sides-default"));

    // An edit, then Revert: the queue's values again, nothing sent.
    const size_t sent = Lines(Journal()).size();
    Click(hPage, IDC_DRV_OPTION3);
    Click(hPage, IDC_DRV_OPTION13);
    EXPECT_TRUE(Enabled(hPage, IDC_DRV_REVERT));
    Click(hPage, IDC_DRV_REVERT);
    EXPECT_TRUE(Checked(hPage, IDC_DRV_OPTION13));
    EXPECT_FALSE(Checked(hPage, IDC_DRV_OPTION3));
    EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));
    const std::vector<std::string> since = Lines(Journal());
    for (size_t i = sent; i < since.size(); ++i)
        EXPECT_EQ(std::string::npos, since[i].find("CUPS-Add-Modify-Printer")) << since[i];

    // Defaults: one-sided, collated, one copy, normal, colour; Apply writes them.
    Click(hPage, IDC_DRV_DEFAULTS);
    EXPECT_FALSE(Checked(hPage, IDC_DRV_OPTION13));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_OPTION10));
    EXPECT_EQ("1", WindowText(::GetDlgItem(hPage, IDC_DRV_NUMBER)));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_CHOICE2));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_SWITCH1));
    EXPECT_TRUE(Enabled(hPage, IDC_DRV_APPLY));
    Click(hPage, IDC_DRV_APPLY);
    EXPECT_EQ("one-sided", hosttools::QueueDefault("dipp_duplex", "sides-default"));
    EXPECT_EQ("1", hosttools::QueueDefault("dipp_duplex", "copies-default"));
    Close(app, hSheet);
    ExpectCleanJournal();
}

// A queue deleted on the server while the program runs shows "Not
// reachable" once the service has asked the server again; the program goes
// on and closes cleanly.
TEST_F(PrintersE2E, QueueDeletedWhileRunningShowsNotReachable)
{
    AddQueue("dipp_gone", "-v file:///dev/null -L Attic");
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    SelectRow(hSheet, "dipp_gone");
    EXPECT_EQ("Attic", WindowText(::GetDlgItem(CurrentPage(hSheet), IDC_DETAIL_TEXT3)));

    ASSERT_EQ(0, hosttools::HostRun("lpadmin -x dipp_gone"));
    m_queues.clear();
    // The service asks the server again within its refresh period.
    const size_t before = Lines(Journal()).size();
    const DWORD start = ::GetTickCount();
    bool asked = false;
    while (!asked && ::GetTickCount() - start < kTimeout)
    {
        const std::vector<std::string> lines = Lines(Journal());
        for (size_t i = before; i < lines.size() && !asked; ++i)
            asked = lines[i].find("request: CUPS-Get-Printers") == 0;
        ::Sleep(100);
    }
    ASSERT_TRUE(asked) << "the service did not ask the server again";

    // Another device, then the deleted one again: the pages read it anew.
    SelectRow(hSheet, "office");
    SelectRow(hSheet, "dipp_gone");
    HWND hProcedures = ShowPage(hSheet, kProceduresTab);
    const std::string text = WindowText(::GetDlgItem(hProcedures, IDC_PROC_DEVICE_TEXT));
    EXPECT_EQ(0u, text.find("Not reachable: the server no longer has this printer")) << text;
    HWND hDriver = ShowPage(hSheet, kDriverTab);
    ASSERT_NE(nullptr, hDriver);
    Click(hDriver, IDC_DRV_OPTION13);
    Click(hDriver, IDC_DRV_APPLY);
    ShowPage(hSheet, 0);
    Close(app, hSheet);
    const std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("IServiceDriverSettings.SetOption13(1) -> 0x80040403"))
        << "a change of a printer that is gone fails";
    ExpectCleanJournal();
}

// One button of each page does its work on the selected queue: the
// Maintenance page's service report and the memory page's list print as
// jobs named after them; the memory page reads the queue's numbers and says
// that a write failed; the self-test task and the cleaning of the black head
// reach the printer as command files; the Reports page prints the colour
// bars and shows them in the viewer; a stopped queue offers no Print.
TEST_F(PrintersE2E, EachPageDoesItsWorkOnTheSelectedQueue)
{
    AddQueue("dipp_pages", "-v testrecord:$CUPS_TEST_DIR/received -L \"Page room\"");
    const std::string viewed = TempPath("viewed");
    ::CreateDirectoryA(viewed.c_str(), NULL);
    TestViewerRegistration viewer(BinDir() + "..\\tests\\test_viewer.exe");
    AppProcess app;
    HWND hSheet = Start(app, viewed);
    ASSERT_NE(nullptr, hSheet);
    SelectRow(hSheet, "dipp_pages");

    HWND hPage = ShowPage(hSheet, kMaintenanceTab);
    Click(hPage, IDC_MAINT_REPORT);
    long job = JobOf("report=10");
    ASSERT_GT(job, 0) << Journal();
    EXPECT_EQ("Device Service: Service report", JobAttribute("dipp_pages", job, "job-name"));

    hPage = ShowPage(hSheet, kMemoryTab);
    SetText(hPage, IDC_MEM_LOCATION, "2");
    Click(hPage, IDC_MEM_READ);
    EXPECT_EQ("0", Text(hPage, IDC_MEM_CURRENT_VALUE)) << "no job waits";
    EXPECT_EQ("0", Text(hPage, IDC_MEM_DEFAULT_VALUE));
    ASSERT_TRUE(Enabled(hPage, IDC_MEM_NEW_VALUE));
    SetText(hPage, IDC_MEM_NEW_VALUE, "5");
    Click(hPage, IDC_MEM_WRITE);
    char failed[256];
    snprintf(failed, sizeof(failed), ResourceText(IDS_MEM_WRITE_FAILED).c_str(), 2L);
    EXPECT_EQ(failed, Text(hPage, IDC_MEM_STATUS));
    Click(hPage, IDC_MEM_REPORT);
    job = JobOf("report=2");
    ASSERT_GT(job, 0);
    EXPECT_EQ("Device Service: Status report", JobAttribute("dipp_pages", job, "job-name"));
    std::string text;
    hosttools::HostRun("pdftotext $CUPS_TEST_DIR/spool/d$(printf %05d " + std::to_string(job) + ")-001 -", &text);
    EXPECT_NE(std::string::npos, text.find("Memory locations")) << text;

    hPage = ShowPage(hSheet, kTasksTab);
    Click(hPage, IDC_TASK_FIRST);
    job = JobOf("IServiceTasks.StartFirstTask");
    ASSERT_GT(job, 0);
    EXPECT_EQ("#CUPS-COMMAND\nPrintSelfTestPage\n", Received(job, "data"));

    hPage = ShowPage(hSheet, kProceduresTab);
    Click(hPage, IDC_PROC_OPTION_SECOND);
    EXPECT_FALSE(Checked(hPage, IDC_PROC_OPTION_SECOND));
    Click(hPage, IDC_PROC_OPTION);
    job = JobOf("IServiceProcedure.Start");
    ASSERT_GT(job, 0);
    EXPECT_EQ("#CUPS-COMMAND\nClean black\n", Received(job, "data"));

    hPage = ShowPage(hSheet, kReportsTab);
    Click(hPage, IDC_REPORT_4);
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT_EXECUTE));
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT_EXECUTE_ALTERNATE));
    Click(hPage, IDC_REPORT_EXECUTE);
    job = JobOf("report=4");
    ASSERT_GT(job, 0);
    EXPECT_EQ("Device Service: Colour bars", JobAttribute("dipp_pages", job, "job-name"));
    Click(hPage, IDC_REPORT_EXECUTE_ALTERNATE);
    std::string shown;
    for (int i = 0; i < 100 && shown.empty(); ++i, ::Sleep(100))
        shown = ReadFile(viewed + "\\viewed-1.pdf");
    EXPECT_EQ(0u, shown.find("%PDF-1.4")) << "the viewer got no PDF";
    EXPECT_NE(std::string::npos, shown.find("Colour bars"));

    // Another printer, stopped: the page falls back to report 1, which it
    // may show but not print.
    SelectRow(hSheet, "stopped");
    hPage = ShowPage(hSheet, kReportsTab);
    EXPECT_TRUE(Checked(hPage, IDC_REPORT_1));
    EXPECT_FALSE(Enabled(hPage, IDC_REPORT_EXECUTE));
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT_EXECUTE_ALTERNATE));
    ShowPage(hSheet, 0);
    Close(app, hSheet);
    ExpectCleanJournal();
    const std::vector<std::string> lines = Lines(Journal());
    EXPECT_EQ(0, CountLines(lines, "request: Print-Job ipp://" + hosttools::CupsServer() + "/printers/stopped"));
    ::DeleteFileA((viewed + "\\viewed-1.pdf").c_str());
    ::DeleteFileA((viewed + "\\viewed-1.txt").c_str());
    ::RemoveDirectoryA(viewed.c_str());
}
