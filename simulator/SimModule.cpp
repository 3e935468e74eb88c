// SimModule.cpp - the DLL's entry points (DllMain, DllGetClassObject,
// DllCanUnloadNow, DllRegisterServer, DllUnregisterServer), the server's
// description and its class factory CSimClassFactory. The work is done by the
// shared server library (comserver/ComServer.h).
#include "comserver/ComServer.h"
#include "comserver/ComServiceNames.h"
#include "service/ServiceIds.h"
#include "simulator/SimModel.h"
#include "simulator/SimObjects.h"

#include <new>

namespace {

// The class factory with the fault rules of IClassFactory.CreateInstance.
class CSimClassFactory : public ComClassFactory
{
public:
    CSimClassFactory()
    {
        SimModel::Get();    // the fleet (and its fault rules) before the first call
    }

    // Called by CoCreateInstance: makes a device service object and queries it
    // for iid. Aggregation is not supported.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
    {
        SimCall call(this, "IClassFactory.CreateInstance");
        call.ArgName(InterfaceName(iid));
        if (call.Blocked())
            return call.Done(call.Injected());
        const HRESULT hr = MakeInstance(call, outer, iid, ppv);
        if (FAILED(hr))
            return call.Done(hr);
        const SimFault* fault = call.Fault();
        if (fault != NULL && fault->kind == FAULT_NOOBJECT) {
            static_cast<IUnknown*>(*ppv)->Release();
            *ppv = NULL;
            return call.Done(S_OK);
        }
        if (fault != NULL && fault->kind == FAULT_FAILOBJECT)
            return call.Done(fault->result);
        return call.Done(S_OK);
    }

protected:
    ComObject* NewObject() { return new (std::nothrow) CSimDeviceService(); }
};

ComClassFactory* MakeFactory()
{
    return new (std::nothrow) CSimClassFactory();
}

const ComServerInfo kServer = {
    &CLSID_DeviceService,
    "Device service simulator",
    "Apartment",
    "DEVICESIM_JOURNAL",
    "DeviceSim",
    kDeviceServiceNames,
    MakeFactory,
    SimModel::Unload,
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
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

STDAPI DllCanUnloadNow()
{
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
