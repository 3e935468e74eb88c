// ComJournal.h - the server's journal and the small text helpers every
// server needs.
//
// When the environment variable that the server names (ComServerInfo::
// journalVariable, e.g. DEVICESIM_JOURNAL) names a file, every line the server
// journals is appended to it, written straight through (no buffering), so
// another process can read it at any moment. Without the variable nothing is
// written and nothing is composed. The journal takes a lock of its own: a
// server's background threads may write lines too.
#ifndef COMSERVER_COMJOURNAL_H
#define COMSERVER_COMJOURNAL_H

#include <windows.h>
#include <ole2.h>

#include <string>

// Appends one line (the newline is added). Opens the journal on first use.
void JournalLine(const std::string& line);

// True when lines go to a journal (the variable names a file that could be
// opened): callers skip composing lines nobody will read.
bool JournalOn();

// Appends a line to the journal and sends it to the debugger output as well,
// prefixed with the server's name: for problems a user should be able to see
// without a journal (a broken configuration, a state file that cannot be
// written).
void ComReport(const std::string& line);

// Closes the journal file (at unload); a later line opens it again.
void JournalClose();

// printf-style formatting into a std::string.
std::string ComFormat(const char* format, ...);

// A text for a journal line: in double quotes, line breaks replaced, cut after
// 60 characters with the full length noted.
std::string JournalText(const std::string& text);

// "0x%08lX" of an HRESULT.
std::string HresultText(HRESULT hr);

// ANSI (CP_ACP) text to a new BSTR and back; NULL converts to "".
BSTR BstrFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, size_t length);

// The value of an environment variable, "" when unset.
std::string ComEnvironment(const char* name);

// The server DLL's full path ("" when it cannot be had) and its directory,
// with a trailing backslash.
std::string ComModulePath();
std::string ComModuleDirectory();

#endif // COMSERVER_COMJOURNAL_H
