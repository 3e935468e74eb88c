// AppDriver.h - AppProcess and window helpers: start ServiceApp.exe and drive
// it from another process by window messages, as a user's clicks and keys
// would. Used by the end-to-end tests and by tools/screenshots.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <memory>
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

// The program's windows: the start-up dialog, and the service sheet (its title
// ends in " - " and the application title).
bool IsStartupDialog(HWND hWnd);
bool IsServiceSheet(HWND hWnd);

// Sends a message to a window of the program under test, never waiting forever.
LRESULT SendTo(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// (Un)registers build/bin/DeviceSim.dll in the test prefix; TRUE on success.
bool RegisterSimulator(bool bRegister = true);
// (Un)registers another device service of build/bin ("DeviceIpp.dll").
bool RegisterService(const char* pszDll, bool bRegister = true);

// The text of a list-view cell of another process (the text is copied
// through memory allocated in that process).
std::string ListItemText(HWND hList, int nRow, int nColumn);

// Starts the program and passes the start-up gate with pszModel; returns the
// sheet, or NULL (with a test failure recorded) when a step did not happen.
HWND StartToSheet(AppProcess& app, const std::vector<std::string>& extraEnv = std::vector<std::string>(),
                  const char* pszModel = "KESSLY", DWORD timeoutMs = 15000);

// Files.
std::string TempPath(const std::string& name);   // unique to this test process
std::string ReadFile(const std::string& path);
std::vector<std::string> Lines(const std::string& text);
// Index of the first line at or after `from` that starts with prefix; -1 when none.
int FindLine(const std::vector<std::string>& lines, const std::string& prefix, int from = 0);
// How many lines start with prefix.
int CountLines(const std::vector<std::string>& lines, const std::string& prefix);

// A run of the program on the simulator with files of its own: an optional
// configuration, a state file and a journal in the temp folder, all removed
// when the session ends. Environment() goes to AppProcess::Start.
class SimSession
{
public:
    explicit SimSession(const std::string& tag, const std::string& config = std::string());
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    std::vector<std::string> Environment() const;
    const std::string& StatePath() const { return m_state; }
    const std::string& JournalPath() const { return m_journal; }
    std::string State() const { return ReadFile(m_state); }
    std::string Journal() const { return ReadFile(m_journal); }
    std::vector<std::string> JournalLines() const { return Lines(Journal()); }
    // Starts afresh: an empty journal (the state file stays).
    void ClearJournal() const;

private:
    std::string m_config;
    std::string m_state;
    std::string m_journal;
};

// Fixture of the tests that run the program on a fleet of their own: the
// simulator is registered once per test program, each test gets a fresh
// session (the fleet's configuration, a state file, a journal), and the
// program's controls are reached by their ids, every message sent with SendTo.
class FleetTest : public ::testing::Test
{
protected:
    explicit FleetTest(const std::string& config) : m_fleet(config) {}

    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The configuration from now on: the fleet's lines, then extra (a new
    // session: the state file and the journal start empty).
    void Configure(const std::string& extra);
    // Starts the program on the session and passes the gate with pszModel.
    HWND Start(AppProcess& app, const char* pszModel = "KESSLY");
    std::string State() const { return m_sim->State(); }
    std::string Journal() const { return m_sim->Journal(); }

    static HWND CurrentPage(HWND hSheet);
    static HWND ShowPage(HWND hSheet, int nTab);   // the page shown
    // Presses the sheet's Close button; the program must end with exit code 0.
    static void Close(AppProcess& app, HWND hSheet);
    static void SetText(HWND hPage, int nID, const char* text);
    static void Click(HWND hPage, int nID);
    static std::string Text(HWND hPage, int nID);
    static bool Checked(HWND hPage, int nID);
    static bool Enabled(HWND hPage, int nID);
    // The journal shows every object handed out released exactly once.
    static void ExpectAllReleased(const std::string& journal);

private:
    std::string m_fleet;
    std::unique_ptr<SimSession> m_sim;
};

} // namespace e2e
