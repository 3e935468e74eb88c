// MaintenancePage.h - CMaintenancePage: two maintenance actions and the command of report 10.
#pragma once

#include "framework/afx.h"

class CMaintenancePage : public CPropertyPage
{
public:
    CMaintenancePage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
