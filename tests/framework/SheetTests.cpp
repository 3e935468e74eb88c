// SheetTests.cpp - CPropertySheet and CPropertyPage in a real modeless sheet,
// and the application's message loop ending with its main window.
#include <gtest/gtest.h>

#include "framework/afx.h"
#include "support/WinTestUtil.h"
#include "FrameworkTestRes.h"

#include <string>
#include <vector>

using testutil::ItemText;
using testutil::Pump;

namespace
{

class CTestPage : public CPropertyPage
{
public:
    explicit CTestPage(UINT nID) : CPropertyPage(nID) {}
    int m_nValue = 0;
    int m_nInitCalls = 0;
    int m_nSetActiveCalls = 0;
    int m_nDestroyCalls = 0;
    int m_nOKCalls = 0;   // the page's own IDOK command, and every apply

    void OnOK() override { ++m_nOKCalls; }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_PAGE_EDIT, m_nValue); }
    BOOL OnInitDialog() override
    {
        ++m_nInitCalls;
        CPropertyPage::OnInitDialog();
        return TRUE;
    }
    BOOL OnSetActive() override
    {
        ++m_nSetActiveCalls;
        return CPropertyPage::OnSetActive();
    }
    void OnDestroy()
    {
        ++m_nDestroyCalls;
        CPropertyPage::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CPropertyPage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class CTestSheet : public CPropertySheet
{
public:
    CTestSheet() : CPropertySheet("Test sheet"), one(IDD_PAGE_ONE), two(IDD_PAGE_TWO), three(IDD_PAGE_THREE)
    {
        AddPage(&one);
        AddPage(&two);
        AddPage(&three);
    }
    BOOL OnInitDialog() override
    {
        CPropertySheet::OnInitDialog();
        initSawCancel = ::GetDlgItem(m_hWnd, IDCANCEL) != NULL;
        initTabCount = (int)::SendMessageA(GetTabControl(), TCM_GETITEMCOUNT, 0, 0);
        ++initCalls;
        return TRUE;
    }
    CTestPage one, two, three;
    bool initSawCancel = false;
    int initTabCount = -1;
    int initCalls = 0;
};

std::string TabText(HWND hTab, int i)
{
    char buf[64] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof(buf);
    ::SendMessageA(hTab, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
    return buf;
}

class SheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        ASSERT_TRUE(sheet.Create());
        Pump();
    }
    void TearDown() override
    {
        if (sheet.m_hWnd)
            sheet.DestroyWindow();
        Pump();
    }
    CTestSheet sheet;
    testutil::MessageBoxRecorder boxes;
};

} // namespace

TEST_F(SheetTest, ModelessSheetIsTiedInitialisedOnceAndShowsTabsInOrder)
{
    EXPECT_EQ(&sheet, CWnd::FromHandlePermanent(sheet.m_hWnd));
    EXPECT_EQ(1, sheet.initCalls);
    EXPECT_TRUE(sheet.initSawCancel);
    EXPECT_EQ(3, sheet.initTabCount);   // the control had built its tabs
    EXPECT_TRUE(::IsWindowVisible(sheet.m_hWnd));
    DWORD style = sheet.GetStyle();
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_CHILD);

    HWND hTab = sheet.GetTabControl();
    ASSERT_EQ(3, (int)::SendMessageA(hTab, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("One", TabText(hTab, 0));
    EXPECT_EQ("Two", TabText(hTab, 1));
    EXPECT_EQ("Three", TabText(hTab, 2));
    // No Apply button with PSH_NOAPPLYNOW.
    HWND hApply = ::GetDlgItem(sheet.m_hWnd, 0x3021);
    EXPECT_TRUE(hApply == NULL || !::IsWindowVisible(hApply));
}

TEST_F(SheetTest, PageWindowsAreCreatedWhenTheirTabIsFirstShown)
{
    EXPECT_NE(nullptr, sheet.one.m_hWnd);
    EXPECT_EQ(nullptr, sheet.two.m_hWnd);
    EXPECT_EQ(nullptr, sheet.three.m_hWnd);
    EXPECT_EQ(&sheet.one, sheet.GetActivePage());

    ASSERT_TRUE(sheet.SetActivePage(2));
    EXPECT_NE(nullptr, sheet.three.m_hWnd);
    EXPECT_EQ(nullptr, sheet.two.m_hWnd);
    EXPECT_EQ(&sheet.three, sheet.GetActivePage());
    EXPECT_EQ(2, sheet.GetActiveIndex());

    sheet.SetActivePage(0);
    sheet.SetActivePage(2);
    EXPECT_EQ(1, sheet.one.m_nInitCalls);
    EXPECT_EQ(1, sheet.three.m_nInitCalls);
    EXPECT_EQ(2, sheet.three.m_nSetActiveCalls);
}

TEST_F(SheetTest, SetActivePushesMembersOnEveryActivationButTheFirst)
{
    // Before its window exists the member is shown by OnInitDialog.
    sheet.two.m_nValue = 3;
    sheet.SetActivePage(1);
    EXPECT_EQ("3", ItemText(sheet.two.m_hWnd, IDC_PAGE_EDIT));

    // The first activation follows OnInitDialog and does not push again:
    // a text set between the two stays.
    sheet.three.m_nValue = 4;
    ::SetWindowTextA(::GetDlgItem(sheet.m_hWnd, IDCANCEL), "Cancel");   // unrelated traffic
    sheet.SetActivePage(2);
    EXPECT_EQ("4", ItemText(sheet.three.m_hWnd, IDC_PAGE_EDIT));
    EXPECT_EQ(1, sheet.three.m_nSetActiveCalls);

    // A later activation pushes the members.
    sheet.two.m_nValue = 9;
    EXPECT_EQ("3", ItemText(sheet.two.m_hWnd, IDC_PAGE_EDIT));
    sheet.SetActivePage(1);
    EXPECT_EQ("9", ItemText(sheet.two.m_hWnd, IDC_PAGE_EDIT));
}

TEST_F(SheetTest, KillActiveTakesValuesAndAFailedExchangeKeepsThePage)
{
    ::SetDlgItemTextA(sheet.one.m_hWnd, IDC_PAGE_EDIT, "55");
    sheet.SetActivePage(1);
    EXPECT_EQ(55, sheet.one.m_nValue);
    EXPECT_EQ(&sheet.two, sheet.GetActivePage());

    ::SetDlgItemTextA(sheet.two.m_hWnd, IDC_PAGE_EDIT, "five");
    sheet.SetActivePage(2);
    EXPECT_EQ(&sheet.two, sheet.GetActivePage());
    EXPECT_EQ(nullptr, sheet.three.m_hWnd);
    EXPECT_EQ(1u, boxes.boxes.size());
}

TEST_F(SheetTest, APageChangeNeverLeavesTheFocusOnTheHiddenPage)
{
    HWND hEditOne = ::GetDlgItem(sheet.one.m_hWnd, IDC_PAGE_EDIT);
    ::SetFocus(hEditOne);
    ASSERT_EQ(hEditOne, ::GetFocus());
    ASSERT_TRUE(sheet.SetActivePage(1));
    Pump();
    HWND hFocus = ::GetFocus();
    EXPECT_TRUE(hFocus && ::IsWindowVisible(hFocus)) << "the focus stayed on the hidden page";
    EXPECT_EQ(sheet.GetTabControl(), hFocus);

    // A key addressed to a control that a page change hid goes to the focus.
    HWND hEditTwo = ::GetDlgItem(sheet.two.m_hWnd, IDC_PAGE_EDIT);
    ::SetFocus(hEditTwo);
    ASSERT_TRUE(sheet.SetActivePage(2));
    MSG msg = {hEditTwo, WM_CHAR, '7', 1, 0, {0, 0}};
    sheet.PreTranslateMessage(&msg);
    EXPECT_EQ(::GetFocus(), msg.hwnd);
    EXPECT_EQ("0", ItemText(sheet.two.m_hWnd, IDC_PAGE_EDIT)) << "the hidden field took the key";
}

TEST_F(SheetTest, DestroyingTheSheetDestroysPagesAndUntiesThem)
{
    sheet.SetActivePage(1);
    sheet.EndDialog(IDCANCEL);
    EXPECT_EQ(nullptr, sheet.m_hWnd);
    EXPECT_EQ(nullptr, sheet.one.m_hWnd);
    EXPECT_EQ(nullptr, sheet.two.m_hWnd);
    EXPECT_EQ(1, sheet.one.m_nDestroyCalls);
    EXPECT_EQ(1, sheet.two.m_nDestroyCalls);
    EXPECT_EQ(0, sheet.three.m_nDestroyCalls);   // never had a window

    // The page objects outlive their windows; a new window starts afresh.
    ASSERT_TRUE(sheet.Create());
    EXPECT_EQ(2, sheet.one.m_nInitCalls);
}

TEST(AppLoopTest, ClosingTheModelessMainSheetEndsTheMessageLoop)
{
    CWinApp app;
    CTestSheet sheet;
    ASSERT_TRUE(sheet.Create());
    app.m_pMainWnd = &sheet;
    HWND hSheet = sheet.m_hWnd;
    // The caption's close box, as the user would press it.
    ::PostMessageA(hSheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    int exitCode = app.Run();
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(::IsWindow(hSheet));
    EXPECT_EQ(nullptr, sheet.m_hWnd);
    app.m_pMainWnd = nullptr;
}

TEST(AppLoopTest, RunWithoutAMainWindowEndsAtOnce)
{
    CWinApp app;
    EXPECT_EQ(0, app.Run());
}

namespace
{
// A loop whose message source fails at once, as GetMessage does with -1.
class CFailingLoopApp : public CWinApp
{
protected:
    BOOL GetNextMessage(MSG*) override { return -1; }
};

// Leaves a recognisable pattern where the next call's locals will lie
// (called through a volatile pointer, so it is not inlined).
void PoisonStack()
{
    volatile unsigned char junk[4096];
    for (size_t i = 0; i < sizeof(junk); ++i)
        junk[i] = 0x5A;
}
} // namespace

TEST(AppLoopTest, AFailingMessageSourceEndsTheLoopWithMinusOne)
{
    CFailingLoopApp app;
    void (*volatile poison)() = PoisonStack;
    poison();
    EXPECT_EQ(-1, app.Run());
    EXPECT_EQ(0u, app.m_msgCur.message);
    // Run posted WM_QUIT (it has no main window): take it away.
    MSG msg;
    while (::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}


namespace
{

// Enter, as the message loop hands it to the sheet.
BOOL PressEnter(CPropertySheet& sheet)
{
    MSG msg = {::GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
    return sheet.PreTranslateMessage(&msg);
}

} // namespace

TEST_F(SheetTest, EnterPressesTheShownPagesDefaultButtonNeverAHiddenOneNorADisabledOK)
{
    // Page two's default button has the OK button's id: Enter presses it as
    // the page's own, and the sheet goes on.
    sheet.SetActivePage(1);
    ::SetFocus(::GetDlgItem(sheet.two.m_hWnd, IDC_PAGE_EDIT));
    EXPECT_TRUE(PressEnter(sheet));
    EXPECT_EQ(1, sheet.two.m_nOKCalls);
    ASSERT_NE(nullptr, sheet.m_hWnd) << "Enter ended the sheet";

    // So does the command the dialog manager sends the sheet for it.
    HWND hPageOK = ::GetDlgItem(sheet.two.m_hWnd, IDOK);
    ::SendMessageA(sheet.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)hPageOK);
    EXPECT_EQ(2, sheet.two.m_nOKCalls);
    ASSERT_NE(nullptr, sheet.m_hWnd);

    // On page one, with the sheet's OK switched off: page two's button is
    // hidden and nothing else can be pressed.
    ::EnableWindow(::GetDlgItem(sheet.m_hWnd, IDOK), FALSE);
    sheet.SetActivePage(0);
    ::SetFocus(::GetDlgItem(sheet.one.m_hWnd, IDC_PAGE_EDIT));
    EXPECT_TRUE(PressEnter(sheet));
    ::SendMessageA(sheet.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)hPageOK);
    ::SendMessageA(sheet.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(2, sheet.two.m_nOKCalls);
    EXPECT_EQ(0, sheet.one.m_nOKCalls);
    ASSERT_NE(nullptr, sheet.m_hWnd) << "a disabled OK ended the sheet";

    // With the sheet's OK on, Enter on a page without a default button is
    // the sheet's OK: every page applies, and the modeless sheet ends.
    ::EnableWindow(::GetDlgItem(sheet.m_hWnd, IDOK), TRUE);
    ::SetFocus(::GetDlgItem(sheet.one.m_hWnd, IDC_PAGE_EDIT));
    EXPECT_TRUE(PressEnter(sheet));
    Pump();
    EXPECT_EQ(1, sheet.one.m_nOKCalls);
    EXPECT_EQ(nullptr, sheet.m_hWnd);
}
