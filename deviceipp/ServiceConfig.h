// ServiceConfig.h - the IPP device service's configuration: which printers
// it serves besides the CUPS server's queues, which CUPS server it asks, and
// its request timeout.
//
// The file is DEVICEIPP_CONFIG, else DeviceIpp.ini beside the DLL; one
// statement a line, blank lines and lines starting with # ignored, a value
// with blanks in double quotes:
//
//     printer ipp://printer.example/ipp/print name="Front desk"
//     printer ipps://10.1.2.3/ipp/print name="Lab" certificate=self-signed
//     cups print-server.example:631        (or: cups off)
//     timeout 3000
//
// A line that breaks a rule is skipped and reported (journal and debugger
// output); the rest applies. Credentials are never read from this file:
// they come from the Windows credential store (see ipp/README.md).
#ifndef DEVICEIPP_SERVICECONFIG_H
#define DEVICEIPP_SERVICECONFIG_H

#include <windows.h>

#include <string>
#include <vector>

struct ConfiguredPrinter
{
    std::string uri;            // as written (ipp, ipps, http or https)
    std::string name;           // display name (UTF-8), "" for none
    bool acceptSelfSigned;      // certificate=self-signed
    int line;

    ConfiguredPrinter() : acceptSelfSigned(false), line(0) {}
};

struct ServiceConfig
{
    std::string path;                       // the file read, "" when none
    std::vector<ConfiguredPrinter> printers;
    std::string cupsServer;                 // "host:port" of a cups line, "" for none
    bool cupsOff;                           // "cups off"
    DWORD timeoutMs;                        // each connect, send and receive wait
    std::vector<std::string> problems;      // "line 3: ...; skipped"

    ServiceConfig() : cupsOff(false), timeoutMs(kDefaultTimeoutMs) {}

    static const DWORD kDefaultTimeoutMs = 3000;
    static const DWORD kMinTimeoutMs = 200;
    static const DWORD kMaxTimeoutMs = 30000;
};

// Parses the text of a configuration file (ANSI, or UTF-8 after a byte order
// mark) into `out`; broken lines go to out.problems.
void ParseServiceConfig(const std::string& text, ServiceConfig& out);

// Reads the configuration (DEVICEIPP_CONFIG, else DeviceIpp.ini beside the
// DLL) and reports its broken lines. A missing file is an empty configuration.
ServiceConfig ReadServiceConfig();

// The CUPS server to ask: CUPS_SERVER ("host", "host:port", "[v6]:port",
// CUPS's "/version=..." suffix ignored), else the configuration's cups line,
// else localhost:631. A CUPS_SERVER that names a local socket or cannot be
// read is reported in `note` and the next rule applies. `uri` is
// "ipp://host:port/"; `enabled` is false for "cups off".
struct CupsChoice
{
    bool enabled;
    std::string uri;
    std::string origin;     // "CUPS_SERVER", "configuration", "default"
    std::string note;

    CupsChoice() : enabled(false) {}
};
CupsChoice ChooseCupsServer(const ServiceConfig& config, const std::string& cupsServerVariable);

#endif // DEVICEIPP_SERVICECONFIG_H
