// DriverHackerPage.h - CDriverHackerPage: shows, changes, reverts and restores the driver settings of the current device.
#pragma once

#include "framework/afx.h"

class CDriverHackerPage : public CPropertyPage
{
public:
    CDriverHackerPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
