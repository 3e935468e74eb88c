// ServiceSheet.h - CServiceSheet: the application's main window, a modeless
// property sheet holding the pages the page mask selects, with the
// application icon, the logo and a single Close button.
#pragma once

#include "framework/afx.h"

class CDevicesPage;
class CMaintenancePage;
class CDeviceMemoryPage;
class CDeviceTasksPage;
class CProceduresPage;
class CReportsPage;
class CDriverHackerPage;

// Page mask bits. The bits do not follow the tabs (the device memory page's
// bit is 0x02 but its tab is the third); listed here in the order of the tabs.
enum : UINT
{
    PAGE_DEVICES = 0x01,
    PAGE_MAINTENANCE = 0x10,
    PAGE_DEVICE_MEMORY = 0x02,
    PAGE_DEVICE_TASKS = 0x04,
    PAGE_PROCEDURES = 0x08,
    PAGE_REPORTS = 0x20,
    PAGE_DRIVER_SETTINGS = 0x40,
};

class CServiceSheet : public CPropertySheet
{
    DECLARE_DYNAMIC(CServiceSheet)
public:
    // Builds the sheet object and the pages of nPageMask (only its low byte
    // counts); the window comes with Create.
    CServiceSheet(LPCSTR pszCaption, UINT nPageMask);
    virtual ~CServiceSheet();

    BOOL OnInitDialog() override;

    UINT GetPageMask() const { return m_nPageMask; }

    // Where the start-up dialog was, in screen coordinates: the sheet opens
    // centred on the same monitor. Before Create; without it, the monitor
    // nearest the screen's top-left corner (the primary one) holds it.
    void SetStartupPlace(const RECT& rcStartup);

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnCloseButton();

    CBitmap m_bmpLogo;
    CDriverHackerPage* m_pDriverHackerPage;
    CReportsPage* m_pReportsPage;
    CMaintenancePage* m_pMaintenancePage;
    CProceduresPage* m_pProceduresPage;
    CDeviceTasksPage* m_pDeviceTasksPage;
    CDeviceMemoryPage* m_pDeviceMemoryPage;
    CDevicesPage* m_pDevicesPage;
    HICON m_hIcon;
    UINT m_nPageMask;
    CStatic m_wndLogo;
    RECT m_rcStartup;

    DECLARE_MESSAGE_MAP()
};

// The logo control's window text and id.
#define SERVICESHEET_LOGO_TEXT "Corvane Logo"
#define SERVICESHEET_LOGO_ID 0xFFFF
