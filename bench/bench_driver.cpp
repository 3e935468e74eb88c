// bench_driver.cpp - runs every benchmark under Wine and prints the results as
// a Markdown table (progress goes to stderr).
//
//   bench_driver [--quick] [--startup-runs N] [--list-processes N]
//                [--list-repetitions N] [--switches N] [--counts a,b,c]
//                [--activation-fleet N] [--printer-runs N]
//                [--only startup|list|activation|printers]
//
// Each figure is set against a baseline measured in the same run:
//   start-up     ServiceApp.exe against baseline_sheet.exe, both from process
//                start (just before CreateProcess) to their sheet window
//                visible, seen by this process polling the top-level windows
//                every millisecond; the application's start-up gate is
//                answered as soon as it shows (typed by window messages);
//   device list  bench_devices.exe (the Devices page's OnInitDialog, in
//                process) against baseline_list.exe (a bare list-view
//                filled with the same rows);
//   activation   PSM_SETCURSEL round trips to the application's sheet after
//                a device change (a Down key in the Devices list), against
//                the same round trips to the baseline sheet's empty pages;
//   memory       the application's peak working set with the fleet of the
//                activation run, against the bare list-view program holding
//                the same rows;
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
    int startupRuns = 20;
    int listProcesses = 6;
    int listRepetitions = 2;
    int switches = 100;
    long activationFleet = 10000;
    std::vector<long> counts = {1000, 10000, 50000};
    int printerRuns = 10;
    std::string only;   // "startup", "list", "activation" or "printers": that part alone
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

// Answers the start-up gate as a user would: the model name typed into its
// field, then the accept button. FALSE when accept stayed disabled.
bool PassStartupGate(HWND hGate, const char* pszModel)
{
    HWND hEdit = ::GetDlgItem(hGate, IDC_MODEL_NAME);
    HWND hAccept = ::GetDlgItem(hGate, IDC_ACCEPT);
    if (!hEdit || !hAccept)
        return false;
    for (const char* p = pszModel; *p; ++p)
        ::SendMessageA(hEdit, WM_CHAR, (WPARAM)(BYTE)*p, 1);
    if (!::IsWindowEnabled(hAccept))
        return false;
    ::PostMessageA(hGate, WM_COMMAND, MAKEWPARAM(IDC_ACCEPT, BN_CLICKED), (LPARAM)hAccept);
    return true;
}

// --- Programs under measurement ---------------------------------------------

struct Launched
{
    HANDLE hProcess = NULL;
    DWORD pid = 0;
    double startMs = 0.0;
};

bool Launch(const std::string& exe, Launched& out)
{
    std::string cmd = "\"" + exe + "\"";
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
    return true;
}

// Ends the program by its Close (Cancel) button; killed after ten seconds.
void Close(Launched& program, HWND hSheet)
{
    if (!program.hProcess)
        return;
    if (hSheet)
        ::PostMessageA(hSheet, WM_COMMAND, IDCANCEL, 0);
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
    GATE_WINDOW,
    SHEET_WINDOW
};

struct FindData
{
    DWORD pid;
    WindowKind kind;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hWnd, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != data->pid || !::IsWindowVisible(hWnd))
        return TRUE;
    char cls[32] = "";
    ::GetClassNameA(hWnd, cls, sizeof(cls));
    if (strcmp(cls, "#32770") != 0)
        return TRUE;
    // A property sheet is the dialog with a tab control; the gate is the
    // dialog with the model name field.
    const bool sheet = ::FindWindowExA(hWnd, NULL, WC_TABCONTROLA, NULL) != NULL;
    const bool match = data->kind == SHEET_WINDOW ? sheet : !sheet && ::GetDlgItem(hWnd, IDC_MODEL_NAME) != NULL;
    if (match)
    {
        data->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Polls every millisecond for a visible window of the kind; NULL when the
// process ended or after the timeout.
HWND PollFor(const Launched& program, WindowKind kind, double timeoutMs = 60000.0)
{
    const double start = NowMs();
    for (;;)
    {
        FindData data = {program.pid, kind, NULL};
        ::EnumWindows(FindVisible, (LPARAM)&data);
        if (data.found)
            return data.found;
        if (::WaitForSingleObject(program.hProcess, 0) == WAIT_OBJECT_0 || NowMs() - start > timeoutMs)
            return NULL;
        ::Sleep(1);
    }
}

// Starts ServiceApp.exe and answers its gate; the sheet, or NULL.
struct AppStart
{
    double toGate = 0.0;
    double typing = 0.0;        // the model name typed and accept pressed, by this process
    double gateToSheet = 0.0;
    double total = 0.0;
};

HWND StartApp(Launched& app, AppStart& times)
{
    if (!Launch(BinDir() + "ServiceApp.exe", app))
        return NULL;
    HWND hGate = PollFor(app, GATE_WINDOW);
    if (!hGate)
        return NULL;
    const double gateAt = NowMs();
    if (!PassStartupGate(hGate, "KESSLY"))
        return NULL;
    const double typedAt = NowMs();
    HWND hSheet = PollFor(app, SHEET_WINDOW);
    const double sheetAt = NowMs();
    times.toGate = gateAt - app.startMs;
    times.typing = typedAt - gateAt;
    times.gateToSheet = sheetAt - gateAt;
    times.total = sheetAt - app.startMs;
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
    std::vector<double> app, toGate, typing, gateToSheet, baseline;
    std::vector<double> appPeak, baselinePeak;
    int failures = 0;
};

void MeasureStartup(const Options& options, StartupResult& r)
{
    UseFleet(0);
    // One run of each first, not counted: it brings the files into the cache.
    for (int run = -1; run < options.startupRuns; ++run)
    {
        for (int which = 0; which < 2; ++which)
        {
            // Alternate which program goes first, so that drift hits both.
            const bool appTurn = ((run + which) % 2) != 0;
            Launched program;
            HWND hSheet = NULL;
            if (appTurn)
            {
                AppStart times;
                hSheet = StartApp(program, times);
                if (hSheet && run >= 0)
                {
                    r.app.push_back(times.total);
                    r.toGate.push_back(times.toGate);
                    r.typing.push_back(times.typing);
                    r.gateToSheet.push_back(times.gateToSheet);
                    r.appPeak.push_back((double)PeakWorkingSet(program.hProcess));
                }
            }
            else
            {
                double total = 0.0;
                hSheet = StartBaselineSheet(program, total);
                if (hSheet && run >= 0)
                {
                    r.baseline.push_back(total);
                    r.baselinePeak.push_back((double)PeakWorkingSet(program.hProcess));
                }
            }
            if (!hSheet)
            {
                ++r.failures;
                Progress("  start-up run %d: %s showed no sheet", run, appTurn ? "ServiceApp" : "baseline");
            }
            Close(program, hSheet);
        }
        if (run >= 0)
            Progress("  start-up run %d: app %s, baseline %s", run, Ms(r.app.empty() ? 0 : r.app.back()).c_str(),
                     Ms(r.baseline.empty() ? 0 : r.baseline.back()).c_str());
    }
}

// --- Device list -------------------------------------------------------------

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
    r.switches.assign((size_t)r.pages, std::vector<double>());
    for (int p = 0; p < r.pages; ++p)
    {
        for (int k = 0; k < options.switches; ++k)
        {
            changeDevice();
            if (p == 0)
                ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
            r.switches[(size_t)p].push_back(TimedSetCurSel(hSheet, p));
        }
        Progress("  activation: page %d done", p);
    }
    r.selectedRow = (int)::SendMessageA(hList, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0));
    r.peakAfter = (double)PeakWorkingSet(app.hProcess);
    Close(app, hSheet);

    // The same round trips to the baseline sheet's empty pages.
    Launched baseline;
    double total = 0.0;
    HWND hBase = StartBaselineSheet(baseline, total);
    if (hBase)
    {
        const int n = PageCount(hBase);
        for (int p = 1; p < n; ++p)
            ::SendMessageA(hBase, PSM_SETCURSEL, (WPARAM)p, 0);   // creates the pages, untimed
        r.baseline.assign((size_t)n, std::vector<double>());
        for (int p = 0; p < n; ++p)
        {
            for (int k = 0; k < options.switches; ++k)
            {
                ::SendMessageA(hBase, PSM_SETCURSEL, p == 0 ? 1 : 0, 0);
                r.baseline[(size_t)p].push_back(TimedSetCurSel(hBase, p));
            }
        }
    }
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

struct Parts
{
    bool startup = false;
    bool list = false;
    bool activation = false;
    bool printers = false;
};

void Report(const Options& options, const Parts& parts, const StartupResult& startup, const Samples& list,
            const ActivationResult& act, const Samples& printers, int failures)
{
    printf("## Summary\n\n");
    printf("| Benchmark | Measured (median) | Baseline (median) | Ratio | Target | Result |\n");
    printf("|---|---|---|---|---|---|\n");

    const double app = Median(startup.app), base = Median(startup.baseline);
    if (parts.startup)
    {
        if (!startup.app.empty() && !startup.baseline.empty())
            printf("| Start-up: process start to sheet shown | %s | %s | %.2fx | at most 1.3x | %s |\n",
                   Ms(app).c_str(), Ms(base).c_str(), app / base, Verdict(app / base, 1.3).c_str());
        else
            printf("| Start-up: process start to sheet shown | failed | failed | - | at most 1.3x | not measured |\n");
    }

    if (parts.list)
    {
        double perDeviceFirst = 0.0, perDeviceLast = 0.0, basePerFirst = 0.0, basePerLast = 0.0;
        const long first = options.counts.front();
        const long last = options.counts.back();
        for (long count : options.counts)
        {
            const std::vector<double> page = Get(list, "page.init", count);
            const std::vector<double> bare = Get(list, "list.fill", count);
            if (page.empty() || bare.empty())
            {
                printf("| Device list: %s devices | failed | failed | - | - | not measured |\n",
                       Thousands(count).c_str());
                continue;
            }
            const double p = Median(page), b = Median(bare);
            const bool targeted = count == 10000;
            printf("| Device list: %s devices (page load vs the same fill of a bare list-view) | %s | %s | %.2fx | %s "
                   "| %s |\n",
                   Thousands(count).c_str(), Ms(p).c_str(), Ms(b).c_str(), p / b, targeted ? "at most 2x" : "-",
                   targeted ? Verdict(p / b, 2.0).c_str() : "-");
            if (count == first)
            {
                perDeviceFirst = p / (double)count;
                basePerFirst = b / (double)count;
            }
            if (count == last)
            {
                perDeviceLast = p / (double)count;
                basePerLast = b / (double)count;
            }
        }
        if (perDeviceFirst > 0.0 && perDeviceLast > 0.0 && first != last)
        {
            const double ratio = perDeviceLast / perDeviceFirst;
            printf("| Device list: time per device at %s vs at %s | %.1f us vs %.1f us | %.1f us vs %.1f us | %.2fx "
                   "(baseline %.2fx) | at most 1.5x | %s |\n",
                   Thousands(last).c_str(), Thousands(first).c_str(), perDeviceLast * 1000.0,
                   perDeviceFirst * 1000.0, basePerLast * 1000.0, basePerFirst * 1000.0, ratio,
                   basePerLast / basePerFirst, Verdict(ratio, 1.5).c_str());
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
                printf("| Page activation after a device change: %s (median / worst of %u) | %s / %s | %s / %s | "
                       "%.2fx | - | - |\n",
                       act.names[(size_t)p].c_str(), (unsigned)s.size(), Ms(Median(s)).c_str(),
                       Ms(Largest(s)).c_str(), Ms(Median(b)).c_str(), Ms(Largest(b)).c_str(),
                       Median(b) > 0 ? Median(s) / Median(b) : 0.0);
            }
            const std::vector<double> bareWs = Get(list, "list.peakws", options.activationFleet);
            if (!bareWs.empty())
                printf("| Peak working set, %s devices, every page shown | %s | %s | %.2fx | - | - |\n",
                       Thousands(options.activationFleet).c_str(), Mb(act.peakAfter).c_str(),
                       Mb(Median(bareWs)).c_str(), act.peakAfter / Median(bareWs));
            else
                printf("| Peak working set, %s devices, every page shown | %s | - | - | - | - |\n",
                       Thousands(options.activationFleet).c_str(), Mb(act.peakAfter).c_str());
        }
        else
        {
            printf("| Page activation and peak working set | failed | - | - | - | not measured |\n");
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
        printf("Each run starts the program with `CreateProcess` and polls its top-level windows every millisecond "
               "until the sheet is visible; runs of the two programs alternate, after one uncounted run of each. "
               "The application's fleet is the simulator's built-in six devices; the driver answers the start-up "
               "gate as soon as it is visible.\n\n"
               "What the application does that the baseline does not: it finds and loads its resource module "
               "(`prodinfo.ini`, `lang/ServiceRes.dll`), claims its single-instance slot, initialises COM and "
               "creates the device service (registry lookup, `DeviceSim.dll` loaded, its fleet read), shows the "
               "modal start-up gate and waits for the model name (typed by the driver, then accept), builds its "
               "sheet through the class library (icon, Close button, logo) and fills the Devices page from the "
               "device service. The baseline only creates a modeless sheet of seven empty pages from its own "
               "resources; both use common controls version 6 through the same manifest.\n\n");
        printf("| Part | Median | Spread |\n|---|---|---|\n");
        printf("| Application: start to gate shown | %s | %s |\n", Ms(Median(startup.toGate)).c_str(),
               Spread(startup.toGate).c_str());
        printf("| Application: gate shown to sheet shown | %s | %s |\n", Ms(Median(startup.gateToSheet)).c_str(),
               Spread(startup.gateToSheet).c_str());
        printf("| of which the driver typing the model name and pressing accept | %s | %s |\n",
               Ms(Median(startup.typing)).c_str(), Spread(startup.typing).c_str());
        printf("| Application: start to sheet shown | %s | %s |\n", Ms(app).c_str(), Spread(startup.app).c_str());
        printf("| Baseline sheet: start to sheet shown | %s | %s |\n", Ms(base).c_str(),
               Spread(startup.baseline).c_str());
        printf("\nPeak working set at the sheet shown: application %s, baseline sheet %s.\n\n",
               Mb(Median(startup.appPeak)).c_str(), Mb(Median(startup.baselinePeak)).c_str());
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
    }

    if (parts.activation && act.ok)
    {
        printf("### Page activation\n\n");
        printf("The application with %s devices; before each timed switch the driver shows the Devices page and "
               "sends a Down key to its list, which makes the next device current (for the Devices page itself it "
               "then shows the second page, untimed). Timed: the `PSM_SETCURSEL` round trip from the driver "
               "process. The baseline sheet's round trips are to its empty pages.\n\n",
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
        printf("### Memory\n\n");
        printf("Peak working set (`GetProcessMemoryInfo`; Wine reports the Linux resident-set high-water mark): "
               "application with %s devices %s at the sheet shown, %s after every page was shown; the bare "
               "list-view program with the same rows (and the simulator holding the same fleet) %s.\n\n",
               Thousands(options.activationFleet).c_str(), Mb(act.peakAtSheet).c_str(), Mb(act.peakAfter).c_str(),
               Mb(Median(Get(list, "list.peakws", options.activationFleet))).c_str());
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
    return options.startupRuns > 0 && options.listProcesses > 0 && options.listRepetitions > 0 &&
           options.switches > 0 && options.printerRuns > 0 && !options.counts.empty();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        fprintf(stderr, "usage: bench_driver [--quick] [--startup-runs N] [--list-processes N] "
                        "[--list-repetitions N] [--switches N] [--counts a,b,c] [--activation-fleet N] "
                        "[--printer-runs N] [--only startup|list|activation|printers]\n");
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
        Progress("start-up: %d runs of each program", options.startupRuns);
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
    // The bare list's working set at the activation fleet size, when that
    // size was not among the counts.
    if ((all || options.only == "activation") && Get(list, "list.peakws", options.activationFleet).empty())
    {
        const std::string results = TempFile("bench_list_ws.txt");
        ::DeleteFileA(results.c_str());
        RunAndWait(Format("\"%sbaseline_list.exe\" %ld 1 \"%s\"", ProgramDir().c_str(), options.activationFleet,
                               results.c_str()),
                        900000);
        Samples ws;
        ReadResults(results, ws);
        list[Format("list.peakws.%ld", options.activationFleet)] = Get(ws, "list.peakws", options.activationFleet);
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
    parts.activation = all || options.only == "activation";
    parts.printers = all || options.only == "printers";
    Report(options, parts, startup, list, activation, printers, failures);
    return failures ? 1 : 0;
}
