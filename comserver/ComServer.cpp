// ComServer.cpp - ComClassFactory, the server's description and module, and
// the work of DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer.
#include "comserver/ComServer.h"

#include "comserver/ComJournal.h"

#include <olectl.h>

#include <new>

namespace {

const ComServerInfo* s_server = NULL;
HMODULE s_module = NULL;
long s_locks = 0;

// "CLSID\{...}" of the server's class.
std::string ClassKey()
{
    wchar_t text[64];
    StringFromGUID2(*s_server->clsid, text, 64);
    return "CLSID\\" + AnsiFromWide(text, wcslen(text));
}

LONG SetText(HKEY key, const char* name, const std::string& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

} // namespace

// ---------------------------------------------------------------------------
// ComClassFactory
// ---------------------------------------------------------------------------

ComClassFactory::ComClassFactory()
    : ComObject("ClassFactory")
{
}

void* ComClassFactory::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
        return static_cast<IClassFactory*>(this);
    return NULL;
}

HRESULT ComClassFactory::MakeInstance(ComCall& call, IUnknown* outer, REFIID iid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    *ppv = NULL;
    if (outer != NULL)
        return CLASS_E_NOAGGREGATION;
    ComObject* made = NewObject();
    if (made == NULL)
        return E_OUTOFMEMORY;
    call.Out("object=" + made->Name());
    const HRESULT hr = made->QueryObject(iid, ppv);
    made->ReleaseObject();
    return hr;
}

HRESULT ComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
{
    ComCall call(this, "IClassFactory.CreateInstance");
    call.ArgName(InterfaceName(iid));
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    return call.Done(MakeInstance(call, outer, iid, ppv));
}

HRESULT ComClassFactory::LockServer(BOOL lock)
{
    s_locks += lock ? 1 : -1;
    JournalLine(ComFormat("IClassFactory.LockServer(%d) -> 0x00000000 locks=%ld", lock ? 1 : 0,
                          s_locks));
    return S_OK;
}

long ComClassFactory::Locks()
{
    return s_locks;
}

// ---------------------------------------------------------------------------
// The server
// ---------------------------------------------------------------------------

const ComServerInfo* ComServer()
{
    return s_server;
}

HMODULE ComServerModule()
{
    return s_module;
}

void ComServerAttach(HINSTANCE module, const ComServerInfo* server)
{
    s_module = module;
    s_server = server;
    DisableThreadLibraryCalls(module);
}

void ComServerDetach(bool freed)
{
    JournalLine(ComFormat("live objects: %ld", ComObject::LiveCount()));
    if (freed) {
        // Unloaded by FreeLibrary: free everything; a later load starts afresh.
        ComObject::FreeReleased();
        if (s_server != NULL && s_server->unload != NULL)
            s_server->unload();
    }
    JournalClose();
}

HRESULT ComServerGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    const std::string line = "DllGetClassObject(" + InterfaceName(clsid) + ", " + InterfaceName(iid)
                             + ") -> ";
    if (ppv == NULL) {
        JournalLine(line + HresultText(E_POINTER));
        return E_POINTER;
    }
    *ppv = NULL;
    if (s_server == NULL || !IsEqualCLSID(clsid, *s_server->clsid)) {
        JournalLine(line + HresultText(CLASS_E_CLASSNOTAVAILABLE));
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    ComClassFactory* factory = s_server->makeFactory();
    if (factory == NULL)
        return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryObject(iid, ppv);
    // A factory refused here is kept among the released objects: its name
    // stays readable.
    factory->ReleaseObject();
    JournalLine(line + HresultText(hr) + " object=" + factory->Name());
    return hr;
}

HRESULT ComServerCanUnloadNow()
{
    const HRESULT hr = (ComObject::LiveCount() == 0 && s_locks == 0) ? S_OK : S_FALSE;
    JournalLine(ComFormat("DllCanUnloadNow() -> %s live objects: %ld locks: %ld",
                          HresultText(hr).c_str(), ComObject::LiveCount(), s_locks));
    return hr;
}

// Writes HKCR\CLSID\{class}\InprocServer32 (default value: this DLL's full
// path; ThreadingModel: the server's).
HRESULT ComServerRegister()
{
    const std::string path = ComModulePath();
    HKEY classKey = NULL;
    HKEY serverKey = NULL;
    LONG result = (path.empty() || s_server == NULL)
                      ? ERROR_BAD_PATHNAME
                      : RegCreateKeyExA(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, NULL, 0, KEY_WRITE,
                                        NULL, &classKey, NULL);
    if (result == ERROR_SUCCESS)
        result = SetText(classKey, NULL, s_server->description);
    if (result == ERROR_SUCCESS)
        result = RegCreateKeyExA(classKey, "InprocServer32", 0, NULL, 0, KEY_WRITE, NULL,
                                 &serverKey, NULL);
    if (result == ERROR_SUCCESS)
        result = SetText(serverKey, NULL, path);
    if (result == ERROR_SUCCESS)
        result = SetText(serverKey, "ThreadingModel", s_server->threadingModel);
    if (serverKey != NULL)
        RegCloseKey(serverKey);
    if (classKey != NULL)
        RegCloseKey(classKey);
    const HRESULT hr = result == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
    JournalLine("DllRegisterServer() -> " + HresultText(hr) + " path=" + JournalText(path));
    return hr;
}

HRESULT ComServerUnregister()
{
    if (s_server == NULL)
        return SELFREG_E_CLASS;
    const std::string key = ClassKey();
    LONG result = RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    const HRESULT hr = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) ? S_OK
                                                                                    : SELFREG_E_CLASS;
    JournalLine("DllUnregisterServer() -> " + HresultText(hr));
    return hr;
}
