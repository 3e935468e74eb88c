// DeviceIppWorkTests.cpp - the work of the pages on the CUPS test server:
// reports and test pages printed as jobs whose kept documents (the server's
// spool, PreserveJobFiles) are checked with qpdf and pdftotext; command
// files, two-sided jobs and their options as the testrecord backend got
// them; the job history purged, the restart, the stopped queue; the memory
// locations against what ipptool reports; View through a viewer of the
// tests; what has no counterpart; printers that do not answer. Every check
// of the server goes through CUPS's own tools (HostRun), never our IPP code.
#include "IppHarness.h"

#include "deviceipp/DeviceIppResults.h"
#include "ipp/IppResults.h"
#include "support/HostTools.h"
#include "support/SilentPrinter.h"
#include "support/TestViewer.h"

#include <stdlib.h>

namespace {

using hosttools::JobAttribute;
using hosttools::Trimmed;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A path of this program (Z:\...) as the host sees it.
std::string HostPath(const std::string& path)
{
    std::string out = path.size() > 2 && path[1] == ':' ? path.substr(2) : path;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\\')
            out[i] = '/';
    }
    return out;
}

std::string KeptFile(long job)
{
    char name[32];
    sprintf(name, "d%05ld-001", job);
    return std::string("$CUPS_TEST_DIR/spool/") + name;
}

// A printer attribute as ipptool reports it (get-numbers.test).
std::string QueueNumber(const std::string& queue, const std::string& attribute)
{
    std::string out;
    hosttools::HostRun("ipptool -tv ipp://$CUPS_SERVER/printers/" + queue
                           + " $DEVICEIPP_TEST_DATA/get-numbers.test | sed -n 's/^ *" + attribute
                           + " ([^)]*) = //p' | head -n 1",
                       &out);
    return Trimmed(out);
}

// Waits until the server counts the job among the finished ones; its state.
std::string WaitFinished(const std::string& queue, long job)
{
    std::string state;
    for (int i = 0; i < 100; ++i) {
        state = JobAttribute(queue, job, "job-state");
        if (state == "completed" || state == "canceled" || state == "aborted")
            return state;
        Sleep(100);
    }
    return state;
}

int HostLines(const std::string& command)
{
    std::string out;
    if (hosttools::HostRun(command + " | wc -l", &out) != 0)
        return -1;
    return atoi(out.c_str());
}

class DeviceIppWork : public IppServiceTest
{
protected:
    void SetUp() override
    {
        IppServiceTest::SetUp();
        ASSERT_TRUE(hosttools::Available()) << "run through tests/deviceipp/host-tools.sh";
        ASSERT_FALSE(Server().empty()) << "CUPS_SERVER is not set";
    }

    // A queue of the test's own that keeps what it gets (testrecord).
    void AddRecordingQueue(const std::string& name, const std::string& location)
    {
        AddQueue(name, "-v testrecord:$CUPS_TEST_DIR/received -L \"" + location + "\" -D \"Test queue\"");
    }

    // Loads the service and makes the queue current; its id.
    long UseQueue(const std::string& name)
    {
        if (Service() == NULL)
            Load();
        const std::vector<DeviceRow> rows = Rows();
        const DeviceRow* row = FindRow(rows, name);
        EXPECT_TRUE(row != NULL) << "no row " << name;
        if (row == NULL)
            return 0;
        EXPECT_EQ(S_OK, Service()->SetCurrentDevice(row->id));
        return row->id;
    }

    // The job of the last work journaled ("job=N"), 0 when none.
    long LastJob() const
    {
        const std::vector<std::string> lines = Journal();
        for (size_t i = lines.size(); i-- > 0;) {
            const size_t at = lines[i].find(" job=");
            if (at != std::string::npos)
                return atol(lines[i].c_str() + at + 5);
        }
        return 0;
    }

    HRESULT Report(long number, long* canExecute, long* canView, HRESULT* executed, HRESULT* viewed)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceReport> report;
        HRESULT hr = Service()->GetReport(number, object.Out());
        if (FAILED(hr))
            return hr;
        hr = report.QueryFrom(object.Get(), IID_IServiceReport);
        if (FAILED(hr))
            return hr;
        if (canExecute != NULL) {
            *canExecute = -1;
            report->CanExecute(canExecute);
        }
        if (canView != NULL) {
            *canView = -1;
            report->CanExecuteAlternate(canView);
        }
        if (executed != NULL)
            *executed = report->Execute(0);
        if (viewed != NULL)
            *viewed = report->ExecuteAlternate(0);
        return S_OK;
    }

    HRESULT Procedure(HRESULT(STDMETHODCALLTYPE IDeviceService::*get)(long, IUnknown**), long number,
                      long flags, long* result)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceProcedureOptions> options;
        ComRef<IServiceProcedure> procedure;
        *result = -1;
        HRESULT hr = (Service()->*get)(number, object.Out());
        if (FAILED(hr))
            return hr;
        if (flags != 0) {
            hr = options.QueryFrom(object.Get(), IID_IServiceProcedureOptions);
            if (FAILED(hr) || FAILED(hr = options->SetOptions(flags)))
                return hr;
        }
        hr = procedure.QueryFrom(object.Get(), IID_IServiceProcedure);
        if (FAILED(hr))
            return hr;
        return procedure->Start(0, result);
    }

    HRESULT Task(bool first)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceTasks> tasks;
        HRESULT hr = Service()->GetDeviceTasks(object.Out());
        if (FAILED(hr) || FAILED(hr = tasks.QueryFrom(object.Get(), IID_IServiceTasks)))
            return hr;
        return first ? tasks->StartFirstTask() : tasks->StartSecondTask();
    }

    HRESULT Action(long kind)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceAction> action;
        HRESULT hr = Service()->GetAction(kind, object.Out());
        if (FAILED(hr) || FAILED(hr = action.QueryFrom(object.Get(), IID_IServiceAction)))
            return hr;
        return action->Run();
    }

    HRESULT Memory(ComRef<IServiceMemory>& memory)
    {
        ComRef<IUnknown> object;
        HRESULT hr = Service()->GetSettings(1, object.Out());
        if (FAILED(hr))
            return hr;
        return memory.QueryFrom(object.Get(), IID_IServiceMemory);
    }

    long Read(long location, HRESULT* result = NULL)
    {
        ComRef<IServiceMemory> memory;
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = Memory(memory);
        if (SUCCEEDED(hr))
            hr = memory->ReadValue(location, &value);
        if (result != NULL)
            *result = hr;
        const long read = SUCCEEDED(hr) && value.vt == VT_I4 ? value.lVal : -12345;
        VariantClear(&value);
        return read;
    }

    int RequestsSince(size_t line, const std::string& operation) const
    {
        const std::vector<std::string> lines = Journal();
        int count = 0;
        for (size_t i = line; i < lines.size(); ++i) {
            if (lines[i].compare(0, 9, "request: ") == 0
                && (operation.empty() || lines[i].compare(9, operation.size(), operation) == 0))
                ++count;
        }
        return count;
    }

    // The kept document of a job: qpdf --check's verdict (0 for a valid
    // PDF) and pdftotext's text.
    int CheckKept(long job, std::string& text)
    {
        std::string out;
        const int qpdf = hosttools::HostRun("qpdf --check " + KeptFile(job), &out);
        EXPECT_EQ(0, qpdf) << "job " << job << ": " << out;
        hosttools::HostRun("pdftotext " + KeptFile(job) + " -", &text);
        return qpdf;
    }
};

struct Expected
{
    long number;
    const char* jobName;
};

} // namespace

// Every report prints as a job named after what it is; the job finishes and
// its kept document is a valid PDF that names the queue, its location and
// its state. The test pages too: the nozzle pattern, the feed test's blank
// sheets, and the duplex test two-sided (the option reached the backend).
TEST_F(DeviceIppWork, EveryReportAndTestPageIsAPrintedPdfOfTheQueue)
{
    AddRecordingQueue("dipp_reports", "Report room");
    UseQueue("dipp_reports");
    const Expected reports[] = {
        { 1, "Configuration report" }, { 2, "Status report" }, { 3, "Print quality test" },
        { 4, "Colour bars" }, { 5, "Usage summary" }, { 6, "Job history" }, { 7, "Supply usage" },
        { 8, "Page counters" }, { 9, "Page counters per month" }, { 10, "Service report" },
        { 11, "Error log" } };
    long previous = 0;
    long statusJob = 0;
    for (size_t i = 0; i < sizeof(reports) / sizeof(reports[0]); ++i) {
        SCOPED_TRACE(reports[i].jobName);
        long canExecute = 0;
        HRESULT executed = E_FAIL;
        ASSERT_EQ(S_OK, Report(reports[i].number, &canExecute, NULL, &executed, NULL));
        EXPECT_EQ(1, canExecute);
        ASSERT_EQ(S_OK, executed);
        const long job = LastJob();
        ASSERT_GT(job, previous) << "no new job";
        previous = job;
        if (reports[i].number == 2)
            statusJob = job;
        EXPECT_EQ("completed", WaitFinished("dipp_reports", job));
        EXPECT_EQ(std::string("Device Service: ") + reports[i].jobName, JobAttribute("dipp_reports", job, "job-name"));
        EXPECT_EQ("application/pdf", JobAttribute("dipp_reports", job, "document-format-supplied"));
        std::string text;
        CheckKept(job, text);
        EXPECT_TRUE(Contains(text, "dipp_reports")) << text;
        EXPECT_TRUE(Contains(text, "Report room")) << text;
        EXPECT_TRUE(Contains(text, "Idle")) << text;
        EXPECT_TRUE(Contains(text, reports[i].jobName)) << text;
    }
    // The status report (also the memory page's list) lists the locations.
    std::string text;
    CheckKept(statusJob, text);
    EXPECT_TRUE(Contains(text, "Memory locations")) << text;
    EXPECT_TRUE(Contains(text, "Waiting jobs")) << text;

    long job = 0;
    ASSERT_EQ(S_OK, Procedure(&IDeviceService::GetProcedureB, 1, 0, &job));
    ASSERT_GT(job, previous);
    EXPECT_EQ("Device Service: Nozzle check pattern", JobAttribute("dipp_reports", job, "job-name"));
    CheckKept(job, text);
    EXPECT_TRUE(Contains(text, "Nozzle check pattern") && Contains(text, "Report room")) << text;

    ASSERT_EQ(S_OK, Procedure(&IDeviceService::GetProcedureA, 1, 0, &job));
    EXPECT_EQ("Device Service: Feed test", JobAttribute("dipp_reports", job, "job-name"));
    CheckKept(job, text);
    EXPECT_EQ(std::string::npos, text.find_first_not_of("\f\r\n")) << "blank sheets: " << text;
    std::string pages;
    hosttools::HostRun("pdfinfo " + KeptFile(job) + " | sed -n 's/^Pages: *//p'", &pages);
    EXPECT_EQ("3", Trimmed(pages));

    ASSERT_EQ(S_OK, Procedure(&IDeviceService::GetProcedureA, 2, 0, &job));
    EXPECT_EQ("Device Service: Duplex test", JobAttribute("dipp_reports", job, "job-name"));
    EXPECT_EQ("two-sided-long-edge", JobAttribute("dipp_reports", job, "sides"));
    EXPECT_EQ("completed", WaitFinished("dipp_reports", job));
    std::string info;
    hosttools::HostRun("cat $CUPS_TEST_DIR/received/" + std::to_string(job) + ".info", &info);
    EXPECT_TRUE(Contains(info, "sides=two-sided-long-edge")) << info;
    CheckKept(job, text);
    EXPECT_TRUE(Contains(text, "FRONT") && Contains(text, "BACK")) << text;
}

// The self-test task, the head alignment and the head cleaning with its two
// check boxes reach the printer as CUPS command files with the right
// command; a queue whose printer-commands lack a command gets no job.
TEST_F(DeviceIppWork, CommandFilesReachThePrinterWithTheRightCommand)
{
    AddRecordingQueue("dipp_commands", "Ink room");
    UseQueue("dipp_commands");
    struct Case { const char* name; long flags; const char* command; };
    const Case cases[] = { { "self-test", -1, "PrintSelfTestPage" }, { "alignment", 0, "PrintAlignmentPage 1" },
                           { "black", 1, "Clean black" }, { "colour", 2, "Clean color" },
                           { "both", 3, "Clean all" } };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].name);
        long job = 0;
        if (cases[i].flags < 0) {
            ASSERT_EQ(S_OK, Task(true));
            job = LastJob();
        } else if (cases[i].flags == 0) {
            ASSERT_EQ(S_OK, Procedure(&IDeviceService::GetProcedureB, 5, 0, &job));
        } else {
            ASSERT_EQ(S_OK, Procedure(&IDeviceService::GetOptionProcedure, 4, cases[i].flags, &job));
        }
        ASSERT_GT(job, 0);
        EXPECT_EQ("completed", WaitFinished("dipp_commands", job));
        std::string data;
        std::string info;
        hosttools::HostRun("cat $CUPS_TEST_DIR/received/" + std::to_string(job) + ".data", &data);
        hosttools::HostRun("cat $CUPS_TEST_DIR/received/" + std::to_string(job) + ".info", &info);
        EXPECT_EQ(std::string("#CUPS-COMMAND\n") + cases[i].command + "\n", data);
        EXPECT_TRUE(Contains(info, "content-type=application/vnd.cups-command")) << info;
    }
    // The option procedure with no box checked has nothing to clean.
    long job = 0;
    ComRef<IUnknown> object;
    ComRef<IServiceProcedureOptions> options;
    ASSERT_EQ(S_OK, Service()->GetOptionProcedure(4, object.Out()));
    ASSERT_EQ(S_OK, options.QueryFrom(object.Get(), IID_IServiceProcedureOptions));
    EXPECT_EQ(E_INVALIDARG, options->SetOptions(0));
    EXPECT_EQ(E_INVALIDARG, options->SetOptions(4));

    // The colour queue's PPD names AutoConfigure, Clean and PrintSelfTestPage
    // only, and it takes none of our document formats.
    const int jobs = HostLines("lpstat -W all -o color");
    UseQueue("color");
    const size_t line = Journal().size();
    EXPECT_EQ(DEVIPP_E_UNSUPPORTED, Procedure(&IDeviceService::GetProcedureB, 5, 0, &job));
    EXPECT_EQ(DEVIPP_E_UNSUPPORTED, Procedure(&IDeviceService::GetProcedureB, 1, 0, &job));
    long canExecute = -1;
    HRESULT executed = S_OK;
    ASSERT_EQ(S_OK, Report(2, &canExecute, NULL, &executed, NULL));
    EXPECT_EQ(0, canExecute);
    EXPECT_EQ(DEVIPP_E_UNSUPPORTED, executed);
    EXPECT_EQ(0, RequestsSince(line, ""));
    EXPECT_EQ(jobs, HostLines("lpstat -W all -o color"));
}

// Clear Log purges the job history with Purge-Jobs, but not while jobs wait
// (Purge-Jobs would cancel them): then nothing is sent and the history stays.
TEST_F(DeviceIppWork, ClearLogPurgesTheHistoryButNotWhileJobsWait)
{
    AddQueue("dipp_log", "-v file:///dev/null -L Archive");
    ASSERT_EQ(0, hosttools::HostRun("echo one | lp -d dipp_log -t one && echo two | lp -d dipp_log -t two"));
    ASSERT_EQ(0, hosttools::HostRun("cupsdisable dipp_log && echo waiting | lp -d dipp_log -t waiting"));
    UseQueue("dipp_log");
    for (int i = 0; i < 50 && HostLines("lpstat -W completed -o dipp_log") < 2; ++i)
        Sleep(100);
    ASSERT_EQ(2, HostLines("lpstat -W completed -o dipp_log"));
    EXPECT_EQ(1, Read(2)) << "one job waits";
    EXPECT_EQ(atol(QueueNumber("dipp_log", "queued-job-count").c_str()), Read(2));
    EXPECT_EQ(2, Read(3)) << "two finished jobs";
    const size_t line = Journal().size();
    EXPECT_EQ(DEVIPP_E_JOBSWAITING, Action(2));
    EXPECT_EQ(0, RequestsSince(line, "Purge-Jobs"));
    EXPECT_EQ(2, HostLines("lpstat -W completed -o dipp_log"));
    EXPECT_EQ(1, HostLines("lpstat -W not-completed -o dipp_log"));

    ASSERT_EQ(0, hosttools::HostRun("cupsenable dipp_log"));
    for (int i = 0; i < 50 && HostLines("lpstat -W not-completed -o dipp_log") > 0; ++i)
        Sleep(100);
    EXPECT_EQ(0, Read(2));
    EXPECT_EQ(S_OK, Action(2));
    EXPECT_EQ(1, RequestsSince(line, "Purge-Jobs"));
    EXPECT_EQ(0, HostLines("lpstat -W completed -o dipp_log")) << "the history is empty";
    EXPECT_EQ(0, Read(3));
}

// The restart task cancels the jobs and starts a stopped queue again
// (CUPS offers no Restart-Printer: Cancel-Jobs, then Resume-Printer).
TEST_F(DeviceIppWork, RestartCancelsTheJobsAndStartsTheQueue)
{
    AddQueue("dipp_restart", "-v file:///dev/null -L Workshop");
    ASSERT_EQ(0, hosttools::HostRun("cupsdisable dipp_restart && echo stuck | lp -d dipp_restart -t stuck"));
    UseQueue("dipp_restart");
    EXPECT_EQ(5, Read(0)) << "stopped";
    EXPECT_EQ(1, Read(2));
    const size_t line = Journal().size();
    EXPECT_EQ(S_OK, Task(false));
    EXPECT_EQ(1, RequestsSince(line, "Cancel-Jobs"));
    EXPECT_EQ(1, RequestsSince(line, "Resume-Printer"));
    EXPECT_EQ(0, HostLines("lpstat -W not-completed -o dipp_restart"));
    std::string state;
    hosttools::HostRun("LC_ALL=C lpstat -p dipp_restart", &state);
    EXPECT_TRUE(Contains(state, "is idle") && Contains(state, "enabled")) << state;
    std::string jobs;
    hosttools::HostRun("LC_ALL=C lpstat -W completed -o dipp_restart", &jobs);
    const long job = atol(jobs.c_str() + jobs.find('-') + 1);
    EXPECT_EQ("canceled", JobAttribute("dipp_restart", job, "job-state")) << jobs;
    EXPECT_EQ(3, Read(0));
}

// A stopped queue offers no Print: CanExecute is 0 for every report, and
// neither a report nor a test page nor a command makes a job or a request.
// View still shows it.
TEST_F(DeviceIppWork, AStoppedQueueOffersNoPrintAndPrintsNothing)
{
    TestViewerRegistration viewer(ProgramDirectory() + "test_viewer.exe");
    const int jobs = HostLines("lpstat -W all -o stopped");
    UseQueue("stopped");
    const size_t line = Journal().size();
    for (long number = 1; number <= 11; ++number) {
        long canExecute = -1;
        long canView = -1;
        HRESULT executed = S_OK;
        ASSERT_EQ(S_OK, Report(number, &canExecute, &canView, &executed, NULL)) << number;
        EXPECT_EQ(0, canExecute) << number;
        EXPECT_EQ(1, canView) << number;
        EXPECT_EQ(DEVIPP_E_NOTACCEPTING, executed) << number;
    }
    long job = -1;
    EXPECT_EQ(DEVIPP_E_NOTACCEPTING, Procedure(&IDeviceService::GetProcedureA, 2, 0, &job));
    EXPECT_EQ(0, job);
    EXPECT_EQ(DEVIPP_E_NOTACCEPTING, Procedure(&IDeviceService::GetProcedureB, 1, 0, &job));
    EXPECT_EQ(DEVIPP_E_NOTACCEPTING, Procedure(&IDeviceService::GetOptionProcedure, 4, 3, &job));
    EXPECT_EQ(DEVIPP_E_NOTACCEPTING, Task(true));
    EXPECT_EQ(0, RequestsSince(line, ""));
    EXPECT_EQ(jobs, HostLines("lpstat -W all -o stopped"));
}

// The memory locations read the numbers the printer reports, as ipptool
// sees them; only the locations of the table that the printer reports
// exist; nothing can be written; the defaults are those of the table.
TEST_F(DeviceIppWork, MemoryLocationsReadTheNumbersIpptoolReports)
{
    UseQueue("supplies");
    ComRef<IServiceMemory> memory;
    ASSERT_EQ(S_OK, Memory(memory));
    const long exist[] = { 0, 1, 2, 3, 4, 9, 10, 100, 101 };
    const long missing[] = { -1, 5, 6, 7, 8, 11, 99, 102, 163, 164, 320, 321 };
    for (size_t i = 0; i < sizeof(exist) / sizeof(exist[0]); ++i) {
        long valid = -1;
        EXPECT_EQ(S_OK, memory->IsValidLocation(exist[i], &valid));
        EXPECT_EQ(1, valid) << exist[i];
    }
    for (size_t i = 0; i < sizeof(missing) / sizeof(missing[0]); ++i) {
        long valid = -1;
        EXPECT_EQ(S_OK, memory->IsValidLocation(missing[i], &valid));
        EXPECT_EQ(0, valid) << missing[i] << " (CUPS keeps no page counters and reports the time of day as"
                                             " its up-time; two supplies)";
    }

    const std::string state = QueueNumber("supplies", "printer-state");
    EXPECT_EQ(state == "idle" ? 3 : state == "processing" ? 4 : 5, Read(0)) << state;
    EXPECT_EQ(QueueNumber("supplies", "printer-is-accepting-jobs") == "true" ? 1 : 0, Read(1));
    EXPECT_EQ(atol(QueueNumber("supplies", "queued-job-count").c_str()), Read(2));
    EXPECT_EQ(HostLines("lpstat -W completed -o supplies"), Read(3));
    const std::string levels = QueueNumber("supplies", "marker-levels");
    EXPECT_EQ("12,80", levels);
    EXPECT_EQ(atol(levels.c_str()), Read(100));
    EXPECT_EQ(atol(levels.c_str() + levels.find(',') + 1), Read(101));
    EXPECT_EQ(2, Read(10));
    EXPECT_EQ(1, Read(9)) << "toner-low-report";
    HRESULT hr = S_OK;
    Read(5, &hr);
    EXPECT_EQ(DEVIPP_E_NOTREPORTED, hr);
    Read(8, &hr);
    EXPECT_EQ(DEVIPP_E_NOTREPORTED, hr) << "CUPS's printer-up-time " << QueueNumber("supplies", "printer-up-time")
                                        << " is the time of day";
    Read(11, &hr);
    EXPECT_EQ(E_INVALIDARG, hr);

    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 7;
    EXPECT_EQ(DEVIPP_E_READONLY, memory->WriteValue(2, value));
    EXPECT_EQ(DEVIPP_E_READONLY, memory->WriteValue(100, value));
    EXPECT_EQ(atol(levels.c_str()), Read(100)) << "nothing written";
    const long defaults[][2] = { { 0, 3 }, { 1, 1 }, { 2, 0 }, { 3, 0 }, { 5, 0 }, { 100, 100 }, { 163, 100 } };
    for (size_t i = 0; i < sizeof(defaults) / sizeof(defaults[0]); ++i) {
        VariantInit(&value);
        EXPECT_EQ(S_OK, memory->GetDefaultValue(defaults[i][0], &value));
        EXPECT_EQ(VT_I4, value.vt);
        EXPECT_EQ(defaults[i][1], value.lVal) << defaults[i][0];
    }
    EXPECT_EQ(E_INVALIDARG, memory->GetDefaultValue(200, &value));
}

// View writes the same document as PDF and hands it to the program that
// opens PDF files (here the tests' viewer, which keeps a copy): no job is
// sent. With no such program View is not offered and fails.
TEST_F(DeviceIppWork, ViewShowsThePdfInTheViewerOrIsNotOffered)
{
    const std::string viewed = WorkPath("viewed");
    CreateDirectoryA(viewed.c_str(), NULL);
    SetEnvironmentVariableA("DEVICEIPP_VIEWED", viewed.c_str());
    const int jobs = HostLines("lpstat -W all -o office");
    {
        TestViewerRegistration viewer(ProgramDirectory() + "test_viewer.exe");
        UseQueue("office");
        long canView = -1;
        HRESULT shown = E_FAIL;
        ASSERT_EQ(S_OK, Report(1, NULL, &canView, NULL, &shown));
        EXPECT_EQ(1, canView);
        EXPECT_EQ(S_OK, shown);
        const std::string copy = viewed + "\\viewed-1.pdf";
        for (int i = 0; i < 100 && GetFileAttributesA((viewed + "\\viewed-1.txt").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
        const std::string given = ReadTextFile(viewed + "\\viewed-1.txt");
        EXPECT_TRUE(Contains(given, "Configuration report - office.pdf")) << given;
        std::string out;
        EXPECT_EQ(0, hosttools::HostRun("qpdf --check '" + HostPath(copy) + "'", &out)) << out;
        std::string text;
        hosttools::HostRun("pdftotext '" + HostPath(copy) + "' -", &text);
        EXPECT_TRUE(Contains(text, "Configuration report") && Contains(text, "Room 101")) << text;
        EXPECT_EQ(jobs, HostLines("lpstat -W all -o office")) << "View sends no job";
    }
    {
        TestViewerRegistration noProgram("");
        long canView = -1;
        HRESULT shown = S_OK;
        ASSERT_EQ(S_OK, Report(1, NULL, &canView, NULL, &shown));
        EXPECT_EQ(0, canView);
        EXPECT_EQ(DEVIPP_E_NOVIEWER, shown);
    }
    SetEnvironmentVariableA("DEVICEIPP_VIEWED", NULL);
}

// The error log lists the aborted jobs; its option adds the cancelled ones
// ("cleared entries"); the option goes back to off with another printer.
TEST_F(DeviceIppWork, ErrorLogListsCancelledJobsOnlyWithItsOption)
{
    AddQueue("dipp_errors", "-v file:///dev/null -L \"Office 3\"");
    ASSERT_EQ(0, hosttools::HostRun("cupsdisable dipp_errors && echo x | lp -d dipp_errors -t 'Cleared letter'"
                                    " && cancel -a dipp_errors && cupsenable dipp_errors"));
    const long id = UseQueue("dipp_errors");
    ComRef<IUnknown> object;
    ComRef<IServiceReportOption> option;
    ASSERT_EQ(S_OK, Service()->GetReport(11, object.Out()));
    ASSERT_EQ(S_OK, option.QueryFrom(object.Get(), IID_IServiceReportOption));
    ComRef<IUnknown> other;
    ComRef<IServiceReportOption> none;
    ASSERT_EQ(S_OK, Service()->GetReport(6, other.Out()));
    EXPECT_EQ(E_NOINTERFACE, none.QueryFrom(other.Get(), IID_IServiceReportOption)) << "only report 11";

    HRESULT executed = E_FAIL;
    std::string text;
    ASSERT_EQ(S_OK, Report(11, NULL, NULL, &executed, NULL));
    ASSERT_EQ(S_OK, executed);
    CheckKept(LastJob(), text);
    EXPECT_FALSE(Contains(text, "Cleared letter")) << text;
    EXPECT_TRUE(Contains(text, "Jobs aborted")) << text;

    ASSERT_EQ(S_OK, option->SetReportOption(1));
    ASSERT_EQ(S_OK, Report(11, NULL, NULL, &executed, NULL));
    ASSERT_EQ(S_OK, executed);
    CheckKept(LastJob(), text);
    EXPECT_TRUE(Contains(text, "Cleared letter")) << text;
    EXPECT_TRUE(Contains(text, "canceled")) << text;

    UseQueue("office");
    ASSERT_EQ(S_OK, Service()->SetCurrentDevice(id));
    ASSERT_EQ(S_OK, Report(11, NULL, NULL, &executed, NULL));
    CheckKept(LastJob(), text);
    EXPECT_FALSE(Contains(text, "Cleared letter")) << "the option is off after a device change";
}

// What has no counterpart on IPP printers is refused when it is asked for
// (nothing handed out, nothing sent): resetting the counters, the scanner's
// procedures, filling the ink lines, report numbers the pages do not use.
// The work asks for a current printer; the tasks object does not (the page
// keeps it) and answers DEVIPP_E_NODEVICE when a task starts without one.
TEST_F(DeviceIppWork, WhatHasNoCounterpartIsRefusedAndSendsNothing)
{
    Load();
    IUnknown* out = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(DEVIPP_E_NODEVICE, Service()->GetReport(1, &out));
    EXPECT_TRUE(out == NULL);
    EXPECT_EQ(DEVIPP_E_NODEVICE, Task(true));
    UseQueue("office");
    const size_t line = Journal().size();
    struct Refused { HRESULT(STDMETHODCALLTYPE IDeviceService::*get)(long, IUnknown**); long number; const char* what; };
    const Refused refused[] = {
        { &IDeviceService::GetAction, 1, "reset counters" }, { &IDeviceService::GetAction, 3, "action 3" },
        { &IDeviceService::GetProcedureC, 1, "calibrate the scanner" },
        { &IDeviceService::GetProcedureC, 2, "scanner lamp" }, { &IDeviceService::GetProcedureC, 3, "feeder" },
        { &IDeviceService::GetProcedureA, 3, "A3" }, { &IDeviceService::GetProcedureB, 2, "B2" },
        { &IDeviceService::GetCommand, 1, "fill the ink lines" }, { &IDeviceService::GetOptionProcedure, 1, "O1" },
        { &IDeviceService::GetReport, 0, "report 0" }, { &IDeviceService::GetReport, 12, "report 12" } };
    for (size_t i = 0; i < sizeof(refused) / sizeof(refused[0]); ++i) {
        out = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(DEVIPP_E_NOTAVAILABLE, (Service()->*refused[i].get)(refused[i].number, &out)) << refused[i].what;
        EXPECT_TRUE(out == NULL) << refused[i].what;
    }
    EXPECT_EQ(0, RequestsSince(line, ""));
}

// A printer that does not answer gets no request: the work fails at once
// from the cache. A queue that asks for authentication gets one request,
// which fails as such, and no job.
TEST_F(DeviceIppWork, PrintersThatDoNotAnswerGetNoJob)
{
    SilentPrinter silent;
    UseConfig("printer " + silent.Uri() + " name=\"Silent printer\"\r\n");
    Load();
    const std::vector<DeviceRow> rows = Rows();
    const DeviceRow* quiet = FindRow(rows, "Silent printer");
    const DeviceRow* locked = FindRow(rows, "locked");
    ASSERT_TRUE(quiet != NULL && locked != NULL);
    ASSERT_EQ(S_OK, Service()->SetCurrentDevice(quiet->id));
    // The service's own worker holds one connection (its request waits out
    // the timeout; it asks again only ten seconds after that fails).
    for (int i = 0; i < 40 && silent.Connections() < 1; ++i)
        Sleep(50);
    const size_t connections = silent.Connections();
    ASSERT_GE(connections, 1u);
    const size_t line = Journal().size();
    long canExecute = -1;
    long canView = -1;
    HRESULT executed = S_OK;
    HRESULT shown = S_OK;
    ASSERT_EQ(S_OK, Report(2, &canExecute, &canView, &executed, &shown));
    EXPECT_EQ(0, canExecute);
    EXPECT_EQ(0, canView);
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, executed);
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, shown);
    long job = -1;
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, Procedure(&IDeviceService::GetProcedureA, 1, 0, &job));
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, Task(false));
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, Action(2));
    HRESULT read = S_OK;
    Read(2, &read);
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, read);
    ComRef<IServiceMemory> memory;
    ASSERT_EQ(S_OK, Memory(memory));
    long valid = -1;
    EXPECT_EQ(DEVIPP_E_NOTREACHABLE, memory->IsValidLocation(0, &valid));
    EXPECT_EQ(0, valid) << "no location of a printer that does not answer";
    EXPECT_EQ(connections, silent.Connections()) << "the work connected to the silent printer";

    const int jobs = HostLines("lpstat -W all -o locked");
    ASSERT_EQ(S_OK, Service()->SetCurrentDevice(locked->id));
    ASSERT_EQ(S_OK, Report(1, NULL, NULL, &executed, NULL));
    EXPECT_EQ(IPP_E_AUTH, executed);
    EXPECT_EQ(0, RequestsSince(line, "Print-Job"));
    EXPECT_EQ(jobs, HostLines("lpstat -W all -o locked"));
}
