// IppHarness.h - IppServiceTest, the fixture of the IPP device service's
// tests: DeviceIpp.dll from <build>\bin loaded with LoadLibrary and
// DllGetClassObject (no registry), a folder of its own per test for the
// configuration, state file and journal, and helpers that read what the
// Devices and Driver Settings pages read.
//
// The program runs under tests/deviceipp/host-tools.sh: CUPS_SERVER names
// the CUPS test server and hosttools::HostRun reaches CUPS's own tools.
#ifndef TESTS_DEVICEIPP_IPPHARNESS_H
#define TESTS_DEVICEIPP_IPPHARNESS_H

#include <winsock2.h>
#include <windows.h>
#include <ole2.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"

// One row of the devices list with everything the Devices page reads of it.
struct DeviceRow
{
    long position;
    long id;
    long type;
    std::string name;
    std::string column1;
    std::string column2;
    std::string detail1;
    std::string detail2;
    std::string detail3;
    HRESULT numberResult;
    long number;
};

// A CUPS queue as lpstat sees it.
struct HostQueue
{
    std::string name;
    std::string location;
    bool enabled;
};

class IppServiceTest : public ::testing::Test
{
protected:
    IppServiceTest();

    void SetUp() override;
    void TearDown() override;

    std::string WorkPath(const char* name) const { return m_dir + name; }
    std::string StatePath() const { return WorkPath("DeviceIpp.state"); }
    std::string JournalPath() const { return WorkPath("journal.txt"); }
    static std::string DllPath();

    // Writes the configuration the next Load() uses.
    void UseConfig(const std::string& text);
    // Leaves the CUPS server out (CUPS_SERVER unset, "cups off" added to the
    // configuration) until the test ends.
    void WithoutCups();

    // Loads the DLL (environment set) and creates the service. Asserts on failure.
    void Load();
    void LoadModule();
    HRESULT CreateService(IDeviceService** ppService);
    // Releases the service, waits until DllCanUnloadNow says yes (as long as
    // the service's timeout allows) and frees the DLL; returns what
    // DllCanUnloadNow said last.
    HRESULT Unload();
    HRESULT CanUnloadNow();

    IDeviceService* Service() const { return m_service; }

    // The list as the Devices page reads it.
    std::vector<DeviceRow> Rows();
    // The list once each named printer has answered (its state is neither
    // "Connecting" nor "Not reachable"), or as it stands after timeoutMs: a
    // first answer that comes after the service's first-call bound (a TLS
    // handshake on a loaded machine, say) comes with the next refresh.
    std::vector<DeviceRow> RowsOnceAnswered(const std::vector<std::string>& names, DWORD timeoutMs = 25000);
    static const DeviceRow* FindRow(const std::vector<DeviceRow>& rows, const std::string& name);
    // Makes the printer current and gets its driver settings object pointed
    // at it, as the Driver Settings page does.
    void SettingsOf(long id, ComRef<IServiceDriverSettings>& settings);
    std::string DeviceText();

    std::vector<std::string> Journal() const;
    int JournalCount(const std::string& text) const;

    // The CUPS test server as CUPS's tools see it.
    static std::string Server();   // "127.0.0.1:PORT"
    static std::vector<HostQueue> HostQueues();
    // Makes a queue with lpadmin (arguments after -p NAME -E), removed again
    // at the end of the test.
    void AddQueue(const std::string& name, const std::string& arguments);

    std::string m_dir;
    std::string m_config;
    HMODULE m_module;
    IDeviceService* m_service;
    std::vector<std::string> m_queues;
    std::string m_savedCupsServer;
    bool m_withoutCups;
};

std::string ProgramDirectory();
std::string ReadTextFile(const std::string& path);
bool WriteTextFile(const std::string& path, const std::string& text);

// Threads of this process (Toolhelp).
long ThreadCount();

template <class F>
F DllProc(HMODULE module, const char* name)
{
    typedef void (*AnyFunction)(void);
    return reinterpret_cast<F>(reinterpret_cast<AnyFunction>(GetProcAddress(module, name)));
}

#endif // TESTS_DEVICEIPP_IPPHARNESS_H
