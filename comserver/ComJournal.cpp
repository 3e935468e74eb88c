// ComJournal.cpp - the journal file and the text helpers.
#include "comserver/ComJournal.h"

#include "comserver/ComServer.h"

#include <stdarg.h>
#include <stdio.h>

#include <vector>

namespace {

HANDLE s_journal = INVALID_HANDLE_VALUE;
bool s_journalTried = false;

// The journal may be written from a server's own threads as well as from the
// client's: one lock around opening, writing and closing it. Made when the
// DLL's static objects are made (before DllMain runs), gone after DllMain's
// detach.
class JournalLock
{
public:
    JournalLock() { InitializeCriticalSection(&m_section); }
    ~JournalLock() { DeleteCriticalSection(&m_section); }
    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

JournalLock s_lock;

class Locked
{
public:
    Locked() { s_lock.Enter(); }
    ~Locked() { s_lock.Leave(); }

private:
    Locked(const Locked&);
    Locked& operator=(const Locked&);
};

// "DeviceSim: " before a debugger output line.
std::string DebugPrefix()
{
    const ComServerInfo* server = ComServer();
    return std::string(server != NULL && server->debugName != NULL ? server->debugName : "COM server")
           + ": ";
}

// Opens the journal that the server's variable names, once; returns false
// without one.
bool OpenJournal()
{
    if (s_journal != INVALID_HANDLE_VALUE)
        return true;
    if (s_journalTried)
        return false;
    s_journalTried = true;
    const ComServerInfo* server = ComServer();
    if (server == NULL || server->journalVariable == NULL)
        return false;
    const std::string path = ComEnvironment(server->journalVariable);
    if (path.empty())
        return false;
    s_journal = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (s_journal == INVALID_HANDLE_VALUE) {
        OutputDebugStringA((DebugPrefix() + "cannot open the journal " + path + "\n").c_str());
        return false;
    }
    return true;
}

} // namespace

bool JournalOn()
{
    Locked locked;
    return OpenJournal();
}

void JournalLine(const std::string& line)
{
    Locked locked;
    if (!OpenJournal())
        return;
    std::string text = line;
    text += "\r\n";
    DWORD written = 0;
    WriteFile(s_journal, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

void ComReport(const std::string& line)
{
    JournalLine(line);
    OutputDebugStringA((DebugPrefix() + line + "\n").c_str());
}

void JournalClose()
{
    Locked locked;
    if (s_journal != INVALID_HANDLE_VALUE)
        CloseHandle(s_journal);
    s_journal = INVALID_HANDLE_VALUE;
    s_journalTried = false;
}

std::string ComFormat(const char* format, ...)
{
    char small[512];
    va_list args;
    va_start(args, format);
    int needed = vsnprintf(small, sizeof(small), format, args);
    va_end(args);
    if (needed < 0)
        return std::string();
    if (static_cast<size_t>(needed) < sizeof(small))
        return std::string(small, static_cast<size_t>(needed));
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    va_start(args, format);
    vsnprintf(&big[0], big.size(), format, args);
    va_end(args);
    return std::string(&big[0], static_cast<size_t>(needed));
}

std::string JournalText(const std::string& text)
{
    const size_t shown = 60;
    std::string result = "\"";
    for (size_t i = 0; i < text.size() && i < shown; ++i) {
        const char c = text[i];
        result += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
    }
    result += "\"";
    if (text.size() > shown)
        result += ComFormat("...(%lu chars)", static_cast<unsigned long>(text.size()));
    return result;
}

std::string HresultText(HRESULT hr)
{
    return ComFormat("0x%08lX", static_cast<unsigned long>(hr));
}

BSTR BstrFromAnsi(const std::string& text)
{
    if (text.empty())
        return SysAllocStringLen(L"", 0);
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           NULL, 0);
    BSTR result = SysAllocStringLen(NULL, static_cast<UINT>(length > 0 ? length : 0));
    if (result != NULL && length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

std::string AnsiFromWide(const wchar_t* text, size_t length)
{
    if (text == NULL || length == 0)
        return std::string();
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), NULL, 0,
                                           NULL, NULL);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &result[0], needed, NULL, NULL);
    return result;
}

std::string ComEnvironment(const char* name)
{
    const DWORD needed = GetEnvironmentVariableA(name, NULL, 0);
    if (needed == 0)
        return std::string();
    std::vector<char> buffer(needed + 1);
    const DWORD got = GetEnvironmentVariableA(name, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (got == 0 || got >= buffer.size())
        return std::string();
    return std::string(&buffer[0], got);
}

std::string ComModulePath()
{
    // GetModuleFileNameA fills the buffer and (on XP) leaves it unterminated
    // when the path does not fit: grow until it fits with room to spare.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD got = GetModuleFileNameA(ComServerModule(), &path[0],
                                             static_cast<DWORD>(path.size()));
        if (got == 0)
            return std::string();
        if (got < path.size() - 1)
            return std::string(&path[0], got);
        if (path.size() > 32768)
            return std::string();
        path.resize(path.size() * 2);
    }
}

std::string ComModuleDirectory()
{
    const std::string path = ComModulePath();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
