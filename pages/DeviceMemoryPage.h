// DeviceMemoryPage.h - CDeviceMemoryPage: reads, writes and restores numbered memory locations of the current device.
#pragma once

#include "framework/afx.h"

class CDeviceMemoryPage : public CPropertyPage
{
public:
    CDeviceMemoryPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
