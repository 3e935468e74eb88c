// ResourceLocator.cpp - the resource module locator (LoadResourceModule and
// its string and path routines). See ResourceLocator.h for the prodinfo.ini
// entry it reads.
//
// The first part, the string and path routines and the parsing of an entry,
// uses nothing of the system and also builds natively (tests/fuzz); the
// second part, from "loading" on, needs the system and is Windows only.
#include "app/ResourceLocator.h"

#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <ctype.h>
#include <direct.h>
#endif

namespace
{
const int kPathChars = 260;         // one path buffer (MAX_PATH)
const int kRelativeChars = 50;      // the relative path keeps at most 49 characters

// The tokenizer's position, shared by every caller of NextToken.
LPSTR s_pszNextToken = NULL;

// Sizes are 16-bit signed counts.
short Count16(int n)
{
    return (short)n;
}
} // namespace

// --- parsing ---------------------------------------------------------------

void ParseModuleEntry(LPSTR pszValue, ModuleEntry* pEntry)
{
    if (pEntry == NULL)
        return;
    if (pszValue == NULL)
    {
        // No value: nothing to use (and no stale tokenizer position to follow).
        ZeroMemory(pEntry, sizeof(*pEntry));
        return;
    }

    LPSTR pszName = TrimLeadingSpaces(TrimTrailingSpaces(NextToken(pszValue, ',')));
    LPSTR pszNumber = TrimLeadingSpaces(TrimTrailingSpaces(NextToken(NULL, ',')));
    LPSTR pszPath = TrimLeadingSpaces(TrimTrailingSpaces(NextToken(NULL, ',')));

    ZeroMemory(pEntry, sizeof(*pEntry));
    CopyBounded(pEntry->szName, pszName, (int)sizeof(pEntry->szName));
    pEntry->nNumber = (short)atoi(pszNumber);
    CopyBounded(pEntry->szPath, pszPath, (int)sizeof(pEntry->szPath));

    if (pEntry->szPath[0] != '\0')
    {
        // The first colon ends the path; the use flag follows it. Without a
        // colon the flag is empty and the module is not used.
        NextToken(pEntry->szPath, ':');
        LPSTR pszFlag = NextToken(NULL, ',');
        if (pszFlag != NULL)
            pEntry->bUseModule = atoi(pszFlag) != 0 ? 1 : 0;
    }
}

short PlaceModuleEntry(LPCSTR pszFile, ModuleEntry* pEntry)
{
    if (pEntry == NULL)
        return 0;
    char szRelative[kRelativeChars];
    CopyBounded(szRelative, pEntry->szPath, kRelativeChars);
    return MakePathBesideFile(pszFile, szRelative, pEntry->szPath, kPathChars);
}

// --- paths -----------------------------------------------------------------

short FindLastBackslash(LPCSTR psz)
{
    if (psz == NULL)
        return 0;
    int i = lstrlenA(psz);
    while (i > 0 && psz[i] != '\\' && psz[i] != ':')
        --i;
    return psz[i] == '\\' ? (short)i : 0;
}

short MakePathBesideFile(LPCSTR pszFile, LPCSTR pszRelative, LPSTR pszOut, int cchOut)
{
    short cch = Count16(cchOut);
    if (pszRelative == NULL || pszOut == NULL || cch <= 0)
        return 0;

    // A cut path would give the wrong directory.
    int nFile = lstrlenA(pszFile);
    if (nFile == 0 || nFile >= cch)
    {
        pszOut[0] = '\0';
        return 0;
    }
    if (pszOut != pszFile)
        CopyBounded(pszOut, pszFile, cch);
    int nName = FindLastBackslash(pszOut) + 1;          // where the file name starts
    int nTotal = nName + lstrlenA(pszRelative);         // 32 bits: a huge name cannot wrap

    if (nTotal < cch)
    {
        CopyBounded(pszOut + nName, pszRelative, cch - nName);
        return (short)nTotal;
    }
    // Too long: a file name that no file can have, so the load fails.
    if (nName < cch)
        CopyBounded(pszOut + nName, "?", cch - nName);
    return 0;
}

// --- strings ---------------------------------------------------------------

LPSTR NextToken(LPSTR psz, char chDelimiter)
{
    if (psz != NULL)
        s_pszNextToken = psz;
    if (s_pszNextToken == NULL)
        return NULL;

    LPSTR pszToken = s_pszNextToken;
    LPSTR p = pszToken;
    while (*p != '\0' && *p != chDelimiter)
        ++p;
    if (*p != '\0')
    {
        *p = '\0';
        s_pszNextToken = p + 1;
    }
    else
    {
        s_pszNextToken = p;     // stays on the NUL: further tokens are ""
    }
    return pszToken;
}

LPSTR TrimTrailingSpaces(LPSTR psz)
{
    if (psz == NULL)
        return NULL;
    for (int i = lstrlenA(psz) - 1; i >= 0 && psz[i] == ' '; --i)
        psz[i] = '\0';
    return psz;
}

LPSTR TrimLeadingSpaces(LPSTR psz)
{
    if (psz == NULL)
        return NULL;
    int nSpaces = 0;
    while (psz[nSpaces] == ' ')
        ++nSpaces;
    if (nSpaces > 0)
        memmove(psz, psz + nSpaces, strlen(psz + nSpaces) + 1);
    return psz;
}

LPSTR CopyBounded(LPSTR pszDst, LPCSTR pszSrc, int cchDst)
{
    if (pszDst == NULL)
        return NULL;
    short cch = Count16(cchDst);
    if (cch <= 0)
        return pszDst;
    if (pszSrc == NULL)
        pszSrc = "";

    int i = 0;
    while (i < cch - 1 && pszSrc[i] != '\0')
    {
        pszDst[i] = pszSrc[i];
        ++i;
    }
    pszDst[i] = '\0';
    return pszDst;
}

// --- loading (Windows only) ------------------------------------------------

#ifdef _WIN32

namespace
{
const int kValueChars = 256;        // one value of prodinfo.ini

const char kIniFileName[] = "prodinfo.ini";
const char kIniSection[] = "Modules";

// Writes the path of hInstance's file to psz (cch characters, cch > 0), always
// NUL-terminated. Returns the number of characters written, 0 on failure.
DWORD GetModulePath(HINSTANCE hInstance, LPSTR psz, short cch)
{
    psz[0] = '\0';
    DWORD n = GetModuleFileNameA(hInstance, psz, (DWORD)cch);
    psz[cch - 1] = '\0';        // older systems do not terminate a cut path
    if (n == 0)
        psz[0] = '\0';
    return n;
}

// Writes the path of hInstance's file to psz (cch characters, cch > 0).
// Returns TRUE when it is whole; a cut path gives "" and FALSE.
BOOL GetWholeModulePath(HINSTANCE hInstance, LPSTR psz, short cch)
{
    DWORD n = GetModulePath(hInstance, psz, cch);
    if (n == 0 || n >= (DWORD)cch)
    {
        psz[0] = '\0';
        return FALSE;
    }
    return TRUE;
}
} // namespace

HINSTANCE LoadResourceModule(HINSTANCE hInstance)
{
    LPSTR pszPath = (LPSTR)LocalAlloc(LPTR, kPathChars);
    if (pszPath == NULL)
        return hInstance;

    HINSTANCE hResult = hInstance;
    if (GetResourceModulePath(hInstance, pszPath, kPathChars))
    {
        HINSTANCE hModule = LoadModuleInItsDirectory(pszPath);
        if ((UINT_PTR)hModule > 32)
            hResult = hModule;
    }
    LocalFree(pszPath);
    return hResult;
}

int FreeResourceModule(HINSTANCE hInstance, HINSTANCE hResource)
{
    // The module stays loaded until the process ends.
    (void)hInstance;
    (void)hResource;
    return 0;
}

BOOL GetResourceModulePath(HINSTANCE hInstance, LPSTR pszPath, int nPathSize)
{
    ModuleEntry entry;
    BOOL bResult = ReadModuleEntry(hInstance, &entry) ? entry.bUseModule : FALSE;

    short cch = Count16(nPathSize);
    if (pszPath == NULL || cch <= 0)
        return bResult;

    if (bResult)
        CopyBounded(pszPath, entry.szPath, cch);
    else
        GetModulePath(hInstance, pszPath, cch);
    return bResult;
}

BOOL ReadModuleEntry(HINSTANCE hInstance, ModuleEntry* pEntry)
{
    if (pEntry == NULL)
        return FALSE;
    // First half: the executable's path, then the INI file's path, then the
    // executable's path again. Second half: the key.
    LPSTR pszIni = (LPSTR)LocalAlloc(LPTR, 2 * kPathChars);
    if (pszIni == NULL)
        return FALSE;
    LPSTR pszKey = pszIni + kPathChars;

    GetModulePath(hInstance, pszIni, kPathChars);
    short n = FindLastBackslash(pszIni);
    if (n <= 0)
    {
        LocalFree(pszIni);
        return FALSE;
    }

    // The key is the file name without its last extension.
    CopyBounded(pszKey, pszIni + n + 1, kPathChars);
    for (int i = lstrlenA(pszKey) - 1; i >= 0; --i)
    {
        if (pszKey[i] == '.')
        {
            pszKey[i] = '\0';
            break;
        }
    }
    CopyBounded(pszIni + n + 1, kIniFileName, kPathChars - (n + 1));

    LPSTR pszValue = (LPSTR)LocalAlloc(LPTR, kValueChars);
    if (pszValue == NULL)
    {
        LocalFree(pszIni);
        return FALSE;
    }

    BOOL bResult = FALSE;
    if (GetPrivateProfileStringA(kIniSection, pszKey, "", pszValue, kValueChars, pszIni) != 0)
    {
        ParseModuleEntry(pszValue, pEntry);
        // The module lies beside the executable. A cut path of the
        // executable gives an empty path; a path that does not fit becomes
        // "<directory>\?". Either fails to load; the entry still counts as
        // read.
        GetWholeModulePath(hInstance, pszIni, kPathChars);
        PlaceModuleEntry(pszIni, pEntry);
        bResult = TRUE;
    }

    LocalFree(pszValue);
    LocalFree(pszIni);
    return bResult;
}

short MakePathBesideModule(HINSTANCE hInstance, LPCSTR pszRelative, LPSTR pszOut, int cchOut)
{
    short cch = Count16(cchOut);
    if (pszRelative == NULL || pszOut == NULL || cch <= 0)
        return 0;

    // A cut path of the executable would give the wrong directory.
    if (!GetWholeModulePath(hInstance, pszOut, cch))
        return 0;
    return MakePathBesideFile(pszOut, pszRelative, pszOut, cch);
}

HINSTANCE LoadModuleInItsDirectory(LPCSTR pszPath)
{
    if (pszPath == NULL)
        return NULL;

    // No "insert a disk" or "file not found" boxes while the module loads.
    UINT uPrevMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    HINSTANCE hModule = NULL;
    LPSTR pszSaved = (LPSTR)LocalAlloc(LPTR, 2 * kPathChars);
    if (pszSaved != NULL)
    {
        LPSTR pszDir = pszSaved + kPathChars;
        bool bSaved = SwitchDirectory(0, pszSaved, kPathChars) == 0;

        // The module's directory: cut the path at its last separator. A drive
        // ("X:" or "X:\") keeps its colon and root backslash; any other
        // directory loses the trailing backslash. Without a separator the path
        // stays whole and changing to it fails.
        CopyBounded(pszDir, pszPath, kPathChars);
        for (int i = lstrlenA(pszDir); i >= 1; --i)
        {
            if (pszDir[i] == ':')
            {
                pszDir[i + 1] = '\0';
                break;
            }
            if (pszDir[i] == '\\')
            {
                if (pszDir[i - 1] == ':')
                    pszDir[i + 1] = '\0';
                else
                    pszDir[i] = '\0';
                break;
            }
        }

        // A failed change leaves the current directory alone; the load goes on.
        SwitchDirectory(1, pszDir, kPathChars);
        hModule = LoadLibraryA(pszPath);

        // When the current directory could not be read, the buffer holds
        // nothing worth changing to (empty or garbage): stay where the load
        // left us rather than guess.
        if (bSaved)
            SwitchDirectory(1, pszSaved, kPathChars);
        LocalFree(pszSaved);
    }

    SetErrorMode(uPrevMode);
    return hModule;
}

int SwitchDirectory(int nMode, LPSTR pszDir, int cchDir)
{
    if (pszDir == NULL)
        return 1;

    if (nMode == 1)
    {
        char szBefore[kPathChars];
        bool bChangedDrive = false;
        if (pszDir[0] != '\0' && pszDir[1] == ':')
        {
            // Drive A is 1. Only letters name drives.
            int nDrive = toupper((unsigned char)pszDir[0]) - 64;
            if (nDrive >= 1 && nDrive <= 26)
            {
                bChangedDrive = _getcwd(szBefore, kPathChars) != NULL;
                _chdrive(nDrive);
            }
        }
        if (_chdir(pszDir) == 0)
            return 0;
        // A failed change leaves the current directory where it was, drive
        // included.
        if (bChangedDrive)
            _chdir(szBefore);
        return 1;
    }

    short cch = Count16(cchDir);
    if (cch <= 0)
        return 1;
    return _getcwd(pszDir, cch) == NULL ? 1 : 0;
}

#endif // _WIN32
