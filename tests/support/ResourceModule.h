// ResourceModule.h - loads the application's resource module for tests.
#pragma once

#include <windows.h>
#include <string>

#include "framework/AfxWnd.h"

namespace testutil
{

// The folder of the running test program, with a trailing backslash.
inline std::string ProgramDir()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

// Test programs live in build/tests, what ships in build/bin.
inline std::string BinDir()
{
    return ProgramDir() + "..\\bin\\";
}

// Loads build/bin/lang/ServiceRes.dll once and makes it the resource handle.
// Returns NULL when it is missing.
inline HINSTANCE UseServiceResources()
{
    static HINSTANCE hRes = ::LoadLibraryA((BinDir() + "lang\\ServiceRes.dll").c_str());
    if (hRes)
        AfxSetResourceHandle(hRes);
    return hRes;
}

inline std::string LoadText(UINT nID)
{
    char buf[1024] = "";
    ::LoadStringA(AfxGetResourceHandle(), nID, buf, sizeof(buf));
    return buf;
}

} // namespace testutil
