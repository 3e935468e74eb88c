// InstallerTests.cpp - the NSIS installer (installer/ServiceApp.nsi), built by
// this build into build/tests/package/ServiceApp-Setup.exe: a silent install
// puts the shipped files (both device services among them) under Program
// Files, writes the Modules entry of the chosen language, registers the
// chosen device service (the simulator unless /SERVICE=ipp), adds the Start
// menu shortcut and the uninstall entry; the program starts from the
// installed folder; a silent uninstall unregisters it and leaves nothing
// behind.
//
// Runs alone (RUN_SERIAL): it re-registers the simulator's class, which the
// end-to-end tests use too, and restores build/bin's registration at the end.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include "AppDriver.h"
#include "PackageSupport.h"
#include "lang/ServiceRes.h"

#include <string>

using namespace e2e;
using namespace package;

namespace
{

const DWORD kTimeout = 15000;
const DWORD kSetupTimeout = 180000;
const std::string kClassKey = "CLSID\\{34875DA5-4E84-11D3-A43A-0060B0F8AA86}";
const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ServiceApp";
const std::string kAppKey = "Software\\ServiceApp";

std::string SetupExe()
{
    return ExeDir() + "\\package\\ServiceApp-Setup.exe";
}

std::string Upper(std::string s)
{
    ::CharUpperBuffA(&s[0], (DWORD)s.size());
    return s;
}

std::wstring ShortcutPath(const Language& language)
{
    return SpecialFolderW(CSIDL_COMMON_PROGRAMS) + L"\\" + language.shortcut + L".lnk";
}

// The process that started process pid; 0 when it is not known.
DWORD ParentOf(DWORD pid)
{
    DWORD parent = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == pid)
            parent = entry.th32ParentProcessID;
    ::CloseHandle(snapshot);
    return parent;
}

struct StartupSearch
{
    const Language* language;
    HWND found;
};

BOOL CALLBACK FindStartupDialogProc(HWND h, LPARAM lParam)
{
    StartupSearch* search = (StartupSearch*)lParam;
    if (ClassName(h) == "#32770" && ::IsWindowVisible(h) && WindowTextW(h) == search->language->startupCaption)
        search->found = h;
    return search->found == NULL;
}

// The visible start-up dialog of any process, titled for the language.
HWND FindStartupDialog(const Language& language)
{
    StartupSearch search = {&language, NULL};
    ::EnumWindows(FindStartupDialogProc, (LPARAM)&search);
    return search.found;
}

// Lists what is left in a folder, for failure messages.
std::string Listing(const std::string& dir)
{
    std::string out;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return out;
    do
    {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        out += " " + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            out += "\\{" + Listing(dir + "\\" + name) + " }";
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return out;
}

class Installer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        KeepShortcutsInsideWine();
        s_previousServer = RegString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", NULL);
    }

    static void TearDownTestSuite()
    {
        RestoreShortcutMirroring();
        // Give the class back to the simulator that served it before.
        if (!s_previousServer.empty() && FileExists(s_previousServer))
            RunAndWait("regsvr32 /s \"" + s_previousServer + "\"");
    }

    void SetUp() override
    {
        ASSERT_TRUE(FileExists(SetupExe())) << SetupExe() << " was not built (CMake target package_test_installer)";
    }

    // Removes an installation a broken earlier run may have left in dir.
    static void RemoveLeftovers(const std::string& dir)
    {
        if (FileExists(dir + "\\Uninstall.exe"))
        {
            RunAndWait("\"" + dir + "\\Uninstall.exe\" /S", kSetupTimeout);
            WaitUntil([&] { return !DirExists(dir); }, 60000);
        }
        DeleteTree(dir);
        ::DeleteFileW(ShortcutPath(English()).c_str());
        ::DeleteFileW(ShortcutPath(German()).c_str());
    }

    // Installs silently with the arguments into dir, checks the installation
    // (`service` is the device service's DLL it must have registered),
    // starts the program from it, uninstalls and checks nothing is left.
    void InstallRunUninstall(const Language& language, const std::string& arguments, const std::string& dir,
                             const std::string& service = "DeviceSim.dll")
    {
        RemoveLeftovers(dir);
        ASSERT_FALSE(DirExists(dir)) << dir;

        const std::string setup = "\"" + SetupExe() + "\" /S" + arguments;
        ASSERT_EQ(0, RunAndWait(setup, kSetupTimeout)) << setup;
        ASSERT_TRUE(DirExists(dir)) << "nothing installed in " << dir;

        // The shipped files, byte for byte, and the uninstaller.
        for (const std::string& file : ShippedFiles())
        {
            std::string shipped = ReadBytes(ShippedDir() + file);
            ASSERT_FALSE(shipped.empty()) << ShippedDir() << file;
            EXPECT_TRUE(ReadBytes(dir + "\\" + file) == shipped) << file << " differs from build/bin's";
        }
        EXPECT_TRUE(FileExists(dir + "\\Uninstall.exe"));

        // prodinfo.ini names the chosen language's module, with Windows line ends.
        const std::string ini = dir + "\\prodinfo.ini";
        char entry[256] = "";
        ::GetPrivateProfileStringA("Modules", "ServiceApp", "", entry, sizeof(entry), ini.c_str());
        EXPECT_STREQ(language.modulesEntry, entry);
        std::string raw = ReadBytes(ini);
        EXPECT_EQ(0, raw.compare(0, 11, "[Modules]\r\n")) << raw;
        for (size_t i = 0; i < raw.size(); ++i)
        {
            if (raw[i] == '\n')
            {
                EXPECT_TRUE(i > 0 && raw[i - 1] == '\r') << "bare line feed at byte " << i;
            }
        }
        EXPECT_TRUE(FileExists(dir + "\\" + language.module));

        // The chosen device service is registered from the installed folder.
        EXPECT_TRUE(SameText(dir + "\\" + service,
                             RegString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", NULL)))
            << RegString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", NULL);
        EXPECT_EQ(service == "DeviceIpp.dll" ? "ipp" : "simulator", RegString(HKEY_LOCAL_MACHINE, kAppKey, "Service"));
        EXPECT_EQ("Apartment", RegString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "ThreadingModel"));

        // The Start menu shortcut starts the installed program.
        const std::wstring shortcut = ShortcutPath(language);
        EXPECT_TRUE(FileExists(shortcut)) << shortcut;
        EXPECT_TRUE(SameText(Wide(dir + "\\ServiceApp.exe"), ShortcutTarget(shortcut))) << ShortcutTarget(shortcut);

        // The uninstall entry.
        EXPECT_FALSE(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").empty());
        EXPECT_NE(std::string::npos, Upper(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"))
                                         .find(Upper(dir + "\\Uninstall.exe")));

        // The program starts from the installed folder and greets in the language.
        {
            AppProcess app;
            ASSERT_TRUE(app.Start(dir + "\\ServiceApp.exe"));
            auto isStartup = [&](HWND h) {
                return ClassName(h) == "#32770" && ::IsWindowVisible(h) && WindowTextW(h) == language.startupCaption;
            };
            HWND hDlg = WaitForWindow(app.Pid(), isStartup, kTimeout);
            ASSERT_NE(nullptr, hDlg) << "no start-up dialog titled " << language.startupCaption;
            EXPECT_EQ(ModuleText(dir + "\\" + language.module, IDS_STARTUP_WARNING),
                      WindowTextW(::GetDlgItem(hDlg, IDC_STARTUP_WARNING)));
            ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(app.WaitExit(kTimeout)) << "still running after Cancel";
        }

        // A state file that an earlier simulator wrote beside itself goes
        // with the rest.
        ASSERT_TRUE(WriteBytes(dir + "\\DeviceSim.state", "DeviceSim state 1\r\n"));

        // A silent uninstall. The uninstaller hands over to a copy of itself
        // and ends at once, so wait for its work to show.
        const std::string uninstall = "\"" + dir + "\\Uninstall.exe\" /S";
        ASSERT_EQ(0, RunAndWait(uninstall, kSetupTimeout)) << uninstall;
        WaitUntil(
            [&] {
                return !DirExists(dir) && !FileExists(shortcut) && !RegKeyExists(HKEY_CLASSES_ROOT, kClassKey) &&
                       !RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && !RegKeyExists(HKEY_LOCAL_MACHINE, kAppKey);
            },
            60000);
        EXPECT_FALSE(DirExists(dir)) << "left in " << dir << ":" << Listing(dir);
        EXPECT_FALSE(FileExists(shortcut)) << shortcut;
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClassKey)) << service << " is still registered";
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppKey));
    }

    static std::string s_previousServer;
};

std::string Installer::s_previousServer;

} // namespace

TEST_F(Installer, SilentInstallIsEnglishInProgramFilesAndUninstallLeavesNothing)
{
    const std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programFiles.empty());
    InstallRunUninstall(English(), "", programFiles + "\\ServiceApp");
}

TEST_F(Installer, LangSwitchInstallsGermanIntoTheFolderOfD)
{
    // /D= comes last and takes the rest of the line, blanks included.
    const std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Device Service Test";
    InstallRunUninstall(German(), " /LANG=de /D=" + dir, dir);
}

TEST_F(Installer, UnknownLanguageEndsWithCodeTwoAndInstallsNothing)
{
    const std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Device Service Test";
    RemoveLeftovers(dir);
    const std::string setup = "\"" + SetupExe() + "\" /S /LANG=fr /D=" + dir;
    EXPECT_EQ(2, RunAndWait(setup, kSetupTimeout)) << setup;
    EXPECT_FALSE(DirExists(dir));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Installer, FinishPageStartsTheProgramThroughTheUsersShellNotFromTheInstaller)
{
    // The installer runs elevated on Windows: a program it started itself
    // would run elevated too. Started through the user's shell, the program
    // is not the installer's child.
    const std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Device Service Finish";
    RemoveLeftovers(dir);
    ASSERT_EQ(nullptr, FindStartupDialog(English())) << "a start-up dialog is up already";

    std::string cmd = "\"" + SetupExe() + "\" /LANG=en /D=" + dir;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) << cmd;
    ::CloseHandle(pi.hThread);

    // Welcome, folder, installing, finish: press the button that goes on
    // (id 1: Next, Install, Finish) whenever it can be pressed; the finish
    // page's "Run" box is ticked as it comes.
    const DWORD started = ::GetTickCount();
    while (::WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT && ::GetTickCount() - started < kSetupTimeout)
    {
        for (HWND h : TopWindows(pi.dwProcessId))
        {
            HWND hNext = ::GetDlgItem(h, IDOK);
            if (::IsWindowVisible(h) && hNext && ::IsWindowVisible(hNext) && ::IsWindowEnabled(hNext))
                ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)hNext);
        }
    }
    DWORD code = 1234;
    const bool ended = ::GetExitCodeProcess(pi.hProcess, &code) && code != STILL_ACTIVE;
    if (!ended)
        ::TerminateProcess(pi.hProcess, 99);
    ::CloseHandle(pi.hProcess);
    ASSERT_TRUE(ended) << "the installer did not finish";
    EXPECT_EQ(0u, code);

    HWND hDlg = NULL;
    WaitUntil([&] { return (hDlg = FindStartupDialog(English())) != NULL; }, kTimeout);
    ASSERT_NE(nullptr, hDlg) << "the finish page started no program";
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hDlg, &pid);
    EXPECT_NE(pi.dwProcessId, ParentOf(pid)) << "the installer started the program itself";

    HANDLE hApp = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    if (hApp)
    {
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hApp, kTimeout)) << "still running after Cancel";
        ::CloseHandle(hApp);
    }
    RemoveLeftovers(dir);
    EXPECT_FALSE(DirExists(dir)) << Listing(dir);
}

TEST_F(Installer, ServiceSwitchRegistersTheIppServiceAndUninstallRemovesIt)
{
    // The program starts with it as with the simulator: no printers answer
    // here (no CUPS server on the default port), which is no error.
    const std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Device Service Test";
    InstallRunUninstall(English(), " /SERVICE=ipp /D=" + dir, dir, "DeviceIpp.dll");
}

TEST_F(Installer, UnknownServiceEndsWithCodeFourAndInstallsNothing)
{
    const std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Device Service Test";
    RemoveLeftovers(dir);
    const std::string setup = "\"" + SetupExe() + "\" /S /SERVICE=scanner /D=" + dir;
    EXPECT_EQ(4, RunAndWait(setup, kSetupTimeout)) << setup;
    EXPECT_FALSE(DirExists(dir));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}
