// ComServer.cpp - ComClassFactory, the server's description and module, and
// the work of DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer.
#include "comserver/ComServer.h"

#include "comserver/ComJournal.h"

#include <olectl.h>

#include <new>
#include <vector>

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

// The default value of HKCR\<key> as a path (REG_EXPAND_SZ expanded, one pair
// of enclosing quotes removed). Returns ERROR_SUCCESS, ERROR_FILE_NOT_FOUND
// when the key or value is missing, or another error.
LONG ReadServerPath(const std::string& key, std::string& path)
{
    path.clear();
    HKEY opened = NULL;
    LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD type = 0;
    DWORD size = 0;
    result = RegQueryValueExA(opened, NULL, NULL, &type, NULL, &size);
    std::vector<char> data(size + 2, '\0');
    if (result == ERROR_SUCCESS) {
        size = static_cast<DWORD>(data.size() - 2);
        result = RegQueryValueExA(opened, NULL, NULL, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    }
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_FILE_NOT_FOUND;
    std::string text(&data[0]);     // the data may or may not end in a NUL
    if (type == REG_EXPAND_SZ) {
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), NULL, 0);
        std::vector<char> expanded(needed + 1, '\0');
        if (needed > 0
            && ExpandEnvironmentStringsA(text.c_str(), &expanded[0], static_cast<DWORD>(expanded.size())) > 0)
            text = &expanded[0];
    }
    if (text.size() >= 2 && text[0] == '"' && text[text.size() - 1] == '"')
        text = text.substr(1, text.size() - 2);
    path = text;
    return ERROR_SUCCESS;
}

// The identity of a file (volume and file index), for telling whether two
// paths name the same file (another case, a short name, a relative path).
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const BOOL got = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return got != FALSE;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    if (lstrcmpiA(a.c_str(), b.c_str()) == 0)
        return true;
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION other;
    return FileIdentity(a, one) && FileIdentity(b, other)
           && one.dwVolumeSerialNumber == other.dwVolumeSerialNumber
           && one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
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

// HKEY_CLASSES_ROOT is written as regsvr32 and installers expect: run by an
// administrator the keys go to the machine's classes (HKLM\Software\Classes),
// unless the class already has keys among the user's own classes
// (HKCU\Software\Classes), which then take the values.
HRESULT ComServerRegister()
{
    const std::string path = ComModulePath();
    std::string previous;
    if (s_server != NULL)
        ReadServerPath(ClassKey() + "\\InprocServer32", previous);
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
    std::string line = "DllRegisterServer() -> " + HresultText(hr) + " path=" + JournalText(path);
    if (!previous.empty() && !SameFile(previous, path))
        line += " replaced=" + JournalText(previous);
    JournalLine(line);
    return hr;
}

HRESULT ComServerUnregister()
{
    if (s_server == NULL)
        return SELFREG_E_CLASS;
    const std::string key = ClassKey();
    std::string registered;
    LONG result = ReadServerPath(key + "\\InprocServer32", registered);
    if (result == ERROR_FILE_NOT_FOUND) {
        JournalLine("DllUnregisterServer() -> " + HresultText(S_OK) + " (not registered)");
        return S_OK;
    }
    if (result == ERROR_SUCCESS && !SameFile(registered, ComModulePath())) {
        JournalLine("DllUnregisterServer() -> " + HresultText(S_OK) + " registered="
                    + JournalText(registered) + " (another DLL's; left)");
        return S_OK;
    }
    if (result == ERROR_SUCCESS)
        result = RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    const HRESULT hr = (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) ? S_OK
                                                                                    : SELFREG_E_CLASS;
    JournalLine("DllUnregisterServer() -> " + HresultText(hr));
    return hr;
}
