// IppModule.cpp - the DLL's entry points (DllMain, DllGetClassObject,
// DllCanUnloadNow, DllRegisterServer, DllUnregisterServer), the server's
// description and its class factory. The COM plumbing is the shared server
// library's (comserver/ComServer.h).
#include "comserver/ComJournal.h"
#include "comserver/ComServer.h"
#include "comserver/ComServiceNames.h"
#include "deviceipp/IppObjects.h"
#include "deviceipp/PrinterMonitor.h"
#include "ipp/IppHttp.h"
#include "service/ServiceIds.h"

#include <new>

namespace {

class CIppClassFactory : public ComClassFactory
{
protected:
    // The service starts the printer monitor; when that cannot start (no
    // events or threads to be had) there is no service to hand out.
    ComObject* NewObject()
    {
        CIppDeviceService* service = new (std::nothrow) CIppDeviceService();
        if (service != NULL && !service->Ready()) {
            service->ReleaseObject();
            return NULL;
        }
        return service;
    }
};

ComClassFactory* MakeFactory()
{
    return new (std::nothrow) CIppClassFactory();
}

const ComServerInfo kServer = {
    &CLSID_DeviceService,
    "Device service for IPP printers",
    "Apartment",
    "DEVICEIPP_JOURNAL",
    "DeviceIpp",
    kDeviceServiceNames,
    MakeFactory,
    NULL,
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // Never waits here: the monitor's workers are stopped and joined when the
    // last object is released, and each holds the DLL until it has ended.
    if (reason == DLL_PROCESS_ATTACH)
        ComServerAttach(instance, &kServer);
    else if (reason == DLL_PROCESS_DETACH)
        ComServerDetach(reserved == NULL);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv)
{
    return ComServerGetClassObject(clsid, iid, ppv);
}

// Not while objects live, workers run or WinHTTP still holds a request (its
// last callback would call into the unloaded DLL).
STDAPI DllCanUnloadNow()
{
    const long threads = PrinterMonitor::ThreadsAlive();
    const long pending = ipp::PendingRequests();
    if (threads > 0 || pending > 0) {
        JournalLine(ComFormat("DllCanUnloadNow() -> 0x00000001 workers: %ld requests pending: %ld",
                              threads, pending));
        return S_FALSE;
    }
    return ComServerCanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return ComServerRegister();
}

STDAPI DllUnregisterServer()
{
    return ComServerUnregister();
}
