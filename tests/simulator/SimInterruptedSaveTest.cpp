// SimInterruptedSaveTest.cpp - a save of the state file that is cut short
// leaves the old state or the new one, never a mix, and never a file that is
// rejected as corrupt.
//
// Two ways of cutting a save short:
// - DEVICESIM_TEST_INTERRUPT_SAVE=<bytes> (simulator/README.md) stops the
//   save after that many bytes of <state>.tmp, without the move over
//   <state>, as a process killed there would. Every byte count from 0 to the
//   whole file is tried, for six kinds of change; for some of them the
//   simulator is then unloaded (its memory gone, as with a killed process)
//   and loaded again.
// - A real client process (this test program, running the disabled test
//   SimInterruptedSave.DISABLED_ChildWritesUntilKilled) writes pairs of
//   values as fast as it can and is killed with TerminateProcess at a random
//   moment.
//
// Alongside: what a save written in place and torn would leave (the start of
// the new file, or the new file's start over the old file's rest) is either
// exactly the old or the new state, or reported and ignored as a whole.
//
// Each load of DeviceSim.dll in a process costs it one thread-local storage
// slot that the unload does not give back (the C++ runtime linked into the
// DLL keeps it), and a process has about a thousand: these tests load the
// simulator about a hundred times, not once per byte count.
#include "SimHarness.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

namespace {

const char kInterruptVariable[] = "DEVICESIM_TEST_INTERRUPT_SAVE";

// The values a test looks at: Alpha's locations 50 to 53 and its Number
// setting, Beta's locations 60 and 61.
typedef std::vector<long> Snapshot;

std::string SnapshotText(const Snapshot& s)
{
    std::string text;
    for (size_t i = 0; i < s.size(); ++i)
        text += (i ? " " : "") + std::to_string(s[i]);
    return text;
}

class SimInterruptedSave : public SimTest
{
public:
    // For the changes below.
    void WriteAlpha(long location, long value)
    {
        MakeCurrent(kAlphaId);
        EXPECT_EQ(S_OK, WriteMemory(location, value));
    }
    long ReadAlpha(long location)
    {
        MakeCurrent(kAlphaId);
        return ReadMemory(location);
    }
    void SetAlphaNumber(long value)
    {
        ComRef<IServiceDriverSettings> settings;
        AlphaSettings(settings);
        if (settings.Get() != NULL) {
            EXPECT_EQ(S_OK, settings->SetNumber(value));
        }
    }

protected:
    void SetUp()
    {
        SimTest::SetUp();
        SetEnvironmentVariableA(kInterruptVariable, NULL);
        UseConfig(TwoDeviceConfig());
    }

    void TearDown()
    {
        SetEnvironmentVariableA(kInterruptVariable, NULL);
        SimTest::TearDown();
    }

    void Interrupt(long bytes)
    {
        SetEnvironmentVariableA(kInterruptVariable, std::to_string(bytes).c_str());
    }
    void DoNotInterrupt() { SetEnvironmentVariableA(kInterruptVariable, NULL); }

    std::string TemporaryPath() const { return StatePath() + ".tmp"; }

    // Alpha's driver settings object.
    void AlphaSettings(ComRef<IServiceDriverSettings>& settings)
    {
        ComRef<IUnknown> object;
        EXPECT_EQ(S_OK, Service()->GetSettings(2, object.Out()));
        EXPECT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));
        if (settings.Get() != NULL) {
            BSTR name = SysAllocString(L"ALPHA@USB");
            EXPECT_EQ(S_OK, settings->SetDevice(name));
            SysFreeString(name);
        }
    }

    // The values of the loaded simulator.
    Snapshot Take()
    {
        Snapshot s;
        MakeCurrent(kBetaId);
        const long beta60 = ReadMemory(60);
        const long beta61 = ReadMemory(61);
        MakeCurrent(kAlphaId);
        for (long location = 50; location <= 53; ++location)
            s.push_back(ReadMemory(location));
        long number = -1;
        ComRef<IServiceDriverSettings> settings;
        AlphaSettings(settings);
        if (settings.Get() != NULL) {
            EXPECT_EQ(S_OK, settings->GetNumber(&number));
        }
        s.push_back(number);
        s.push_back(beta60);
        s.push_back(beta61);
        return s;
    }

    // Loads the simulator, takes its values and unloads it. *pReported tells
    // whether the state file was reported as broken and ignored. The journal
    // starts afresh, so that it stays short over many loads.
    Snapshot LoadAndTake(bool* pReported)
    {
        DeleteFileA(JournalPath().c_str());
        Load();
        const Snapshot s = Take();
        Unload();
        *pReported = JournalHas("; ignored");
        return s;
    }
};

// Defaults of Alpha's locations 51 to 53, read before the changes run.
long g_default51 = -1;
long g_default52 = -1;
long g_default53 = -1;

// One kind of change: the old state, made from the built-in defaults, the
// change that makes the new state from it, and the change back.
struct Change
{
    const char* what;
    bool noStateFile;       // the old state is no file at all
    void (*before)(SimInterruptedSave& t);
    void (*change)(SimInterruptedSave& t);
    void (*revert)(SimInterruptedSave& t);
};

void Nothing(SimInterruptedSave&) {}
void TwoRecordsAndASetting(SimInterruptedSave& t)
{
    t.WriteAlpha(50, 999);
    t.WriteAlpha(51, 1234);
    t.SetAlphaNumber(42);
}
// A state file without records: a value written and set back to its default.
void NoRecords(SimInterruptedSave& t)
{
    t.WriteAlpha(52, 4321);
    t.WriteAlpha(52, g_default52);
}
void AddRecord(SimInterruptedSave& t) { t.WriteAlpha(52, 4321); }
void UnaddRecord(SimInterruptedSave& t) { t.WriteAlpha(52, g_default52); }
void ChangeRecord(SimInterruptedSave& t) { t.WriteAlpha(50, 998); }
void UnchangeRecord(SimInterruptedSave& t) { t.WriteAlpha(50, 999); }
void RemoveRecord(SimInterruptedSave& t) { t.WriteAlpha(51, g_default51); }
void UnremoveRecord(SimInterruptedSave& t) { t.WriteAlpha(51, 1234); }
void ChangeSetting(SimInterruptedSave& t) { t.SetAlphaNumber(43); }
void UnchangeSetting(SimInterruptedSave& t) { t.SetAlphaNumber(42); }
void FirstRecord(SimInterruptedSave& t) { t.WriteAlpha(53, 777); }
void UnfirstRecord(SimInterruptedSave& t) { t.WriteAlpha(53, g_default53); }

const Change kChanges[] = {
    { "a record added", false, TwoRecordsAndASetting, AddRecord, UnaddRecord },
    { "a record changed", false, TwoRecordsAndASetting, ChangeRecord, UnchangeRecord },
    { "a record removed", false, TwoRecordsAndASetting, RemoveRecord, UnremoveRecord },
    { "a setting changed", false, TwoRecordsAndASetting, ChangeSetting, UnchangeSetting },
    { "the first record of a state file without any", false, NoRecords, FirstRecord,
      UnfirstRecord },
    { "the first save ever (no state file yet)", true, Nothing, FirstRecord, UnfirstRecord },
};

} // namespace

TEST_F(SimInterruptedSave, EveryCutLeavesTheOldStateAndTheNextSaveTheNew)
{
    Load();
    g_default51 = ReadAlpha(51);
    g_default52 = ReadAlpha(52);
    g_default53 = ReadAlpha(53);
    Unload();

    int cases = 0;
    int reloads = 0;
    for (size_t c = 0; c < sizeof(kChanges) / sizeof(kChanges[0]); ++c) {
        const Change& change = kChanges[c];
        SCOPED_TRACE(change.what);

        // The old state, on disk and in values as a fresh load finds them.
        DeleteFileA(StatePath().c_str());
        DeleteFileA(TemporaryPath().c_str());
        Load();
        change.before(*this);
        Unload();
        ASSERT_EQ(!change.noStateFile, FileExists(StatePath()));
        const std::string oldText = ReadTextFile(StatePath());
        bool reported = false;
        const Snapshot oldValues = LoadAndTake(&reported);
        ASSERT_FALSE(reported);

        // The new file: the change saved to the end.
        Load();
        change.change(*this);
        const std::string newText = ReadTextFile(StatePath());
        ASSERT_NE(oldText, newText);
        ASSERT_FALSE(FileExists(TemporaryPath()));

        // Every cut, from nothing written to all of <state>.tmp written but
        // not moved over <state>. Each time the old file is put back and the
        // change is made again (after the change back, both saves cut).
        const size_t reloadAt[] = { 0, newText.size() / 2, newText.size() };
        for (size_t bytes = 0; bytes <= newText.size(); ++bytes) {
            SCOPED_TRACE("cut after " + std::to_string(bytes) + " of "
                         + std::to_string(newText.size()) + " bytes");
            if (change.noStateFile)
                DeleteFileA(StatePath().c_str());
            else
                ASSERT_TRUE(WriteTextFile(StatePath(), oldText));
            DeleteFileA(TemporaryPath().c_str());
            DeleteFileA(JournalPath().c_str());

            Interrupt(static_cast<long>(bytes));
            change.revert(*this);
            change.change(*this);
            DoNotInterrupt();
            EXPECT_TRUE(JournalHas(SimTestText("save interrupted after ", static_cast<long>(bytes))
                                   + " of " + std::to_string(newText.size()) + " bytes"));

            // <state> is untouched; <state>.tmp holds the start of the new file.
            EXPECT_EQ(!change.noStateFile, FileExists(StatePath()));
            EXPECT_EQ(oldText, ReadTextFile(StatePath()));
            EXPECT_TRUE(FileExists(TemporaryPath()));
            EXPECT_EQ(newText.substr(0, bytes), ReadTextFile(TemporaryPath()));
            ++cases;

            if (std::find(reloadAt, reloadAt + 3, bytes) != reloadAt + 3) {
                // As after a killed process: a fresh load finds exactly the
                // old state, not reported, whatever <state>.tmp holds, and
                // leaves <state>.tmp alone.
                Unload();
                const Snapshot values = LoadAndTake(&reported);
                EXPECT_FALSE(reported);
                EXPECT_EQ(SnapshotText(oldValues), SnapshotText(values));
                EXPECT_EQ(newText.substr(0, bytes), ReadTextFile(TemporaryPath()));
                Load();
                ++reloads;
            }
            if (HasFailure())
                return;
        }

        // The next whole save writes over the leftover and gives the new file,
        // and a fresh load finds the new state.
        change.revert(*this);
        change.change(*this);
        Unload();
        EXPECT_EQ(newText, ReadTextFile(StatePath()));
        EXPECT_FALSE(FileExists(TemporaryPath()));
        const Snapshot newValues = LoadAndTake(&reported);
        EXPECT_FALSE(reported);
        EXPECT_NE(SnapshotText(oldValues), SnapshotText(newValues));
        if (HasFailure())
            return;
    }
    printf("  %d interrupted saves of %d kinds of change, %d of them reloaded: each left the old"
           " state\n", cases, static_cast<int>(sizeof(kChanges) / sizeof(kChanges[0])), reloads);
}

TEST_F(SimInterruptedSave, ATornFileIsWhollyOldWhollyNewOrReportedAndIgnored)
{
    // The old state: two records and a setting; the new one adds a record and
    // changes one, so both differ along their length.
    Load();
    TwoRecordsAndASetting(*this);
    Unload();
    const std::string oldText = ReadTextFile(StatePath());
    bool reported = false;
    const Snapshot oldValues = LoadAndTake(&reported);
    Load();
    AddRecord(*this);
    ChangeRecord(*this);
    Unload();
    const std::string newText = ReadTextFile(StatePath());
    const Snapshot newValues = LoadAndTake(&reported);
    DeleteFileA(StatePath().c_str());
    const Snapshot defaults = LoadAndTake(&reported);
    ASSERT_FALSE(reported);
    ASSERT_NE(SnapshotText(oldValues), SnapshotText(newValues));

    // What a save written in place and stopped after n bytes would leave: the
    // start of the new file alone, or over the rest of the old one. The cuts:
    // at the start, in the middle and at the end of every line.
    std::vector<size_t> cuts;
    for (size_t start = 0; start < newText.size();) {
        size_t end = newText.find('\n', start);
        end = end == std::string::npos ? newText.size() : end + 1;
        const size_t lineCuts[] = { start, start + 1, (start + end) / 2, end - 2, end - 1 };
        for (size_t k = 0; k < 5; ++k) {
            if (lineCuts[k] >= start && lineCuts[k] < newText.size()
                && std::find(cuts.begin(), cuts.end(), lineCuts[k]) == cuts.end())
                cuts.push_back(lineCuts[k]);
        }
        start = end;
    }
    int asOld = 0;
    int asNew = 0;
    int rejected = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        const size_t n = cuts[i];
        const std::string torn[] = {
            newText.substr(0, n),
            newText.substr(0, n) + (n < oldText.size() ? oldText.substr(n) : std::string()),
        };
        for (size_t k = 0; k < 2; ++k) {
            SCOPED_TRACE((k == 0 ? "the first " : "over the old file, the first ")
                         + std::to_string(n) + " bytes of the new file");
            ASSERT_TRUE(WriteTextFile(StatePath(), torn[k]));
            const Snapshot values = LoadAndTake(&reported);
            const std::string text = SnapshotText(values);
            if (reported) {
                EXPECT_EQ(SnapshotText(defaults), text) << "nothing of a rejected file is used";
                ++rejected;
            } else if (text == SnapshotText(oldValues)) {
                EXPECT_EQ(oldText, torn[k]) << "only the old file itself gives the old state";
                ++asOld;
            } else {
                EXPECT_EQ(SnapshotText(newValues), text) << "a mix of old and new was loaded";
                // The new file, perhaps without its last line break.
                EXPECT_EQ(0u, newText.find(torn[k]));
                EXPECT_GE(torn[k].size() + 1, newText.size());
                ++asNew;
            }
        }
        if (HasFailure())
            return;
    }
    EXPECT_GT(rejected, 0);
    printf("  %d torn files: %d rejected and reported, %d the old state, %d the new state\n",
           asOld + asNew + rejected, rejected, asOld, asNew);
}

// --- a client process killed in the middle of its saves ----------------------

namespace {

const char kKillDirVariable[] = "SIMTEST_KILL_DIRECTORY";
const char kKillEventVariable[] = "SIMTEST_KILL_EVENT";
const long kFirstPadding = 100;     // locations 100..199 hold 1000 + location
const long kLastPadding = 199;
const long kCycle = 65000;

long Next(long value) { return value % kCycle + 1; }
long Previous(long value) { return value <= 1 ? kCycle : value - 1; }

} // namespace

// Run only as the child of AClientKilledInTheMiddleOfItsSavesLeavesAWholeState,
// which names the directory and the event in the environment. It fills
// locations 100..199 (so that a save takes a while), writes the next value
// to locations 50 and 51, signals the event, and then writes 50 and 51 in turn with the next
// value, for ever: every save holds (v, v) or (v, previous v). It gives up
// after a minute, should nobody kill it.
TEST_F(SimInterruptedSave, DISABLED_ChildWritesUntilKilled)
{
    char dir[MAX_PATH] = "";
    char eventName[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA(kKillDirVariable, dir, MAX_PATH));
    ASSERT_NE(0u, GetEnvironmentVariableA(kKillEventVariable, eventName, MAX_PATH));
    m_dir = dir;
    UseConfigPath(ConfigPath());
    Load();
    MakeCurrent(kAlphaId);
    for (long location = kFirstPadding; location <= kLastPadding; ++location) {
        if (ReadMemory(location) != 1000 + location) {
            ASSERT_EQ(S_OK, WriteMemory(location, 1000 + location));
        }
    }
    long value = ReadMemory(50);
    ASSERT_GE(value, 0);
    value = Next(value);
    ASSERT_EQ(S_OK, WriteMemory(50, value));
    ASSERT_EQ(S_OK, WriteMemory(51, value));
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    ASSERT_TRUE(ready != NULL);
    SetEvent(ready);
    CloseHandle(ready);
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < 60000) {
        value = Next(value);
        WriteMemory(50, value);
        WriteMemory(51, value);
    }
}

TEST_F(SimInterruptedSave, AClientKilledInTheMiddleOfItsSavesLeavesAWholeState)
{
    const int kRounds = 10;
    char eventName[64];
    sprintf(eventName, "SimKillReady%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, eventName);
    ASSERT_TRUE(ready != NULL);
    SetEnvironmentVariableA(kKillDirVariable, m_dir.c_str());
    SetEnvironmentVariableA(kKillEventVariable, eventName);

    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\""
                          " --gtest_filter=SimInterruptedSave.DISABLED_ChildWritesUntilKilled"
                          " --gtest_also_run_disabled_tests";
    srand(20240607);
    int leftTemporary = 0;
    long previous = -1;
    long advanced = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ResetEvent(ready);
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;     // the child's output is not wanted
        si.hStdInput = si.hStdOutput = si.hStdError = NULL;
        PROCESS_INFORMATION pi;
        ASSERT_TRUE(CreateProcessA(program, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
            << GetLastError();
        HANDLE waits[2] = { ready, pi.hProcess };
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 30000);
        if (woke == WAIT_OBJECT_0)
            Sleep(static_cast<DWORD>(rand() % 120));
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(WAIT_OBJECT_0, woke) << "the child did not start writing";
        if (FileExists(StatePath() + ".tmp"))
            ++leftTemporary;

        // A whole state: not reported, the pair consistent, the padding there.
        const size_t mark = JournalMark();
        Load();
        MakeCurrent(kAlphaId);
        const long v50 = ReadMemory(50);
        const long v51 = ReadMemory(51);
        EXPECT_TRUE(v51 == v50 || v51 == Previous(v50)) << v50 << " " << v51;
        // The child saved at least one pair before it was killed.
        EXPECT_NE(previous, v50) << "nothing was saved in this round";
        for (long location = kFirstPadding; location <= kLastPadding; ++location) {
            EXPECT_EQ(1000 + location, ReadMemory(location)) << location;
        }
        Unload();
        const std::vector<std::string> lines = JournalSince(mark);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(std::string::npos, lines[i].find("; ignored")) << lines[i];
        }
        if (previous >= 0)
            advanced += (v50 - previous + kCycle) % kCycle;
        previous = v50;
        if (HasFailure())
            break;
    }
    CloseHandle(ready);
    SetEnvironmentVariableA(kKillDirVariable, NULL);
    SetEnvironmentVariableA(kKillEventVariable, NULL);
    printf("  %d clients killed while saving, %d of them with a <state>.tmp behind; %ld pairs"
           " saved between the kills\n", kRounds, leftTemporary, advanced);
}

