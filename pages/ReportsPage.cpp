// ReportsPage.cpp - CReportsPage.
#include "pages/ReportsPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CReportsPage, CPropertyPage)
END_MESSAGE_MAP()

CReportsPage::CReportsPage() : CPropertyPage(IDD_REPORTS_PAGE, 0)
{
}

BOOL CReportsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_REPORTS_PAGE);
    SetWindowText(text);
    return TRUE;
}
