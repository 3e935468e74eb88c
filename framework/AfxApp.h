// AfxApp.h - CWinApp: the application object and its message loop.
//
// The program defines exactly one static object of a class derived from
// CWinApp. The framework's WinMain (AfxAppMain.cpp) then runs:
//   InitInstance(); if it returns TRUE, Run() (the message loop, which ends
//   when the main window is destroyed and then calls ExitInstance());
//   otherwise the main window, if any, is destroyed and ExitInstance() runs.
// The value ExitInstance returns is the process exit code.
#pragma once

#include "framework/AfxWnd.h"

class CWinApp : public CCmdTarget
{
public:
    explicit CWinApp(LPCSTR pszAppName = NULL);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Called once at start; returns TRUE to run the message loop.
    virtual BOOL InitInstance();
    // Called once at the end; returns the exit code (the WM_QUIT code).
    virtual int ExitInstance();
    // The message loop: until WM_QUIT, then ExitInstance(). Without a main
    // window it ends at once. When no message can be read, it ends with the
    // exit code -1.
    virtual int Run();
    // Offers a message to the top-level window it is for (dialog navigation
    // of a modeless sheet); TRUE when handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // 3D controls are the system's own: there is nothing to switch on.
    BOOL Enable3dControls() { return TRUE; }

    // Loads icon nID from the resource handle, else from the executable.
    HICON LoadIcon(UINT nIDResource) const;

    // Names the program (the caption of AfxMessageBox's boxes); an empty
    // name keeps the one it has.
    void SetAppName(LPCSTR pszAppName);

    HINSTANCE m_hInstance;
    LPCSTR m_pszAppName;    // from the constructor or SetAppName, else the executable's name
    LPCSTR m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;
    MSG m_msgCur;

    // Called by WinMain before InitInstance.
    void InitApplicationState(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

protected:
    // Called by Run for each message: returns what GetMessage returns (0 for
    // WM_QUIT, -1 when no message could be read).
    virtual BOOL GetNextMessage(MSG* pMsg);

private:
    CString m_strAppName;
};

// The program's name from the path of its file: the last component without
// its extension. Reads at most nLength characters of pszPath.
CString AfxAppNameFromPath(LPCSTR pszPath, int nLength);

// The framework's entry point, called by WinMain.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
