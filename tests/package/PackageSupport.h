// PackageSupport.h - helpers of the package tests: files and folders, the
// registry, Start menu shortcuts, a resource module's texts, and the two
// language entries of prodinfo.ini.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace package
{

// One language the program ships with. The texts a user reads are wide
// strings and are compared as such: spelled out in ANSI they would hold for
// one code page only, and the host's locale chooses the code page that Wine
// gives the program.
struct Language
{
    const char* name;                 // as in the Modules entry: "English", "Deutsch"
    const char* modulesEntry;         // the whole value of ServiceApp= in prodinfo.ini
    const char* module;               // the module, relative to the program's folder
    const wchar_t* startupCaption;    // the start-up dialog's caption, spelled out
    const wchar_t* closeText;         // the sheet's Close button, spelled out
    const wchar_t* shortcut;          // the Start menu shortcut's name the installer gives
};

const Language& English();
const Language& German();

// The files that ship, relative to build/bin and to an installed folder.
const std::vector<std::string>& ShippedFiles();

// build/bin with a trailing backslash.
std::string ShippedDir();
// This program's folder, without a trailing backslash.
std::string ExeDir();

bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);
bool DirExists(const std::string& path);
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// Deletes a folder and everything in it; true when it is gone.
bool DeleteTree(const std::string& dir);
// Copies the shipped files of build/bin into dir (made anew) and writes its
// prodinfo.ini with the language's Modules entry.
bool MakeProgramCopy(const std::string& dir, const Language& language);

// A Windows special folder (CSIDL_...), without a trailing backslash.
std::string SpecialFolder(int csidl);
std::wstring SpecialFolderW(int csidl);
// The target path of a shortcut (.lnk); empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& lnkPath);

bool RegKeyExists(HKEY root, const std::string& subKey);
bool RegValueExists(HKEY root, const std::string& subKey, const char* valueName);
// A REG_SZ value (NULL name: the default value); empty when missing.
std::string RegString(HKEY root, const std::string& subKey, const char* valueName);

// String id of the resource module at path; empty when missing.
std::wstring ModuleText(const std::string& modulePath, UINT id);
// The text of a window of any process.
std::wstring WindowTextW(HWND hWnd);
// An ASCII text as a wide one.
std::wstring Wide(const std::string& ascii);

bool SameText(const std::string& a, const std::string& b);   // case-insensitive
bool SameText(const std::wstring& a, const std::wstring& b);

// Polls pred every 100 ms until it holds or timeoutMs passes; returns pred's last answer.
template <class Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!pred())
    {
        if (::GetTickCount() - start > timeoutMs)
            return pred();
        ::Sleep(100);
    }
    return true;
}

// Keeps Wine from mirroring the Start menu shortcuts that programs save into
// the Linux desktop's menus, until RestoreShortcutMirroring (nothing on Windows).
void KeepShortcutsInsideWine();
void RestoreShortcutMirroring();

} // namespace package
