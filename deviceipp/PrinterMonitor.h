// PrinterMonitor.h - the IPP device service's cache of printers and the
// background threads that keep it fresh.
//
// The client calls from its GUI thread, and every call blocks that thread, so
// nothing the client calls waits on the network without a bound: the Devices
// page, the details and the device text answer from this cache, which worker
// threads refresh with requests of short timeouts (ServiceConfig::timeoutMs
// for each connect, send and receive). A printer that stops answering shows
// "Not reachable" and holds up only the worker that asks it; at most half the
// workers ask printers whose last request failed.
//
// One monitor serves all objects of the DLL: the first object made starts it
// (Acquire), and when the last one is released (Release) it stops: it cancels
// the requests in flight, joins its threads and waits for WinHTTP to let go
// of the cancelled requests, at most about one timeout (Wine's WinHTTP keeps a
// cancelled receive until its timeout ends). Each worker holds a reference to
// the DLL, so no worker runs in an unloaded DLL even if a client frees it
// too early; nothing waits on threads in DllMain.
//
// The cache, its jobs and the journal lines of the requests are shared with
// the workers under the monitor's lock. The current device, the local
// settings and the writes belong to the client's thread.
#ifndef DEVICEIPP_PRINTERMONITOR_H
#define DEVICEIPP_PRINTERMONITOR_H

#include <windows.h>

#include <string>
#include <vector>

#include "deviceipp/LocalSettings.h"
#include "deviceipp/MemoryMap.h"
#include "deviceipp/PrinterModel.h"
#include "deviceipp/ServiceConfig.h"
#include "deviceipp/WorkMap.h"
#include "ipp/IppClient.h"

// One journal line for one request: operation, printer, outcome, time (any
// thread; nothing is composed without a journal).
void JournalRequest(const char* operation, const std::string& uri, HRESULT hr,
                    const ipp::CallInfo& info, DWORD started);

// How a piece of work is to be done.
struct WorkOptions
{
    bool withCancelled;     // the error log lists cancelled jobs too
    int sheets;             // blank sheets of the feed test

    WorkOptions() : withCancelled(false), sheets(3) {}
};

class PrinterMonitor
{
public:
    // The client's thread. Acquire starts the monitor with the first caller
    // (NULL when it cannot be made); each Acquire is matched by one Release.
    static PrinterMonitor* Acquire();
    void Release();
    // True while worker threads run or WinHTTP still holds requests: the DLL
    // must stay loaded (DllCanUnloadNow).
    static bool Busy();
    static long ThreadsAlive();

    // The first GetDevices after the start waits, with a bound, for the first
    // answers: until the discovery (the CUPS server's list, the spooler's
    // printers) is done, at most until kDiscoveryWaitMs after the start, and
    // then until every known printer answered or failed once, at most until
    // kAnswerWaitMs after the start. A service made a while before (the
    // program's start-up gate) therefore does not wait; later calls never do.
    void WaitForFirstRound();
    static const DWORD kDiscoveryWaitMs = 2500;
    static const DWORD kAnswerWaitMs = 500;

    // The printers in list order: the CUPS queues, the configured printers,
    // the spooler's. A printer once known stays for the monitor's life (a
    // deleted queue shows "Not reachable"), so ids stay valid.
    std::vector<long> Ids() const;
    bool View(long id, PrinterView& out) const;
    bool FindByUri(const std::string& uri, long& id) const;
    // Asks the workers to refresh this printer now (does not wait), unless its
    // last answer is younger than `unlessYoungerMs`.
    void RefreshSoon(long id, DWORD unlessYoungerMs = 0);
    // An answer this young needs no refresh when its printer becomes current
    // (a user stepping through the list sends no request per step).
    static const DWORD kFreshMs = 1000;

    // Writes one job default of the printer and reads it back: a request of
    // the timeouts above on the calling thread, none when the printer holds
    // the value already, and none when it is not reachable now
    // (DEVIPP_E_NOTREACHABLE at once). `note` describes what was sent.
    HRESULT WritePrinterSetting(long id, int which, long value, std::string& note);

    // The work of the pages (PrinterWork.cpp). Like a write, each runs on
    // the calling thread (the client's): its requests go out one after the
    // other with the timeouts above and the first failure ends it, so the
    // call is bounded by about one timeout for each request when the printer
    // stops answering midway (one to three requests). Nothing is sent to a
    // printer that does not answer now or cannot do the work: CanDo (from
    // the cache) says so at once. `note` describes what was done.
    //
    // DoWork: a document (fresh Get-Printer-Attributes, Get-Jobs when the
    // document lists jobs, then Print-Job), a command file (Print-Job),
    // Purge-Jobs, or the restart (Restart-Printer, else Cancel-Jobs and
    // Resume-Printer). `jobId` (optional) receives the job's id, 0 when the
    // work made no job.
    HRESULT DoWork(long id, const Work& work, const WorkOptions& options, std::string& note,
                   long* jobId);
    // View: the same document as PDF in a file of the temporary folder,
    // opened with the program that opens PDF files here (ShellExecuteEx
    // "open"). DEVIPP_E_NOVIEWER when there is none.
    HRESULT ViewWork(long id, const Work& work, const WorkOptions& options, std::string& note);
    // The memory locations' numbers, fresh: Get-Printer-Attributes and, when
    // `withJobs`, Get-Jobs for the finished jobs.
    HRESULT AskNumbers(long id, bool withJobs, PrinterNumbers& out, std::string& note);
    // The error log's option (client's thread): it lists cancelled jobs too.
    // Off again whenever another printer becomes current, as the Reports
    // page clears its check box then.
    bool ErrorLogWithCancelled() const { return m_withCancelled; }
    void SetErrorLogWithCancelled(bool on) { m_withCancelled = on; }

    LocalSettings& Local() { return m_local; }

    // The current device (client's thread only): 0 for none. The identity
    // grows by one whenever another device becomes current.
    long CurrentId() const { return m_currentId; }
    long Identity() const { return m_identity; }
    void MakeCurrent(long id);

    DWORD TimeoutMs() const { return m_config.timeoutMs; }

private:
    enum JobKind { JOB_CUPS, JOB_SPOOLER, JOB_PRINTER };
    struct Job
    {
        JobKind kind;
        long id;            // JOB_PRINTER: the printer
        bool inFlight;
        bool attempted;
        bool failing;       // the last attempt failed
        DWORD due;
    };

    PrinterMonitor();
    ~PrinterMonitor();
    PrinterMonitor(const PrinterMonitor&);
    PrinterMonitor& operator=(const PrinterMonitor&);

    bool Start();
    // Stops the workers; false when one did not end in time (the monitor
    // must then stay).
    bool Stop();

    static DWORD WINAPI WorkerMain(void* parameter);
    void WorkLoop();
    // Under the lock: the job to run next, or -1 and how long to wait.
    int PickJob(DWORD now, DWORD& waitMs) const;
    void RunJob(const Job& job);
    void RunCups();
    void RunSpooler();
    void RunPrinter(long id);
    // Under the lock: a job ended.
    void JobDone(JobKind kind, long id, bool failed);
    void CheckFirstRound();

    // Under the lock.
    PrinterView* Find(long id);
    const PrinterView* Find(long id) const;
    PrinterView* FindUri(const std::string& uri);
    PrinterView& AddPrinter(const std::string& uri, const std::string& name, PrinterSource source,
                            bool acceptSelfSigned);
    std::string UniqueName(const std::string& name) const;
    void Wake(long count);

    ipp::HttpOptions Options(bool acceptSelfSigned) const;
    HRESULT AskPrinter(const std::string& uri, bool acceptSelfSigned, PrinterFacts& facts);
    // Puts an answer of the client's thread into the cache.
    void StoreAnswer(long id, const PrinterFacts& facts);

    // PrinterWork.cpp: a fresh answer of the printer (every attribute when
    // `all`, into `attributes`), stored in the cache; the documents' facts.
    HRESULT AskFresh(const ipp::Client& client, const PrinterView& printer, bool all,
                     PrinterFacts& facts, std::vector<ipp::Attribute>* attributes);
    HRESULT AskJobs(const ipp::Client& client, const PrinterView& printer,
                    std::vector<ipp::JobInfo>& jobs);
    HRESULT GatherFacts(const ipp::Client& client, PrinterView& printer, const Work& work,
                        docgen::PrinterFacts& facts);
    HRESULT PrintDocumentWork(const ipp::Client& client, PrinterView& printer, const Work& work,
                              const WorkOptions& options, std::string& note, long* jobId);
    HRESULT OperationWork(const ipp::Client& client, const PrinterView& printer, int operation,
                          std::string& note);
    // DoWork and AskNumbers without their catch of std::bad_alloc.
    HRESULT DoWorkOn(long id, const Work& work, const WorkOptions& options, std::string& note,
                     long* jobId);
    HRESULT AskNumbersOf(long id, bool withJobs, PrinterNumbers& out, std::string& note);

    class Lock
    {
    public:
        explicit Lock(const PrinterMonitor* monitor) : m_section(&monitor->m_section)
        {
            EnterCriticalSection(m_section);
        }
        ~Lock() { LeaveCriticalSection(m_section); }

    private:
        Lock(const Lock&);
        Lock& operator=(const Lock&);
        CRITICAL_SECTION* m_section;
    };

    mutable CRITICAL_SECTION m_section;
    long m_users;
    ServiceConfig m_config;
    CupsChoice m_cups;
    std::string m_userName;
    LocalSettings m_local;
    long m_currentId;
    long m_identity;
    bool m_withCancelled;

    // Shared with the workers (under m_section).
    std::vector<PrinterView> m_printers;
    std::vector<Job> m_jobs;
    bool m_stopping;
    bool m_discovered;
    bool m_firstRound;
    DWORD m_startTick;
    bool m_waited;      // the first round was waited for once

    ipp::CancelToken m_cancel;
    HANDLE m_stop;          // manual reset: the workers end
    HANDLE m_wake;          // a semaphore: work may be due
    HANDLE m_discoveryDone; // manual reset
    HANDLE m_firstRoundDone;
    std::vector<HANDLE> m_threads;
};

#endif // DEVICEIPP_PRINTERMONITOR_H
