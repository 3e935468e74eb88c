// ProbeModule.cpp - locator_probe_module.dll, a stand-in resource module for
// the locator's tests. When it is loaded it records the process's current
// directory and error mode, so a test can see the state the load ran in.
#include <windows.h>

static char s_szLoadDirectory[MAX_PATH];
static UINT s_uLoadErrorMode = 0xFFFFFFFF;

// Returns the current directory at the moment the module was loaded ("" when
// it could not be read).
extern "C" __declspec(dllexport) const char* ProbeLoadDirectory(void)
{
    return s_szLoadDirectory;
}

// Returns the process's error mode at the moment the module was loaded.
extern "C" __declspec(dllexport) UINT ProbeLoadErrorMode(void)
{
    return s_uLoadErrorMode;
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    (void)hInstance;
    (void)pReserved;
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        DWORD n = GetCurrentDirectoryA(MAX_PATH, s_szLoadDirectory);
        if (n == 0 || n >= MAX_PATH)
            s_szLoadDirectory[0] = '\0';
        s_uLoadErrorMode = SetErrorMode(0);
        SetErrorMode(s_uLoadErrorMode);
    }
    return TRUE;
}
