// DriverHackerPage.cpp - CDriverHackerPage.
#include "pages/DriverHackerPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CDriverHackerPage, CPropertyPage)
END_MESSAGE_MAP()

CDriverHackerPage::CDriverHackerPage() : CPropertyPage(IDD_DRIVER_PAGE, 0)
{
}

BOOL CDriverHackerPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_DRIVER_PAGE);
    SetWindowText(text);
    return TRUE;
}
