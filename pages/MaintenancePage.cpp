// MaintenancePage.cpp - CMaintenancePage.
#include "pages/MaintenancePage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CMaintenancePage, CPropertyPage)
END_MESSAGE_MAP()

CMaintenancePage::CMaintenancePage() : CPropertyPage(IDD_MAINTENANCE_PAGE, 0)
{
}

BOOL CMaintenancePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_MAINTENANCE_PAGE);
    SetWindowText(text);
    return TRUE;
}
