// AfxApp.cpp - CWinApp and AfxWinMain.
#include "framework/AfxApp.h"

namespace
{
CWinApp* g_pApp = NULL;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWinApp::CWinApp(LPCSTR pszAppName)
    : m_hInstance(NULL), m_pszAppName(NULL), m_lpCmdLine(""), m_nCmdShow(SW_SHOWNORMAL),
      m_pMainWnd(NULL), m_msgCur(), m_strAppName(pszAppName)
{
    g_pApp = this;
    if (pszAppName)
        m_pszAppName = m_strAppName;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

CString AfxAppNameFromPath(LPCSTR pszPath, int nLength)
{
    // Only the nLength characters given count: a path that GetModuleFileName
    // cut to its buffer is not terminated on Windows XP.
    int nStart = 0;
    for (int i = 0; i < nLength && pszPath[i] != '\0'; ++i)
    {
        if (pszPath[i] == '\\' || pszPath[i] == '/' || pszPath[i] == ':')
            nStart = i + 1;
        else if (::IsDBCSLeadByte((BYTE)pszPath[i]) && i + 1 < nLength && pszPath[i + 1] != '\0')
            ++i;   // the trail byte of a double-byte character is never a separator
    }
    int nEnd = nStart;
    while (nEnd < nLength && pszPath[nEnd] != '\0')
        ++nEnd;
    CString name(pszPath + nStart, nEnd - nStart);
    int dot = -1;
    for (int i = 0; i < name.GetLength(); ++i)
        if (name[i] == '.')
            dot = i;
    return dot > 0 ? name.Left(dot) : name;
}

void CWinApp::InitApplicationState(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    AfxSetInstanceHandle(hInstance);
    m_lpCmdLine = lpCmdLine ? lpCmdLine : "";
    m_nCmdShow = nCmdShow;
    if (!m_pszAppName)
    {
        // The executable's file name without its extension. A path longer
        // than the buffer comes back cut (and, on XP, unterminated): grow the
        // buffer until the whole path fits.
        CString path;
        for (DWORD cch = MAX_PATH; cch <= 32768; cch *= 2)
        {
            LPSTR p = path.GetBuffer((int)cch);
            DWORD n = ::GetModuleFileNameA(hInstance, p, cch);
            if (n < cch)
            {
                path.ReleaseBuffer((int)n);
                break;
            }
            path.ReleaseBuffer(0);
        }
        m_strAppName = AfxAppNameFromPath(path, path.GetLength());
        m_pszAppName = m_strAppName;
    }
}

void CWinApp::SetAppName(LPCSTR pszAppName)
{
    if (!pszAppName || !*pszAppName)
        return;
    m_strAppName = pszAppName;
    m_pszAppName = m_strAppName;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg->hwnd)
        return FALSE;
    CWnd* pTop = CWnd::FromHandlePermanent(::GetAncestor(pMsg->hwnd, GA_ROOT));
    return pTop && pTop->PreTranslateMessage(pMsg);
}

BOOL CWinApp::GetNextMessage(MSG* pMsg)
{
    return ::GetMessageA(pMsg, NULL, 0, 0);
}

int CWinApp::Run()
{
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd)
        ::PostQuitMessage(0);   // nothing to run for
    MSG msg = {};
    for (;;)
    {
        BOOL bRet = GetNextMessage(&msg);
        if (bRet == 0)
            break;   // WM_QUIT: its wParam is the exit code
        if (bRet == -1)
        {
            // The loop cannot go on; msg holds nothing that was read.
            ZeroMemory(&msg, sizeof(msg));
            msg.wParam = (WPARAM)-1;
            break;
        }
        if (!PreTranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    m_msgCur = msg;
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return AfxLoadIcon(nIDResource);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->InitApplicationState(hInstance, lpCmdLine, nCmdShow);
    if (!pApp->InitInstance())
    {
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
