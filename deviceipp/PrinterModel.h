// PrinterModel.h - what the IPP device service knows of one printer, and the
// texts, types and ids the device service contract shows of it.
//
// PrinterFacts is what one answer of the printer said (Get-Printer-Attributes,
// or its group in a CUPS server's CUPS-Get-Printers); PrinterView is a
// printer as the cache holds it: who it is, its last answer and how its last
// request went. The functions below turn a view into the Devices page's row,
// details and the device text. Everything here is plain data: the cache
// (PrinterMonitor) hands out copies, so none of it is shared between threads.
#ifndef DEVICEIPP_PRINTERMODEL_H
#define DEVICEIPP_PRINTERMODEL_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "docgen/DocFormat.h"
#include "ipp/IppMessage.h"
#include "ipp/IppPrinter.h"

// The values a printer says it supports for the settings the service writes.
// An empty optional is an attribute the printer did not report.
struct SupportedValues
{
    std::optional<std::vector<std::string> > sides;
    std::optional<std::vector<std::string> > documentHandling;
    std::optional<std::vector<std::string> > pageDelivery;
    std::optional<std::vector<std::string> > printScaling;
    std::optional<std::vector<std::string> > jobSheets;
    std::optional<std::vector<int32_t> > printQuality;
    std::optional<std::vector<std::string> > colorModes;
    std::vector<std::string> features;     // ipp-features-supported
};

struct PrinterFacts
{
    ipp::PrinterStatus status;
    SupportedValues supported;
    bool isCups;        // the printer reports printer-type: a CUPS queue
    // What the work of the pages needs: the formats it takes (and how it
    // takes PWG raster), the operations it offers, what its command files
    // may say (CUPS's printer-commands; empty optional: not reported), its
    // up-time (none when the printer reports a time of day there, as CUPS does).
    docgen::PrinterFormats formats;
    std::vector<int32_t> operations;
    std::optional<std::vector<std::string> > commands;
    std::optional<int32_t> upTime;

    PrinterFacts() : isCups(false) {}
};

// The attributes the service asks every printer for (Get-Printer-Attributes
// and CUPS-Get-Printers alike): ipp::StatusAttributes(), the *-supported
// attributes of the settings it writes, docgen::FormatAttributes(),
// operations-supported, printer-commands and printer-up-time.
const std::vector<std::string>& RequestedAttributes();

// Parses one printer group into facts.
void ParsePrinterFacts(const ipp::Group& printer, PrinterFacts& out);

enum PrinterSource
{
    SOURCE_CUPS,        // a queue of the CUPS server
    SOURCE_CONFIG,      // a printer of the configuration file
    SOURCE_SPOOLER      // a printer of the Windows spooler whose port is an IPP or HTTP URL
};

struct PrinterView
{
    // Who it is (fixed for the session).
    long id;
    std::string uri;            // ipp:// or ipps:// form: the settings device name
    std::string name;           // unique among the rows (UTF-8)
    PrinterSource source;
    bool acceptSelfSigned;

    // How it answers.
    bool answered;              // facts hold an answer (maybe an old one)
    PrinterFacts facts;
    HRESULT lastResult;         // of the last request: S_OK, a failure, or S_FALSE before the first
    bool gone;                  // a CUPS queue its server no longer lists
    DWORD firstAttemptTick;     // when the first request began (0: not yet)
    DWORD lastAnswerTick;       // when the last answer came (0: never)

    PrinterView()
        : id(0), source(SOURCE_CONFIG), acceptSelfSigned(false), answered(false),
          lastResult(S_FALSE), gone(false), firstAttemptTick(0), lastAnswerTick(0)
    {
    }

    // The printer answers now: its last request succeeded.
    bool Reachable() const { return answered && lastResult == S_OK && !gone; }
};

// What a call that needs a printer which does not answer now fails with: the
// authentication failure when the printer asked for credentials, else
// DEVIPP_E_NOTREACHABLE.
HRESULT NotReachableResult(const PrinterView& printer);

// How long a printer may take with its first answer before it counts as not
// reachable (until then it shows "Connecting").
const DWORD kFirstAnswerGraceMs = 400;

// Column 2: the state in words, from printer-state, printer-state-reasons,
// printer-is-accepting-jobs and whether the printer answers.
std::string StateWord(const PrinterView& printer, DWORD now);
// Column 1: the connection, host[:port] and the queue or path
// ("print-server:8631/office", "10.1.2.3/ipp/print"); the port is left out
// when it is 631 (ipp) or 443 (https); " (TLS)" for ipps and https.
std::string ConnectionText(const std::string& uri);
// Device type 0 to 5 (README.md has the rule).
long DeviceType(const PrinterView& printer);
// Details: serial number, firmware, page count, location. DetailNumber fails
// (false) when the printer reports no counter.
std::string SerialText(const PrinterView& printer);
std::string FirmwareText(const PrinterView& printer);
bool PageCount(const PrinterView& printer, long& count);
// The device text: state and its message, reasons in words, supplies with
// their levels, waiting jobs; lines end in CR LF.
std::string DeviceText(const PrinterView& printer, DWORD now);
// A printer-state-reasons keyword in words ("media-jam-error" -> "paper jam").
std::string ReasonText(const std::string& keyword);
// Why a request got no answer, in words ("no answer (timed out)").
std::string FailureText(HRESULT hr);

// The stable id of a printer: a hash of its URI in 100000..2099999999 (never a
// position 1..Count of a list of fewer than 100000 printers). `taken` says
// whether an id is used already; the next free number is taken then.
template <class Taken>
long PrinterId(const std::string& uri, Taken taken)
{
    unsigned long hash = 2166136261UL;
    for (size_t i = 0; i < uri.size(); ++i) {
        hash ^= static_cast<unsigned char>(uri[i]);
        hash = (hash * 16777619UL) & 0xFFFFFFFFUL;
    }
    long id = 100000L + static_cast<long>(hash % 2000000000UL);
    while (taken(id))
        id = id >= 2099999999L ? 100000L : id + 1;
    return id;
}

#endif // DEVICEIPP_PRINTERMODEL_H
