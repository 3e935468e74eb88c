// ReportsPage.cpp - CReportsPage.
#include "pages/ReportsPage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"

namespace
{

// Report numbers as the device service knows them.
enum
{
    kReport1 = 1,
    kReport2 = 2,
    kReport3 = 3,
    kReport4 = 4,
    kReport5 = 5,
    kReport6 = 6,
    kReport7 = 7,
    kReport8 = 8,
    kReport9 = 9,   // the variant of report 8
    kReport11 = 11
};

} // namespace

IMPLEMENT_DYNCREATE(CReportsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CReportsPage, CPropertyPage)
    ON_BN_CLICKED(IDC_REPORT_1, OnReport1)
    ON_BN_CLICKED(IDC_REPORT_4, OnReport4)
    ON_BN_CLICKED(IDC_REPORT_3, OnReport3)
    ON_BN_CLICKED(IDC_REPORT_5, OnReport5)
    ON_BN_CLICKED(IDC_REPORT_2, OnReport2)
    ON_BN_CLICKED(IDC_REPORT_11, OnReport11)
    ON_BN_CLICKED(IDC_REPORT_7, OnReport7)
    ON_BN_CLICKED(IDC_REPORT_8, OnReport8)
    ON_BN_CLICKED(IDC_REPORT_6, OnReport6)
    ON_BN_CLICKED(IDC_REPORT_EXECUTE, OnExecute)
    ON_BN_CLICKED(IDC_REPORT_EXECUTE_ALTERNATE, OnExecuteAlternate)
    ON_BN_CLICKED(IDC_REPORT11_OPTION, OnReportOption)
    ON_BN_CLICKED(IDC_REPORT8_VARIANT, OnReportVariant)
END_MESSAGE_MAP()

CReportsPage::CReportsPage()
    : CPropertyPage(IDD_REPORTS_PAGE, 0), m_nReportRadio(0), m_dwLastDevice(0), m_bReportOption(FALSE),
      m_bReportVariant(FALSE), m_nReport(0)
{
}

void CReportsPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REPORT_EXECUTE_ALTERNATE, m_btnExecuteAlternate);
    DDX_Control(pDX, IDC_REPORT_EXECUTE, m_btnExecute);
    DDX_Check(pDX, IDC_REPORT11_OPTION, m_bReportOption);
    DDX_Check(pDX, IDC_REPORT8_VARIANT, m_bReportVariant);
    DDX_Radio(pDX, IDC_REPORT_1, m_nReportRadio);
}

BOOL CReportsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    // Report 5's choice keeps the template's own text.
    static const ControlText kTexts[] = {
        { IDC_REPORT_GROUP1, IDS_REPORT_GROUP1 },
        { IDC_REPORT_11, IDS_REPORT_11 },
        { IDC_REPORT11_OPTION, IDS_REPORT11_OPTION },
        { IDC_REPORT_1, IDS_REPORT_1 },
        { IDC_REPORT_2, IDS_REPORT_2 },
        { IDC_REPORT_GROUP2, IDS_REPORT_GROUP2 },
        { IDC_REPORT_3, IDS_REPORT_3 },
        { IDC_REPORT_4, IDS_REPORT_4 },
        { IDC_REPORT_GROUP3, IDS_REPORT_GROUP3 },
        { IDC_REPORT_8, IDS_REPORT_8 },
        { IDC_REPORT8_VARIANT, IDS_REPORT8_VARIANT },
        { IDC_REPORT_7, IDS_REPORT_7 },
        { IDC_REPORT_6, IDS_REPORT_6 },
    };
    SetControlTexts(*this, IDS_REPORTS_PAGE, kTexts);
    // Report 9 is chosen through this box, which the user never sees.
    if (CWnd* pVariant = GetDlgItem(IDC_REPORT8_VARIANT))
        pVariant->ShowWindow(SW_HIDE);

    CString text;
    if (m_btnExecuteAlternate.m_hWnd)
    {
        text.LoadString(IDS_REPORT_EXECUTE_ALTERNATE);
        m_btnExecuteAlternate.SetWindowText(text);
        AfxEnableControl(m_btnExecuteAlternate, FALSE);
    }
    if (m_btnExecute.m_hWnd)
    {
        text.LoadString(IDS_REPORT_EXECUTE);
        m_btnExecute.SetWindowText(text);
        AfxEnableControl(m_btnExecute, FALSE);
    }

    DisableReportOptions();
    return TRUE;
}

BOOL CReportsPage::OnSetActive()
{
    if (DeviceChanged(m_dwLastDevice))
        ResetReportSelection();
    return CPropertyPage::OnSetActive();
}

void CReportsPage::ResetReportSelection()
{
    UpdateData(TRUE);
    m_nReportRadio = 0;
    m_bReportOption = FALSE;
    m_bReportVariant = FALSE;
    UpdateData(FALSE);
    OnReport1();
}

void CReportsPage::DisableReportOptions()
{
    CWnd* pOption = GetDlgItem(IDC_REPORT11_OPTION);
    if (pOption)
        AfxEnableControl(*pOption, FALSE);
    CWnd* pVariant = GetDlgItem(IDC_REPORT8_VARIANT);
    if (pVariant)
        AfxEnableControl(*pVariant, FALSE);
}

void CReportsPage::ChooseReport(int nReport)
{
    DisableReportOptions();
    int nOptionBox = nReport == kReport11 ? IDC_REPORT11_OPTION : nReport == kReport8 ? IDC_REPORT8_VARIANT : 0;
    if (nOptionBox != 0)
    {
        CWnd* pBox = GetDlgItem(nOptionBox);
        if (pBox)
            pBox->EnableWindow(TRUE);
    }
    m_nReport = nReport;
    UpdateCommandButtons();
}

void CReportsPage::OnReport1() { ChooseReport(kReport1); }
void CReportsPage::OnReport2() { ChooseReport(kReport2); }
void CReportsPage::OnReport3() { ChooseReport(kReport3); }
void CReportsPage::OnReport4() { ChooseReport(kReport4); }
void CReportsPage::OnReport5() { ChooseReport(kReport5); }
void CReportsPage::OnReport6() { ChooseReport(kReport6); }
void CReportsPage::OnReport7() { ChooseReport(kReport7); }
void CReportsPage::OnReport8() { ChooseReport(kReport8); }
void CReportsPage::OnReport11() { ChooseReport(kReport11); }

void CReportsPage::UpdateCommandButtons()
{
    long canExecute = 0;
    long canExecuteAlternate = 0;
    if (g_pDeviceService != NULL)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceReport> report;
        if (SUCCEEDED(g_pDeviceService->GetReport(m_nReport, object.Out()))
            && SUCCEEDED(report.QueryFrom(object.Get(), IID_IServiceReport)))
        {
            report->CanExecute(&canExecute);
            report->CanExecuteAlternate(&canExecuteAlternate);
        }
        report.Release();
        object.Release();
    }
    if (m_btnExecute.m_hWnd)
        AfxEnableControl(m_btnExecute, canExecute != 0);
    if (m_btnExecuteAlternate.m_hWnd)
        AfxEnableControl(m_btnExecuteAlternate, canExecuteAlternate != 0);
}

void CReportsPage::RunCommand(bool bAlternate)
{
    if (g_pDeviceService == NULL)
        return;
    ComRef<IUnknown> object;
    ComRef<IServiceReport> report;
    if (SUCCEEDED(g_pDeviceService->GetReport(m_nReport, object.Out()))
        && SUCCEEDED(report.QueryFrom(object.Get(), IID_IServiceReport)))
    {
        if (bAlternate)
            report->ExecuteAlternate(0);
        else
            report->Execute(0);
    }
    report.Release();
    object.Release();
}

void CReportsPage::OnExecute()
{
    RunCommand(false);
}

void CReportsPage::OnExecuteAlternate()
{
    RunCommand(true);
}

void CReportsPage::OnReportOption()
{
    UpdateData(TRUE);
    if (g_pDeviceService != NULL)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceReportOption> option;
        if (SUCCEEDED(g_pDeviceService->GetReport(m_nReport, object.Out()))
            && SUCCEEDED(option.QueryFrom(object.Get(), IID_IServiceReportOption)))
            option->SetReportOption(m_bReportOption);
        option.Release();
        object.Release();
    }
    UpdateCommandButtons();
}

void CReportsPage::OnReportVariant()
{
    UpdateData(TRUE);
    m_nReport = m_bReportVariant == 1 ? kReport9 : kReport8;
    UpdateCommandButtons();
}
