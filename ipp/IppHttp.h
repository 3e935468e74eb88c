// IppHttp.h - IPP over HTTP through WinHTTP: one POST of an encoded request
// with Content-Type application/ipp, its answer read up to a cap, with
// timeouts, cancellation from another thread, certificate checks and a hook
// for credentials.
//
// Every function here blocks the calling thread until the answer, a failure,
// a timeout or a cancellation, and is safe to call from several threads at
// once. Nothing calls back into the caller except the credential hook, on the
// calling thread.
#ifndef IPP_IPPHTTP_H
#define IPP_IPPHTTP_H

#include <windows.h>

#include <string>

namespace ipp {

// Where a printer URI points. ipp:// is http on port 631 unless a port is
// given, ipps:// is https on port 631; http:// and https:// default to 80 and
// 443. The path is at least "/".
struct Endpoint
{
    bool secure;
    std::string host;     // a name, an IPv4 address or an IPv6 address without brackets
    unsigned short port;
    std::string path;     // with the query, if any; never the fragment

    Endpoint() : secure(false), port(0) {}
};

// Splits an ipp, ipps, http or https URI (scheme case-insensitive; user info
// refused). IPP_E_BADURI for anything else: another scheme, no host, a port
// outside 1..65535, characters below 0x21 or above 0x7E.
HRESULT ParseUri(const std::string& uri, Endpoint& out);

// The URI to name the printer inside a request (printer-uri): ipp:// or
// ipps:// with the host, the port and the path, e.g. "ipp://host:631/printers/a".
std::string PrinterUri(const Endpoint& endpoint);

// A switch that cancels requests from another thread. Every request given the
// token ends with IPP_E_CANCELLED soon after Cancel() (its handles closed, no
// further wait), and requests started after Cancel() fail at once, until
// Reset(). One token may serve any number of requests and threads.
class CancelToken
{
public:
    CancelToken();
    ~CancelToken();

    void Cancel();
    void Reset();
    bool IsCancelled() const;
    // The manual-reset event that Cancel() sets (for waits of the caller's own).
    HANDLE Event() const { return m_event; }

private:
    CancelToken(const CancelToken&);
    CancelToken& operator=(const CancelToken&);

    HANDLE m_event;
};

// Called when a printer answers HTTP 401: fills the user name and password
// (UTF-8) and returns true to send the request once more with them, or returns
// false to give up (IPP_E_AUTH). Called on the requesting thread.
typedef bool (*CredentialSource)(const Endpoint& endpoint, std::string& user,
                                 std::string& password, void* context);

// The default source: the Windows credential store (CredReadA), a generic
// credential whose target name is "DeviceIpp:<host>:<port>", else
// "DeviceIpp:<host>"; its user name and its password (the credential blob,
// UTF-16 as cmdkey and CredWrite callers store it). False when there is none.
bool StoredCredentials(const Endpoint& endpoint, std::string& user, std::string& password,
                       void* context);

struct HttpOptions
{
    DWORD connectTimeoutMs;   // name resolution and connection (default 3,000)
    DWORD sendTimeoutMs;      // sending the request (default 5,000)
    DWORD receiveTimeoutMs;   // each wait for answer octets (default 5,000)
    DWORD totalTimeoutMs;     // the whole exchange, retries included (default 20,000)
    bool acceptSelfSigned;    // https: accept a certificate of an unknown issuer,
                              // for another name or out of date (default false:
                              // the system checks it)
    size_t maxResponseBytes;  // a longer answer is refused (default 2 MiB)
    CancelToken* cancel;      // null: the request cannot be cancelled
    CredentialSource credentials;  // default StoredCredentials; null: none
    void* credentialsContext;

    HttpOptions()
        : connectTimeoutMs(3000), sendTimeoutMs(5000), receiveTimeoutMs(5000),
          totalTimeoutMs(20000), acceptSelfSigned(false), maxResponseBytes(2u * 1024u * 1024u),
          cancel(NULL), credentials(StoredCredentials), credentialsContext(NULL)
    {
    }
};

// What happened on the wire, for journals and diagnostics.
struct HttpDetails
{
    DWORD httpStatus;       // 0 when no answer arrived
    DWORD systemError;      // the WinHTTP or system error behind a failure, else 0
    bool credentialsSent;   // a 401 was answered with credentials from the hook
    std::string contentType;

    HttpDetails() : httpStatus(0), systemError(0), credentialsSent(false) {}
};

// POSTs `body` to the endpoint and returns the answer's body in `response`.
// S_OK only for HTTP 200 with Content-Type application/ipp. Failures:
//   IPP_E_HOSTNOTFOUND  the name does not resolve
//   IPP_E_CONNECT       the connection is refused or cannot be made
//   IPP_E_TIMEOUT       a timeout of `options` ran out
//   IPP_E_CANCELLED     the cancel token was set
//   IPP_E_SECURE        https: the certificate was refused or TLS failed
//   IPP_E_AUTH          HTTP 401 (no credentials, or they were refused)
//   IPP_E_HTTP          another HTTP status than 200 (details->httpStatus)
//   IPP_E_TOOLARGE      the answer is longer than maxResponseBytes
//   IPP_E_BADRESPONSE   the answer is not application/ipp
//   IPP_E_NETWORK       the connection broke off, or another WinHTTP failure
//   E_OUTOFMEMORY       no memory for the request
HRESULT PostIpp(const Endpoint& endpoint, const std::string& body, const HttpOptions& options,
                std::string& response, HttpDetails* details = NULL);

// Requests whose WinHTTP handles have not yet been torn down by WinHTTP
// (after a cancellation or a timeout this outlives PostIpp by a moment: the
// handle's last callback still has to arrive). A DLL that uses PostIpp must
// not unload while this is above zero: WinHTTP would call into unloaded code.
long PendingRequests();

// Waits until PendingRequests() is zero, at most `timeoutMs`; true when it is.
bool WaitForPendingRequests(DWORD timeoutMs);

} // namespace ipp

#endif // IPP_IPPHTTP_H
