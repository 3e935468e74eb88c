// IppHttp.cpp - IPP over HTTP through WinHTTP.
//
// WinHTTP runs in asynchronous mode: each step (send, receive the headers,
// read a piece of the body) is started on the requesting thread, which then
// waits for the step's completion callback, for the cancel token's event or
// for the step's timeout, whichever comes first. A cancellation or a timeout
// closes the request handle on the requesting thread itself: WinHTTP's
// documentation names closing the request handle as the way to end an
// asynchronous request in progress, and no handle is ever used by two threads.
//
// The state a request shares with the callback (RequestContext) has two
// owners: the requesting thread, and the request handle until WinHTTP reports
// WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING, its last callback for the handle.
// So a callback that arrives after PostIpp returned still finds it alive.
#include "ipp/IppHttp.h"

#include "ipp/IppResults.h"

#include <wincred.h>
#include <winerror.h>
#include <winhttp.h>

#include <new>

namespace ipp {

namespace {

volatile LONG g_pendingRequests = 0;

// A small margin over each WinHTTP timeout, so that WinHTTP's own timeout
// (with its precise error) normally ends a stalled step; ours ends it when
// WinHTTP's does not.
const DWORD kTimeoutMarginMs = 250;

const char kContentType[] = "application/ipp";

// What is read of an HTTP 401 answer's body before the request is sent again.
const size_t kMaxRefusalBytes = 65536;

std::wstring Widen(const std::string& text, UINT codePage)
{
    if (text.empty())
        return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     NULL, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                        length);
    return wide;
}

std::string Narrow(const wchar_t* text, size_t length, UINT codePage)
{
    if (text == NULL || length == 0)
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), NULL, 0, NULL,
                                   NULL);
    if (size <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), &narrow[0], size, NULL,
                        NULL);
    return narrow;
}

void WipeString(std::string& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size());
    text.clear();
}

void WipeString(std::wstring& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    text.clear();
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(const std::string& text, const char* prefix, size_t prefixLength)
{
    if (text.size() < prefixLength)
        return false;
    for (size_t i = 0; i < prefixLength; ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i]))
            return false;
    }
    return true;
}

// The state one request shares with WinHTTP's status callback.
class RequestContext
{
public:
    enum Step { kNone, kSent, kHeaders, kRead, kError };

    RequestContext()
        : m_references(1), m_completed(CreateEventA(NULL, FALSE, FALSE, NULL)), m_step(kNone),
          m_error(0), m_bytes(0), m_secureFlags(0)
    {
        InterlockedIncrement(&g_pendingRequests);
    }

    void AddRef() { InterlockedIncrement(&m_references); }
    void Release()
    {
        if (InterlockedDecrement(&m_references) == 0)
            delete this;
    }

    // Called by the status callback: records a step's outcome and wakes the
    // requesting thread.
    void Complete(Step step, DWORD error, DWORD bytes)
    {
        m_error = error;
        m_bytes = bytes;
        m_step = step;
        SetEvent(m_completed);
    }

    // Before starting a step.
    void Arm()
    {
        m_step = kNone;
        m_error = 0;
        m_bytes = 0;
        ResetEvent(m_completed);
    }

    HANDLE Completed() const { return m_completed; }
    Step LastStep() const { return m_step; }
    DWORD LastError() const { return m_error; }
    DWORD LastBytes() const { return m_bytes; }
    void SetSecureFlags(DWORD flags) { m_secureFlags = flags; }

    std::string body;      // the request body: WinHTTP reads it until the send completes
    char buffer[16384];    // where WinHTTP writes what it reads

private:
    ~RequestContext()
    {
        if (m_completed != NULL)
            CloseHandle(m_completed);
        InterlockedDecrement(&g_pendingRequests);
    }
    RequestContext(const RequestContext&);
    RequestContext& operator=(const RequestContext&);

    LONG m_references;
    HANDLE m_completed;
    volatile Step m_step;
    volatile DWORD m_error;
    volatile DWORD m_bytes;
    volatile DWORD m_secureFlags;
};

void CALLBACK StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                             DWORD infoLength)
{
    RequestContext* request = reinterpret_cast<RequestContext*>(context);
    if (request == NULL)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        request->Complete(RequestContext::kSent, 0, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        request->Complete(RequestContext::kHeaders, 0, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        request->Complete(RequestContext::kRead, 0, infoLength);
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
        const WINHTTP_ASYNC_RESULT* result = static_cast<const WINHTTP_ASYNC_RESULT*>(info);
        request->Complete(RequestContext::kError,
                          result != NULL ? result->dwError : ERROR_WINHTTP_INTERNAL_ERROR, 0);
        break;
    }
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
        if (info != NULL && infoLength >= sizeof(DWORD))
            request->SetSecureFlags(*static_cast<const DWORD*>(info));
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        request->Release();  // the handle's reference
        break;
    default:
        break;
    }
}

// WinHTTP's errors, and the socket errors that Wine's WinHTTP passes on as
// they are (a receive that timed out comes as WSAETIMEDOUT there, not as
// ERROR_WINHTTP_TIMEOUT).
HRESULT FromSystemError(DWORD error)
{
    switch (error) {
    case WSAETIMEDOUT:
        return IPP_E_TIMEOUT;
    case WSAECONNREFUSED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
        return IPP_E_CONNECT;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return IPP_E_HOSTNOTFOUND;
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return IPP_E_CONNECT;
    case ERROR_WINHTTP_TIMEOUT:
        return IPP_E_TIMEOUT;
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return IPP_E_CANCELLED;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
        return IPP_E_SECURE;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
    case ERROR_WINHTTP_HEADER_NOT_FOUND:
        return IPP_E_BADRESPONSE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return E_OUTOFMEMORY;
    default:
        return IPP_E_NETWORK;
    }
}

// One POST: the handles, the shared context and the clock.
class HttpExchange
{
public:
    HttpExchange(const HttpOptions& options, HttpDetails& details)
        : m_options(options), m_details(details), m_session(NULL), m_connect(NULL),
          m_request(NULL), m_context(NULL), m_start(GetTickCount())
    {
    }

    ~HttpExchange() { Close(); }

    HRESULT Run(const Endpoint& endpoint, const std::string& body, std::string& response);

private:
    HttpExchange(const HttpExchange&);
    HttpExchange& operator=(const HttpExchange&);

    HRESULT Open(const Endpoint& endpoint, const std::string& body);
    HRESULT SendAndReceiveHeaders();
    HRESULT Answer401(const Endpoint& endpoint, bool& retry);
    HRESULT ReadBody(std::string& response, size_t limit);
    HRESULT Await(RequestContext::Step expected, DWORD stepTimeoutMs);
    HRESULT Fail(DWORD error);
    bool Cancelled() const { return m_options.cancel != NULL && m_options.cancel->IsCancelled(); }
    void Close();

    const HttpOptions& m_options;
    HttpDetails& m_details;
    HINTERNET m_session;
    HINTERNET m_connect;
    HINTERNET m_request;
    RequestContext* m_context;
    DWORD m_start;
};

void HttpExchange::Close()
{
    // The request handle first: its closing ends any step still in progress.
    if (m_request != NULL) {
        WinHttpCloseHandle(m_request);
        m_request = NULL;
    }
    if (m_connect != NULL) {
        WinHttpCloseHandle(m_connect);
        m_connect = NULL;
    }
    if (m_session != NULL) {
        WinHttpCloseHandle(m_session);
        m_session = NULL;
    }
    if (m_context != NULL) {
        m_context->Release();
        m_context = NULL;
    }
}

HRESULT HttpExchange::Fail(DWORD error)
{
    m_details.systemError = error;
    return FromSystemError(error);
}

// WinHTTP stays loaded once this process has used it. Its asynchronous work
// outlives the handles: a cancelled request's last steps still run on
// WinHTTP's threads after HANDLE_CLOSING (under Wine they read WinHTTP's own
// data a moment later), so WinHTTP must not go with the last module that
// imports it when a client unloads the service.
void PinWinHttp()
{
    static volatile LONG pinned = 0;
    if (InterlockedCompareExchange(&pinned, 1, 0) != 0)
        return;
    HMODULE module = NULL;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, "winhttp.dll", &module))
        InterlockedExchange(&pinned, 0);
}

HRESULT HttpExchange::Open(const Endpoint& endpoint, const std::string& body)
{
    PinWinHttp();
    m_session = WinHttpOpen(L"DeviceIpp", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (m_session == NULL)
        return Fail(GetLastError());
    if (!WinHttpSetTimeouts(m_session, static_cast<int>(m_options.connectTimeoutMs),
                            static_cast<int>(m_options.connectTimeoutMs),
                            static_cast<int>(m_options.sendTimeoutMs),
                            static_cast<int>(m_options.receiveTimeoutMs)))
        return Fail(GetLastError());
    m_connect = WinHttpConnect(m_session, Widen(endpoint.host, CP_UTF8).c_str(), endpoint.port, 0);
    if (m_connect == NULL)
        return Fail(GetLastError());
    m_request = WinHttpOpenRequest(m_connect, L"POST", Widen(endpoint.path, CP_UTF8).c_str(), NULL,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   endpoint.secure ? WINHTTP_FLAG_SECURE : 0);
    if (m_request == NULL)
        return Fail(GetLastError());

    // A printer that redirects is not followed (a POST would not survive it);
    // the redirect comes back as IPP_E_HTTP. Where the option is unknown the
    // redirect ends the same way, as a status other than 200.
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(m_request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));

    // The wait for the answer's headers has a timeout of its own (90 s unless
    // set), apart from the receive timeout of WinHttpSetTimeouts.
    DWORD headersTimeout = m_options.receiveTimeoutMs;
    if (!WinHttpSetOption(m_request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout,
                          sizeof(headersTimeout)))
        return Fail(GetLastError());

    if (endpoint.secure && m_options.acceptSelfSigned) {
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                      SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
        if (!WinHttpSetOption(m_request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags)))
            return Fail(GetLastError());
    }
    if (!WinHttpAddRequestHeaders(m_request, L"Content-Type: application/ipp", (DWORD)-1L,
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
        return Fail(GetLastError());

    m_context = new (std::nothrow) RequestContext;
    if (m_context == NULL || m_context->Completed() == NULL)
        return E_OUTOFMEMORY;
    m_context->body = body;
    DWORD_PTR value = reinterpret_cast<DWORD_PTR>(m_context);
    if (!WinHttpSetOption(m_request, WINHTTP_OPTION_CONTEXT_VALUE, &value, sizeof(value)))
        return Fail(GetLastError());
    const DWORD notifications = WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                WINHTTP_CALLBACK_FLAG_SECURE_FAILURE |
                                WINHTTP_CALLBACK_FLAG_HANDLES;
    if (WinHttpSetStatusCallback(m_request, StatusCallback, notifications, 0) ==
        WINHTTP_INVALID_STATUS_CALLBACK)
        return Fail(GetLastError());
    m_context->AddRef();  // released by the handle's HANDLE_CLOSING callback
    return S_OK;
}

// Waits for the step started last. The completion wins over a cancellation
// that comes at the same moment; the next step then sees the cancellation.
HRESULT HttpExchange::Await(RequestContext::Step expected, DWORD stepTimeoutMs)
{
    DWORD elapsed = GetTickCount() - m_start;
    if (elapsed >= m_options.totalTimeoutMs)
        return IPP_E_TIMEOUT;
    DWORD wait = stepTimeoutMs + kTimeoutMarginMs;
    if (wait > m_options.totalTimeoutMs - elapsed)
        wait = m_options.totalTimeoutMs - elapsed;
    HANDLE handles[2] = { m_context->Completed(), NULL };
    DWORD count = 1;
    if (m_options.cancel != NULL) {
        handles[1] = m_options.cancel->Event();
        count = 2;
    }
    DWORD result = WaitForMultipleObjects(count, handles, FALSE, wait);
    if (result == WAIT_OBJECT_0) {
        if (m_context->LastStep() == RequestContext::kError)
            return Fail(m_context->LastError());
        if (m_context->LastStep() != expected)
            return Fail(ERROR_WINHTTP_INTERNAL_ERROR);
        return S_OK;
    }
    if (result == WAIT_OBJECT_0 + 1)
        return IPP_E_CANCELLED;
    if (result == WAIT_TIMEOUT)
        return IPP_E_TIMEOUT;
    return Fail(GetLastError());
}

HRESULT HttpExchange::SendAndReceiveHeaders()
{
    if (Cancelled())
        return IPP_E_CANCELLED;
    m_context->Arm();
    const std::string& body = m_context->body;
    LPVOID data = body.empty() ? WINHTTP_NO_REQUEST_DATA
                               : const_cast<LPVOID>(static_cast<const void*>(body.data()));
    DWORD size = static_cast<DWORD>(body.size());
    if (!WinHttpSendRequest(m_request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, size, size,
                            reinterpret_cast<DWORD_PTR>(m_context)))
        return Fail(GetLastError());
    HRESULT hr = Await(RequestContext::kSent, m_options.connectTimeoutMs + m_options.sendTimeoutMs);
    if (FAILED(hr))
        return hr;

    if (Cancelled())
        return IPP_E_CANCELLED;
    m_context->Arm();
    if (!WinHttpReceiveResponse(m_request, NULL))
        return Fail(GetLastError());
    hr = Await(RequestContext::kHeaders, m_options.receiveTimeoutMs);
    if (FAILED(hr))
        return hr;

    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!WinHttpQueryHeaders(m_request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &length,
                             WINHTTP_NO_HEADER_INDEX))
        return Fail(GetLastError());
    m_details.httpStatus = status;
    return S_OK;
}

// HTTP 401: asks the credential hook once and sets what it gives.
HRESULT HttpExchange::Answer401(const Endpoint& endpoint, bool& retry)
{
    retry = false;
    if (m_details.credentialsSent || m_options.credentials == NULL)
        return S_OK;
    DWORD supported = 0, first = 0, target = 0;
    if (!WinHttpQueryAuthSchemes(m_request, &supported, &first, &target))
        return S_OK;
    DWORD scheme = 0;
    const DWORD preferred[] = { WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM,
                                WINHTTP_AUTH_SCHEME_DIGEST, WINHTTP_AUTH_SCHEME_BASIC };
    if ((supported & first) != 0)
        scheme = first;
    for (size_t i = 0; scheme == 0 && i < sizeof(preferred) / sizeof(preferred[0]); ++i) {
        if ((supported & preferred[i]) != 0)
            scheme = preferred[i];
    }
    if (scheme == 0)
        return S_OK;
    std::string user, password;
    if (!m_options.credentials(endpoint, user, password, m_options.credentialsContext)) {
        WipeString(password);
        return S_OK;
    }
    std::wstring wideUser = Widen(user, CP_UTF8);
    std::wstring widePassword = Widen(password, CP_UTF8);
    WipeString(password);
    BOOL set = WinHttpSetCredentials(m_request, target, scheme, wideUser.c_str(),
                                     widePassword.c_str(), NULL);
    WipeString(widePassword);
    if (!set)
        return Fail(GetLastError());
    m_details.credentialsSent = true;
    retry = true;
    return S_OK;
}

// Reads the body into `response`; IPP_E_TOOLARGE past `limit` octets.
HRESULT HttpExchange::ReadBody(std::string& response, size_t limit)
{
    DWORD declared = 0;
    DWORD length = sizeof(declared);
    if (WinHttpQueryHeaders(m_request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &declared, &length,
                            WINHTTP_NO_HEADER_INDEX) &&
        declared > limit)
        return IPP_E_TOOLARGE;
    for (;;) {
        if (Cancelled())
            return IPP_E_CANCELLED;
        m_context->Arm();
        if (!WinHttpReadData(m_request, m_context->buffer, sizeof(m_context->buffer), NULL))
            return Fail(GetLastError());
        HRESULT hr = Await(RequestContext::kRead, m_options.receiveTimeoutMs);
        if (FAILED(hr))
            return hr;
        DWORD bytes = m_context->LastBytes();
        if (bytes == 0)
            return S_OK;
        if (bytes > sizeof(m_context->buffer))
            return Fail(ERROR_WINHTTP_INTERNAL_ERROR);
        if (response.size() + bytes > limit)
            return IPP_E_TOOLARGE;
        response.append(m_context->buffer, bytes);
    }
}

HRESULT HttpExchange::Run(const Endpoint& endpoint, const std::string& body,
                          std::string& response)
{
    HRESULT hr = Open(endpoint, body);
    if (FAILED(hr))
        return hr;
    for (;;) {
        hr = SendAndReceiveHeaders();
        if (FAILED(hr))
            return hr;
        if (m_details.httpStatus != HTTP_STATUS_DENIED)
            break;
        bool retry = false;
        hr = Answer401(endpoint, retry);
        if (FAILED(hr))
            return hr;
        if (!retry)
            return IPP_E_AUTH;
        // The refusal's body is read before the request goes again, so the
        // next send starts on a connection with nothing left unread, or on a
        // new one when the server closed this one. A failed read (a server
        // that reset the connection) is no reason to stop: the next send
        // then takes a new connection. Only a cancellation ends it here.
        std::string refusal;
        if (ReadBody(refusal, kMaxRefusalBytes) == IPP_E_CANCELLED)
            return IPP_E_CANCELLED;
    }
    if (m_details.httpStatus != HTTP_STATUS_OK)
        return IPP_E_HTTP;

    wchar_t type[256];
    DWORD typeLength = sizeof(type);
    if (!WinHttpQueryHeaders(m_request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX,
                             type, &typeLength, WINHTTP_NO_HEADER_INDEX))
        return IPP_E_BADRESPONSE;
    m_details.contentType = Narrow(type, typeLength / sizeof(wchar_t), CP_UTF8);
    const size_t prefix = sizeof(kContentType) - 1;
    if (!StartsWithNoCase(m_details.contentType, kContentType, prefix) ||
        (m_details.contentType.size() > prefix && m_details.contentType[prefix] != ';' &&
         m_details.contentType[prefix] != ' '))
        return IPP_E_BADRESPONSE;

    hr = ReadBody(response, m_options.maxResponseBytes);
    if (FAILED(hr))
        response.clear();
    return hr;
}

bool ValidUriCharacters(const std::string& uri)
{
    for (size_t i = 0; i < uri.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(uri[i]);
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

HRESULT ParseUri(const std::string& uri, Endpoint& out)
{
    out = Endpoint();
    if (!ValidUriCharacters(uri))
        return IPP_E_BADURI;
    size_t schemeEnd = uri.find("://");
    if (schemeEnd == std::string::npos)
        return IPP_E_BADURI;
    std::string scheme;
    for (size_t i = 0; i < schemeEnd; ++i)
        scheme += LowerAscii(uri[i]);
    unsigned defaultPort;
    if (scheme == "ipp") {
        defaultPort = 631;
    } else if (scheme == "ipps") {
        out.secure = true;
        defaultPort = 631;
    } else if (scheme == "http") {
        defaultPort = 80;
    } else if (scheme == "https") {
        out.secure = true;
        defaultPort = 443;
    } else {
        return IPP_E_BADURI;
    }

    size_t authorityStart = schemeEnd + 3;
    size_t authorityEnd = uri.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = uri.size();
    std::string authority = uri.substr(authorityStart, authorityEnd - authorityStart);
    if (authority.find('@') != std::string::npos)
        return IPP_E_BADURI;
    std::string portText;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos)
            return IPP_E_BADURI;
        out.host = authority.substr(1, close - 1);
        std::string rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':')
                return IPP_E_BADURI;
            portText = rest.substr(1);
        }
    } else {
        size_t colon = authority.find(':');
        out.host = authority.substr(0, colon);
        if (colon != std::string::npos)
            portText = authority.substr(colon + 1);
    }
    if (out.host.empty())
        return IPP_E_BADURI;
    unsigned port = defaultPort;
    if (!portText.empty()) {
        if (portText.size() > 5)
            return IPP_E_BADURI;
        port = 0;
        for (size_t i = 0; i < portText.size(); ++i) {
            if (portText[i] < '0' || portText[i] > '9')
                return IPP_E_BADURI;
            port = port * 10 + static_cast<unsigned>(portText[i] - '0');
        }
        if (port < 1 || port > 65535)
            return IPP_E_BADURI;
    }
    out.port = static_cast<unsigned short>(port);

    size_t fragment = uri.find('#', authorityEnd);
    std::string path = uri.substr(authorityEnd, (fragment == std::string::npos ? uri.size()
                                                                               : fragment) -
                                                    authorityEnd);
    if (path.empty() || path[0] != '/')
        path = "/" + path;
    out.path = path;
    return S_OK;
}

std::string PrinterUri(const Endpoint& endpoint)
{
    std::string uri = endpoint.secure ? "ipps://" : "ipp://";
    if (endpoint.host.find(':') != std::string::npos)
        uri += "[" + endpoint.host + "]";
    else
        uri += endpoint.host;
    uri += ":" + std::to_string(endpoint.port);
    uri += endpoint.path;
    return uri;
}

CancelToken::CancelToken() : m_event(CreateEventA(NULL, TRUE, FALSE, NULL)) {}

CancelToken::~CancelToken()
{
    if (m_event != NULL)
        CloseHandle(m_event);
}

void CancelToken::Cancel()
{
    SetEvent(m_event);
}

void CancelToken::Reset()
{
    ResetEvent(m_event);
}

bool CancelToken::IsCancelled() const
{
    return WaitForSingleObject(m_event, 0) == WAIT_OBJECT_0;
}

bool StoredCredentials(const Endpoint& endpoint, std::string& user, std::string& password, void*)
{
    const std::string targets[2] = {
        "DeviceIpp:" + endpoint.host + ":" + std::to_string(endpoint.port),
        "DeviceIpp:" + endpoint.host
    };
    for (size_t i = 0; i < 2; ++i) {
        PCREDENTIALA credential = NULL;
        if (!CredReadA(targets[i].c_str(), CRED_TYPE_GENERIC, 0, &credential))
            continue;
        if (credential->UserName != NULL) {
            std::wstring wide = Widen(credential->UserName, CP_ACP);
            user = Narrow(wide.c_str(), wide.size(), CP_UTF8);
        }
        const BYTE* blob = credential->CredentialBlob;
        DWORD size = credential->CredentialBlobSize;
        if (blob != NULL && size >= sizeof(wchar_t) && size % sizeof(wchar_t) == 0) {
            std::wstring wide(reinterpret_cast<const wchar_t*>(blob), size / sizeof(wchar_t));
            while (!wide.empty() && wide[wide.size() - 1] == L'\0')
                wide.erase(wide.size() - 1);
            password = Narrow(wide.c_str(), wide.size(), CP_UTF8);
            WipeString(wide);
        }
        CredFree(credential);
        return true;
    }
    return false;
}

HRESULT PostIpp(const Endpoint& endpoint, const std::string& body, const HttpOptions& options,
                std::string& response, HttpDetails* details)
{
    response.clear();
    HttpDetails local;
    HttpDetails& used = details != NULL ? *details : local;
    used = HttpDetails();
    if (options.cancel != NULL && options.cancel->IsCancelled())
        return IPP_E_CANCELLED;
    if (endpoint.host.empty() || endpoint.port == 0 || endpoint.path.empty())
        return IPP_E_BADURI;
    if (body.size() > 0x7FFFFFFF)
        return IPP_E_BADREQUEST;
    HttpExchange exchange(options, used);
    return exchange.Run(endpoint, body, response);
}

long PendingRequests()
{
    return InterlockedCompareExchange(&g_pendingRequests, 0, 0);
}

bool WaitForPendingRequests(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (PendingRequests() == 0)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

} // namespace ipp
