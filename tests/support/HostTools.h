// HostTools.h - HostRun: a command of the test host's CUPS tools (lpadmin,
// lpstat, ipptool), run for a Windows test program by
// tests/deviceipp/host-tools.sh while the program runs under Wine.
//
// The program writes the command line to <HOST_TOOLS_DIR>\<n>.request; the
// script runs it with bash (CUPS_SERVER and IPP_TEST_DATA set) and answers
// with <n>.out and <n>.status. So a test checks and changes the CUPS test
// server with CUPS's own tools, never through the code under test.
#pragma once

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace hosttools
{

// True when the program runs under host-tools.sh.
inline bool Available()
{
    const char* dir = getenv("HOST_TOOLS_DIR");
    return dir != NULL && *dir != '\0';
}

inline std::string ReadAll(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return text;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}

// Runs `command` with bash on the host; returns its exit status (-1 when the
// host did not answer within a minute) and its output (stdout and stderr).
inline int HostRun(const std::string& command, std::string* output = NULL)
{
    if (output != NULL)
        output->clear();
    if (!Available())
        return -1;
    static long s_serial = 0;
    char name[64];
    sprintf(name, "\\%lu-%ld", static_cast<unsigned long>(GetCurrentProcessId()), ++s_serial);
    const std::string base = std::string(getenv("HOST_TOOLS_DIR")) + name;
    const std::string temporary = base + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (file == NULL)
        return -1;
    fwrite(command.data(), 1, command.size(), file);
    fclose(file);
    if (!MoveFileA(temporary.c_str(), (base + ".request").c_str()))
        return -1;
    const DWORD start = GetTickCount();
    while (GetFileAttributesA((base + ".status").c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 70000)
            return -1;
        Sleep(20);
    }
    const std::string status = ReadAll(base + ".status");
    if (output != NULL)
        *output = ReadAll(base + ".out");
    DeleteFileA((base + ".status").c_str());
    DeleteFileA((base + ".out").c_str());
    return atoi(status.c_str());
}

// The server's "host:port" (CUPS_SERVER), "" when unset.
inline std::string CupsServer()
{
    const char* server = getenv("CUPS_SERVER");
    return server != NULL ? server : "";
}

// Text without its trailing line ends.
inline std::string Trimmed(std::string text)
{
    while (!text.empty() && (text[text.size() - 1] == '\n' || text[text.size() - 1] == '\r'))
        text.erase(text.size() - 1);
    return text;
}

// What ipptool says of a job of a queue: "job-name", "job-state" (its name:
// "completed"), "sides", "document-format-supplied" (tests/deviceipp/get-job.test).
inline std::string JobAttribute(const std::string& queue, long job, const std::string& attribute)
{
    std::string out;
    char id[16];
    sprintf(id, "%ld", job);
    HostRun(std::string("ipptool -tv -d job=") + id + " ipp://$CUPS_SERVER/printers/" + queue
                + " $DEVICEIPP_TEST_DATA/get-job.test | sed -n 's/^ *" + attribute + " ([^)]*) = //p' | head -n 1",
            &out);
    return Trimmed(out);
}

// A job default of a CUPS queue as ipptool reports it ("sides-default" ->
// "one-sided"; enums by name, "print-quality-default" -> "normal"), "" when
// the queue reports none.
inline std::string QueueDefault(const std::string& queue, const std::string& attribute)
{
    std::string out;
    HostRun("ipptool -tv ipp://$CUPS_SERVER/printers/" + queue
                + " $DEVICEIPP_TEST_DATA/get-defaults.test | sed -n 's/^ *" + attribute
                + " ([^)]*) = //p' | head -n 1",
            &out);
    return Trimmed(out);
}

} // namespace hosttools
