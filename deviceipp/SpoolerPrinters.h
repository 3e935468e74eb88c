// SpoolerPrinters.h - the Windows spooler's printers whose port is an IPP or
// HTTP URL (a printer added by its URL gets such a port name).
#ifndef DEVICEIPP_SPOOLERPRINTERS_H
#define DEVICEIPP_SPOOLERPRINTERS_H

#include <string>
#include <vector>

struct SpoolerPrinter
{
    std::string name;   // the spooler's printer name (UTF-8)
    std::string uri;    // the port's URL
};

// The local printers and printer connections (EnumPrinters, level 2) with an
// ipp://, ipps://, http:// or https:// port. May block while the spooler asks
// print servers: call it from a worker.
std::vector<SpoolerPrinter> SpoolerIppPrinters();

#endif // DEVICEIPP_SPOOLERPRINTERS_H
