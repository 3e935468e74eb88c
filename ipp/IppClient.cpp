// IppClient.cpp - the IPP operations.
#include "ipp/IppClient.h"

#include "ipp/IppResults.h"

#include <stddef.h>

namespace ipp {

namespace {

volatile LONG g_lastRequestId = 0;

int32_t NextRequestId()
{
    LONG id = InterlockedIncrement(&g_lastRequestId) & 0x7FFFFFFF;
    return id == 0 ? 1 : static_cast<int32_t>(id);
}

std::string WindowsUserName()
{
    char name[257];
    DWORD size = sizeof(name);
    if (GetUserNameA(name, &size) && size > 1)
        return std::string(name, size - 1);
    return "anonymous";
}

std::string PercentEncode(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// Puts printer-uri into the operation group: replaces the one there, or
// inserts it after attributes-natural-language.
void SetPrinterUri(Message& request, const std::string& uri)
{
    Group* operation = nullptr;
    for (size_t i = 0; i < request.groups.size() && operation == nullptr; ++i) {
        if (request.groups[i].tag == kOperationGroup)
            operation = &request.groups[i];
    }
    if (operation == nullptr) {
        request.groups.insert(request.groups.begin(), Group(kOperationGroup));
        operation = &request.groups[0];
    }
    std::vector<Attribute>& attributes = operation->attributes;
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (attributes[i].name == "printer-uri") {
            attributes[i] = Attribute("printer-uri", Value::Uri(uri));
            return;
        }
    }
    size_t at = 0;
    while (at < attributes.size() && (attributes[at].name == "attributes-charset" ||
                                      attributes[at].name == "attributes-natural-language"))
        ++at;
    attributes.insert(attributes.begin() + static_cast<ptrdiff_t>(at),
                      Attribute("printer-uri", Value::Uri(uri)));
}

const char* const kCupsPrinterAttributes[] = {
    "printer-name", "printer-uri-supported", "printer-state", "printer-state-reasons",
    "printer-state-message", "printer-is-accepting-jobs", "printer-location", "printer-info",
    "printer-make-and-model", "printer-type", "device-uri", "color-supported"
};
const size_t kCupsPrinterAttributeCount =
    sizeof(kCupsPrinterAttributes) / sizeof(kCupsPrinterAttributes[0]);

} // namespace

HRESULT StatusResult(int status)
{
    if (status >= 0x0000 && status <= 0x00FF)
        return S_OK;
    switch (status) {
    case kClientErrorNotFound:
    case kClientErrorGone:
        return IPP_E_NOTFOUND;
    case kClientErrorForbidden:
    case kClientErrorNotAuthenticated:
    case kClientErrorNotAuthorized:
        return IPP_E_NOTAUTHORIZED;
    case kClientErrorAttributesOrValuesNotSupported:
    case kClientErrorAttributesNotSettable:
        return IPP_E_NOTSETTABLE;
    case kServerErrorOperationNotSupported:
    case kServerErrorVersionNotSupported:
        return IPP_E_NOTSUPPORTED;
    }
    if (status >= 0x0400 && status <= 0x04FF)
        return IPP_E_CLIENTERROR;
    return IPP_E_SERVERERROR;
}

std::string CupsQueueUri(const Endpoint& server, const std::string& name, bool isClass)
{
    Endpoint queue = server;
    queue.path = (isClass ? "/classes/" : "/printers/") + PercentEncode(name);
    return PrinterUri(queue);
}

// ---------------------------------------------------------------------------
// Client

Client::Client(const HttpOptions& options, const std::string& userName)
    : m_options(options), m_userName(userName.empty() ? WindowsUserName() : userName)
{
}

HRESULT Client::ExchangeOnce(const Endpoint& endpoint, Message& request, Message& response,
                             CallInfo& info) const
{
    request.requestId = NextRequestId();
    std::string body;
    if (!Encode(request, body))
        return IPP_E_BADREQUEST;
    std::string answer;
    HRESULT hr = PostIpp(endpoint, body, m_options, answer, &info.http);
    if (FAILED(hr))
        return hr;
    Limits limits;
    if (m_options.maxResponseBytes > limits.maxMessageBytes)
        limits.maxMessageBytes = m_options.maxResponseBytes;
    if (Decode(reinterpret_cast<const unsigned char*>(answer.data()), answer.size(), response,
               limits) != kDecodeOk)
        return IPP_E_BADRESPONSE;
    info.status = response.code;
    info.statusMessage = StatusMessage(response);
    info.unsupported.clear();
    for (size_t g = 0; g < response.groups.size(); ++g) {
        if (response.groups[g].tag != kUnsupportedGroup)
            continue;
        const std::vector<Attribute>& attributes = response.groups[g].attributes;
        for (size_t a = 0; a < attributes.size(); ++a)
            info.unsupported.push_back(attributes[a].name);
    }
    return StatusResult(response.code);
}

HRESULT Client::Send(const Endpoint& endpoint, const std::string& printerUri, Message& request,
                     Message& response, CallInfo* info) const
{
    CallInfo local;
    CallInfo& used = info != nullptr ? *info : local;
    used = CallInfo();
    response = Message();
    SetPrinterUri(request, printerUri);
    HRESULT hr = ExchangeOnce(endpoint, request, response, used);
    if (used.status == kServerErrorVersionNotSupported && request.major == 2) {
        request.major = 1;
        request.minor = 1;
        hr = ExchangeOnce(endpoint, request, response, used);
    }
    return hr;
}

HRESULT Client::Exchange(const std::string& uri, Message& request, Message& response,
                         CallInfo* info) const
{
    Endpoint endpoint;
    HRESULT hr = ParseUri(uri, endpoint);
    if (FAILED(hr)) {
        if (info != nullptr)
            *info = CallInfo();
        response = Message();
        return hr;
    }
    return Send(endpoint, PrinterUri(endpoint), request, response, info);
}

HRESULT Client::GetPrinters(const std::string& serverUri, std::vector<CupsPrinter>& printers,
                            CallInfo* info) const
{
    printers.clear();
    Endpoint server;
    HRESULT hr = ParseUri(serverUri, server);
    if (FAILED(hr))
        return hr;
    Message request = MakeRequest(kCupsGetPrinters, 0, std::string(), m_userName,
                                  std::vector<std::string>(kCupsPrinterAttributes,
                                                           kCupsPrinterAttributes +
                                                               kCupsPrinterAttributeCount));
    Message response;
    hr = Exchange(serverUri, request, response, info);
    if (hr == IPP_E_NOTFOUND)
        return S_OK;  // CUPS answers client-error-not-found when it has no queue
    if (FAILED(hr))
        return hr;
    for (size_t g = 0; g < response.groups.size(); ++g) {
        if (response.groups[g].tag != kPrinterGroup)
            continue;
        CupsPrinter printer;
        ParseCupsPrinter(response.groups[g], printer);
        if (printer.name.empty())
            continue;
        printer.uri = CupsQueueUri(server, printer.name, (printer.type & kCupsTypeClass) != 0);
        printers.push_back(printer);
    }
    return S_OK;
}

HRESULT Client::GetPrinterStatus(const std::string& printerUri, PrinterStatus& status,
                                 const std::vector<std::string>& requested, Message* raw,
                                 CallInfo* info) const
{
    status = PrinterStatus();
    Message request = MakeRequest(kGetPrinterAttributes, 0, std::string(), m_userName,
                                  requested.empty() ? StatusAttributes() : requested);
    Message local;
    Message& response = raw != nullptr ? *raw : local;
    HRESULT hr = Exchange(printerUri, request, response, info);
    if (FAILED(hr))
        return hr;
    const Group* printer = response.FindGroup(kPrinterGroup);
    if (printer == nullptr)
        return IPP_E_BADRESPONSE;
    ParsePrinterStatus(*printer, status);
    return S_OK;
}

HRESULT Client::SetPrinterAttributes(const std::string& printerUri,
                                     const std::vector<Attribute>& attributes,
                                     CallInfo* info) const
{
    Message request = MakeRequest(kSetPrinterAttributes, 0, std::string(), m_userName);
    request.AddGroup(kPrinterGroup).attributes = attributes;
    Message response;
    return Exchange(printerUri, request, response, info);
}

HRESULT Client::SendAdmin(const std::string& printerUri, Message& request, Message& response,
                          CallInfo* info) const
{
    Endpoint endpoint;
    HRESULT hr = ParseUri(printerUri, endpoint);
    if (FAILED(hr)) {
        if (info != nullptr)
            *info = CallInfo();
        response = Message();
        return hr;
    }
    // Administrative requests go to the server's /admin/ resource, where its
    // access rules for administration apply; printer-uri names the queue.
    std::string queueUri = PrinterUri(endpoint);
    endpoint.path = "/admin/";
    return Send(endpoint, queueUri, request, response, info);
}

HRESULT Client::CupsAddModifyPrinter(const std::string& printerUri,
                                     const std::vector<Attribute>& attributes,
                                     CallInfo* info) const
{
    Message request = MakeRequest(kCupsAddModifyPrinter, 0, std::string(), m_userName);
    request.AddGroup(kPrinterGroup).attributes = attributes;
    Message response;
    return SendAdmin(printerUri, request, response, info);
}

HRESULT Client::PrintJob(const std::string& printerUri, const PrintDocument& document,
                         JobTicket& job, CallInfo* info) const
{
    job = JobTicket();
    Message request = MakeRequest(kPrintJob, 0, std::string(), m_userName);
    Group& operation = request.groups[0];
    operation.Add("job-name", Value::Name(document.jobName));
    operation.Add("document-format", Value::String(kMimeMediaType, document.format));
    if (!document.sides.empty())
        request.AddGroup(kJobGroup).Add("sides", Value::Keyword(document.sides));
    request.data = document.data;
    Message response;
    HRESULT hr = Exchange(printerUri, request, response, info);
    if (FAILED(hr))
        return hr;
    const Group* answer = response.FindGroup(kJobGroup);
    if (answer != nullptr) {
        const Attribute* id = answer->Find("job-id");
        const Attribute* state = answer->Find("job-state");
        const Attribute* reasons = answer->Find("job-state-reasons");
        if (id != nullptr)
            id->GetInteger(job.id);
        if (state != nullptr)
            state->GetInteger(job.state);
        if (reasons != nullptr)
            job.reasons = reasons->Strings();
    }
    return hr;
}

HRESULT Client::PrinterOperation(const std::string& printerUri, int operation, bool cupsAdmin,
                                 CallInfo* info) const
{
    Message request = MakeRequest(operation, 0, std::string(), m_userName);
    Message response;
    if (cupsAdmin)
        return SendAdmin(printerUri, request, response, info);
    return Exchange(printerUri, request, response, info);
}

HRESULT Client::GetJobs(const std::string& printerUri, const std::string& which, bool myJobs,
                        int32_t limit, std::vector<JobInfo>& jobs, CallInfo* info) const
{
    jobs.clear();
    Message request = MakeRequest(kGetJobs, 0, std::string(), m_userName, JobAttributes());
    Group& operation = request.groups[0];
    if (!which.empty())
        operation.Add("which-jobs", Value::Keyword(which));
    operation.Add("my-jobs", Value::Boolean(myJobs));
    if (limit > 0)
        operation.Add("limit", Value::Integer(limit));
    Message response;
    HRESULT hr = Exchange(printerUri, request, response, info);
    if (FAILED(hr))
        return hr;
    for (size_t g = 0; g < response.groups.size(); ++g) {
        if (response.groups[g].tag != kJobGroup)
            continue;
        JobInfo job;
        ParseJob(response.groups[g], job);
        jobs.push_back(job);
    }
    return S_OK;
}

} // namespace ipp
