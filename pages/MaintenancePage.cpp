// MaintenancePage.cpp - CMaintenancePage.
#include "pages/MaintenancePage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"

namespace
{

// The report whose main command the page's third button runs.
const long kMaintenanceReport = 10;

} // namespace

IMPLEMENT_DYNCREATE(CMaintenancePage, CPropertyPage)

BEGIN_MESSAGE_MAP(CMaintenancePage, CPropertyPage)
    ON_BN_CLICKED(IDC_MAINT_ACTION1, OnAction1)
    ON_BN_CLICKED(IDC_MAINT_REPORT, OnReport10)
    ON_BN_CLICKED(IDC_MAINT_ACTION2, OnAction2)
END_MESSAGE_MAP()

CMaintenancePage::CMaintenancePage() : CPropertyPage(IDD_MAINTENANCE_PAGE, 0)
{
}

void CMaintenancePage::DoDataExchange(CDataExchange* pDX)
{
    // The page has no members to exchange.
    CPropertyPage::DoDataExchange(pDX);
}

BOOL CMaintenancePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    static const ControlText kTexts[] = {
        { IDC_MAINT_INTRO, IDS_MAINT_INTRO },
        { IDC_MAINT_ACTION2_LABEL, IDS_MAINT_ACTION2_LABEL },
        { IDC_MAINT_ACTION1_LABEL, IDS_MAINT_ACTION1_LABEL },
        { IDC_MAINT_REPORT_LABEL, IDS_MAINT_REPORT_LABEL },
    };
    SetControlTexts(*this, IDS_MAINTENANCE_PAGE, kTexts);
    return TRUE;
}

void CMaintenancePage::OnAction1()
{
    RunAction(1);
}

void CMaintenancePage::OnAction2()
{
    RunAction(2);
}

void CMaintenancePage::RunAction(long kind)
{
    if (g_pDeviceService == NULL)
        return;

    ComRef<IUnknown> object;         // released last
    ComRef<IServiceAction> action;   // released first
    // An object handed out together with a failure code is not used, only released.
    if (SUCCEEDED(g_pDeviceService->GetAction(kind, object.Out()))
        && SUCCEEDED(action.QueryFrom(object.Get(), IID_IServiceAction)) && action)
        action->Run();
    action.Release();
    object.Release();
}

void CMaintenancePage::OnReport10()
{
    if (g_pDeviceService == NULL)
        return;

    ComRef<IUnknown> object;         // released last
    ComRef<IServiceReport> report;   // released first
    if (SUCCEEDED(g_pDeviceService->GetReport(kMaintenanceReport, object.Out()))
        && SUCCEEDED(report.QueryFrom(object.Get(), IID_IServiceReport)) && report)
        report->Execute(0);
    report.Release();
    object.Release();
}
