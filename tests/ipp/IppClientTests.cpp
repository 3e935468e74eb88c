// IppClientTests.cpp - the IPP client and its transport under Wine against
// the real CUPS test server (cups-server.sh; CUPS_SERVER names it), and
// against loopback sockets of the test's own for the network's failures: a
// printer that accepts and stays silent, a port nobody listens on.
//
// ScriptedDefaults.* are run by check-defaults.sh, which checks their effect
// with ipptool; the ctest entry of this program leaves them out.
// winsock2.h before anything that includes windows.h.
#include <winsock2.h>

#include "ipp/IppClient.h"
#include "ipp/IppHttp.h"
#include "ipp/IppResults.h"

#include <gtest/gtest.h>

#include <wincred.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace ipp;

namespace
{

std::string Server()
{
    const char* server = getenv("CUPS_SERVER");
    return server != NULL ? server : "";
}

std::string QueueUri(const char* queue)
{
    return "ipp://" + Server() + "/printers/" + queue;
}

// Options for requests to the test server: short enough timeouts, no
// credentials unless a test asks for them.
HttpOptions ServerOptions()
{
    HttpOptions options;
    options.connectTimeoutMs = 5000;
    options.receiveTimeoutMs = 10000;
    options.credentials = NULL;
    return options;
}

const CupsPrinter* FindQueue(const std::vector<CupsPrinter>& printers, const std::string& name)
{
    for (size_t i = 0; i < printers.size(); ++i) {
        if (printers[i].name == name)
            return &printers[i];
    }
    return NULL;
}

class CupsServer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Server().empty()) << "CUPS_SERVER is not set: run through cups-server.sh env";
    }

    Client client{ ServerOptions(), "tester" };
};

// A loopback socket that takes connections (the system completes them from
// the backlog) and never answers: a printer that is there but silent. With
// close(), a port that refuses.
class SilentPrinter
{
public:
    SilentPrinter() : m_socket(INVALID_SOCKET), m_port(0)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (m_socket != INVALID_SOCKET &&
            bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            listen(m_socket, 16) == 0 &&
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentPrinter()
    {
        Close();
        WSACleanup();
    }
    void Close()
    {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    unsigned short Port() const { return m_port; }
    std::string Uri() const { return "ipp://127.0.0.1:" + std::to_string(m_port) + "/ipp/print"; }

private:
    SOCKET m_socket;
    unsigned short m_port;
};

struct CancelAfter
{
    CancelToken* token;
    DWORD delayMs;
};

DWORD WINAPI CancelLater(void* parameter)
{
    CancelAfter* cancel = static_cast<CancelAfter*>(parameter);
    Sleep(cancel->delayMs);
    cancel->token->Cancel();
    return 0;
}

// A credential hook that records its calls and answers with fixed names.
struct HookRecord
{
    int calls;
    std::string host;
    unsigned short port;
};

bool RecordingCredentials(const Endpoint& endpoint, std::string& user, std::string& password,
                          void* context)
{
    HookRecord* record = static_cast<HookRecord*>(context);
    ++record->calls;
    record->host = endpoint.host;
    record->port = endpoint.port;
    user = "nobody-known";
    password = "wrong";
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Against the CUPS test server

TEST_F(CupsServer, GetPrintersListsTheQueuesWithLocationsAndState)
{
    std::vector<CupsPrinter> printers;
    CallInfo info;
    ASSERT_EQ(S_OK, client.GetPrinters("ipp://" + Server() + "/", printers, &info));
    EXPECT_EQ(kSuccessfulOk, info.status);
    EXPECT_EQ(200u, info.http.httpStatus);

    const char* const expected[][3] = { { "office", "Room 101", "Office printer" },
                                        { "lab", "Lab 2", "Lab printer" },
                                        { "stopped", "Basement", "Stopped printer" },
                                        { "supplies", "Store", "Printer with supplies" },
                                        { "locked", "Vault", "Locked printer" },
                                        { "color", "Print room", "Colour printer" } };
    EXPECT_EQ(6u, printers.size());
    for (size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i) {
        const CupsPrinter* printer = FindQueue(printers, expected[i][0]);
        ASSERT_NE(nullptr, printer) << expected[i][0];
        EXPECT_EQ(expected[i][1], printer->location) << expected[i][0];
        EXPECT_EQ(expected[i][2], printer->info) << expected[i][0];
        EXPECT_EQ(QueueUri(expected[i][0]), printer->uri);
    }
    const CupsPrinter* office = FindQueue(printers, "office");
    ASSERT_NE(nullptr, office);
    EXPECT_EQ(kPrinterIdle, office->state);
    EXPECT_TRUE(office->accepting);
    EXPECT_EQ("file:///dev/null", office->deviceUri);
    EXPECT_FALSE(office->IsColor());
    const CupsPrinter* color = FindQueue(printers, "color");
    ASSERT_NE(nullptr, color);
    EXPECT_TRUE(color->IsColor());
    EXPECT_NE(0u, color->type & kCupsTypeDuplex);
    EXPECT_FALSE(color->IsFax());
    EXPECT_FALSE(color->IsScanner());
}

TEST_F(CupsServer, StoppedQueueReportsStopped)
{
    std::vector<CupsPrinter> printers;
    ASSERT_EQ(S_OK, client.GetPrinters("ipp://" + Server() + "/", printers));
    const CupsPrinter* stopped = FindQueue(printers, "stopped");
    ASSERT_NE(nullptr, stopped);
    EXPECT_EQ(kPrinterStopped, stopped->state);
    EXPECT_EQ("Out of order", stopped->stateMessage);
    EXPECT_EQ(std::vector<std::string>({ "paused" }), stopped->reasons);

    PrinterStatus status;
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("stopped"), status));
    EXPECT_EQ(kPrinterStopped, status.state);
    EXPECT_EQ("Out of order", status.stateMessage);
    EXPECT_EQ("stopped", status.name);
    EXPECT_EQ("Basement", status.location);
}

TEST_F(CupsServer, SupplyLevelsAndReasonsComeFromTheBackend)
{
    PrinterStatus status;
    Message raw;
    CallInfo info;
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("supplies"), status,
                                            std::vector<std::string>(), &raw, &info));
    ASSERT_EQ(2u, status.markers.size());
    EXPECT_EQ("Black Toner", status.markers[0].name);
    EXPECT_EQ("toner", status.markers[0].type);
    EXPECT_EQ(12, status.markers[0].level);
    EXPECT_EQ(15, status.markers[0].lowLevel);
    EXPECT_EQ("Cyan Toner", status.markers[1].name);
    EXPECT_EQ(80, status.markers[1].level);
    ASSERT_EQ(2u, status.supplies.size());
    EXPECT_EQ("Black Toner", status.supplies[0].description);
    EXPECT_EQ(12, status.supplies[0].level);
    EXPECT_NE(std::find(status.reasons.begin(), status.reasons.end(), "toner-low-report"),
              status.reasons.end());
    EXPECT_EQ(0, status.queuedJobCount.value_or(-1));
    EXPECT_EQ("urn:uuid:", status.uuid.substr(0, 9));
    EXPECT_EQ(9999, status.copiesMax.value_or(0));
    // The raw answer holds what was asked for, and nothing was unsupported.
    EXPECT_NE(nullptr, raw.Find(kPrinterGroup, "marker-levels"));
    EXPECT_TRUE(info.unsupported.empty());

    // A requested set of the caller's own.
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("supplies"), status,
                                            std::vector<std::string>({ "printer-location" }), &raw));
    EXPECT_EQ("Store", status.location);
    EXPECT_TRUE(status.markers.empty());
    EXPECT_EQ(nullptr, raw.Find(kPrinterGroup, "marker-levels"));
}

TEST_F(CupsServer, GetJobsListsTheCompletedSupplyCheck)
{
    std::vector<JobInfo> jobs;
    ASSERT_EQ(S_OK, client.GetJobs(QueueUri("supplies"), "completed", false, 0, jobs));
    ASSERT_FALSE(jobs.empty());
    EXPECT_EQ("supply check", jobs[0].name);
    EXPECT_EQ(9, jobs[0].state);  // completed
    EXPECT_GT(jobs[0].id, 0);
    ASSERT_EQ(S_OK, client.GetJobs(QueueUri("supplies"), "not-completed", false, 0, jobs));
    EXPECT_TRUE(jobs.empty());
}

// Print-Job hands the document over under its job name and format, and the
// server lists the job by the id it answered; a format the queue does not
// take is refused. Pause-Printer stops a queue and Resume-Printer starts it
// again (both at the server's /admin/ resource); an operation the server
// does not offer fails as not supported.
TEST_F(CupsServer, PrintJobAndPrinterOperations)
{
    PrintDocument document;
    document.jobName = "client test page";
    document.format = "text/plain";
    document.data = "a test page\r\n";
    JobTicket job;
    CallInfo info;
    ASSERT_EQ(S_OK, client.PrintJob(QueueUri("office"), document, job, &info));
    EXPECT_EQ(kSuccessfulOk, info.status);
    ASSERT_GT(job.id, 0);
    EXPECT_GE(job.state, 3);
    std::vector<JobInfo> jobs;
    ASSERT_EQ(S_OK, client.GetJobs(QueueUri("office"), "all", false, 0, jobs));
    const JobInfo* listed = NULL;
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].id == job.id)
            listed = &jobs[i];
    }
    ASSERT_TRUE(listed != NULL) << "job " << job.id << " is not listed";
    EXPECT_EQ("client test page", listed->name);
    EXPECT_EQ(IPP_E_CLIENTERROR, client.PrintJob(QueueUri("color"), document, job, &info))
        << "the colour queue takes no plain text";
    EXPECT_EQ(0x040A, info.status) << "client-error-document-format-not-supported";

    PrinterStatus status;
    ASSERT_EQ(S_OK, client.PrinterOperation(QueueUri("lab"), kPausePrinter, true, &info));
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("lab"), status));
    EXPECT_EQ(kPrinterStopped, status.state);
    ASSERT_EQ(S_OK, client.PrinterOperation(QueueUri("lab"), kResumePrinter, true, &info));
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("lab"), status));
    EXPECT_EQ(kPrinterIdle, status.state);
    EXPECT_EQ(IPP_E_NOTSUPPORTED, client.PrinterOperation(QueueUri("lab"), kRestartPrinter, false, &info));
    EXPECT_EQ(kServerErrorOperationNotSupported, info.status);
}

TEST_F(CupsServer, JobDefaultsWrittenWithAddModifyPrinterReadBack)
{
    JobDefaults wanted;
    wanted.sides = "two-sided-short-edge";
    wanted.documentHandling = "separate-documents-uncollated-copies";
    wanted.outputOrder = "reverse";
    wanted.pageDelivery = "reverse-order-face-up";
    wanted.printScaling = "fit";
    wanted.mirror = true;
    wanted.copies = 4;
    wanted.printQuality = 5;
    wanted.colorMode = "monochrome";
    CallInfo info;
    ASSERT_EQ(S_OK, client.CupsAddModifyPrinter(QueueUri("lab"), JobDefaultAttributes(wanted),
                                                &info));
    EXPECT_EQ(kSuccessfulOk, info.status);

    PrinterStatus status;
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("lab"), status));
    EXPECT_EQ(wanted.sides, status.defaults.sides);
    EXPECT_EQ(wanted.documentHandling, status.defaults.documentHandling);
    EXPECT_EQ(wanted.outputOrder, status.defaults.outputOrder);
    EXPECT_EQ(wanted.pageDelivery, status.defaults.pageDelivery);
    EXPECT_EQ(wanted.printScaling, status.defaults.printScaling);
    EXPECT_EQ(wanted.mirror, status.defaults.mirror);
    EXPECT_EQ(wanted.copies, status.defaults.copies);
    EXPECT_EQ(wanted.printQuality, status.defaults.printQuality);
    EXPECT_EQ(wanted.colorMode, status.defaults.colorMode);

    // A change the server refuses fails and leaves the queue as it was.
    std::vector<Attribute> bad(1, Attribute("device-uri", Value::Uri("bogus:/")));
    EXPECT_EQ(IPP_E_CLIENTERROR, client.CupsAddModifyPrinter(QueueUri("lab"), bad, &info));
    EXPECT_FALSE(info.statusMessage.empty());
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("lab"), status));
    EXPECT_EQ("file:///dev/null", status.deviceUri);
    EXPECT_EQ(wanted.copies, status.defaults.copies);
}

TEST_F(CupsServer, SetPrinterAttributesChangesTheLocation)
{
    std::vector<Attribute> location(1, Attribute("printer-location", Value::Text("Print room 2")));
    ASSERT_EQ(S_OK, client.SetPrinterAttributes(QueueUri("color"), location));
    PrinterStatus status;
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("color"), status));
    EXPECT_EQ("Print room 2", status.location);
    location[0] = Attribute("printer-location", Value::Text("Print room"));
    ASSERT_EQ(S_OK, client.SetPrinterAttributes(QueueUri("color"), location));
}

TEST_F(CupsServer, FailuresOfTheServerMapToResults)
{
    PrinterStatus status;
    CallInfo info;
    EXPECT_EQ(IPP_E_NOTFOUND, client.GetPrinterStatus(QueueUri("nosuch"), status,
                                                      std::vector<std::string>(), nullptr, &info));
    EXPECT_EQ(kClientErrorNotFound, info.status);

    // The locked queue asks for credentials: none given is IPP_E_AUTH.
    EXPECT_EQ(IPP_E_AUTH, client.GetPrinterStatus(QueueUri("locked"), status,
                                                  std::vector<std::string>(), nullptr, &info));
    EXPECT_EQ(401u, info.http.httpStatus);
    EXPECT_FALSE(info.http.credentialsSent);

    // A hook is asked once; the server refuses what it gives: IPP_E_AUTH.
    HookRecord record = { 0, "", 0 };
    HttpOptions options = ServerOptions();
    options.credentials = RecordingCredentials;
    options.credentialsContext = &record;
    Client withHook(options, "tester");
    EXPECT_EQ(IPP_E_AUTH, withHook.GetPrinterStatus(QueueUri("locked"), status,
                                                    std::vector<std::string>(), nullptr, &info))
        << "system error " << info.http.systemError;
    EXPECT_EQ(1, record.calls);
    EXPECT_EQ("127.0.0.1", record.host);
    EXPECT_TRUE(info.http.credentialsSent);
    EXPECT_EQ(401u, info.http.httpStatus);

    // An answer over the cap.
    HttpOptions small = ServerOptions();
    small.maxResponseBytes = 512;
    Client capped(small, "tester");
    EXPECT_EQ(IPP_E_TOOLARGE, capped.GetPrinterStatus(QueueUri("color"), status,
                                                      std::vector<std::string>({ "all" })));
}

TEST_F(CupsServer, StoredCredentialsComeFromTheCredentialStore)
{
    Endpoint endpoint;
    ASSERT_EQ(S_OK, ParseUri(QueueUri("locked"), endpoint));
    std::string target = "DeviceIpp:127.0.0.1:" + std::to_string(endpoint.port);
    CredDeleteA(target.c_str(), CRED_TYPE_GENERIC, 0);  // left by an interrupted run
    std::string user, password;
    ASSERT_FALSE(StoredCredentials(endpoint, user, password, NULL));

    const wchar_t secret[] = L"s3cret";
    CREDENTIALA credential = {};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = const_cast<char*>(target.c_str());
    credential.UserName = const_cast<char*>("operator");
    credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(secret));
    credential.CredentialBlobSize = sizeof(secret) - sizeof(wchar_t);
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    ASSERT_TRUE(CredWriteA(&credential, 0));

    EXPECT_TRUE(StoredCredentials(endpoint, user, password, NULL));
    EXPECT_EQ("operator", user);
    EXPECT_EQ("s3cret", password);

    // The default options use the store: the server gets them (and refuses).
    HttpOptions options = ServerOptions();
    options.credentials = StoredCredentials;
    Client stored(options, "tester");
    PrinterStatus status;
    CallInfo info;
    EXPECT_EQ(IPP_E_AUTH, stored.GetPrinterStatus(QueueUri("locked"), status,
                                                  std::vector<std::string>(), nullptr, &info))
        << "system error " << info.http.systemError;
    EXPECT_TRUE(info.http.credentialsSent);
    EXPECT_TRUE(CredDeleteA(target.c_str(), CRED_TYPE_GENERIC, 0));
}

TEST_F(CupsServer, SelfSignedCertificateOnlyWhenAccepted)
{
    // cupsd answers TLS on its port with a certificate it made itself.
    std::string secure = "ipps://" + Server() + "/printers/office";
    PrinterStatus status;
    CallInfo info;
    EXPECT_EQ(IPP_E_SECURE, client.GetPrinterStatus(secure, status, std::vector<std::string>(),
                                                    nullptr, &info))
        << "system error " << info.http.systemError;
    HttpOptions options = ServerOptions();
    options.acceptSelfSigned = true;
    Client accepting(options, "tester");
    ASSERT_EQ(S_OK, accepting.GetPrinterStatus(secure, status, std::vector<std::string>(), nullptr,
                                                &info))
        << "system error " << info.http.systemError;
    EXPECT_EQ("Room 101", status.location);
}

namespace
{

struct Worker
{
    const Client* client;
    std::string uri;
    std::string location;  // what every answer must say
    int failures;
};

DWORD WINAPI AskRepeatedly(void* parameter)
{
    Worker* worker = static_cast<Worker*>(parameter);
    for (int i = 0; i < 10; ++i) {
        PrinterStatus status;
        if (worker->client->GetPrinterStatus(worker->uri, status) != S_OK ||
            status.location != worker->location)
            ++worker->failures;
    }
    return 0;
}

} // namespace

TEST_F(CupsServer, OneClientServesSeveralThreadsAtOnce)
{
    Worker workers[4] = { { &client, QueueUri("office"), "Room 101", 0 },
                          { &client, QueueUri("stopped"), "Basement", 0 },
                          { &client, QueueUri("supplies"), "Store", 0 },
                          { &client, QueueUri("locked"), "", 0 } };
    workers[3].failures = -10;  // the locked queue refuses every time: 10 failures expected
    HANDLE threads[4];
    for (int i = 0; i < 4; ++i) {
        threads[i] = CreateThread(NULL, 0, AskRepeatedly, &workers[i], 0, NULL);
        ASSERT_NE(static_cast<HANDLE>(NULL), threads[i]);
    }
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (int i = 0; i < 4; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(0, workers[i].failures) << workers[i].uri;
    }
}

// Run by check-defaults.sh with IPP_TEST_SIDES set; ipptool then checks the
// server's sides-default.
TEST(ScriptedDefaults, SetSidesDefaultOfOffice)
{
    const char* sides = getenv("IPP_TEST_SIDES");
    if (sides == NULL || Server().empty())
        GTEST_SKIP() << "run by check-defaults.sh";
    Client client(ServerOptions(), "tester");
    JobDefaults defaults;
    defaults.sides = sides;
    ASSERT_EQ(S_OK, client.CupsAddModifyPrinter(QueueUri("office"), JobDefaultAttributes(defaults)));
    PrinterStatus status;
    ASSERT_EQ(S_OK, client.GetPrinterStatus(QueueUri("office"), status));
    EXPECT_EQ(sides, status.defaults.sides.value_or(""));
}

// ---------------------------------------------------------------------------
// The network's failures (loopback sockets of the test's own)

TEST(IppTransport, SilentPrinterTimesOut)
{
    SilentPrinter printer;
    ASSERT_NE(0, printer.Port());
    HttpOptions options;
    options.connectTimeoutMs = 2000;
    options.sendTimeoutMs = 2000;
    options.receiveTimeoutMs = 1000;
    options.totalTimeoutMs = 60000;  // only the receive timeout can end it early
    Client client(options, "tester");
    PrinterStatus status;
    CallInfo info;
    DWORD start = GetTickCount();
    EXPECT_EQ(IPP_E_TIMEOUT, client.GetPrinterStatus(printer.Uri(), status,
                                                     std::vector<std::string>(), nullptr, &info))
        << "system error " << info.http.systemError;
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 30000u) << "the receive timeout did not end the wait";
    EXPECT_EQ(0u, info.http.httpStatus);
    EXPECT_TRUE(WaitForPendingRequests(10000));
}

TEST(IppTransport, ClosedPortFailsFast)
{
    SilentPrinter printer;
    ASSERT_NE(0, printer.Port());
    std::string uri = printer.Uri();
    printer.Close();
    HttpOptions options;
    options.connectTimeoutMs = 30000;
    options.totalTimeoutMs = 60000;
    Client client(options, "tester");
    PrinterStatus status;
    DWORD start = GetTickCount();
    EXPECT_EQ(IPP_E_CONNECT, client.GetPrinterStatus(uri, status));
    EXPECT_LT(GetTickCount() - start, 20000u) << "a refused connection waited for the timeout";
}

TEST(IppTransport, CancelEndsABlockedRequestFromAnotherThread)
{
    SilentPrinter printer;
    ASSERT_NE(0, printer.Port());
    CancelToken token;
    HttpOptions options;
    options.receiveTimeoutMs = 8000;
    options.totalTimeoutMs = 60000;
    options.cancel = &token;
    Client client(options, "tester");

    CancelAfter cancel = { &token, 300 };
    HANDLE thread = CreateThread(NULL, 0, CancelLater, &cancel, 0, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), thread);
    PrinterStatus status;
    DWORD start = GetTickCount();
    EXPECT_EQ(IPP_E_CANCELLED, client.GetPrinterStatus(printer.Uri(), status));
    DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_LT(elapsed, 5000u) << "the cancellation did not end the wait";
    // WinHTTP tears the request down after the cancellation, at the latest
    // when its own receive timeout ends the work it had under way.
    DWORD cancelled = GetTickCount();
    EXPECT_TRUE(WaitForPendingRequests(options.receiveTimeoutMs + 10000));
    EXPECT_EQ(0, PendingRequests());
    printf("request torn down %lu ms after the cancellation\n", GetTickCount() - cancelled);

    // While the token is set, requests fail at once; after Reset they run.
    EXPECT_EQ(IPP_E_CANCELLED, client.GetPrinterStatus(printer.Uri(), status));
    token.Reset();
    options.receiveTimeoutMs = 500;
    Client again(options, "tester");
    EXPECT_EQ(IPP_E_TIMEOUT, again.GetPrinterStatus(printer.Uri(), status));
}

TEST(IppTransport, BadUrisFailBeforeTheNetwork)
{
    Client client;
    PrinterStatus status;
    EXPECT_EQ(IPP_E_BADURI, client.GetPrinterStatus("lpd://127.0.0.1/queue", status));
    std::vector<CupsPrinter> printers;
    EXPECT_EQ(IPP_E_BADURI, client.GetPrinters("ipp://", printers));
}
