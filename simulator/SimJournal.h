// SimJournal.h - the simulator's journal and small text helpers.
//
// When DEVICESIM_JOURNAL names a file, every call the simulator receives is
// appended to it as one line, "Interface.Operation(args) -> 0xHRESULT outs",
// written straight through (no buffering), so another process can read it at
// any moment. Without the variable nothing is written.
#ifndef SIMULATOR_SIMJOURNAL_H
#define SIMULATOR_SIMJOURNAL_H

#include <windows.h>

#include <string>

// Appends one line (the newline is added). Opens the journal on first use.
void JournalLine(const std::string& line);

// True when lines go to a journal (DEVICESIM_JOURNAL names a file that could
// be opened): callers skip composing lines nobody will read.
bool JournalOn();

// Appends a line to the journal and sends it to the debugger output as well:
// used for problems with the configuration and state files.
void SimReport(const std::string& line);

// Closes the journal file (at unload); a later line opens it again.
void JournalClose();

// printf-style formatting into a std::string.
std::string SimFormat(const char* format, ...);

// A text for a journal line: in double quotes, line breaks replaced, cut after
// 60 characters with the full length noted.
std::string JournalText(const std::string& text);

// "0x%08lX" of an HRESULT.
std::string HresultText(HRESULT hr);

// ANSI (CP_ACP) text to a new BSTR and back; NULL converts to "".
BSTR BstrFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, size_t length);

// The value of an environment variable, "" when unset.
std::string SimEnvironment(const char* name);

// The directory of DeviceSim.dll, with a trailing backslash.
std::string SimModuleDirectory();

// The DLL's own module handle (set in DllMain).
extern HMODULE g_hSimModule;

#endif // SIMULATOR_SIMJOURNAL_H
