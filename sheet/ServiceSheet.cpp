// ServiceSheet.cpp - CServiceSheet.
#include "sheet/ServiceSheet.h"

#include <stdlib.h>

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
    m_rcStartup.left = m_rcStartup.top = m_rcStartup.right = m_rcStartup.bottom = 0;
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

void CServiceSheet::SetStartupPlace(const RECT& rcStartup)
{
    m_rcStartup = rcStartup;
}

namespace
{

// The room the sheet gains below its button row, in dialog units (10 pixels
// in the standard dialog font at 96 DPI).
const int kExtraHeightDlu = 6;

// The logo's bitmaps: each drawn for one height, four times as wide.
struct LogoImage
{
    UINT nID;
    int cy;
};
const LogoImage kLogos[] = { { IDB_LOGO, 22 }, { IDB_LOGO_LARGE, 33 } };

} // namespace

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

    // Taller, downwards, by a margin in the sheet's own dialog units, so
    // that it grows with the font and the screen's DPI.
    RECT rcExtra = {0, 0, 0, kExtraHeightDlu};
    ::MapDialogRect(m_hWnd, &rcExtra);
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    rcWindow.bottom = (rcWindow.bottom > rcButton.bottom ? rcWindow.bottom : rcButton.bottom) + rcExtra.bottom;
    MoveWindow(rcWindow.left, rcWindow.top, rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top, TRUE);
    ScreenToClient(&rcWindow);
    ScreenToClient(&rcButton);

    // The logo at the lower left: its top level with the Close button's,
    // its left edge in line with the tabs' (the pages' left edge), and as
    // tall as the button, so that it follows the dialog units too. Of the
    // logo's bitmaps the one drawn nearest that height is taken, and
    // stretched only when it is more than a pixel off.
    RECT rcLogo;
    rcLogo.left = rcWindow.left + 10;
    if (HWND hTab = GetTabControl())
    {
        RECT rcTab;
        ::GetWindowRect(hTab, &rcTab);
        ScreenToClient(&rcTab);
        rcLogo.left = rcTab.left;
    }
    const int cyLogo = rcButton.bottom - rcButton.top;
    rcLogo.top = rcButton.top;
    rcLogo.right = rcLogo.left + 4 * cyLogo;
    rcLogo.bottom = rcLogo.top + cyLogo;
    m_wndLogo.Create(SERVICESHEET_LOGO_TEXT, WS_CHILD | WS_VISIBLE | SS_BITMAP, rcLogo, this,
                     SERVICESHEET_LOGO_ID);
    const LogoImage* pImage = &kLogos[0];
    for (const LogoImage& image : kLogos)
        if (abs(image.cy - cyLogo) < abs(pImage->cy - cyLogo))
            pImage = &image;
    if (cyLogo > 0 && abs(pImage->cy - cyLogo) > 1)
        m_bmpLogo.LoadBitmap(pImage->nID, 4 * cyLogo, cyLogo);
    if (!m_bmpLogo.GetSafeHandle())
        m_bmpLogo.LoadBitmap(pImage->nID);
    if (!m_bmpLogo.GetSafeHandle())
        m_bmpLogo.LoadBitmap(IDB_LOGO);   // a resource module without the larger one
    m_wndLogo.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_bmpLogo.GetSafeHandle());
    m_wndLogo.ShowWindow(SW_SHOW);

    // Centred on the monitor where the start-up dialog was (its window is
    // gone by now): the sheet opens where the user was looking.
    CenterOnMonitorOf(m_rcStartup);
    return TRUE;
}

void CServiceSheet::OnCloseButton()
{
    EndDialog(IDCANCEL);
}
