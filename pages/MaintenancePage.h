// MaintenancePage.h - CMaintenancePage: two maintenance actions and the command of report 10.
#pragma once

#include "framework/afx.h"

// Three one-click commands: maintenance actions of kind 1 and 2, and the main
// command of report 10. Every click asks the device service for a fresh
// object, uses it once and releases it; the page keeps nothing between clicks
// and shows nothing back.
class CMaintenancePage : public CPropertyPage
{
    DECLARE_DYNCREATE(CMaintenancePage)
public:
    CMaintenancePage();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Button handlers.
    void OnAction1();
    void OnReport10();
    void OnAction2();

    // Asks the device service for the action object of this kind and runs it once.
    void RunAction(long kind);

    DECLARE_MESSAGE_MAP()
};
