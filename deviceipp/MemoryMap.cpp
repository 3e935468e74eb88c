// MemoryMap.cpp - the memory locations of an IPP printer.
#include "deviceipp/MemoryMap.h"

#include <stdio.h>

namespace {

const long kSupplyBase = 100;
const long kMaxSupplies = 64;

size_t SupplyCount(const ipp::PrinterStatus& status)
{
    const size_t count = !status.markers.empty() ? status.markers.size() : status.supplies.size();
    return count > static_cast<size_t>(kMaxSupplies) ? static_cast<size_t>(kMaxSupplies) : count;
}

// The level of supply `index` (0-based) in percent, as the printer says it.
long SupplyLevel(const ipp::PrinterStatus& status, size_t index)
{
    if (!status.markers.empty())
        return status.markers[index].level;
    const ipp::Supply& supply = status.supplies[index];
    if (supply.level >= 0 && supply.maxCapacity > 0) {
        const int64_t percent = static_cast<int64_t>(supply.level) * 100 / supply.maxCapacity;
        return percent > 100 ? 100 : static_cast<long>(percent);
    }
    return supply.level;
}

std::string SupplyName(const ipp::PrinterStatus& status, size_t index)
{
    if (!status.markers.empty())
        return status.markers[index].name;
    const ipp::Supply& supply = status.supplies[index];
    return !supply.description.empty() ? supply.description : supply.type;
}

long ReasonCount(const ipp::PrinterStatus& status)
{
    long count = 0;
    for (size_t i = 0; i < status.reasons.size(); ++i) {
        if (!status.reasons[i].empty() && status.reasons[i] != "none")
            ++count;
    }
    return count;
}

bool FromOptional(const std::optional<int32_t>& number, long& value)
{
    if (!number)
        return false;
    value = *number;
    return true;
}

bool IsSupplyLocation(long location)
{
    return location >= kSupplyBase && location < kSupplyBase + kMaxSupplies;
}

} // namespace

bool IsMapped(long location)
{
    return (location >= 0 && location <= 10) || IsSupplyLocation(location);
}

bool NeedsJobs(long location)
{
    return location == 3 || location == 4;
}

bool LocationExists(long location, const PrinterFacts& facts)
{
    const ipp::PrinterStatus& status = facts.status;
    switch (location) {
    case 0: return status.state != 0;
    case 1: return status.accepting.has_value();
    case 2: return status.queuedJobCount.has_value();
    case 3:
    case 4: return true;
    case 5: return status.impressionsCompleted.has_value();
    case 6: return status.sheetsCompleted.has_value();
    case 7: return status.pagesCompleted.has_value();
    case 8: return facts.upTime.has_value();
    case 9:
    case 10: return true;
    }
    return IsSupplyLocation(location)
           && static_cast<size_t>(location - kSupplyBase) < SupplyCount(status);
}

bool ReadLocation(long location, const PrinterNumbers& numbers, long& value)
{
    const PrinterFacts& facts = numbers.facts;
    const ipp::PrinterStatus& status = facts.status;
    if (!LocationExists(location, facts))
        return false;
    switch (location) {
    case 0: value = status.state; return true;
    case 1: value = *status.accepting ? 1 : 0; return true;
    case 2: return FromOptional(status.queuedJobCount, value);
    case 3:
        value = numbers.finishedJobs;
        return numbers.jobsKnown;
    case 4:
        value = static_cast<long>(numbers.jobImpressions > 0x7FFFFFFF ? 0x7FFFFFFF : numbers.jobImpressions);
        return numbers.jobsKnown;
    case 5: return FromOptional(status.impressionsCompleted, value);
    case 6: return FromOptional(status.sheetsCompleted, value);
    case 7: return FromOptional(status.pagesCompleted, value);
    case 8: return FromOptional(facts.upTime, value);
    case 9: value = ReasonCount(status); return true;
    case 10: value = static_cast<long>(SupplyCount(status)); return true;
    }
    value = SupplyLevel(status, static_cast<size_t>(location - kSupplyBase));
    return true;
}

bool LocationDefault(long location, long& value)
{
    if (!IsMapped(location))
        return false;
    value = location == 0 ? 3 : location == 1 ? 1 : IsSupplyLocation(location) ? 100 : 0;
    return true;
}

std::string LocationName(long location, const PrinterFacts& facts)
{
    static const char* const kNames[] = {
        "State (3 idle, 4 printing, 5 stopped)", "Accepting jobs (1 yes, 0 no)", "Waiting jobs",
        "Finished jobs listed", "Impressions of the finished jobs", "Impressions",
        "Sheets", "Pages", "Up-time (seconds)", "State reasons", "Supplies"};
    if (location >= 0 && location <= 10)
        return kNames[location];
    if (!IsSupplyLocation(location))
        return std::string();
    char text[48];
    sprintf(text, "Level of supply %ld (%%)", location - kSupplyBase + 1);
    const size_t index = static_cast<size_t>(location - kSupplyBase);
    if (index < SupplyCount(facts.status)) {
        const std::string name = SupplyName(facts.status, index);
        if (!name.empty())
            return std::string(text) + ": " + name.substr(0, 80);
    }
    return text;
}

std::vector<docgen::LocationRow> LocationRows(const PrinterNumbers& numbers)
{
    std::vector<docgen::LocationRow> rows;
    for (long location = kLowestLocation; location <= kHighestLocation; ++location) {
        long value = 0;
        long byDefault = 0;
        if (!ReadLocation(location, numbers, value) || !LocationDefault(location, byDefault))
            continue;
        docgen::LocationRow row;
        row.location = location;
        row.name = LocationName(location, numbers.facts);
        row.value = std::to_string(value);
        row.defaultValue = std::to_string(byDefault);
        rows.push_back(row);
    }
    return rows;
}
