// ComServer.h - ComServerInfo, ComClassFactory and the work of an in-process
// server's DLL entry points.
//
// A server describes itself once in a ComServerInfo and hands it to
// ComServerAttach from its DllMain; its exported functions forward to the
// functions below:
//
//     const ComServerInfo kServer = { &CLSID_DeviceService, "Device service simulator",
//                                     "Apartment", "DEVICESIM_JOURNAL", "DeviceSim",
//                                     kNames, MakeFactory, SimModel::Unload };
//
//     extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
//     {
//         if (reason == DLL_PROCESS_ATTACH)
//             ComServerAttach(instance, &kServer);
//         else if (reason == DLL_PROCESS_DETACH)
//             ComServerDetach(reserved == NULL);
//         return TRUE;
//     }
//     STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv)
//     { return ComServerGetClassObject(clsid, iid, ppv); }
//     STDAPI DllCanUnloadNow() { return ComServerCanUnloadNow(); }
//     STDAPI DllRegisterServer() { return ComServerRegister(); }
//     STDAPI DllUnregisterServer() { return ComServerUnregister(); }
//
// The four functions are exported undecorated through the server's .def file.
#ifndef COMSERVER_COMSERVER_H
#define COMSERVER_COMSERVER_H

#include <windows.h>
#include <ole2.h>

#include "comserver/ComObject.h"

// An identifier and its name in the journal.
struct ComNamedIid
{
    const IID* iid;
    const char* name;
};

class ComClassFactory;

struct ComServerInfo
{
    // The one class the server serves.
    const CLSID* clsid;
    // The class key's default value (what registry viewers show).
    const char* description;
    // InprocServer32's ThreadingModel ("Apartment").
    const char* threadingModel;
    // The environment variable that names the journal file.
    const char* journalVariable;
    // The server's name before its lines in the debugger output.
    const char* debugName;
    // The interfaces (and the class) the journal names, ended by { NULL, NULL }.
    const ComNamedIid* names;
    // Makes the class factory (one reference, for the caller), NULL when out
    // of memory.
    ComClassFactory* (*makeFactory)();
    // Frees the server's own data when FreeLibrary unloads the DLL, after the
    // released objects; NULL when there is nothing to free.
    void (*unload)();
};

// The class factory. A server derives from it and makes its main object in
// NewObject; CreateInstance handles the rest (aggregation is refused). A
// server that needs more at creation overrides CreateInstance and builds on
// MakeInstance.
class ComClassFactory : public ComObject, public IClassFactory
{
public:
    ComClassFactory();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) { return QueryObject(iid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() { return ReleaseObject(); }

    // Journaled "IClassFactory.CreateInstance(<iid>) -> 0x... object=<name>".
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv);
    // Counts locks for DllCanUnloadNow.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock);

    // Locks held (LockServer(TRUE) calls not yet undone).
    static long Locks();

protected:
    // Makes a new object of the server's class with one reference, or NULL
    // when out of memory.
    virtual ComObject* NewObject() = 0;
    // CreateInstance's work without its journal line: checks ppv and outer,
    // makes the object, puts its name in call's outs and queries it for iid.
    // Returns the HRESULT for the caller; *ppv holds the object on success.
    HRESULT MakeInstance(ComCall& call, IUnknown* outer, REFIID iid, void** ppv);

    void* Find(REFIID iid);
};

// The server described at attach time (NULL before).
const ComServerInfo* ComServer();
// The server DLL's module handle.
HMODULE ComServerModule();

// DllMain's work: at DLL_PROCESS_ATTACH keep the description and the module;
// at DLL_PROCESS_DETACH journal the objects still alive and, when the DLL is
// freed by FreeLibrary (freed is true; false at process exit), free the
// released objects and the server's data, so that a later load starts afresh.
void ComServerAttach(HINSTANCE module, const ComServerInfo* server);
void ComServerDetach(bool freed);

// DllGetClassObject: the class factory for the server's class,
// CLASS_E_CLASSNOTAVAILABLE for any other.
HRESULT ComServerGetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
// DllCanUnloadNow: S_OK when no object is alive and no lock held, else S_FALSE.
HRESULT ComServerCanUnloadNow();
// DllRegisterServer: makes the class this DLL's, whoever had it before:
// HKCR\CLSID\{class} (default: the description) and its InprocServer32
// (default: this DLL's full path; ThreadingModel). Returns S_OK or
// SELFREG_E_CLASS.
HRESULT ComServerRegister();
// DllUnregisterServer: removes the class keys when InprocServer32 names this
// DLL, and leaves another DLL's registration of the class alone. Returns S_OK
// (also when there was nothing of this DLL's to remove) or SELFREG_E_CLASS.
HRESULT ComServerUnregister();

#endif // COMSERVER_COMSERVER_H
