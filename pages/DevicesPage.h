// DevicesPage.h - CDevicesPage: the device list, the selected device's details; makes the selected device current.
#pragma once

#include "framework/afx.h"

class CDevicesPage : public CPropertyPage
{
public:
    CDevicesPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
