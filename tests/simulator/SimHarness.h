// SimHarness.h - SimTest, the fixture of the simulator tests, and raw method
// table calls.
//
// Each test gets a directory of its own, <tests>\simulator_work\<Suite.Test>\,
// for its configuration, state and journal files, and loads DeviceSim.dll
// (from <build>\bin) with LoadLibrary and DllGetClassObject: no registry needed.
// Unload() frees the library and checks that it really left the process, so a
// following Load() starts the simulator afresh.
#ifndef TESTS_SIMULATOR_SIMHARNESS_H
#define TESTS_SIMULATOR_SIMHARNESS_H

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"
#include "simulator/SimResults.h"

// The directory of the running test program, with a trailing backslash.
std::string ProgramDirectory();
// Full path of the simulator DLL next to the test programs' build tree.
std::string SimulatorDllPath();

// GetProcAddress with the function's real type (through void (*)(void), which
// converts to any function pointer type without a warning).
template <class F>
F SimProc(HMODULE module, const char* name)
{
    typedef void (*AnyFunction)(void);
    return reinterpret_cast<F>(reinterpret_cast<AnyFunction>(GetProcAddress(module, name)));
}

// The user's local application data folder (no trailing backslash), and the
// simulator's state file there: where it is kept when DEVICESIM_STATE is unset.
std::string LocalAppDataFolder();
std::string DefaultStatePath();
// Removes the state file from its default place, and the folders made for it.
void RemoveDefaultState();

bool WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);

// A fleet of two devices whose every value the tests know:
//   Alpha: id 501, type 2, reports 1 2 3 5 7 offer Execute, 2 4 6 ExecuteAlternate,
//          locations 10-12 and 200 unavailable, location 5 defaults to 4321,
//          driver setting defaults 101..113 (Option1..13), 114 (Number),
//          115 (Choice), 116 (Switch), NumberMax 300.
//   Beta:  id 502, type 4, every report offers Execute, none ExecuteAlternate,
//          every location available, setting defaults 201..216, NumberMax 77.
const long kAlphaId = 501;
const long kBetaId = 502;
std::string TwoDeviceConfig();

// "prefix" followed by a number, for looking for journal fragments.
inline std::string SimTestText(const char* prefix, long number)
{
    return prefix + std::to_string(number);
}

// Calls the method at `position` of an interface's method table directly,
// bypassing the declared method: what a client compiled against another
// declaration would do.
template <class... A>
HRESULT RawCall(void* itf, int position, A... args)
{
    typedef HRESULT(STDMETHODCALLTYPE * Method)(void*, A...);
    void** table = *reinterpret_cast<void***>(itf);
    Method method = reinterpret_cast<Method>(table[position]);
    return method(itf, args...);
}

class SimTest : public ::testing::Test
{
protected:
    SimTest();
    ~SimTest();

    void SetUp();
    void TearDown();

    // Paths of this test's files.
    std::string WorkPath(const char* name) const { return m_dir + name; }
    std::string ConfigPath() const { return WorkPath("DeviceSim.ini"); }
    std::string StatePath() const { return m_state.empty() ? WorkPath("DeviceSim.state") : m_state; }
    std::string JournalPath() const { return WorkPath("journal.txt"); }

    // Writes the configuration file; Load() then points the simulator at it.
    void UseConfig(const std::string& text);
    // Points the simulator at another configuration path ("" for none).
    void UseConfigPath(const std::string& path) { m_config = path; }
    // Points the simulator at another state file.
    void UseStatePath(const std::string& path) { m_state = path; }
    // Loads a copy of the DLL placed in this test's directory, with
    // DEVICESIM_CONFIG and DEVICESIM_STATE unset: the simulator then looks for
    // its files beside that copy.
    void UseDllCopyWithoutVariables();
    // Loads the DLL and creates the device service. Asserts on failure.
    void Load();
    // Loads the DLL only (environment set as for Load).
    void LoadModule();
    // Creates a device service object through DllGetClassObject and the class
    // factory; returns CreateInstance's result.
    HRESULT CreateService(IDeviceService** ppService);
    // Releases the service, calls DllCanUnloadNow and frees the DLL; returns
    // what DllCanUnloadNow answered.
    HRESULT Unload();
    // Unload() then Load().
    void Reload();

    IDeviceService* Service() const { return m_service; }
    HMODULE Module() const { return m_module; }
    HRESULT CanUnloadNow();

    // Journal access.
    std::vector<std::string> Journal() const;
    std::string LastJournalLine() const;
    size_t JournalMark() const { return Journal().size(); }
    std::vector<std::string> JournalSince(size_t mark) const;
    bool JournalHas(const std::string& text) const;
    int JournalCount(const std::string& text) const;

    // Objects and values from the service, for short tests.
    long CurrentIdentity();
    void MakeCurrent(long deviceId);
    long Count();
    std::vector<long> DeviceIds();
    long ReadMemory(long location);             // -1 when the read fails
    HRESULT WriteMemory(long location, long value);

    std::string m_dir;
    std::string m_config;   // "" = no configuration file
    std::string m_state;    // "" = the test directory's DeviceSim.state
    std::string m_dll;      // "" = <build>\bin\DeviceSim.dll
    bool m_variables;       // set DEVICESIM_CONFIG and DEVICESIM_STATE
    HMODULE m_module;
    IDeviceService* m_service;
};

// Asserts that the journal's last line is a call of `operation` ("Interface.Operation").
#define EXPECT_LAST_CALL(operation)                                                        \
    EXPECT_EQ(0u, LastJournalLine().find(std::string(operation) + "("))                   \
        << "expected a call of " << (operation) << ", journal has: " << LastJournalLine()

#endif // TESTS_SIMULATOR_SIMHARNESS_H
