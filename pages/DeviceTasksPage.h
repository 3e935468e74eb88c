// DeviceTasksPage.h - CDeviceTasksPage: two one-click device tasks.
#pragma once

#include "framework/afx.h"

class CDeviceTasksPage : public CPropertyPage
{
public:
    CDeviceTasksPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
