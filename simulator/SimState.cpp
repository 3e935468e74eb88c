// SimState.cpp - the state file.
//
// Format (text, one record a line, written by the simulator only):
//
//     DeviceSim state 1
//     M <device id> <location> <value>        a memory value that differs from its default
//     S <device id> <setting name> <value>    a driver setting that differs from its default
//     end <record count> <check>
//
// <check> is the FNV-1a hash (8 hex digits) of the record lines, each with its
// "\n". A file without the header, without the end line, with a malformed
// record, with anything after the end line or with a wrong count or check is
// reported and ignored as a whole. Records of devices or locations that the
// current fleet does not have are skipped. The file is written whole to
// <path>.tmp and then moved over <path>, so it is never left half-written.
// For tests, DEVICESIM_TEST_INTERRUPT_SAVE=<bytes> stops every save after
// that many bytes of <path>.tmp, without the move, as if the process had been
// killed there.
#include "simulator/SimState.h"

#include "simulator/SimJournal.h"

#include <stdlib.h>
#include <errno.h>

#include <vector>

namespace {

const char kHeader[] = "DeviceSim state 1";
const DWORD kMaxFile = 64UL * 1024UL * 1024UL;

unsigned long Fnv1a(const std::string& text, unsigned long hash)
{
    for (size_t i = 0; i < text.size(); ++i) {
        hash ^= static_cast<unsigned char>(text[i]);
        hash = (hash * 16777619UL) & 0xFFFFFFFFUL;
    }
    return hash;
}

const unsigned long kFnvStart = 2166136261UL;

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool ParseLong(const std::string& text, long& value)
{
    if (text.empty())
        return false;
    char* end = NULL;
    errno = 0;
    const long parsed = strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == NULL || *end != '\0')
        return false;
    value = parsed;
    return true;
}

struct StateRecord
{
    bool memory;
    long id;
    long key;       // location, or setting index
    long value;
};

// Checks the whole file; fills records, or returns the problem.
bool ParseState(const std::string& text, std::vector<StateRecord>& records, std::string& problem)
{
    std::vector<std::string> lines = SplitLines(text);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty()) {
        problem = "empty (truncated)";
        return false;
    }
    if (lines[0] != kHeader) {
        problem = "not a state file (line 1)";
        return false;
    }
    unsigned long hash = kFnvStart;
    for (size_t n = 1; n < lines.size(); ++n) {
        const std::vector<std::string> w = Words(lines[n]);
        const int lineNumber = static_cast<int>(n + 1);
        if (!w.empty() && w[0] == "end") {
            long count = 0;
            if (w.size() != 3 || !ParseLong(w[1], count)) {
                problem = SimFormat("malformed end line (line %d)", lineNumber);
                return false;
            }
            if (n + 1 != lines.size()) {
                problem = SimFormat("text after the end line (line %d)", lineNumber + 1);
                return false;
            }
            if (count != static_cast<long>(records.size())
                || w[2] != SimFormat("%08lx", hash)) {
                problem = SimFormat("check failed (line %d)", lineNumber);
                return false;
            }
            return true;
        }
        StateRecord r;
        r.memory = !w.empty() && w[0] == "M";
        const bool setting = !w.empty() && w[0] == "S";
        bool good = w.size() == 4 && (r.memory || setting) && ParseLong(w[1], r.id)
                    && ParseLong(w[3], r.value);
        if (good && r.memory)
            good = ParseLong(w[2], r.key) && SimModel::LocationInRange(r.key)
                   && r.value >= 0 && r.value <= kMaxValue;
        if (good && setting) {
            r.key = SettingFromName(w[2]);
            good = r.key >= 0;
        }
        if (!good) {
            problem = SimFormat("malformed record (line %d)", lineNumber);
            return false;
        }
        records.push_back(r);
        hash = Fnv1a(lines[n] + "\n", hash);
    }
    problem = "no end line (truncated)";
    return false;
}

// The test hook DEVICESIM_TEST_INTERRUPT_SAVE=<bytes>: while it is set to a
// number of 0 or more, every save stops after that many bytes of <path>.tmp.
bool InterruptedSave(long& bytes)
{
    const std::string value = SimEnvironment("DEVICESIM_TEST_INTERRUPT_SAVE");
    return !value.empty() && ParseLong(value, bytes) && bytes >= 0;
}

} // namespace

std::string StatePath()
{
    const std::string path = SimEnvironment("DEVICESIM_STATE");
    if (!path.empty())
        return path;
    return SimModuleDirectory() + "DeviceSim.state";
}

bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem)
{
    text.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        problem = SimFormat("cannot open (error %lu)", GetLastError());
        return false;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size > kMaxFile) {
        CloseHandle(file);
        problem = "too large or unreadable";
        return false;
    }
    text.resize(size);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file, &text[done], size - done, &got, NULL) || got == 0)
            break;
        done += got;
    }
    CloseHandle(file);
    text.resize(done);
    return true;
}

void LoadStateFile(SimModel& model)
{
    if (GetFileAttributesA(model.statePath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    std::string text;
    std::string problem;
    std::vector<StateRecord> records;
    if (!ReadWholeFile(model.statePath, text, problem) || !ParseState(text, records, problem)) {
        SimReport("state: " + model.statePath + ": " + problem + "; ignored");
        return;
    }
    long skipped = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const StateRecord& r = records[i];
        const int index = model.FindById(r.id);
        if (index < 0 || (r.memory && !model.LocationAvailable(index, r.key))) {
            ++skipped;
            continue;
        }
        if (r.memory)
            model.devices[index].memory[r.key] = r.value;
        else
            model.devices[index].settings[r.key] = r.value;
    }
    JournalLine(SimFormat("state: %s: %lu records loaded, %ld skipped", model.statePath.c_str(),
                          static_cast<unsigned long>(records.size() - skipped), skipped));
}

bool SaveStateFile(const SimModel& model)
{
    std::string records;
    long count = 0;
    for (size_t i = 0; i < model.devices.size(); ++i) {
        const SimDevice& d = model.devices[i];
        for (std::map<long, long>::const_iterator it = d.memory.begin(); it != d.memory.end(); ++it) {
            if (it->second == model.DefaultValue(static_cast<int>(i), it->first))
                continue;
            records += SimFormat("M %ld %ld %ld\n", d.id, it->first, it->second);
            ++count;
        }
        for (int which = 0; which < SET_COUNT; ++which) {
            if (d.settings[which] == d.settingDefaults[which])
                continue;
            records += SimFormat("S %ld %s %ld\n", d.id, SettingName(which), d.settings[which]);
            ++count;
        }
    }
    const std::string text = std::string(kHeader) + "\n" + records
                             + SimFormat("end %ld %08lx\n", count, Fnv1a(records, kFnvStart));

    const std::string temporary = model.statePath + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        SimReport(SimFormat("state: cannot write %s (error %lu)", temporary.c_str(), GetLastError()));
        return false;
    }
    DWORD written = 0;
    long interruptAt = 0;
    if (InterruptedSave(interruptAt)) {
        // As a process killed in the middle of the save: part of <path>.tmp
        // is written, <path> is not touched, the .tmp file stays behind.
        const size_t part = static_cast<size_t>(interruptAt) < text.size()
                                ? static_cast<size_t>(interruptAt) : text.size();
        WriteFile(file, text.data(), static_cast<DWORD>(part), &written, NULL);
        CloseHandle(file);
        JournalLine(SimFormat("state: %s: save interrupted after %lu of %lu bytes"
                              " (DEVICESIM_TEST_INTERRUPT_SAVE); %s not replaced",
                              temporary.c_str(), static_cast<unsigned long>(written),
                              static_cast<unsigned long>(text.size()), model.statePath.c_str()));
        return false;
    }
    const BOOL wrote = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL)
                       && written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!wrote || !MoveFileExA(temporary.c_str(), model.statePath.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SimReport(SimFormat("state: cannot replace %s (error %lu)", model.statePath.c_str(),
                            GetLastError()));
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
