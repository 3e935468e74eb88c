// DeviceServicePtr.cpp - g_pDeviceService, the process-wide device service
// pointer. The application sets it at start-up; it stays NULL until then.
#include "service/DeviceService.h"

IDeviceService* g_pDeviceService = NULL;
