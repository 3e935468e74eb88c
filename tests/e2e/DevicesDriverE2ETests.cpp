// DevicesDriverE2ETests.cpp - ServiceApp.exe with the simulator: picking a
// device on the Devices page, changing driver settings on the Driver settings
// page, applying, and finding them kept after a restart.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace e2e;

namespace
{

const DWORD kTimeout = 15000;

// Waits until the window's text is `text`; the last text seen otherwise.
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

// Two devices of our own with different driver settings.
const char kFleet[] =
    "fleet empty\n"
    "device id=9001 type=0 name=\"Front Desk\" col1=USB001 col2=Ready settings=FRONT@USB001 "
    "numbermax=99 default.Number=1 default.Choice=1 default.Switch=1\n"
    "device id=9002 type=2 name=\"Back Office\" col1=USB002 col2=Busy detail1=\"BO model\" "
    "settings=BACK@USB002 numbermax=250 default.Number=2 default.Choice=0 default.Switch=0 "
    "default.Option2=0\n";

class DevicesDriverE2E : public FleetTest
{
protected:
    DevicesDriverE2E() : FleetTest(kFleet) {}

    // Shows the last page (the Driver settings page) and returns it.
    HWND ShowDriverPage(HWND hSheet) const
    {
        HWND hTab = (HWND)::SendMessageA(hSheet, PSM_GETTABCONTROL, 0, 0);
        const int n = (int)::SendMessageA(hTab, TCM_GETITEMCOUNT, 0, 0);
        ::SendMessageA(hSheet, PSM_SETCURSEL, (WPARAM)(n - 1), 0);
        HWND hPage = CurrentPage(hSheet);
        EXPECT_EQ(ResourceText(IDS_DRIVER_PAGE), WindowText(hPage));
        return hPage;
    }
    // The Devices page: the second row, by the Down key in the list.
    void PickSecondDevice(HWND hSheet) const
    {
        ::SendMessageA(hSheet, PSM_SETCURSEL, 0, 0);
        HWND hList = ::GetDlgItem(CurrentPage(hSheet), IDC_DEVICE_LIST);
        ASSERT_NE(nullptr, hList);
        ASSERT_EQ(2, (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
        ::SendMessageA(hList, WM_KEYDOWN, VK_DOWN, 0);
        ::SendMessageA(hList, WM_KEYUP, VK_DOWN, 0xC0000000);
        EXPECT_EQ("Back Office - " + ResourceText(IDS_APP_TITLE), WaitForText(hSheet, "Back Office - " + ResourceText(IDS_APP_TITLE)));
        EXPECT_EQ(1, (int)::SendMessageA(hList, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0)));
    }
};

} // namespace

TEST_F(DevicesDriverE2E, FirstDeviceIsCurrentAtStartAndTheListShowsTheFleet)
{
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    EXPECT_EQ("Front Desk - " + ResourceText(IDS_APP_TITLE), WindowText(hSheet));
    HWND hPage = CurrentPage(hSheet);
    HWND hList = ::GetDlgItem(hPage, IDC_DEVICE_LIST);
    EXPECT_EQ(2, (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, (int)::SendMessageA(hList, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0)));

    PickSecondDevice(hSheet);
    EXPECT_EQ("BO model", WindowText(::GetDlgItem(hPage, IDC_DETAIL_TEXT1)));
    Close(app, hSheet);

    const std::vector<std::string> journal = Lines(Journal());
    const int first = FindLine(journal, "IDeviceService.SetCurrentDevice(9001)");
    const int second = FindLine(journal, "IDeviceService.SetCurrentDevice(9002)");
    EXPECT_GE(first, 0);
    EXPECT_GT(second, first);
}

TEST_F(DevicesDriverE2E, AppliedSettingsAreKeptAcrossARestart)
{
    int lower = 0, upper = 0;
    {
        AppProcess app;
        HWND hSheet = Start(app);
        ASSERT_NE(nullptr, hSheet);
        PickSecondDevice(hSheet);
        HWND hPage = ShowDriverPage(hSheet);
        ASSERT_NE(nullptr, hPage);

        // The device's values as loaded: its defaults.
        EXPECT_EQ("2", WindowText(::GetDlgItem(hPage, IDC_DRV_NUMBER)));
        EXPECT_TRUE(Checked(hPage, IDC_DRV_CHOICE1));
        EXPECT_FALSE(Checked(hPage, IDC_DRV_SWITCH1));
        EXPECT_FALSE(Checked(hPage, IDC_DRV_OPTION2));
        EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));
        LRESULT range = ::SendMessageA(::GetDlgItem(hPage, IDC_DRV_NUMBER_SPIN), UDM_GETRANGE, 0, 0);
        lower = (short)HIWORD(range);
        upper = (short)LOWORD(range);
        EXPECT_EQ(1, lower);
        EXPECT_EQ(250, upper);

        // Change three settings and apply.
        ::SendMessageA(::GetDlgItem(hPage, IDC_DRV_OPTION2), BM_CLICK, 0, 0);
        ::SendMessageA(::GetDlgItem(hPage, IDC_DRV_CHOICE3), BM_CLICK, 0, 0);
        ::SendMessageA(::GetDlgItem(hPage, IDC_DRV_NUMBER), WM_SETTEXT, 0, (LPARAM)"17");
        EXPECT_TRUE(Enabled(hPage, IDC_DRV_APPLY));
        EXPECT_TRUE(Enabled(hPage, IDC_DRV_REVERT));
        ::SendMessageA(::GetDlgItem(hPage, IDC_DRV_APPLY), BM_CLICK, 0, 0);
        EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));
        EXPECT_FALSE(Enabled(hPage, IDC_DRV_REVERT));
        Close(app, hSheet);
    }

    // The journal: SetDevice before the first load, and the sixteen setters.
    const std::vector<std::string> journal = Lines(Journal());
    const int setDevice = FindLine(journal, "IServiceDriverSettings.SetDevice(\"BACK@USB002\")");
    ASSERT_GE(setDevice, 0) << Journal();
    const int firstGet = FindLine(journal, "IServiceDriverSettings.GetOption1");
    EXPECT_GT(firstGet, setDevice);
    EXPECT_GE(FindLine(journal, "IServiceDriverSettings.SetNumber(17)", setDevice), 0);
    EXPECT_GE(FindLine(journal, "IServiceDriverSettings.SetOption2(1)", setDevice), 0);
    EXPECT_GE(FindLine(journal, "IServiceDriverSettings.SetChoice(2)", setDevice), 0);
    EXPECT_GE(FindLine(journal, "IServiceDriverSettings.SetSwitch(0)", setDevice), 0);
    EXPECT_NE(std::string::npos, State().find("S 9002 Number 17")) << State();

    // A new run: the same device shows what was applied.
    AppProcess app;
    HWND hSheet = Start(app);
    ASSERT_NE(nullptr, hSheet);
    PickSecondDevice(hSheet);
    HWND hPage = ShowDriverPage(hSheet);
    ASSERT_NE(nullptr, hPage);
    EXPECT_EQ("17", WindowText(::GetDlgItem(hPage, IDC_DRV_NUMBER)));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_OPTION2));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_CHOICE3));
    EXPECT_FALSE(Checked(hPage, IDC_DRV_CHOICE1));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_SWITCH2));
    EXPECT_FALSE(Enabled(hPage, IDC_DRV_APPLY));

    // The other device kept its own values.
    ::SendMessageA(hSheet, PSM_SETCURSEL, 0, 0);
    HWND hList = ::GetDlgItem(CurrentPage(hSheet), IDC_DEVICE_LIST);
    ::SendMessageA(hList, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ("Front Desk - " + ResourceText(IDS_APP_TITLE),
              WaitForText(hSheet, "Front Desk - " + ResourceText(IDS_APP_TITLE)));
    hPage = ShowDriverPage(hSheet);
    EXPECT_EQ("1", WindowText(::GetDlgItem(hPage, IDC_DRV_NUMBER)));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_CHOICE2));
    EXPECT_TRUE(Checked(hPage, IDC_DRV_SWITCH1));
    Close(app, hSheet);
}
