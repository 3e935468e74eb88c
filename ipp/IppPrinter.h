// IppPrinter.h - what printers' answers mean: printer status, supplies, job
// defaults and jobs parsed from attribute groups, and the attributes that
// write job defaults.
//
// Portable C++17 like IppMessage.h (the fuzzer runs these parsers on every
// answer it decodes).
#ifndef IPP_IPPPRINTER_H
#define IPP_IPPPRINTER_H

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "ipp/IppMessage.h"

namespace ipp {

// Bits of CUPS's printer-type attribute.
enum CupsPrinterType
{
    kCupsTypeClass = 0x0001,
    kCupsTypeRemote = 0x0002,
    kCupsTypeBlackAndWhite = 0x0004,
    kCupsTypeColor = 0x0008,
    kCupsTypeDuplex = 0x0010,
    kCupsTypeFax = 0x00040000,
    kCupsTypeRejecting = 0x00080000,
    kCupsTypeScanner = 0x02000000,
    kCupsTypeMultifunction = 0x04000000
};

// A queue of a CUPS server, from CUPS-Get-Printers.
struct CupsPrinter
{
    std::string name;                  // printer-name
    std::string uri;                   // where to send requests for it: the server's
                                       // address as asked, then /printers/NAME or
                                       // /classes/NAME (set by Client::GetPrinters)
    std::string uriSupported;          // printer-uri-supported as the server reports it
    std::string deviceUri;             // device-uri
    std::string location;              // printer-location
    std::string info;                  // printer-info
    std::string makeAndModel;          // printer-make-and-model
    std::string stateMessage;          // printer-state-message
    int32_t state;                     // printer-state, 0 if not reported
    std::vector<std::string> reasons;  // printer-state-reasons
    bool accepting;                    // printer-is-accepting-jobs (true if not reported)
    uint32_t type;                     // printer-type bits (CupsPrinterType), 0 if not reported
    std::optional<bool> colorSupported;  // color-supported

    CupsPrinter() : state(0), accepting(true), type(0) {}
    bool IsColor() const;    // the colour bit, else color-supported
    bool IsFax() const { return (type & kCupsTypeFax) != 0; }
    bool IsScanner() const { return (type & (kCupsTypeScanner | kCupsTypeMultifunction)) != 0; }
};

// One marker (toner, ink, ...) from marker-names, marker-types,
// marker-colors, marker-levels, marker-low-levels and marker-high-levels, by
// position. Levels are percent 0..100; -1 the printer gives none, -2
// unknown, -3 some remains (the printer's own values), and -2 also when the
// printer lists fewer levels than names.
struct Marker
{
    std::string name;
    std::string type;
    std::string color;
    int32_t level;
    int32_t lowLevel;
    int32_t highLevel;

    Marker() : level(-2), lowLevel(-2), highLevel(-2) {}
};

// One entry of printer-supply ("type=toner;maxcapacity=100;level=12;..."),
// described by the same position of printer-supply-description. Numbers the
// entry lacks are -2.
struct Supply
{
    std::string description;
    std::string type;
    std::string colorant;
    std::string unit;
    int32_t level;
    int32_t maxCapacity;

    Supply() : level(-2), maxCapacity(-2) {}
};

// A printer's job defaults. An empty member is one the printer did not
// report; when writing, only the members that hold a value are sent.
struct JobDefaults
{
    std::optional<std::string> sides;               // sides-default (keyword)
    std::optional<std::string> documentHandling;    // multiple-document-handling-default
    std::optional<std::string> outputOrder;         // outputorder-default (name: normal, reverse)
    std::optional<std::string> pageDelivery;        // page-delivery-default (keyword)
    std::optional<std::string> printScaling;        // print-scaling-default (keyword)
    std::optional<std::vector<std::string> > jobSheets;  // job-sheets-default (1setOf name)
    std::optional<bool> mirror;                     // mirror-default (boolean)
    std::optional<int32_t> copies;                  // copies-default (integer)
    std::optional<int32_t> printQuality;            // print-quality-default (enum: 3 draft,
                                                    // 4 normal, 5 high)
    std::optional<std::string> colorMode;           // print-color-mode-default (keyword)
};

// What Get-Printer-Attributes tells about one printer. Strings the printer did
// not report are empty, numbers and flags it did not report are empty
// optionals. Out-of-band values (no-value, unknown) count as not reported.
struct PrinterStatus
{
    std::string name;                  // printer-name
    int32_t state;                     // printer-state: 3 idle, 4 processing, 5 stopped; 0 none
    std::string stateMessage;          // printer-state-message
    std::vector<std::string> reasons;  // printer-state-reasons ("none" included as sent)
    std::optional<bool> accepting;     // printer-is-accepting-jobs
    std::string location;              // printer-location
    std::string info;                  // printer-info
    std::string makeAndModel;          // printer-make-and-model
    std::string deviceId;              // printer-device-id (IEEE 1284 device id)
    std::string deviceUri;             // device-uri (CUPS)
    std::string uuid;                  // printer-uuid
    std::string serialNumber;          // printer-serial-number, else the SN, SERN or
                                       // SERIALNUMBER field of printer-device-id
    std::string firmware;              // printer-firmware-string-version (first value)
    std::vector<Marker> markers;
    std::vector<Supply> supplies;
    std::optional<int32_t> impressionsCompleted;  // printer-impressions-completed
    std::optional<int32_t> sheetsCompleted;       // printer-media-sheets-completed
    std::optional<int32_t> pagesCompleted;        // printer-pages-completed
    std::optional<int32_t> queuedJobCount;        // queued-job-count
    std::optional<bool> colorSupported;           // color-supported
    std::optional<int32_t> printerType;           // printer-type (CUPS bits)
    std::optional<int32_t> copiesMax;             // upper bound of copies-supported
    JobDefaults defaults;

    PrinterStatus() : state(0) {}
};

// One job from Get-Jobs.
struct JobInfo
{
    int32_t id;                        // job-id
    std::string name;                  // job-name
    std::string user;                  // job-originating-user-name
    int32_t state;                     // job-state: 3 pending .. 9 completed; 0 none
    std::vector<std::string> reasons;  // job-state-reasons
    std::optional<int32_t> impressionsCompleted;  // job-impressions-completed
    std::optional<int32_t> createdAt;  // time-at-creation (printer up-time seconds or epoch)

    JobInfo() : id(0), state(0) {}
};

// The printer group attributes that write `defaults` (only members that hold
// a value), typed as printers expect them.
std::vector<Attribute> JobDefaultAttributes(const JobDefaults& defaults);

// The value of one field of an IEEE 1284 device id ("MFG:Acme;SN:123;"),
// the key compared without regard to case; "" when absent.
std::string DeviceIdField(const std::string& deviceId, const std::string& key);

// The attributes Client::GetPrinterStatus asks for when given no list, and
// those Client::GetJobs asks for.
const std::vector<std::string>& StatusAttributes();
const std::vector<std::string>& JobAttributes();

// Parse one printer group (Get-Printer-Attributes, CUPS-Get-Printers), one
// job group. ParseCupsPrinter leaves `uri` empty.
void ParsePrinterStatus(const Group& printer, PrinterStatus& out);
void ParseCupsPrinter(const Group& printer, CupsPrinter& out);
void ParseJob(const Group& job, JobInfo& out);

} // namespace ipp

#endif // IPP_IPPPRINTER_H
