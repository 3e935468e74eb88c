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

void CWinApp::InitApplicationState(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    AfxSetInstanceHandle(hInstance);
    m_lpCmdLine = lpCmdLine ? lpCmdLine : "";
    m_nCmdShow = nCmdShow;
    if (!m_pszAppName)
    {
        // The executable's file name without its extension.
        char path[MAX_PATH] = "";
        ::GetModuleFileNameA(hInstance, path, MAX_PATH);
        LPCSTR pszName = path;
        for (LPCSTR p = path; *p; ++p)
            if (*p == '\\' || *p == '/' || *p == ':')
                pszName = p + 1;
        m_strAppName = pszName;
        int dot = -1;
        for (int i = 0; i < m_strAppName.GetLength(); ++i)
            if (m_strAppName[i] == '.')
                dot = i;
        if (dot > 0)
            m_strAppName = m_strAppName.Left(dot);
        m_pszAppName = m_strAppName;
    }
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

int CWinApp::Run()
{
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd)
        ::PostQuitMessage(0);   // nothing to run for
    MSG msg;
    for (;;)
    {
        BOOL bRet = ::GetMessageA(&msg, NULL, 0, 0);
        if (bRet == 0 || bRet == -1)
            break;
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
