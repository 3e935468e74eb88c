// AppShellTests.cpp - the start-up gate (keystroke by keystroke) and the
// service sheet's frame: pages by mask, the single Close button, the logo.
#include <gtest/gtest.h>

#include "app/ServiceApp.h"
#include "app/StartupDialog.h"
#include "lang/ServiceRes.h"
#include "sheet/ServiceSheet.h"
#include "support/ResourceModule.h"
#include "support/WinTestUtil.h"

#include <string>
#include <vector>

using testutil::Pump;

namespace
{

class StartupGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, testutil::UseServiceResources());
        ASSERT_TRUE(dlg.Create());
        Pump();
        hEdit = ::GetDlgItem(dlg.m_hWnd, IDC_MODEL_NAME);
        hAccept = ::GetDlgItem(dlg.m_hWnd, IDC_ACCEPT);
        ASSERT_NE(nullptr, hEdit);
        ASSERT_NE(nullptr, hAccept);
    }
    void TearDown() override
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        Pump();
    }
    // Types one character the way the keyboard would reach the field.
    bool Type(char ch)
    {
        ::SendMessageA(hEdit, WM_CHAR, (WPARAM)(BYTE)ch, 1);
        return ::IsWindowEnabled(hAccept) != FALSE;
    }
    // Types text and returns the accept button's state after each character.
    std::vector<bool> TypeAll(const char* text)
    {
        std::vector<bool> states;
        for (const char* p = text; *p; ++p)
            states.push_back(Type(*p));
        return states;
    }
    std::string FieldText() { return testutil::WindowText(hEdit); }

    CStartupDialog dlg;
    HWND hEdit = NULL;
    HWND hAccept = NULL;
};

} // namespace

TEST_F(StartupGateTest, KnownNameEnablesAcceptOnItsLastLetterOnly)
{
    EXPECT_FALSE(::IsWindowEnabled(hAccept));
    std::vector<bool> expected = {false, false, false, false, false, true};
    EXPECT_EQ(expected, TypeAll("KESSLY"));
    EXPECT_EQ("KESSLY", FieldText());
    EXPECT_FALSE(Type('X'));          // one more letter
    EXPECT_EQ("KESSLYX", FieldText());
    EXPECT_FALSE(Type('\b'));         // Backspace is a keystroke like any other
    EXPECT_EQ("KESSLY", FieldText());
}

TEST_F(StartupGateTest, TableNamesMatchByteForByteAndOnlyTheNewCharacterIsUpperCased)
{
    // Typed in lower case, the earlier letters stay lower case: no match.
    std::vector<bool> lower = TypeAll("voska");
    EXPECT_FALSE(lower.back());
    EXPECT_EQ("voska", FieldText());   // the control keeps the characters as typed

    ::SetWindowTextA(hEdit, "");
    // Capitals first, the last letter in lower case: it is upper-cased for the check.
    std::vector<bool> mixed = TypeAll("MIRREl");
    EXPECT_TRUE(mixed.back());
    for (const char* name : {"BRENNIK", "TAVERIN", "VOSKA"})
    {
        ::SetWindowTextA(hEdit, "");
        EXPECT_TRUE(TypeAll(name).back()) << name;
    }
}

TEST_F(StartupGateTest, SixthNameMatchesInAnyCaseAndSelectsTheReducedSet)
{
    EXPECT_TRUE(TypeAll("oRmEk").back());
    EXPECT_TRUE(dlg.IsFullPageSet());
    testutil::Click(dlg.m_hWnd, IDC_ACCEPT);
    EXPECT_FALSE(dlg.IsFullPageSet());
}

TEST_F(StartupGateTest, AcceptingAnotherNameKeepsTheFullSet)
{
    TypeAll("TAVERIN");
    testutil::Click(dlg.m_hWnd, IDC_ACCEPT);
    EXPECT_TRUE(dlg.IsFullPageSet());
}

TEST_F(StartupGateTest, NineteenCharactersSwallowEveryFurtherCharacter)
{
    TypeAll("ABCDEFGHIJKLMNOPQRS");
    ASSERT_EQ(19u, FieldText().size());
    ::EnableWindow(hAccept, TRUE);   // whatever state it had stays
    Type('T');
    Type('\b');
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRS", FieldText());
    EXPECT_TRUE(::IsWindowEnabled(hAccept));
}

TEST(StartupSlotTest, DialogPublishesItsWindowInTheInstanceSlot)
{
    ASSERT_NE(nullptr, testutil::UseServiceResources());
    HANDLE hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 4,
                                           SERVICEAPP_INSTANCE_SLOT);
    ASSERT_NE(nullptr, hMapping);
    DWORD* pSlot = (DWORD*)::MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 4);
    ASSERT_NE(nullptr, pSlot);
    *pSlot = 0;
    {
        CStartupDialog dlg;
        ASSERT_TRUE(dlg.Create());
        EXPECT_EQ((DWORD)(ULONG_PTR)dlg.m_hWnd, *pSlot);
        dlg.DestroyWindow();
    }
    ::UnmapViewOfFile(pSlot);
    ::CloseHandle(hMapping);
}

namespace
{

std::vector<std::string> TabTexts(HWND hTab)
{
    std::vector<std::string> texts;
    int n = (int)::SendMessageA(hTab, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < n; ++i)
    {
        char buf[128] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof(buf);
        ::SendMessageA(hTab, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
        texts.push_back(buf);
    }
    return texts;
}

struct SheetUnderTest
{
    explicit SheetUnderTest(UINT mask) : sheet("Service - Test", mask)
    {
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        created = sheet.Create(NULL, (DWORD)-1, 0) != FALSE;
        Pump();
    }
    ~SheetUnderTest()
    {
        if (sheet.m_hWnd)
            sheet.DestroyWindow();
        Pump();
    }
    CServiceSheet sheet;
    bool created = false;
};

} // namespace

TEST(ServiceSheetTest, FullMaskGivesSevenTabsInOrderAndReducedMaskFive)
{
    ASSERT_NE(nullptr, testutil::UseServiceResources());
    using testutil::LoadText;
    {
        SheetUnderTest full(127);
        ASSERT_TRUE(full.created);
        std::vector<std::string> expected = {
            LoadText(IDS_DEVICES_PAGE),    LoadText(IDS_MAINTENANCE_PAGE), LoadText(IDS_MEMORY_PAGE),
            LoadText(IDS_TASKS_PAGE),      LoadText(IDS_PROCEDURES_PAGE),  LoadText(IDS_REPORTS_PAGE),
            LoadText(IDS_DRIVER_PAGE)};
        EXPECT_EQ(expected, TabTexts(full.sheet.GetTabControl()));
        EXPECT_EQ(7, full.sheet.GetPageCount());
    }
    {
        SheetUnderTest reduced(121);
        ASSERT_TRUE(reduced.created);
        std::vector<std::string> expected = {LoadText(IDS_DEVICES_PAGE), LoadText(IDS_MAINTENANCE_PAGE),
                                             LoadText(IDS_PROCEDURES_PAGE), LoadText(IDS_REPORTS_PAGE),
                                             LoadText(IDS_DRIVER_PAGE)};
        EXPECT_EQ(expected, TabTexts(reduced.sheet.GetTabControl()));
    }
    {
        // Bits above the low byte mean nothing.
        SheetUnderTest high(0x100 | 0x01);
        EXPECT_EQ(1, high.sheet.GetPageCount());
    }
}

TEST(ServiceSheetTest, OnlyTheCloseButtonShowsAndTheWindowIsSixDialogUnitsTaller)
{
    ASSERT_NE(nullptr, testutil::UseServiceResources());
    SheetUnderTest service(127);
    ASSERT_TRUE(service.created);
    HWND hSheet = service.sheet.m_hWnd;

    HWND hOK = ::GetDlgItem(hSheet, IDOK);
    EXPECT_TRUE(hOK == NULL || (!::IsWindowVisible(hOK) && !::IsWindowEnabled(hOK)));
    HWND hApply = ::GetDlgItem(hSheet, 0x3021);
    EXPECT_TRUE(hApply == NULL || !::IsWindowVisible(hApply));
    HWND hClose = ::GetDlgItem(hSheet, IDCANCEL);
    ASSERT_NE(nullptr, hClose);
    EXPECT_TRUE(::IsWindowVisible(hClose));
    EXPECT_TRUE(::IsWindowEnabled(hClose));
    EXPECT_EQ(testutil::LoadText(IDS_CLOSE), testutil::WindowText(hClose));

    // The same pages in a plain sheet: the service sheet is six of its
    // dialog units taller (10 pixels in the standard font at 96 DPI).
    CPropertySheet plain("plain");
    std::vector<CPropertyPage*> pages;
    for (UINT id : {IDD_DEVICES_PAGE, IDD_MAINTENANCE_PAGE, IDD_MEMORY_PAGE, IDD_TASKS_PAGE,
                    IDD_PROCEDURES_PAGE, IDD_REPORTS_PAGE, IDD_DRIVER_PAGE})
    {
        pages.push_back(new CPropertyPage(id));
        plain.AddPage(pages.back());
    }
    plain.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    ASSERT_TRUE(plain.Create());
    RECT rcService, rcPlain;
    ::GetWindowRect(hSheet, &rcService);
    ::GetWindowRect(plain.m_hWnd, &rcPlain);
    RECT rcExtra = {0, 0, 0, 6};
    ::MapDialogRect(hSheet, &rcExtra);
    EXPECT_GT(rcExtra.bottom, 0);
    EXPECT_EQ(rcPlain.bottom - rcPlain.top + rcExtra.bottom, rcService.bottom - rcService.top);
    EXPECT_EQ(rcPlain.right - rcPlain.left, rcService.right - rcService.left);
    plain.DestroyWindow();
    for (CPropertyPage* p : pages)
        delete p;
}

TEST(ServiceSheetTest, LogoSitsLevelWithTheCloseButtonInLineWithTheTabsAndAsTallAsTheButton)
{
    ASSERT_NE(nullptr, testutil::UseServiceResources());
    SheetUnderTest service(121);
    ASSERT_TRUE(service.created);
    HWND hSheet = service.sheet.m_hWnd;
    HWND hLogo = ::GetDlgItem(hSheet, 0xFFFF);
    ASSERT_NE(nullptr, hLogo);
    EXPECT_EQ("Corvane Logo", testutil::WindowText(hLogo));
    EXPECT_TRUE((::GetWindowLongA(hLogo, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP);
    EXPECT_TRUE(::IsWindowVisible(hLogo));
    EXPECT_NE(nullptr, (HBITMAP)::SendMessageA(hLogo, STM_GETIMAGE, IMAGE_BITMAP, 0));

    RECT rcLogo, rcClose, rcTab;
    ::GetWindowRect(hLogo, &rcLogo);
    ::GetWindowRect(::GetDlgItem(hSheet, IDCANCEL), &rcClose);
    ::GetWindowRect(service.sheet.GetTabControl(), &rcTab);
    EXPECT_EQ(rcClose.top, rcLogo.top);
    EXPECT_EQ(rcTab.left, rcLogo.left);
    EXPECT_LT(rcLogo.right, rcClose.left);
    // As tall as the button (a drawn size within a pixel of it is kept),
    // four times as wide as tall.
    EXPECT_NEAR(rcClose.bottom - rcClose.top, rcLogo.bottom - rcLogo.top, 1);
    EXPECT_EQ(4 * (rcLogo.bottom - rcLogo.top), rcLogo.right - rcLogo.left);
}

TEST(ServiceSheetTest, CloseButtonDestroysTheSheetWithoutAskingThePages)
{
    ASSERT_NE(nullptr, testutil::UseServiceResources());
    SheetUnderTest service(127);
    ASSERT_TRUE(service.created);
    HWND hSheet = service.sheet.m_hWnd;
    testutil::Click(hSheet, IDCANCEL);
    Pump();
    EXPECT_FALSE(::IsWindow(hSheet));
    EXPECT_EQ(nullptr, service.sheet.m_hWnd);
}
