// ProceduresPage.cpp - CProceduresPage.
#include "pages/ProceduresPage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/BstrText.h"
#include "service/ComRef.h"

namespace
{

// Option flags of the option procedure.
const long kFirstOptionFlag = 1;    // check box IDC_PROC_OPTION_FIRST
const long kSecondOptionFlag = 2;   // check box IDC_PROC_OPTION_SECOND

// The device text as the page keeps and shows it: converted to the ANSI code
// page on the heap; a null text is empty. The text goes into a word-wrapping
// multi-line field, and such a field lays a long paragraph out again in time
// that grows with the square of its length (a megabyte in one paragraph held
// the page up for hours under Wine, and 4,096 characters of one unbroken word
// still cost two seconds per activation). The field is a small status box, so
// only the first CProceduresPage::kDeviceTextLimit units are taken, cut where
// no surrogate pair is split; shorter texts are taken whole.
CString DeviceTextFrom(BSTR text)
{
    return CString(AnsiFromBstr(text, (UINT)CProceduresPage::kDeviceTextLimit).c_str());
}

} // namespace

BEGIN_MESSAGE_MAP(CProceduresPage, CPropertyPage)
    ON_BN_CLICKED(IDC_PROC_B1, OnProcedureB1)
    ON_BN_CLICKED(IDC_PROC_B5, OnProcedureB5)
    ON_BN_CLICKED(IDC_PROC_A1, OnProcedureA1)
    ON_BN_CLICKED(IDC_PROC_A2, OnProcedureA2)
    ON_BN_CLICKED(IDC_PROC_C1, OnProcedureC1)
    ON_BN_CLICKED(IDC_PROC_C2, OnProcedureC2)
    ON_BN_CLICKED(IDC_PROC_C3, OnProcedureC3)
    ON_BN_CLICKED(IDC_PROC_COMMAND, OnCommand1)
    ON_BN_CLICKED(IDC_PROC_OPTION, OnOptionProcedure)
END_MESSAGE_MAP()

CProceduresPage::CProceduresPage()
    : CPropertyPage(IDD_PROCEDURES_PAGE, 0), m_dwLastDevice(0), m_bSecondOption(FALSE), m_bFirstOption(FALSE)
{
}

void CProceduresPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROC_DEVICE_TEXT, m_boxDeviceText);
    DDX_Text(pDX, IDC_PROC_DEVICE_TEXT, m_strDeviceText);
    DDX_Check(pDX, IDC_PROC_OPTION_SECOND, m_bSecondOption);
    DDX_Check(pDX, IDC_PROC_OPTION_FIRST, m_bFirstOption);
}

BOOL CProceduresPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    static const ControlText kTexts[] = {
        { IDC_PROC_GROUP1, IDS_PROC_GROUP1 },
        { IDC_PROC_B1_LABEL, IDS_PROC_B1_LABEL },
        { IDC_PROC_B5_LABEL, IDS_PROC_B5_LABEL },
        { IDC_PROC_GROUP2, IDS_PROC_GROUP2 },
        { IDC_PROC_A1_LABEL, IDS_PROC_A1_LABEL },
        { IDC_PROC_A2_LABEL, IDS_PROC_A2_LABEL },
        { IDC_PROC_GROUP3, IDS_PROC_GROUP3 },
        { IDC_PROC_C1_LABEL, IDS_PROC_C1_LABEL },
        { IDC_PROC_C2_LABEL, IDS_PROC_C2_LABEL },
        { IDC_PROC_C3_LABEL, IDS_PROC_C3_LABEL },
        { IDC_PROC_GROUP4, IDS_PROC_GROUP4 },
        { IDC_PROC_COMMAND_LABEL, IDS_PROC_COMMAND_LABEL },
        { IDC_PROC_OPTION_LABEL, IDS_PROC_OPTION_LABEL },
        { IDC_PROC_OPTION_SECOND, IDS_COLOUR },
        { IDC_PROC_OPTION_FIRST, IDS_BLACK },
        { IDC_PROC_DEVICE_TEXT_LABEL, IDS_PROC_DEVICE_TEXT_LABEL },
    };
    SetControlTexts(*this, IDS_PROCEDURES_PAGE, kTexts);
    // Both option boxes start checked.
    m_bSecondOption = TRUE;
    m_bFirstOption = TRUE;

    UpdateData(FALSE);
    m_boxDeviceText.FitScrollBar();
    return TRUE;
}

BOOL CProceduresPage::OnSetActive()
{
    if (DeviceChanged(m_dwLastDevice))
    {
        // Another device: the options go back to checked and its text is read anew.
        m_bSecondOption = TRUE;
        m_bFirstOption = TRUE;
        if (g_pDeviceService != NULL)
        {
            BstrHolder deviceText;
            if (SUCCEEDED(g_pDeviceService->GetDeviceText(deviceText.Out())))
                m_strDeviceText = DeviceTextFrom(deviceText.Get());
            else
                m_strDeviceText.Empty();
            // deviceText frees whatever came back, failure or not.
        }
        UpdateData(FALSE);
    }
    return CPropertyPage::OnSetActive();
}

// ---------------------------------------------------------------------------
// Button handlers

void CProceduresPage::OnProcedureB1()
{
    RunProcedureB(1);
}

void CProceduresPage::OnProcedureB5()
{
    RunProcedureB(5);
}

void CProceduresPage::OnProcedureA1()
{
    RunProcedureA(1);
}

void CProceduresPage::OnProcedureA2()
{
    RunProcedureA(2);
}

void CProceduresPage::OnProcedureC1()
{
    RunProcedureC(1);
}

void CProceduresPage::OnProcedureC2()
{
    RunProcedureC(2);
}

void CProceduresPage::OnProcedureC3()
{
    RunProcedureC(3);
}

void CProceduresPage::OnCommand1()
{
    PerformCommand(1);
}

void CProceduresPage::OnOptionProcedure()
{
    RunOptionProcedure(4);
}

// ---------------------------------------------------------------------------
// Operations

long CProceduresPage::RunProcedureA(long number)
{
    return RunProcedure(&IDeviceService::GetProcedureA, number);
}

long CProceduresPage::RunProcedureB(long number)
{
    return RunProcedure(&IDeviceService::GetProcedureB, number);
}

long CProceduresPage::RunProcedureC(long number)
{
    return RunProcedure(&IDeviceService::GetProcedureC, number);
}

long CProceduresPage::RunProcedure(ProcedureGetter getter, long number)
{
    long result = 0;
    if (g_pDeviceService == NULL)
        return result;

    ComRef<IUnknown> object;               // released last
    ComRef<IServiceProcedure> procedure;   // released first
    if (SUCCEEDED((g_pDeviceService->*getter)(number, object.Out()))
        && SUCCEEDED(procedure.QueryFrom(object.Get(), IID_IServiceProcedure)) && procedure)
        procedure->Start(0, &result);
    procedure.Release();
    object.Release();
    return result;
}

void CProceduresPage::PerformCommand(long number)
{
    if (g_pDeviceService == NULL)
        return;

    ComRef<IUnknown> object;           // released last
    ComRef<IServiceCommand> command;   // released first
    if (SUCCEEDED(g_pDeviceService->GetCommand(number, object.Out())) && object)
    {
        command.QueryFrom(object.Get(), IID_IServiceCommand);
        if (command)
            command->Perform(0);
    }
    command.Release();
    object.Release();
}

long CProceduresPage::RunOptionProcedure(long number)
{
    UpdateData(TRUE);
    long result = 0;
    // The button that started this goes off while the procedure runs, and
    // gets the focus back when it is on again.
    HWND hFocus = ::GetFocus();
    EnableOptionControls(false);

    // A box counts only when it is plainly checked (1), not indeterminate.
    long flags = 0;
    if (m_bFirstOption == 1)
        flags |= kFirstOptionFlag;
    if (m_bSecondOption == 1)
        flags |= kSecondOptionFlag;

    if (g_pDeviceService != NULL && flags != 0)
    {
        ComRef<IUnknown> object;                   // released last
        ComRef<IServiceProcedureOptions> options;  // released second
        ComRef<IServiceProcedure> procedure;       // released first
        if (SUCCEEDED(g_pDeviceService->GetOptionProcedure(number, object.Out())) && object)
        {
            options.QueryFrom(object.Get(), IID_IServiceProcedureOptions);
            if (options)
                options->SetOptions(flags);
            if (SUCCEEDED(procedure.QueryFrom(object.Get(), IID_IServiceProcedure)) && procedure)
                procedure->Start(0, &result);
        }
        procedure.Release();
        options.Release();
        object.Release();
    }

    EnableOptionControls(true);
    CWnd* pFocused = hFocus != NULL && ::GetFocus() != hFocus ? GetDlgItem(::GetDlgCtrlID(hFocus)) : NULL;
    if (pFocused != NULL && pFocused->m_hWnd == hFocus && pFocused->IsWindowEnabled())
        GotoDlgCtrl(pFocused);
    return result;
}

void CProceduresPage::EnableOptionControls(bool bEnable)
{
    static const int controls[] = { IDC_PROC_OPTION, IDC_PROC_OPTION_SECOND, IDC_PROC_OPTION_FIRST };
    for (int nControl : controls)
    {
        CWnd* pControl = GetDlgItem(nControl);
        if (pControl != NULL)
            AfxEnableControl(*pControl, bEnable ? TRUE : FALSE);
    }
}
