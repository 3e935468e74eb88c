// ServiceSheet.cpp - CServiceSheet.
#include "sheet/ServiceSheet.h"

#include "lang/ServiceRes.h"
#include "pages/DeviceMemoryPage.h"
#include "pages/DeviceTasksPage.h"
#include "pages/DevicesPage.h"
#include "pages/DriverHackerPage.h"
#include "pages/MaintenancePage.h"
#include "pages/ProceduresPage.h"
#include "pages/ReportsPage.h"

IMPLEMENT_DYNAMIC(CServiceSheet, CPropertySheet)

BEGIN_MESSAGE_MAP(CServiceSheet, CPropertySheet)
    ON_WM_CREATE()
    ON_COMMAND(IDCANCEL, OnCloseButton)
END_MESSAGE_MAP()

CServiceSheet::CServiceSheet(LPCSTR pszCaption, UINT nPageMask)
    : CPropertySheet(pszCaption, NULL, 0), m_pDriverHackerPage(NULL), m_pReportsPage(NULL),
      m_pMaintenancePage(NULL), m_pProceduresPage(NULL), m_pDeviceTasksPage(NULL), m_pDeviceMemoryPage(NULL),
      m_pDevicesPage(NULL), m_hIcon(NULL), m_nPageMask(nPageMask)
{
    m_hIcon = AfxLoadIcon(IDI_APP);

    // Tab order: devices, maintenance, device memory, device tasks,
    // procedures, reports, driver settings.
    BYTE bits = (BYTE)m_nPageMask;
    if (bits & PAGE_DEVICES)
        AddPage(m_pDevicesPage = new CDevicesPage);
    if (bits & PAGE_MAINTENANCE)
        AddPage(m_pMaintenancePage = new CMaintenancePage);
    if (bits & PAGE_DEVICE_MEMORY)
        AddPage(m_pDeviceMemoryPage = new CDeviceMemoryPage);
    if (bits & PAGE_DEVICE_TASKS)
        AddPage(m_pDeviceTasksPage = new CDeviceTasksPage);
    if (bits & PAGE_PROCEDURES)
        AddPage(m_pProceduresPage = new CProceduresPage);
    if (bits & PAGE_REPORTS)
        AddPage(m_pReportsPage = new CReportsPage);
    if (bits & PAGE_DRIVER_SETTINGS)
        AddPage(m_pDriverHackerPage = new CDriverHackerPage);
}

CServiceSheet::~CServiceSheet()
{
    delete m_pDevicesPage;
    delete m_pMaintenancePage;
    delete m_pDeviceMemoryPage;
    delete m_pDeviceTasksPage;
    delete m_pProceduresPage;
    delete m_pReportsPage;
    delete m_pDriverHackerPage;
    m_wndLogo.DestroyWindow();
    m_bmpLogo.DeleteObject();
}

int CServiceSheet::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CPropertySheet::OnCreate(lpCreateStruct) == -1)
        return -1;
    return 0;
}

BOOL CServiceSheet::OnInitDialog()
{
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    CPropertySheet::OnInitDialog();

    // One button: OK goes, Cancel becomes Close.
    HWND hOK = ::GetDlgItem(m_hWnd, IDOK);
    if (hOK && ::IsWindow(hOK))
    {
        ::ShowWindow(hOK, SW_HIDE);
        ::EnableWindow(hOK, FALSE);
    }
    RECT rcButton = {0, 0, 0, 0};
    HWND hCancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (hCancel)
    {
        CString text;
        text.LoadString(IDS_CLOSE);
        ::GetWindowRect(hCancel, &rcButton);
        ::SetWindowTextA(hCancel, text);
        ::ShowWindow(hCancel, SW_SHOW);
        ::EnableWindow(hCancel, TRUE);
    }

    // Ten pixels taller, downwards.
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    rcWindow.bottom = (rcWindow.bottom > rcButton.bottom ? rcWindow.bottom : rcButton.bottom) + 10;
    MoveWindow(rcWindow.left, rcWindow.top, rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top, TRUE);
    ScreenToClient(&rcWindow);
    ScreenToClient(&rcButton);

    // The logo at the lower left, its top level with the Close button's.
    RECT rcLogo;
    rcLogo.left = rcWindow.left + 10;
    rcLogo.right = rcWindow.left + 20;
    rcLogo.top = rcButton.top;
    rcLogo.bottom = rcButton.top + 10;
    m_wndLogo.Create(SERVICESHEET_LOGO_TEXT, WS_CHILD | WS_VISIBLE | SS_BITMAP, rcLogo, this,
                     SERVICESHEET_LOGO_ID);
    // The logo drawn for 144 DPI where the screen has that many dots per
    // inch (or more); the 96-DPI one elsewhere, and where the resource
    // module lacks the larger one.
    HDC hScreen = ::GetDC(NULL);
    const int nDpi = hScreen ? ::GetDeviceCaps(hScreen, LOGPIXELSY) : 96;
    if (hScreen)
        ::ReleaseDC(NULL, hScreen);
    if (nDpi < 144 || !m_bmpLogo.LoadBitmap(IDB_LOGO_LARGE))
        m_bmpLogo.LoadBitmap(IDB_LOGO);
    m_wndLogo.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_bmpLogo.GetSafeHandle());
    m_wndLogo.ShowWindow(SW_SHOW);
    return TRUE;
}

void CServiceSheet::OnCloseButton()
{
    EndDialog(IDCANCEL);
}
