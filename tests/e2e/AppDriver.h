// AppDriver.h - AppProcess and window helpers: start ServiceApp.exe and drive
// it from another process by window messages, as a user's clicks and keys
// would. Used by the end-to-end tests and by tools/screenshots.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace e2e
{

// build/bin, where the shipped files are (the driver lives in build/tests).
std::string BinDir();

class AppProcess
{
public:
    AppProcess() = default;
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Starts exePath (default: build/bin/ServiceApp.exe). extraEnv entries
    // ("NAME=value") are added to this process's environment for the child.
    bool Start(const std::string& exePath = std::string(),
               const std::vector<std::string>& extraEnv = std::vector<std::string>());
    // Waits for the process to end; FALSE on timeout.
    bool WaitExit(DWORD timeoutMs, DWORD* pExitCode = NULL);
    bool IsRunning() const;
    void Kill();
    DWORD Pid() const { return m_pid; }

private:
    HANDLE m_hProcess = NULL;
    DWORD m_pid = 0;
};

// Top-level windows of a process, visible or not.
std::vector<HWND> TopWindows(DWORD pid);
// Waits until pred(hwnd) holds for a top-level window of pid; NULL on timeout.
template <class Pred>
HWND WaitForWindow(DWORD pid, Pred pred, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;)
    {
        for (HWND h : TopWindows(pid))
            if (pred(h))
                return h;
        if (::GetTickCount() - start > timeoutMs)
            return NULL;
        ::Sleep(50);
    }
}

std::string WindowText(HWND hWnd);
std::string ClassName(HWND hWnd);

// A string of the resource module in build/bin/lang.
std::string ResourceText(UINT nID);

// Runs a program to its end (e.g. regsvr32); returns its exit code or -1.
int RunAndWait(const std::string& commandLine, DWORD timeoutMs = 30000);

// Start-up gate: types the name into the dialog's field character by
// character and presses accept. Returns FALSE when accept stayed disabled.
BOOL PassStartupGate(HWND hDialog, const char* pszModel);

// Activates each page in turn and returns the pages' window texts (the tab
// labels), in tab order; the first page is active again afterwards.
std::vector<std::string> PageTexts(HWND hSheet);

} // namespace e2e
