// ReliabilityDriver.h - drives every page of ServiceApp.exe from another
// process, for the reliability tests (fault injection, reference balance,
// growth). Builds on the end-to-end helpers (tests/e2e/AppDriver.h).
//
// Three things set it apart from the end-to-end tests:
// - Every message goes out through a helper thread while this thread watches
//   the program's top-level windows: a message box the program opens in the
//   middle of a handler is noted (caption and text) and dismissed instead of
//   blocking the test, and a handler that never returns is reported as a hang
//   after kHangMs instead of stopping the test run.
// - After every step the program must still run and answer WM_NULL; the first
//   step after which it does not is the problem reported.
// - What the pages show at chosen points is collected into Observations
//   (name -> text), so that a run can be compared with a run without faults.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "AppDriver.h"

namespace rel
{

// A handler that takes longer than this is a hang.
const DWORD kHangMs = 20000;

// The fleet every reliability run uses: three devices of known texts,
// memory values and report choices.
std::string FleetConfig();

// What the pages showed, by name: "p1.mem.read5.current" -> "4321".
typedef std::map<std::string, std::string> Observations;

// One run of the program under test on the simulator with files of its own.
class AppRun
{
public:
    // config: the simulator's configuration (FleetConfig() plus fault lines).
    AppRun(const std::string& tag, const std::string& config);
    // A run on whichever device service is registered, with `environment`
    // ("NAME=value": its configuration, journal, ...) instead of the
    // simulator's files.
    AppRun(const std::string& tag, const std::vector<std::string>& environment);
    ~AppRun();
    AppRun(const AppRun&) = delete;
    AppRun& operator=(const AppRun&) = delete;

    // Starts the program and passes the gate with pszModel; FALSE (and a
    // problem noted) when no sheet came up.
    bool StartToSheet(const char* pszModel = "KESSLY");
    // Starts the program and waits for a message box instead of the gate
    // (a device service that cannot be created); notes and dismisses it.
    bool StartExpectingBox(const std::string& caption);

    HWND Sheet() const { return m_hSheet; }
    DWORD Pid() const { return m_app.Pid(); }
    e2e::AppProcess& Process() { return m_app; }
    const e2e::SimSession& Session() const { return m_session; }

    // Sends a message to a window of the program, watching for message boxes
    // meanwhile; 0 when the program is gone or hung (noted as a problem).
    LRESULT Send(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The program still runs and answers WM_NULL; otherwise the step's name
    // goes into Problems() and FALSE comes back (and every later call is
    // skipped, so a dead or hung program costs no further waiting).
    bool Step(const std::string& name);
    bool Broken() const { return m_broken; }
    int StepCount() const { return m_steps; }

    // Closes the sheet and waits for the process to end; FALSE when it did not.
    bool Close(DWORD* pExitCode);

    // Controls.
    HWND ShowPage(int nTab);
    int PageCount();
    std::string Text(HWND hWnd);   // the whole text, however long
    std::string Text(HWND hPage, int nID) { return Text(::GetDlgItem(hPage, nID)); }
    void SetText(HWND hPage, int nID, const char* pszText);
    bool Enabled(HWND hPage, int nID);
    bool Checked(HWND hPage, int nID);
    // Presses a button the way a user can: only when it is enabled. TRUE when pressed.
    bool Click(HWND hPage, int nID);
    void Key(HWND hWnd, UINT vk);

    const std::vector<std::string>& Problems() const { return m_problems; }
    // Message boxes seen and dismissed: "caption | text".
    const std::vector<std::string>& Boxes() const { return m_boxes; }
    void NoteProblem(const std::string& text);

private:
    struct SendJob
    {
        HWND hWnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        DWORD_PTR result;
        BOOL ok;
    };
    static DWORD WINAPI SendWorker(LPVOID pParam);
    void DismissBoxes();
    bool Alive();
    // TRUE (and a problem noted, the program ended) when the program crashed.
    bool Crashed();

    e2e::SimSession m_session;
    std::vector<std::string> m_environment;
    bool m_ownEnvironment = false;
    e2e::AppProcess m_app;
    HWND m_hSheet = NULL;
    HWND m_hStartupDialog = NULL;
    bool m_broken = false;
    std::string m_lastStep;
    double m_lastStepAt = 0;
    int m_steps = 0;
    std::vector<std::string> m_problems;
    std::vector<std::string> m_boxes;
    std::vector<HWND> m_seenBoxes;
    // The thread that sends each message while this one watches.
    SendJob m_job = {NULL, 0, 0, 0, 0, FALSE};
    HANDLE m_hGo = NULL;
    HANDLE m_hDone = NULL;
    HANDLE m_hWorker = NULL;
    volatile bool m_bQuit = false;
};

// Drives every page of the sheet once, in tab order; pass names the pass in
// the observations ("p1", "p2", ...). The first pass presses every button of
// every page and walks the device list (Down, Up, End, Home, clicks on empty
// space and on rows, a double click), ending on the first device. A later
// pass moves one row down the list, so that it works on another device, and
// runs each page's main flow once (memory read/write/restore, reports 1 and
// 11, procedures B1, command 1 and the option procedure, maintenance, tasks, driver
// settings change/apply/revert/defaults).
void DriveAllPages(AppRun& run, Observations& obs, const std::string& pass, bool bFirstPass);

// Selects row nRow of the device list (Home, then Down), then drives every
// other page as the first pass does, pressing every button. beforePage (may
// be empty) runs before each page with its tab index, the Devices page's
// included, after the row was selected: a test changes the device there.
void DriveAllPagesOnRow(AppRun& run, Observations& obs, const std::string& pass, int nRow,
                        const std::function<void(int)>& beforePage);

// Journal checks every run must pass: the simulator unloaded with no live
// objects, nothing released once too often or used after release, every
// configuration line taken. Returns the problems found (empty when clean).
std::vector<std::string> JournalProblems(const std::string& journal);

// The figures of a process: handles, GDI and USER objects (0 where the
// system does not count them), windows, private bytes.
struct ProcessFigures
{
    long handles = -1;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    long windows = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
    bool ok = false;
};
ProcessFigures ReadFigures(DWORD pid);

// Seconds since some fixed point, for the timings the tests print.
double Seconds();

} // namespace rel
