// PackageSupport.cpp - helpers of the package tests.
#include "PackageSupport.h"

#include <objbase.h>
#include <shlobj.h>

#include "AppDriver.h"

namespace package
{

const Language& English()
{
    static const Language language = {"English", "English,1033,lang\\ServiceRes.dll:1", "lang\\ServiceRes.dll",
                                      L"Service Access", L"Close", L"Device Service"};
    return language;
}

const Language& German()
{
    static const Language language = {"Deutsch", "Deutsch,1031,lang\\de\\ServiceRes.dll:1",
                                      "lang\\de\\ServiceRes.dll", L"Servicezugang", L"Schlie\u00DFen",
                                      L"Ger\u00E4teservice"};
    return language;
}

const std::vector<std::string>& ShippedFiles()
{
    static const std::vector<std::string> files = {"ServiceApp.exe", "DeviceSim.dll", "DeviceIpp.dll",
                                                   "lang\\ServiceRes.dll", "lang\\de\\ServiceRes.dll"};
    return files;
}

std::string ShippedDir()
{
    return e2e::BinDir();
}

std::string ExeDir()
{
    char path[MAX_PATH] = "";
    DWORD n = ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(file, buf, sizeof(buf), &got, NULL) && got > 0)
        bytes.append(buf, got);
    ::CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

bool DeleteTree(const std::string& dir)
{
    if (!DirExists(dir))
        return !FileExists(dir);
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
            {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
    return !DirExists(dir);
}

bool MakeProgramCopy(const std::string& dir, const Language& language)
{
    if (!DeleteTree(dir))
        return false;
    ::CreateDirectoryA(dir.c_str(), NULL);
    ::CreateDirectoryA((dir + "\\lang").c_str(), NULL);
    ::CreateDirectoryA((dir + "\\lang\\de").c_str(), NULL);
    for (const std::string& file : ShippedFiles())
    {
        if (!::CopyFileA((ShippedDir() + file).c_str(), (dir + "\\" + file).c_str(), FALSE))
            return false;
    }
    // Windows line ends, as the profile functions write them.
    return WriteBytes(dir + "\\prodinfo.ini",
                      std::string("[Modules]\r\nServiceApp=") + language.modulesEntry + "\r\n");
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(::SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

std::wstring SpecialFolderW(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

std::wstring ShortcutTarget(const std::wstring& lnkPath)
{
    std::wstring target;
    HRESULT init = ::CoInitialize(NULL);
    IShellLinkW* link = NULL;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link))))
    {
        IPersistFile* file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        {
            wchar_t path[MAX_PATH] = L"";
            if (SUCCEEDED(file->Load(lnkPath.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, NULL, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        ::CoUninitialize();
    return target;
}

bool RegValueExists(HKEY root, const std::string& subKey, const char* valueName)
{
    HKEY key = NULL;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    LONG result = ::RegQueryValueExA(key, valueName, NULL, NULL, NULL, NULL);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& subKey)
{
    HKEY key = NULL;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::string RegString(HKEY root, const std::string& subKey, const char* valueName)
{
    HKEY key = NULL;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    char value[1024] = "";
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    LONG result = ::RegQueryValueExA(key, valueName, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    value[size < sizeof(value) ? size : sizeof(value) - 1] = '\0';
    return value;
}

std::wstring ModuleText(const std::string& modulePath, UINT id)
{
    HMODULE module = ::LoadLibraryExA(modulePath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return std::wstring();
    wchar_t buf[1024] = L"";
    int n = ::LoadStringW(module, id, buf, sizeof(buf) / sizeof(buf[0]));
    ::FreeLibrary(module);
    return n > 0 ? std::wstring(buf, n) : std::wstring();
}

std::wstring WindowTextW(HWND hWnd)
{
    wchar_t buf[1024] = L"";
    // WM_GETTEXT reaches windows of other processes too.
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, sizeof(buf) / sizeof(buf[0]), (LPARAM)buf, SMTO_ABORTIFHUNG, 5000,
                          NULL);
    return buf;
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

bool SameText(const std::string& a, const std::string& b)
{
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

namespace
{
const char kOverridesKey[] = "Software\\Wine\\DllOverrides";
const char kMenuBuilder[] = "winemenubuilder.exe";
bool s_menuBuilderSwitchedOff = false;

bool UnderWine()
{
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}
} // namespace

void KeepShortcutsInsideWine()
{
    // Wine starts winemenubuilder.exe whenever a program saves a shortcut; an
    // empty override in the prefix's registry keeps it from starting. (The
    // environment variable would not do: Wine takes it from the Linux
    // environment only.)
    // An override the prefix already has stays as it is.
    if (!UnderWine() || RegValueExists(HKEY_CURRENT_USER, kOverridesKey, kMenuBuilder))
        return;
    HKEY key = NULL;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kOverridesKey, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    s_menuBuilderSwitchedOff = ::RegSetValueExA(key, kMenuBuilder, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) ==
                               ERROR_SUCCESS;
    ::RegCloseKey(key);
}

void RestoreShortcutMirroring()
{
    if (!s_menuBuilderSwitchedOff)
        return;
    HKEY key = NULL;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kOverridesKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS)
    {
        ::RegDeleteValueA(key, kMenuBuilder);
        ::RegCloseKey(key);
    }
    s_menuBuilderSwitchedOff = false;
}

} // namespace package
