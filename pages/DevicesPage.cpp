// DevicesPage.cpp - CDevicesPage.
#include "pages/DevicesPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CDevicesPage, CPropertyPage)
END_MESSAGE_MAP()

CDevicesPage::CDevicesPage() : CPropertyPage(IDD_DEVICES_PAGE, 0)
{
}

BOOL CDevicesPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_DEVICES_PAGE);
    SetWindowText(text);
    return TRUE;
}
