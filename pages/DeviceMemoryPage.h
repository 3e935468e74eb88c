// DeviceMemoryPage.h - CDeviceMemoryPage: reads, writes and restores numbered memory locations of the current device.
//
// The page works in two states. In "choose location" the user types a
// location (0 to 320) and only Read is usable; the page enters it whenever the
// location field gets the focus. A successful Read enters "edit value": the
// value field, Write and Restore default become usable, and a write attempt
// returns to "choose location" with the outcome in the status line. Every
// handler gets the device service's objects afresh and releases them before
// it returns; the page keeps none between handlers.
#pragma once

#include "framework/afx.h"

class CDeviceMemoryPage : public CPropertyPage
{
public:
    CDeviceMemoryPage();

    // Locations the device memory has, and the values the Write button accepts.
    enum
    {
        kLowestLocation = 0,
        kHighestLocation = 320,
        kLowestValue = 0,
        kHighestValue = 65535,
        kMemorySettingsSet = 1,   // the settings set that hands out the memory object
        kListReport = 2           // the report whose main command lists the memory
    };

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

    // Buttons
    void OnRead();
    void OnWrite();
    void OnRestoreDefault();
    void OnReport2();
    // Fields
    void OnLocationChange();
    void OnValueChange();
    void OnLocationSetFocus();
    void OnLocationUpdate();
    void OnValueUpdate();

    // The value stored at the location, read in an exchange of its own; 0 when
    // any step fails or the answer is not a 32-bit integer.
    long ReadCurrentValue();

    CButton m_btnRestoreDefault;
    long m_nDefaultValue;
    DWORD m_dwLastDevice;
    bool m_bLocationOutOfRange;
    CEdit m_editLocation;
    CEdit m_editValue;
    CButton m_btnWrite;
    CButton m_btnRead;
    long m_nLocation;
    long m_nNewValue;
    long m_nCurrentValue;
    CString m_strStatus;

    DECLARE_MESSAGE_MAP()

private:
    // Selects the whole text of a field (and scrolls the caret into view).
    static void SelectAll(CEdit& edit);
    static bool IsValueInRange(long nValue) { return nValue >= kLowestValue && nValue <= kHighestValue; }
    // The information box that tells the range a field takes.
    static void ShowRangeMessage(UINT nIDText, UINT nIDCaption, int nLowest, int nHighest);
};
