// DriverHackerPage.cpp - CDriverHackerPage.
#include "pages/DriverHackerPage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
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
typedef HRESULT (STDMETHODCALLTYPE IServiceDriverSettings::*LongSetter)(long);

// How a setting's value on the interface maps to its member.
enum Kind
{
    kOption,   // on/off, as it comes
    kNumber,   // as it comes; bounded by the device's maximum when written
    kChoice,   // the radio index is the low 16 bits; SetChoice takes 16 bits
    kSwitch    // 1 is the first radio button, anything else the second
};

// The settings object the page uses: settings set 2.
const long kDriverSettingsSet = 2;

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

// A control's text without its access key marker ("Re&verse" -> "Reverse").
CString WithoutAccessKey(const CString& text)
{
    CString plain;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (text[i] == '&' && i + 1 < text.GetLength())
            ++i;
        plain += text[i];
    }
    return plain;
}

} // namespace

struct CDriverHackerPage::Setting
{
    Kind kind;
    LongGetter get;
    LongSetter set;            // NULL for the choice: SetChoice takes 16 bits
    LongGetter getDefault;
    int CDriverHackerPage::*value;
    int CDriverHackerPage::*saved;
    int nControl;              // the first radio button of a group; 0: no control
    UINT nIDName;              // how the user knows the setting
};

// In the order of loading, writing and defaulting.
const CDriverHackerPage::Setting CDriverHackerPage::kSettings[CDriverHackerPage::kSettingCount] = {
    { kOption, &IServiceDriverSettings::GetOption1, &IServiceDriverSettings::SetOption1,
      &IServiceDriverSettings::GetDefaultOption1, &CDriverHackerPage::m_bOption1,
      &CDriverHackerPage::m_bSavedOption1, IDC_DRV_OPTION1, IDS_DRV_OPTION1 },
    { kOption, &IServiceDriverSettings::GetOption2, &IServiceDriverSettings::SetOption2,
      &IServiceDriverSettings::GetDefaultOption2, &CDriverHackerPage::m_bOption2,
      &CDriverHackerPage::m_bSavedOption2, IDC_DRV_OPTION2, IDS_DRV_OPTION2 },
    { kOption, &IServiceDriverSettings::GetOption3, &IServiceDriverSettings::SetOption3,
      &IServiceDriverSettings::GetDefaultOption3, &CDriverHackerPage::m_bOption3,
      &CDriverHackerPage::m_bSavedOption3, IDC_DRV_OPTION3, IDS_DRV_OPTION3 },
    { kNumber, &IServiceDriverSettings::GetNumber, &IServiceDriverSettings::SetNumber,
      &IServiceDriverSettings::GetDefaultNumber, &CDriverHackerPage::m_nNumber,
      &CDriverHackerPage::m_nSavedNumber, IDC_DRV_NUMBER, IDS_DRV_NUMBER_NAME },
    { kOption, &IServiceDriverSettings::GetOption4, &IServiceDriverSettings::SetOption4,
      &IServiceDriverSettings::GetDefaultOption4, &CDriverHackerPage::m_bOption4,
      &CDriverHackerPage::m_bSavedOption4, IDC_DRV_OPTION4, IDS_DRV_OPTION4 },
    { kOption, &IServiceDriverSettings::GetOption5, &IServiceDriverSettings::SetOption5,
      &IServiceDriverSettings::GetDefaultOption5, &CDriverHackerPage::m_bOption5,
      &CDriverHackerPage::m_bSavedOption5, 0, IDS_DRV_OPTION5_NAME },
    { kOption, &IServiceDriverSettings::GetOption6, &IServiceDriverSettings::SetOption6,
      &IServiceDriverSettings::GetDefaultOption6, &CDriverHackerPage::m_bOption6,
      &CDriverHackerPage::m_bSavedOption6, IDC_DRV_OPTION6, IDS_DRV_OPTION6 },
    { kOption, &IServiceDriverSettings::GetOption7, &IServiceDriverSettings::SetOption7,
      &IServiceDriverSettings::GetDefaultOption7, &CDriverHackerPage::m_bOption7,
      &CDriverHackerPage::m_bSavedOption7, IDC_DRV_OPTION7, IDS_DRV_OPTION7 },
    { kOption, &IServiceDriverSettings::GetOption8, &IServiceDriverSettings::SetOption8,
      &IServiceDriverSettings::GetDefaultOption8, &CDriverHackerPage::m_bOption8,
      &CDriverHackerPage::m_bSavedOption8, IDC_DRV_OPTION8, IDS_DRV_OPTION8 },
    { kOption, &IServiceDriverSettings::GetOption9, &IServiceDriverSettings::SetOption9,
      &IServiceDriverSettings::GetDefaultOption9, &CDriverHackerPage::m_bOption9,
      &CDriverHackerPage::m_bSavedOption9, IDC_DRV_OPTION9, IDS_DRV_OPTION9 },
    { kOption, &IServiceDriverSettings::GetOption10, &IServiceDriverSettings::SetOption10,
      &IServiceDriverSettings::GetDefaultOption10, &CDriverHackerPage::m_bOption10,
      &CDriverHackerPage::m_bSavedOption10, IDC_DRV_OPTION10, IDS_DRV_OPTION10 },
    { kOption, &IServiceDriverSettings::GetOption11, &IServiceDriverSettings::SetOption11,
      &IServiceDriverSettings::GetDefaultOption11, &CDriverHackerPage::m_bOption11,
      &CDriverHackerPage::m_bSavedOption11, IDC_DRV_OPTION11, IDS_DRV_OPTION11 },
    { kOption, &IServiceDriverSettings::GetOption12, &IServiceDriverSettings::SetOption12,
      &IServiceDriverSettings::GetDefaultOption12, &CDriverHackerPage::m_bOption12,
      &CDriverHackerPage::m_bSavedOption12, IDC_DRV_OPTION12, IDS_DRV_OPTION12 },
    { kOption, &IServiceDriverSettings::GetOption13, &IServiceDriverSettings::SetOption13,
      &IServiceDriverSettings::GetDefaultOption13, &CDriverHackerPage::m_bOption13,
      &CDriverHackerPage::m_bSavedOption13, IDC_DRV_OPTION13, IDS_DRV_OPTION13 },
    { kChoice, &IServiceDriverSettings::GetChoice, NULL, &IServiceDriverSettings::GetDefaultChoice,
      &CDriverHackerPage::m_nChoice, &CDriverHackerPage::m_nSavedChoice, IDC_DRV_CHOICE1,
      IDS_DRV_CHOICE_GROUP },
    { kSwitch, &IServiceDriverSettings::GetSwitch, &IServiceDriverSettings::SetSwitch,
      &IServiceDriverSettings::GetDefaultSwitch, &CDriverHackerPage::m_nSwitch,
      &CDriverHackerPage::m_nSavedSwitch, IDC_DRV_SWITCH1, IDS_DRV_SWITCH_GROUP },
};

CDriverHackerPage::CDriverHackerPage()
    : CPropertyPage(IDD_DRIVER_PAGE, 0), m_dwLastDevice(0), m_pSpin(NULL), m_pSettings(NULL), m_nNumber(0),
      m_nChoice(-1), m_nSwitch(-1), m_bOption1(FALSE), m_bOption2(FALSE), m_bOption3(FALSE), m_bOption4(FALSE),
      m_bOption5(FALSE), m_bOption6(FALSE), m_bOption7(FALSE), m_bOption8(FALSE), m_bOption9(FALSE),
      m_bOption10(FALSE), m_bOption11(FALSE), m_bOption12(FALSE), m_bOption13(FALSE), m_nSavedNumber(0),
      m_nSavedChoice(-1), m_nSavedSwitch(-1), m_bSavedOption1(FALSE), m_bSavedOption2(FALSE),
      m_bSavedOption3(FALSE), m_bSavedOption4(FALSE), m_bSavedOption5(FALSE), m_bSavedOption6(FALSE),
      m_bSavedOption7(FALSE), m_bSavedOption8(FALSE), m_bSavedOption9(FALSE), m_bSavedOption10(FALSE),
      m_bSavedOption11(FALSE), m_bSavedOption12(FALSE), m_bSavedOption13(FALSE), m_nChoiceValue(-1),
      m_lNumberMax(0)
{
}

void CDriverHackerPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRV_REVERT, m_btnRevert);
    DDX_Control(pDX, IDC_DRV_APPLY, m_btnApply);
    // The two radio groups, then the check boxes, then the number (last: a
    // number that does not parse stops the exchange of nothing else).
    for (const Setting& setting : kSettings)
        if (setting.kind == kChoice || setting.kind == kSwitch)
            DDX_Radio(pDX, setting.nControl, this->*setting.value);
    for (const Setting& setting : kSettings)
        if (setting.kind == kOption && setting.nControl != 0)
            DDX_Check(pDX, setting.nControl, this->*setting.value);
    for (const Setting& setting : kSettings)
        if (setting.kind == kNumber)
            DDX_Text(pDX, setting.nControl, this->*setting.value);
}

BOOL CDriverHackerPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    static const ControlText kTexts[] = {
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
    SetControlTexts(*this, IDS_DRIVER_PAGE, kTexts);

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
        if (SUCCEEDED(g_pDeviceService->GetSettings(kDriverSettingsSet, settingsObject.Out())))
            QueryInterfaceInto(settingsObject.Get(), IID_IServiceDriverSettings, m_pSettings);
        // settingsObject releases the object here; the page keeps m_pSettings.
    }
    return TRUE;
}

void CDriverHackerPage::ReadSetting(const Setting& setting, bool bDefault)
{
    const LongGetter getter = bDefault ? setting.getDefault : setting.get;
    int& member = this->*setting.value;
    switch (setting.kind)
    {
    case kChoice:
    {
        long lChoice = 0;
        (m_pSettings->*getter)(&lChoice);
        m_nChoiceValue = ChoiceBits(lChoice);
        member = m_nChoiceValue;
        break;
    }
    case kSwitch:
    {
        long lSwitch = 1;
        (m_pSettings->*getter)(&lSwitch);
        member = SwitchIndex(lSwitch);
        break;
    }
    default:
    {
        long value = member;   // a getter that writes nothing leaves the member
        (m_pSettings->*getter)(&value);
        member = (int)value;
        break;
    }
    }
}

HRESULT CDriverHackerPage::WriteSetting(const Setting& setting)
{
    const int value = this->*setting.value;
    switch (setting.kind)
    {
    case kChoice:
        // With no choice button checked (the device gave a value outside the
        // three), write back the value the device gave rather than "none":
        // the user cannot have meant to change a choice that no button shows.
        return m_pSettings->SetChoice(value == -1 ? m_nChoiceValue : (short)(WORD)(value & 0xFFFF));
    case kSwitch:
        return m_pSettings->SetSwitch(value == 0 ? 1 : 0);
    default:
        return (m_pSettings->*setting.set)(value);
    }
}

void CDriverHackerPage::LoadSettings()
{
    if (m_pSettings != NULL)
    {
        for (const Setting& setting : kSettings)
        {
            if (setting.kind == kNumber)
            {
                // The up-down's range first: 1 to the low 16 bits of the maximum.
                m_pSpin = GetDlgItem(IDC_DRV_NUMBER_SPIN);
                long lNumberMax = 1;
                const HRESULT hr = m_pSettings->GetNumberMax(&lNumberMax);
                m_lNumberMax = SUCCEEDED(hr) && lNumberMax > 0 ? lNumberMax : 0;
                if (m_pSpin != NULL)
                    m_pSpin->SendMessage(UDM_SETRANGE, 0, MAKELPARAM(LOWORD(lNumberMax), 1));
            }
            ReadSetting(setting, false);
        }
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
    // A field that does not parse has been reported (the focus is on it):
    // nothing is written, and the edits stay unsaved.
    if (!UpdateData(TRUE))
        return;

    CString notTaken;
    if (m_pSettings != NULL)
    {
        // A number above the device's maximum is sent as the maximum (the
        // up-down stops there; a typed number is not bound by it).
        if (m_lNumberMax > 0 && m_nNumber > m_lNumberMax)
        {
            m_nNumber = (int)m_lNumberMax;
            UpdateData(FALSE);
        }
        for (const Setting& setting : kSettings)
        {
            if (SUCCEEDED(WriteSetting(setting)))
            {
                this->*setting.saved = this->*setting.value;
                continue;
            }
            // Not taken: the setting stays unsaved.
            CString name;
            name.LoadString(setting.nIDName);
            notTaken += "\n";
            notTaken += WithoutAccessKey(name);
        }
    }
    else
    {
        SaveCopy();   // no settings object: nothing to write, nothing to keep apart
    }
    EnableApplyButtons(IsSameAsSaved() ? FALSE : TRUE);
    CPropertyPage::OnOK();

    if (!notTaken.IsEmpty())
    {
        CString text, caption;
        text.FormatMessage((UINT)IDS_DRV_NOT_TAKEN, (LPCSTR)notTaken);
        caption.LoadString(IDS_DRIVER_PAGE);
        AfxShowMessageBox(m_hWnd, text, caption, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CDriverHackerPage::OnDefaults()
{
    if (m_pSettings != NULL)
        for (const Setting& setting : kSettings)
            ReadSetting(setting, true);
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
    // Apply and Revert turn themselves off when pressed: the focus moves on.
    if (m_btnApply.m_hWnd != NULL)
        AfxEnableControl(m_btnApply, bEnable);
    if (m_btnRevert.m_hWnd != NULL)
        AfxEnableControl(m_btnRevert, bEnable);
}

BOOL CDriverHackerPage::IsSameAsSaved() const
{
    for (const Setting& setting : kSettings)
        if (this->*setting.value != this->*setting.saved)
            return FALSE;
    return TRUE;
}

void CDriverHackerPage::SaveCopy()
{
    for (const Setting& setting : kSettings)
        this->*setting.saved = this->*setting.value;
}

BOOL CDriverHackerPage::OnSetActive()
{
    if (DeviceChanged(m_dwLastDevice) && g_pDeviceService != NULL)
    {
        BstrHolder deviceName;
        if (SUCCEEDED(g_pDeviceService->GetSettingsDeviceName(deviceName.Out())) && m_pSettings != NULL)
        {
            m_pSettings->SetDevice(deviceName.Get());
            LoadSettings();
            EnableApplyButtons(FALSE);
            // LoadSettings has put the new device's settings into the
            // controls: the class library's exchange would only read them back.
            m_bFirstSetActive = FALSE;
            return TRUE;
        }
    }
    return CPropertyPage::OnSetActive();
}

void CDriverHackerPage::OnDestroy()
{
    CPropertyPage::OnDestroy();
    m_pSpin = NULL;   // the wrapper goes with the window
    ReleaseInterface(m_pSettings);
}
