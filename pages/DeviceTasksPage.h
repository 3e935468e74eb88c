// DeviceTasksPage.h - CDeviceTasksPage: two one-click device tasks.
#pragma once

#include "framework/afx.h"
#include "service/DeviceService.h"

// Two buttons, each one call on the IServiceTasks interface that the page
// gets from the device service when its window is created and keeps until
// the window is destroyed. The page shows no results and no messages.
class CDeviceTasksPage : public CPropertyPage
{
public:
    CDeviceTasksPage();
    ~CDeviceTasksPage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Button and window handlers.
    void OnFirstTask();
    void OnSecondTask();
    void OnDestroy();

    // The tasks interface: NULL until OnInitDialog got it, and again once
    // OnDestroy has released it.
    IServiceTasks* m_pTasks;

    DECLARE_MESSAGE_MAP()
};
