// ReportsPage.h - CReportsPage: chooses one of the device's reports and runs its commands.
//
// The page knows the reports only by number. Choosing a report asks the
// device service which of the report's two commands are available and enables
// the two command buttons accordingly; the buttons run them. Report 11 has an
// on/off option; report 8 has a variant, report 9, chosen by a check box that
// stays hidden. The page keeps no report object between two actions.
#pragma once

#include "framework/afx.h"

class CReportsPage : public CPropertyPage
{
    DECLARE_DYNCREATE(CReportsPage)
public:
    CReportsPage();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

    // Report choices
    void OnReport1();
    void OnReport2();
    void OnReport3();
    void OnReport4();
    void OnReport5();
    void OnReport6();
    void OnReport7();
    void OnReport8();
    void OnReport11();
    // Options and commands
    void OnReportOption();
    void OnReportVariant();
    void OnExecute();
    void OnExecuteAlternate();

    // Disables both option boxes (the option of report 11, the variant of report 8).
    void DisableReportOptions();
    // Enables each command button when the current report offers its command.
    void UpdateCommandButtons();
    // Back to report 1 with both options cleared; the buttons are re-queried.
    void ResetReportSelection();

    CButton m_btnExecuteAlternate;
    CButton m_btnExecute;
    int m_nReportRadio;
    DWORD m_dwLastDevice;
    BOOL m_bReportOption;
    BOOL m_bReportVariant;
    int m_nReport;   // the report every call uses; 0 until one is chosen

    DECLARE_MESSAGE_MAP()

private:
    // The common steps of the report choice handlers.
    void ChooseReport(int nReport);
    // Runs the main (bAlternate FALSE) or second command of the current report.
    void RunCommand(bool bAlternate);
};
