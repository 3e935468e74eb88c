// MemoryMap.h - the memory locations of an IPP printer: a read-only view of
// the numbers it reports, at fixed locations within 0 to 320.
//
//   0        printer-state (3 idle, 4 printing, 5 stopped)
//   1        printer-is-accepting-jobs (1 yes, 0 no)
//   2        queued-job-count: jobs waiting
//   3        finished jobs the printer lists (Get-Jobs which-jobs=completed)
//   4        impressions of those jobs (their job-impressions-completed)
//   5        printer-impressions-completed
//   6        printer-media-sheets-completed
//   7        printer-pages-completed
//   8        printer-up-time in seconds (not on CUPS queues: CUPS reports the
//            time of day there, which is no up-time)
//   9        state reasons other than "none"
//   10       supplies (markers, else printer-supply entries)
//   100..163 level of supply 1..64 in percent (-1 not measured, -2 unknown,
//            -3 some remaining, as the printer says)
//
// A location exists on a printer when it is in the table and the printer
// reports that number (a CUPS queue keeps no page counters, a printer with
// two supplies has no location 102). Defaults are those of a printer fresh
// from the factory: idle, accepting, no jobs, no counts, full supplies.
// README.md has the table.
#ifndef DEVICEIPP_MEMORYMAP_H
#define DEVICEIPP_MEMORYMAP_H

#include <stdint.h>

#include <vector>

#include "deviceipp/PrinterModel.h"
#include "docgen/Docgen.h"

// What the memory locations read: a printer's answer and, for locations 3
// and 4, its finished jobs.
struct PrinterNumbers
{
    PrinterFacts facts;
    bool jobsKnown;             // the jobs were asked for
    int32_t finishedJobs;
    int64_t jobImpressions;

    PrinterNumbers() : jobsKnown(false), finishedJobs(0), jobImpressions(0) {}
};

const long kLowestLocation = 0;
const long kHighestLocation = 320;

// In the table at all (whatever the printer reports).
bool IsMapped(long location);
// Locations 3 and 4 need the printer's jobs.
bool NeedsJobs(long location);
// In the table and reported by this printer (`facts`); jobs are always
// there to be asked for.
bool LocationExists(long location, const PrinterFacts& facts);
// The value; false when the location does not exist or the number is not
// known (the jobs were not asked for).
bool ReadLocation(long location, const PrinterNumbers& numbers, long& value);
// The documented default; false for a location outside the table.
bool LocationDefault(long location, long& value);
// What a location is ("Waiting jobs", "Level of supply 2 (Cyan Toner)").
std::string LocationName(long location, const PrinterFacts& facts);
// Every location this printer has, with its value and default, in order.
std::vector<docgen::LocationRow> LocationRows(const PrinterNumbers& numbers);

#endif // DEVICEIPP_MEMORYMAP_H
