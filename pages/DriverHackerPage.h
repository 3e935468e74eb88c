// DriverHackerPage.h - CDriverHackerPage: shows, changes, reverts and restores the driver settings of the current device.
#pragma once

#include "framework/afx.h"
#include "service/DeviceService.h"

// The driver settings page. Sixteen settings of the current device: thirteen
// on/off options, a number (with an up-down control bounded by NumberMax), a
// choice of three and a two-way switch. Option5 has no control; the page
// carries it from load to apply. The page's own Apply (IDOK) and Revert
// buttons are enabled exactly while the controls differ from the values last
// loaded or written (the saved copy); the page never marks the sheet changed.
class CDriverHackerPage : public CPropertyPage
{
    DECLARE_DYNCREATE(CDriverHackerPage)
public:
    CDriverHackerPage();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Sets the texts, ties the up-down control to its edit, disables the two
    // buttons and gets the settings object. Returns TRUE.
    BOOL OnInitDialog() override;
    // Apply (button IDOK, and the sheet's apply): writes all sixteen settings.
    void OnOK() override;
    // Reloads everything when the current device changed since the last
    // activation. Returns the base class's answer.
    BOOL OnSetActive() override;

    // Message handlers.
    void OnDefaults();
    void OnDestroy();
    void OnRevert();
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSettingChanged();

    void LoadSettings();
    // Writes the sixteen settings. A field that does not parse writes
    // nothing; a setting the device does not take stays unsaved (Apply stays
    // enabled) and the user is told which settings those are.
    void SaveSettings();
    // Enables or disables Apply (IDOK) and Revert together, Apply first.
    void EnableApplyButtons(BOOL bEnable);
    // TRUE when all sixteen working values equal the saved copy.
    BOOL IsSameAsSaved() const;
    void SaveCopy();

    // One setting: its operations on the settings interface, its working
    // member and saved copy, its control and the string that names it. The
    // table kSettings lists the sixteen in the order in which they are read,
    // written and defaulted.
    struct Setting;
    static const size_t kSettingCount = 16;
    static const Setting kSettings[kSettingCount];
    // Reads one setting through getter into its member (a getter that writes
    // nothing leaves the member, or the preset of a choice or switch).
    void ReadSetting(const Setting& setting, bool bDefault);
    // Writes one setting's working value; returns the setter's result.
    HRESULT WriteSetting(const Setting& setting);

    DWORD m_dwLastDevice;
    CButton m_btnRevert;
    CButton m_btnApply;
    CWnd* m_pSpin;
    IServiceDriverSettings* m_pSettings;
    int m_nNumber;
    int m_nChoice;
    int m_nSwitch;
    BOOL m_bOption1;
    BOOL m_bOption2;
    BOOL m_bOption3;
    BOOL m_bOption4;
    BOOL m_bOption5;
    BOOL m_bOption6;
    BOOL m_bOption7;
    BOOL m_bOption8;
    BOOL m_bOption9;
    BOOL m_bOption10;
    BOOL m_bOption11;
    BOOL m_bOption12;
    BOOL m_bOption13;
    int m_nSavedNumber;
    int m_nSavedChoice;
    int m_nSavedSwitch;
    BOOL m_bSavedOption1;
    BOOL m_bSavedOption2;
    BOOL m_bSavedOption3;
    BOOL m_bSavedOption4;
    BOOL m_bSavedOption5;
    BOOL m_bSavedOption6;
    BOOL m_bSavedOption7;
    BOOL m_bSavedOption8;
    BOOL m_bSavedOption9;
    BOOL m_bSavedOption10;
    BOOL m_bSavedOption11;
    BOOL m_bSavedOption12;
    BOOL m_bSavedOption13;
    // The choice as the device service last gave it (loaded or defaulted),
    // 16 bits as it came; written back when no choice button is checked.
    short m_nChoiceValue;
    // The largest number the device takes, as GetNumberMax last gave it; 0
    // when it is not known (the call failed or gave no positive number).
    long m_lNumberMax;

    DECLARE_MESSAGE_MAP()
};
