// ResourceLocator.h - ModuleEntry and the resource module locator.
//
// The executable carries only its icon; dialogs, strings and bitmaps live in a
// localised resource module below the executable's directory. prodinfo.ini
// beside the executable names it, in section [Modules] under the executable's
// file name without its last extension:
//
//     SVCAPP07=Sample,1,res\module.dll:1
//              name   number  relative path : use flag
//
// LoadResourceModule loads that module with the current directory set to the
// module's own directory and returns its handle; in every bad case (no file,
// no key, flag 0, path too long, load failure, no memory) it returns the
// executable's own instance handle, without a message.
//
// The string routines work in place on NUL-terminated 8-bit strings. Buffer
// sizes are 16-bit signed counts: a size is cut to 16 bits before use, and a
// size that is then not positive means "no room". Work buffers come from
// LocalAlloc(LPTR) and are freed before return. Called on the GUI thread only:
// NextToken keeps one position for the whole program, so parsing is not
// reentrant.
//
// The string and path routines need nothing of the system and also build
// natively off Windows (ResourceLocatorTypes.h), for the fuzzing of
// tests/fuzz; the routines that load, read prodinfo.ini or change directories
// exist on Windows only.
#pragma once

#include "app/ResourceLocatorTypes.h"

// One parsed value of the [Modules] section.
struct ModuleEntry
{
    short nNumber;          // field 2 (atoi, kept in 16 bits); not used by the program
    char  szName[50];       // field 1; not used by the program
    char  szPath[260];      // field 3; after ReadModuleEntry the full path of the module
    BOOL  bUseModule;       // field 4: 1 when non-zero, else 0
};

// Splits "name,number,path:flag" (pszValue is modified) into pEntry, which is
// zeroed first. Fields 1 to 3 lose their surrounding spaces.
void ParseModuleEntry(LPSTR pszValue, ModuleEntry* pEntry);

// Returns the index of the last backslash of psz, or 0 when psz is NULL, has
// no backslash, has a colon after its last backslash, or its last backslash is
// at index 0.
short FindLastBackslash(LPCSTR psz);

// Composes the directory of pszFile (a file's full path) + "\" + pszRelative
// in pszOut (cchOut characters); pszOut may be pszFile itself, pszRelative
// must not overlap it. Returns the length of that path, or 0 when an argument
// is bad or it does not fit; when it does not fit but pszFile does, pszOut
// becomes "<directory>\?", a path that loads nothing. When pszFile is empty
// or does not fit, pszOut becomes "". MakePathBesideModule is this with the
// executable's path.
short MakePathBesideFile(LPCSTR pszFile, LPCSTR pszRelative, LPSTR pszOut, int cchOut);

// What ReadModuleEntry does with a parsed entry: keeps at most 49 characters
// of pEntry->szPath (the relative path) and makes it the full path beside
// pszFile (the executable's path), as MakePathBesideFile composes it into
// szPath. Returns MakePathBesideFile's result.
short PlaceModuleEntry(LPCSTR pszFile, ModuleEntry* pEntry);

// The program's one tokenizer. A non-NULL psz restarts it there; NULL goes on
// from the kept position. Returns the token up to the next chDelimiter (which
// becomes NUL) or to the end of the string; empty tokens come back as "", and
// once the end is reached every call returns "". Returns NULL only when psz
// is NULL and no string was ever given. The kept position points into the
// last string given: go on with NULL only while that string lives.
LPSTR NextToken(LPSTR psz, char chDelimiter);

// Overwrite spaces (0x20 only, not tabs) at the end with NUL. Return psz
// (NULL for NULL).
LPSTR TrimTrailingSpaces(LPSTR psz);

// Move the text after leading spaces (0x20 only) to the front. Return psz
// (NULL for NULL).
LPSTR TrimLeadingSpaces(LPSTR psz);

// Copy pszSrc with its NUL, at most cchDst characters; when the source is
// longer, character cchDst - 1 becomes NUL. A NULL source gives "". A count
// that is not positive writes nothing. Returns pszDst.
LPSTR CopyBounded(LPSTR pszDst, LPCSTR pszSrc, int cchDst);

#ifdef _WIN32

// Called at start-up. Returns the loaded resource module, or hInstance when no
// module is configured for use or it cannot be loaded.
HINSTANCE LoadResourceModule(HINSTANCE hInstance);

// Called at exit. Frees nothing (the module stays until the process ends);
// returns 0.
int FreeResourceModule(HINSTANCE hInstance, HINSTANCE hResource);

// Returns TRUE when a module is configured for use. pszPath (when not NULL and
// nPathSize is positive) receives the module's full path, or the executable's
// own path when the result is FALSE.
BOOL GetResourceModulePath(HINSTANCE hInstance, LPSTR pszPath, int nPathSize);

// Reads and parses the executable's key from prodinfo.ini beside it; szPath
// becomes the executable's directory + the relative path (at most 49
// characters of it). Returns TRUE when the key was found and parsed; pEntry is
// left alone otherwise.
BOOL ReadModuleEntry(HINSTANCE hInstance, ModuleEntry* pEntry);

// Loads pszPath with the current directory switched to the module's own drive
// and directory, and the system's error boxes suppressed; the previous current
// directory is restored afterwards. Returns LoadLibraryA's handle, NULL on
// failure.
HINSTANCE LoadModuleInItsDirectory(LPCSTR pszPath);

// nMode 1: change to pszDir (its drive first when it starts with "X:"); a
// failed change leaves the current directory, drive included, where it was.
// Any other nMode: store the current directory in pszDir (cchDir characters).
// Returns 0 on success, 1 on failure.
int SwitchDirectory(int nMode, LPSTR pszDir, int cchDir);

// Composes the executable's directory + "\" + pszRelative in pszOut (cchOut
// characters). Returns the length of that path, or 0 when an argument is bad
// or it does not fit; when it does not fit but the executable's path does,
// pszOut becomes "<directory>\?", a path that loads nothing. When not even
// the executable's path fits, pszOut becomes "".
short MakePathBesideModule(HINSTANCE hInstance, LPCSTR pszRelative, LPSTR pszOut, int cchOut);

#endif // _WIN32
