// SimConfig.cpp - the configuration reader.
//
// The configuration is a text file, one statement a line. Blank lines and lines
// whose first non-blank character is '#' are ignored. Words are separated by
// blanks; a value with blanks goes in double quotes (name="Front Desk MFP").
//
//   fleet builtin                the six built-in devices, at this point of the fleet
//   fleet empty                  no built-in fleet: the fleet is what device lines add
//   fleet generated <count>      <count> generated devices (1 to 100000), ids from 1000001
//
//   device id=<n> type=<n> name=<text> [<key>=<value> ...]
//       texts:   col1 col2 detail1 detail2 detail3 text settings
//       numbers: number (the detail number) numbermax
//       masks:   exec alt         bit r set = report r (1..11) offers Execute /
//                                 ExecuteAlternate, e.g. exec=0xFFE (all), alt=0x24
//       unavailable=<a>-<b>,<c>   memory locations the device lacks
//       mem.<location>=<value>    default value of one location (0..65535)
//       default.<setting>=<value> default of a driver setting: Option1..Option13,
//                                 Number, Choice, Switch
//
//   fault <target> <kind> [<value>] [call=<n>]
//       target: an operation, Interface.Operation (IDeviceService.GetReport,
//               IServiceDevice.Name, IClassFactory.CreateInstance, ...), or for
//               "refuse" an interface name (IServiceReport)
//       kinds:  fail [<hresult>]        the call fails (default 0x800402FF), changes nothing
//               failobject [<hresult>]  fails but hands out the object all the same
//               noobject                succeeds without an object
//               refuse                  QueryInterface for the interface fails
//               null                    a string comes back as a null BSTR
//               long [<length>]         a string comes back padded to <length>
//                                       characters (default 1048576)
//               number <v>              a number comes back as <v>: 0, -1, max, min
//                                       or any integer
//               vartype <t>             a VARIANT comes back as type <t>: empty, null,
//                                       i1, ui1, i2, ui2, i4, ui4, int, uint, r4, r8,
//                                       bool, bstr, unknown, dispatch
//       call=<n> limits the rule to the n-th call of its target.
//
// Without device or fleet lines the fleet is the built-in one. Device ids must
// be distinct and must not lie in 1..N (N = the fleet's size), because
// IServiceDevices::Item takes a position or an id. A line that breaks any rule
// is skipped and reported (journal and debugger output) with its line number;
// the rest of the file still applies.
#include "simulator/SimConfig.h"

#include "simulator/SimFaults.h"
#include "comserver/ComJournal.h"
#include "simulator/SimResults.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>

#include <cstddef>
#include <iterator>
#include <set>
#include <utility>

namespace {

const long kMaxGenerated = 100000;
const long kMaxLongString = 16L * 1024L * 1024L;

struct Word
{
    std::string key;    // before '=' ("" when the word has none)
    std::string value;  // after '=', or the whole word
    bool hasKey;
};

// Splits a line into words; quotes group blanks into one word. False when a
// quote is not closed.
bool SplitWords(const std::string& line, std::vector<Word>& words)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string text;
        Word w;
        w.hasKey = false;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            const char c = line[i];
            if (c == '"') {
                const size_t close = line.find('"', i + 1);
                if (close == std::string::npos)
                    return false;
                text += line.substr(i + 1, close - i - 1);
                i = close + 1;
                continue;
            }
            if (c == '=' && !w.hasKey) {
                w.hasKey = true;
                w.key = text;
                text.clear();
                ++i;
                continue;
            }
            text += c;
            ++i;
        }
        w.value = text;
        words.push_back(w);
    }
    return true;
}

bool ParseNumber(const std::string& text, long& value)
{
    if (text.empty())
        return false;
    char* end = NULL;
    errno = 0;
    const long parsed = strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == NULL || *end != '\0')
        return false;
    value = parsed;
    return true;
}

bool ParseUnsigned(const std::string& text, unsigned long& value)
{
    if (text.empty() || text[0] == '-')
        return false;
    char* end = NULL;
    errno = 0;
    const unsigned long parsed = strtoul(text.c_str(), &end, 0);
    if (errno != 0 || end == NULL || *end != '\0')
        return false;
    value = parsed;
    return true;
}

// "10-19,200" into inclusive ranges within the location range.
bool ParseRanges(const std::string& text, std::vector<std::pair<long, long> >& ranges)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string part = text.substr(start, comma - start);
        const size_t dash = part.find('-', 1);
        long first = 0;
        long last = 0;
        if (dash == std::string::npos) {
            if (!ParseNumber(part, first))
                return false;
            last = first;
        } else if (!ParseNumber(part.substr(0, dash), first)
                   || !ParseNumber(part.substr(dash + 1), last)) {
            return false;
        }
        if (!SimModel::LocationInRange(first) || !SimModel::LocationInRange(last) || first > last)
            return false;
        ranges.push_back(std::make_pair(first, last));
        start = comma + 1;
    }
    return !ranges.empty();
}

struct NamedType
{
    const char* name;
    VARTYPE type;
};

const NamedType kTypes[] = {
    { "empty", VT_EMPTY }, { "null", VT_NULL }, { "i1", VT_I1 }, { "ui1", VT_UI1 },
    { "i2", VT_I2 }, { "ui2", VT_UI2 }, { "i4", VT_I4 }, { "ui4", VT_UI4 }, { "int", VT_INT },
    { "uint", VT_UINT }, { "r4", VT_R4 }, { "r8", VT_R8 }, { "bool", VT_BOOL },
    { "bstr", VT_BSTR }, { "unknown", VT_UNKNOWN }, { "dispatch", VT_DISPATCH },
};

class ConfigReader
{
public:
    explicit ConfigReader(const std::string& source)
        : m_source(source), m_fleetLine(false), m_skipped(0), m_faults(0) {}

    std::vector<SimDevice> Read(const std::string& text);

private:
    void ReadLine(const std::string& line, int number);
    bool FleetLine(const std::vector<Word>& words, int number, std::string& problem);
    bool DeviceLine(const std::vector<Word>& words, int number, std::string& problem);
    bool FaultLine(const std::vector<Word>& words, int number, std::string& problem);
    void Skip(int number, const std::string& problem, const std::string& line);
    bool AddDevices(std::vector<SimDevice>& more, std::string& problem);

    std::string m_source;
    std::vector<SimDevice> m_fleet;
    std::set<long> m_ids;
    bool m_fleetLine;
    long m_skipped;
    long m_faults;
};

std::vector<SimDevice> ConfigReader::Read(const std::string& text)
{
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        ++number;
        ReadLine(line, number);
        start = end + 1;
    }

    if (m_fleet.empty() && !m_fleetLine)
        AddBuiltinFleet(m_fleet);

    // Ids inside 1..N would be mistaken for positions by Item.
    // The devices kept move down in place: no second copy of the fleet.
    const long size = static_cast<long>(m_fleet.size());
    size_t kept = 0;
    for (size_t i = 0; i < m_fleet.size(); ++i) {
        if (m_fleet[i].id >= 1 && m_fleet[i].id <= size) {
            Skip(m_fleet[i].line, ComFormat("device id %ld lies in the position range 1..%ld",
                                            m_fleet[i].id, size), "");
            continue;
        }
        if (kept != i)
            m_fleet[kept] = std::move(m_fleet[i]);
        ++kept;
    }
    m_fleet.erase(m_fleet.begin() + static_cast<std::ptrdiff_t>(kept), m_fleet.end());
    JournalLine(ComFormat("config: %s: %d lines, %ld skipped, %lu devices, %ld faults",
                          m_source.c_str(), number, m_skipped,
                          static_cast<unsigned long>(kept), m_faults));
    return std::move(m_fleet);
}

void ConfigReader::ReadLine(const std::string& line, int number)
{
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
        return;
    if (line.find('\0') != std::string::npos) {
        Skip(number, "not text", line);
        return;
    }
    std::vector<Word> words;
    if (!SplitWords(line, words)) {
        Skip(number, "unclosed quote", line);
        return;
    }
    std::string problem;
    bool good = false;
    const std::string& head = words[0].value;
    if (words[0].hasKey)
        problem = "a line starts with fleet, device or fault";
    else if (head == "fleet")
        good = FleetLine(words, number, problem);
    else if (head == "device")
        good = DeviceLine(words, number, problem);
    else if (head == "fault")
        good = FaultLine(words, number, problem);
    else
        problem = "unknown statement \"" + head.substr(0, 40) + "\"";
    if (!good)
        Skip(number, problem, line);
}

void ConfigReader::Skip(int number, const std::string& problem, const std::string& line)
{
    ++m_skipped;
    std::string report = ComFormat("config: %s: line %d: %s; skipped", m_source.c_str(), number,
                                   problem.c_str());
    if (!line.empty())
        report += ": " + JournalText(line);
    ComReport(report);
}

// Moves the devices of `more` into the fleet (a generated fleet of 50,000 is
// tens of megabytes: copies of it stay in the process's peak memory).
bool ConfigReader::AddDevices(std::vector<SimDevice>& more, std::string& problem)
{
    std::set<long> adding;
    for (size_t i = 0; i < more.size(); ++i) {
        if (m_ids.count(more[i].id) != 0 || !adding.insert(more[i].id).second) {
            problem = ComFormat("device id %ld is already in the fleet", more[i].id);
            return false;
        }
    }
    m_ids.insert(adding.begin(), adding.end());
    if (m_fleet.empty())
        m_fleet.swap(more);
    else
        m_fleet.insert(m_fleet.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return true;
}

bool ConfigReader::FleetLine(const std::vector<Word>& words, int number, std::string& problem)
{
    (void)number;
    std::vector<SimDevice> more;
    if (words.size() == 2 && !words[1].hasKey && words[1].value == "builtin") {
        AddBuiltinFleet(more);
    } else if (words.size() == 2 && !words[1].hasKey && words[1].value == "empty") {
    } else if (words.size() == 3 && !words[1].hasKey && words[1].value == "generated") {
        long count = 0;
        if (words[2].hasKey || !ParseNumber(words[2].value, count) || count < 1
            || count > kMaxGenerated) {
            problem = ComFormat("the generated count must be 1 to %ld", kMaxGenerated);
            return false;
        }
        AddGeneratedFleet(more, count);
    } else {
        problem = "expected: fleet builtin | fleet empty | fleet generated <count>";
        return false;
    }
    if (!AddDevices(more, problem))
        return false;
    m_fleetLine = true;
    return true;
}

bool ConfigReader::DeviceLine(const std::vector<Word>& words, int number, std::string& problem)
{
    long id = 0;
    long type = 0;
    std::string name;
    bool haveId = false, haveType = false, haveName = false;
    for (size_t i = 1; i < words.size(); ++i) {
        const Word& w = words[i];
        if (w.key == "id")
            haveId = ParseNumber(w.value, id);
        else if (w.key == "type")
            haveType = ParseNumber(w.value, type);
        else if (w.key == "name") {
            name = w.value;
            haveName = true;
        }
    }
    if (!haveId || !haveType || !haveName) {
        problem = "a device needs id=<number>, type=<number> and name=<text>";
        return false;
    }
    SimDevice d = MakeDevice(id, type, name);
    d.line = number;
    for (size_t i = 1; i < words.size(); ++i) {
        const Word& w = words[i];
        const std::string& k = w.key;
        bool good = w.hasKey;
        if (!good || k == "id" || k == "type" || k == "name") {
        } else if (k == "col1") {
            d.columnText1 = w.value;
        } else if (k == "col2") {
            d.columnText2 = w.value;
        } else if (k == "detail1") {
            d.detailText1 = w.value;
        } else if (k == "detail2") {
            d.detailText2 = w.value;
        } else if (k == "detail3") {
            d.detailText3 = w.value;
        } else if (k == "text") {
            d.deviceText = w.value;
        } else if (k == "settings") {
            d.settingsName = w.value;
        } else if (k == "number") {
            good = ParseNumber(w.value, d.detailNumber);
        } else if (k == "numbermax") {
            good = ParseNumber(w.value, d.numberMax);
        } else if (k == "exec") {
            good = ParseUnsigned(w.value, d.executeMask);
        } else if (k == "alt") {
            good = ParseUnsigned(w.value, d.alternateMask);
        } else if (k == "unavailable") {
            good = ParseRanges(w.value, d.unavailable);
        } else if (k.compare(0, 4, "mem.") == 0) {
            long location = 0;
            long value = 0;
            good = ParseNumber(k.substr(4), location) && SimModel::LocationInRange(location)
                   && ParseNumber(w.value, value) && value >= 0 && value <= kMaxValue;
            if (good)
                d.memoryDefaults[location] = value;
        } else if (k.compare(0, 8, "default.") == 0) {
            const int which = SettingFromName(k.substr(8));
            long value = 0;
            good = which >= 0 && ParseNumber(w.value, value);
            if (good)
                d.settingDefaults[which] = d.settings[which] = value;
        } else {
            good = false;
        }
        if (!good) {
            problem = w.hasKey ? "bad value or unknown key \"" + k.substr(0, 40) + "\""
                               : "expected <key>=<value>, found \"" + w.value.substr(0, 40) + "\"";
            return false;
        }
    }
    std::vector<SimDevice> one(1, d);
    return AddDevices(one, problem);
}

bool ConfigReader::FaultLine(const std::vector<Word>& words, int number, std::string& problem)
{
    std::vector<Word> args(words.begin() + 1, words.end());
    SimFault f;
    f.kind = FAULT_FAIL;
    f.result = SIM_E_INJECTED;
    f.number = 0;
    f.length = 1048576;
    f.type = VT_EMPTY;
    f.onlyCall = 0;
    f.calls = 0;
    f.line = number;
    if (!args.empty() && args.back().hasKey) {
        if (args.back().key != "call" || !ParseNumber(args.back().value, f.onlyCall)
            || f.onlyCall < 1) {
            problem = "expected call=<n> (n from 1) at the end";
            return false;
        }
        args.pop_back();
    }
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].hasKey) {
            problem = "unexpected \"" + args[i].key.substr(0, 40) + "=\"";
            return false;
        }
    }
    if (args.size() < 2 || args.size() > 3) {
        problem = "expected: fault <target> <kind> [<value>] [call=<n>]";
        return false;
    }
    f.target = args[0].value;
    const SimOperation* op = FindOperation(f.target);
    if (op == NULL) {
        problem = "unknown target \"" + f.target.substr(0, 60) + "\"";
        return false;
    }
    const std::string& kind = args[1].value;
    const bool hasValue = args.size() == 3;
    const std::string value = hasValue ? args[2].value : std::string();
    const SimOutKind out = op->out;
    bool fits = false;
    bool valueGood = !hasValue;
    if (kind == "fail" || kind == "failobject") {
        f.kind = kind == "fail" ? FAULT_FAIL : FAULT_FAILOBJECT;
        fits = kind == "fail" ? out != OUT_INTERFACE : (out == OUT_OBJECT || out == OUT_ITEM);
        if (hasValue) {
            unsigned long hr = 0;
            valueGood = ParseUnsigned(value, hr) && hr <= 0xFFFFFFFFUL && (hr & 0x80000000UL) != 0;
            f.result = static_cast<HRESULT>(hr);
        }
    } else if (kind == "noobject") {
        f.kind = FAULT_NOOBJECT;
        fits = out == OUT_OBJECT || out == OUT_ITEM;
    } else if (kind == "refuse") {
        f.kind = FAULT_REFUSE;
        fits = out == OUT_INTERFACE;
    } else if (kind == "null") {
        f.kind = FAULT_NULL;
        fits = out == OUT_STRING;
    } else if (kind == "long") {
        f.kind = FAULT_LONG;
        fits = out == OUT_STRING;
        if (hasValue)
            valueGood = ParseNumber(value, f.length) && f.length >= 1 && f.length <= kMaxLongString;
    } else if (kind == "number") {
        f.kind = FAULT_NUMBER;
        fits = out == OUT_NUMBER;
        valueGood = hasValue;
        if (value == "max")
            f.number = LONG_MAX;
        else if (value == "min")
            f.number = LONG_MIN;
        else if (hasValue)
            valueGood = ParseNumber(value, f.number);
    } else if (kind == "vartype") {
        f.kind = FAULT_VARTYPE;
        fits = out == OUT_VARIANT || out == OUT_ITEM;
        valueGood = false;
        for (size_t i = 0; i < sizeof(kTypes) / sizeof(kTypes[0]); ++i) {
            if (value == kTypes[i].name) {
                f.type = kTypes[i].type;
                valueGood = true;
            }
        }
    } else {
        problem = "unknown fault kind \"" + kind.substr(0, 40) + "\"";
        return false;
    }
    if (!fits) {
        problem = "fault kind \"" + kind + "\" does not fit " + f.target;
        return false;
    }
    if (!valueGood) {
        problem = "bad or missing value for fault kind \"" + kind + "\"";
        return false;
    }
    AddFault(f);
    ++m_faults;
    return true;
}

} // namespace

std::vector<SimDevice> ReadConfiguration(const std::string& text, const std::string& source)
{
    ConfigReader reader(source);
    return reader.Read(text);
}

std::string ConfigurationPath()
{
    const std::string path = ComEnvironment("DEVICESIM_CONFIG");
    if (!path.empty())
        return path;
    const std::string beside = ComModuleDirectory() + "DeviceSim.ini";
    if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
        return beside;
    return std::string();
}
