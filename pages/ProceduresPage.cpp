// ProceduresPage.cpp - CProceduresPage.
#include "pages/ProceduresPage.h"

#include "lang/ServiceRes.h"

BEGIN_MESSAGE_MAP(CProceduresPage, CPropertyPage)
END_MESSAGE_MAP()

CProceduresPage::CProceduresPage() : CPropertyPage(IDD_PROCEDURES_PAGE, 0)
{
}

BOOL CProceduresPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CString text;
    text.LoadString(IDS_PROCEDURES_PAGE);
    SetWindowText(text);
    return TRUE;
}
