// ResourceLocatorTypes.h - the Win32 types and calls that the locator's
// string and path routines use.
//
// On Windows this is <windows.h>. Elsewhere (the native fuzzing build of
// tests/fuzz, compiled with clang on Linux) it supplies the handful of names
// those routines need, with the same meaning, so that ParseModuleEntry,
// NextToken, the trimming and copying routines, FindLastBackslash and
// MakePathBesideFile compile from the one source, app/ResourceLocator.cpp.
// The routines that need the system (the executable's path, prodinfo.ini,
// loading, the current directory) are left out of such a build.
#pragma once

#ifdef _WIN32

#include <windows.h>

#else

#include <stdint.h>
#include <string.h>

typedef int BOOL;                   // 32 bits, as on Windows
typedef uint32_t DWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// lstrlenA: a NULL string has length 0.
inline int lstrlenA(LPCSTR psz)
{
    return psz == NULL ? 0 : (int)strlen(psz);
}

inline void ZeroMemory(void* p, size_t cb)
{
    memset(p, 0, cb);
}

#endif
