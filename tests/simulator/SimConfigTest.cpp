// SimConfigTest.cpp - the configuration file: malformed lines are skipped and
// reported with their line numbers while the rest applies; empty, missing,
// binary and huge files never crash; fleet statements.
#include "SimHarness.h"

#include <set>

namespace {

class SimConfig : public SimTest
{
protected:
    // True when the journal reports line `number` of the configuration as skipped.
    bool Skipped(int number) const
    {
        return JournalHas(": line " + std::to_string(number) + ": ");
    }

    std::string NameOf(long key)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceDevices> devices;
        if (FAILED(Service()->GetDevices(object.Out()))
            || FAILED(devices.QueryFrom(object.Get(), IID_IServiceDevices)))
            return "(no devices)";
        VARIANT item;
        VariantInit(&item);
        std::string result = "(no item)";
        ComRef<IServiceDevice> device;
        BstrHolder name;
        if (SUCCEEDED(devices->Item(key, &item))
            && SUCCEEDED(device.QueryFrom(item.punkVal, IID_IServiceDevice))
            && SUCCEEDED(device->Name(name.Out())))
            result = name.Ansi();
        device.Release();
        VariantClear(&item);
        return result;
    }
};

} // namespace

TEST_F(SimConfig, MalformedLinesAreSkippedAndReportedWithTheirLineNumbers)
{
    const char* const lines[] = {
        "# a comment",                                              // 1
        "device id=601 type=1 name=Good1",                          // 2 good
        "device id=602 type=1",                                     // 3 no name
        "device id=abc type=1 name=Bad",                            // 4 bad id
        "device id=603 type=1 name=\"Unclosed",                     // 5 unclosed quote
        "device id=604 type=1 name=X colour=red",                   // 6 unknown key
        "device id=601 type=2 name=Duplicate",                      // 7 duplicate id
        "printer id=605",                                           // 8 unknown statement
        "device id=606 type=0 name=Bad numbermax=12x",              // 9 bad number
        "fault IDeviceService.GetNothing fail",                     // 10 unknown target
        "fault IDeviceService.GetDevices null",                     // 11 kind does not fit
        "fault IDeviceService.GetReport fail call=0",               // 12 bad call
        "fleet generated 0",                                        // 13 bad count
        "device id=607 type=3 name=Bad unavailable=5-400",          // 14 bad range
        "fault IServiceDevice.Name number 5",                       // 15 kind does not fit
        "device id=608 type=5 name=\"Good 4\" col1=\"a b\"",        // 16 good
        "   ",                                                      // 17 blank
        "fault IDeviceService.GetReport fail 0x00000001",           // 18 not a failure code
        "device id=2 type=1 name=InPositionRange",                  // 19 id inside 1..N
        "fault IServiceReport refuse extra",                        // 20 refuse takes no value
        "device id=609 type=1 name=Bad mem.321=5",                  // 21 location out of range
        "device id=610 type=1 name=Bad default.Option14=1",         // 22 unknown setting
        "fault IServiceDevice.Name long 0",                         // 23 bad length
        "=device",                                                  // 24 no statement
    };
    std::string text;
    for (size_t i = 0; i < sizeof(lines) / sizeof(lines[0]); ++i)
        text += std::string(lines[i]) + "\n";
    UseConfig(text);
    Load();

    EXPECT_EQ(2, Count());
    EXPECT_EQ("Good1", NameOf(601));
    EXPECT_EQ("Good 4", NameOf(608));
    const int good[] = { 1, 2, 16, 17 };
    for (size_t i = 0; i < sizeof(good) / sizeof(good[0]); ++i)
        EXPECT_FALSE(Skipped(good[i])) << "line " << good[i];
    for (int number = 3; number <= 24; ++number) {
        if (number != 16 && number != 17) {
            EXPECT_TRUE(Skipped(number)) << "line " << number;
        }
    }
    EXPECT_TRUE(JournalHas("24 lines, 20 skipped, 2 devices, 0 faults"));
    EXPECT_TRUE(JournalHas("line 6: bad value or unknown key \"colour\""));
    EXPECT_TRUE(JournalHas("line 19: device id 2 lies in the position range"));

    ComRef<IUnknown> object;
    EXPECT_EQ(S_OK, Service()->GetReport(1, object.Out())) << "no fault of a skipped line applies";
}

TEST_F(SimConfig, QuotedTextsAndCrLfLineEnds)
{
    UseConfig("device id=701 type=3 name=\"Lab printer\" col1=\"Room 4, desk 2\" text=\"a = b\"\r\n"
              "\tdevice id=702 type=0 name=Plain\r\n");
    Load();
    EXPECT_EQ(2, Count());
    EXPECT_EQ("Lab printer", NameOf(701));
    EXPECT_EQ("Plain", NameOf(702));
    MakeCurrent(701);
    BstrHolder text;
    EXPECT_EQ(S_OK, Service()->GetDeviceText(text.Out()));
    EXPECT_EQ("a = b", text.Ansi());
}

TEST_F(SimConfig, EmptyAndCommentOnlyFilesGiveTheBuiltinFleet)
{
    UseConfig("");
    Load();
    EXPECT_EQ(6, Count());
    Unload();
    UseConfig("# nothing but a comment\n\n   # and another\n");
    Load();
    EXPECT_EQ(6, Count());
}

TEST_F(SimConfig, AMissingFileGivesTheBuiltinFleetAndIsReported)
{
    UseConfigPath(WorkPath("absent.ini"));
    Load();
    EXPECT_EQ(6, Count());
    EXPECT_TRUE(JournalHas("absent.ini: cannot open"));
}

TEST_F(SimConfig, FleetEmpty)
{
    UseConfig("fleet empty\n");
    Load();
    EXPECT_EQ(0, Count());
    EXPECT_EQ(SIM_E_UNKNOWNDEVICE, Service()->SetCurrentDevice(410001));
    BstrHolder name;
    EXPECT_EQ(SIM_E_NODEVICE, Service()->GetCurrentDeviceName(name.Out()));
    EXPECT_EQ("(no item)", NameOf(1));
}

TEST_F(SimConfig, FleetBuiltinWithMoreDevices)
{
    UseConfig("fleet builtin\ndevice id=9001 type=2 name=Extra\n");
    Load();
    EXPECT_EQ(7, Count());
    EXPECT_EQ("Extra", NameOf(9001));
    EXPECT_EQ("Extra", NameOf(7));
}

TEST_F(SimConfig, GeneratedFleet)
{
    UseConfig("fleet generated 2000\n");
    Load();
    const std::vector<long> ids = DeviceIds();
    ASSERT_EQ(2000u, ids.size());
    EXPECT_EQ(2000u, std::set<long>(ids.begin(), ids.end()).size());
    EXPECT_EQ(NameOf(2000), NameOf(ids.back()));
    MakeCurrent(ids.back());
    EXPECT_EQ(1, CurrentIdentity());
}

TEST_F(SimConfig, BinaryJunkNeverCrashes)
{
    std::string junk;
    unsigned long seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245UL + 12345UL;
        junk += static_cast<char>((seed >> 16) & 0xFF);
    }
    UseConfig(junk);
    Load();
    EXPECT_EQ(6, Count()) << "junk adds no devices";
    EXPECT_TRUE(JournalHas("skipped"));
}

TEST_F(SimConfig, HugeLines)
{
    const std::string bigName(1024 * 1024, 'n');
    UseConfig("device id=801 type=1 name=" + bigName + "\n" + std::string(2 * 1024 * 1024, 'z')
              + "\ndevice id=802 type=2 name=Small\n");
    Load();
    EXPECT_EQ(2, Count());
    EXPECT_EQ(bigName.size(), NameOf(801).size());
    EXPECT_TRUE(Skipped(2));
    EXPECT_TRUE(JournalHas("...(2097152 chars)")) << "the report shows the line shortened";
}

TEST_F(SimConfig, WithoutVariablesTheConfigurationBesideTheDllIsUsed)
{
    RemoveDefaultState();
    UseDllCopyWithoutVariables();
    ASSERT_TRUE(WriteTextFile(WorkPath("DeviceSim.ini"), "device id=901 type=0 name=Beside\n"));
    Load();
    EXPECT_EQ(1, Count());
    EXPECT_EQ("Beside", NameOf(901));
    MakeCurrent(901);
    EXPECT_EQ(S_OK, WriteMemory(3, 333));
    EXPECT_FALSE(FileExists(WorkPath("DeviceSim.state"))) << "the state is not kept beside the DLL";
    EXPECT_NE(std::string::npos, ReadTextFile(DefaultStatePath()).find("M 901 3 333"));
    Unload();
    RemoveDefaultState();

    DeleteFileA(WorkPath("DeviceSim.ini").c_str());
    Load();
    EXPECT_EQ(6, Count()) << "no file beside the DLL: the built-in fleet";
}
