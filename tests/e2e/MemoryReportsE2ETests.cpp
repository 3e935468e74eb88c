// MemoryReportsE2ETests.cpp - ServiceApp.exe with the device service
// simulator, end to end: a memory value written on the memory page is still
// there after a restart; the reports page runs a report's command on the
// device and passes report 11's option.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"

#include <stdio.h>

#include <string>
#include <vector>

using namespace e2e;

namespace
{

// Tab positions in the full page set.
const int kMemoryTab = 2;
const int kReportsTab = 5;

// One device of our own: location 5 has the default 4321, 10 to 19 are
// missing; report 1 offers its main command only, report 11 its main command,
// and its second one once the option is on.
const char kConfig[] =
    "fleet empty\n"
    "device id=9001 type=2 name=\"Memory Lab\" col1=USB009 col2=Ready unavailable=10-19 mem.5=4321 "
    "exec=0x802 alt=0x0\n";

std::string Formatted(UINT nID, long a, long b = 0)
{
    char buf[1024] = "";
    snprintf(buf, sizeof(buf), ResourceText(nID).c_str(), a, b);
    return buf;
}

class MemoryReportsE2E : public FleetTest
{
protected:
    MemoryReportsE2E() : FleetTest(kConfig) {}
};

} // namespace

TEST_F(MemoryReportsE2E, WrittenMemoryValueIsThereAfterARestart)
{
    {
        AppProcess app;
        HWND hSheet = Start(app);
        ASSERT_NE(nullptr, hSheet);
        HWND hPage = ShowPage(hSheet, kMemoryTab);
        ASSERT_NE(nullptr, hPage);
        ASSERT_EQ(ResourceText(IDS_MEMORY_PAGE), WindowText(hPage));

        // A location the device lacks.
        SetText(hPage, IDC_MEM_LOCATION, "12");
        Click(hPage, IDC_MEM_READ);
        EXPECT_EQ(Formatted(IDS_MEM_NOT_AVAILABLE, 12), Text(hPage, IDC_MEM_STATUS));
        EXPECT_FALSE(Enabled(hPage, IDC_MEM_NEW_VALUE));

        SetText(hPage, IDC_MEM_LOCATION, "5");
        Click(hPage, IDC_MEM_READ);
        EXPECT_EQ("4321", Text(hPage, IDC_MEM_CURRENT_VALUE));
        EXPECT_EQ("4321", Text(hPage, IDC_MEM_DEFAULT_VALUE));
        ASSERT_TRUE(Enabled(hPage, IDC_MEM_NEW_VALUE));

        SetText(hPage, IDC_MEM_NEW_VALUE, "1234");
        Click(hPage, IDC_MEM_WRITE);
        EXPECT_EQ(Formatted(IDS_MEM_WRITTEN, 5, 1234), Text(hPage, IDC_MEM_STATUS));
        EXPECT_FALSE(Enabled(hPage, IDC_MEM_NEW_VALUE));
        Close(app, hSheet);
    }
    EXPECT_NE(std::string::npos, State().find("M 9001 5 1234")) << State();
    std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("IServiceMemory.WriteValue(5, VT_I4:1234) -> 0x00000000")) << journal;

    {
        AppProcess app;
        HWND hSheet = Start(app);
        ASSERT_NE(nullptr, hSheet);
        HWND hPage = ShowPage(hSheet, kMemoryTab);
        ASSERT_NE(nullptr, hPage);
        SetText(hPage, IDC_MEM_LOCATION, "5");
        Click(hPage, IDC_MEM_READ);
        EXPECT_EQ("1234", Text(hPage, IDC_MEM_CURRENT_VALUE));
        EXPECT_EQ("4321", Text(hPage, IDC_MEM_DEFAULT_VALUE));

        // Restore default puts the default back, verified.
        Click(hPage, IDC_MEM_RESTORE_DEFAULT);
        EXPECT_EQ(Formatted(IDS_MEM_WRITTEN, 5, 4321), Text(hPage, IDC_MEM_STATUS));
        Close(app, hSheet);
    }
    EXPECT_EQ(std::string::npos, State().find("M 9001 5 ")) << State();
    journal = Journal();
    EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE")) << journal;
}

TEST_F(MemoryReportsE2E, ReportsPageRunsCommandsAndPassesTheOption)
{
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    HWND hPage = ShowPage(hSheet, kReportsTab);
    ASSERT_NE(nullptr, hPage);
    ASSERT_EQ(ResourceText(IDS_REPORTS_PAGE), WindowText(hPage));

    // The Devices page made our device current, so the page chose report 1.
    EXPECT_EQ(BST_CHECKED, SendTo(::GetDlgItem(hPage, IDC_REPORT_1), BM_GETCHECK));
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT_EXECUTE));
    EXPECT_FALSE(Enabled(hPage, IDC_REPORT_EXECUTE_ALTERNATE));
    Click(hPage, IDC_REPORT_EXECUTE);

    Click(hPage, IDC_REPORT_2);
    EXPECT_FALSE(Enabled(hPage, IDC_REPORT_EXECUTE));

    Click(hPage, IDC_REPORT_11);
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT11_OPTION));
    EXPECT_FALSE(Enabled(hPage, IDC_REPORT_EXECUTE_ALTERNATE));
    Click(hPage, IDC_REPORT11_OPTION);
    EXPECT_TRUE(Enabled(hPage, IDC_REPORT_EXECUTE_ALTERNATE));
    Click(hPage, IDC_REPORT_EXECUTE_ALTERNATE);
    Close(app, hSheet);

    std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("IServiceReport.Execute(0) -> 0x00000000 report=1")) << journal;
    EXPECT_NE(std::string::npos, journal.find("IServiceReportOption.SetReportOption(1) -> 0x00000000")) << journal;
    EXPECT_NE(std::string::npos, journal.find("IServiceReport.ExecuteAlternate(0) -> 0x00000000 report=11"))
        << journal;
    EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE")) << journal;
}
