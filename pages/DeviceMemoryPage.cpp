// DeviceMemoryPage.cpp - CDeviceMemoryPage.
#include "pages/DeviceMemoryPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CDeviceMemoryPage, CPropertyPage)
END_MESSAGE_MAP()

CDeviceMemoryPage::CDeviceMemoryPage() : CPropertyPage(IDD_MEMORY_PAGE, 0)
{
}

BOOL CDeviceMemoryPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_MEMORY_PAGE);
    SetWindowText(text);
    return TRUE;
}
