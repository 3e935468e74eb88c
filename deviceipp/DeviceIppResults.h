// DeviceIppResults.h - the failure codes of the IPP device service besides
// the standard ones (E_POINTER, E_INVALIDARG, E_OUTOFMEMORY, DISP_E_BADINDEX,
// E_NOTIMPL) and those of the IPP layer (ipp/IppResults.h, 0x0301..0x0315),
// which a setter passes on when the printer refused its request. README.md
// lists when each one comes.
#ifndef DEVICEIPP_DEVICEIPPRESULTS_H
#define DEVICEIPP_DEVICEIPPRESULTS_H

#include <windows.h>

// No device is current (or the object was handed out while none was).
const HRESULT DEVIPP_E_NODEVICE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0401);
// A device id or settings device name (printer URI) that the service does not know.
const HRESULT DEVIPP_E_UNKNOWNDEVICE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0402);
// The printer does not answer now (or never answered): nothing is known or
// nothing can be written.
const HRESULT DEVIPP_E_NOTREACHABLE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0403);
// The printer does not report this value (e.g. no page counter).
const HRESULT DEVIPP_E_NOTREPORTED = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0404);
// The printer reports that it does not support this value (its *-supported
// attribute lacks it, or it is a monochrome printer asked for colour).
const HRESULT DEVIPP_E_UNSUPPORTED = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0405);
// The printer accepted the request but reads back its old value.
const HRESULT DEVIPP_E_NOTCHANGED = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0406);
// No counterpart on IPP printers: the maintenance action, procedure or
// command (or the report number) has no IPP or CUPS operation that does what
// its label says. Nothing is handed out and nothing is sent.
const HRESULT DEVIPP_E_NOTAVAILABLE = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0407);
// The settings with no IPP counterpart could not be saved to the state file
// (the value holds for this session only).
const HRESULT DEVIPP_E_NOTSAVED = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0408);
// The printer is stopped or does not accept jobs: no job is sent.
const HRESULT DEVIPP_E_NOTACCEPTING = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0409);
// Memory locations are the printer's numbers, read only: nothing is written.
const HRESULT DEVIPP_E_READONLY = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x040A);
// No program opens PDF files here (View): nothing is written or started.
const HRESULT DEVIPP_E_NOVIEWER = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x040B);
// Clearing the job history would cancel the jobs that still wait: refused
// while the printer reports waiting jobs.
const HRESULT DEVIPP_E_JOBSWAITING = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x040C);

#endif // DEVICEIPP_DEVICEIPPRESULTS_H
