// bench_driver.cpp - runs every benchmark under Wine and prints the results as
// a Markdown table (progress goes to stderr).
//
//   bench_driver [--quick] [--startup-runs N] [--pairs N] [--list-processes N]
//                [--list-repetitions N] [--switches N] [--counts a,b,c]
//                [--activation-fleet N] [--printer-runs N]
//                [--only startup|shown|list|activation|printers]
//
// Each figure is set against a baseline measured in the same run, in pairs
// that take turns going first (bench/run pins the whole run to one CPU):
//   start-up     ServiceApp.exe against baseline_sheet.exe, from process
//                start (just before CreateProcess) to their sheet window
//                visible, seen by this process polling the program's windows
//                every millisecond; the application's start-up gate is
//                answered as soon as it shows, and the time the name takes
//                to type is the user's, counted apart;
//   shown        the device list as a user meets it, timed from outside:
//                ServiceApp.exe from the gate's accept click to its Devices
//                page shown with all N rows, against baseline_list.exe
//                --shown (a bare list-view filled with the same rows after
//                a click), for each fleet size and an empty fleet; gives the
//                marginal cost per device, (t(N) - t(0)) / N, and the peak
//                working set and private bytes with the rows shown;
//   device list  bench_devices.exe (the Devices page's OnInitDialog, in
//                process) against baseline_list.exe (a bare list-view
//                filled with the same rows), with the device service's
//                share measured alone;
//   activation   PSM_SETCURSEL round trips to the application's sheet after
//                a device change (a Down key in the Devices list), each
//                followed by the same round trip to the baseline sheet's
//                empty page of that index;
//   printers     (when CUPS_SERVER names a CUPS server: bench/run starts one
//                with 15 queues) bench_printers.exe: the Devices page on the
//                IPP device service with those queues and 5 printers that
//                never answer, from the service's making to the rows shown,
//                against the same page on the simulator with as many devices.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "lang/ServiceRes.h"

using namespace bench;

namespace
{

struct Options
{
    int startupRuns = 10;   // pairs
    int pairs = 5;          // pairs per fleet size of the list shown
    int listProcesses = 6;
    int listRepetitions = 2;
    int switches = 100;
    long activationFleet = 10000;
    std::vector<long> counts = {1000, 10000, 50000};
    int printerRuns = 10;
    std::string only;   // "startup", "shown", "list", "activation" or "printers": that part alone
};

typedef std::map<std::string, std::vector<double>> Samples;

void Progress(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputc('\n', stderr);
    fflush(stderr);
}

std::string Format(const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof(buf), format, args);
    va_end(args);
    return buf;
}

std::string Thousands(long n)
{
    std::string digits = Format("%ld", n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i)
    {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string Ms(double ms)
{
    return ms >= 100.0 ? Format("%.0f ms", ms) : ms >= 10.0 ? Format("%.1f ms", ms) : Format("%.2f ms", ms);
}

std::string Mb(double bytes)
{
    return Format("%.1f MB", bytes / (1024.0 * 1024.0));
}

std::string Spread(const std::vector<double>& samples)
{
    if (samples.empty())
        return "-";
    double low = samples[0], high = samples[0];
    for (double s : samples)
    {
        low = s < low ? s : low;
        high = s > high ? s : high;
    }
    return Format("%s to %s (n=%u)", Ms(low).c_str(), Ms(high).c_str(), (unsigned)samples.size());
}

std::string Verdict(double ratio, double target)
{
    return ratio <= target ? "met" : "**missed**";
}

// --- Window and process helpers ---------------------------------------------

// WM_GETTEXT reaches windows of other processes too.
std::string WindowText(HWND hWnd)
{
    char buf[256] = "";
    ::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, NULL);
    return buf;
}

// Runs a program to its end; its exit code, or -1.
int RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000)
{
    std::string cmd = commandLine;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
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

// --- Programs under measurement ---------------------------------------------

struct Launched
{
    HANDLE hProcess = NULL;
    DWORD pid = 0;
    DWORD tid = 0;          // the main thread, which owns every window of the programs measured
    double startMs = 0.0;
};

bool Launch(const std::string& exe, Launched& out, const std::string& args = std::string())
{
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::string dir = exe.substr(0, exe.find_last_of("\\/") + 1);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    out.startMs = NowMs();
    if (!::CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    out.hProcess = pi.hProcess;
    out.pid = pi.dwProcessId;
    out.tid = pi.dwThreadId;
    return true;
}

// Ends the program: Cancel to a sheet (its Close button), WM_CLOSE to any
// other window; killed after ten seconds.
void Close(Launched& program, HWND hWindow)
{
    if (!program.hProcess)
        return;
    if (hWindow)
    {
        char cls[32] = "";
        ::GetClassNameA(hWindow, cls, sizeof(cls));
        if (strcmp(cls, "#32770") == 0)
            ::PostMessageA(hWindow, WM_COMMAND, IDCANCEL, 0);
        else
            ::PostMessageA(hWindow, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(program.hProcess, 10000) != WAIT_OBJECT_0)
    {
        Progress("  (had to kill pid %lu)", program.pid);
        ::TerminateProcess(program.hProcess, 99);
        ::WaitForSingleObject(program.hProcess, 5000);
    }
    ::CloseHandle(program.hProcess);
    program.hProcess = NULL;
}

enum WindowKind
{
    GATE_WINDOW,    // a window with an accept button: the start-up gate, or the list baseline's
    SHEET_WINDOW,   // a dialog with a tab control
    LIST_WINDOW     // a window showing the device list (the sheet's first page, or the bare list)
};

// The device list of a top-level window: its own child, or its first page's.
HWND DeviceListOf(HWND hTop)
{
    if (HWND hList = ::GetDlgItem(hTop, IDC_DEVICE_LIST))
        return hList;
    HWND hPage = ::FindWindowExA(hTop, NULL, "#32770", NULL);
    return hPage ? ::GetDlgItem(hPage, IDC_DEVICE_LIST) : NULL;
}

// The rows of a list in another process; -1 when it does not answer.
long RowsOf(HWND hList)
{
    DWORD_PTR rows = 0;
    if (!::SendMessageTimeoutA(hList, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rows))
        return -1;
    return (long)rows;
}

struct FindData
{
    WindowKind kind;
    long rows;      // LIST_WINDOW: the rows the list must show
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hWnd, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    if (!::IsWindowVisible(hWnd))
        return TRUE;
    bool match = false;
    switch (data->kind)
    {
    case GATE_WINDOW:
        match = ::GetDlgItem(hWnd, IDC_ACCEPT) != NULL;
        break;
    case SHEET_WINDOW:
        match = ::FindWindowExA(hWnd, NULL, WC_TABCONTROLA, NULL) != NULL;
        break;
    case LIST_WINDOW:
        if (HWND hList = DeviceListOf(hWnd))
            match = RowsOf(hList) == data->rows;
        break;
    }
    if (match)
    {
        data->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Polls every millisecond for a visible window of the kind among the
// program's main thread's windows (one request to the window manager per
// poll, so that polling takes little from a program sharing the CPU); NULL
// when the process ended or after the timeout.
HWND PollFor(const Launched& program, WindowKind kind, long rows = 0, double timeoutMs = 60000.0)
{
    const double start = NowMs();
    for (;;)
    {
        FindData data = {kind, rows, NULL};
        ::EnumThreadWindows(program.tid, FindVisible, (LPARAM)&data);
        if (data.found)
            return data.found;
        if (::WaitForSingleObject(program.hProcess, 0) == WAIT_OBJECT_0 || NowMs() - start > timeoutMs)
            return NULL;
        ::Sleep(1);
    }
}

// Types the model name into the start-up gate as a user typing ahead would
// (posted keys, which the gate checks one by one), and waits until its
// accept button is enabled, that is, until the gate took the name. FALSE
// when it never was.
bool TypeModelName(HWND hGate, const char* pszModel)
{
    HWND hEdit = ::GetDlgItem(hGate, IDC_MODEL_NAME);
    HWND hAccept = ::GetDlgItem(hGate, IDC_ACCEPT);
    if (!hEdit || !hAccept)
        return false;
    for (const char* p = pszModel; *p; ++p)
        ::PostMessageA(hEdit, WM_CHAR, (WPARAM)(BYTE)*p, 1);
    const double start = NowMs();
    while (!::IsWindowEnabled(hAccept))
    {
        if (NowMs() - start > 10000.0)
            return false;
        ::Sleep(1);
    }
    return true;
}

// Clicks the accept button of a gate (the application's or the list
// baseline's): the parent hears BN_CLICKED.
void ClickAccept(HWND hGate)
{
    ::PostMessageA(hGate, WM_COMMAND, MAKEWPARAM(IDC_ACCEPT, BN_CLICKED), (LPARAM)::GetDlgItem(hGate, IDC_ACCEPT));
}

// Starts ServiceApp.exe and answers its gate; the sheet, or NULL. With
// rows >= 0, the sheet counts as shown once its device list answers with
// that many rows.
struct AppStart
{
    double toGate = 0.0;        // process start to the gate shown
    double typing = 0.0;        // the user's part: the name typed until the gate took it
    double clickToSheet = 0.0;  // accept clicked to the sheet shown
    double total = 0.0;         // process start to the sheet shown, the typing included
    double own = 0.0;           // the same without the user's part: toGate + clickToSheet
};

HWND StartApp(Launched& app, AppStart& times, long rows = -1)
{
    if (!Launch(BinDir() + "ServiceApp.exe", app))
        return NULL;
    HWND hGate = PollFor(app, GATE_WINDOW);
    if (!hGate)
        return NULL;
    const double gateAt = NowMs();
    if (!TypeModelName(hGate, "KESSLY"))
        return NULL;
    const double clickAt = NowMs();
    ClickAccept(hGate);
    HWND hSheet = rows >= 0 ? PollFor(app, LIST_WINDOW, rows) : PollFor(app, SHEET_WINDOW);
    const double sheetAt = NowMs();
    times.toGate = gateAt - app.startMs;
    times.typing = clickAt - gateAt;
    times.clickToSheet = sheetAt - clickAt;
    times.total = sheetAt - app.startMs;
    times.own = times.toGate + times.clickToSheet;
    return hSheet;
}

HWND StartBaselineSheet(Launched& baseline, double& total)
{
    if (!Launch(ProgramDir() + "baseline_sheet.exe", baseline))
        return NULL;
    HWND hSheet = PollFor(baseline, SHEET_WINDOW);
    total = NowMs() - baseline.startMs;
    return hSheet;
}

// --- Start-up ----------------------------------------------------------------

struct StartupResult
{
    std::vector<double> app;        // the program's own time: to the gate, and from accept to the sheet
    std::vector<double> total;      // process start to the sheet shown, the user's typing included
    std::vector<double> toGate, typing, clickToSheet, baseline;
    std::vector<double> ratio;      // per pair
    std::vector<double> appPeak, baselinePeak;
    int failures = 0;
};

void MeasureStartup(const Options& options, StartupResult& r)
{
    UseFleet(0);
    // One pair first, not counted: it brings the files into the cache.
    for (int run = -1; run < options.startupRuns; ++run)
    {
        AppStart times;
        double baseline = 0.0, appPeak = 0.0, basePeak = 0.0;
        bool appOk = false, baseOk = false;
        for (int which = 0; which < 2; ++which)
        {
            // Alternate which program goes first, so that drift hits both.
            const bool appTurn = ((run + which) % 2) != 0;
            Launched program;
            HWND hSheet = NULL;
            if (appTurn)
            {
                hSheet = StartApp(program, times);
                appOk = hSheet != NULL;
                appPeak = (double)PeakWorkingSet(program.hProcess);
            }
            else
            {
                hSheet = StartBaselineSheet(program, baseline);
                baseOk = hSheet != NULL;
                basePeak = (double)PeakWorkingSet(program.hProcess);
            }
            if (!hSheet)
            {
                ++r.failures;
                Progress("  start-up run %d: %s showed no sheet", run, appTurn ? "ServiceApp" : "baseline");
            }
            Close(program, hSheet);
        }
        if (run < 0 || !appOk || !baseOk)
            continue;
        r.app.push_back(times.own);
        r.total.push_back(times.total);
        r.toGate.push_back(times.toGate);
        r.typing.push_back(times.typing);
        r.clickToSheet.push_back(times.clickToSheet);
        r.appPeak.push_back(appPeak);
        r.baseline.push_back(baseline);
        r.baselinePeak.push_back(basePeak);
        r.ratio.push_back(times.own / baseline);
        Progress("  start-up pair %d: app %s (%s with the typing), baseline %s", run, Ms(times.own).c_str(),
                 Ms(times.total).c_str(), Ms(baseline).c_str());
    }
}

bool ReadResults(const std::string& path, Samples& samples)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char key[128];
    double value;
    while (fscanf(file, "%127s %lf", key, &value) == 2)
        samples[key].push_back(value);
    fclose(file);
    return true;
}

// --- Device list shown, timed from outside -----------------------------------

// For each count, and for an empty fleet: pairs of the application (accept
// clicked to its Devices page shown with every row) and the list baseline
// (its accept clicked to its bare list shown with every row), taking turns
// going first; both read the same fleet through the same simulator.
struct ShownResult
{
    std::map<long, std::vector<double>> app, bare;       // by count (0: the empty fleet)
    std::map<long, std::vector<double>> appPeak, barePeak, appPrivate, barePrivate;
    Samples service;    // the device service's memory alone: service.peakws.<count>
    int failures = 0;
};

// The resident anonymous memory of a program this driver started, in bytes
// (0 when unknown). Wine gives other processes' private bytes as 0, so this
// reads the host's own account: a Wine process is a host process whose
// command line starts with the program's path, and /proc/<pid>/status says
// how much of its resident memory is anonymous (heaps, stacks, private
// mappings: the private working set) rather than mapped files.
double ResidentAnonymous(const std::string& exe)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA("Z:\\proc\\*", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0.0;
    double bytes = 0.0;
    do
    {
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9')
            continue;
        const std::string dir = std::string("Z:\\proc\\") + found.cFileName;
        FILE* file = fopen((dir + "\\cmdline").c_str(), "rb");
        if (!file)
            continue;
        char cmdline[1024] = "";
        const size_t got = fread(cmdline, 1, sizeof(cmdline) - 1, file);
        fclose(file);
        cmdline[got] = '\0';   // the first argument ends at the first NUL
        if (lstrcmpiA(cmdline, exe.c_str()) != 0)
            continue;
        file = fopen((dir + "\\status").c_str(), "rb");
        if (!file)
            continue;
        char line[256];
        while (fgets(line, sizeof(line), file))
        {
            unsigned long kb = 0;
            if (sscanf(line, "RssAnon: %lu kB", &kb) == 1)
                bytes = (double)kb * 1024.0;
        }
        fclose(file);
        break;
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return bytes;
}

// One run of either program; the time from the click to the rows shown, or
// a negative number.
double ShowList(bool app, long count, const std::string& rowsFile, double& peak, double& privateBytes)
{
    Launched program;
    HWND hShown = NULL;
    double elapsed = -1.0;
    const std::string exe = app ? BinDir() + "ServiceApp.exe" : ProgramDir() + "baseline_list.exe";
    if (app)
    {
        AppStart times;
        hShown = StartApp(program, times, count);
        if (hShown)
            elapsed = times.clickToSheet;
    }
    else if (Launch(exe, program, Format("--shown %ld \"%s\"", count, rowsFile.c_str())))
    {
        HWND hGate = PollFor(program, GATE_WINDOW);
        if (hGate)
        {
            const double clickAt = NowMs();
            ClickAccept(hGate);
            hShown = PollFor(program, LIST_WINDOW, count);
            if (hShown)
                elapsed = NowMs() - clickAt;
        }
    }
    peak = (double)PeakWorkingSet(program.hProcess);
    privateBytes = hShown ? ResidentAnonymous(exe) : 0.0;
    Close(program, hShown);
    return elapsed;
}

void MeasureShown(const Options& options, ShownResult& r)
{
    std::vector<long> counts(1, 0L);
    counts.insert(counts.end(), options.counts.begin(), options.counts.end());
    for (long count : counts)
    {
        UseFleet(count == 0 ? kEmptyFleet : count);
        // The bare list's rows, read from the simulator beforehand.
        const std::string rowsFile = TempFile(Format("bench_rows_%ld.txt", count).c_str());
        if (RunAndWait(Format("\"%sbaseline_list.exe\" --write-rows \"%s\"", ProgramDir().c_str(),
                              rowsFile.c_str())) != 0)
        {
            ++r.failures;
            Progress("  list shown, %ld devices: the rows could not be written", count);
            continue;
        }
        // The device service's own memory with this fleet.
        const std::string serviceFile = TempFile("bench_service_memory.txt");
        ::DeleteFileA(serviceFile.c_str());
        RunAndWait(Format("\"%sbaseline_list.exe\" --service \"%s\" %ld", ProgramDir().c_str(), serviceFile.c_str(),
                          count));
        ReadResults(serviceFile, r.service);
        // One pair first, not counted, for the file cache and the simulator's fleet file.
        for (int pair = -1; pair < options.pairs; ++pair)
        {
            double times[2] = {-1.0, -1.0}, peaks[2] = {0.0, 0.0}, privates[2] = {0.0, 0.0};
            for (int which = 0; which < 2; ++which)
            {
                const bool appTurn = ((pair + which) % 2) != 0;
                const int slot = appTurn ? 0 : 1;
                times[slot] = ShowList(appTurn, count, rowsFile, peaks[slot], privates[slot]);
                if (times[slot] < 0)
                {
                    ++r.failures;
                    Progress("  list shown, %ld devices: %s failed", count, appTurn ? "ServiceApp" : "baseline_list");
                }
            }
            if (pair < 0 || times[0] < 0 || times[1] < 0)
                continue;
            r.app[count].push_back(times[0]);
            r.bare[count].push_back(times[1]);
            r.appPeak[count].push_back(peaks[0]);
            r.barePeak[count].push_back(peaks[1]);
            r.appPrivate[count].push_back(privates[0]);
            r.barePrivate[count].push_back(privates[1]);
            Progress("  list shown, %ld devices, pair %d: app %s, bare %s", count, pair, Ms(times[0]).c_str(),
                     Ms(times[1]).c_str());
        }
    }
}

// --- Device list -------------------------------------------------------------


void MeasureDeviceList(const Options& options, Samples& samples, int& failures)
{
    const std::string results = TempFile("bench_list_results.txt");
    ::DeleteFileA(results.c_str());
    for (long count : options.counts)
    {
        for (int process = 0; process < options.listProcesses; ++process)
        {
            for (int which = 0; which < 2; ++which)
            {
                const bool pageTurn = ((process + which) % 2) != 0;
                const std::string cmd = Format("\"%s%s\" %ld %d \"%s\"", ProgramDir().c_str(),
                                               pageTurn ? "bench_devices.exe" : "baseline_list.exe", count,
                                               options.listRepetitions, results.c_str());
                const int code = RunAndWait(cmd, 900000);
                if (code != 0)
                {
                    ++failures;
                    Progress("  %s %ld: exit code %d", pageTurn ? "bench_devices" : "baseline_list", count, code);
                }
            }
            Progress("  device list %ld: process pair %d done", count, process);
        }
    }
    ReadResults(results, samples);
}

// --- Page activation and memory ---------------------------------------------

struct ActivationResult
{
    int pages = 0;
    std::vector<std::string> names;
    std::vector<double> first;                    // first activation of pages 1.. (page creation)
    std::vector<std::vector<double>> switches;    // per page
    std::vector<double> deviceChange;             // the Down key in the Devices list
    std::vector<std::vector<double>> baseline;    // per page of the baseline sheet
    AppStart start;
    double peakAtSheet = 0.0;
    double peakAfter = 0.0;
    int selectedRow = -1;
    int expectedRow = 0;
    bool ok = false;
};

HWND CurrentPage(HWND hSheet)
{
    return (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

int PageCount(HWND hSheet)
{
    HWND hTab = (HWND)::SendMessageA(hSheet, PSM_GETTABCONTROL, 0, 0);
    return hTab ? (int)::SendMessageA(hTab, TCM_GETITEMCOUNT, 0, 0) : 0;
}

double TimedSetCurSel(HWND hSheet, int page)
{
    const double start = NowMs();
    ::SendMessageA(hSheet, PSM_SETCURSEL, (WPARAM)page, 0);
    return NowMs() - start;
}

void MeasureActivation(const Options& options, ActivationResult& r)
{
    UseFleet(options.activationFleet);
    Launched app;
    HWND hSheet = StartApp(app, r.start);
    if (!hSheet)
    {
        Progress("  activation: the application showed no sheet");
        Close(app, NULL);
        return;
    }
    r.peakAtSheet = (double)PeakWorkingSet(app.hProcess);
    r.pages = PageCount(hSheet);
    r.names.assign((size_t)r.pages, std::string());
    if (r.pages > 0)
        r.names[0] = WindowText(CurrentPage(hSheet));
    HWND hList = ::GetDlgItem(CurrentPage(hSheet), IDC_DEVICE_LIST);
    const int rows = (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
    if (rows != options.activationFleet)
        Progress("  activation: the list holds %d rows, not %ld", rows, options.activationFleet);

    // A device change: the Devices page shown, a Down key in its list (the
    // page makes the next row's device current on the key's notification).
    auto changeDevice = [&]() {
        if (CurrentPage(hSheet) != ::GetParent(hList))
            ::SendMessageA(hSheet, PSM_SETCURSEL, 0, 0);
        const double start = NowMs();
        ::SendMessageA(hList, WM_KEYDOWN, VK_DOWN, 0);
        ::SendMessageA(hList, WM_KEYUP, VK_DOWN, 0xC0000000);
        r.deviceChange.push_back(NowMs() - start);
        ++r.expectedRow;
    };

    r.first.assign((size_t)r.pages, 0.0);
    for (int p = 1; p < r.pages; ++p)
    {
        changeDevice();
        r.first[(size_t)p] = TimedSetCurSel(hSheet, p);
        r.names[(size_t)p] = WindowText(CurrentPage(hSheet));
    }
    // The baseline sheet runs beside the application: each switch of the
    // application is followed by the same switch in the baseline sheet, to
    // its empty page of the same index (from another page), so that both of
    // a pair meet the same load.
    Launched baseline;
    double total = 0.0;
    HWND hBase = StartBaselineSheet(baseline, total);
    const int basePages = hBase ? PageCount(hBase) : 0;
    for (int p = 1; p < basePages; ++p)
        ::SendMessageA(hBase, PSM_SETCURSEL, (WPARAM)p, 0);   // creates the pages, untimed
    r.switches.assign((size_t)r.pages, std::vector<double>());
    r.baseline.assign((size_t)r.pages, std::vector<double>());
    for (int p = 0; p < r.pages; ++p)
    {
        for (int k = 0; k < options.switches; ++k)
        {
            changeDevice();
            if (p == 0)
                ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
            r.switches[(size_t)p].push_back(TimedSetCurSel(hSheet, p));
            if (p < basePages)
            {
                ::SendMessageA(hBase, PSM_SETCURSEL, p == 0 ? 1 : 0, 0);
                r.baseline[(size_t)p].push_back(TimedSetCurSel(hBase, p));
            }
        }
        Progress("  activation: page %d done", p);
    }
    r.selectedRow = (int)::SendMessageA(hList, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0));
    r.peakAfter = (double)PeakWorkingSet(app.hProcess);
    Close(app, hSheet);
    Close(baseline, hBase);
    r.ok = true;
}

// --- Report --------------------------------------------------------------------

std::vector<double> Get(const Samples& samples, const char* prefix, long count)
{
    Samples::const_iterator found = samples.find(Format("%s.%ld", prefix, count));
    return found == samples.end() ? std::vector<double>() : found->second;
}

// --- Printers over IPP -------------------------------------------------------

void MeasurePrinters(const Options& options, Samples& samples, int& failures)
{
    const std::string results = TempFile("bench_printers_results.txt");
    ::DeleteFileA(results.c_str());
    const std::string cmd = Format("\"%sbench_printers.exe\" %d \"%s\"", ProgramDir().c_str(),
                                   options.printerRuns, results.c_str());
    const int code = RunAndWait(cmd, 900000);
    if (code != 0)
    {
        ++failures;
        Progress("  bench_printers: exit code %d", code);
    }
    ReadResults(results, samples);
}

// The samples of one count; none when it was not measured.
std::vector<double> Find(const std::map<long, std::vector<double>>& samples, long count)
{
    std::map<long, std::vector<double>>::const_iterator found = samples.find(count);
    return found == samples.end() ? std::vector<double>() : found->second;
}

// (t(N) - t(0)) / N from the medians, in microseconds; 0 when either is missing.
double Marginal(const std::map<long, std::vector<double>>& samples, long count)
{
    const std::vector<double> none = Find(samples, 0), some = Find(samples, count);
    if (none.empty() || some.empty() || count <= 0)
        return 0.0;
    return (Median(some) - Median(none)) * 1000.0 / (double)count;
}

// What the device service's fleet of `count` adds to a process's memory: the
// simulator asked for everything the page asks, with that fleet against an
// empty one. 0 when unknown.
double ServiceShare(const Samples& service, const char* prefix, long count)
{
    Samples::const_iterator some = service.find(Format("%s.%ld", prefix, count));
    Samples::const_iterator none = service.find(Format("%s.0", prefix));
    if (some == service.end() || none == service.end())
        return 0.0;
    return Median(some->second) - Median(none->second);
}

std::string RatioSpread(const std::vector<double>& ratios)
{
    if (ratios.empty())
        return "-";
    double low = ratios[0], high = ratios[0];
    for (double r : ratios)
    {
        low = r < low ? r : low;
        high = r > high ? r : high;
    }
    return Format("%.2fx to %.2fx", low, high);
}

// The median of the pairs' ratios a[i] / b[i]. The machine changes speed
// between pairs (the same programs run at 47 ms in one stretch and 71 ms in
// the next), and a pair meets the same speed on both sides; a ratio of the
// two medians would set one stretch's program against the other's baseline.
double PairedRatio(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (b[i] > 0.0)
            ratios.push_back(a[i] / b[i]);
    return Median(ratios);
}

struct Parts
{
    bool startup = false;
    bool shown = false;
    bool list = false;
    bool activation = false;
    bool printers = false;
};

void Report(const Options& options, const Parts& parts, const StartupResult& startup, const ShownResult& shown,
            const Samples& list, const ActivationResult& act, const Samples& printers, int failures)
{
    printf("## Summary\n\n");
    printf("| Benchmark | Measured (median) | Baseline (median) | Ratio | Target | Result |\n");
    printf("|---|---|---|---|---|---|\n");

    const double app = Median(startup.app), base = Median(startup.baseline);
    if (parts.startup)
    {
        if (!startup.app.empty() && !startup.baseline.empty())
            printf("| Start-up: process start to the sheet shown, without the user's typing at the gate (pairs: %s) "
                   "| %s | %s | %.2fx | at most 1.3x | %s |\n",
                   RatioSpread(startup.ratio).c_str(), Ms(app).c_str(), Ms(base).c_str(), Median(startup.ratio),
                   Verdict(Median(startup.ratio), 1.3).c_str());
        else
            printf("| Start-up: process start to sheet shown | failed | failed | - | at most 1.3x | not measured |\n");
    }

    if (parts.shown)
    {
        const std::vector<double> noneApp = Find(shown.app, 0), noneBare = Find(shown.bare, 0);
        for (long count : options.counts)
        {
            const std::vector<double> a = Find(shown.app, count), b = Find(shown.bare, count);
            if (a.empty() || b.empty())
            {
                printf("| Devices page shown: %s devices | failed | failed | - | - | not measured |\n",
                       Thousands(count).c_str());
                continue;
            }
            const bool targeted = count == 10000;
            printf("| Devices page shown with %s devices: accept clicked to every row shown, timed from outside "
                   "(against the bare list) | %s | %s | %.2fx | %s | %s |\n",
                   Thousands(count).c_str(), Ms(Median(a)).c_str(), Ms(Median(b)).c_str(), PairedRatio(a, b),
                   targeted ? "at most 2x" : "-", targeted ? Verdict(PairedRatio(a, b), 2.0).c_str() : "-");
        }
        if (!noneApp.empty() && !noneBare.empty())
        {
            for (long count : options.counts)
            {
                const double a = Marginal(shown.app, count), b = Marginal(shown.bare, count);
                if (a <= 0.0 || b <= 0.0)
                    continue;
                printf("| Marginal cost per device at %s, (t(N) - t(0)) / N | %.1f us | %.1f us | %.2fx | - | - |\n",
                       Thousands(count).c_str(), a, b, a / b);
            }
            const long first = options.counts.front(), last = options.counts.back();
            const double a1 = Marginal(shown.app, first), aN = Marginal(shown.app, last);
            const double b1 = Marginal(shown.bare, first), bN = Marginal(shown.bare, last);
            if (first != last && a1 > 0.0 && aN > 0.0 && b1 > 0.0 && bN > 0.0)
                printf("| Marginal cost per device at %s against at %s | %.1f us vs %.1f us | %.1f us vs %.1f us | "
                       "%.2fx (baseline %.2fx) | at most 1.3x | %s |\n",
                       Thousands(last).c_str(), Thousands(first).c_str(), aN, a1, bN, b1, aN / a1, bN / b1,
                       Verdict(aN / a1, 1.3).c_str());
        }
        const long memoryCount = 10000;
        const std::vector<double> peakApp = Find(shown.appPeak, memoryCount), peakBare = Find(shown.barePeak, memoryCount);
        if (!peakApp.empty() && !peakBare.empty())
        {
            const double a = Median(peakApp), b = Median(peakBare), ratio = PairedRatio(peakApp, peakBare);
            printf("| Peak working set with %s devices, the page shown, against the bare list program (resident "
                   "private memory: %s against %s) | %s | %s | %.2fx | at most 1.2x | %s |\n",
                   Thousands(memoryCount).c_str(), Mb(Median(Find(shown.appPrivate, memoryCount))).c_str(),
                   Mb(Median(Find(shown.barePrivate, memoryCount))).c_str(), Mb(a).c_str(), Mb(b).c_str(), ratio,
                   Verdict(ratio, 1.2).c_str());
            const double share = ServiceShare(shown.service, "service.peakws", memoryCount);
            if (share > 0.0)
                printf("| The same without the device service's share (the simulator's %s devices in the process: "
                       "%s) | %s | %s | %.2fx | - | - |\n",
                       Thousands(memoryCount).c_str(), Mb(share).c_str(), Mb(a - share).c_str(), Mb(b).c_str(),
                       (a - share) / b);
        }
    }

    if (parts.activation)
    {
        if (act.ok)
        {
            for (int p = 0; p < act.pages; ++p)
            {
                const std::vector<double>& s = act.switches[(size_t)p];
                const std::vector<double> b =
                    (size_t)p < act.baseline.size() ? act.baseline[(size_t)p] : std::vector<double>();
                const double ratio = Median(b) > 0 ? Median(s) / Median(b) : 0.0;
                printf("| Page activation after a device change: %s (median / worst of %u) | %s / %s | %s / %s | "
                       "%.2fx | at most 2x | %s |\n",
                       act.names[(size_t)p].c_str(), (unsigned)s.size(), Ms(Median(s)).c_str(),
                       Ms(Largest(s)).c_str(), Ms(Median(b)).c_str(), Ms(Largest(b)).c_str(), ratio,
                       Verdict(ratio, 2.0).c_str());
            }
        }
        else
        {
            printf("| Page activation | failed | - | - | - | not measured |\n");
        }
    }

    const auto find = [&printers](const char* key) {
        Samples::const_iterator found = printers.find(key);
        return found != printers.end() ? found->second : std::vector<double>();
    };
    const std::vector<double> cold = find("printers.cold"), warm = find("printers.warm"),
                              sim = find("sim.cold"), release = find("printers.release"),
                              rows = find("printers.rows"), silent = find("printers.unreachable");
    if (parts.printers)
    {
        if (!cold.empty() && !sim.empty())
        {
            printf("| Devices page on %.0f printers over IPP, %.0f never answering: service made to rows shown "
                   "(against the simulator with as many devices) | %s | %s | %.1fx | under 1 s | %s |\n",
                   Median(rows), Median(silent), Ms(Median(cold)).c_str(), Ms(Median(sim)).c_str(),
                   Median(cold) / Median(sim), Median(cold) < 1000.0 ? "met" : "**missed**");
            printf("| The same page 1.5 s after the service was made (the start-up gate's time) | %s | - | - | - "
                   "| - |\n",
                   Ms(Median(warm)).c_str());
        }
        else
        {
            printf("| Devices page on printers over IPP | %s | - | - | under 1 s | not measured |\n",
                   getenv("CUPS_SERVER") ? "failed" : "no CUPS server (CUPS_SERVER unset)");
        }
    }

    printf("\n## Details\n\n");
    if (parts.startup)
    {
        printf("### Start-up\n\n");
        printf("%u pairs, after one uncounted pair; within a pair the two programs take turns going first. Each run "
               "starts the program with `CreateProcess` and polls its main thread's windows every millisecond until "
               "the sheet is visible. The application's fleet is the simulator's built-in six devices. The driver "
               "answers the start-up gate as a user typing ahead would: the model name's keys posted as soon as the "
               "gate shows, accept clicked once the gate has taken the name (its button enabled). The "
               "application's figure is its own time, start to gate shown plus accept clicked to sheet shown; the "
               "time the name took to type is the user's and is shown apart.\n\n"
               "What the application does that the baseline does not: it finds and loads its resource module "
               "(`prodinfo.ini`, `lang/ServiceRes.dll`), claims its single-instance slot, initialises COM and "
               "creates the device service (registry lookup, `DeviceSim.dll` loaded, its fleet read), shows the "
               "modal start-up gate, builds its sheet through the class library (icon, Close button, logo) and "
               "fills the Devices page from the device service. The baseline only creates a modeless sheet of "
               "seven empty pages from its own resources; both use common controls version 6 through the same "
               "manifest.\n\n",
               (unsigned)startup.app.size());
        printf("| Part | Median | Spread |\n|---|---|---|\n");
        printf("| Application: start to gate shown | %s | %s |\n", Ms(Median(startup.toGate)).c_str(),
               Spread(startup.toGate).c_str());
        printf("| Application: accept clicked to sheet shown | %s | %s |\n",
               Ms(Median(startup.clickToSheet)).c_str(), Spread(startup.clickToSheet).c_str());
        printf("| Application: its own time (the two above) | %s | %s |\n", Ms(app).c_str(),
               Spread(startup.app).c_str());
        printf("| The user's part: the name typed until the gate took it | %s | %s |\n",
               Ms(Median(startup.typing)).c_str(), Spread(startup.typing).c_str());
        printf("| Application: start to sheet shown, the typing included | %s | %s |\n",
               Ms(Median(startup.total)).c_str(), Spread(startup.total).c_str());
        printf("| Baseline sheet: start to sheet shown | %s | %s |\n", Ms(base).c_str(),
               Spread(startup.baseline).c_str());
        printf("\nRatio per pair: %s. Peak working set at the sheet shown: application %s, baseline sheet %s.\n\n",
               RatioSpread(startup.ratio).c_str(), Mb(Median(startup.appPeak)).c_str(),
               Mb(Median(startup.baselinePeak)).c_str());
    }

    if (parts.shown)
    {
        printf("### Device list shown, timed from outside\n\n");
        printf("For each fleet size, and for an empty fleet, %d pairs after one uncounted pair, taking turns going "
               "first. Application: `ServiceApp.exe` started, its gate answered (untimed), then timed from the "
               "accept click to its sheet visible with a device list that answers `LVM_GETITEMCOUNT` with every "
               "row (the answer comes once the program is back in its message loop). Baseline: `baseline_list "
               "--shown`, which reads the same rows (written beforehand from the same simulator's fleet) before it "
               "shows its accept button and holds no device service; timed from the "
               "click to its list-view visible with every row: a plain window with a list-view of the page's "
               "style, the page's columns and 32-bit image list, filled with redraw suspended. The marginal cost "
               "per device is (t(N) - t(0)) / N from the medians, so the fixed costs of both (the sheet and its "
               "pages, the window) drop out. Memory: the process's peak working set (`GetProcessMemoryInfo`, which "
               "Wine takes from the host's resident-set high-water mark) and, when the rows were shown, its resident "
               "private memory (the host's `RssAnon`: heaps, stacks and private mappings, without mapped files; Wine "
               "reports other processes' private bytes as 0).\n\n",
               options.pairs);
        printf("| Devices | Application | Baseline | Ratio | Marginal per device: application | baseline | "
               "Application spread | Baseline spread | Peak working set: application | baseline | Resident private: "
               "application | baseline |\n");
        printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
        std::vector<long> counts(1, 0L);
        counts.insert(counts.end(), options.counts.begin(), options.counts.end());
        for (long count : counts)
        {
            const std::vector<double> a = Find(shown.app, count), b = Find(shown.bare, count);
            if (a.empty() || b.empty())
                continue;
            const double ma = count > 0 ? Marginal(shown.app, count) : 0.0;
            const double mb = count > 0 ? Marginal(shown.bare, count) : 0.0;
            printf("| %s | %s | %s | %.2fx | %s | %s | %s | %s | %s | %s | %s | %s |\n", Thousands(count).c_str(),
                   Ms(Median(a)).c_str(), Ms(Median(b)).c_str(), PairedRatio(a, b),
                   count > 0 ? Format("%.2f us", ma).c_str() : "-", count > 0 ? Format("%.2f us", mb).c_str() : "-",
                   Spread(a).c_str(), Spread(b).c_str(), Mb(Median(Find(shown.appPeak, count))).c_str(),
                   Mb(Median(Find(shown.barePeak, count))).c_str(), Mb(Median(Find(shown.appPrivate, count))).c_str(),
                   Mb(Median(Find(shown.barePrivate, count))).c_str());
        }
        printf("\n");
    }

    if (parts.list)
    {
        printf("### Device list\n\n");
        printf("In process: `bench_devices` builds a sheet with the real Devices page and the real simulator "
               "(`LoadLibrary` + `DllGetClassObject`) and times the page's `OnInitDialog` (texts, image list, "
               "columns, both passes over the devices, the current device's row and details). `baseline_list` "
               "times the same list set-up and rows, read from the simulator beforehand, in a bare list-view: the "
               "baseline is the list-view of the page's own dialog template in a dialog with no code (the page's "
               "control and kind of parent without the page); the same fill in a plain window is shown beside it. "
               "\"Simulator calls alone\" makes the page's calls into the simulator with no list, so the page's "
               "own work is roughly the load minus that. %d processes of each program, %d repetitions per "
               "process.\n\n",
               options.listProcesses, options.listRepetitions);
        printf("| Devices | Page load | Simulator calls alone | Page load minus simulator | Bare list in the page's "
               "dialog | Bare list in a plain window | Page load / plain window | Page until queue empty | Bare "
               "(dialog) until queue empty | Page load spread | Bare (dialog) spread |\n");
        printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
        for (long count : options.counts)
        {
            const double page = Median(Get(list, "page.init", count));
            const double sim = Median(Get(list, "sim.calls", count));
            const double bare = Median(Get(list, "list.fill", count));
            const double window = Median(Get(list, "listwin.fill", count));
            printf("| %s | %s | %s | %s (%.2fx) | %s | %s | %.2fx | %s | %s | %s | %s |\n", Thousands(count).c_str(),
                   Ms(page).c_str(), Ms(sim).c_str(), Ms(page - sim).c_str(), bare > 0 ? (page - sim) / bare : 0.0,
                   Ms(bare).c_str(), Ms(window).c_str(), window > 0 ? page / window : 0.0,
                   Ms(Median(Get(list, "page.pump", count))).c_str(),
                   Ms(Median(Get(list, "list.pump", count))).c_str(), Spread(Get(list, "page.init", count)).c_str(),
                   Spread(Get(list, "list.fill", count)).c_str());
        }
        printf("\n");
        printf("Heap in use: the bytes of the busy heap blocks that the load added (every heap of the process "
               "walked before and after it, in the first repetition of each process). Unlike the working set, this "
               "does not depend on how the heap lays its blocks out: under Wine the same allocations leave from a "
               "few hundred kilobytes to several megabytes of freed space resident, from one run to the next. Both "
               "programs hold the simulator's fleet before the load, so neither figure includes it; the page's "
               "includes the sheet and its page.\n\n");
        printf("| Devices | Page: heap added by the load | per device | Bare list (dialog) | per device | Ratio |\n");
        printf("|---|---|---|---|---|---|\n");
        for (long count : options.counts)
        {
            const double page = Median(Get(list, "page.heap", count));
            const double bare = Median(Get(list, "list.heap", count));
            printf("| %s | %s | %.0f bytes | %s | %.0f bytes | %.2fx |\n", Thousands(count).c_str(), Mb(page).c_str(),
                   count > 0 ? page / count : 0.0, Mb(bare).c_str(), count > 0 ? bare / count : 0.0,
                   bare > 0 ? page / bare : 0.0);
        }
        printf("\n");
    }

    if (parts.activation && act.ok)
    {
        printf("### Page activation\n\n");
        printf("The application with %s devices; before each timed switch the driver shows the Devices page and "
               "sends a Down key to its list, which makes the next device current (for the Devices page itself it "
               "then shows the second page, untimed). Timed: the `PSM_SETCURSEL` round trip from the driver "
               "process. The baseline sheet runs beside the application, and each switch of the application is "
               "followed by the same switch in the baseline sheet, to its empty page of the same index.\n\n",
               Thousands(options.activationFleet).c_str());
        printf("| Page | First activation (page created) | Median | Worst | Baseline median | Baseline worst |\n");
        printf("|---|---|---|---|---|---|\n");
        for (int p = 0; p < act.pages; ++p)
        {
            const std::vector<double>& s = act.switches[(size_t)p];
            const std::vector<double> b =
                (size_t)p < act.baseline.size() ? act.baseline[(size_t)p] : std::vector<double>();
            printf("| %s | %s | %s | %s | %s | %s |\n", act.names[(size_t)p].c_str(),
                   p == 0 ? "with the sheet" : Ms(act.first[(size_t)p]).c_str(), Ms(Median(s)).c_str(),
                   Ms(Largest(s)).c_str(), Ms(Median(b)).c_str(), Ms(Largest(b)).c_str());
        }
        printf("\nThe device change itself (Down key round trip): median %s, worst %s. Selected row at the end: %d "
               "(expected %d). Start-up with %s devices (one run): %s to the sheet shown.\n\n",
               Ms(Median(act.deviceChange)).c_str(), Ms(Largest(act.deviceChange)).c_str(), act.selectedRow,
               act.expectedRow, Thousands(options.activationFleet).c_str(), Ms(act.start.total).c_str());
        printf("Peak working set of the application with %s devices: %s at the sheet shown, %s after every "
               "page was shown.\n\n",
               Thousands(options.activationFleet).c_str(), Mb(act.peakAtSheet).c_str(), Mb(act.peakAfter).c_str());
    }
    if (parts.printers && !cold.empty())
    {
        printf("### Printers over IPP\n\n");
        printf("In process: `bench_printers` builds a sheet with the real Devices page on the IPP device service "
               "(`DeviceIpp.dll`, `LoadLibrary` + `DllGetClassObject`): the CUPS server that `CUPS_SERVER` names "
               "(bench/run starts the tests' private server with 15 queues) and 5 configured printers at loopback "
               "sockets that accept and never answer (timeout 3 s). Cold: from `CreateInstance` (the cache is "
               "empty, so the first `GetDevices` waits for the first answers, at most 0.5 s after the making) to "
               "the rows shown; warm: the service made 1.5 s before the page, as the application makes it before "
               "its start-up gate. The baseline is the same page with the simulator serving as many devices, "
               "from its making. %d runs.\n\n",
               options.printerRuns);
        printf("| Figure | Median | Spread |\n|---|---|---|\n");
        printf("| Cold: service made to rows shown | %s | %s |\n", Ms(Median(cold)).c_str(), Spread(cold).c_str());
        printf("| Warm: page made to rows shown | %s | %s |\n", Ms(Median(warm)).c_str(), Spread(warm).c_str());
        printf("| Simulator: service made to rows shown | %s | %s |\n", Ms(Median(sim)).c_str(),
               Spread(sim).c_str());
        printf("| Releasing the service with the 5 silent requests in flight | %s | %s |\n",
               Ms(Median(release)).c_str(), Spread(release).c_str());
        printf("\nRows shown: %.0f, of which \"Not reachable\": %.0f (median of the runs).\n\n", Median(rows),
               Median(silent));
    }
    if (failures)
        printf("**%d run(s) failed; see the script's output.**\n\n", failures);
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        if (strcmp(arg, "--quick") == 0)
        {
            options.startupRuns = 3;
            options.pairs = 2;
            options.listProcesses = 1;
            options.listRepetitions = 2;
            options.switches = 10;
            options.activationFleet = 1000;
            options.counts = {1000, 10000};
            continue;
        }
        if (!value)
            return false;
        ++i;
        if (strcmp(arg, "--startup-runs") == 0)
            options.startupRuns = atoi(value);
        else if (strcmp(arg, "--pairs") == 0)
            options.pairs = atoi(value);
        else if (strcmp(arg, "--list-processes") == 0)
            options.listProcesses = atoi(value);
        else if (strcmp(arg, "--list-repetitions") == 0)
            options.listRepetitions = atoi(value);
        else if (strcmp(arg, "--switches") == 0)
            options.switches = atoi(value);
        else if (strcmp(arg, "--only") == 0)
            options.only = value;
        else if (strcmp(arg, "--printer-runs") == 0)
            options.printerRuns = atoi(value);
        else if (strcmp(arg, "--activation-fleet") == 0)
            options.activationFleet = atol(value);
        else if (strcmp(arg, "--counts") == 0)
        {
            options.counts.clear();
            for (const char* p = value; *p;)
            {
                options.counts.push_back(atol(p));
                const char* comma = strchr(p, ',');
                if (!comma)
                    break;
                p = comma + 1;
            }
        }
        else
            return false;
    }
    return options.startupRuns > 0 && options.pairs > 0 && options.listProcesses > 0 && options.listRepetitions > 0 &&
           options.switches > 0 && options.printerRuns > 0 && !options.counts.empty();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        fprintf(stderr, "usage: bench_driver [--quick] [--startup-runs N] [--pairs N] [--list-processes N] "
                        "[--list-repetitions N] [--switches N] [--counts a,b,c] [--activation-fleet N] "
                        "[--printer-runs N] [--only startup|shown|list|activation|printers]\n");
        return 2;
    }
    // The application finds the device service through the registry.
    const std::string reg = "regsvr32 /s \"" + BinDir() + "DeviceSim.dll\"";
    if (RunAndWait(reg) != 0)
    {
        fprintf(stderr, "bench_driver: %s failed\n", reg.c_str());
        return 1;
    }

    int failures = 0;
    const bool all = options.only.empty();
    StartupResult startup;
    if (all || options.only == "startup")
    {
        Progress("start-up: %d pairs", options.startupRuns);
        MeasureStartup(options, startup);
        failures += startup.failures;
    }

    Samples list;
    if (all || options.only == "list")
    {
        Progress("device list: %d processes x %d repetitions per count", options.listProcesses,
                 options.listRepetitions);
        MeasureDeviceList(options, list, failures);
    }
    ShownResult shown;
    if (all || options.only == "shown")
    {
        Progress("device list shown, timed from outside: %d pairs per count", options.pairs);
        MeasureShown(options, shown);
        failures += shown.failures;
    }

    ActivationResult activation;
    if (all || options.only == "activation")
    {
        Progress("page activation: %d switches per page, %ld devices", options.switches, options.activationFleet);
        MeasureActivation(options, activation);
        if (!activation.ok)
            ++failures;
    }

    Samples printers;
    if ((all && getenv("CUPS_SERVER") != NULL) || options.only == "printers")
    {
        Progress("printers over IPP: %d runs", options.printerRuns);
        MeasurePrinters(options, printers, failures);
    }

    Parts parts;
    parts.startup = all || options.only == "startup";
    parts.list = all || options.only == "list";
    parts.shown = all || options.only == "shown";
    parts.activation = all || options.only == "activation";
    parts.printers = all || options.only == "printers";
    Report(options, parts, startup, shown, list, activation, printers, failures);
    return failures ? 1 : 0;
}
