// AppDriver.cpp - AppProcess and the window helpers of the end-to-end tests.
#include "AppDriver.h"

#include <commctrl.h>
#include <prsht.h>

#include <fstream>
#include <sstream>

#include <string.h>

#include "lang/ServiceRes.h"

namespace e2e
{

std::string BinDir()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path);
    size_t slash = dir.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : dir.substr(0, slash + 1)) + "..\\bin\\";
}

AppProcess::~AppProcess()
{
    if (IsRunning())
        Kill();
    if (m_hProcess)
        ::CloseHandle(m_hProcess);
}

bool AppProcess::Start(const std::string& exePath, const std::vector<std::string>& extraEnv)
{
    std::string exe = exePath.empty() ? BinDir() + "ServiceApp.exe" : exePath;
    for (const std::string& e : extraEnv)
    {
        size_t eq = e.find('=');
        if (eq != std::string::npos)
            ::SetEnvironmentVariableA(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str());
    }
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string dir = exe.substr(0, exe.find_last_of("\\/") + 1);
    BOOL ok = ::CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL,
                               dir.empty() ? NULL : dir.c_str(), &si, &pi);
    for (const std::string& e : extraEnv)
    {
        size_t eq = e.find('=');
        if (eq != std::string::npos)
            ::SetEnvironmentVariableA(e.substr(0, eq).c_str(), NULL);
    }
    if (!ok)
        return false;
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_pid = pi.dwProcessId;
    ::WaitForInputIdle(m_hProcess, 5000);
    return true;
}

bool AppProcess::WaitExit(DWORD timeoutMs, DWORD* pExitCode)
{
    if (!m_hProcess)
        return true;
    if (::WaitForSingleObject(m_hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (pExitCode)
        ::GetExitCodeProcess(m_hProcess, pExitCode);
    return true;
}

bool AppProcess::IsRunning() const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

void AppProcess::Kill()
{
    if (m_hProcess)
    {
        ::TerminateProcess(m_hProcess, 99);
        ::WaitForSingleObject(m_hProcess, 5000);
    }
}

namespace
{
struct EnumData
{
    DWORD pid;
    std::vector<HWND>* out;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    EnumData* data = (EnumData*)lParam;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == data->pid)
        data->out->push_back(hWnd);
    return TRUE;
}
} // namespace

std::vector<HWND> TopWindows(DWORD pid)
{
    std::vector<HWND> windows;
    EnumData data = {pid, &windows};
    ::EnumWindows(CollectWindow, (LPARAM)&data);
    return windows;
}

std::string WindowText(HWND hWnd)
{
    char buf[1024] = "";
    // WM_GETTEXT, not GetWindowText: it reaches windows of other processes too.
    ::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, NULL);
    return buf;
}

std::string ClassName(HWND hWnd)
{
    char buf[256] = "";
    ::GetClassNameA(hWnd, buf, sizeof(buf));
    return buf;
}

std::string ResourceText(UINT nID)
{
    static HINSTANCE hRes =
        ::LoadLibraryExA((BinDir() + "lang\\ServiceRes.dll").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    char buf[1024] = "";
    if (hRes)
        ::LoadStringA(hRes, nID, buf, sizeof(buf));
    return buf;
}

int RunAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    std::string cmd = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return -1;
    ::CloseHandle(pi.hThread);
    DWORD code = (DWORD)-1;
    if (::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &code);
    else
        ::TerminateProcess(pi.hProcess, 99);
    ::CloseHandle(pi.hProcess);
    return (int)code;
}

BOOL PassStartupGate(HWND hDialog, const char* pszModel)
{
    HWND hEdit = ::GetDlgItem(hDialog, IDC_MODEL_NAME);
    HWND hAccept = ::GetDlgItem(hDialog, IDC_ACCEPT);
    if (!hEdit || !hAccept)
        return FALSE;
    for (const char* p = pszModel; *p; ++p)
        ::SendMessageA(hEdit, WM_CHAR, (WPARAM)(BYTE)*p, 1);
    if (!::IsWindowEnabled(hAccept))
        return FALSE;
    ::PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_ACCEPT, BN_CLICKED), (LPARAM)hAccept);
    return TRUE;
}

std::vector<std::string> PageTexts(HWND hSheet)
{
    std::vector<std::string> texts;
    HWND hTab = (HWND)::SendMessageA(hSheet, PSM_GETTABCONTROL, 0, 0);
    int n = hTab ? (int)::SendMessageA(hTab, TCM_GETITEMCOUNT, 0, 0) : 0;
    for (int i = 0; i < n; ++i)
    {
        ::SendMessageA(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
        HWND hPage = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        texts.push_back(hPage ? WindowText(hPage) : std::string());
    }
    if (n > 0)
        ::SendMessageA(hSheet, PSM_SETCURSEL, 0, 0);
    return texts;
}

bool IsStartupDialog(HWND hWnd)
{
    return ClassName(hWnd) == "#32770" && ::IsWindowVisible(hWnd) &&
           WindowText(hWnd) == ResourceText(IDS_STARTUP_CAPTION);
}

bool IsServiceSheet(HWND hWnd)
{
    const std::string tail = " - " + ResourceText(IDS_APP_TITLE);
    const std::string text = WindowText(hWnd);
    return ClassName(hWnd) == "#32770" && ::IsWindowVisible(hWnd) && text.size() > tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

LRESULT SendTo(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return (LRESULT)result;
}

bool RegisterSimulator(bool bRegister)
{
    return RegisterService("DeviceSim.dll", bRegister);
}

bool RegisterService(const char* pszDll, bool bRegister)
{
    std::string cmd = std::string("regsvr32 /s ") + (bRegister ? "" : "/u ") + "\"" + BinDir() + pszDll + "\"";
    return RunAndWait(cmd) == 0;
}

std::string ListItemText(HWND hList, int nRow, int nColumn)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hList, &pid);
    HANDLE hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (hProcess == NULL)
        return std::string();
    const SIZE_T kTextSize = 1024;
    BYTE* remote = (BYTE*)::VirtualAllocEx(hProcess, NULL, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE);
    std::string text;
    if (remote != NULL)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = nRow;
        item.iSubItem = nColumn;
        item.pszText = (LPSTR)(remote + sizeof(LVITEMA));
        item.cchTextMax = (int)kTextSize;
        SIZE_T done = 0;
        if (::WriteProcessMemory(hProcess, remote, &item, sizeof(item), &done))
        {
            LRESULT length = SendTo(hList, LVM_GETITEMTEXTA, (WPARAM)nRow, (LPARAM)remote);
            char buffer[1024] = "";
            if (length > 0 && ::ReadProcessMemory(hProcess, remote + sizeof(LVITEMA), buffer, sizeof(buffer), &done))
                text.assign(buffer, strnlen(buffer, sizeof(buffer)));
        }
        ::VirtualFreeEx(hProcess, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(hProcess);
    return text;
}

HWND StartToSheet(AppProcess& app, const std::vector<std::string>& extraEnv, const char* pszModel, DWORD timeoutMs)
{
    if (!app.Start(std::string(), extraEnv))
    {
        ADD_FAILURE() << "the program did not start";
        return NULL;
    }
    HWND hDlg = WaitForWindow(app.Pid(), IsStartupDialog, timeoutMs);
    if (!hDlg)
    {
        ADD_FAILURE() << "no start-up dialog";
        return NULL;
    }
    if (!PassStartupGate(hDlg, pszModel))
    {
        ADD_FAILURE() << "the gate stayed shut for " << pszModel;
        return NULL;
    }
    HWND hSheet = WaitForWindow(app.Pid(), IsServiceSheet, timeoutMs);
    if (!hSheet)
        ADD_FAILURE() << "no sheet";
    return hSheet;
}

std::string TempPath(const std::string& name)
{
    char dir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "serviceapp_e2e_" + std::to_string(::GetCurrentProcessId()) + "_" + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int FindLine(const std::vector<std::string>& lines, const std::string& prefix, int from)
{
    for (int i = from < 0 ? 0 : from; i < (int)lines.size(); ++i)
        if (lines[(size_t)i].compare(0, prefix.size(), prefix) == 0)
            return i;
    return -1;
}

int CountLines(const std::vector<std::string>& lines, const std::string& prefix)
{
    int n = 0;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++n;
    return n;
}

SimSession::SimSession(const std::string& tag, const std::string& config)
    : m_state(TempPath(tag + "_state.txt")), m_journal(TempPath(tag + "_journal.txt"))
{
    if (!config.empty())
    {
        m_config = TempPath(tag + "_config.ini");
        std::ofstream(m_config.c_str(), std::ios::binary) << config;
    }
    ::DeleteFileA(m_state.c_str());
    ::DeleteFileA(m_journal.c_str());
}

SimSession::~SimSession()
{
    if (!m_config.empty())
        ::DeleteFileA(m_config.c_str());
    ::DeleteFileA(m_state.c_str());
    ::DeleteFileA((m_state + ".tmp").c_str());
    ::DeleteFileA(m_journal.c_str());
}

std::vector<std::string> SimSession::Environment() const
{
    std::vector<std::string> env{"DEVICESIM_STATE=" + m_state, "DEVICESIM_JOURNAL=" + m_journal};
    if (!m_config.empty())
        env.push_back("DEVICESIM_CONFIG=" + m_config);
    return env;
}

void SimSession::ClearJournal() const
{
    ::DeleteFileA(m_journal.c_str());
}

void FleetTest::SetUpTestSuite()
{
    ASSERT_TRUE(RegisterSimulator(true));
}

void FleetTest::SetUp()
{
    m_sim.reset(new SimSession("fleet", m_fleet));
}

void FleetTest::TearDown()
{
    m_sim.reset();
}

void FleetTest::Configure(const std::string& extra)
{
    m_sim.reset();
    m_sim.reset(new SimSession("fleet", m_fleet + extra));
}

HWND FleetTest::Start(AppProcess& app, const char* pszModel)
{
    return StartToSheet(app, m_sim->Environment(), pszModel);
}

HWND FleetTest::CurrentPage(HWND hSheet)
{
    return (HWND)SendTo(hSheet, PSM_GETCURRENTPAGEHWND);
}

HWND FleetTest::ShowPage(HWND hSheet, int nTab)
{
    SendTo(hSheet, PSM_SETCURSEL, (WPARAM)nTab, 0);
    return CurrentPage(hSheet);
}

void FleetTest::Close(AppProcess& app, HWND hSheet)
{
    ::PostMessageA(hSheet, WM_COMMAND, IDCANCEL, 0);
    DWORD code = 1234;
    ASSERT_TRUE(app.WaitExit(15000, &code)) << "still running after Close";
    EXPECT_EQ(0u, code);
}

void FleetTest::SetText(HWND hPage, int nID, const char* text)
{
    SendTo(::GetDlgItem(hPage, nID), WM_SETTEXT, 0, (LPARAM)text);
}

void FleetTest::Click(HWND hPage, int nID)
{
    SendTo(::GetDlgItem(hPage, nID), BM_CLICK);
}

std::string FleetTest::Text(HWND hPage, int nID)
{
    return WindowText(::GetDlgItem(hPage, nID));
}

bool FleetTest::Checked(HWND hPage, int nID)
{
    return SendTo(::GetDlgItem(hPage, nID), BM_GETCHECK) == BST_CHECKED;
}

bool FleetTest::Enabled(HWND hPage, int nID)
{
    return ::IsWindowEnabled(::GetDlgItem(hPage, nID)) != FALSE;
}

void FleetTest::ExpectAllReleased(const std::string& journal)
{
    EXPECT_NE(std::string::npos, journal.find("live objects: 0")) << journal;
    EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE")) << journal;
    EXPECT_EQ(std::string::npos, journal.find("USE-AFTER-RELEASE")) << journal;
}

} // namespace e2e
