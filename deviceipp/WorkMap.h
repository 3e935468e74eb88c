// WorkMap.h - what each button of the program does on an IPP printer.
//
// The pages ask for their work by number: report numbers (GetReport),
// maintenance action kinds (GetAction), the two device tasks, the procedure
// families A, B and C, the option procedure with its two check boxes, and
// commands. Each is mapped here, by what its label promises, to a document
// the service makes (docgen) and prints with Print-Job, to a CUPS command
// file, or to an IPP operation; what has no counterpart is WORK_NONE and is
// refused with DEVIPP_E_NOTAVAILABLE before anything is handed out.
// README.md has the table.
//
// CanDo says from a printer's last answer (the monitor's cache, no request)
// whether the printer can do a piece of work now. Plain data, any thread.
#ifndef DEVICEIPP_WORKMAP_H
#define DEVICEIPP_WORKMAP_H

#include <windows.h>

#include <string>

#include "deviceipp/PrinterModel.h"
#include "docgen/Docgen.h"

enum WorkKind
{
    WORK_NONE,            // no counterpart on IPP printers
    WORK_DOCUMENT,        // a document of ours, printed with Print-Job
    WORK_COMMAND,         // a CUPS command file (application/vnd.cups-command)
    WORK_CLEAR_HISTORY,   // Purge-Jobs: the printer's job history
    WORK_RESTART          // Restart-Printer, else Cancel-Jobs then Resume-Printer
};

struct Work
{
    WorkKind kind;
    std::string what;                // what it is, for the journal ("Error log")
    docgen::DocumentKind document;   // WORK_DOCUMENT
    std::string command;             // WORK_COMMAND: the command line ("Clean black")
    std::string commandKeyword;      // WORK_COMMAND: its printer-commands keyword ("Clean")
    bool needsJobs;                  // WORK_DOCUMENT: the printer's finished jobs (Get-Jobs)
    bool allAttributes;              // WORK_DOCUMENT: every printer attribute (configuration)
    bool memoryList;                 // WORK_DOCUMENT: the memory locations (report 2)

    Work()
        : kind(WORK_NONE), document(docgen::kStatusReport), needsJobs(false),
          allAttributes(false), memoryList(false)
    {
    }
};

// The report numbers of the Reports page (1 to 9, 11), the Maintenance page
// (10) and the memory page (2).
Work ReportWork(long number);
// Maintenance actions 1 and 2.
Work ActionWork(long kind);
// The device tasks: the first (self-test) and the second (restart).
Work TaskWork(bool first);
// Procedures of the families 'A', 'B' and 'C'.
Work ProcedureWork(char family, long number);
// The option procedure: `number` 4 is the head cleaning; `flags` bit 0 the
// first check box (black), bit 1 the second (colour). Flags 0 is WORK_NONE.
Work OptionProcedureWork(long number, long flags);
bool IsOptionProcedure(long number);
// Commands.
Work CommandWork(long number);

// The command file of a WORK_COMMAND: "#CUPS-COMMAND" and the command.
std::string CommandFile(const Work& work);
// The job name of a WORK_COMMAND: "Device Service: Clean black".
std::string CommandJobName(const Work& work);

// Whether `printer` can do `work` now, from its last answer:
//   S_OK
//   DEVIPP_E_NOTREACHABLE   it does not answer now (an authentication
//                           failure: IPP_E_AUTH or IPP_E_NOTAUTHORIZED)
//   DEVIPP_E_NOTACCEPTING   a job (document or command file) for a printer
//                           that is stopped or does not accept jobs
//   DEVIPP_E_UNSUPPORTED    it takes none of our formats (or not command
//                           files, or not this command), it lists no
//                           two-sided printing for the duplex test, or it
//                           offers none of the operations the work needs
//   DEVIPP_E_JOBSWAITING    clearing the history while jobs wait
//   DEVIPP_E_NOTAVAILABLE   WORK_NONE
// `choice` (optional) receives the format a document goes in.
HRESULT CanDo(const Work& work, const PrinterView& printer, docgen::FormatChoice* choice);

// Whether the printer lists `format` in document-format-supported (without
// regard to case, blanks, quotes or parameters).
bool ListsFormat(const PrinterFacts& facts, const std::string& format);
// Whether it lists the operation in operations-supported; a printer that
// reports no list is taken to offer it.
bool OffersOperation(const PrinterFacts& facts, int operation);

#endif // DEVICEIPP_WORKMAP_H
