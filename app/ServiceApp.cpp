// ServiceApp.cpp - CServiceApp and the one application object.
#include "app/ServiceApp.h"

#include "app/ResourceLocator.h"
#include "app/StartupDialog.h"
#include "lang/ServiceRes.h"
#include "service/DeviceService.h"
#include "sheet/ServiceSheet.h"

// Page masks: every page, or every page but device memory and device tasks.
static const UINT kFullPageMask = 0x7F;
static const UINT kReducedPageMask = 0x79;

CServiceApp theApp;

BEGIN_MESSAGE_MAP(CServiceApp, CWinApp)
END_MESSAGE_MAP()

CServiceApp::CServiceApp()
    : m_hMapping(NULL), m_hResourceModule(NULL), m_hSavedResource(NULL), m_pSheet(NULL)
{
}

BOOL CServiceApp::InitInstance()
{
    BOOL bResult = TRUE;
    Enable3dControls();

    // Every dialog, string and bitmap comes from the resource module from here on.
    m_hSavedResource = AfxGetResourceHandle();
    m_hResourceModule = LoadResourceModule(m_hInstance);
    if (m_hResourceModule)
        AfxSetResourceHandle(m_hResourceModule);
    // The program's name in the user's language titles its message boxes
    // (the executable's file name stays only if the module has none).
    {
        CString appTitle;
        appTitle.LoadString(IDS_APP_TITLE);
        SetAppName(appTitle);
    }

    // One instance per desktop. The error code read below must be the one
    // these two calls leave, not an older one.
    ::SetLastError(0);
    m_hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(DWORD),
                                      SERVICEAPP_INSTANCE_SLOT);
    DWORD* pSlot = m_hMapping ? (DWORD*)::MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DWORD))
                              : NULL;
    DWORD dwError = ::GetLastError();

    if (dwError == ERROR_ALREADY_EXISTS)
    {
        // Another instance runs: bring its window forward and end.
        HWND hOther = pSlot ? (HWND)(ULONG_PTR)*pSlot : NULL;
        if (hOther)
        {
            ::ShowWindow(hOther, SW_RESTORE);
            ::SetForegroundWindow(hOther);
        }
        bResult = FALSE;
    }
    else if (dwError == 0)
    {
        ::CoInitialize(NULL);
        HRESULT hr = ::CoCreateInstance(CLSID_DeviceService, NULL, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                        IID_IDeviceService, (void**)&g_pDeviceService);
        if (FAILED(hr))
        {
            g_pDeviceService = NULL;
            CString caption, text;
            caption.LoadString(IDS_NO_SERVICE_CAPTION);
            text.LoadString(IDS_NO_SERVICE_TEXT);
            AfxShowMessageBox(NULL, text, caption, MB_OK | MB_ICONERROR);
            ::CoUninitialize();
            bResult = FALSE;
        }
        else
        {
            CStartupDialog dlg(NULL);
            if (dlg.DoModal() != IDOK)
            {
                bResult = FALSE;   // the device service is released in ExitInstance
            }
            else
            {
                UINT nPageMask = dlg.IsFullPageSet() ? kFullPageMask : kReducedPageMask;
                CString title, appTitle;
                title.LoadString(IDS_SHEET_TITLE);
                appTitle.LoadString(IDS_APP_TITLE);
                title += " - ";
                title += appTitle;

                if (m_pSheet == NULL)
                    m_pSheet = new CServiceSheet(title, nPageMask);
                m_pMainWnd = m_pSheet;
                m_pSheet->m_psh.dwFlags |= PSH_NOAPPLYNOW;
                m_pSheet->SetStartupPlace(dlg.GetLastPlace());
                m_pSheet->Create(NULL, (DWORD)-1, 0);
                if (pSlot)
                    *pSlot = (DWORD)(ULONG_PTR)m_pSheet->m_hWnd;
                if (!m_pSheet->m_hWnd)
                {
                    // No window (a template missing from the resource module,
                    // say): end rather than run on without one.
                    m_pMainWnd = NULL;
                    bResult = FALSE;
                }
            }
        }
    }
    else
    {
        // The slot can be neither made nor opened: typically another copy
        // runs with other rights (started as administrator, say), whose slot
        // this one may not open. Say so rather than end without a word.
        CString text, caption;
        text.FormatMessage((UINT)IDS_INSTANCE_SLOT_FAILED, (unsigned long)dwError);
        caption.LoadString(IDS_APP_TITLE);
        AfxShowMessageBox(NULL, text, caption, MB_OK | MB_ICONERROR);
        bResult = FALSE;
    }

    if (pSlot)
        ::UnmapViewOfFile(pSlot);
    return bResult;
}

int CServiceApp::ExitInstance()
{
    // The pages release what they hold of the device service when their
    // windows go: the sheet goes first (its window, if the loop ended while
    // it was up, then the object and its pages), while COM is still there.
    if (m_pSheet)
    {
        if (m_pMainWnd == m_pSheet)
            m_pMainWnd = NULL;   // its destruction no longer ends a loop
        if (m_pSheet->m_hWnd)
            m_pSheet->DestroyWindow();
        delete m_pSheet;
        m_pSheet = NULL;
    }
    if (g_pDeviceService)
    {
        g_pDeviceService->Release();
        g_pDeviceService = NULL;
        ::CoUninitialize();
    }
    if (m_hResourceModule)
    {
        AfxSetResourceHandle(m_hSavedResource);
        FreeResourceModule(m_hInstance, AfxGetResourceHandle());
        m_hResourceModule = NULL;
    }
    if (m_hMapping)
    {
        ::CloseHandle(m_hMapping);
        m_hMapping = NULL;
    }
    return CWinApp::ExitInstance();
}
