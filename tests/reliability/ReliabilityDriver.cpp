// ReliabilityDriver.cpp - AppRun, the page flows and the journal and process
// checks of the reliability tests.
#include "ReliabilityDriver.h"

#include <commctrl.h>
#include <prsht.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/ServiceRes.h"

namespace rel
{

using e2e::ClassName;
using e2e::ResourceText;
using e2e::TopWindows;

namespace
{

const DWORD kWindowTimeout = 15000;

// The sheet, known by its tab control: its title names the selected device,
// which a misbehaving device service may leave empty.
bool IsSheetWindow(HWND hWnd)
{
    return ClassName(hWnd) == "#32770" && ::IsWindowVisible(hWnd) &&
           ::FindWindowExA(hWnd, NULL, "SysTabControl32", NULL) != NULL;
}

std::string Num(long long n)
{
    return std::to_string(n);
}

// Long texts go into the observations as their head and length.
std::string Shorten(const std::string& text)
{
    if (text.size() <= 120)
        return text;
    return text.substr(0, 40) + "...[" + Num((long long)text.size()) + " chars]";
}

} // namespace

std::string FleetConfig()
{
    // Line 1 to 4; fault lines follow from line 5.
    return "fleet empty\n"
           "device id=9001 type=0 name=\"Alpha\" col1=A-1 col2=A-2 detail1=\"Alpha one\" detail2=\"Alpha two\" "
           "detail3=\"Alpha three\" number=11 text=\"Alpha ready\" settings=ALPHA@USB1 numbermax=99 "
           "exec=0xFFE alt=0xFFE unavailable=10-19 mem.5=4321 default.Number=7 default.Choice=1 "
           "default.Switch=1\n"
           "device id=9002 type=2 name=\"Bravo\" col1=B-1 col2=B-2 detail1=\"Bravo one\" detail2=\"Bravo two\" "
           "detail3=\"Bravo three\" number=22 text=\"Bravo ready\" settings=BRAVO@USB2 numbermax=250 "
           "exec=0x802 alt=0x0 unavailable=12 mem.5=1111 default.Number=3 default.Choice=2 "
           "default.Switch=0 default.Option1=1\n"
           "device id=9003 type=3 name=\"Charlie\" col1=C-1 col2=C-2 detail1=\"Charlie one\" "
           "detail2=\"Charlie two\" detail3=\"Charlie three\" number=33 text=\"Charlie ready\" "
           "settings=CHARLIE@USB3 numbermax=300 exec=0x0 alt=0x0 mem.5=17\n";
}

// ---------------------------------------------------------------------------
// AppRun

AppRun::AppRun(const std::string& tag, const std::string& config) : m_session(tag, config)
{
    m_hGo = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    m_hDone = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    m_hWorker = ::CreateThread(NULL, 0, SendWorker, this, 0, NULL);
}

AppRun::AppRun(const std::string& tag, const std::vector<std::string>& environment)
    : m_session(tag), m_environment(environment), m_ownEnvironment(true)
{
    m_hGo = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    m_hDone = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    m_hWorker = ::CreateThread(NULL, 0, SendWorker, this, 0, NULL);
}

AppRun::~AppRun()
{
    if (m_app.IsRunning())
        m_app.Kill();
    // The worker ends at its next job; a send still under way has failed by
    // now that the program is gone.
    m_bQuit = true;
    ::SetEvent(m_hGo);
    ::WaitForSingleObject(m_hWorker, kHangMs + 5000);
    ::CloseHandle(m_hWorker);
    ::CloseHandle(m_hGo);
    ::CloseHandle(m_hDone);
}

DWORD WINAPI AppRun::SendWorker(LPVOID pParam)
{
    AppRun* self = static_cast<AppRun*>(pParam);
    for (;;)
    {
        ::WaitForSingleObject(self->m_hGo, INFINITE);
        if (self->m_bQuit)
            return 0;
        SendJob& job = self->m_job;
        job.ok = ::SendMessageTimeoutA(job.hWnd, job.message, job.wParam, job.lParam, SMTO_NORMAL, kHangMs,
                                       &job.result) != 0;
        ::SetEvent(self->m_hDone);
    }
}

void AppRun::NoteProblem(const std::string& text)
{
    m_problems.push_back(text);
}

bool AppRun::StartToSheet(const char* pszModel)
{
    if (!m_app.Start(std::string(), m_ownEnvironment ? m_environment : m_session.Environment()))
    {
        NoteProblem("the program did not start");
        m_broken = true;
        return false;
    }
    HWND hDlg = e2e::WaitForWindow(m_app.Pid(), e2e::IsStartupDialog, kWindowTimeout);
    m_hStartupDialog = hDlg;
    if (!hDlg)
    {
        NoteProblem("no start-up dialog");
        m_broken = true;
        return false;
    }
    if (!e2e::PassStartupGate(hDlg, pszModel))
    {
        NoteProblem(std::string("the gate stayed shut for ") + pszModel);
        m_broken = true;
        return false;
    }
    // The sheet's pages talk to the device service while the sheet is made:
    // watch for message boxes while waiting for it.
    DWORD start = ::GetTickCount();
    for (;;)
    {
        for (HWND h : TopWindows(m_app.Pid()))
            if (IsSheetWindow(h))
                m_hSheet = h;
        if (m_hSheet)
            break;
        DismissBoxes();
        if (Crashed())
            return false;
        if (!m_app.IsRunning() || ::GetTickCount() - start > kWindowTimeout)
        {
            NoteProblem(m_app.IsRunning() ? "no sheet" : "the program ended before its sheet came up");
            m_broken = true;
            return false;
        }
        ::Sleep(20);
    }
    return Step("sheet shown");
}

bool AppRun::StartExpectingBox(const std::string& caption)
{
    if (!m_app.Start(std::string(), m_ownEnvironment ? m_environment : m_session.Environment()))
    {
        NoteProblem("the program did not start");
        return false;
    }
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < kWindowTimeout && m_app.IsRunning())
    {
        for (HWND h : TopWindows(m_app.Pid()))
        {
            if (e2e::IsStartupDialog(h))
            {
                NoteProblem("the start-up dialog came up");
                return false;
            }
        }
        DismissBoxes();
        if (Crashed())
            return false;
        for (const std::string& box : m_boxes)
            if (box.compare(0, caption.size() + 3, caption + " | ") == 0)
                return true;
        ::Sleep(20);
    }
    NoteProblem("no message box " + caption);
    return false;
}

void AppRun::DismissBoxes()
{
    for (HWND h : TopWindows(m_app.Pid()))
    {
        if (h == m_hSheet || h == m_hStartupDialog || !::IsWindowVisible(h) || ClassName(h) != "#32770" ||
            e2e::IsStartupDialog(h) || IsSheetWindow(h))
            continue;
        if (std::find(m_seenBoxes.begin(), m_seenBoxes.end(), h) == m_seenBoxes.end())
        {
            const std::string box = e2e::WindowText(h) + " | " + e2e::WindowText(::GetDlgItem(h, 0xFFFF));
            if (!::IsWindow(h))
                continue;   // gone while we looked: a window being destroyed, not a box
            m_seenBoxes.push_back(h);
            m_boxes.push_back(box);
        }
        // A message box ends on IDOK or IDCANCEL, whichever button it has.
        ::PostMessageA(h, WM_COMMAND, IDOK, 0);
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
}

bool AppRun::Alive()
{
    return m_app.IsRunning();
}

bool AppRun::Crashed()
{
    // Wine starts its debugger from a process that crashes and keeps the
    // process waiting for it: a debugger whose parent is the program means
    // the program crashed. Both are ended here (this run started them).
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return false;
    std::vector<DWORD> debuggers;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(hSnapshot, &entry); more; more = ::Process32Next(hSnapshot, &entry))
        if (entry.th32ParentProcessID == m_app.Pid() && lstrcmpiA(entry.szExeFile, "winedbg.exe") == 0)
            debuggers.push_back(entry.th32ProcessID);
    ::CloseHandle(hSnapshot);
    if (debuggers.empty())
        return false;
    NoteProblem((m_lastStep.empty() ? std::string("crashed before the sheet came up")
                                     : "crashed after step \"" + m_lastStep + "\"") +
                " (the system's debugger was started for it)");
    m_broken = true;
    m_app.Kill();
    for (DWORD pid : debuggers)
    {
        HANDLE hDebugger = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (hDebugger)
        {
            ::TerminateProcess(hDebugger, 1);
            ::WaitForSingleObject(hDebugger, 5000);
            ::CloseHandle(hDebugger);
        }
    }
    return true;
}

LRESULT AppRun::Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_broken)
        return 0;
    if (!m_hWorker)
    {
        NoteProblem("no thread for sending messages");
        m_broken = true;
        return 0;
    }
    m_job.hWnd = hWnd;
    m_job.message = message;
    m_job.wParam = wParam;
    m_job.lParam = lParam;
    m_job.result = 0;
    m_job.ok = FALSE;
    ::SetEvent(m_hGo);
    // Most messages come back at once; look for boxes only while waiting.
    bool done = false;
    for (int waits = 1; !done; ++waits)
    {
        done = ::WaitForSingleObject(m_hDone, 15) == WAIT_OBJECT_0;
        if (!done)
            DismissBoxes();
        if (!done && waits % 32 == 0 && Crashed())
        {
            // The send fails now that the program is gone.
            ::WaitForSingleObject(m_hDone, kHangMs + 5000);
            return 0;
        }
    }
    if (!m_job.ok)
    {
        char code[16];
        wsprintfA(code, "0x%04X", message);
        std::string how = "hung";
        DWORD exitCode = 0;
        if (!Alive())
        {
            char text[48];
            wsprintfA(text, "ended (exit code 0x%08lX)", m_app.WaitExit(0, &exitCode) ? exitCode : 0xFFFFFFFFul);
            how = text;
        }
        NoteProblem(how + " while handling message " + code + " after step \"" + m_lastStep + "\"");
        m_broken = true;
        return 0;
    }
    return (LRESULT)m_job.result;
}

bool AppRun::Step(const std::string& name)
{
    if (m_broken)
        return false;
    // RELIABILITY_SLOW_STEPS=<ms> prints every step that took longer.
    static const char* pszSlow = getenv("RELIABILITY_SLOW_STEPS");
    const double now = Seconds();
    if (pszSlow && m_lastStepAt > 0 && (now - m_lastStepAt) * 1000 > atof(pszSlow))
        printf("[ slow     ] %.0f ms up to step \"%s\"\n", (now - m_lastStepAt) * 1000, name.c_str());
    m_lastStepAt = now;
    m_lastStep = name;
    ++m_steps;
    // (A message box can only come up inside a handler, while Send waits and
    // watches for it, so a step need not look for boxes.)
    if (!Alive())
    {
        DWORD exitCode = 0;
        char text[32] = "";
        if (m_app.WaitExit(0, &exitCode))
            wsprintfA(text, " (exit code 0x%08lX)", exitCode);
        NoteProblem("the program ended" + std::string(text) + " after step \"" + name + "\"");
        m_broken = true;
        return false;
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(m_hSheet, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
    {
        if (Crashed())
            return false;
        // A modal loop (a message box) still answers WM_NULL: no answer
        // within five seconds is a hang.
        NoteProblem("no answer to WM_NULL after step \"" + name + "\"");
        m_broken = true;
        return false;
    }
    return true;
}

bool AppRun::Close(DWORD* pExitCode)
{
    if (!Alive())
        return false;
    if (m_hSheet)
        ::PostMessageA(m_hSheet, WM_COMMAND, IDCANCEL, 0);
    DWORD start = ::GetTickCount();
    while (!m_app.WaitExit(20, pExitCode))
    {
        DismissBoxes();
        if (Crashed())
            return false;
        if (::GetTickCount() - start > kWindowTimeout)
        {
            NoteProblem("still running after Close");
            return false;
        }
    }
    return true;
}

HWND AppRun::ShowPage(int nTab)
{
    Send(m_hSheet, PSM_SETCURSEL, (WPARAM)nTab, 0);
    return (HWND)Send(m_hSheet, PSM_GETCURRENTPAGEHWND);
}

int AppRun::PageCount()
{
    HWND hTab = (HWND)Send(m_hSheet, PSM_GETTABCONTROL);
    return hTab ? (int)Send(hTab, TCM_GETITEMCOUNT) : 0;
}

std::string AppRun::Text(HWND hWnd)
{
    if (m_broken || !hWnd)
        return std::string();
    const LRESULT length = Send(hWnd, WM_GETTEXTLENGTH);
    std::string text((size_t)(length > 0 ? length : 0) + 1, '\0');
    Send(hWnd, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)&text[0]);
    text.resize(strlen(text.c_str()));
    return text;
}

void AppRun::SetText(HWND hPage, int nID, const char* pszText)
{
    Send(::GetDlgItem(hPage, nID), WM_SETTEXT, 0, (LPARAM)pszText);
}

bool AppRun::Enabled(HWND hPage, int nID)
{
    return ::IsWindowEnabled(::GetDlgItem(hPage, nID)) != FALSE;
}

bool AppRun::Checked(HWND hPage, int nID)
{
    return Send(::GetDlgItem(hPage, nID), BM_GETCHECK) == BST_CHECKED;
}

bool AppRun::Click(HWND hPage, int nID)
{
    HWND hButton = ::GetDlgItem(hPage, nID);
    if (m_broken || !hButton || !::IsWindowEnabled(hButton))
        return false;
    Send(hButton, BM_CLICK);
    return true;
}

void AppRun::Key(HWND hWnd, UINT vk)
{
    Send(hWnd, WM_KEYDOWN, vk, 1);
    Send(hWnd, WM_KEYUP, vk, (LPARAM)0xC0000001);
}

// ---------------------------------------------------------------------------
// Page flows

namespace
{

std::string B(bool b)
{
    return b ? "1" : "0";
}

class Flow
{
public:
    Flow(AppRun& run, HWND hPage, Observations& obs, const std::string& prefix)
        : m_run(run), m_hPage(hPage), m_obs(obs), m_prefix(prefix)
    {
    }

    void Note(const std::string& name, const std::string& value) { m_obs[m_prefix + name] = Shorten(value); }
    void NoteText(const std::string& name, int nID) { Note(name, m_run.Text(m_hPage, nID)); }
    void NoteEnabled(const std::string& name, int nID) { Note(name, B(m_run.Enabled(m_hPage, nID))); }
    void NoteChecked(const std::string& name, int nID) { Note(name, B(m_run.Checked(m_hPage, nID))); }
    bool Click(int nID, const char* pszStep)
    {
        bool b = m_run.Click(m_hPage, nID);
        m_run.Step(m_prefix + pszStep);
        return b;
    }
    // Types into a field the way a user can: only when it is enabled.
    void SetText(int nID, const char* pszText, const char* pszStep)
    {
        if (!m_run.Enabled(m_hPage, nID))
            return;
        m_run.SetText(m_hPage, nID, pszText);
        m_run.Step(m_prefix + pszStep);
    }

    AppRun& m_run;
    HWND m_hPage;
    Observations& m_obs;
    std::string m_prefix;
};

// Clicks the list at a point of its client area with mouse messages, as the
// mouse would; the list sends its own NM_CLICK / NM_DBLCLK to the page. The
// messages are sent, not posted, so that each has been handled when the call
// returns (Wine's list handles a button press without a drag-detect loop).
void ClickList(AppRun& run, HWND hList, int x, int y, bool bDouble)
{
    LPARAM at = MAKELPARAM(x, y);
    run.Send(hList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    run.Send(hList, WM_LBUTTONUP, 0, at);
    if (bDouble)
    {
        run.Send(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        run.Send(hList, WM_LBUTTONUP, 0, at);
    }
}

// The middle of row nRow of the list (report view), in client coordinates,
// from the header's height and the rows a page holds; -1 when not known.
int RowY(AppRun& run, HWND hList, int nRow)
{
    HWND hHeader = (HWND)run.Send(hList, LVM_GETHEADER);
    RECT client = {0, 0, 0, 0};
    RECT header = {0, 0, 0, 0};
    ::GetClientRect(hList, &client);
    if (hHeader)
        ::GetClientRect(hHeader, &header);
    const int perPage = (int)run.Send(hList, LVM_GETCOUNTPERPAGE);
    if (perPage < 4)
        return -1;
    // The page's rows fill at most the space under the header: this height is
    // at most a row and a quarter of a row too large for four rows or more, so
    // the middle of row 0 or 1 computed with it lies inside that row.
    const int rowHeight = (client.bottom - header.bottom) / perPage;
    return header.bottom + rowHeight * nRow + rowHeight / 2;
}

void DriveDevices(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, bool bFirstPass)
{
    Flow f(run, hPage, obs, pass + ".devices.");
    HWND hList = ::GetDlgItem(hPage, IDC_DEVICE_LIST);
    auto noteState = [&](const std::string& at) {
        f.Note(at + ".selected", Num((long long)(int)run.Send(hList, LVM_GETNEXTITEM, (WPARAM)-1,
                                                               MAKELPARAM(LVNI_SELECTED, 0))));
        const std::string title = run.Text(run.Sheet());
        f.Note(at + ".title", title);
        f.Note(at + ".title.length", Num((long long)title.size()));
        f.NoteText(at + ".detail1", IDC_DETAIL_TEXT1);
        f.NoteText(at + ".detail2", IDC_DETAIL_TEXT2);
        f.NoteText(at + ".detail3", IDC_DETAIL_TEXT3);
        f.NoteText(at + ".number", IDC_DETAIL_NUMBER);
    };
    auto key = [&](UINT vk, const char* name) {
        run.Key(hList, vk);
        run.Step(f.m_prefix + name);
        noteState(name);
    };
    f.Note("rows", Num((long long)(int)run.Send(hList, LVM_GETITEMCOUNT)));
    noteState("shown");
    if (!bFirstPass)
    {
        key(VK_DOWN, "down");
        return;
    }
    key(VK_DOWN, "down");
    key(VK_UP, "up");
    key(VK_END, "end");
    key(VK_HOME, "home");

    RECT client = {0, 0, 0, 0};
    ::GetClientRect(hList, &client);
    // Empty space below the last row: the selection stays where it was.
    ClickList(run, hList, 20, client.bottom - 4, false);
    run.Step(f.m_prefix + "click on empty space");
    noteState("emptyclick");
    const int y1 = RowY(run, hList, 1);
    const int y0 = RowY(run, hList, 0);
    if (y0 >= 0 && y1 >= 0)
    {
        ClickList(run, hList, 20, y1, false);
        run.Step(f.m_prefix + "click on row 1");
        noteState("click1");
        ClickList(run, hList, 20, y0, true);
        run.Step(f.m_prefix + "double click on row 0");
        noteState("dblclick0");
    }
}

void DriveMaintenance(AppRun& run, HWND hPage, Observations& obs, const std::string& pass)
{
    Flow f(run, hPage, obs, pass + ".maintenance.");
    f.Note("pressed", B(f.Click(IDC_MAINT_ACTION1, "action 1")) + B(f.Click(IDC_MAINT_ACTION2, "action 2")) +
                          B(f.Click(IDC_MAINT_REPORT, "report 10")));
}

void DriveMemory(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, bool bFull)
{
    Flow f(run, hPage, obs, pass + ".mem.");
    if (bFull)
    {
        // A location the first two devices lack.
        f.SetText(IDC_MEM_LOCATION, "12", "location 12");
        f.Click(IDC_MEM_READ, "read 12");
        f.NoteText("read12.status", IDC_MEM_STATUS);
        f.NoteEnabled("read12.valueEnabled", IDC_MEM_NEW_VALUE);
    }

    f.SetText(IDC_MEM_LOCATION, "5", "location 5");
    f.Click(IDC_MEM_READ, "read 5");
    f.NoteText("read5.current", IDC_MEM_CURRENT_VALUE);
    f.NoteText("read5.default", IDC_MEM_DEFAULT_VALUE);
    f.NoteText("read5.status", IDC_MEM_STATUS);
    f.NoteEnabled("read5.valueEnabled", IDC_MEM_NEW_VALUE);
    f.NoteEnabled("read5.writeEnabled", IDC_MEM_WRITE);

    f.SetText(IDC_MEM_NEW_VALUE, "1000", "new value 1000");
    f.Click(IDC_MEM_WRITE, "write 1000");
    f.NoteText("write.status", IDC_MEM_STATUS);
    f.NoteEnabled("write.valueEnabled", IDC_MEM_NEW_VALUE);

    f.Click(IDC_MEM_READ, "read 5 again");
    f.NoteText("reread.current", IDC_MEM_CURRENT_VALUE);
    f.Click(IDC_MEM_RESTORE_DEFAULT, "restore default");
    f.NoteText("restore.status", IDC_MEM_STATUS);
    if (!bFull)
        return;

    f.Click(IDC_MEM_READ, "read 5 a third time");
    f.NoteText("read5c.current", IDC_MEM_CURRENT_VALUE);
    const std::string current = run.Text(hPage, IDC_MEM_CURRENT_VALUE);
    f.SetText(IDC_MEM_NEW_VALUE, current.c_str(), "new value as current");
    f.Click(IDC_MEM_WRITE, "write the same value");
    f.NoteText("same.status", IDC_MEM_STATUS);

    f.Click(IDC_MEM_REPORT, "report 2");
}

void DriveTasks(AppRun& run, HWND hPage, Observations& obs, const std::string& pass)
{
    Flow f(run, hPage, obs, pass + ".tasks.");
    f.Note("pressed", B(f.Click(IDC_TASK_FIRST, "first task")) + B(f.Click(IDC_TASK_SECOND, "second task")) +
                          B(f.Click(IDC_TASK_FIRST_SPARE, "hidden first task")));
}

void DriveProcedures(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, bool bFull)
{
    Flow f(run, hPage, obs, pass + ".proc.");
    const std::string text = run.Text(hPage, IDC_PROC_DEVICE_TEXT);
    f.Note("text", text);
    f.Note("text.length", Num((long long)text.size()));
    f.NoteChecked("first", IDC_PROC_OPTION_FIRST);
    f.NoteChecked("second", IDC_PROC_OPTION_SECOND);
    static const struct
    {
        int nID;
        const char* pszName;
    } buttons[] = {
        {IDC_PROC_B1, "procedure B1"},     {IDC_PROC_B5, "procedure B5"}, {IDC_PROC_A1, "procedure A1"},
        {IDC_PROC_A2, "procedure A2"},     {IDC_PROC_C1, "procedure C1"}, {IDC_PROC_C2, "procedure C2"},
        {IDC_PROC_C3, "procedure C3"},     {IDC_PROC_COMMAND, "command 1"},
        {IDC_PROC_OPTION, "option procedure"},
    };
    std::string pressed;
    for (const auto& button : buttons)
        if (bFull || button.nID == IDC_PROC_B1 || button.nID == IDC_PROC_COMMAND || button.nID == IDC_PROC_OPTION)
            pressed += B(f.Click(button.nID, button.pszName));
    if (!bFull)
    {
        f.Note("pressed", pressed);
        return;
    }
    // Only the second option, then none, then both again.
    f.Click(IDC_PROC_OPTION_FIRST, "first option off");
    pressed += B(f.Click(IDC_PROC_OPTION, "option procedure, second option"));
    f.Click(IDC_PROC_OPTION_SECOND, "second option off");
    pressed += B(f.Click(IDC_PROC_OPTION, "option procedure, no option"));
    f.Click(IDC_PROC_OPTION_FIRST, "first option on");
    f.Click(IDC_PROC_OPTION_SECOND, "second option on");
    f.Note("pressed", pressed);
    f.NoteChecked("end.first", IDC_PROC_OPTION_FIRST);
    f.NoteChecked("end.second", IDC_PROC_OPTION_SECOND);
}

void DriveReports(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, bool bFull)
{
    Flow f(run, hPage, obs, pass + ".reports.");
    f.NoteChecked("shown.r1checked", IDC_REPORT_1);
    f.NoteEnabled("shown.exec", IDC_REPORT_EXECUTE);
    f.NoteEnabled("shown.alt", IDC_REPORT_EXECUTE_ALTERNATE);
    auto commands = [&](const std::string& name) {
        f.NoteEnabled(name + ".exec", IDC_REPORT_EXECUTE);
        f.NoteEnabled(name + ".alt", IDC_REPORT_EXECUTE_ALTERNATE);
        f.Click(IDC_REPORT_EXECUTE, (name + " execute").c_str());
        f.Click(IDC_REPORT_EXECUTE_ALTERNATE, (name + " execute alternate").c_str());
    };
    static const struct
    {
        int nID;
        const char* pszName;
    } choices[] = {
        {IDC_REPORT_1, "r1"}, {IDC_REPORT_2, "r2"}, {IDC_REPORT_3, "r3"}, {IDC_REPORT_4, "r4"},
        {IDC_REPORT_5, "r5"}, {IDC_REPORT_6, "r6"}, {IDC_REPORT_7, "r7"}, {IDC_REPORT_8, "r8"},
        {IDC_REPORT_11, "r11"},
    };
    for (const auto& choice : choices)
    {
        if (!bFull && choice.nID != IDC_REPORT_1 && choice.nID != IDC_REPORT_11)
            continue;
        f.Click(choice.nID, choice.pszName);
        commands(choice.pszName);
        if (choice.nID == IDC_REPORT_8)
        {
            // Report 9 through the hidden box, and back to 8.
            f.Click(IDC_REPORT8_VARIANT, "report 9");
            commands("r9");
            f.Click(IDC_REPORT8_VARIANT, "report 8 again");
        }
        else if (choice.nID == IDC_REPORT_11)
        {
            f.Click(IDC_REPORT11_OPTION, "report 11 option on");
            commands("r11on");
            f.Click(IDC_REPORT11_OPTION, "report 11 option off");
            f.NoteEnabled("r11off.alt", IDC_REPORT_EXECUTE_ALTERNATE);
        }
    }
}

void DriveDriver(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, bool bFull)
{
    Flow f(run, hPage, obs, pass + ".driver.");
    auto noteAll = [&](const std::string& at) {
        f.NoteText(at + ".number", IDC_DRV_NUMBER);
        f.Note(at + ".choice", B(run.Checked(hPage, IDC_DRV_CHOICE1)) + B(run.Checked(hPage, IDC_DRV_CHOICE2)) +
                                   B(run.Checked(hPage, IDC_DRV_CHOICE3)));
        f.Note(at + ".switch", B(run.Checked(hPage, IDC_DRV_SWITCH1)) + B(run.Checked(hPage, IDC_DRV_SWITCH2)));
        f.Note(at + ".options", B(run.Checked(hPage, IDC_DRV_OPTION1)) + B(run.Checked(hPage, IDC_DRV_OPTION2)) +
                                    B(run.Checked(hPage, IDC_DRV_OPTION13)));
        f.Note(at + ".buttons", B(run.Enabled(hPage, IDC_DRV_APPLY)) + B(run.Enabled(hPage, IDC_DRV_REVERT)));
    };
    noteAll("shown");
    LRESULT range = run.Send(::GetDlgItem(hPage, IDC_DRV_NUMBER_SPIN), UDM_GETRANGE);
    f.Note("shown.range", Num((short)HIWORD(range)) + ".." + Num((short)LOWORD(range)));

    f.Click(IDC_DRV_OPTION1, "option 1 changed");
    noteAll("changed");
    f.Click(IDC_DRV_APPLY, "apply");
    noteAll("applied");

    if (bFull)
    {
        f.Click(IDC_DRV_OPTION2, "option 2 changed");
        f.Click(IDC_DRV_CHOICE3, "choice 3");
        f.Click(IDC_DRV_SWITCH2, "switch 2");
        f.Click(IDC_DRV_REVERT, "revert");
        noteAll("reverted");

        f.SetText(IDC_DRV_NUMBER, "17", "number 17");
        noteAll("typed");
        f.Click(IDC_DRV_APPLY, "apply 17");
    }

    f.Click(IDC_DRV_DEFAULTS, "defaults");
    noteAll("defaults");
    f.Click(IDC_DRV_APPLY, "apply defaults");
    noteAll("applieddefaults");
    // Defaults again, equal to what was just applied: the buttons still arm.
    f.Click(IDC_DRV_DEFAULTS, "defaults again");
    noteAll("defaultsagain");
    f.Click(IDC_DRV_REVERT, "revert after defaults");
    noteAll("end");
}

} // namespace

namespace
{

// Selects row nRow with the keys a user would press.
void SelectRow(AppRun& run, HWND hPage, Observations& obs, const std::string& pass, int nRow)
{
    Flow f(run, hPage, obs, pass + ".devices.");
    HWND hList = ::GetDlgItem(hPage, IDC_DEVICE_LIST);
    run.Key(hList, VK_HOME);
    run.Step(f.m_prefix + "home");
    for (int i = 0; i < nRow && !run.Broken(); ++i)
    {
        run.Key(hList, VK_DOWN);
        run.Step(f.m_prefix + "down to row " + Num(nRow));
    }
    f.Note("selected", Num((long long)(int)run.Send(hList, LVM_GETNEXTITEM, (WPARAM)-1,
                                                     MAKELPARAM(LVNI_SELECTED, 0))));
    f.Note("title", run.Text(run.Sheet()));
}

void DrivePages(AppRun& run, Observations& obs, const std::string& pass, bool bFirstPass, int nRow,
                const std::function<void(int)>& beforePage)
{
    const int nPages = run.PageCount();
    obs[pass + ".pages"] = Num(nPages);
    for (int i = 0; i < nPages && !run.Broken(); ++i)
    {
        HWND hPage = run.ShowPage(i);
        const std::string name = run.Text(hPage);
        if (!run.Step(pass + " page " + Num(i) + " shown"))
            break;
        if (nRow >= 0 && name == ResourceText(IDS_DEVICES_PAGE))
        {
            SelectRow(run, hPage, obs, pass, nRow);
            if (beforePage)
                beforePage(i);
            continue;
        }
        if (beforePage)
            beforePage(i);

        if (name == ResourceText(IDS_DEVICES_PAGE))
            DriveDevices(run, hPage, obs, pass, bFirstPass);
        else if (name == ResourceText(IDS_MAINTENANCE_PAGE))
            DriveMaintenance(run, hPage, obs, pass);
        else if (name == ResourceText(IDS_MEMORY_PAGE))
            DriveMemory(run, hPage, obs, pass, bFirstPass);
        else if (name == ResourceText(IDS_TASKS_PAGE))
            DriveTasks(run, hPage, obs, pass);
        else if (name == ResourceText(IDS_PROCEDURES_PAGE))
            DriveProcedures(run, hPage, obs, pass, bFirstPass);
        else if (name == ResourceText(IDS_REPORTS_PAGE))
            DriveReports(run, hPage, obs, pass, bFirstPass);
        else if (name == ResourceText(IDS_DRIVER_PAGE))
            DriveDriver(run, hPage, obs, pass, bFirstPass);
        else
            run.NoteProblem("page " + Num(i) + " has an unknown text \"" + Shorten(name) + "\"");
    }
}

} // namespace

void DriveAllPages(AppRun& run, Observations& obs, const std::string& pass, bool bFirstPass)
{
    DrivePages(run, obs, pass, bFirstPass, -1, std::function<void(int)>());
}

void DriveAllPagesOnRow(AppRun& run, Observations& obs, const std::string& pass, int nRow,
                        const std::function<void(int)>& beforePage)
{
    DrivePages(run, obs, pass, true, nRow, beforePage);
}

// ---------------------------------------------------------------------------
// Journal and process figures

std::vector<std::string> JournalProblems(const std::string& journal)
{
    std::vector<std::string> problems;
    const std::vector<std::string> lines = e2e::Lines(journal);
    std::string lastLive;
    for (const std::string& line : lines)
    {
        if (line.compare(0, 14, "live objects: ") == 0)
            lastLive = line;
        if (line.find("OVER-RELEASE") != std::string::npos || line.find("USE-AFTER-RELEASE") != std::string::npos ||
            line.compare(0, 9, "INTERNAL:") == 0 ||
            (line.compare(0, 7, "config:") == 0 && line.find("; skipped") != std::string::npos))
        {
            if (problems.size() < 10)
                problems.push_back("journal: " + Shorten(line));
        }
    }
    if (lastLive.empty())
        problems.push_back("journal: no \"live objects\" line (the simulator did not unload)");
    else if (lastLive != "live objects: 0")
        problems.push_back("journal: " + lastLive + " at unload");
    return problems;
}

namespace
{

// The system's handle table, as NtQuerySystemInformation gives it (class 16).
struct SystemHandleEntry
{
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

typedef LONG(WINAPI* QuerySystemInformationFn)(int, PVOID, ULONG, PULONG);

// The handles a process holds, counted in the system's handle table: Wine
// answers GetProcessHandleCount for another process with 0, but lists every
// handle of every process there. -1 when the table cannot be read.
long CountHandles(DWORD pid)
{
    const int kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = (LONG)0xC0000004;
    QuerySystemInformationFn query = (QuerySystemInformationFn)(void*)::GetProcAddress(
        ::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return -1;
    std::vector<char> buffer(256 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, &buffer[0], (ULONG)buffer.size(), &needed);
        if (status == kInfoLengthMismatch)
        {
            buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : (size_t)needed + 4096);
            continue;
        }
        if (status < 0)
            return -1;
        const ULONG count = *reinterpret_cast<const ULONG*>(&buffer[0]);
        const SystemHandleEntry* entries = reinterpret_cast<const SystemHandleEntry*>(&buffer[sizeof(ULONG_PTR)]);
        long mine = 0;
        for (ULONG i = 0; i < count; ++i)
            mine += entries[i].ownerPid == pid ? 1 : 0;
        return mine;
    }
    return -1;
}

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<long*>(lParam);
    return TRUE;
}

} // namespace

ProcessFigures ReadFigures(DWORD pid)
{
    ProcessFigures figures;
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!hProcess)
        return figures;
    DWORD handles = 0;
    if (::GetProcessHandleCount(hProcess, &handles) && handles != 0)
        figures.handles = (long)handles;
    else
        figures.handles = CountHandles(pid);
    figures.gdiObjects = ::GetGuiResources(hProcess, GR_GDIOBJECTS);
    figures.userObjects = ::GetGuiResources(hProcess, GR_USEROBJECTS);
    for (HWND hWnd : TopWindows(pid))
    {
        ++figures.windows;
        ::EnumChildWindows(hWnd, CountChild, (LPARAM)&figures.windows);
    }
    PROCESS_MEMORY_COUNTERS_EX counters;
    ZeroMemory(&counters, sizeof(counters));
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(hProcess, (PROCESS_MEMORY_COUNTERS*)&counters, sizeof(counters)))
    {
        // Wine fills PagefileUsage (the process's private, anonymous memory)
        // but not PrivateUsage; on Windows the two are the same figure.
        figures.privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
        figures.workingSet = counters.WorkingSetSize;
    }
    figures.ok = figures.handles >= 0 && figures.privateBytes != 0;
    ::CloseHandle(hProcess);
    return figures;
}

double Seconds()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

} // namespace rel
