// SimModule.cpp - the DLL's entry points: DllMain, DllGetClassObject,
// DllCanUnloadNow, DllRegisterServer, DllUnregisterServer, and the class
// factory CSimClassFactory.
#include "service/ServiceIds.h"
#include "simulator/SimJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimObjects.h"

#include <olectl.h>

#include <new>

namespace {

long s_locks = 0;

const char kClassDescription[] = "Device service simulator";

class CSimClassFactory : public SimObject, public IClassFactory
{
public:
    CSimClassFactory() : SimObject("ClassFactory", -1) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) { return QueryObject(iid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() { return ReleaseObject(); }

    // Called by CoCreateInstance: makes a device service object and queries it
    // for iid. Aggregation is not supported.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
    {
        SimCall call(this, "IClassFactory.CreateInstance");
        call.ArgName(InterfaceName(iid));
        if (call.Blocked())
            return call.Done(call.Injected());
        if (ppv == NULL)
            return call.Done(E_POINTER);
        *ppv = NULL;
        if (outer != NULL)
            return call.Done(CLASS_E_NOAGGREGATION);
        CSimDeviceService* service = new (std::nothrow) CSimDeviceService();
        if (service == NULL)
            return call.Done(E_OUTOFMEMORY);
        call.Out("object=" + service->Name());
        const HRESULT hr = service->QueryObject(iid, ppv);
        service->ReleaseObject();
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

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock)
    {
        s_locks += lock ? 1 : -1;
        JournalLine(SimFormat("IClassFactory.LockServer(%d) -> 0x00000000 locks=%ld", lock ? 1 : 0,
                              s_locks));
        return S_OK;
    }

protected:
    void* Find(REFIID iid)
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
            return static_cast<IClassFactory*>(this);
        return NULL;
    }
};

std::string ClassKey()
{
    wchar_t text[64];
    StringFromGUID2(CLSID_DeviceService, text, 64);
    return "CLSID\\" + AnsiFromWide(text, wcslen(text));
}

std::string ModulePath()
{
    char path[MAX_PATH * 2];
    const DWORD got = GetModuleFileNameA(g_hSimModule, path, sizeof(path));
    if (got == 0 || got >= sizeof(path))
        return std::string();
    return std::string(path, got);
}

LONG SetText(HKEY key, const char* name, const std::string& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_hSimModule = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        JournalLine(SimFormat("live objects: %ld", SimObject::LiveCount()));
        if (reserved == NULL) {
            // Unloaded by FreeLibrary: free everything; a later load starts afresh.
            SimObject::FreeReleased();
            SimModel::Unload();
        }
        JournalClose();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv)
{
    const std::string line = "DllGetClassObject(" + InterfaceName(clsid) + ", " + InterfaceName(iid)
                             + ") -> ";
    if (ppv == NULL) {
        JournalLine(line + HresultText(E_POINTER));
        return E_POINTER;
    }
    *ppv = NULL;
    if (!IsEqualCLSID(clsid, CLSID_DeviceService)) {
        JournalLine(line + HresultText(CLASS_E_CLASSNOTAVAILABLE));
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    CSimClassFactory* factory = new (std::nothrow) CSimClassFactory();
    if (factory == NULL)
        return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryObject(iid, ppv);
    factory->ReleaseObject();
    JournalLine(line + HresultText(hr) + " object=" + factory->Name());
    return hr;
}

STDAPI DllCanUnloadNow()
{
    const HRESULT hr = (SimObject::LiveCount() == 0 && s_locks == 0) ? S_OK : S_FALSE;
    JournalLine(SimFormat("DllCanUnloadNow() -> %s live objects: %ld locks: %ld",
                          HresultText(hr).c_str(), SimObject::LiveCount(), s_locks));
    return hr;
}

// Writes HKCR\CLSID\{class}\InprocServer32 (default value: this DLL's full
// path; ThreadingModel: Apartment). Returns S_OK or SELFREG_E_CLASS.
STDAPI DllRegisterServer()
{
    const std::string path = ModulePath();
    HKEY classKey = NULL;
    HKEY serverKey = NULL;
    LONG result = path.empty() ? ERROR_BAD_PATHNAME
                               : RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, NULL, 0,
                                                 KEY_WRITE, NULL, &classKey, NULL);
    if (result == ERROR_SUCCESS)
        result = SetText(classKey, NULL, kClassDescription);
    if (result == ERROR_SUCCESS)
        result = RegCreateKeyExA(classKey, "InprocServer32", 0, NULL, 0, KEY_WRITE, NULL,
                                 &serverKey, NULL);
    if (result == ERROR_SUCCESS)
        result = SetText(serverKey, NULL, path);
    if (result == ERROR_SUCCESS)
        result = SetText(serverKey, "ThreadingModel", "Apartment");
    if (serverKey != NULL)
        RegCloseKey(serverKey);
    if (classKey != NULL)
        RegCloseKey(classKey);
    const HRESULT hr = result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    JournalLine("DllRegisterServer() -> " + HresultText(hr) + " path=" + JournalText(path));
    return hr;
}

// Removes what DllRegisterServer wrote. Returns S_OK (also when nothing was
// registered) or SELFREG_E_CLASS.
STDAPI DllUnregisterServer()
{
    const std::string key = ClassKey();
    LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    const HRESULT hr = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) ? S_OK
                                                                                    : SELFREG_E_CLASS;
    JournalLine("DllUnregisterServer() -> " + HresultText(hr));
    return hr;
}
