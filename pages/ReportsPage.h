// ReportsPage.h - CReportsPage: chooses one of the device's reports and runs its commands.
#pragma once

#include "framework/afx.h"

class CReportsPage : public CPropertyPage
{
public:
    CReportsPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
