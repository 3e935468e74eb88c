// WindowTests.cpp - CWnd: tying windows to objects, message-map dispatch of
// each notification kind, Default(), subclassed controls, wrappers.
#include <gtest/gtest.h>

#include "framework/afx.h"
#include "support/WinTestUtil.h"
#include "FrameworkTestRes.h"

#include <string>
#include <vector>

using testutil::Pump;

namespace
{

// An edit that records what the control held when each WM_CHAR arrived,
// then lets the control insert the character.
class CRecordingEdit : public CEdit
{
public:
    std::vector<std::string> textsBefore;
    bool swallowNext = false;

    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        CString text;
        GetWindowText(text);
        textsBefore.push_back(std::string(text));
        if (swallowNext)
            return;
        CEdit::OnChar(nChar, nRepCnt, nFlags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

class CBaseDialog : public CDialog
{
public:
    CBaseDialog() : CDialog(IDD_EXCHANGE) {}
    std::vector<std::string> events;
    void OnButton() { events.push_back("base:button"); }
    void OnAfter() { events.push_back("base:after"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseDialog, CDialog)
    ON_BN_CLICKED(IDC_BUTTON, OnButton)
    ON_BN_CLICKED(IDC_AFTER_GROUP, OnAfter)
END_MESSAGE_MAP()

class CEventDialog : public CBaseDialog
{
public:
    CRecordingEdit m_edtText;
    CListCtrl m_list;
    int m_nDestroyCalls = 0;

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TEXT, m_edtText);
        DDX_Control(pDX, IDC_LIST, m_list);
    }
    // Overrides the base's entry for the same button.
    void OnButton() { events.push_back("derived:button"); }
    void OnIntChange() { events.push_back("int:change"); }
    void OnIntUpdate() { events.push_back("int:update"); }
    void OnIntFocus() { events.push_back("int:focus"); }
    void OnListClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        events.push_back("list:click:" + std::to_string(pNMHDR->idFrom));
        *pResult = 7;
    }
    void OnListDblClk(NMHDR*, LRESULT* pResult)
    {
        events.push_back("list:dblclk");
        *pResult = 0;
    }
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
    {
        events.push_back("list:key:" + std::to_string(((NMLVKEYDOWN*)pNMHDR)->wVKey));
        *pResult = 0;
    }
    LRESULT OnPrivate(WPARAM w, LPARAM l) { return (LRESULT)(w + l); }
    void OnDestroy()
    {
        ++m_nDestroyCalls;
        CBaseDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEventDialog, CBaseDialog)
    ON_BN_CLICKED(IDC_BUTTON, OnButton)
    ON_EN_CHANGE(IDC_INT, OnIntChange)
    ON_EN_UPDATE(IDC_INT, OnIntUpdate)
    ON_EN_SETFOCUS(IDC_INT, OnIntFocus)
    ON_NOTIFY(NM_CLICK, IDC_LIST, OnListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_LIST, OnListDblClk)
    ON_NOTIFY(LVN_KEYDOWN, IDC_LIST, OnListKeyDown)
    ON_MESSAGE(WM_APP + 1, OnPrivate)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

LRESULT SendNotify(HWND hDlg, int nID, UINT code, WORD vkey = 0)
{
    NMLVKEYDOWN nm = {};
    nm.hdr.hwndFrom = ::GetDlgItem(hDlg, nID);
    nm.hdr.idFrom = (UINT_PTR)nID;
    nm.hdr.code = code;
    nm.wVKey = vkey;
    return ::SendMessageA(hDlg, WM_NOTIFY, (WPARAM)nID, (LPARAM)&nm);
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dlg.Create());
        ::ShowWindow(dlg.m_hWnd, SW_SHOW);
        Pump();
        dlg.events.clear();   // the dialog manager's initial focus
    }
    void TearDown() override
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        Pump();
    }
    CEventDialog dlg;
};

} // namespace

TEST_F(WindowTest, CommandNotificationsReachTheirHandlersAndDerivedMapsWin)
{
    testutil::Click(dlg.m_hWnd, IDC_BUTTON);
    testutil::Click(dlg.m_hWnd, IDC_AFTER_GROUP);
    ::SetDlgItemTextA(dlg.m_hWnd, IDC_INT, "12");
    ::SetFocus(::GetDlgItem(dlg.m_hWnd, IDC_INT));
    Pump();

    std::vector<std::string> expected = {"derived:button", "base:after", "int:update", "int:change",
                                         "int:focus"};
    EXPECT_EQ(expected, dlg.events);
}

TEST_F(WindowTest, NotifyHandlersGetHeaderAndSetResult)
{
    EXPECT_EQ(7, SendNotify(dlg.m_hWnd, IDC_LIST, NM_CLICK));
    SendNotify(dlg.m_hWnd, IDC_LIST, NM_DBLCLK);
    SendNotify(dlg.m_hWnd, IDC_LIST, LVN_KEYDOWN, VK_NEXT);
    // A notification from another id or with another code has no handler.
    SendNotify(dlg.m_hWnd, IDC_BUTTON, NM_CLICK);
    std::vector<std::string> expected = {"list:click:" + std::to_string(IDC_LIST), "list:dblclk",
                                         "list:key:" + std::to_string(VK_NEXT)};
    EXPECT_EQ(expected, dlg.events);
    EXPECT_EQ(5, ::SendMessageA(dlg.m_hWnd, WM_APP + 1, 2, 3));
}

TEST_F(WindowTest, SubclassedEditSeesCharBeforeTheControlAndDefaultInserts)
{
    HWND hEdit = ::GetDlgItem(dlg.m_hWnd, IDC_TEXT);
    ASSERT_EQ(&dlg.m_edtText, CWnd::FromHandlePermanent(hEdit));
    ::SendMessageA(hEdit, WM_CHAR, 'a', 1);
    ::SendMessageA(hEdit, WM_CHAR, 'b', 1);
    dlg.m_edtText.swallowNext = true;
    ::SendMessageA(hEdit, WM_CHAR, 'c', 1);

    std::vector<std::string> expected = {"", "a", "ab"};
    EXPECT_EQ(expected, dlg.m_edtText.textsBefore);
    EXPECT_EQ("ab", testutil::ItemText(dlg.m_hWnd, IDC_TEXT));
}

TEST_F(WindowTest, GetDlgItemWrapsUnboundControlsAndReturnsBoundObjects)
{
    CWnd* pButton = dlg.GetDlgItem(IDC_BUTTON);
    ASSERT_NE(nullptr, pButton);
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_BUTTON), pButton->m_hWnd);
    EXPECT_EQ(pButton, dlg.GetDlgItem(IDC_BUTTON));   // the same wrapper each time
    pButton->SetWindowText("Renamed");
    pButton->EnableWindow(FALSE);
    EXPECT_EQ("Renamed", testutil::ItemText(dlg.m_hWnd, IDC_BUTTON));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dlg.m_hWnd, IDC_BUTTON)));

    EXPECT_EQ(&dlg.m_list, dlg.GetDlgItem(IDC_LIST));
    EXPECT_EQ(nullptr, dlg.GetDlgItem(4242));
    // A wrapped control is not tied: its messages do not pass through us.
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(pButton->m_hWnd));
}

TEST_F(WindowTest, DestroyRunsOnDestroyAndUntiesEveryObject)
{
    HWND hDlg = dlg.m_hWnd;
    HWND hEdit = ::GetDlgItem(hDlg, IDC_TEXT);
    dlg.DestroyWindow();
    EXPECT_EQ(1, dlg.m_nDestroyCalls);
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_edtText.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
}

TEST_F(WindowTest, ControlHandedToAnotherObjectSendsItsMessagesThere)
{
    HWND hEdit = ::GetDlgItem(dlg.m_hWnd, IDC_TEXT);
    ASSERT_EQ(hEdit, dlg.m_edtText.UnsubclassWindow());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
    ::SendMessageA(hEdit, WM_CHAR, 'a', 1);   // straight to the control
    {
        CRecordingEdit other;
        ASSERT_TRUE(other.SubclassWindow(hEdit));
        EXPECT_EQ(&other, CWnd::FromHandlePermanent(hEdit));
        ::SendMessageA(hEdit, WM_CHAR, 'b', 1);
        EXPECT_EQ(std::vector<std::string>{"a"}, other.textsBefore);
    }
    // The object went while its window stayed: the window is the control's
    // alone again, and no message reaches either object.
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
    ::SendMessageA(hEdit, WM_CHAR, 'c', 1);
    EXPECT_TRUE(dlg.m_edtText.textsBefore.empty());
    EXPECT_EQ("abc", testutil::ItemText(dlg.m_hWnd, IDC_TEXT));
}

namespace
{
class CCreatedWindow : public CWnd
{
public:
    std::vector<std::string> events;
    int createResult = 0;
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        events.push_back(std::string("create:") + (lpcs && lpcs->lpszName ? lpcs->lpszName : ""));
        if (CWnd::OnCreate(lpcs) == -1)
            return -1;
        return createResult;
    }
    void OnDestroy()
    {
        events.push_back("destroy");
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreatedWindow, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()
} // namespace

TEST(CreateExTest, WindowIsTiedBeforeCreateAndRefusalFailsCreation)
{
    CCreatedWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, "STATIC", "label", WS_POPUP, 0, 0, 50, 20, NULL, 0));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    wnd.DestroyWindow();
    std::vector<std::string> expected = {"create:label", "destroy"};
    EXPECT_EQ(expected, wnd.events);
    EXPECT_EQ(nullptr, wnd.m_hWnd);

    CCreatedWindow refused;
    refused.createResult = -1;
    EXPECT_FALSE(refused.CreateEx(0, "STATIC", "no", WS_POPUP, 0, 0, 50, 20, NULL, 0));
    EXPECT_EQ(nullptr, refused.m_hWnd);
}

namespace
{
class CModalDialog : public CDialog
{
public:
    CModalDialog() : CDialog(IDD_EXCHANGE) {}
    int m_nValue = 5;
    BOOL m_bTypeBad = FALSE;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_INT, m_nValue); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (m_bTypeBad)
            ::SetDlgItemTextA(m_hWnd, IDC_INT, "x");
        else
            ::SetDlgItemTextA(m_hWnd, IDC_INT, "77");
        PostMessage(WM_COMMAND, IDOK);
        // When IDOK is refused, Cancel ends the dialog.
        PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
};
} // namespace

TEST(DialogTest, DoModalEndsWithOkAfterExchangeOrStaysOnABadField)
{
    testutil::MessageBoxRecorder boxes;
    CModalDialog ok;
    EXPECT_EQ(IDOK, ok.DoModal());
    EXPECT_EQ(77, ok.m_nValue);
    EXPECT_TRUE(boxes.boxes.empty());

    CModalDialog bad;
    bad.m_bTypeBad = TRUE;
    EXPECT_EQ(IDCANCEL, bad.DoModal());
    EXPECT_EQ(5, bad.m_nValue);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Please enter an integer.", boxes.boxes[0].text);
}

// ---------------------------------------------------------------------------
// The "window being created" slot

namespace
{
INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A class of this module's own, with the given name and class style.
void RegisterTestClass(const char* pszName, UINT style)
{
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = pszName;
    ::RegisterClassA(&wc);
}

HWND CreatePopup(const char* pszClass)
{
    return ::CreateWindowExA(0, pszClass, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, ::GetModuleHandleA(NULL), NULL);
}
} // namespace

TEST(CreateHookTest, TiesOnlyAWindowOfTheExpectedClassAndNeverAnImeWindow)
{
    // The system's default IME window, made by hand: one class named "IME",
    // and one with the IME class style.
    RegisterTestClass("IME", 0);
    RegisterTestClass("AfxTestImeStyle", CS_IME);

    CWnd dialog;
    AfxHookWindowCreate(&dialog, WC_DIALOG);
    HWND hIme = CreatePopup("IME");
    HWND hImeStyled = CreatePopup("AfxTestImeStyle");
    HWND hOther = CreatePopup("STATIC");
    ASSERT_TRUE(hIme && hImeStyled && hOther);
    HWND hDlg = ::CreateDialogParamA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_EXCHANGE), NULL,
                                     PlainDialogProc, 0);
    EXPECT_TRUE(AfxUnhookWindowCreate()) << "the dialog was not tied";

    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hIme));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hImeStyled));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hOther));
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ(&dialog, CWnd::FromHandlePermanent(hDlg));
    EXPECT_EQ(hDlg, dialog.m_hWnd);

    dialog.DestroyWindow();
    for (HWND h : {hIme, hImeStyled, hOther})
        ::DestroyWindow(h);

    // CreateEx waits for its own class: an IME window created first (as the
    // system does inside the first top-level window's creation) is passed by.
    CCreatedWindow wnd;
    AfxHookWindowCreate(&wnd, "STATIC");
    hIme = CreatePopup("IME");
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hIme));
    ::DestroyWindow(hIme);
    AfxUnhookWindowCreate();
    ASSERT_TRUE(wnd.CreateEx(0, "STATIC", "label", WS_POPUP, 0, 0, 50, 20, NULL, 0));
    EXPECT_EQ(std::vector<std::string>{"create:label"}, wnd.events);
    wnd.DestroyWindow();
}

// ---------------------------------------------------------------------------
// A handler that deletes its own object

namespace
{
// The object lives alone on a page of its own. Once deleted, the page is a
// guard page: the first access to it, a read or a write, is counted (the
// system then lifts the guard and the access goes through).
BYTE* g_pObjectPage = NULL;
LONG g_deletedObjectTouches = 0;

LONG CALLBACK CountTouchesOfTheDeletedObject(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (pRecord->ExceptionCode != STATUS_GUARD_PAGE_VIOLATION || pRecord->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const BYTE* pAddress = (const BYTE*)pRecord->ExceptionInformation[1];
    if (!g_pObjectPage || pAddress < g_pObjectPage || pAddress >= g_pObjectPage + 4096)
        return EXCEPTION_CONTINUE_SEARCH;
    ++g_deletedObjectTouches;
    return EXCEPTION_CONTINUE_EXECUTION;
}

class CSelfDeletingWindow : public CWnd
{
public:
    static void* operator new(size_t size)
    {
        EXPECT_LE(size, 4096u);
        g_pObjectPage = (BYTE*)::VirtualAlloc(NULL, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        return g_pObjectPage;
    }
    static void operator delete(void* p)
    {
        DWORD old = 0;
        ::VirtualProtect(p, 4096, PAGE_READWRITE | PAGE_GUARD, &old);
    }

    // Destroys its own window from inside one of its handlers.
    LRESULT OnDie(WPARAM, LPARAM)
    {
        DestroyWindow();
        return 42;
    }

protected:
    void PostNcDestroy() override
    {
        CWnd::PostNcDestroy();
        delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDeletingWindow, CWnd)
    ON_MESSAGE(WM_APP + 7, OnDie)
END_MESSAGE_MAP()
} // namespace

TEST(WindowProcTest, NothingTouchesAnObjectThatAHandlerDeleted)
{
    PVOID hHandler = ::AddVectoredExceptionHandler(1, CountTouchesOfTheDeletedObject);
    ASSERT_NE(nullptr, hHandler);
    CSelfDeletingWindow* pWnd = new CSelfDeletingWindow;
    ASSERT_TRUE(pWnd->CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, 0));
    HWND hWnd = pWnd->m_hWnd;
    EXPECT_EQ(42, ::SendMessageA(hWnd, WM_APP + 7, 0, 0));
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(0, g_deletedObjectTouches) << "the deleted object was read or written after its handler";
    ::RemoveVectoredExceptionHandler(hHandler);
    ::VirtualFree(g_pObjectPage, 0, MEM_RELEASE);
    g_pObjectPage = NULL;
}

// ---------------------------------------------------------------------------
// The application's name from a path

TEST(AppNameTest, IsTheFileNameWithoutItsExtensionAndNeverReadsPastTheCharactersGiven)
{
    auto name = [](const char* path) { return std::string(AfxAppNameFromPath(path, lstrlenA(path))); };
    EXPECT_EQ("ServiceApp", name("C:\\Program Files\\ServiceApp\\ServiceApp.exe"));
    EXPECT_EQ("Service.App", name("D:/tools/Service.App.exe"));
    EXPECT_EQ("NoExtension", name("C:NoExtension"));
    EXPECT_EQ(".hidden", name("\\\\server\\share\\.hidden"));

    // A path cut to its buffer and not terminated (Windows XP), lying at the
    // very end of readable memory: reading one byte too far would fault.
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    BYTE* pPages = (BYTE*)::VirtualAlloc(NULL, si.dwPageSize * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(nullptr, pPages);
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(pPages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
    const std::string full = "C:\\" + std::string(250, 'd') + "\\ServiceApp.exe";
    char* pPath = (char*)pPages + si.dwPageSize - MAX_PATH;
    memcpy(pPath, full.data(), MAX_PATH);   // no terminator
    EXPECT_EQ("Servic", std::string(AfxAppNameFromPath(pPath, MAX_PATH)));
    ::VirtualFree(pPages, 0, MEM_RELEASE);
}

