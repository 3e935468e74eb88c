// IppClient.h - the IPP operations the device service needs, each one
// blocking call with parsed results: CUPS-Get-Printers,
// Get-Printer-Attributes, Set-Printer-Attributes, CUPS-Add-Modify-Printer,
// Get-Jobs, Print-Job, and the printer operations without attributes of
// their own (Pause-Printer, Resume-Printer, Purge-Jobs, Cancel-Jobs,
// Restart-Printer). Built on IppMessage.h (encoding), IppPrinter.h (what answers
// mean) and IppHttp.h (transport).
//
// A Client holds only settings; its operations keep no state between calls
// and may run on several threads at once. Failures are the HRESULTs of
// IppResults.h (README.md has the table).
#ifndef IPP_IPPCLIENT_H
#define IPP_IPPCLIENT_H

#include <windows.h>

#include <string>
#include <vector>

#include "ipp/IppHttp.h"
#include "ipp/IppMessage.h"
#include "ipp/IppPrinter.h"

namespace ipp {

// What one exchange returned besides its parsed result: for journals,
// diagnostics and for deciding about a refused change.
struct CallInfo
{
    int status;                        // the IPP status code, -1 when none arrived
    std::string statusMessage;
    HttpDetails http;
    std::vector<std::string> unsupported;  // names in the unsupported-attributes group

    CallInfo() : status(-1) {}
};

// A document for Print-Job.
struct PrintDocument
{
    std::string jobName;   // job-name: what the job is
    std::string format;    // document-format (a MIME media type)
    std::string data;      // the document
    std::string sides;     // the job's sides ("two-sided-long-edge"); "" leaves the default

    PrintDocument() {}
};

// What a printer says of a job it took.
struct JobTicket
{
    int32_t id;                        // job-id, 0 when the answer had none
    int32_t state;                     // job-state, 0 when the answer had none
    std::vector<std::string> reasons;  // job-state-reasons

    JobTicket() : id(0), state(0) {}
};

// The IPP status of a response as an HRESULT: S_OK for 0x0000..0x00FF;
// IPP_E_NOTFOUND (not-found, gone), IPP_E_NOTAUTHORIZED (forbidden,
// not-authenticated, not-authorized), IPP_E_NOTSETTABLE
// (attributes-or-values-not-supported, attributes-not-settable),
// IPP_E_NOTSUPPORTED (operation-not-supported, version-not-supported),
// IPP_E_CLIENTERROR (other 0x04xx), IPP_E_SERVERERROR (anything else).
HRESULT StatusResult(int status);

class Client
{
public:
    // `userName` goes into requesting-user-name; "" takes the Windows user
    // name (GetUserNameA), else "anonymous".
    explicit Client(const HttpOptions& options = HttpOptions(), const std::string& userName = "");

    const HttpOptions& Options() const { return m_options; }
    const std::string& UserName() const { return m_userName; }

    // One request and its decoded response. Sets printer-uri from `uri`
    // (ipp:// or ipps:// form) and the request id; sends version 2.0 and, if
    // the printer answers server-error-version-not-supported, once more as
    // 1.1. Returns the transport's failure, IPP_E_BADRESPONSE for an answer
    // that does not decode, IPP_E_BADREQUEST for a request that cannot be encoded, else
    // StatusResult of the response status.
    HRESULT Exchange(const std::string& uri, Message& request, Message& response,
                     CallInfo* info = nullptr) const;

    // CUPS-Get-Printers to a CUPS server, `serverUri` like "ipp://host:631/".
    // A server with no queues answers an empty list (S_OK).
    HRESULT GetPrinters(const std::string& serverUri, std::vector<CupsPrinter>& printers,
                        CallInfo* info = nullptr) const;

    // Get-Printer-Attributes for `requested` (empty: StatusAttributes()).
    // `raw` (optional) receives the whole response for attributes that
    // PrinterStatus does not parse.
    HRESULT GetPrinterStatus(const std::string& printerUri, PrinterStatus& status,
                             const std::vector<std::string>& requested = std::vector<std::string>(),
                             Message* raw = nullptr, CallInfo* info = nullptr) const;

    // Set-Printer-Attributes with `attributes` in the printer group. A
    // printer that refuses fails with StatusResult of its status (typically
    // IPP_E_NOTSETTABLE or IPP_E_NOTAUTHORIZED); info->unsupported names what
    // it refused or ignored.
    HRESULT SetPrinterAttributes(const std::string& printerUri,
                                 const std::vector<Attribute>& attributes,
                                 CallInfo* info = nullptr) const;

    // CUPS-Add-Modify-Printer with `attributes` in the printer group (how a
    // CUPS queue's "*-default" attributes are changed). The URI must be the
    // queue's (ipp://server/printers/NAME); the request goes to the server's
    // /admin/ resource, as CUPS's own administration tools send it.
    HRESULT CupsAddModifyPrinter(const std::string& printerUri,
                                 const std::vector<Attribute>& attributes,
                                 CallInfo* info = nullptr) const;

    // Get-Jobs: `which` is "not-completed", "completed" or (CUPS) "all";
    // `limit` 0 for no limit.
    HRESULT GetJobs(const std::string& printerUri, const std::string& which, bool myJobs,
                    int32_t limit, std::vector<JobInfo>& jobs, CallInfo* info = nullptr) const;

    // Print-Job: the document with its job name and format (and sides when
    // set). `job` receives the printer's job-id and state. A printer that
    // refuses (not accepting, format not supported, ...) fails with
    // StatusResult of its status.
    HRESULT PrintJob(const std::string& printerUri, const PrintDocument& document, JobTicket& job,
                     CallInfo* info = nullptr) const;

    // An operation on the printer that takes nothing but its target:
    // Pause-Printer, Resume-Printer, Purge-Jobs, Cancel-Jobs, Restart-Printer.
    // With `cupsAdmin` the request goes to the CUPS server's /admin/ resource
    // with printer-uri naming the queue, as CUPS's own tools send them.
    HRESULT PrinterOperation(const std::string& printerUri, int operation, bool cupsAdmin,
                             CallInfo* info = nullptr) const;

private:
    // `request` to the server's /admin/ resource, printer-uri naming the queue.
    HRESULT SendAdmin(const std::string& printerUri, Message& request, Message& response,
                      CallInfo* info) const;
    HRESULT Send(const Endpoint& endpoint, const std::string& printerUri, Message& request,
                 Message& response, CallInfo* info) const;
    HRESULT ExchangeOnce(const Endpoint& endpoint, Message& request, Message& response,
                         CallInfo& info) const;

    HttpOptions m_options;
    std::string m_userName;
};

// The URI of the CUPS queue `name` on `server`: ipp:// (or ipps://) with the
// server's host and port, then /printers/NAME, or /classes/NAME for a class.
std::string CupsQueueUri(const Endpoint& server, const std::string& name, bool isClass);

} // namespace ipp

#endif // IPP_IPPCLIENT_H
