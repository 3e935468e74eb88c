// IniHost.cpp - locator_ini_host.dll, an empty module for IniTests.cpp: one
// copy stands for the executable whose prodinfo.ini is looked up, another for
// the resource module that the file names.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    (void)hInstance;
    (void)dwReason;
    (void)pReserved;
    return TRUE;
}
