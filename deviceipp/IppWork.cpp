// IppWork.cpp - the device work the pages ask for besides the list and the
// driver settings: reports (GetReport), maintenance actions (GetAction),
// device tasks (GetDeviceTasks), procedures (GetProcedureA/B/C,
// GetOptionProcedure), commands (GetCommand) and memory locations
// (GetSettings(1), in IppService.cpp).
//
// None of them is available on IPP printers yet: each fails with
// DEVIPP_E_NOTAVAILABLE, hands out nothing and sends nothing. A later
// version makes them real here, one object class per kind as the simulator
// has (bound to the current printer, answering CanExecute from what the
// printer reports and doing its work with an IPP request): HandWork then
// hands out that object instead of failing.
#include "deviceipp/IppObjects.h"

#include "deviceipp/DeviceIppResults.h"

HRESULT CIppDeviceService::HandWork(const char* operation, long number, bool numbered, IUnknown** pp)
{
    IppCall call(this, operation);
    if (numbered)
        call.Arg(number);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pp == NULL)
        return call.Done(E_POINTER);
    *pp = NULL;
    return call.Done(DEVIPP_E_NOTAVAILABLE);
}
