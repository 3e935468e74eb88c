// ProceduresPage.h - CProceduresPage: nine buttons that start numbered device procedures, and the device text.
#pragma once

#include "framework/afx.h"
#include "service/DeviceService.h"

// Nine buttons, each starting one numbered procedure (or command) of the
// current device through the device service; two option boxes that qualify
// the option procedure; and a text of the current device, read again only
// when another device has become current.
class CProceduresPage : public CPropertyPage
{
public:
    CProceduresPage();

    // The most UTF-16 units of the device text that the page takes; a longer
    // text is cut there (see ProceduresPage.cpp).
    static const int kDeviceTextLimit = 1024;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

    // Button handlers; each discards the procedure's result.
    void OnProcedureB1();
    void OnProcedureB5();
    void OnProcedureA1();
    void OnProcedureA2();
    void OnProcedureC1();
    void OnProcedureC2();
    void OnProcedureC3();
    void OnCommand1();
    void OnOptionProcedure();

    // Start procedure `number` of one family; return the procedure's result
    // (0 when it could not be started).
    long RunProcedureA(long number);
    long RunProcedureB(long number);
    long RunProcedureC(long number);
    // Starts the option procedure with the flags of the two option boxes;
    // sends nothing when neither box is checked.
    long RunOptionProcedure(long number);
    // Performs command `number`.
    void PerformCommand(long number);
    // Enables or disables the option procedure's button and both option boxes.
    void EnableOptionControls(bool bEnable);

    DWORD m_dwLastDevice;      // identity GetCurrentDevice last gave; 0 at first
    BOOL m_bSecondOption;      // check box "second option": flag 2
    BOOL m_bFirstOption;       // check box "first option": flag 1
    CString m_strDeviceText;   // the current device's text
    CTextBox m_boxDeviceText;  // where it shows: Tab passes through it, a scroll bar only when needed

    DECLARE_MESSAGE_MAP()

private:
    // The IDeviceService operation that hands out one family's procedure objects.
    typedef HRESULT (STDMETHODCALLTYPE IDeviceService::*ProcedureGetter)(long, IUnknown**);
    // The one algorithm behind RunProcedureA, B and C.
    long RunProcedure(ProcedureGetter getter, long number);
};
