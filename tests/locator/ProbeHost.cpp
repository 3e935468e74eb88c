// ProbeHost.cpp - locator_probe_host.exe, a small executable for the locator's
// tests. The tests copy it under the file name they need beside a prodinfo.ini
// of their own and run it; it looks up its own resource module and writes
// what it found, one "key=value" line each, to the file named on its command
// line.
//
//   locator_probe_host load <output file>
//       ReadModuleEntry, GetResourceModulePath and LoadResourceModule for this
//       executable, with the current directory before and after the load and,
//       when a probe module was loaded, the directory and error mode it saw.
//   locator_probe_host tokenizer <output file>
//       NextToken(NULL, ...) before any string was ever given.
#include "app/ResourceLocator.h"

#include <stdio.h>
#include <string.h>

typedef const char* (*ProbeLoadDirectoryFn)(void);
typedef UINT (*ProbeLoadErrorModeFn)(void);

static void WriteLoadReport(FILE* f)
{
    HINSTANCE hSelf = GetModuleHandleA(NULL);
    char sz[MAX_PATH];

    GetModuleFileNameA(hSelf, sz, MAX_PATH);
    fprintf(f, "self=%s\n", sz);

    ModuleEntry entry;
    BOOL bRead = ReadModuleEntry(hSelf, &entry);
    fprintf(f, "read=%d\n", bRead ? 1 : 0);
    if (bRead)
    {
        fprintf(f, "name=%s\n", entry.szName);
        fprintf(f, "number=%d\n", entry.nNumber);
        fprintf(f, "path=%s\n", entry.szPath);
        fprintf(f, "use=%d\n", entry.bUseModule);
    }

    BOOL bUse = GetResourceModulePath(hSelf, sz, MAX_PATH);
    fprintf(f, "getpath=%d\n", bUse ? 1 : 0);
    fprintf(f, "getpath_out=%s\n", sz);

    GetCurrentDirectoryA(MAX_PATH, sz);
    fprintf(f, "cwd_before=%s\n", sz);
    HINSTANCE hModule = LoadResourceModule(hSelf);
    GetCurrentDirectoryA(MAX_PATH, sz);
    fprintf(f, "cwd_after=%s\n", sz);

    if (hModule == hSelf)
    {
        fprintf(f, "result=self\n");
    }
    else if (hModule == NULL)
    {
        fprintf(f, "result=null\n");
    }
    else
    {
        fprintf(f, "result=module\n");
        GetModuleFileNameA(hModule, sz, MAX_PATH);
        fprintf(f, "module_file=%s\n", sz);
        ProbeLoadDirectoryFn pfnDir = (ProbeLoadDirectoryFn)(void*)GetProcAddress(hModule, "ProbeLoadDirectory");
        ProbeLoadErrorModeFn pfnMode = (ProbeLoadErrorModeFn)(void*)GetProcAddress(hModule, "ProbeLoadErrorMode");
        if (pfnDir != NULL)
            fprintf(f, "load_dir=%s\n", pfnDir());
        if (pfnMode != NULL)
            fprintf(f, "load_error_mode=%u\n", pfnMode());
    }
    fprintf(f, "free=%d\n", FreeResourceModule(hSelf, hModule));
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    FILE* f = fopen(argv[2], "w");
    if (f == NULL)
        return 3;

    int nExit = 0;
    if (strcmp(argv[1], "load") == 0)
    {
        WriteLoadReport(f);
    }
    else if (strcmp(argv[1], "tokenizer") == 0)
    {
        LPSTR psz = NextToken(NULL, ',');
        fprintf(f, "before_any=%s\n", psz == NULL ? "null" : "text");
    }
    else
    {
        nExit = 4;
    }
    fprintf(f, "done=1\n");
    fclose(f);
    return nExit;
}
