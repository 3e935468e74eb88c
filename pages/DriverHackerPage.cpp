// DriverHackerPage.cpp - CDriverHackerPage.
#include "pages/DriverHackerPage.h"

#include "lang/ServiceRes.h"
#include "service/BstrText.h"
#include "service/ComRef.h"

IMPLEMENT_DYNCREATE(CDriverHackerPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CDriverHackerPage, CPropertyPage)
    ON_BN_CLICKED(IDC_DRV_DEFAULTS, OnDefaults)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_DRV_REVERT, OnRevert)
    ON_WM_CREATE()
    ON_BN_CLICKED(IDC_DRV_OPTION1, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION7, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION2, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION3, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION4, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION8, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION6, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION10, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION11, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION9, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION12, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_OPTION13, OnSettingChanged)
    ON_EN_CHANGE(IDC_DRV_NUMBER, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_CHOICE1, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_SWITCH1, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_CHOICE2, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_SWITCH2, OnSettingChanged)
    ON_BN_CLICKED(IDC_DRV_CHOICE3, OnSettingChanged)
END_MESSAGE_MAP()

namespace
{

typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*LongGetter)(long*);

// Runs a getter of an on/off setting into its member. The member is the
// preset, so a getter that writes nothing leaves it as it was.
void GetInto(IServiceDriverSettings* pSettings, LongGetter getter, BOOL& member)
{
    long value = member;
    (pSettings->*getter)(&value);
    member = (BOOL)value;
}

// The radio index of a choice value: its low 16 bits, sign-extended.
short ChoiceBits(long value)
{
    return (short)(WORD)(value & 0xFFFF);
}

// The radio index of a switch value: 1 is the first button, anything else the second.
int SwitchIndex(long value)
{
    return value == 1 ? 0 : 1;
}

} // namespace

CDriverHackerPage::CDriverHackerPage()
    : CPropertyPage(IDD_DRIVER_PAGE, 0), m_dwLastDevice(0), m_pSpin(NULL), m_pSettings(NULL), m_lNumber(0),
      m_nChoice(-1), m_nSwitch(-1), m_bOption1(FALSE), m_bOption2(FALSE), m_bOption3(FALSE), m_bOption4(FALSE),
      m_bOption5(FALSE), m_bOption6(FALSE), m_bOption7(FALSE), m_bOption8(FALSE), m_bOption9(FALSE),
      m_bOption10(FALSE), m_bOption11(FALSE), m_bOption12(FALSE), m_bOption13(FALSE), m_lSavedNumber(0),
      m_nSavedChoice(-1), m_nSavedSwitch(-1), m_bSavedOption1(FALSE), m_bSavedOption2(FALSE),
      m_bSavedOption3(FALSE), m_bSavedOption4(FALSE), m_bSavedOption5(FALSE), m_bSavedOption6(FALSE),
      m_bSavedOption7(FALSE), m_bSavedOption8(FALSE), m_bSavedOption9(FALSE), m_bSavedOption10(FALSE),
      m_bSavedOption11(FALSE), m_bSavedOption12(FALSE), m_bSavedOption13(FALSE), m_nChoiceValue(-1)
{
}

void CDriverHackerPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRV_REVERT, m_btnRevert);
    DDX_Control(pDX, IDC_DRV_APPLY, m_btnApply);
    DDX_Radio(pDX, IDC_DRV_CHOICE1, m_nChoice);
    DDX_Radio(pDX, IDC_DRV_SWITCH1, m_nSwitch);
    DDX_Check(pDX, IDC_DRV_OPTION1, m_bOption1);
    DDX_Check(pDX, IDC_DRV_OPTION2, m_bOption2);
    DDX_Check(pDX, IDC_DRV_OPTION3, m_bOption3);
    DDX_Check(pDX, IDC_DRV_OPTION4, m_bOption4);
    DDX_Check(pDX, IDC_DRV_OPTION6, m_bOption6);
    DDX_Check(pDX, IDC_DRV_OPTION7, m_bOption7);
    DDX_Check(pDX, IDC_DRV_OPTION8, m_bOption8);
    DDX_Check(pDX, IDC_DRV_OPTION9, m_bOption9);
    DDX_Check(pDX, IDC_DRV_OPTION10, m_bOption10);
    DDX_Check(pDX, IDC_DRV_OPTION11, m_bOption11);
    DDX_Check(pDX, IDC_DRV_OPTION12, m_bOption12);
    DDX_Check(pDX, IDC_DRV_OPTION13, m_bOption13);
    DDX_Text(pDX, IDC_DRV_NUMBER, m_lNumber);
}

BOOL CDriverHackerPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    CString text;
    text.LoadString(IDS_DRIVER_PAGE);
    SetWindowText(text);
    static const struct { int nID; UINT nIDText; } kTexts[] = {
        { IDC_DRV_OPTION13, IDS_DRV_OPTION13 },
        { IDC_DRV_OPTION10, IDS_DRV_OPTION10 },
        { IDC_DRV_OPTION4, IDS_DRV_OPTION4 },
        { IDC_DRV_OPTION6, IDS_DRV_OPTION6 },
        { IDC_DRV_OPTION11, IDS_DRV_OPTION11 },
        { IDC_DRV_OPTION1, IDS_DRV_OPTION1 },
        { IDC_DRV_OPTION2, IDS_DRV_OPTION2 },
        { IDC_DRV_OPTION3, IDS_DRV_OPTION3 },
        { IDC_DRV_OPTION12, IDS_DRV_OPTION12 },
        { IDC_DRV_GROUP1, IDS_DRV_GROUP1 },
        { IDC_DRV_CHOICE_GROUP, IDS_DRV_CHOICE_GROUP },
        { IDC_DRV_CHOICE1, IDS_DRV_CHOICE1 },
        { IDC_DRV_CHOICE2, IDS_DRV_CHOICE2 },
        { IDC_DRV_CHOICE3, IDS_DRV_CHOICE3 },
        { IDC_DRV_GROUP2, IDS_DRV_GROUP2 },
        { IDC_DRV_OPTION7, IDS_DRV_OPTION7 },
        { IDC_DRV_OPTION8, IDS_DRV_OPTION8 },
        { IDC_DRV_OPTION9, IDS_DRV_OPTION9 },
        { IDC_DRV_SWITCH_GROUP, IDS_DRV_SWITCH_GROUP },
        { IDC_DRV_SWITCH1, IDS_COLOUR },
        { IDC_DRV_SWITCH2, IDS_BLACK },
        { IDC_DRV_DEFAULTS, IDS_DRV_DEFAULTS },
        { IDC_DRV_APPLY, IDS_DRV_APPLY },
    };
    for (const auto& item : kTexts)
    {
        text.LoadString(item.nIDText);
        if (CWnd* pWnd = GetDlgItem(item.nID))
            pWnd->SetWindowText(text);
    }

    m_pSpin = GetDlgItem(IDC_DRV_NUMBER_SPIN);
    if (m_pSpin != NULL)
    {
        CWnd* pEdit = GetDlgItem(IDC_DRV_NUMBER);
        m_pSpin->SendMessage(UDM_SETBUDDY, (WPARAM)(pEdit != NULL ? pEdit->m_hWnd : NULL), 0);
    }

    EnableApplyButtons(FALSE);

    if (g_pDeviceService != NULL)
    {
        ComRef<IUnknown> settingsObject;
        if (SUCCEEDED(g_pDeviceService->GetSettings(2, settingsObject.Out())) && settingsObject)
        {
            if (m_pSettings != NULL)
            {
                m_pSettings->Release();
                m_pSettings = NULL;
            }
            HRESULT hr = settingsObject->QueryInterface(IID_IServiceDriverSettings,
                                                        reinterpret_cast<void**>(&m_pSettings));
            if (FAILED(hr) && m_pSettings != NULL)
            {
                // A refusal that still handed out a pointer: give it back.
                m_pSettings->Release();
                m_pSettings = NULL;
            }
        }
        // settingsObject releases the object here; the page keeps m_pSettings.
    }
    return TRUE;
}

void CDriverHackerPage::LoadSettings()
{
    if (m_pSettings != NULL)
    {
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption1, m_bOption1);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption2, m_bOption2);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption3, m_bOption3);

        m_pSpin = GetDlgItem(IDC_DRV_NUMBER_SPIN);
        long lNumberMax = 1;
        m_pSettings->GetNumberMax(&lNumberMax);
        if (m_pSpin != NULL)
            m_pSpin->SendMessage(UDM_SETRANGE, 0, MAKELPARAM(LOWORD(lNumberMax), 1));

        m_pSettings->GetNumber(&m_lNumber);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption4, m_bOption4);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption5, m_bOption5);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption6, m_bOption6);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption7, m_bOption7);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption8, m_bOption8);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption9, m_bOption9);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption10, m_bOption10);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption11, m_bOption11);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption12, m_bOption12);
        GetInto(m_pSettings, &IServiceDriverSettings::GetOption13, m_bOption13);

        long lChoice = 0;
        m_pSettings->GetChoice(&lChoice);
        m_nChoiceValue = ChoiceBits(lChoice);
        m_nChoice = m_nChoiceValue;
        long lSwitch = 1;
        m_pSettings->GetSwitch(&lSwitch);
        m_nSwitch = SwitchIndex(lSwitch);
    }
    UpdateData(FALSE);
    SaveCopy();
}

void CDriverHackerPage::OnOK()
{
    SaveSettings();
}

void CDriverHackerPage::SaveSettings()
{
    UpdateData(TRUE);
    if (m_pSettings != NULL)
    {
        m_pSettings->SetOption1(m_bOption1);
        m_pSettings->SetOption2(m_bOption2);
        m_pSettings->SetOption3(m_bOption3);
        m_pSettings->SetNumber(m_lNumber);
        m_pSettings->SetOption4(m_bOption4);
        m_pSettings->SetOption5(m_bOption5);
        m_pSettings->SetOption6(m_bOption6);
        m_pSettings->SetOption7(m_bOption7);
        m_pSettings->SetOption8(m_bOption8);
        m_pSettings->SetOption9(m_bOption9);
        m_pSettings->SetOption10(m_bOption10);
        m_pSettings->SetOption11(m_bOption11);
        m_pSettings->SetOption12(m_bOption12);
        m_pSettings->SetOption13(m_bOption13);
        // With no choice button checked (the device gave a value outside the
        // three), write back the value the device gave rather than "none":
        // the user cannot have meant to change a choice that no button shows.
        const short nChoice = m_nChoice == -1 ? m_nChoiceValue : (short)(WORD)(m_nChoice & 0xFFFF);
        m_pSettings->SetChoice(nChoice);
        m_pSettings->SetSwitch(m_nSwitch == 0 ? 1 : 0);
    }
    EnableApplyButtons(FALSE);
    SaveCopy();
    CPropertyPage::OnOK();
}

void CDriverHackerPage::OnDefaults()
{
    if (m_pSettings != NULL)
    {
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption1, m_bOption1);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption2, m_bOption2);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption3, m_bOption3);
        m_pSettings->GetDefaultNumber(&m_lNumber);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption4, m_bOption4);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption5, m_bOption5);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption6, m_bOption6);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption7, m_bOption7);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption8, m_bOption8);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption9, m_bOption9);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption10, m_bOption10);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption11, m_bOption11);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption12, m_bOption12);
        GetInto(m_pSettings, &IServiceDriverSettings::GetDefaultOption13, m_bOption13);

        long lChoice = 0;
        m_pSettings->GetDefaultChoice(&lChoice);
        m_nChoiceValue = ChoiceBits(lChoice);
        m_nChoice = m_nChoiceValue;
        long lSwitch = 1;
        m_pSettings->GetDefaultSwitch(&lSwitch);
        m_nSwitch = SwitchIndex(lSwitch);
    }
    UpdateData(FALSE);
    EnableApplyButtons(TRUE);
}

void CDriverHackerPage::OnRevert()
{
    LoadSettings();
    EnableApplyButtons(FALSE);
}

int CDriverHackerPage::OnCreate(LPCREATESTRUCT)
{
    return (int)Default();
}

void CDriverHackerPage::OnSettingChanged()
{
    UpdateData(TRUE);
    EnableApplyButtons(IsSameAsSaved() ? FALSE : TRUE);
}

void CDriverHackerPage::EnableApplyButtons(BOOL bEnable)
{
    if (m_btnApply.m_hWnd != NULL)
        m_btnApply.EnableWindow(bEnable);
    if (m_btnRevert.m_hWnd != NULL)
        m_btnRevert.EnableWindow(bEnable);
}

BOOL CDriverHackerPage::IsSameAsSaved() const
{
    return m_lNumber == m_lSavedNumber && m_nChoice == m_nSavedChoice && m_nSwitch == m_nSavedSwitch
        && m_bOption1 == m_bSavedOption1 && m_bOption2 == m_bSavedOption2 && m_bOption3 == m_bSavedOption3
        && m_bOption4 == m_bSavedOption4 && m_bOption5 == m_bSavedOption5 && m_bOption6 == m_bSavedOption6
        && m_bOption7 == m_bSavedOption7 && m_bOption8 == m_bSavedOption8 && m_bOption9 == m_bSavedOption9
        && m_bOption10 == m_bSavedOption10 && m_bOption11 == m_bSavedOption11
        && m_bOption12 == m_bSavedOption12 && m_bOption13 == m_bSavedOption13;
}

void CDriverHackerPage::SaveCopy()
{
    m_lSavedNumber = m_lNumber;
    m_nSavedChoice = m_nChoice;
    m_nSavedSwitch = m_nSwitch;
    m_bSavedOption1 = m_bOption1;
    m_bSavedOption2 = m_bOption2;
    m_bSavedOption3 = m_bOption3;
    m_bSavedOption4 = m_bOption4;
    m_bSavedOption5 = m_bOption5;
    m_bSavedOption6 = m_bOption6;
    m_bSavedOption7 = m_bOption7;
    m_bSavedOption8 = m_bOption8;
    m_bSavedOption9 = m_bOption9;
    m_bSavedOption10 = m_bOption10;
    m_bSavedOption11 = m_bOption11;
    m_bSavedOption12 = m_bOption12;
    m_bSavedOption13 = m_bOption13;
}

BOOL CDriverHackerPage::CheckDeviceChanged()
{
    if (g_pDeviceService == NULL)
        return FALSE;
    long lIdentity = 0;
    if (FAILED(g_pDeviceService->GetCurrentDevice(&lIdentity)))
        return FALSE;
    if ((DWORD)lIdentity == m_dwLastDevice)
        return FALSE;
    m_dwLastDevice = (DWORD)lIdentity;
    return TRUE;
}

BOOL CDriverHackerPage::OnSetActive()
{
    if (CheckDeviceChanged() && g_pDeviceService != NULL)
    {
        BstrHolder deviceName;
        if (SUCCEEDED(g_pDeviceService->GetSettingsDeviceName(deviceName.Out())) && m_pSettings != NULL)
        {
            m_pSettings->SetDevice(deviceName.Get());
            LoadSettings();
            EnableApplyButtons(FALSE);
        }
    }
    return CPropertyPage::OnSetActive();
}

void CDriverHackerPage::OnDestroy()
{
    CPropertyPage::OnDestroy();
    m_pSpin = NULL;   // the wrapper goes with the window
    if (m_pSettings != NULL)
    {
        m_pSettings->Release();
        m_pSettings = NULL;
    }
}
