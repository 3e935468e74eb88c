// StartupDialog.cpp - CModelNameEdit and CStartupDialog.
#include "app/StartupDialog.h"

#include "app/ServiceApp.h"
#include "lang/ServiceRes.h"

#include <mbstring.h>
#include <string.h>

// ---------------------------------------------------------------------------
// CModelNameEdit

BEGIN_MESSAGE_MAP(CModelNameEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

CModelNameEdit::CModelNameEdit() : m_hwndTarget(NULL)
{
    static const char* const kModels[kTableModels] = {"MIRREL", "VOSKA", "BRENNIK", "TAVERIN", "KESSLY"};
    for (int i = 0; i < kTableModels; ++i)
        lstrcpynA(m_szModels[i], kModels[i], kNameSlot);
    lstrcpynA(m_szReducedModel, "ORMEK", kNameSlot);
}

BOOL CModelNameEdit::SetTargetButton(HWND hwnd)
{
    m_hwndTarget = hwnd;
    return TRUE;
}

BOOL CModelNameEdit::IsReducedModel(LPCSTR pszName) const
{
    return pszName && _mbsicmp((const unsigned char*)pszName, (const unsigned char*)m_szReducedModel) == 0;
}

void CModelNameEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    // The field holds at most 19 characters: a full field swallows every
    // character, Backspace included, and the button keeps its state.
    char szText[kNameSlot] = "";
    int nLength = GetWindowText(szText, kNameSlot);
    if (nLength < 0)
        nLength = 0;
    if (nLength + 1 >= kNameSlot)
        return;

    // The candidate is the text with the new character, upper-cased, appended
    // at the end (wherever the caret is).
    char szCandidate[kNameSlot + 1];
    memcpy(szCandidate, szText, (size_t)nLength);
    szCandidate[nLength] = (char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)nChar);
    szCandidate[nLength + 1] = '\0';

    BOOL bMatch = FALSE;
    for (int i = 0; i < kTableModels && !bMatch; ++i)
        bMatch = _mbscmp((const unsigned char*)szCandidate, (const unsigned char*)m_szModels[i]) == 0;
    if (!bMatch)
        bMatch = IsReducedModel(szCandidate);

    ::EnableWindow(m_hwndTarget, bMatch);
    CEdit::OnChar(nChar, nRepCnt, nFlags);
}

// ---------------------------------------------------------------------------
// CStartupDialog

BEGIN_MESSAGE_MAP(CStartupDialog, CDialog)
    ON_BN_CLICKED(IDC_ACCEPT, OnAccept)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CStartupDialog::CStartupDialog(CWnd* pParent)
    : CDialog(IDD_STARTUP, pParent), m_hMapping(NULL), m_hIcon(AfxLoadIcon(IDI_APP)), m_bFullPageSet(true)
{
    m_rcLastPlace.left = m_rcLastPlace.top = m_rcLastPlace.right = m_rcLastPlace.bottom = 0;
}

void CStartupDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_MODEL_NAME, m_edtModel);
}

BOOL CStartupDialog::OnInitDialog()
{
    // The slot exists already (the application made it); publish this
    // dialog so that a second start brings it forward.
    m_hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(DWORD),
                                      SERVICEAPP_INSTANCE_SLOT);
    DWORD* pSlot = m_hMapping ? (DWORD*)::MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DWORD))
                              : NULL;

    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    CDialog::OnInitDialog();

    CString text;
    text.LoadString(IDS_STARTUP_CAPTION);
    SetWindowText(text);
    text.LoadString(IDS_MODEL_PROMPT);
    SetDlgItemText(IDC_MODEL_PROMPT, text);
    text.LoadString(IDS_STARTUP_WARNING);
    SetDlgItemText(IDC_STARTUP_WARNING, text);
    text.LoadString(IDS_STARTUP_NOTE);
    SetDlgItemText(IDC_STARTUP_NOTE, text);
    SendDlgItemMessage(IDC_STOP_ICON, STM_SETICON, (WPARAM)::LoadIconA(NULL, (LPCSTR)IDI_HAND));

    m_edtModel.SetTargetButton(::GetDlgItem(m_hWnd, IDC_ACCEPT));

    if (pSlot)
    {
        *pSlot = (DWORD)(ULONG_PTR)m_hWnd;
        ::UnmapViewOfFile(pSlot);
    }
    return TRUE;
}

void CStartupDialog::OnAccept()
{
    UpdateData(TRUE);
    CString name;
    m_edtModel.GetWindowText(name);
    if (m_edtModel.IsReducedModel(name))
        m_bFullPageSet = false;
    CDialog::OnOK();
}

void CStartupDialog::OnDestroy()
{
    GetWindowRect(&m_rcLastPlace);   // the sheet opens on the same monitor
    CWnd::OnDestroy();
    if (m_hMapping)
    {
        ::CloseHandle(m_hMapping);
        m_hMapping = NULL;
    }
}
