// DeviceTasksPage.cpp - CDeviceTasksPage.
#include "pages/DeviceTasksPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CDeviceTasksPage, CPropertyPage)
END_MESSAGE_MAP()

CDeviceTasksPage::CDeviceTasksPage() : CPropertyPage(IDD_TASKS_PAGE, 0)
{
}

BOOL CDeviceTasksPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_TASKS_PAGE);
    SetWindowText(text);
    return TRUE;
}
