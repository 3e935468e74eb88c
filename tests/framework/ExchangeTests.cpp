// ExchangeTests.cpp - UpdateData and the DDX_ functions against real controls.
#include <gtest/gtest.h>

#include "framework/afx.h"
#include "support/WinTestUtil.h"
#include "FrameworkTestRes.h"

#include <limits.h>
#include <string>
#include <vector>

using testutil::ItemText;
using testutil::Pump;

namespace
{

class CExchangeDialog : public CDialog
{
public:
    CExchangeDialog() : CDialog(IDD_EXCHANGE) {}

    int m_nInt = 0;
    long m_lLong = 0;
    DWORD m_dwDword = 0;
    CString m_strText;
    BOOL m_bCheck = FALSE;
    int m_nRadio = 0;
    CButton m_btnAfter;

    std::vector<std::string> events;

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_INT, m_nInt);
        DDX_Text(pDX, IDC_LONG, m_lLong);
        DDX_Text(pDX, IDC_DWORD, m_dwDword);
        DDX_Text(pDX, IDC_TEXT, m_strText);
        DDX_Check(pDX, IDC_CHECK, m_bCheck);
        DDX_Radio(pDX, IDC_RADIO1, m_nRadio);
        DDX_Control(pDX, IDC_AFTER_GROUP, m_btnAfter);
    }
    void OnIntChange() { events.push_back("int:change"); }
    void OnLongChange() { events.push_back("long:change"); }
    void OnTextChange() { events.push_back("text:change"); }
    void OnLongFocus() { events.push_back("long:focus"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDialog, CDialog)
    ON_EN_CHANGE(IDC_INT, OnIntChange)
    ON_EN_CHANGE(IDC_LONG, OnLongChange)
    ON_EN_CHANGE(IDC_TEXT, OnTextChange)
    ON_EN_SETFOCUS(IDC_LONG, OnLongFocus)
END_MESSAGE_MAP()

class ExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.Create());
        ::ShowWindow(dlg.m_hWnd, SW_SHOW);
        ::SetForegroundWindow(dlg.m_hWnd);
        Pump();
        dlg.events.clear();
    }
    void TearDown() override
    {
        dlg.DestroyWindow();
        Pump();
    }
    void Set(int nID, const char* text) { ::SetDlgItemTextA(dlg.m_hWnd, nID, text); }
    bool Checked(int nID) { return ::IsDlgButtonChecked(dlg.m_hWnd, nID) == BST_CHECKED; }

    CExchangeDialog dlg;
    testutil::MessageBoxRecorder boxes;
};

} // namespace

TEST_F(ExchangeTest, RoundTripOfEveryKindAtTheExtremes)
{
    dlg.m_nInt = INT_MIN;
    dlg.m_lLong = LONG_MAX;
    dlg.m_dwDword = 0xFFFFFFFFu;
    dlg.m_strText = "device text";
    dlg.m_bCheck = TRUE;
    dlg.m_nRadio = 2;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ("-2147483648", ItemText(dlg.m_hWnd, IDC_INT));
    EXPECT_EQ("2147483647", ItemText(dlg.m_hWnd, IDC_LONG));
    EXPECT_EQ("4294967295", ItemText(dlg.m_hWnd, IDC_DWORD));
    EXPECT_EQ("device text", ItemText(dlg.m_hWnd, IDC_TEXT));
    EXPECT_TRUE(Checked(IDC_CHECK));
    EXPECT_FALSE(Checked(IDC_RADIO1));
    EXPECT_TRUE(Checked(IDC_RADIO3));

    Set(IDC_INT, "  -17 ");
    Set(IDC_LONG, "+320");
    Set(IDC_DWORD, "65536");
    Set(IDC_TEXT, "");
    ::CheckDlgButton(dlg.m_hWnd, IDC_CHECK, BST_UNCHECKED);
    ::CheckDlgButton(dlg.m_hWnd, IDC_RADIO3, BST_UNCHECKED);
    ::CheckDlgButton(dlg.m_hWnd, IDC_RADIO2, BST_CHECKED);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-17, dlg.m_nInt);
    EXPECT_EQ(320, dlg.m_lLong);
    EXPECT_EQ(65536u, dlg.m_dwDword);
    EXPECT_TRUE(dlg.m_strText.IsEmpty());
    EXPECT_FALSE(dlg.m_bCheck);
    EXPECT_EQ(1, dlg.m_nRadio);
    EXPECT_TRUE(boxes.boxes.empty());
    // DDX_Control tied the button on the first exchange.
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_AFTER_GROUP), dlg.m_btnAfter.m_hWnd);
}

TEST_F(ExchangeTest, RadioGroupWithNoneCheckedReadsMinusOneAndMinusOneClearsIt)
{
    dlg.m_nRadio = 1;
    dlg.UpdateData(FALSE);
    ASSERT_TRUE(Checked(IDC_RADIO2));
    dlg.m_nRadio = -1;
    dlg.UpdateData(FALSE);
    EXPECT_FALSE(Checked(IDC_RADIO1));
    EXPECT_FALSE(Checked(IDC_RADIO2));
    EXPECT_FALSE(Checked(IDC_RADIO3));
    dlg.m_nRadio = 0;
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-1, dlg.m_nRadio);
    // An index outside the group also leaves no button checked.
    dlg.m_nRadio = 3;
    dlg.UpdateData(FALSE);
    dlg.UpdateData(TRUE);
    EXPECT_EQ(-1, dlg.m_nRadio);
}

TEST_F(ExchangeTest, WritingAgainPutsBackButtonsChangedBehindTheExchangeAndLeavesTheRest)
{
    dlg.m_bCheck = TRUE;
    dlg.m_nRadio = 2;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    // The same values again: nothing to change, and nothing changes.
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_TRUE(Checked(IDC_CHECK));
    EXPECT_TRUE(Checked(IDC_RADIO3));
    EXPECT_FALSE(Checked(IDC_RADIO1));
    // Buttons changed without the exchange are written back, both ways.
    ::CheckDlgButton(dlg.m_hWnd, IDC_CHECK, BST_UNCHECKED);
    ::CheckDlgButton(dlg.m_hWnd, IDC_RADIO3, BST_UNCHECKED);
    ::CheckDlgButton(dlg.m_hWnd, IDC_RADIO1, BST_CHECKED);
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_TRUE(Checked(IDC_CHECK));
    EXPECT_FALSE(Checked(IDC_RADIO1));
    EXPECT_FALSE(Checked(IDC_RADIO2));
    EXPECT_TRUE(Checked(IDC_RADIO3));
    dlg.m_bCheck = FALSE;
    dlg.m_nRadio = 0;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_FALSE(Checked(IDC_CHECK));
    EXPECT_TRUE(Checked(IDC_RADIO1));
    EXPECT_FALSE(Checked(IDC_RADIO3));
}

TEST_F(ExchangeTest, BadIntegerPromptsFocusesSelectsAndStopsTheExchange)
{
    dlg.m_nInt = 1;
    dlg.m_lLong = 2;
    dlg.m_strText = "before";
    dlg.UpdateData(FALSE);
    Set(IDC_INT, "42");
    Set(IDC_LONG, "12x");
    Set(IDC_TEXT, "after");
    dlg.events.clear();

    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(42, dlg.m_nInt);               // exchanged before the bad field
    EXPECT_EQ(2, dlg.m_lLong);               // the bad field keeps its value
    EXPECT_STREQ("before", dlg.m_strText);   // fields after it are not exchanged
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Please enter an integer.", boxes.boxes[0].text);
    EXPECT_TRUE(boxes.boxes[0].type & MB_ICONEXCLAMATION);

    HWND hLong = ::GetDlgItem(dlg.m_hWnd, IDC_LONG);
    EXPECT_EQ(hLong, ::GetFocus());
    DWORD start = 0, end = 0;
    ::SendMessageA(hLong, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(3u, end);
    // The focus change reached the dialog's handler like any other.
    EXPECT_EQ(std::vector<std::string>{"long:focus"}, dlg.events);
}

TEST_F(ExchangeTest, OutOfRangeAndEmptyTextsAreNotIntegers)
{
    const char* bad[] = {"", " ", "-", "2147483648", "99999999999999999999", "1 2", "0x10"};
    for (const char* text : bad)
    {
        boxes.boxes.clear();
        Set(IDC_INT, text);
        EXPECT_FALSE(dlg.UpdateData(TRUE)) << "'" << text << "'";
        EXPECT_EQ(1u, boxes.boxes.size()) << "'" << text << "'";
    }
    Set(IDC_INT, "0");
    Set(IDC_DWORD, "-1");
    EXPECT_FALSE(dlg.UpdateData(TRUE));   // a DWORD field takes no sign
}

TEST_F(ExchangeTest, PushingRaisesNoNotificationsAndSkipsUnchangedText)
{
    dlg.m_nInt = 5;
    dlg.m_strText = "same";
    dlg.UpdateData(FALSE);
    // Notifications raised while the exchange writes are not dispatched.
    EXPECT_TRUE(dlg.events.empty());

    // A control whose text already matches is not rewritten: its caret and
    // selection stay where the user left them.
    HWND hText = ::GetDlgItem(dlg.m_hWnd, IDC_TEXT);
    ::SendMessageA(hText, EM_SETSEL, 1, 3);
    dlg.UpdateData(FALSE);
    DWORD start = 0, end = 0;
    ::SendMessageA(hText, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(1u, start);
    EXPECT_EQ(3u, end);

    // Outside an exchange, notifications flow again.
    Set(IDC_INT, "6");
    EXPECT_EQ(std::vector<std::string>{"int:change"}, dlg.events);
}
