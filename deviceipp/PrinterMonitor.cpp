// PrinterMonitor.cpp - the cache of printers, its worker threads, and the
// writes of job defaults.
#include "deviceipp/PrinterMonitor.h"

#include "comserver/ComJournal.h"
#include "comserver/ComServer.h"
#include "deviceipp/DeviceIppResults.h"
#include "deviceipp/SettingsMap.h"
#include "deviceipp/SpoolerPrinters.h"
#include "ipp/IppResults.h"

#include <new>

namespace {

// Workers: enough that a few silent printers hold up nobody; at most half of
// them ask printers whose last request failed.
const long kMinWorkers = 4;
const long kMaxWorkers = 8;
const long kMaxFailingInFlight = kMaxWorkers / 2;

// How often a printer is asked again: after an answer, after a failure; the
// spooler's printers are enumerated again less often.
const DWORD kRefreshMs = 5000;
const DWORD kRetryMs = 10000;
const DWORD kSpoolerRefreshMs = 60000;
// The longest a worker sleeps before it looks at its jobs again.
const DWORD kLongestSleepMs = 1000;

// A CUPS server's list holds every queue's attributes: room for a few hundred.
const size_t kMaxListBytes = 8u * 1024u * 1024u;

PrinterMonitor* s_monitor = NULL;
volatile LONG s_threadsAlive = 0;

bool Due(DWORD now, DWORD due)
{
    return static_cast<LONG>(now - due) >= 0;
}

std::string NormalUri(const std::string& uri)
{
    ipp::Endpoint endpoint;
    if (FAILED(ipp::ParseUri(uri, endpoint)))
        return std::string();
    return ipp::PrinterUri(endpoint);
}

std::string WindowsUser()
{
    char name[257];
    DWORD size = sizeof(name);
    if (GetUserNameA(name, &size) && size > 1)
        return std::string(name, size - 1);
    return "anonymous";
}

} // namespace

// One journal line per request: operation, printer, status, time.
void JournalRequest(const char* operation, const std::string& uri, HRESULT hr,
                    const ipp::CallInfo& info, DWORD started)
{
    if (!JournalOn())
        return;
    std::string outcome = info.status >= 0 ? ipp::StatusName(info.status) : FailureText(hr);
    if (info.http.httpStatus != 0 && info.http.httpStatus != 200)
        outcome += ComFormat(" (HTTP %lu)", static_cast<unsigned long>(info.http.httpStatus));
    JournalLine(ComFormat("request: %s %s -> %s %s (%lu ms)", operation, uri.c_str(),
                          HresultText(hr).c_str(), outcome.c_str(),
                          static_cast<unsigned long>(GetTickCount() - started)));
}

// ---------------------------------------------------------------------------
// Life

PrinterMonitor::PrinterMonitor()
    : m_users(0), m_currentId(0), m_identity(0), m_withCancelled(false), m_stopping(false),
      m_discovered(false), m_firstRound(false), m_startTick(0), m_waited(false), m_stop(NULL), m_wake(NULL),
      m_discoveryDone(NULL), m_firstRoundDone(NULL)
{
    InitializeCriticalSection(&m_section);
}

PrinterMonitor::~PrinterMonitor()
{
    const HANDLE handles[] = { m_stop, m_wake, m_discoveryDone, m_firstRoundDone };
    for (size_t i = 0; i < sizeof(handles) / sizeof(handles[0]); ++i) {
        if (handles[i] != NULL)
            CloseHandle(handles[i]);
    }
    DeleteCriticalSection(&m_section);
}

PrinterMonitor* PrinterMonitor::Acquire()
{
    if (s_monitor != NULL) {
        ++s_monitor->m_users;
        return s_monitor;
    }
    PrinterMonitor* monitor = new (std::nothrow) PrinterMonitor();
    if (monitor == NULL)
        return NULL;
    if (!monitor->Start()) {
        if (monitor->Stop())
            delete monitor;
        return NULL;
    }
    monitor->m_users = 1;
    s_monitor = monitor;
    return monitor;
}

void PrinterMonitor::Release()
{
    if (--m_users > 0)
        return;
    if (s_monitor == this)
        s_monitor = NULL;
    // A worker that did not end keeps its monitor: it is left, not freed.
    if (Stop())
        delete this;
}

bool PrinterMonitor::Busy()
{
    return ThreadsAlive() > 0 || ipp::PendingRequests() > 0;
}

long PrinterMonitor::ThreadsAlive()
{
    return InterlockedCompareExchange(&s_threadsAlive, 0, 0);
}

bool PrinterMonitor::Start()
{
    m_startTick = GetTickCount();
    m_config = ReadServiceConfig();
    m_cups = ChooseCupsServer(m_config, ComEnvironment("CUPS_SERVER"));
    if (!m_cups.note.empty())
        ComReport("config: " + m_cups.note + "; " + (m_cups.enabled ? "using " + m_cups.uri : "no CUPS server"));
    m_userName = WindowsUser();
    m_local.Load();

    m_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_wake = CreateSemaphoreA(NULL, 0, 0x7FFFFFFF, NULL);
    m_discoveryDone = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_firstRoundDone = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (m_stop == NULL || m_wake == NULL || m_discoveryDone == NULL || m_firstRoundDone == NULL)
        return false;

    {
        Lock lock(this);
        const Job cups = { JOB_CUPS, 0, false, false, false, m_startTick };
        const Job spooler = { JOB_SPOOLER, 0, false, false, false, m_startTick };
        if (m_cups.enabled)
            m_jobs.push_back(cups);
        m_jobs.push_back(spooler);
        for (size_t i = 0; i < m_config.printers.size(); ++i) {
            const ConfiguredPrinter& configured = m_config.printers[i];
            const std::string uri = NormalUri(configured.uri);
            if (uri.empty() || FindUri(uri) != NULL)
                continue;
            const std::string name = configured.name.empty() ? ConnectionText(uri) : configured.name;
            PrinterView& printer = AddPrinter(uri, name, SOURCE_CONFIG, configured.acceptSelfSigned);
            const Job job = { JOB_PRINTER, printer.id, false, false, false, m_startTick };
            m_jobs.push_back(job);
        }
    }
    JournalLine(ComFormat("session: configuration %s, %lu printers configured, CUPS server %s, timeout %lu ms",
                          m_config.path.empty() ? "none" : JournalText(m_config.path).c_str(),
                          static_cast<unsigned long>(m_config.printers.size()),
                          m_cups.enabled ? (m_cups.uri + " (" + m_cups.origin + ")").c_str() : "off",
                          static_cast<unsigned long>(m_config.timeoutMs)));

    long workers = static_cast<long>(m_jobs.size()) + 2;
    workers = workers < kMinWorkers ? kMinWorkers : workers > kMaxWorkers ? kMaxWorkers : workers;
    for (long i = 0; i < workers; ++i) {
        // The worker holds the DLL until it has ended (FreeLibraryAndExitThread).
        HMODULE module = NULL;
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                reinterpret_cast<LPCSTR>(&PrinterMonitor::WorkerMain), &module))
            return false;
        InterlockedIncrement(&s_threadsAlive);
        void** parameter = new (std::nothrow) void*[2];
        HANDLE thread = parameter == NULL ? NULL : CreateThread(NULL, 0, WorkerMain, parameter, CREATE_SUSPENDED, NULL);
        if (thread == NULL) {
            delete[] parameter;
            InterlockedDecrement(&s_threadsAlive);
            FreeLibrary(module);
            return false;
        }
        parameter[0] = this;
        parameter[1] = module;
        m_threads.push_back(thread);
        ResumeThread(thread);
    }
    return true;
}

bool PrinterMonitor::Stop()
{
    const DWORD started = GetTickCount();
    long inFlight = 0;
    {
        Lock lock(this);
        m_stopping = true;
        for (size_t i = 0; i < m_jobs.size(); ++i) {
            if (m_jobs[i].inFlight)
                ++inFlight;
        }
    }
    if (m_stop != NULL)
        SetEvent(m_stop);
    m_cancel.Cancel();
    bool ended = true;
    if (!m_threads.empty()) {
        // Cancelled requests end at once; the bound is for a worker stuck in
        // the spooler.
        const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(m_threads.size()), &m_threads[0],
                                                    TRUE, m_config.timeoutMs * 2 + 2000);
        ended = result != WAIT_TIMEOUT && result != WAIT_FAILED;
        if (ended) {
            for (size_t i = 0; i < m_threads.size(); ++i)
                CloseHandle(m_threads[i]);
            m_threads.clear();
        }
    }
    // WinHTTP lets go of a cancelled request with its last callback; under
    // Wine that comes only when the request's receive timeout ends.
    const bool released = ipp::WaitForPendingRequests(m_config.timeoutMs + 1500);
    JournalLine(ComFormat("session: stopped in %lu ms: %ld in flight cancelled, workers %s, requests %s",
                          static_cast<unsigned long>(GetTickCount() - started), inFlight,
                          ended ? "ended" : "STILL RUNNING", released ? "released" : "STILL PENDING"));
    return ended;
}

DWORD WINAPI PrinterMonitor::WorkerMain(void* parameter)
{
    void** pair = static_cast<void**>(parameter);
    PrinterMonitor* monitor = static_cast<PrinterMonitor*>(pair[0]);
    HMODULE module = static_cast<HMODULE>(pair[1]);
    delete[] pair;
    monitor->WorkLoop();
    InterlockedDecrement(&s_threadsAlive);
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

// ---------------------------------------------------------------------------
// The workers

void PrinterMonitor::WorkLoop()
{
    for (;;) {
        Job job = { JOB_PRINTER, 0, false, false, false, 0 };
        DWORD waitMs = 0;
        {
            Lock lock(this);
            if (m_stopping)
                return;
            const DWORD now = GetTickCount();
            const int pick = PickJob(now, waitMs);
            if (pick >= 0) {
                m_jobs[pick].inFlight = true;
                job = m_jobs[pick];
                if (job.kind == JOB_PRINTER) {
                    PrinterView* printer = Find(job.id);
                    if (printer != NULL && printer->firstAttemptTick == 0)
                        printer->firstAttemptTick = now == 0 ? 1 : now;
                }
            }
        }
        if (waitMs > 0) {
            const HANDLE handles[] = { m_stop, m_wake };
            WaitForMultipleObjects(2, handles, FALSE, waitMs);
            continue;
        }
        RunJob(job);
    }
}

int PrinterMonitor::PickJob(DWORD now, DWORD& waitMs) const
{
    long failingInFlight = 0;
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        if (m_jobs[i].inFlight && m_jobs[i].failing)
            ++failingInFlight;
    }
    int best = -1;
    DWORD soonest = kLongestSleepMs;
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        const Job& job = m_jobs[i];
        if (job.inFlight)
            continue;
        if (!Due(now, job.due)) {
            const DWORD left = job.due - now;
            if (left < soonest)
                soonest = left;
            continue;
        }
        if (job.failing && failingInFlight >= kMaxFailingInFlight)
            continue;
        // Printers that answer come first; then the longest overdue.
        if (best < 0 || (m_jobs[best].failing && !job.failing)
            || (m_jobs[best].failing == job.failing && static_cast<LONG>(job.due - m_jobs[best].due) < 0))
            best = static_cast<int>(i);
    }
    waitMs = best >= 0 ? 0 : (soonest == 0 ? 1 : soonest);
    return best;
}

void PrinterMonitor::RunJob(const Job& job)
{
    switch (job.kind) {
    case JOB_CUPS:
        RunCups();
        break;
    case JOB_SPOOLER:
        RunSpooler();
        break;
    case JOB_PRINTER:
        RunPrinter(job.id);
        break;
    }
}

ipp::HttpOptions PrinterMonitor::Options(bool acceptSelfSigned) const
{
    ipp::HttpOptions options;
    options.connectTimeoutMs = m_config.timeoutMs;
    options.sendTimeoutMs = m_config.timeoutMs;
    options.receiveTimeoutMs = m_config.timeoutMs;
    // One more try as IPP/1.1, or with credentials after a 401.
    options.totalTimeoutMs = m_config.timeoutMs * 3;
    options.acceptSelfSigned = acceptSelfSigned;
    options.cancel = const_cast<ipp::CancelToken*>(&m_cancel);
    return options;
}

void PrinterMonitor::RunCups()
{
    ipp::HttpOptions options = Options(false);
    options.maxResponseBytes = kMaxListBytes;
    const ipp::Client client(options, m_userName);
    ipp::Message request = ipp::MakeRequest(ipp::kCupsGetPrinters, 0, std::string(), m_userName,
                                            RequestedAttributes());
    ipp::Message response;
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    HRESULT hr = client.Exchange(m_cups.uri, request, response, &info);
    JournalRequest("CUPS-Get-Printers", m_cups.uri, hr, info, started);
    if (hr == IPP_E_NOTFOUND) {
        hr = S_OK;  // CUPS's answer when it has no queue
        response = ipp::Message();
    }
    ipp::Endpoint server;
    ipp::ParseUri(m_cups.uri, server);
    std::vector<std::pair<std::string, PrinterFacts> > listed;
    for (size_t g = 0; SUCCEEDED(hr) && g < response.groups.size(); ++g) {
        if (response.groups[g].tag != ipp::kPrinterGroup)
            continue;
        PrinterFacts facts;
        ParsePrinterFacts(response.groups[g], facts);
        if (facts.status.name.empty())
            continue;
        const bool isClass = (static_cast<uint32_t>(facts.status.printerType.value_or(0)) & ipp::kCupsTypeClass) != 0;
        facts.isCups = true;
        listed.push_back(std::make_pair(ipp::CupsQueueUri(server, facts.status.name, isClass), facts));
    }

    Lock lock(this);
    if (m_stopping)
        return;
    const DWORD now = GetTickCount();
    if (SUCCEEDED(hr)) {
        std::vector<long> seen;
        for (size_t i = 0; i < listed.size(); ++i) {
            PrinterView* printer = FindUri(listed[i].first);
            // A queue the configuration names as well is asked on its own.
            if (printer != NULL && printer->source != SOURCE_CUPS)
                continue;
            if (printer == NULL)
                printer = &AddPrinter(listed[i].first, listed[i].second.status.name, SOURCE_CUPS, false);
            printer->facts = listed[i].second;
            printer->answered = true;
            printer->lastResult = S_OK;
            printer->gone = false;
            printer->lastAnswerTick = now;
            if (printer->firstAttemptTick == 0)
                printer->firstAttemptTick = started == 0 ? 1 : started;
            seen.push_back(printer->id);
        }
        for (size_t i = 0; i < m_printers.size(); ++i) {
            PrinterView& printer = m_printers[i];
            if (printer.source != SOURCE_CUPS)
                continue;
            bool listedNow = false;
            for (size_t k = 0; k < seen.size() && !listedNow; ++k)
                listedNow = seen[k] == printer.id;
            if (!listedNow) {
                printer.gone = true;
                printer.lastResult = IPP_E_NOTFOUND;
            }
        }
    } else {
        for (size_t i = 0; i < m_printers.size(); ++i) {
            if (m_printers[i].source == SOURCE_CUPS)
                m_printers[i].lastResult = hr;
        }
    }
    JobDone(JOB_CUPS, 0, FAILED(hr));
}

void PrinterMonitor::RunSpooler()
{
    const std::vector<SpoolerPrinter> found = SpoolerIppPrinters();
    Lock lock(this);
    if (m_stopping)
        return;
    long added = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        const std::string uri = NormalUri(found[i].uri);
        if (uri.empty() || FindUri(uri) != NULL)
            continue;
        PrinterView& printer = AddPrinter(uri, found[i].name, SOURCE_SPOOLER, false);
        const Job job = { JOB_PRINTER, printer.id, false, false, false, GetTickCount() };
        m_jobs.push_back(job);
        ++added;
    }
    if (added > 0) {
        JournalLine(ComFormat("spooler: %ld printers with an IPP or HTTP port added", added));
        Wake(added);
    }
    JobDone(JOB_SPOOLER, 0, false);
}

HRESULT PrinterMonitor::AskPrinter(const std::string& uri, bool acceptSelfSigned, PrinterFacts& facts)
{
    const ipp::Client client(Options(acceptSelfSigned), m_userName);
    ipp::Message request = ipp::MakeRequest(ipp::kGetPrinterAttributes, 0, std::string(), m_userName,
                                            RequestedAttributes());
    ipp::Message response;
    ipp::CallInfo info;
    const DWORD started = GetTickCount();
    HRESULT hr = client.Exchange(uri, request, response, &info);
    const ipp::Group* printer = SUCCEEDED(hr) ? response.FindGroup(ipp::kPrinterGroup) : NULL;
    if (SUCCEEDED(hr) && printer == NULL)
        hr = IPP_E_BADRESPONSE;
    JournalRequest("Get-Printer-Attributes", uri, hr, info, started);
    if (SUCCEEDED(hr))
        ParsePrinterFacts(*printer, facts);
    return hr;
}

void PrinterMonitor::RunPrinter(long id)
{
    std::string uri;
    bool acceptSelfSigned = false;
    {
        Lock lock(this);
        const PrinterView* printer = Find(id);
        if (printer == NULL)
            return;
        uri = printer->uri;
        acceptSelfSigned = printer->acceptSelfSigned;
    }
    PrinterFacts facts;
    const HRESULT hr = AskPrinter(uri, acceptSelfSigned, facts);
    Lock lock(this);
    if (m_stopping)
        return;
    PrinterView* printer = Find(id);
    if (printer != NULL) {
        if (SUCCEEDED(hr)) {
            printer->facts = facts;
            printer->answered = true;
            printer->lastAnswerTick = GetTickCount();
            printer->gone = false;
            printer->lastResult = S_OK;
        } else {
            printer->lastResult = hr;
        }
    }
    JobDone(JOB_PRINTER, id, FAILED(hr));
}

void PrinterMonitor::JobDone(JobKind kind, long id, bool failed)
{
    const DWORD now = GetTickCount();
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        Job& job = m_jobs[i];
        if (job.kind != kind || (kind == JOB_PRINTER && job.id != id))
            continue;
        job.inFlight = false;
        job.attempted = true;
        job.failing = failed;
        job.due = now + (kind == JOB_SPOOLER ? kSpoolerRefreshMs : failed ? kRetryMs : kRefreshMs);
        break;
    }
    CheckFirstRound();
}

void PrinterMonitor::CheckFirstRound()
{
    if (!m_discovered) {
        bool done = true;
        for (size_t i = 0; i < m_jobs.size() && done; ++i)
            done = m_jobs[i].kind == JOB_PRINTER || m_jobs[i].attempted;
        if (!done)
            return;
        m_discovered = true;
        SetEvent(m_discoveryDone);
    }
    if (!m_firstRound) {
        for (size_t i = 0; i < m_jobs.size(); ++i) {
            if (!m_jobs[i].attempted)
                return;
        }
        m_firstRound = true;
        SetEvent(m_firstRoundDone);
    }
}

void PrinterMonitor::Wake(long count)
{
    ReleaseSemaphore(m_wake, count, NULL);
}

// ---------------------------------------------------------------------------
// The cache (under the lock)

PrinterView* PrinterMonitor::Find(long id)
{
    for (size_t i = 0; i < m_printers.size(); ++i) {
        if (m_printers[i].id == id)
            return &m_printers[i];
    }
    return NULL;
}

const PrinterView* PrinterMonitor::Find(long id) const
{
    return const_cast<PrinterMonitor*>(this)->Find(id);
}

PrinterView* PrinterMonitor::FindUri(const std::string& uri)
{
    for (size_t i = 0; i < m_printers.size(); ++i) {
        if (m_printers[i].uri == uri)
            return &m_printers[i];
    }
    return NULL;
}

std::string PrinterMonitor::UniqueName(const std::string& name) const
{
    std::string candidate = name.empty() ? std::string("Printer") : name;
    for (int n = 2;; ++n) {
        bool taken = false;
        for (size_t i = 0; i < m_printers.size() && !taken; ++i)
            taken = m_printers[i].name == candidate;
        if (!taken)
            return candidate;
        candidate = ComFormat("%s (%d)", name.c_str(), n);
    }
}

PrinterView& PrinterMonitor::AddPrinter(const std::string& uri, const std::string& name,
                                        PrinterSource source, bool acceptSelfSigned)
{
    PrinterView printer;
    printer.uri = uri;
    printer.name = UniqueName(name);
    printer.source = source;
    printer.acceptSelfSigned = acceptSelfSigned;
    printer.id = PrinterId(uri, [this](long id) { return Find(id) != NULL; });
    m_printers.push_back(printer);
    return m_printers.back();
}

// ---------------------------------------------------------------------------
// The client's calls

void PrinterMonitor::WaitForFirstRound()
{
    if (m_waited)
        return;
    m_waited = true;
    // Both bounds count from the start: a service made a while ago (while
    // the start-up gate was up) has had its time and waits no more.
    const DWORD started = GetTickCount();
    const DWORD elapsed = started - m_startTick;
    DWORD discovery = WaitForSingleObject(m_discoveryDone, 0);
    if (discovery != WAIT_OBJECT_0 && elapsed < kDiscoveryWaitMs)
        discovery = WaitForSingleObject(m_discoveryDone, kDiscoveryWaitMs - elapsed);
    const DWORD now = GetTickCount() - m_startTick;
    const DWORD answers = WaitForSingleObject(m_firstRoundDone, now < kAnswerWaitMs ? kAnswerWaitMs - now : 0);
    JournalLine(ComFormat("session: first round %s, discovery %s, waited %lu ms",
                          answers == WAIT_OBJECT_0 ? "complete" : "not complete (printers still silent)",
                          discovery == WAIT_OBJECT_0 ? "done" : "NOT DONE",
                          static_cast<unsigned long>(GetTickCount() - started)));
}

std::vector<long> PrinterMonitor::Ids() const
{
    Lock lock(this);
    std::vector<long> ids;
    ids.reserve(m_printers.size());
    const PrinterSource order[] = { SOURCE_CUPS, SOURCE_CONFIG, SOURCE_SPOOLER };
    for (size_t k = 0; k < 3; ++k) {
        for (size_t i = 0; i < m_printers.size(); ++i) {
            if (m_printers[i].source == order[k])
                ids.push_back(m_printers[i].id);
        }
    }
    return ids;
}

bool PrinterMonitor::View(long id, PrinterView& out) const
{
    Lock lock(this);
    const PrinterView* printer = Find(id);
    if (printer == NULL)
        return false;
    out = *printer;
    return true;
}

bool PrinterMonitor::FindByUri(const std::string& uri, long& id) const
{
    const std::string normal = NormalUri(uri);
    Lock lock(this);
    for (size_t i = 0; i < m_printers.size(); ++i) {
        if (m_printers[i].uri == uri || (!normal.empty() && m_printers[i].uri == normal)) {
            id = m_printers[i].id;
            return true;
        }
    }
    return false;
}

void PrinterMonitor::RefreshSoon(long id, DWORD unlessYoungerMs)
{
    Lock lock(this);
    const PrinterView* printer = Find(id);
    if (printer == NULL)
        return;
    const DWORD now = GetTickCount();
    if (printer->Reachable() && now - printer->lastAnswerTick < unlessYoungerMs)
        return;
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        Job& job = m_jobs[i];
        const bool mine = printer->source == SOURCE_CUPS ? job.kind == JOB_CUPS
                                                          : job.kind == JOB_PRINTER && job.id == id;
        if (mine && !job.inFlight)
            job.due = now;
    }
    Wake(1);
}

void PrinterMonitor::StoreAnswer(long id, const PrinterFacts& facts)
{
    Lock lock(this);
    PrinterView* cached = Find(id);
    if (cached == NULL)
        return;
    cached->facts = facts;
    if (cached->source == SOURCE_CUPS)
        cached->facts.isCups = true;
    cached->answered = true;
    cached->lastResult = S_OK;
    cached->gone = false;
    cached->lastAnswerTick = GetTickCount();
}

void PrinterMonitor::MakeCurrent(long id)
{
    if (id == m_currentId)
        return;
    m_currentId = id;
    ++m_identity;
    m_withCancelled = false;
    // Fresh details for the pages that read them next.
    RefreshSoon(id, kFreshMs);
}

HRESULT PrinterMonitor::WritePrinterSetting(long id, int which, long value, std::string& note)
{
    PrinterView printer;
    if (!View(id, printer))
        return DEVIPP_E_UNKNOWNDEVICE;
    note = "printer=" + printer.uri;
    // Nothing is sent to a printer that does not answer now; one that asks
    // for authentication says so.
    if (!printer.Reachable())
        return NotReachableResult(printer);
    ipp::JobDefaults change;
    std::string described;
    const HRESULT plan = PlanWrite(which, value, printer.facts, change, described);
    if (plan == S_FALSE) {
        note += " (holds it already)";
        return S_OK;
    }
    if (plan != S_OK)
        return plan;
    note += " " + described;

    const bool cups = printer.source == SOURCE_CUPS || printer.facts.isCups;
    const ipp::Client client(Options(printer.acceptSelfSigned), m_userName);
    const std::vector<ipp::Attribute> attributes = ipp::JobDefaultAttributes(change);
    ipp::CallInfo info;
    DWORD started = GetTickCount();
    HRESULT hr = cups ? client.CupsAddModifyPrinter(printer.uri, attributes, &info)
                      : client.SetPrinterAttributes(printer.uri, attributes, &info);
    JournalRequest(cups ? "CUPS-Add-Modify-Printer" : "Set-Printer-Attributes", printer.uri, hr, info, started);
    if (FAILED(hr)) {
        if (!info.statusMessage.empty())
            note += " refused: " + JournalText(info.statusMessage);
        RefreshSoon(id);
        return hr;
    }
    // Read back: a printer may answer successful-ok and keep its value.
    PrinterFacts facts;
    hr = AskPrinter(printer.uri, printer.acceptSelfSigned, facts);
    if (FAILED(hr)) {
        RefreshSoon(id);
        return hr;
    }
    if (cups)
        facts.isCups = true;
    StoreAnswer(id, facts);
    const long now = ReadSetting(which, facts);
    note += ComFormat(" read back %ld", now);
    long wanted = which == SET_SWITCH ? (value == 1 ? 1 : 0)
                  : (which == SET_NUMBER || which == SET_CHOICE) ? value : (value != 0 ? 1 : 0);
    return now == wanted ? S_OK : DEVIPP_E_NOTCHANGED;
}
