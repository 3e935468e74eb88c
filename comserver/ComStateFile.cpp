// ComStateFile.cpp - the state file's location, its check, and the save that
// replaces the file whole or not at all.
#include "comserver/ComStateFile.h"

#include "comserver/ComJournal.h"

#include <windows.h>
#include <shlobj.h>

#include <errno.h>
#include <stdlib.h>

namespace {

const DWORD kMaxFile = 64UL * 1024UL * 1024UL;
const unsigned long kFnvStart = 2166136261UL;

unsigned long Fnv1a(const std::string& text, unsigned long hash)
{
    for (size_t i = 0; i < text.size(); ++i) {
        hash ^= static_cast<unsigned char>(text[i]);
        hash = (hash * 16777619UL) & 0xFFFFFFFFUL;
    }
    return hash;
}

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

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Checks the whole text; hands the records to take, or returns the problem.
bool ParseState(const std::string& text, const std::string& header,
                const std::function<bool(const std::vector<std::string>&)>& take,
                std::string& problem)
{
    std::vector<std::string> lines = SplitLines(text);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty()) {
        problem = "empty (truncated)";
        return false;
    }
    if (lines[0] != header) {
        problem = "not a state file (line 1)";
        return false;
    }
    unsigned long hash = kFnvStart;
    long records = 0;
    for (size_t n = 1; n < lines.size(); ++n) {
        const std::vector<std::string> w = Words(lines[n]);
        const int lineNumber = static_cast<int>(n + 1);
        if (!w.empty() && w[0] == "end") {
            long count = 0;
            if (w.size() != 3 || !ComParseLong(w[1], count)) {
                problem = ComFormat("malformed end line (line %d)", lineNumber);
                return false;
            }
            if (n + 1 != lines.size()) {
                problem = ComFormat("text after the end line (line %d)", lineNumber + 1);
                return false;
            }
            if (count != records || w[2] != ComFormat("%08lx", hash)) {
                problem = ComFormat("check failed (line %d)", lineNumber);
                return false;
            }
            return true;
        }
        if (!take(w)) {
            problem = ComFormat("malformed record (line %d)", lineNumber);
            return false;
        }
        ++records;
        hash = Fnv1a(lines[n] + "\n", hash);
    }
    problem = "no end line (truncated)";
    return false;
}

} // namespace

bool ComParseLong(const std::string& text, long& value)
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

bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem)
{
    text.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        problem = ComFormat("cannot open (error %lu)", GetLastError());
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

// ---------------------------------------------------------------------------
// ComStateFile
// ---------------------------------------------------------------------------

ComStateFile::ComStateFile()
{
}

ComStateFile::ComStateFile(const std::string& header, const std::string& interruptVariable)
    : m_header(header), m_interruptVariable(interruptVariable)
{
}

void ComStateFile::Locate(const char* variable, const char* folder, const char* name)
{
    m_base.clear();
    m_path = ComEnvironment(variable);
    if (!m_path.empty())
        return;
    char root[MAX_PATH] = "";
    const HRESULT hr = SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, NULL,
                                        SHGFP_TYPE_CURRENT, root);
    if (hr == S_OK && root[0] != '\0') {
        m_base = root;
        m_path = m_base + (m_base[m_base.size() - 1] == '\\' ? "" : "\\") + folder + "\\" + name;
        return;
    }
    m_path = ComModuleDirectory() + name;
    ComReport(ComFormat("state: no local application data folder (%s); using %s",
                        HresultText(hr).c_str(), m_path.c_str()));
}

ComStateFile::LoadResult ComStateFile::Load(
    const std::function<bool(const std::vector<std::string>& words)>& take) const
{
    if (GetFileAttributesA(m_path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return STATE_MISSING;
    std::string text;
    std::string problem;
    if (!ReadWholeFile(m_path, text, problem) || !ParseState(text, m_header, take, problem)) {
        ComReport("state: " + m_path + ": " + problem + "; ignored");
        return STATE_BROKEN;
    }
    return STATE_LOADED;
}

// Makes the folders between the local application data folder and the file
// (the user may have deleted them, or this is the first save).
bool ComStateFile::MakeFolders() const
{
    const size_t slash = m_path.find_last_of('\\');
    if (m_base.empty() || slash == std::string::npos || IsFolder(m_path.substr(0, slash)))
        return true;
    DWORD error = ERROR_PATH_NOT_FOUND;
    for (size_t at = m_path.find('\\', m_base.size()); at != std::string::npos && at <= slash;
         at = m_path.find('\\', at + 1)) {
        if (!CreateDirectoryA(m_path.substr(0, at).c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
            error = GetLastError();
    }
    if (IsFolder(m_path.substr(0, slash)))
        return true;
    ComReport(ComFormat("state: cannot make the folder %s (error %lu)",
                        m_path.substr(0, slash).c_str(), error));
    return false;
}

bool ComStateFile::Save(const std::vector<std::string>& records) const
{
    std::string body;
    for (size_t i = 0; i < records.size(); ++i) {
        body += records[i];
        body += "\n";
    }
    const std::string text = m_header + "\n" + body
                             + ComFormat("end %lu %08lx\n", static_cast<unsigned long>(records.size()),
                                         Fnv1a(body, kFnvStart));
    if (!MakeFolders())
        return false;

    const std::string temporary = m_path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ComReport(ComFormat("state: cannot write %s (error %lu)", temporary.c_str(), GetLastError()));
        return false;
    }
    DWORD written = 0;
    long interruptAt = 0;
    const std::string interrupt = m_interruptVariable.empty()
                                      ? std::string() : ComEnvironment(m_interruptVariable.c_str());
    if (!interrupt.empty() && ComParseLong(interrupt, interruptAt) && interruptAt >= 0) {
        // As a process killed in the middle of the save: part of <path>.tmp
        // is written, <path> is not touched, the .tmp file stays behind.
        const size_t part = static_cast<size_t>(interruptAt) < text.size()
                                ? static_cast<size_t>(interruptAt) : text.size();
        WriteFile(file, text.data(), static_cast<DWORD>(part), &written, NULL);
        CloseHandle(file);
        JournalLine(ComFormat("state: %s: save interrupted after %lu of %lu bytes"
                              " (%s); %s not replaced",
                              temporary.c_str(), static_cast<unsigned long>(written),
                              static_cast<unsigned long>(text.size()), m_interruptVariable.c_str(),
                              m_path.c_str()));
        return false;
    }
    const BOOL wrote = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL)
                       && written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!wrote || !MoveFileExA(temporary.c_str(), m_path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ComReport(ComFormat("state: cannot replace %s (error %lu)", m_path.c_str(), GetLastError()));
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
