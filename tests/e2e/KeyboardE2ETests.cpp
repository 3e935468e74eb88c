// KeyboardE2ETests.cpp - ServiceApp.exe driven by the keyboard from another
// process, as a user types: after every page change by keyboard (Ctrl+Tab,
// Ctrl+Shift+Tab, Ctrl+PgDn, Ctrl+PgUp) the focus is on the page now shown or
// on the tabs, and Space and Alt+letter then press nothing of the page just
// hidden and never hang the program.
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
const int kProceduresTab = 4;
const int kReportsTab = 5;
const int kPageCount = 7;

const char kConfig[] =
    "fleet empty\n"
    "device id=9003 type=1 name=\"Key Lab\" col1=USB011 col2=Ready text=\"Key Lab: ready\"\n";

class KeyboardE2E : public FleetTest
{
protected:
    KeyboardE2E() : FleetTest(kConfig) {}

    void SetUp() override
    {
        FleetTest::SetUp();
        m_hSheet = Start(m_app);
        ASSERT_NE(nullptr, m_hSheet);
        m_thread = ::GetWindowThreadProcessId(m_hSheet, NULL);
        // Keys go to the foreground window, as they do for a user.
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

    // Where the focus is, for failure messages.
    std::string Describe(HWND hWnd) const
    {
        if (!hWnd)
            return "nowhere";
        HWND hParent = ::GetParent(hWnd);
        return ClassName(hWnd) + " \"" + WindowText(hWnd) + "\" (id " + std::to_string(::GetDlgCtrlID(hWnd)) +
               ") on \"" + WindowText(hParent) + "\"" + (::IsWindowVisible(hWnd) ? "" : ", hidden");
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

    int ActiveTab() const
    {
        return (int)SendTo((HWND)SendTo(m_hSheet, PSM_GETTABCONTROL), TCM_GETCURSEL);
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
