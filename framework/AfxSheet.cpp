// AfxSheet.cpp - CPropertyPage and CPropertySheet.
#include "framework/AfxSheet.h"

// ---------------------------------------------------------------------------
// CPropertyPage

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CDialog(nIDTemplate), m_nIDCaption(nIDCaption), m_bFirstSetActive(TRUE)
{
}

HPROPSHEETPAGE CPropertyPage::CreatePageHandle()
{
    PROPSHEETPAGEA psp;
    ZeroMemory(&psp, sizeof(psp));
    psp.dwSize = PROPSHEETPAGEA_V1_SIZE;   // the fields we use; every comctl32 knows them
    psp.dwFlags = PSP_DEFAULT;
    psp.pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    psp.hInstance = AfxFindResourceHandle(psp.pszTemplate, (LPCSTR)RT_DIALOG);
    psp.pfnDlgProc = PageDialogProc;
    psp.lParam = (LPARAM)this;
    if (m_nIDCaption != 0 && m_strCaption.LoadString(m_nIDCaption))
    {
        psp.dwFlags |= PSP_USETITLE;
        psp.pszTitle = m_strCaption;
    }
    m_bFirstSetActive = TRUE;
    return ::CreatePropertySheetPageA(&psp);
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // For a page, lParam is the control's copy of PROPSHEETPAGE; its lParam is the object.
    LPPROPSHEETPAGEA psp = (LPPROPSHEETPAGEA)lParam;
    CPropertyPage* pPage = psp ? (CPropertyPage*)psp->lParam : NULL;
    return pPage ? pPage->InitDialogWindow(hWnd) : TRUE;
}

LRESULT CPropertyPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && lParam)
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        if (pNMHDR->hwndFrom == ::GetParent(m_hWnd))
        {
            LRESULT lResult;
            bool handled = true;
            switch (pNMHDR->code)
            {
            case PSN_SETACTIVE:
                lResult = OnSetActive() ? 0 : -1;
                break;
            case PSN_KILLACTIVE:
                lResult = OnKillActive() ? FALSE : TRUE;   // TRUE keeps the page
                break;
            case PSN_APPLY:
                lResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
                break;
            case PSN_RESET:
                OnReset();
                lResult = 0;
                break;
            case PSN_QUERYCANCEL:
                lResult = FALSE;
                break;
            default:
                handled = false;
                lResult = 0;
                break;
            }
            if (handled)
            {
                // The control reads the answer from the return value or,
                // for a dialog, from DWLP_MSGRESULT: give it both.
                ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
                return lResult;
            }
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (!m_hWnd)
        return;
    HWND hSheet = ::GetParent(m_hWnd);
    if (hSheet)
        ::SendMessageA(hSheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

// ---------------------------------------------------------------------------
// CPropertySheet

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace
{

// A push button that a key may press: shown, enabled, and a push button
// (default or not) by its own answer to WM_GETDLGCODE.
bool IsPressable(HWND hWnd)
{
    if (!hWnd || !::IsWindowVisible(hWnd) || !::IsWindowEnabled(hWnd))
        return false;
    const LRESULT code = ::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0);
    return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The pressable button of hDlg that its default id (DM_GETDEFID) names, or NULL.
HWND DefaultButtonOf(HWND hDlg)
{
    if (!hDlg)
        return NULL;
    const LRESULT def = ::SendMessageA(hDlg, DM_GETDEFID, 0, 0);
    if (HIWORD(def) != DC_HASDEFID)
        return NULL;
    HWND hButton = ::GetDlgItem(hDlg, (int)LOWORD(def));
    return IsPressable(hButton) ? hButton : NULL;
}

} // namespace

// The style of a modeless sheet when Create is given (DWORD)-1.
static const DWORD kDefaultSheetStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT |
    WS_VISIBLE;

// Carries the style from Create to the PSCB_PRECREATE callback.
static DWORD g_dwSheetStyleForCallback = 0;

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption), m_pParentWnd(pParentWnd), m_dwCreateStyle(0)
{
    ZeroMemory(&m_psh, sizeof(m_psh));
    m_psh.dwSize = PROPSHEETHEADERA_V1_SIZE;
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage)
        return;
    m_pages.push_back(pPage);
    if (m_hWnd)
    {
        HPROPSHEETPAGE hPage = pPage->CreatePageHandle();
        if (hPage)
            ::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, (LPARAM)hPage);
    }
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    if (nPage < 0 || nPage >= (int)m_pages.size())
        return NULL;
    return m_pages[(size_t)nPage];
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == pPage)
            return (int)i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    if (!m_hWnd)
        return GetPage((int)m_psh.nStartPage);
    HWND hPage = (HWND)::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd && p->m_hWnd == hPage)
            return p;
    return NULL;
}

int CPropertySheet::GetActiveIndex() const
{
    return GetPageIndex(GetActivePage());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= (int)m_pages.size())
        return FALSE;
    if (!m_hWnd)
    {
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)::SendMessageA(m_hWnd, PSM_SETCURSEL, (WPARAM)nPage, 0);
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    return SetActivePage(GetPageIndex(pPage));
}

HWND CPropertySheet::GetTabControl() const
{
    return m_hWnd ? (HWND)::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0) : NULL;
}

void CPropertySheet::SetTitle(LPCSTR pszText)
{
    m_strCaption = pszText;
    if (m_hWnd)
        ::SetWindowTextA(m_hWnd, m_strCaption);
}

int CALLBACK CPropertySheet::SheetCallback(HWND, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE && lParam && g_dwSheetStyleForCallback)
    {
        // The template may be a DLGTEMPLATE or a DLGTEMPLATEEX (signature 0xFFFF).
        DLGTEMPLATE* pTemplate = (DLGTEMPLATE*)lParam;
        DWORD dwOld;
        if (((WORD*)pTemplate)[1] == 0xFFFF)
        {
            DWORD* pStyle = (DWORD*)((BYTE*)pTemplate + 12);   // dlgVer, signature, helpID, exStyle, style
            dwOld = *pStyle;
            *pStyle = g_dwSheetStyleForCallback | (dwOld & DS_SHELLFONT);
        }
        else
        {
            dwOld = pTemplate->style;
            pTemplate->style = g_dwSheetStyleForCallback | (dwOld & DS_SHELLFONT);
        }
    }
    return 0;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (m_hWnd)
        return FALSE;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    m_dwCreateStyle = dwStyle == (DWORD)-1 ? kDefaultSheetStyle : dwStyle;
    (void)dwExStyle;

    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* pPage : m_pages)
    {
        HPROPSHEETPAGE h = pPage->CreatePageHandle();
        if (h)
            handles.push_back(h);
    }

    m_psh.dwSize = PROPSHEETHEADERA_V1_SIZE;
    m_psh.dwFlags |= PSH_MODELESS | PSH_USECALLBACK;
    m_psh.dwFlags &= ~(DWORD)PSH_PROPSHEETPAGE;
    m_psh.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = (UINT)handles.size();
    m_psh.phpage = handles.empty() ? NULL : &handles[0];
    m_psh.pfnCallback = SheetCallback;
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;

    g_dwSheetStyleForCallback = m_dwCreateStyle;
    AfxHookWindowCreate(this, WC_DIALOG);
    INT_PTR result = ::PropertySheetA(&m_psh);
    AfxUnhookWindowCreate();
    g_dwSheetStyleForCallback = 0;
    m_psh.phpage = NULL;

    HWND hWnd = (result == 0 || result == -1) ? NULL : (HWND)result;
    if (!hWnd)
    {
        if (m_hWnd)
            UnsubclassWindow();
        for (HPROPSHEETPAGE h : handles)
            ::DestroyPropertySheetPage(h);   // the control did not take them
        return FALSE;
    }
    if (!m_hWnd)
    {
        // Not seen by the hook (should not happen): tie it now; OnInitDialog
        // then runs late, after the control's own initialisation.
        SubclassWindow(hWnd);
        OnInitDialog();
    }
    return m_hWnd != NULL;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED)
    {
        // The property sheet control takes every IDOK command for its own
        // OK button: it applies every page and ends the sheet. The dialog
        // manager sends it one for a page's button of the same id (a page's
        // own Apply, say, as the default button), and for a sheet without a
        // default button whatever its OK button's state.
        HWND hFrom = (HWND)lParam;
        HWND hOK = ::GetDlgItem(m_hWnd, IDOK);
        if (hFrom != NULL && hFrom != hOK && ::IsChild(m_hWnd, hFrom))
        {
            // A control of a page: the command is that page's, and only
            // while the page is shown and the control can be pressed.
            HWND hPage = (HWND)::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
            if (hPage != NULL && ::GetParent(hFrom) == hPage && ::IsWindowVisible(hFrom) &&
                ::IsWindowEnabled(hFrom))
                ::SendMessageA(hPage, WM_COMMAND, wParam, lParam);
            return 0;
        }
        if (hOK == NULL || !::IsWindowEnabled(hOK))
            return 0;   // no OK button to press
    }
    LRESULT lResult = CWnd::WindowProc(message, wParam, lParam);
    // A page change: by message, or by the tabs (click, arrow keys).
    if (message == PSM_SETCURSEL || message == PSM_SETCURSELID ||
        (message == WM_NOTIFY && lParam && ((NMHDR*)lParam)->code == TCN_SELCHANGE))
        KeepFocusVisible();
    return lResult;
}

void CPropertySheet::KeepFocusVisible()
{
    if (!m_hWnd)
        return;
    HWND hFocus = ::GetFocus();
    if (!hFocus || !::IsChild(m_hWnd, hFocus) || ::IsWindowVisible(hFocus))
        return;
    // The focus sits on a control of a page that is no longer shown: keys
    // would go to it (Space pressing a button nobody sees), and the dialog
    // manager's search for an Alt+letter starting from a hidden window may
    // never end. The tabs take it, as after a click on a tab.
    HWND hTab = GetTabControl();
    if (hTab && ::IsWindowVisible(hTab) && ::IsWindowEnabled(hTab))
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)hTab, TRUE);
    else
        ::SetFocus(m_hWnd);
}

BOOL CPropertySheet::OnInitDialog()
{
    // Inside WM_INITDIALOG, Default() is the control's own initialisation
    // (tabs, buttons, the first page). After a late tie it has already run.
    const MSG& msg = GetCurrentMessage();
    if (msg.message == WM_INITDIALOG)
        return (BOOL)Default();
    return TRUE;
}

void CPropertySheet::EndDialog(int nEndID)
{
    (void)nEndID;
    if (m_hWnd)
        DestroyWindow();
}

HWND CPropertySheet::GetEnterButton() const
{
    if (!m_hWnd)
        return NULL;
    // The focused push button: Enter presses it, as Space does.
    HWND hFocus = ::GetFocus();
    if (hFocus && ::IsChild(m_hWnd, hFocus) && IsPressable(hFocus))
        return hFocus;
    // The shown page's default button: every page is a dialog of its own
    // with a default id (IDOK unless its template names another button),
    // and only the page knows which of its controls that is.
    HWND hPage = (HWND)::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
    if (HWND hButton = DefaultButtonOf(hPage))
        return hButton;
    // The sheet's own default button, when it shows.
    return DefaultButtonOf(m_hWnd);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd)
        return FALSE;
    // The control's own page change by keyboard (Ctrl+Tab, Ctrl+PgDn, ...)
    // leaves the focus where it was, on the page it hides; a key must never
    // reach a hidden control either.
    const bool bKey = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    if (bKey)
    {
        KeepFocusVisible();
        // A key typed before the change took effect is addressed to the
        // control that had the focus then: it goes where the focus is now.
        if (pMsg->hwnd && ::IsChild(m_hWnd, pMsg->hwnd) && !::IsWindowVisible(pMsg->hwnd))
            pMsg->hwnd = ::GetFocus();
    }
    BOOL bHandled = FALSE;
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_EXECUTE) &&
        pMsg->hwnd && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd)) &&
        !(::SendMessageA(pMsg->hwnd, WM_GETDLGCODE, pMsg->wParam, (LPARAM)pMsg) & DLGC_WANTMESSAGE))
    {
        // Enter, unless the control takes it itself. The dialog manager
        // would ask the sheet for its default id and look that id up among
        // all the sheet's windows, hidden pages included, then send the
        // command to the sheet: a page button with the OK button's id would
        // end the sheet. The button is found here, on the shown page, and
        // pressed as a click would press it: BN_CLICKED to its own dialog.
        if (HWND hButton = GetEnterButton())
            ::SendMessageA(::GetParent(hButton), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hButton), BN_CLICKED),
                           (LPARAM)hButton);
        bHandled = TRUE;
    }
    else
    {
        bHandled = (BOOL)::SendMessageA(m_hWnd, PSM_ISDIALOGMESSAGE, 0, (LPARAM)pMsg);
    }
    if (bKey)
        KeepFocusVisible();
    if (!bHandled)
        return FALSE;
    // The control ends a modeless sheet by leaving it without a current
    // page (after its own OK or Cancel); the window is then ours to destroy.
    if (m_hWnd && !::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0))
        DestroyWindow();
    return TRUE;
}
