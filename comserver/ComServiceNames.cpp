// ComServiceNames.cpp - the device service's names for the journals.
#include "comserver/ComServiceNames.h"

#include "service/ServiceIds.h"

const ComNamedIid kDeviceServiceNames[] = {
    { &CLSID_DeviceService, "CLSID_DeviceService" },
    { &IID_IDeviceService, "IDeviceService" },
    { &IID_IServiceDevices, "IServiceDevices" },
    { &IID_IServiceDevice, "IServiceDevice" },
    { &IID_IServiceReport, "IServiceReport" },
    { &IID_IServiceReportOption, "IServiceReportOption" },
    { &IID_IServiceAction, "IServiceAction" },
    { &IID_IServiceMemory, "IServiceMemory" },
    { &IID_IServiceDriverSettings, "IServiceDriverSettings" },
    { &IID_IServiceTasks, "IServiceTasks" },
    { &IID_IServiceProcedure, "IServiceProcedure" },
    { &IID_IServiceProcedureOptions, "IServiceProcedureOptions" },
    { &IID_IServiceCommand, "IServiceCommand" },
    { NULL, NULL },
};
