// SimPersistenceTest.cpp - memory values and driver settings that a client
// writes survive FreeLibrary/LoadLibrary through the state file; broken state
// files are reported and ignored; a state file that cannot be written never
// stops the simulator. Without DEVICESIM_STATE the file is kept in the user's
// local application data folder, which a standard user can write to wherever
// the simulator is installed.
#include "SimHarness.h"

namespace {

class SimPersistence : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        UseConfig(TwoDeviceConfig());
    }

    void SettingsOn(const wchar_t* settingsName, ComRef<IServiceDriverSettings>& settings)
    {
        ComRef<IUnknown> object;
        ASSERT_EQ(S_OK, Service()->GetSettings(2, object.Out()));
        ASSERT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));
        BSTR name = SysAllocString(settingsName);
        EXPECT_EQ(S_OK, settings->SetDevice(name));
        SysFreeString(name);
    }

    void RunAction(long kind)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceAction> action;
        ASSERT_EQ(S_OK, Service()->GetAction(kind, object.Out()));
        ASSERT_EQ(S_OK, action.QueryFrom(object.Get(), IID_IServiceAction));
        EXPECT_EQ(S_OK, action->Run());
    }

    // Writes Alpha's location 50 = 999 and unloads; returns the state file.
    std::string GoodState()
    {
        Load();
        MakeCurrent(kAlphaId);
        EXPECT_EQ(S_OK, WriteMemory(50, 999));
        Unload();
        return ReadTextFile(StatePath());
    }
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST_F(SimPersistence, WrittenValuesSurviveUnloadAndReload)
{
    Load();
    MakeCurrent(kAlphaId);
    const long defaultOf50 = ReadMemory(50);
    EXPECT_EQ(S_OK, WriteMemory(50, defaultOf50 == 999 ? 998 : 999));
    const long written50 = ReadMemory(50);
    EXPECT_EQ(S_OK, WriteMemory(51, 12));
    RunAction(1);
    {
        ComRef<IServiceDriverSettings> alpha;
        SettingsOn(L"ALPHA@USB", alpha);
        EXPECT_EQ(S_OK, alpha->SetNumber(42));
        EXPECT_EQ(S_OK, alpha->SetSwitch(0));
        EXPECT_EQ(S_OK, alpha->SetChoice(1));
        ComRef<IServiceDriverSettings> beta;
        SettingsOn(L"BETA@NET", beta);
        EXPECT_EQ(S_OK, beta->SetOption3(0));
    }

    Reload();
    EXPECT_EQ(0, CurrentIdentity()) << "the current device is not kept";
    EXPECT_TRUE(JournalHas("state: " + StatePath() + ": "));
    MakeCurrent(kAlphaId);
    EXPECT_EQ(written50, ReadMemory(50));
    EXPECT_EQ(12, ReadMemory(51));
    EXPECT_EQ(1, ReadMemory(300)) << "the action's counter";
    ComRef<IServiceDriverSettings> alpha;
    SettingsOn(L"ALPHA@USB", alpha);
    long value = -1;
    EXPECT_EQ(S_OK, alpha->GetNumber(&value));
    EXPECT_EQ(42, value);
    EXPECT_EQ(S_OK, alpha->GetSwitch(&value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(S_OK, alpha->GetChoice(&value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(S_OK, alpha->GetDefaultNumber(&value));
    EXPECT_EQ(114, value) << "defaults are not touched";
    EXPECT_EQ(S_OK, alpha->GetOption3(&value));
    EXPECT_EQ(103, value);
    ComRef<IServiceDriverSettings> beta;
    SettingsOn(L"BETA@NET", beta);
    EXPECT_EQ(S_OK, beta->GetOption3(&value));
    EXPECT_EQ(0, value);
    EXPECT_FALSE(FileExists(StatePath() + ".tmp"));
}

TEST_F(SimPersistence, AValueWrittenBackToItsDefaultLeavesTheStateFile)
{
    Load();
    MakeCurrent(kBetaId);
    const long original = ReadMemory(60);
    EXPECT_EQ(S_OK, WriteMemory(60, original == 5 ? 6 : 5));
    EXPECT_NE(std::string::npos, ReadTextFile(StatePath()).find("M 502 60 "));
    EXPECT_EQ(S_OK, WriteMemory(60, original));
    EXPECT_EQ(std::string::npos, ReadTextFile(StatePath()).find("M 502 60 "));
    Reload();
    MakeCurrent(kBetaId);
    EXPECT_EQ(original, ReadMemory(60));
}

TEST_F(SimPersistence, BrokenStateFilesAreReportedAndIgnored)
{
    const std::string good = GoodState();
    ASSERT_NE(std::string::npos, good.find("M 501 50 999\n"));
    const size_t endLine = good.find("end ");
    ASSERT_NE(std::string::npos, endLine);

    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 37) & 0xFF);
    struct Broken { const char* what; std::string text; };
    const Broken broken[] = {
        { "no end line", good.substr(0, endLine) },
        { "cut in the middle", good.substr(0, good.size() / 2) },
        { "empty", "" },
        { "another header", Replace(good, "DeviceSim state 1", "DeviceSim state 2") },
        { "a changed value", Replace(good, "999", "998") },
        { "a wrong count", Replace(good, "end 1 ", "end 2 ") },
        { "a malformed record", Replace(good, "M 501 50 999", "M 501 fifty 999") },
        { "text after the end", good + "M 501 51 7\n" },
        { "a value out of range", Replace(good, "M 501 50 999", "M 501 50 99999") },
        { "binary junk", junk },
    };
    for (size_t i = 0; i < sizeof(broken) / sizeof(broken[0]); ++i) {
        SCOPED_TRACE(broken[i].what);
        ASSERT_TRUE(WriteTextFile(StatePath(), broken[i].text));
        const size_t mark = JournalMark();
        Load();
        MakeCurrent(kAlphaId);
        EXPECT_NE(999, ReadMemory(50)) << "nothing of a broken file is used";
        bool reported = false;
        const std::vector<std::string> lines = JournalSince(mark);
        for (size_t n = 0; n < lines.size(); ++n) {
            if (lines[n].find("state: ") == 0 && lines[n].find("; ignored") != std::string::npos)
                reported = true;
        }
        EXPECT_TRUE(reported);
        Unload();
    }

    // The next write replaces the broken file with a whole one.
    Load();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(S_OK, WriteMemory(50, 999));
    Reload();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(999, ReadMemory(50));
}

TEST_F(SimPersistence, RecordsOfDevicesThatLeftTheFleetAreSkipped)
{
    Load();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(S_OK, WriteMemory(70, 7070));
    MakeCurrent(kBetaId);
    EXPECT_EQ(S_OK, WriteMemory(71, 7171));
    Unload();

    UseConfig("device id=502 type=4 name=\"Beta MFP\" settings=BETA@NET\n");
    Load();
    EXPECT_TRUE(JournalHas("1 records loaded, 1 skipped"));
    MakeCurrent(kBetaId);
    EXPECT_EQ(7171, ReadMemory(71));
    EXPECT_EQ(SIM_E_UNKNOWNDEVICE, Service()->SetCurrentDevice(kAlphaId));
}

TEST_F(SimPersistence, ALeftoverTemporaryFileDoesNotMatter)
{
    ASSERT_TRUE(WriteTextFile(StatePath() + ".tmp", "half a state file from a crash\nM 501"));
    Load();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(S_OK, WriteMemory(80, 8080));
    Reload();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(8080, ReadMemory(80));
    EXPECT_FALSE(FileExists(StatePath() + ".tmp"));
}

TEST_F(SimPersistence, AnUnwritableStateFileIsReportedAndWritesStillWork)
{
    UseStatePath(WorkPath("no such directory\\DeviceSim.state"));
    Load();
    MakeCurrent(kAlphaId);
    EXPECT_EQ(S_OK, WriteMemory(90, 9090));
    EXPECT_EQ(9090, ReadMemory(90));
    EXPECT_TRUE(JournalHas("state: cannot write"));
}

class SimStateLocation : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        ASSERT_FALSE(LocalAppDataFolder().empty());
        RemoveDefaultState();
        UseDllCopyWithoutVariables();
    }

    void TearDown()
    {
        SimTest::TearDown();
        RemoveDefaultState();
    }
};

TEST_F(SimStateLocation, WithoutTheVariableTheStateIsKeptInTheLocalApplicationDataFolder)
{
    Load();
    EXPECT_TRUE(JournalHas("state=" + DefaultStatePath() + " "));
    MakeCurrent(410002);
    EXPECT_EQ(S_OK, WriteMemory(40, 4040));
    EXPECT_NE(std::string::npos, ReadTextFile(DefaultStatePath()).find("M 410002 40 4040"))
        << "the folders are made for the first save";
    EXPECT_FALSE(FileExists(WorkPath("DeviceSim.state"))) << "nothing is written beside the DLL";

    Reload();
    MakeCurrent(410002);
    EXPECT_EQ(4040, ReadMemory(40));

    // The folders deleted while the simulator runs are made again.
    RemoveDefaultState();
    EXPECT_EQ(S_OK, WriteMemory(41, 4141));
    EXPECT_NE(std::string::npos, ReadTextFile(DefaultStatePath()).find("M 410002 41 4141"));
}

TEST_F(SimStateLocation, AFolderThatCannotBeMadeIsReportedAndWritesStillWork)
{
    const std::string vendor = LocalAppDataFolder() + "\\Device Service";
    ASSERT_TRUE(WriteTextFile(vendor, "a file where the folder belongs"));
    Load();
    MakeCurrent(410002);
    EXPECT_EQ(S_OK, WriteMemory(40, 4040));
    EXPECT_EQ(4040, ReadMemory(40));
    EXPECT_TRUE(JournalHas("state: cannot make the folder " + vendor + "\\DeviceSim (error "));
}
