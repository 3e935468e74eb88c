// KeyboardE2ETests.cpp - ServiceApp.exe driven by the keyboard from another
// process, as a user types, with the focus read after every key and the
// simulator's journal read for what reached the device: page changes, Space,
// Enter, Tab, Alt+letters, pasted text and Ctrl+C, on every page that has
// something for the keyboard.
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

// Tab positions in the full page set.
const int kDevicesTab = 0;
const int kMemoryTab = 2;
const int kProceduresTab = 4;
const int kReportsTab = 5;
const int kDriverTab = 6;
const int kPageCount = 7;

// The first device's serial number is longer than its field; the second
// device keeps no page count (the second DetailNumber call, its first
// selection, fails).
const char kLongSerial[] = "SN-4417-2291-8835-0042-7763-1190-5528-3306-9914-0071-LAST";

std::string Config()
{
    return std::string("fleet empty\n") +
           "device id=9003 type=1 name=\"Key Lab\" col1=USB011 col2=Ready text=\"Key Lab: ready\" detail1=\"" +
           kLongSerial + "\" number=1234567\n"
           "device id=9004 type=2 name=\"Count Less\" col1=USB012 col2=Ready\n"
           "fault IServiceDevice.DetailNumber fail call=2\n";
}

class KeyboardE2E : public FleetTest
{
protected:
    KeyboardE2E() : FleetTest(Config()) {}

    void SetUp() override
    {
        FleetTest::SetUp();
        m_hSheet = Start(m_app);
        ASSERT_NE(nullptr, m_hSheet);
        m_thread = ::GetWindowThreadProcessId(m_hSheet, NULL);
        BringForward();
    }

    // Keys go to the foreground window, as they do for a user.
    void BringForward()
    {
        ::SetForegroundWindow(m_hSheet);
        for (int i = 0; i < 100 && ::GetForegroundWindow() != m_hSheet; ++i)
            ::Sleep(50);
        ASSERT_EQ(m_hSheet, ::GetForegroundWindow()) << "the sheet did not come to the foreground";
    }

    // Presses vk with the modifiers held, then waits until the program has
    // dealt with the keys. FALSE when it does not answer within 5 seconds.
    bool Press(WORD vk, bool ctrl = false, bool shift = false, bool alt = false)
    {
        std::vector<INPUT> keys;
        auto add = [&](WORD key, bool up) {
            INPUT in = {};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = key;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            keys.push_back(in);
        };
        if (ctrl)
            add(VK_CONTROL, false);
        if (shift)
            add(VK_SHIFT, false);
        if (alt)
            add(VK_MENU, false);
        add(vk, false);
        add(vk, true);
        if (alt)
            add(VK_MENU, true);
        if (shift)
            add(VK_SHIFT, true);
        if (ctrl)
            add(VK_CONTROL, true);
        ::SendInput((UINT)keys.size(), &keys[0], sizeof(INPUT));
        return Settled();
    }

    // Waits until the program has taken the keys and answers a message. The
    // program's loop handles one queued key per turn and answers a sent
    // message at the start of every turn, so a dozen answered messages mean
    // that the few key messages of one press have all been handled.
    bool Settled()
    {
        ::Sleep(20);
        for (int i = 0; i < 12; ++i)
        {
            DWORD_PTR result = 0;
            if (!::SendMessageTimeoutA(m_hSheet, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result))
                return false;
        }
        return true;
    }

    HWND Focus() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return ::GetGUIThreadInfo(m_thread, &info) ? info.hwndFocus : NULL;
    }

    // Puts the focus on a control the way the dialog manager does for Tab.
    void FocusOn(HWND hPage, int nID) const
    {
        SendTo(m_hSheet, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(hPage, nID), TRUE);
    }

    // Where the focus is, for failure messages.
    std::string Describe(HWND hWnd) const
    {
        if (!hWnd)
            return "nowhere";
        HWND hParent = ::GetParent(hWnd);
        return ClassName(hWnd) + " \"" + WindowText(hWnd) + "\" (id " + std::to_string(::GetDlgCtrlID(hWnd)) +
               ") on \"" + WindowText(hParent) + "\"" + (::IsWindowVisible(hWnd) ? "" : ", hidden") +
               (::IsWindowEnabled(hWnd) ? "" : ", disabled");
    }

    // The focus is on a visible control of the page shown, or on the tabs.
    void ExpectFocusOnTheShownPage(const char* what) const
    {
        HWND hPage = CurrentPage(m_hSheet);
        HWND hTab = (HWND)SendTo(m_hSheet, PSM_GETTABCONTROL);
        HWND hFocus = Focus();
        EXPECT_TRUE(hFocus != NULL && ::IsWindowVisible(hFocus) && (hFocus == hTab || ::IsChild(hPage, hFocus)))
            << what << ": the focus is on " << Describe(hFocus) << ", the page shown is \"" << WindowText(hPage)
            << "\"";
    }

    // The focus is on a visible, enabled control of the sheet, and Tab moves
    // it on from there.
    void ExpectTabStillWorks(const char* what)
    {
        HWND hFocus = Focus();
        ASSERT_TRUE(hFocus != NULL && ::IsWindowVisible(hFocus) && ::IsWindowEnabled(hFocus) &&
                    ::IsChild(m_hSheet, hFocus))
            << what << ": the focus is on " << Describe(hFocus);
        ASSERT_TRUE(Press(VK_TAB)) << what << ": Tab";
        EXPECT_NE(hFocus, Focus()) << what << ": Tab left the focus on " << Describe(hFocus);
        EXPECT_NE(nullptr, Focus()) << what << ": Tab";
    }

    int ActiveTab() const
    {
        return (int)SendTo((HWND)SendTo(m_hSheet, PSM_GETTABCONTROL), TCM_GETCURSEL);
    }

    // The message boxes the program shows now.
    std::vector<HWND> Boxes() const
    {
        std::vector<HWND> boxes;
        for (HWND h : TopWindows(m_app.Pid()))
            if (h != m_hSheet && ClassName(h) == "#32770" && ::IsWindowVisible(h))
                boxes.push_back(h);
        return boxes;
    }

    // Lines of the journal that start with prefix.
    int Calls(const std::string& prefix) const { return CountLines(Lines(Journal()), prefix); }
    // The sixteen setters of the driver settings (SetDevice is not one).
    int DriverSetterCalls() const
    {
        return Calls("IServiceDriverSettings.Set") - Calls("IServiceDriverSettings.SetDevice");
    }

    AppProcess m_app;
    HWND m_hSheet = NULL;
    DWORD m_thread = 0;
};

} // namespace

TEST_F(KeyboardE2E, EveryKeyboardPageChangeLeavesTheFocusOnTheShownPage)
{
    HWND hProcedures = ShowPage(m_hSheet, kProceduresTab);
    ASSERT_EQ(ResourceText(IDS_PROCEDURES_PAGE), WindowText(hProcedures));
    SendTo(m_hSheet, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(hProcedures, IDC_PROC_B1), TRUE);
    ASSERT_EQ(::GetDlgItem(hProcedures, IDC_PROC_B1), Focus());

    const struct
    {
        const char* what;
        WORD vk;
        bool shift;
        int step;
    } changes[] = {
        {"Ctrl+Tab", VK_TAB, false, 1},
        {"Ctrl+Shift+Tab", VK_TAB, true, -1},
        {"Ctrl+PgDn", VK_NEXT, false, 1},
        {"Ctrl+PgUp", VK_PRIOR, false, -1},
    };
    for (const auto& change : changes)
    {
        // Each change starts from the Nozzle Check button on the Procedures page.
        ShowPage(m_hSheet, kProceduresTab);
        SendTo(m_hSheet, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(hProcedures, IDC_PROC_B1), TRUE);
        ASSERT_TRUE(Press(change.vk, true, change.shift)) << change.what << ": the program does not answer";
        EXPECT_EQ(kProceduresTab + change.step, ActiveTab()) << change.what;
        ExpectFocusOnTheShownPage(change.what);
    }

    // Round the whole sheet, both ways: the focus follows every page.
    for (int i = 0; i < kPageCount; ++i)
    {
        ASSERT_TRUE(Press(VK_TAB, true)) << "Ctrl+Tab " << i;
        ExpectFocusOnTheShownPage(("Ctrl+Tab to tab " + std::to_string(ActiveTab())).c_str());
    }
    for (int i = 0; i < kPageCount; ++i)
    {
        ASSERT_TRUE(Press(VK_PRIOR, true)) << "Ctrl+PgUp " << i;
        ExpectFocusOnTheShownPage(("Ctrl+PgUp to tab " + std::to_string(ActiveTab())).c_str());
    }
    Close(m_app, m_hSheet);
}

TEST_F(KeyboardE2E, SpaceAndAltLettersAfterAPageChangePressNothingOfTheHiddenPage)
{
    HWND hProcedures = ShowPage(m_hSheet, kProceduresTab);
    ASSERT_EQ(ResourceText(IDS_PROCEDURES_PAGE), WindowText(hProcedures));
    SendTo(m_hSheet, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(hProcedures, IDC_PROC_B1), TRUE);

    ASSERT_TRUE(Press(VK_TAB, true)) << "Ctrl+Tab";
    ASSERT_EQ(kReportsTab, ActiveTab());
    EXPECT_TRUE(Press(VK_SPACE)) << "Space: the program does not answer";
    EXPECT_TRUE(Press(VK_RETURN)) << "Enter: the program does not answer";
    // Alt+N and Alt+A are the Procedures page's Nozzle Check and Align Heads;
    // the Reports page has neither letter.
    EXPECT_TRUE(Press('N', false, false, true)) << "Alt+N: the program does not answer";
    EXPECT_TRUE(Press('A', false, false, true)) << "Alt+A: the program does not answer";
    EXPECT_EQ(kReportsTab, ActiveTab());
    ExpectFocusOnTheShownPage("after Space, Enter, Alt+N and Alt+A");

    ASSERT_TRUE(m_app.IsRunning());
    Close(m_app, m_hSheet);
    const std::string journal = Journal();
    const std::vector<std::string> lines = Lines(journal);
    EXPECT_EQ(0, CountLines(lines, "IDeviceService.GetProcedure")) << journal;
    EXPECT_EQ(0, CountLines(lines, "IServiceProcedure.")) << journal;
    ExpectAllReleased(journal);
}

namespace
{

// Reads the clipboard's text, after putting pszPut there when it is given.
std::string Clipboard(const char* pszPut = NULL)
{
    std::string text;
    for (int i = 0; i < 20 && !::OpenClipboard(NULL); ++i)
        ::Sleep(50);
    if (pszPut)
    {
        ::EmptyClipboard();
        if (HGLOBAL hPut = ::GlobalAlloc(GMEM_MOVEABLE, strlen(pszPut) + 1))
        {
            memcpy(::GlobalLock(hPut), pszPut, strlen(pszPut) + 1);
            ::GlobalUnlock(hPut);
            ::SetClipboardData(CF_TEXT, hPut);
        }
    }
    if (HANDLE hData = ::GetClipboardData(CF_TEXT))
    {
        text = (const char*)::GlobalLock(hData);
        ::GlobalUnlock(hData);
    }
    ::CloseClipboard();
    return text;
}

} // namespace

TEST_F(KeyboardE2E, EnterPressesTheShownPagesDefaultButtonAndNeverEndsTheProgram)
{
    HWND hDriver = ShowPage(m_hSheet, kDriverTab);
    ASSERT_EQ(ResourceText(IDS_DRIVER_PAGE), WindowText(hDriver));

    // Nothing changed: Apply is off, and Enter does nothing.
    FocusOn(hDriver, IDC_DRV_OPTION13);
    ASSERT_TRUE(Press(VK_RETURN) && m_app.IsRunning()) << "Enter with nothing changed ended the program";
    EXPECT_EQ(0, DriverSetterCalls());

    // A tick box changed by Space, then Enter: the page's Apply writes the
    // sixteen settings, and the program goes on; then there is nothing to apply.
    ASSERT_TRUE(Press(VK_SPACE));
    ASSERT_TRUE(Enabled(hDriver, IDC_DRV_APPLY));
    ASSERT_TRUE(Press(VK_RETURN) && m_app.IsRunning()) << "Enter after a change ended the program";
    EXPECT_EQ(16, DriverSetterCalls()) << Journal();
    ExpectFocusOnTheShownPage("after Enter applied");
    ASSERT_TRUE(Press(VK_RETURN) && m_app.IsRunning()) << "Enter after applying ended the program";
    EXPECT_EQ(16, DriverSetterCalls());

    // A change left on the Driver Settings page, hidden: Enter on the Devices
    // page neither applies it nor ends the program.
    ASSERT_TRUE(Press(VK_SPACE));
    ASSERT_TRUE(Press(VK_TAB, true));
    ASSERT_EQ(kDevicesTab, ActiveTab());
    ASSERT_TRUE(Press(VK_RETURN) && m_app.IsRunning()) << "Enter on the Devices page ended the program";
    EXPECT_EQ(16, DriverSetterCalls());

    // Enter on a focused push button presses that button.
    HWND hProcedures = ShowPage(m_hSheet, kProceduresTab);
    FocusOn(hProcedures, IDC_PROC_B1);
    ASSERT_TRUE(Press(VK_RETURN) && m_app.IsRunning()) << "Enter on Nozzle Check ended the program";
    EXPECT_EQ(1, Calls("IDeviceService.GetProcedureB(1)")) << Journal();

    Close(m_app, m_hSheet);
    ExpectAllReleased(Journal());
}

TEST_F(KeyboardE2E, AButtonThatDisablesItselfHandsTheFocusOn)
{
    // Apply and Revert, pressed with Space: each goes off, the focus moves on.
    HWND hDriver = ShowPage(m_hSheet, kDriverTab);
    for (int nButton : { IDC_DRV_APPLY, IDC_DRV_REVERT })
    {
        const std::string what = WindowText(::GetDlgItem(hDriver, nButton));
        FocusOn(hDriver, IDC_DRV_OPTION13);
        ASSERT_TRUE(Press(VK_SPACE));
        FocusOn(hDriver, nButton);
        ASSERT_EQ(::GetDlgItem(hDriver, nButton), Focus()) << what;
        ASSERT_TRUE(Press(VK_SPACE));
        EXPECT_FALSE(Enabled(hDriver, nButton)) << what;
        ExpectTabStillWorks(what.c_str());
    }
    EXPECT_EQ(16, DriverSetterCalls());

    // Clean Heads is off only while the procedure runs: the focus is back on
    // it afterwards.
    HWND hProcedures = ShowPage(m_hSheet, kProceduresTab);
    FocusOn(hProcedures, IDC_PROC_OPTION);
    ASSERT_TRUE(Press(VK_SPACE));
    EXPECT_EQ(1, Calls("IDeviceService.GetOptionProcedure(4)")) << Journal();
    EXPECT_EQ(::GetDlgItem(hProcedures, IDC_PROC_OPTION), Focus()) << "the focus is on " << Describe(Focus());
    ExpectTabStillWorks("after Clean Heads");
    Close(m_app, m_hSheet);
}

TEST_F(KeyboardE2E, TabAndCtrlTabPassThroughTheProceduresStatusBox)
{
    HWND hProcedures = ShowPage(m_hSheet, kProceduresTab);
    HWND hStatus = ::GetDlgItem(hProcedures, IDC_PROC_DEVICE_TEXT);
    ASSERT_EQ("Key Lab: ready", WindowText(hStatus));
    EXPECT_FALSE(::GetWindowLongA(hStatus, GWL_STYLE) & WS_VSCROLL) << "a scroll bar for one line";

    // Forward from Nozzle Check: through the status box and on to Close.
    FocusOn(hProcedures, IDC_PROC_B1);
    bool passedStatus = false;
    std::string path;
    for (int i = 0; i < 30 && Focus() != ::GetDlgItem(m_hSheet, IDCANCEL); ++i)
    {
        ASSERT_TRUE(Press(VK_TAB));
        passedStatus = passedStatus || Focus() == hStatus;
        path += std::to_string(::GetDlgCtrlID(Focus())) + " ";
    }
    EXPECT_TRUE(passedStatus) << path;
    EXPECT_EQ(::GetDlgItem(m_hSheet, IDCANCEL), Focus()) << "Tab never left the page: " << path;

    // Ctrl+Tab from inside the status box changes the page.
    FocusOn(hProcedures, IDC_PROC_DEVICE_TEXT);
    ASSERT_TRUE(Press(VK_TAB, true));
    EXPECT_EQ(kReportsTab, ActiveTab());
    ExpectFocusOnTheShownPage("Ctrl+Tab from the status box");
    Close(m_app, m_hSheet);
}

TEST_F(KeyboardE2E, OneBadKeyInTheLocationFieldBringsOneBoxTitledWithTheProgramsName)
{
    HWND hMemory = ShowPage(m_hSheet, kMemoryTab);
    ASSERT_EQ(ResourceText(IDS_MEMORY_PAGE), WindowText(hMemory));
    FocusOn(hMemory, IDC_MEM_LOCATION);

    // 321 is out of range: one box says the range.
    ASSERT_TRUE(Press('3') && Press('2') && Press('1'));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(ResourceText(IDS_MEM_RANGE_CAPTION), WindowText(Boxes()[0]));
    ASSERT_TRUE(Press(VK_RETURN));
    BringForward();
    FocusOn(hMemory, IDC_MEM_LOCATION);

    // A letter pasted over it (keys give digits only): the prompt for a
    // number, under the program's own name, and no second box after it.
    ASSERT_EQ("x", Clipboard("x"));
    ASSERT_TRUE(Press('V', true));
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(ResourceText(IDS_APP_TITLE), WindowText(Boxes()[0]));
    EXPECT_EQ(ResourceText(AFX_IDP_PARSE_INT), WindowText(::GetDlgItem(Boxes()[0], 0xFFFF)));
    ASSERT_TRUE(Press(VK_RETURN));
    const std::vector<HWND> after = Boxes();
    EXPECT_TRUE(after.empty()) << "then \"" << WindowText(after[0]) << "\"";
    for (HWND h : after)
        SendTo(h, WM_COMMAND, IDOK);
    EXPECT_FALSE(Enabled(hMemory, IDC_MEM_READ));

    Close(m_app, m_hSheet);
    EXPECT_EQ(0, Calls("IServiceMemory.")) << Journal();
}

TEST_F(KeyboardE2E, DeviceDetailsCanBeTabbedToAndCopiedAndTheCountReadsInTheUsersFormat)
{
    HWND hDevices = CurrentPage(m_hSheet);
    char separator[8] = "";
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof(separator));
    const std::string grouped = std::string("1") + separator + "234" + separator + "567";
    EXPECT_EQ(grouped, Text(hDevices, IDC_DETAIL_NUMBER));

    // The second device keeps no count: nothing shows, not the first device's.
    FocusOn(hDevices, IDC_DEVICE_LIST);
    ASSERT_TRUE(Press(VK_DOWN));
    ASSERT_EQ("Count Less - " + ResourceText(IDS_APP_TITLE), WindowText(m_hSheet));
    ASSERT_EQ(1, Calls("IServiceDevice.DetailNumber() -> 0x800402FF")) << Journal();
    EXPECT_EQ("", Text(hDevices, IDC_DETAIL_NUMBER));
    ASSERT_TRUE(Press(VK_UP));
    EXPECT_EQ(grouped, Text(hDevices, IDC_DETAIL_NUMBER));

    // Tab from the list reaches the serial number, and Ctrl+C copies all of
    // it, however much the field shows; typing changes nothing.
    ASSERT_TRUE(Press(VK_TAB));
    ASSERT_EQ(::GetDlgItem(hDevices, IDC_DETAIL_TEXT1), Focus()) << "the focus is on " << Describe(Focus());
    ASSERT_EQ("before", Clipboard("before"));
    ASSERT_TRUE(Press('C', true));
    EXPECT_EQ(kLongSerial, Clipboard());
    ASSERT_TRUE(Press('X'));
    EXPECT_EQ(kLongSerial, Text(hDevices, IDC_DETAIL_TEXT1));
    Close(m_app, m_hSheet);
}
