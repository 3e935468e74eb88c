// ShellE2ETests.cpp - ServiceApp.exe end to end: the start-up gate, both page
// sets, the title, closing, a second instance, and a missing device service.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"

#include <string>
#include <vector>

using namespace e2e;

namespace
{

const DWORD kTimeout = 15000;

std::vector<std::string> PageStrings(const std::vector<UINT>& ids)
{
    std::vector<std::string> texts;
    for (UINT id : ids)
        texts.push_back(ResourceText(id));
    return texts;
}

class ShellE2E : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(RegisterSimulator(true));
        // What the program writes stays out of build/bin.
        ::SetEnvironmentVariableA("DEVICESIM_STATE", TempPath("shell_default_state.txt").c_str());
    }

    HWND StartToDialog(AppProcess& app)
    {
        EXPECT_TRUE(app.Start());
        HWND hDlg = WaitForWindow(app.Pid(), IsStartupDialog, kTimeout);
        EXPECT_NE(nullptr, hDlg) << "no start-up dialog";
        return hDlg;
    }
    void CloseSheetAndExpectExit(AppProcess& app, HWND hSheet)
    {
        ::PostMessageA(hSheet, WM_COMMAND, IDCANCEL, 0);
        DWORD code = 1234;
        ASSERT_TRUE(app.WaitExit(kTimeout, &code)) << "still running after Close";
        EXPECT_EQ(0u, code);
    }
};

} // namespace

TEST_F(ShellE2E, KnownModelOpensTheFullSheetAndCloseEndsTheProgram)
{
    SimSession sim("shell");
    AppProcess app;
    HWND hSheet = StartToSheet(app, sim.Environment(), "KESSLY");
    ASSERT_NE(nullptr, hSheet);
    // The Devices page names the selected device in the title once it has one.
    std::string title = WindowText(hSheet);
    EXPECT_NE(std::string::npos, title.find(" - " + ResourceText(IDS_APP_TITLE))) << title;

    std::vector<std::string> expected =
        PageStrings({IDS_DEVICES_PAGE, IDS_MAINTENANCE_PAGE, IDS_MEMORY_PAGE, IDS_TASKS_PAGE,
                     IDS_PROCEDURES_PAGE, IDS_REPORTS_PAGE, IDS_DRIVER_PAGE});
    EXPECT_EQ(expected, PageTexts(hSheet));
    CloseSheetAndExpectExit(app, hSheet);

    // Closing released the device service and everything the pages held.
    std::string text = sim.Journal();
    EXPECT_NE(std::string::npos, text.find("live objects: 0")) << text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
    EXPECT_EQ(std::string::npos, text.find("OVER-RELEASE"));
    EXPECT_EQ(std::string::npos, text.find("USE-AFTER-RELEASE"));
}

TEST_F(ShellE2E, SixthModelInAnyCaseOpensTheReducedSheet)
{
    AppProcess app;
    HWND hSheet = StartToSheet(app, {}, "Ormek");
    ASSERT_NE(nullptr, hSheet);
    std::vector<std::string> expected = PageStrings(
        {IDS_DEVICES_PAGE, IDS_MAINTENANCE_PAGE, IDS_PROCEDURES_PAGE, IDS_REPORTS_PAGE, IDS_DRIVER_PAGE});
    EXPECT_EQ(expected, PageTexts(hSheet));
    CloseSheetAndExpectExit(app, hSheet);
}

TEST_F(ShellE2E, UnknownModelKeepsTheGateShutAndCancelEndsTheProgram)
{
    AppProcess app;
    HWND hDlg = StartToDialog(app);
    ASSERT_NE(nullptr, hDlg);
    EXPECT_FALSE(PassStartupGate(hDlg, "KESSL"));
    ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(app.WaitExit(kTimeout));
    for (HWND h : TopWindows(app.Pid()))
        EXPECT_FALSE(IsServiceSheet(h));
}

TEST_F(ShellE2E, SecondInstanceRestoresTheFirstsDialogAndEnds)
{
    AppProcess first;
    HWND hDlg = StartToDialog(first);
    ASSERT_NE(nullptr, hDlg);
    ::ShowWindow(hDlg, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(hDlg));

    AppProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitExit(kTimeout)) << "the second instance kept running";
    EXPECT_FALSE(::IsIconic(hDlg));
    EXPECT_TRUE(first.IsRunning());
    EXPECT_TRUE(::IsWindow(hDlg));

    ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(first.WaitExit(kTimeout));
}

TEST_F(ShellE2E, SecondInstanceRestoresTheFirstsSheetAndEnds)
{
    AppProcess first;
    HWND hSheet = StartToSheet(first, {}, "VOSKA");
    ASSERT_NE(nullptr, hSheet);
    ::ShowWindow(hSheet, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(hSheet));

    AppProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitExit(kTimeout));
    EXPECT_FALSE(::IsIconic(hSheet));
    EXPECT_TRUE(first.IsRunning());
    CloseSheetAndExpectExit(first, hSheet);

    // With the first gone, a new start is a first instance again.
    AppProcess third;
    EXPECT_NE(nullptr, StartToDialog(third));
    third.Kill();
}

TEST_F(ShellE2E, WithoutTheDeviceServiceExactlyOneMessageBoxAndTheProgramEnds)
{
    ASSERT_TRUE(RegisterSimulator(false));
    AppProcess app;
    ASSERT_TRUE(app.Start());
    std::string caption = ResourceText(IDS_NO_SERVICE_CAPTION);
    auto isBox = [&](HWND h) { return ClassName(h) == "#32770" && WindowText(h) == caption; };
    HWND hBox = WaitForWindow(app.Pid(), isBox, kTimeout);
    ASSERT_NE(nullptr, hBox) << "no message box";

    int boxes = 0, dialogs = 0;
    for (HWND h : TopWindows(app.Pid()))
    {
        if (isBox(h))
            ++boxes;
        if (IsStartupDialog(h) || IsServiceSheet(h))
            ++dialogs;
    }
    EXPECT_EQ(1, boxes);
    EXPECT_EQ(0, dialogs);
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(app.WaitExit(kTimeout));
    EXPECT_TRUE(RegisterSimulator(true));
}

TEST_F(ShellE2E, ASlotThatCanBeNeitherMadeNorOpenedIsReportedBeforeTheProgramEnds)
{
    // A mutex of the slot's name: the slot can be neither made nor opened
    // (as when another copy of the program runs with other rights).
    HANDLE hTaken = ::CreateMutexA(NULL, FALSE, "ServiceAppFirstInstanceHWND");
    ASSERT_NE(nullptr, hTaken);
    SimSession sim("slot");
    AppProcess app;
    ASSERT_TRUE(app.Start(std::string(), sim.Environment()));

    const std::string caption = ResourceText(IDS_APP_TITLE);
    auto isBox = [&](HWND h) { return ClassName(h) == "#32770" && WindowText(h) == caption; };
    HWND hBox = WaitForWindow(app.Pid(), isBox, kTimeout);
    ::CloseHandle(hTaken);
    ASSERT_NE(nullptr, hBox) << "the program said nothing";
    // The text is the module's, with the system's error code in it.
    char expected[1024] = "";
    DWORD_PTR args[] = {ERROR_INVALID_HANDLE};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     ResourceText(IDS_INSTANCE_SLOT_FAILED).c_str(), 0, 0, expected, sizeof(expected),
                     (va_list*)args);
    EXPECT_EQ(expected, WindowText(::GetDlgItem(hBox, 0xFFFF)));
    for (HWND h : TopWindows(app.Pid()))
        EXPECT_FALSE(IsStartupDialog(h) || IsServiceSheet(h));

    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    DWORD code = 1234;
    ASSERT_TRUE(app.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(std::string::npos, sim.Journal().find("CreateInstance")) << "no device service without the slot";
}

TEST_F(ShellE2E, AQuitWhileTheSheetIsUpLetsThePagesReleaseEverythingBeforeComGoes)
{
    SimSession sim("quit");
    AppProcess app;
    HWND hSheet = StartToSheet(app, sim.Environment(), "KESSLY");
    ASSERT_NE(nullptr, hSheet);
    // Every page once: the Devices, Device tasks and Driver settings pages
    // keep objects of the device service while their windows live.
    PageTexts(hSheet);

    // The loop ends while the sheet is still up (a quit message, as at the
    // end of a session): no Close button, no page notified.
    ASSERT_TRUE(::PostThreadMessageA(::GetWindowThreadProcessId(hSheet, NULL), WM_QUIT, 0, 0));
    DWORD code = 1234;
    ASSERT_TRUE(app.WaitExit(kTimeout, &code)) << "still running after WM_QUIT";
    EXPECT_EQ(0u, code);

    const std::string journal = sim.Journal();
    EXPECT_NE(std::string::npos, journal.find("live objects: 0")) << journal;
    EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE")) << journal;
    EXPECT_EQ(std::string::npos, journal.find("USE-AFTER-RELEASE")) << journal;
}

TEST_F(ShellE2E, TheSheetOpensCentredOnTheMonitorOfTheStartUpDialog)
{
    SimSession sim("centre");
    AppProcess app;
    ASSERT_TRUE(app.Start(std::string(), sim.Environment()));
    HWND hDlg = WaitForWindow(app.Pid(), IsStartupDialog, kTimeout);
    ASSERT_NE(nullptr, hDlg);
    // The user drags the dialog aside first; the monitor stays the same.
    ::SetWindowPos(hDlg, NULL, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rcDialog;
    ::GetWindowRect(hDlg, &rcDialog);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoA(::MonitorFromRect(&rcDialog, MONITOR_DEFAULTTONEAREST), &monitor));

    ASSERT_TRUE(PassStartupGate(hDlg, "KESSLY"));
    HWND hSheet = WaitForWindow(app.Pid(), IsServiceSheet, kTimeout);
    ASSERT_NE(nullptr, hSheet);
    RECT rcSheet;
    ::GetWindowRect(hSheet, &rcSheet);
    const RECT& work = monitor.rcWork;
    EXPECT_NEAR((work.left + work.right) / 2, (rcSheet.left + rcSheet.right) / 2, 1) << "left " << rcSheet.left;
    EXPECT_NEAR((work.top + work.bottom) / 2, (rcSheet.top + rcSheet.bottom) / 2, 1) << "top " << rcSheet.top;
    CloseSheetAndExpectExit(app, hSheet);
}
