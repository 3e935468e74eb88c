// ServiceIds.h - the class identifier of the device service and the interface
// identifiers of its interfaces. Defined once, in ServiceIds.cpp.
#ifndef SERVICE_SERVICEIDS_H
#define SERVICE_SERVICEIDS_H

#include <windows.h>

// The device service component.
extern const CLSID CLSID_DeviceService;

// Its interfaces (see DeviceService.h).
extern const IID IID_IDeviceService;
extern const IID IID_IServiceDevices;
extern const IID IID_IServiceDevice;
extern const IID IID_IServiceReport;
extern const IID IID_IServiceReportOption;
extern const IID IID_IServiceAction;
extern const IID IID_IServiceMemory;
extern const IID IID_IServiceDriverSettings;
extern const IID IID_IServiceTasks;
extern const IID IID_IServiceProcedure;
extern const IID IID_IServiceProcedureOptions;
extern const IID IID_IServiceCommand;

#endif // SERVICE_SERVICEIDS_H
