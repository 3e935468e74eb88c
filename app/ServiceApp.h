// ServiceApp.h - CServiceApp: start-up and exit of the application.
//
// Start-up: resource module, single instance, device service, start-up dialog,
// then the modeless service sheet as the main window. Exit: the sheet and its
// pages gone, the device service released, COM uninitialised, the resource
// handle restored, the instance slot closed.
#pragma once

#include "framework/afx.h"

class CServiceSheet;

// The named shared memory that holds the first instance's window handle: the
// start-up dialog's while it is up, then the service sheet's.
#define SERVICEAPP_INSTANCE_SLOT "ServiceAppFirstInstanceHWND"

class CServiceApp : public CWinApp
{
public:
    CServiceApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    HANDLE m_hMapping;              // the instance slot, open for the life of the process
    HINSTANCE m_hResourceModule;    // non-NULL: the resource handle was switched to it
    HINSTANCE m_hSavedResource;     // the resource handle before the switch
    // The service sheet, made on the first pass through its creation step and
    // deleted (with its pages) in ExitInstance, before the device service is
    // released and COM uninitialised: its pages hold objects of the service.
    CServiceSheet* m_pSheet;

    DECLARE_MESSAGE_MAP()
};
