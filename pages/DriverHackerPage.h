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
    void SaveSettings();
    // Enables or disables Apply (IDOK) and Revert together, Apply first.
    void EnableApplyButtons(BOOL bEnable);
    // TRUE when all sixteen working values equal the saved copy.
    BOOL IsSameAsSaved() const;
    void SaveCopy();
    // TRUE when the device service's current device is another one than at
    // the last check (the new identity is then remembered).
    BOOL CheckDeviceChanged();

    DWORD m_dwLastDevice;
    CButton m_btnRevert;
    CButton m_btnApply;
    CWnd* m_pSpin;
    IServiceDriverSettings* m_pSettings;
    long m_lNumber;
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
    long m_lSavedNumber;
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

    DECLARE_MESSAGE_MAP()
};
