// AfxDialog.cpp - CDataExchange, the DDX_ functions and CDialog.
#include "framework/AfxDialog.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>

// ---------------------------------------------------------------------------
// CDataExchange

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE), m_nIDPrompt(0),
      m_hWndLastControl(NULL), m_bEditLastControl(FALSE)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_hWndLastControl = hWnd;
    m_bEditLastControl = FALSE;
    return hWnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail(UINT nIDPrompt)
{
    m_bFailed = TRUE;
    m_nIDPrompt = nIDPrompt;
}

BOOL CDataExchange::ReportFailure()
{
    if (!m_bFailed)
        return TRUE;
    HWND hWnd = m_hWndLastControl;
    AfxMessageBox(m_nIDPrompt, MB_ICONEXCLAMATION);
    if (hWnd && ::IsWindow(hWnd))
    {
        ::SetFocus(hWnd);
        if (m_bEditLastControl)
            ::SendMessageA(hWnd, EM_SETSEL, 0, -1);
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// DDX_ functions

BOOL AfxParseInteger(LPCSTR psz, long long minValue, long long maxValue, long long& result)
{
    if (!psz)
        return FALSE;
    while (*psz == ' ' || *psz == '\t')
        ++psz;
    bool negative = false;
    if (*psz == '-' || *psz == '+')
        negative = (*psz++ == '-');
    if (!isdigit((unsigned char)*psz))
        return FALSE;
    long long value = 0;
    while (isdigit((unsigned char)*psz))
    {
        value = value * 10 + (*psz++ - '0');
        if (value > 0xFFFFFFFFLL + 1)
            return FALSE;   // far out of range: stop before overflowing
    }
    while (*psz == ' ' || *psz == '\t')
        ++psz;
    if (*psz != '\0')
        return FALSE;
    if (negative)
        value = -value;
    if (value < minValue || value > maxValue)
        return FALSE;
    result = value;
    return TRUE;
}

static BOOL ExchangeInteger(CDataExchange* pDX, int nIDC, long long& value, long long minValue,
                            long long maxValue, LPCSTR pszFormat)
{
    if (pDX->HasFailed())
        return FALSE;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd)
        return FALSE;
    if (pDX->m_bSaveAndValidate)
    {
        CString text;
        int n = ::GetWindowTextLengthA(hWnd);
        ::GetWindowTextA(hWnd, text.GetBuffer(n), n + 1);
        text.ReleaseBuffer();
        long long parsed = 0;
        if (!AfxParseInteger(text, minValue, maxValue, parsed))
        {
            pDX->Fail(AFX_IDP_PARSE_INT);
            return FALSE;
        }
        value = parsed;
        return TRUE;
    }
    char buf[32];
    snprintf(buf, sizeof(buf), pszFormat, value);
    AfxSetWindowText(hWnd, buf);
    return FALSE;
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    long long v = value;
    if (ExchangeInteger(pDX, nIDC, v, INT_MIN, INT_MAX, "%lld"))
        value = (int)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value)
{
    long long v = value;
    if (ExchangeInteger(pDX, nIDC, v, LONG_MIN, LONG_MAX, "%lld"))
        value = (long)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    long long v = value;
    if (ExchangeInteger(pDX, nIDC, v, 0, 0xFFFFFFFFLL, "%lld"))
        value = (DWORD)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->HasFailed())
        return;
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate)
    {
        int n = ::GetWindowTextLengthA(hWnd);
        int got = ::GetWindowTextA(hWnd, value.GetBuffer(n), n + 1);
        value.ReleaseBuffer(got > 0 ? got : 0);
    }
    else
    {
        AfxSetWindowText(hWnd, value);
    }
}

static bool IsRadioButton(HWND hWnd)
{
    return (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// Sets a button's check state, unless it has that state already. Setting a
// state is far from free: the button redraws itself, and a radio button also
// rewrites its style (a checked radio button is the group's tab stop) and, if
// automatic, walks its group to clear the others; an exchange that writes a
// whole page of unchanged buttons spent most of its time there. A radio
// button counts as set only when its tab stop agrees too, so that skipping
// leaves it exactly as the message would have.
static void SetCheckIfDifferent(HWND hWnd, WPARAM nCheck, bool bRadio)
{
    if ((WPARAM)::SendMessageA(hWnd, BM_GETCHECK, 0, 0) == nCheck)
    {
        if (!bRadio)
            return;
        const bool bTabStop = (::GetWindowLongA(hWnd, GWL_STYLE) & WS_TABSTOP) != 0;
        if (bTabStop == (nCheck != BST_UNCHECKED))
            return;
    }
    ::SendMessageA(hWnd, BM_SETCHECK, nCheck, 0);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->HasFailed())
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageA(hWnd, BM_GETCHECK, 0, 0);
    else
        SetCheckIfDifferent(hWnd, (WPARAM)value, false);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->HasFailed())
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs from the first control to the next one with WS_GROUP.
    int iButton = 0;
    do
    {
        if (IsRadioButton(hWnd))
        {
            if (pDX->m_bSaveAndValidate)
            {
                if (::SendMessageA(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = iButton;
            }
            else
            {
                SetCheckIfDifferent(hWnd, iButton == value ? BST_CHECKED : BST_UNCHECKED, true);
            }
            ++iButton;
        }
        hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
    } while (hWnd && !(::GetWindowLongA(hWnd, GWL_STYLE) & WS_GROUP));
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd)
        rControl.SubclassWindow(hWnd);
}

// ---------------------------------------------------------------------------
// The keyboard's place in a dialog

namespace
{

bool IsDialogWindow(HWND hWnd)
{
    char name[16] = "";
    ::GetClassNameA(hWnd, name, sizeof(name));
    return ::lstrcmpA(name, "#32770") == 0;
}

bool HoldsFocus(HWND hWnd)
{
    HWND hFocus = ::GetFocus();
    return hFocus != NULL && (hFocus == hWnd || ::IsChild(hWnd, hFocus));
}

} // namespace

HWND AfxGetKeyboardDialog(HWND hControl)
{
    HWND hDlg = hControl ? ::GetParent(hControl) : NULL;
    if (!hDlg || !IsDialogWindow(hDlg))
        return NULL;
    // A child dialog that is a control of its parent (DS_CONTROL, as a
    // property sheet makes every page) leaves Tab to the dialog around it.
    for (;;)
    {
        const DWORD style = (DWORD)::GetWindowLongA(hDlg, GWL_STYLE);
        const DWORD exStyle = (DWORD)::GetWindowLongA(hDlg, GWL_EXSTYLE);
        if (!(style & WS_CHILD) || !((style & DS_CONTROL) || (exStyle & WS_EX_CONTROLPARENT)))
            return hDlg;
        HWND hParent = ::GetParent(hDlg);
        if (!hParent || !IsDialogWindow(hParent))
            return hDlg;
        hDlg = hParent;
    }
}

void AfxGotoControl(HWND hControl)
{
    if (!hControl)
        return;
    if (HWND hDlg = AfxGetKeyboardDialog(hControl))
        ::SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)hControl, TRUE);
    else
        ::SetFocus(hControl);
}

void AfxEnableControl(HWND hControl, BOOL bEnable)
{
    if (!hControl)
        return;
    if (!bEnable && HoldsFocus(hControl))
    {
        if (HWND hDlg = AfxGetKeyboardDialog(hControl))
        {
            ::SendMessageA(hDlg, WM_NEXTDLGCTL, 0, FALSE);   // the next tab stop, as Tab
            if (HoldsFocus(hControl))
                ::SetFocus(hDlg);   // it was the only one
        }
    }
    ::EnableWindow(hControl, bEnable);
}

// ---------------------------------------------------------------------------
// CDialog

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;   // everything else reached the object through AfxWndProc first
    CDialog* pDlg = (CDialog*)lParam;
    return pDlg ? pDlg->InitDialogWindow(hWnd) : TRUE;
}

INT_PTR CDialog::InitDialogWindow(HWND hWnd)
{
    if (!SubclassWindow(hWnd))
        return TRUE;
    BOOL bResult = TRUE;
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    try
    {
        bResult = OnInitDialog();
    }
    catch (...)
    {
        ::OutputDebugStringA("CDialog: an exception reached OnInitDialog\n");
    }
#else
    bResult = OnInitDialog();
#endif
    return bResult;
}

INT_PTR CDialog::DoModal()
{
    LPCSTR pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(pszTemplate, (LPCSTR)RT_DIALOG);
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    return ::DialogBoxParamA(hInst, pszTemplate, hWndParent, DialogProc, (LPARAM)this);
}

BOOL CDialog::Create(CWnd* pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    LPCSTR pszTemplate = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(pszTemplate, (LPCSTR)RT_DIALOG);
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    HWND hWnd = ::CreateDialogParamA(hInst, pszTemplate, hWndParent, DialogProc, (LPARAM)this);
    return hWnd != NULL && m_hWnd == hWnd;
}

void CDialog::EndDialog(int nResult)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
