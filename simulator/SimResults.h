// SimResults.h - the failure codes that the device service simulator returns
// besides the standard ones (E_POINTER, E_INVALIDARG, E_NOINTERFACE,
// DISP_E_BADINDEX, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, E_NOTIMPL).
#ifndef SIMULATOR_SIMRESULTS_H
#define SIMULATOR_SIMRESULTS_H

#include <windows.h>

// No device is current (or the object was handed out while none was).
const HRESULT SIM_E_NODEVICE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0201);
// A device id or settings device name that the fleet does not hold.
const HRESULT SIM_E_UNKNOWNDEVICE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0202);
// The memory location does not exist on this device.
const HRESULT SIM_E_UNAVAILABLE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0203);
// The report does not offer this command on this device.
const HRESULT SIM_E_NOTAVAILABLE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0204);
// The default result of a failure injected by the configuration.
const HRESULT SIM_E_INJECTED = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x02FF);

#endif // SIMULATOR_SIMRESULTS_H
